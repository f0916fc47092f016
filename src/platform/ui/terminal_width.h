// The width of a terminal, in columns.
//
// A double-byte character takes two columns on a terminal and a single byte one, so the bytes of
// code page 932 text count its columns whatever charset the terminal shows it in (FittingLength
// cuts such text to a width).
#pragma once

namespace kiln {

// The width of the terminal on fd; 80 when fd is not a terminal or does not say.
int TerminalColumns(int fd);

}  // namespace kiln
