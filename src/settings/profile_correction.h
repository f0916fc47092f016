// The correction dialog of the profile key search.
#pragma once

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/types.h>

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

// Offers text (a whole profile text the search took for malformed) to the user in the string input
// dialog, with no parent window. TRUE with the edited text in text when the user confirms with OK;
// FALSE, text unchanged, for any other answer (the batch front end cancels at once).
BOOL AskProfileCorrection(CString& text);

#pragma GCC visibility pop
