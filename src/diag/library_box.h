// Internal pieces of the reporting functions that other parts of the library share.
#pragma once

#include <kiln/platform/text/cstring.h>

namespace kiln::detail {

// The library box: the process's message box with the caption "Vantor"; the answer, or 0 when no
// box could be shown.
int LibraryMessageBox(const char* text, unsigned int style);

// The system's text for an error code, or a short English sentence naming the code when the
// system has none.
CString SystemErrorText(DWORD code);

}  // namespace kiln::detail
