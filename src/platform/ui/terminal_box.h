// The default message-box handler: a question on the terminal, or a line on standard error.
#pragma once

#include <cstdio>

#include <kiln/platform/ui/message_box.h>

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln {

// Asks on the terminal when standard input and standard error are both terminals, else reports
// in batch. Boxes from several threads are shown one after the other.
int DefaultMessageBox(const MessageBoxCall& call);

// Shows the box on out (caption, icon word, text, buttons) and reads answers from in: Enter takes
// the default button, a button's letter takes that button, anything else asks again; the end of
// the input takes the default button.
int AskOnTerminal(const MessageBoxCall& call, std::FILE* in, std::FILE* out);

// Prints "caption: text" to out, with the buttons and the answer for a box that asks a question,
// and answers with the default button.
int ReportInBatch(const MessageBoxCall& call, std::FILE* out);

}  // namespace kiln

#pragma GCC visibility pop
