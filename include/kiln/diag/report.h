// The library's channel to the user: notices, questions that the error level can silence, fatal
// stops, the system's text for the last error.
//
// Every box goes through the process's message-box handler (kiln/platform/ui/message_box.h). The
// "library box" has the caption "Vantor". Questions (ERRASK and its families) show an
// Abort/Retry/Ignore box with Ignore as default; a question whose level is below the error level
// is not shown and answers 5 (IDIGNORE); only one question box is up in the whole process at a time
// (the others answer 1 at once). Abort ends the process with exit code 1. The numbered variants
// format their text printf-style; their values are pointer-sized so that a %s value can be a string.
#pragma once

#include <kiln/platform/runtime/types.h>

// The process-wide error level, compared as a signed 32-bit integer; 64 at start.
typedef int tagErrorLevel;

// Non-zero while a question box is up; a module may set it itself to keep every ERRASK quiet.
extern unsigned long __dwErrPause;

// Zero-initialised record beside __dwErrPause. m_nBoxShowing is 1 from just before a question box
// is shown until it is taken down; nothing in the library reads it.
struct Dkiln_Globals {
    int m_nBoxShowing;
};
extern Dkiln_Globals _GLOBAL_kiln_Globals;

// Notices: an exclamation box (style 0x30) in the library box; the answer, or 0 when no box could
// be shown. NOTICE(id) shows the string resource id with AfxMessageBox(id, 0, -1).
int NOTICE(unsigned int id);
int NOTICE(const char* text);
int REPORT(const char* text);  // as NOTICE(text), and always 0
int _NOTICE1(const char* fmt, INT_PTR a);
int _NOTICE2(const char* fmt, INT_PTR a, INT_PTR b);
int _NOTICE3(const char* fmt, INT_PTR a, INT_PTR b, INT_PTR c);
int _NOTICE4(const char* fmt, INT_PTR a, INT_PTR b, INT_PTR c, INT_PTR d);

// Questions: 4 (Retry), 5 (Ignore, also when the level silences the box), 1 (another question is
// up), 0 (no box could be shown). Level 36 is fatal: after the question and the request to contact
// the maker, the process ends with exit code 1.
int ERRASK(const char* text, int level);
int _ERRASK0(const char* text);  // level 64
int _ERRASK1(const char* fmt, INT_PTR a);
int _ERRASK2(const char* fmt, INT_PTR a, INT_PTR b);
int _ERRASK3(const char* fmt, INT_PTR a, INT_PTR b, INT_PTR c);
int _ERRASKW0(const char* text);  // level 32: warnings
int _ERRASKW1(const char* fmt, INT_PTR a);
int _ERRASKW2(const char* fmt, INT_PTR a, INT_PTR b);
int _ERRASKW3(const char* fmt, INT_PTR a, INT_PTR b, INT_PTR c);
int _ERRASKWF0(const char* text);  // level 36: fatal warnings
int _ERRASKWF1(const char* fmt, INT_PTR a);
int _ERRASKWF2(const char* fmt, INT_PTR a, INT_PTR b);

void KfxSetErrorLevel(tagErrorLevel level);
tagErrorLevel KfxGetErrorLevel();

// Fatal stops: one system-modal error box (style 0x12010), then exit(1) whatever the answer.
[[noreturn]] void FatalRuntimeError(const char* text);
[[noreturn]] void FatalRuntimeError1(const char* fmt, INT_PTR a);
[[noreturn]] void KfxOutOfMemory();
// size new bytes (release with delete[]); never null: a shortage is a fatal stop.
unsigned char* TryNewByte(unsigned int size);

// Shows the system's text for GetLastError() in a box captioned "GetLastError" (style 16).
void DispLastError();
