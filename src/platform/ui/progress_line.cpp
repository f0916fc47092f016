#include "platform/ui/progress_line.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <new>
#include <poll.h>
#include <pthread.h>
#include <string>
#include <unistd.h>
#include <vector>

#include <kiln/platform/text/mbcs.h>

#include <kiln/platform/text/user_charset.h>
#include "platform/ui/control_text.h"
#include "platform/ui/front_end.h"
#include "platform/ui/terminal_mode.h"
#include "platform/ui/terminal_width.h"

namespace kiln {

namespace {

constexpr int kProgressId = 3004;
constexpr int kPercentId = 3005;
constexpr int kStatusId = 3006;
constexpr int kBarWidth = 20;
constexpr long long kDrawIntervalMs = 100;  // at most ten redraws a second
constexpr long kTickNs = 30'000'000;        // keys answer well within a tenth of a second
constexpr char kClearLine[] = "\r\x1b[K";

struct LineState {
    std::vector<HWND> dialogs;  // oldest first
    std::unique_ptr<KeyMode> keys;
    std::string drawn;  // the line on the screen, empty when none
    unsigned lastTick = 0;
    long long nextDraw = 0;
    bool busy = false;  // drawing sends messages, which must not poll again
    int aside = 0;
};

thread_local LineState* t_line = nullptr;

void Finish();

// Ends the line of a thread that ends with its dialogs still shown. Kept apart from t_line, whose
// plain pointer is all an idle pump reads.
struct LineOwner {
    bool armed = false;
    ~LineOwner() {
        if (armed && t_line) Finish();
    }
};

thread_local LineOwner t_owner;

// Counts 30 ms periods while any thread shows a line. An idle pump compares this count with the
// one it last acted on instead of reading a clock: where the clocks are not served in user space
// (some virtual machines), reading one costs more than the empty peek itself.
class Ticker {
public:
    unsigned Ticks() const { return ticks_.load(std::memory_order_relaxed); }

    void Use() {
        std::lock_guard<std::mutex> lock(mutex_);
        ++users_;
        wake_.notify_one();
        if (running_) return;
        pthread_t thread;
        running_ = pthread_create(&thread, nullptr, Run, this) == 0;
        if (running_) pthread_detach(thread);
    }

    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        --users_;
    }

    // A forked child has no ticking thread, whatever its parent had.
    void ForgetThread() {
        new (&mutex_) std::mutex;
        new (&wake_) std::condition_variable;
        running_ = false;
    }

private:
    static void* Run(void* self) {
        Ticker& ticker = *static_cast<Ticker*>(self);
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(ticker.mutex_);
                ticker.wake_.wait(lock, [&] { return ticker.users_ > 0; });
            }
            timespec period{0, kTickNs};
            nanosleep(&period, nullptr);
            ticker.ticks_.fetch_add(1, std::memory_order_relaxed);
        }
        return nullptr;
    }

    std::atomic<unsigned> ticks_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    int users_ = 0;
    bool running_ = false;
};

// Never destroyed: its thread runs until the process ends.
Ticker& TheTicker() {
    static Ticker* ticker = [] {
        pthread_atfork(nullptr, nullptr, [] { TheTicker().ForgetThread(); });
        return new Ticker;
    }();
    return *ticker;
}

long long NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

bool Usable(HWND control) { return control && (StyleOf(control) & WS_VISIBLE) && IsWindowEnabled(control); }

// Control bytes (line breaks in a status text) would move the cursor: they become blanks.
std::string OneLine(std::string text) {
    for (char& c : text)
        if ((unsigned char)c < 0x20 || c == 0x7F) c = ' ';
    auto blank = [](char c) { return c == ' '; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    return text;
}

std::string Bar(HWND progress) {
    PBRANGE range{0, 0};
    SendMessageA(progress, PBM_GETRANGE, TRUE, (LPARAM)&range);
    long long position = (long long)SendMessageA(progress, PBM_GETPOS, 0, 0);
    // An empty range shows an empty bar.
    long long span = (long long)range.iHigh - range.iLow;
    long long filled = span > 0 ? (position - range.iLow) * kBarWidth / span : 0;
    filled = std::clamp<long long>(filled, 0, kBarWidth);
    return "[" + std::string((size_t)filled, '#') + std::string((size_t)(kBarWidth - filled), '-') + "]";
}

// The line of a dialog, in code page 932.
std::string Compose(HWND dialog) {
    std::string text = OneLine(WindowText(dialog));
    std::string status = OneLine(WindowText(GetDlgItem(dialog, kStatusId)));
    if (!status.empty()) text += text.empty() ? status : ": " + status;

    std::string tail;
    HWND progress = GetDlgItem(dialog, kProgressId);
    if (progress) tail += " " + Bar(progress);
    HWND percent = GetDlgItem(dialog, kPercentId);
    if (percent && (StyleOf(percent) & WS_VISIBLE)) tail += " " + OneLine(WindowText(percent));
    std::string keys;
    if (Usable(GetDlgItem(dialog, IDCANCEL))) keys += "Esc/c: Cancel";
    if (Usable(GetDlgItem(dialog, IDOK))) keys += std::string(keys.empty() ? "" : ", ") + "Enter/o: OK";
    if (!keys.empty()) tail += "  (" + keys + ")";

    // The last column stays free: writing into it makes some terminals wrap at once.
    int room = TerminalColumns(STDERR_FILENO) - 1 - (int)tail.size();
    return text.substr(0, FittingLength(text, (size_t)std::max(room, 0))) + tail;
}

void Put(const std::string& bytes) {
    std::fputs(bytes.c_str(), stderr);
    std::fflush(stderr);
}

void Clear(LineState& line) {
    if (line.drawn.empty()) return;
    Put(kClearLine);
    line.drawn.clear();
    SetLineInPlace(false);
}

void Draw(LineState& line, long long now) {
    HWND dialog = line.dialogs.back();
    // A hidden dialog (a modeless one ended with EndDialog) shows nothing.
    std::string text = IsWindowVisible(dialog) ? Compose(dialog) : std::string();
    if (text.empty()) return Clear(line);
    if (text == line.drawn) return;
    Put(kClearLine + ToUserCharset(text));
    line.drawn = text;
    line.nextDraw = now + kDrawIntervalMs;
    SetLineInPlace(true);
}

void Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (Usable(button)) PostMessageA(button, BM_CLICK, 0, 0);
}

// Takes what has been typed without waiting for more. Only a terminal is read: input from a file
// or a pipe belongs to the program.
void ReadKeys(const LineState& line) {
    if (!line.keys || !line.keys->Active()) return;
    HWND dialog = line.dialogs.back();
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0 || !(input.revents & POLLIN)) return;
    char keys[64];
    ssize_t n = read(STDIN_FILENO, keys, sizeof keys);
    for (ssize_t i = 0; i < n; ++i) {
        char c = keys[i];
        if (c == 0x1B && i + 1 < n && (keys[i + 1] == '[' || keys[i + 1] == 'O')) {
            // A sequence (an arrow, a function key): skipped up to its final byte.
            for (i += 2; i < n && ((unsigned char)keys[i] < 0x40 || (unsigned char)keys[i] > 0x7E);) ++i;
        } else if (c == 0x1B || c == 'c' || c == 'C') {
            Click(dialog, IDCANCEL);
        } else if (c == '\r' || c == '\n' || c == 'o' || c == 'O') {
            Click(dialog, IDOK);
        }
    }
}

// Forgets dialogs destroyed without being reported.
void DropStale(LineState& line) {
    std::erase_if(line.dialogs, [](HWND dialog) { return !IsWindow(dialog); });
}

void Finish() {
    TheTicker().Release();
    LineState* line = t_line;
    Clear(*line);
    t_line = nullptr;
    delete line;
}

}  // namespace

void ShowProgressLine(HWND dialog) {
    if (!t_line) {
        TheTicker().Use();
        t_line = new LineState;
        t_line->lastTick = TheTicker().Ticks();
        t_owner.armed = true;
    }
    LineState& line = *t_line;
    line.dialogs.push_back(dialog);
    if (line.aside > 0) return;
    if (!line.keys) line.keys = std::make_unique<KeyMode>(false);
    line.busy = true;
    Draw(line, NowMs());
    line.busy = false;
}

void EndProgressLine(HWND dialog) {
    LineState* line = t_line;
    if (!line) return;
    std::erase(line->dialogs, dialog);
    DropStale(*line);
    Clear(*line);
    if (line->dialogs.empty() && line->aside == 0) {
        Finish();
        return;
    }
    if (line->aside == 0) {
        line->busy = true;
        Draw(*line, NowMs());
        line->busy = false;
    }
}

void PollTerminalDialogs() {
    LineState* line = t_line;
    if (!line || line->busy || line->aside > 0) return;
    unsigned tick = TheTicker().Ticks();
    if (tick == line->lastTick) return;
    line->lastTick = tick;
    long long now = NowMs();
    line->busy = true;
    DropStale(*line);
    if (line->dialogs.empty()) {
        Finish();
        return;
    }
    ReadKeys(*line);
    if (now >= line->nextDraw) Draw(*line, now);
    line->busy = false;
}

ProgressLineAside::ProgressLineAside() : active_(t_line != nullptr) {
    if (!active_) return;
    LineState& line = *t_line;
    if (line.aside++ > 0) return;
    Clear(line);
    line.keys.reset();
}

ProgressLineAside::~ProgressLineAside() {
    if (!active_ || !t_line) return;
    LineState& line = *t_line;
    if (--line.aside > 0) return;
    DropStale(line);
    if (line.dialogs.empty()) {
        Finish();
        return;
    }
    line.keys = std::make_unique<KeyMode>(false);
    line.busy = true;
    Draw(line, NowMs());
    line.busy = false;
}

}  // namespace kiln
