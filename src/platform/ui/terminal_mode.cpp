#include "platform/ui/terminal_mode.h"

#include <csignal>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace kiln {

namespace {

// What the outermost KeyMode found, for the handlers; they read only plain data, as a signal
// handler must.
termios g_original;
volatile sig_atomic_t g_depth = 0;
volatile sig_atomic_t g_lineShown = 0;
struct sigaction g_previousInt;
struct sigaction g_previousTerm;
std::mutex g_mutex;

constexpr char kClearLine[] = "\r\x1b[K";

void PutBack() {
    if (g_lineShown) {
        ssize_t ignored = write(STDERR_FILENO, kClearLine, sizeof kClearLine - 1);
        (void)ignored;
        g_lineShown = 0;
    }
    if (g_depth > 0) tcsetattr(STDIN_FILENO, TCSADRAIN, &g_original);
}

void OnSignal(int sig) {
    PutBack();
    // Blocked while this handler runs, the signal raised again is taken with the former
    // disposition as soon as the handler returns.
    sigaction(sig, sig == SIGINT ? &g_previousInt : &g_previousTerm, nullptr);
    raise(sig);
}

void OnExit() { PutBack(); }

void InstallHandlers() {
    static bool atExit = (std::atexit(OnExit), true);
    (void)atExit;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_previousInt);
    sigaction(SIGTERM, &action, &g_previousTerm);
}

void RemoveHandlers() {
    sigaction(SIGINT, &g_previousInt, nullptr);
    sigaction(SIGTERM, &g_previousTerm, nullptr);
}

}  // namespace

KeyMode::KeyMode(bool wait) {
    if (tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_depth == 0) {
        g_original = saved_;
        InstallHandlers();
    }
    termios keys = saved_;
    // ISIG stays on: Ctrl-C still interrupts, and the handler gives the terminal back first.
    keys.c_lflag &= ~(tcflag_t)(ICANON | ECHO);
    keys.c_iflag &= ~(tcflag_t)(ICRNL | INLCR | IGNCR);
    keys.c_cc[VMIN] = wait ? 1 : 0;
    keys.c_cc[VTIME] = 0;
    g_depth = g_depth + 1;
    changed_ = true;
    tcsetattr(STDIN_FILENO, TCSADRAIN, &keys);
}

KeyMode::~KeyMode() {
    if (!changed_) return;
    std::lock_guard<std::mutex> lock(g_mutex);
    tcsetattr(STDIN_FILENO, TCSADRAIN, &saved_);
    g_depth = g_depth - 1;
    if (g_depth == 0) RemoveHandlers();
}

void SetLineInPlace(bool shown) { g_lineShown = shown ? 1 : 0; }

}  // namespace kiln
