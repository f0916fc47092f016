// The terminal's line editor, fed keys through a pipe: editing keys, double-byte characters,
// conversion from the user's charset and the limits of an edit control.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/ui/line_editor.h"
#include "support/scoped_env.h"

namespace {

std::string Utf8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

struct Edited {
    bool accepted;
    std::string text;
    std::string shown;
};

Edited Edit(std::string text, const std::string& keys, const kiln::LineOptions& options) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    EXPECT_EQ(write(fds[1], keys.data(), keys.size()), (ssize_t)keys.size());
    close(fds[1]);
    char* shown = nullptr;
    size_t shownSize = 0;
    std::FILE* out = open_memstream(&shown, &shownSize);
    bool accepted = kiln::EditLine(text, options, fds[0], out);
    std::fclose(out);
    close(fds[0]);
    Edited result{accepted, text, std::string(shown, shownSize)};
    std::free(shown);
    return result;
}

TEST(LineEditor, KeysEditTheLine) {
    kiln::test::ScopedEnv locale("LC_ALL", "C.UTF-8");
    const std::string home = "\x1b[H", end = "\x1b[F", left = "\x1b[D", right = "\x1b[C";
    const std::string del = "\x1b[3~", bs = "\x7f";
    struct Case {
        std::string initial, keys;
        bool accepted;
        std::string result;  // code page 932
    } cases[] = {
        {"abc", home + "x" + end + bs + left + Utf8(u8"日") + "\r", true, "xa日b"},
        {"日本", bs + "\r", true, "日"},
        {"日本語", home + right + del + "\t", true, "日語"},
        {"日本", left + left + left + bs + right + "x\r", true, "日x本"},
        {"abc",
         "\x01"
         "1\x05"
         "2\x1bOH3\x1b[4~4\r",
         true, "31abc24"},
        {"abc", "\x15z\x1b[A\r", true, "z"},     // Ctrl-U, then an arrow up ignored
        {"a", Utf8(u8"😀ｶ") + "\r", true, "aｶ"},  // no emoji in code page 932
        {"abc", "zz\x1b", false, "abc"},         // Escape keeps the text
        {"abc", "zz", false, "abc"},             // so does the end of the input
        {"abc", "z\x04", false, "abc"},          // Ctrl-D
    };
    for (const Case& c : cases) {
        Edited edited = Edit(c.initial, c.keys, {});
        EXPECT_EQ(edited.accepted, c.accepted) << c.initial << " " << c.keys;
        EXPECT_EQ(edited.text, c.result) << c.initial << " " << c.keys;
    }
}

TEST(LineEditor, OptionsOfTheEditControl) {
    kiln::test::ScopedEnv locale("LC_ALL", "C.UTF-8");
    kiln::LineOptions digits;
    digits.digitsOnly = true;
    Edited number = Edit("", "1a2" + Utf8(u8"３") + "\r", digits);
    EXPECT_EQ(number.text, "12");
    EXPECT_EQ(number.shown.find('a'), std::string::npos);
    EXPECT_NE(number.shown.find('\a'), std::string::npos);

    kiln::LineOptions limited;
    limited.limit = 4;
    EXPECT_EQ(Edit("ab", Utf8(u8"日本") + "\r", limited).text, "ab日");

    kiln::LineOptions password;
    password.password = true;
    password.prompt = "Password: ";
    Edited secret = Edit("", Utf8(u8"s日") + "\r", password);
    EXPECT_EQ(secret.text, "s日");
    EXPECT_NE(secret.shown.find("Password: **"), std::string::npos);
    EXPECT_EQ(secret.shown.find("Password: s"), std::string::npos);
}

TEST(LineEditor, ALineWiderThanTheTerminalScrollsToKeepTheCursorInView) {
    kiln::test::ScopedEnv locale("LC_ALL", "C.UTF-8");
    kiln::LineOptions options;
    options.prompt = "> ";
    std::string digits;
    for (int i = 0; i < 10; ++i) digits += "0123456789";
    // Not a terminal: 80 columns, the last kept free, two for the prompt.
    Edited edited = Edit(digits, "\x1b[H\r", options);
    EXPECT_NE(edited.shown.find("\r> " + digits.substr(23) +
                                "\x1b"
                                "7\x1b[K"),
              std::string::npos)
        << edited.shown;
    EXPECT_NE(edited.shown.find("\r> \x1b"
                                "7" +
                                digits.substr(0, 77) + "\x1b[K"),
              std::string::npos)
        << edited.shown;
}

}  // namespace
