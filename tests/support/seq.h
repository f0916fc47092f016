// The results of a run of calls as one text, so that a sequence of steps reads as one row of
// expectations: Seq({a(), b(), c()}) is "1 0 7". The braces make the calls run left to right.
// Numbers are printed in decimal, texts as they are.
#pragma once

#include <initializer_list>
#include <string>

namespace kiln::test {

struct SeqValue {
    template <class T>
    SeqValue(T value) : text(std::to_string(+value)) {}
    SeqValue(const std::string& value) : text(value) {}
    SeqValue(const char* value) : text(value ? value : "(null)") {}
    std::string text;
};

inline std::string Seq(std::initializer_list<SeqValue> values) {
    std::string text;
    for (const SeqValue& v : values) text += (text.empty() ? "" : " ") + v.text;
    return text;
}

}  // namespace kiln::test
