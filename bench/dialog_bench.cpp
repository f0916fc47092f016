// The window system's costs that callers feel: a modal dialog made from its template, answered OK by
// the dialog handler and destroyed, against a plain window created and destroyed; and an empty-queue
// PeekMessageA with a dialog open (progress dialogs pump on every step) against the same peek on a
// thread without windows.
#include <kiln/platform/ui/dialog_box.h>
#include <kiln/platform/ui/dialog_handler.h>

#include <vector>

#include "ratio.h"

namespace {

std::vector<BYTE> SmallDialog() {
    kiln::DialogDescription dialog{"進行状況", WS_POPUP | WS_CAPTION, 0, 0, 0, 241, 121,
                                   9,          "ＭＳ Ｐゴシック",     {}};
    dialog.items = {
        {"Button", IDCANCEL, "ｷｬﾝｾﾙ", 96, 102, 50, 14, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
        {"msctls_progress32", 3004, "", 10, 86, 221, 11, WS_VISIBLE | WS_BORDER},
        {"Static", 3005, " 0 %", 114, 73, 18, 8, WS_VISIBLE},
        {"Static", 3006, "", 9, 6, 227, 59, WS_VISIBLE}};
    return kiln::BuildDialogTemplate(dialog);
}

INT_PTR CALLBACK EndOnCommand(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_COMMAND) EndDialog(dialog, LOWORD(wParam));
    return message == WM_INITDIALOG;
}

void ModalDialogAnsweredOk(benchmark::State& state) {
    const std::vector<BYTE> bytes = SmallDialog();
    kiln::DialogHandler saved = kiln::SetDialogHandler([](const kiln::DialogEvent& event) {
        if (event.kind == kiln::DialogEventKind::Waiting) PostMessageA(event.dialog, WM_COMMAND, IDOK, 0);
    });
    for (auto _ : state)
        benchmark::DoNotOptimize(
            DialogBoxIndirectParamA(nullptr, (LPCDLGTEMPLATE)bytes.data(), nullptr, EndOnCommand, 0));
    kiln::SetDialogHandler(saved);
}
BENCHMARK(ModalDialogAnsweredOk)->Repetitions(3)->ReportAggregatesOnly(true);

void PlainWindowCreateDestroy(benchmark::State& state) {
    for (auto _ : state) {
        HWND window = CreateWindowExA(0, "Static", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        benchmark::DoNotOptimize(window);
        DestroyWindow(window);
    }
}
BENCHMARK(PlainWindowCreateDestroy)->Repetitions(3)->ReportAggregatesOnly(true);

void PeekWithDialogOpen(benchmark::State& state) {
    const std::vector<BYTE> bytes = SmallDialog();
    HWND dialog = CreateDialogIndirectParamA(nullptr, (LPCDLGTEMPLATE)bytes.data(), nullptr, EndOnCommand, 0);
    ShowWindow(dialog, SW_SHOW);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);  // the first paint
    for (auto _ : state) benchmark::DoNotOptimize(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    DestroyWindow(dialog);
}
BENCHMARK(PeekWithDialogOpen)->Repetitions(3)->ReportAggregatesOnly(true);

void PeekWithoutWindows(benchmark::State& state) {
    MSG msg;
    for (auto _ : state) benchmark::DoNotOptimize(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}
BENCHMARK(PeekWithoutWindows)->Repetitions(3)->ReportAggregatesOnly(true);

KILN_COMPARE("ModalDialogAnsweredOk", "PlainWindowCreateDestroy", 0);
KILN_COMPARE("PeekWithDialogOpen", "PeekWithoutWindows", 2.0);

}  // namespace

KILN_BENCHMARK_MAIN()
