// One line of text edited on the terminal.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln {

struct LineOptions {
    std::string prompt;       // in the user's charset, shown before the text
    size_t limit = 0;         // most bytes of code page 932 text; 0 for no limit
    bool password = false;    // shows '*' for each character
    bool digitsOnly = false;  // refuses every other character
    // When set, Tab completes: the line becomes complete(line) and editing goes on. Otherwise Tab
    // ends the line as Enter does.
    std::function<std::string(const std::string&)> complete;
};

// Edits text (code page 932) with the keys of a shell's line: characters are inserted at the
// cursor, Backspace and Delete remove one, Left, Right, Home (Ctrl-A) and End (Ctrl-E) move, Ctrl-U
// empties the line. Keys come from in (in KeyMode), the line is drawn on out in the user's charset;
// a character code page 932 cannot hold is refused with a bell; a line wider than the terminal
// scrolls sideways. True on Enter (or Tab, without completion) with text holding the result; false on Escape
// or the end of the input, with text as it was.
bool EditLine(std::string& text, const LineOptions& options, int in, std::FILE* out);

}  // namespace kiln

#pragma GCC visibility pop
