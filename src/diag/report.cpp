#include <kiln/diag/report.h>

#include <kiln/platform/runtime/global_memory.h>
#include <kiln/platform/runtime/last_error.h>
#include <kiln/platform/ui/message_box.h>

#include "diag/library_box.h"
#include "platform/text/printf_args.h"

#include <atomic>
#include <cstdlib>
#include <new>

unsigned long __dwErrPause = 0;
Dkiln_Globals _GLOBAL_kiln_Globals = {};

namespace {

tagErrorLevel g_errorLevel = 64;

constexpr unsigned kNoticeStyle = MB_OK | MB_ICONEXCLAMATION;             // 48
constexpr unsigned kQuestionStyle = MB_ABORTRETRYIGNORE | MB_DEFBUTTON3;  // 514
constexpr unsigned kFatalStyle = 0x12010;  // 73744: an error box brought to the foreground
constexpr int kFatalLevel = 36;

int Notice(const CString& text) { return kiln::detail::LibraryMessageBox(text, kNoticeStyle); }

}  // namespace

namespace kiln::detail {

int LibraryMessageBox(const char* text, unsigned int style) {
    // There is no owner window to find: every box is owned by the process.
    return MessageBoxA(nullptr, text, "Vantor", style);
}

CString SystemErrorText(DWORD code) {
    LPSTR buffer = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code,
                             MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), (LPSTR)&buffer, 0, nullptr);
    CString text;
    if (n != 0 && buffer != nullptr)
        text = buffer;
    else
        text.Format("Error %u: the system has no text for this code.", (unsigned)code);
    LocalFree(buffer);
    return text;
}

}  // namespace kiln::detail

int NOTICE(unsigned int id) { return AfxMessageBox(id, 0, (UINT)-1); }
int NOTICE(const char* text) { return kiln::detail::LibraryMessageBox(text, kNoticeStyle); }

int REPORT(const char* text) {
    NOTICE(text);
    return 0;
}

int _NOTICE1(const char* fmt, INT_PTR a) {
    const INT_PTR v[] = {a};
    return Notice(kiln::FormatArgs(fmt, v, 1));
}
int _NOTICE2(const char* fmt, INT_PTR a, INT_PTR b) {
    const INT_PTR v[] = {a, b};
    return Notice(kiln::FormatArgs(fmt, v, 2));
}
int _NOTICE3(const char* fmt, INT_PTR a, INT_PTR b, INT_PTR c) {
    const INT_PTR v[] = {a, b, c};
    return Notice(kiln::FormatArgs(fmt, v, 3));
}
int _NOTICE4(const char* fmt, INT_PTR a, INT_PTR b, INT_PTR c, INT_PTR d) {
    const INT_PTR v[] = {a, b, c, d};
    return Notice(kiln::FormatArgs(fmt, v, 4));
}

int ERRASK(const char* text, int level) {
    if (level < g_errorLevel) return IDIGNORE;
    std::atomic_ref<unsigned long> pause(__dwErrPause);
    if (pause.exchange(1) != 0) return IDOK;
    _GLOBAL_kiln_Globals.m_nBoxShowing = 1;
    int answer = kiln::detail::LibraryMessageBox(text, kQuestionStyle);
    if (level == kFatalLevel) {
        // A fatal warning has no way back: rather than alternate the two boxes for ever, the
        // process ends after the user has been asked to contact the maker.
        kiln::detail::LibraryMessageBox("エラー内容を製造元に連絡してください。", MB_OK);
        std::exit(1);
    }
    _GLOBAL_kiln_Globals.m_nBoxShowing = 0;
    pause.store(0, std::memory_order_relaxed);
    if (answer == IDABORT) std::exit(1);
    return answer;
}

int _ERRASK0(const char* text) { return ERRASK(text, 64); }
int _ERRASK1(const char* fmt, INT_PTR a) {
    const INT_PTR v[] = {a};
    return ERRASK(kiln::FormatArgs(fmt, v, 1), 64);
}
int _ERRASK2(const char* fmt, INT_PTR a, INT_PTR b) {
    const INT_PTR v[] = {a, b};
    return ERRASK(kiln::FormatArgs(fmt, v, 2), 64);
}
int _ERRASK3(const char* fmt, INT_PTR a, INT_PTR b, INT_PTR c) {
    const INT_PTR v[] = {a, b, c};
    return ERRASK(kiln::FormatArgs(fmt, v, 3), 64);
}

int _ERRASKW0(const char* text) { return ERRASK(text, 32); }
int _ERRASKW1(const char* fmt, INT_PTR a) {
    const INT_PTR v[] = {a};
    return ERRASK(kiln::FormatArgs(fmt, v, 1), 32);
}
int _ERRASKW2(const char* fmt, INT_PTR a, INT_PTR b) {
    const INT_PTR v[] = {a, b};
    return ERRASK(kiln::FormatArgs(fmt, v, 2), 32);
}
int _ERRASKW3(const char* fmt, INT_PTR a, INT_PTR b, INT_PTR c) {
    const INT_PTR v[] = {a, b, c};
    return ERRASK(kiln::FormatArgs(fmt, v, 3), 32);
}

int _ERRASKWF0(const char* text) { return ERRASK(text, kFatalLevel); }
int _ERRASKWF1(const char* fmt, INT_PTR a) {
    const INT_PTR v[] = {a};
    return ERRASK(kiln::FormatArgs(fmt, v, 1), kFatalLevel);
}
int _ERRASKWF2(const char* fmt, INT_PTR a, INT_PTR b) {
    const INT_PTR v[] = {a, b};
    return ERRASK(kiln::FormatArgs(fmt, v, 2), kFatalLevel);
}

void KfxSetErrorLevel(tagErrorLevel level) { g_errorLevel = level; }
tagErrorLevel KfxGetErrorLevel() { return g_errorLevel; }

void FatalRuntimeError(const char* text) {
    CString message = "致命的なランタイムエラー： ";
    message += text;
    message += "\n申し訳ありませんが、システムをダウンさせます。";
    kiln::detail::LibraryMessageBox(message, kFatalStyle);
    std::exit(1);
}

void FatalRuntimeError1(const char* fmt, INT_PTR a) {
    const INT_PTR v[] = {a};
    FatalRuntimeError(kiln::FormatArgs(fmt, v, 1));
}

void KfxOutOfMemory() { FatalRuntimeError("メモリーが不足しました。"); }

unsigned char* TryNewByte(unsigned int size) {
    unsigned char* block = new (std::nothrow) unsigned char[size];
    if (block == nullptr) KfxOutOfMemory();
    return block;
}

void DispLastError() {
    CString text = kiln::detail::SystemErrorText(GetLastError());
    MessageBoxA(nullptr, text, "GetLastError", MB_OK | MB_ICONHAND);
}
