// Text for people: code page 932 converted to the charset of the user's locale.
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

}  // namespace kiln
