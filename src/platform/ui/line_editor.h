// One line of text edited on the terminal.
#pragma once

#include <cstdio>
#include <string>

namespace kiln {

struct LineOptions {
    std::string prompt;       // in the user's charset, shown before the text
    size_t limit = 0;         // most bytes of code page 932 text; 0 for no limit
    bool password = false;    // shows '*' for each character
    bool digitsOnly = false;  // refuses every other character
};

// Edits text (code page 932) with the keys of a shell's line: characters are inserted at the
// cursor, Backspace and Delete remove one, Left, Right, Home (Ctrl-A) and End (Ctrl-E) move, Ctrl-U
// empties the line. Keys come from in (in KeyMode), the line is drawn on out in the user's charset;
// a character code page 932 cannot hold is refused with a bell; a line wider than the terminal
// scrolls sideways. True on Enter or Tab with text
// holding the result; false on Escape or the end of the input, with text as it was.
bool EditLine(std::string& text, const LineOptions& options, int in, std::FILE* out);

}  // namespace kiln
