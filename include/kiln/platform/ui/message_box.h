// Message boxes.
//
// Every box of the process (MessageBoxA, AfxMessageBox and the library's own boxes) goes through one
// handler. The default handler asks on the terminal when standard input and standard error are both
// terminals, showing the texts in the user's charset; otherwise it prints the box to standard error
// and answers with the style's default button at once, so a batch job never waits. Programs and
// tests install their own handler with kiln::SetMessageBoxHandler.
#pragma once

#include <functional>

#include <kiln/platform/runtime/types.h>

namespace kiln {

// One box: text and caption are code page 932 and never null; style holds the MB_ bits.
struct MessageBoxCall {
    const char* text;
    const char* caption;
    unsigned style;
};

// Returns the answer (IDOK, IDCANCEL, ...), or 0 for "no box could be shown".
using MessageBoxHandler = std::function<int(const MessageBoxCall&)>;

// Installs h for the whole process and returns the one it replaces (empty while the default was
// installed); an empty h restores the default. Any thread may install or show; the handler runs
// without any lock held, so it may itself show boxes or install another handler.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler h);

}  // namespace kiln

// Shows a box through the handler. A null text is empty, a null caption is "Error". A style whose
// button type is not one of MB_OK .. MB_CANCELTRYCONTINUE shows nothing and returns 0 with
// ERROR_INVALID_MSGBOX_STYLE. The owner window is not used.
int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

// A box captioned with the application's name (AfxGetAppName). The help id is not used.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
// The same with the text of string resource nIDPrompt (empty when there is no such string).
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);

#define MessageBox MessageBoxA
