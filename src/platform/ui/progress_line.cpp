#include "platform/ui/progress_line.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

#include <kiln/platform/text/mbcs.h>

#include "platform/text/user_charset.h"
#include "platform/ui/control_text.h"
#include "platform/ui/front_end.h"
#include "platform/ui/terminal_mode.h"

namespace kiln {

namespace {

constexpr int kProgressId = 3004;
constexpr int kPercentId = 3005;
constexpr int kStatusId = 3006;
constexpr int kBarWidth = 20;
constexpr long long kDrawIntervalMs = 100;  // at most ten redraws a second
constexpr long long kKeyIntervalMs = 30;    // keys answer well within a tenth of a second
constexpr char kClearLine[] = "\r\x1b[K";

struct LineState {
    std::vector<HWND> dialogs;  // oldest first
    std::unique_ptr<KeyMode> keys;
    std::string drawn;          // the line on the screen, empty when none
    long long nextPoll = 0;
    long long nextDraw = 0;
    bool busy = false;          // drawing sends messages, which must not poll again
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

// The coarse clock is read without a system call, so an idle pump pays a few nanoseconds.
long long NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

bool Usable(HWND control) {
    return control && (StyleOf(control) & WS_VISIBLE) && IsWindowEnabled(control);
}

// Control bytes (line breaks in a status text) would move the cursor: they become blanks.
std::string OneLine(std::string text) {
    for (char& c : text)
        if ((unsigned char)c < 0x20 || c == 0x7F) c = ' ';
    auto blank = [](char c) { return c == ' '; };
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    text.erase(std::find_if_not(text.rbegin(), text.rend(), blank).base(), text.end());
    return text;
}

// At most `columns` bytes of code page 932 text, cut between characters. A double-byte character
// takes two columns on a terminal and a single byte one, so bytes count columns.
std::string Fit(const std::string& text, int columns) {
    size_t end = 0;
    while (end < text.size()) {
        size_t next = (size_t)(_mbsinc((const unsigned char*)text.c_str() + end) -
                               (const unsigned char*)text.c_str());
        if ((int)next > columns) break;
        end = next;
    }
    return text.substr(0, end);
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
    int room = TerminalColumns() - 1 - (int)tail.size();
    return Fit(text, std::max(room, 0)) + tail;
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
    LineState* line = t_line;
    Clear(*line);
    t_line = nullptr;
    delete line;
}

}  // namespace

void ShowProgressLine(HWND dialog) {
    if (!t_line) {
        t_line = new LineState;
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
    long long now = NowMs();
    if (now < line->nextPoll) return;
    line->nextPoll = now + kKeyIntervalMs;
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
