// A job that steps its progress bar once per item: CProgressDlg::StepIt with the dialog open and no
// message waiting, against the empty PeekMessageA that StepIt's pumping costs at the least.
#include <kiln/diag/progress_dialog.h>
#include <kiln/platform/ui/dialog_handler.h>

#include "ratio.h"

namespace {

// A program that acts on its progress dialog between its own calls: no front end draws here.
void Quiet(const kiln::DialogEvent&) {}

void ProgressStepIt(benchmark::State& state) {
    kiln::DialogHandler previous = kiln::SetDialogHandler(Quiet);
    {
        CProgressDlg dialog;
        dialog.Create();
        dialog.SetRange(0, 30000);
        dialog.SetStep(1);
        for (auto _ : state) benchmark::DoNotOptimize(dialog.StepIt());
    }
    kiln::SetDialogHandler(previous);
}
BENCHMARK(ProgressStepIt)->Iterations(1000000)->Repetitions(10)->ReportAggregatesOnly(true);

void EmptyPeekMessage(benchmark::State& state) {
    MSG msg;
    for (auto _ : state) benchmark::DoNotOptimize(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}
BENCHMARK(EmptyPeekMessage)->Iterations(1000000)->Repetitions(10)->ReportAggregatesOnly(true);

KILN_COMPARE("ProgressStepIt", "EmptyPeekMessage", 2.0);

}  // namespace

KILN_BENCHMARK_MAIN()
