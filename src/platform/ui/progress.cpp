#include <kiln/platform/ui/controls.h>

#include <algorithm>

#include "platform/ui/window_class.h"
#include "platform/ui/window_table.h"

namespace kiln {

namespace {

struct ProgressState : ControlState {
    int low = 0;
    int high = 100;
    int position = 0;
    int step = 10;
};

int Clamp(const ProgressState& bar, int position) {
    return std::clamp(position, bar.low, std::max(bar.low, bar.high));
}

// A step past either end starts over from the other end, carrying what overshot, as the common
// control does; an empty range keeps the position at its lower bound.
int Wrap(const ProgressState& bar, int position) {
    const int span = bar.high - bar.low;
    if (span <= 0) return bar.low;
    if (position > bar.high) return bar.low + (position - bar.high) % span;
    if (position < bar.low) return bar.high - (bar.low - position) % span;
    return position;
}

LRESULT SetRange(ProgressState& bar, int low, int high) {
    LRESULT previous = MAKELRESULT(bar.low, bar.high);
    bar.low = low;
    bar.high = high;
    bar.position = Clamp(bar, bar.position);
    return previous;
}

LRESULT Move(ProgressState& bar, int position) {
    int previous = bar.position;
    bar.position = position;
    return previous;
}

// A message before WM_NCCREATE has given the bar its state, or to a window that is gone.
[[gnu::noinline]] LRESULT WithoutState(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = LookupWindow(hWnd);
    if (window == nullptr) return 0;
    if (message == WM_NCCREATE) window->control = std::make_unique<ProgressState>();
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace

// A job may step its bar once per item: the common case, a bar with its state, comes first.
LRESULT CALLBACK ProgressProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* bar = ControlOf<ProgressState>(hWnd);
    if (bar == nullptr) [[unlikely]]
        return WithoutState(hWnd, message, wParam, lParam);
    switch (message) {
    case PBM_SETRANGE: return SetRange(*bar, LOWORD(lParam), HIWORD(lParam));
    case PBM_SETRANGE32: return SetRange(*bar, (int)wParam, (int)lParam);
    case PBM_GETRANGE:
        if (lParam != 0) *(PBRANGE*)lParam = PBRANGE{bar->low, bar->high};
        return wParam ? bar->low : bar->high;
    case PBM_SETPOS: return Move(*bar, Clamp(*bar, (int)wParam));
    case PBM_GETPOS: return bar->position;
    case PBM_DELTAPOS: return Move(*bar, Clamp(*bar, bar->position + (int)wParam));
    case PBM_SETSTEP: {
        int previous = bar->step;
        bar->step = (int)wParam;
        return previous;
    }
    case PBM_STEPIT: return Move(*bar, Wrap(*bar, bar->position + bar->step));
    }
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

}  // namespace kiln
