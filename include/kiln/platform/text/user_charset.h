// Text for people: code page 932 converted to and from the charset of the user's locale.
//
// Library text (messages, error lists, file names) is CP932; a program that prints it on a terminal
// or in a log a person reads converts it here first.
#pragma once

#include <string>
#include <string_view>

namespace kiln {

// The charset of the locale the environment asks for (LC_ALL, LC_CTYPE, LANG); UTF-8 for the C,
// POSIX and plain ASCII locales, whose users still read a UTF-8 terminal nowadays.
std::string UserCharset();

// Converts CP932 text to UserCharset(). A byte sequence that is not CP932, or a character the
// charset cannot show, becomes one '?'.
std::string ToUserCharset(std::string_view cp932);

// Converts text typed in UserCharset() (a command-line argument, a line read from a terminal) to
// CP932. False, cp932 untouched, when any of it has no CP932 form.
bool FromUserCharset(std::string_view text, std::string& cp932);

}  // namespace kiln
