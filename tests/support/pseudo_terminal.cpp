#include "support/pseudo_terminal.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kiln::test {

namespace {

long long NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

PseudoTerminal::PseudoTerminal(const std::function<int()>& body) {
    // exit, not _exit: the child's own exit handlers run, and a leak checker with them.
    Start([&] { std::exit(body()); });
}

PseudoTerminal::PseudoTerminal(const std::vector<std::string>& argv) {
    Start([&] {
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    });
}

void PseudoTerminal::Start(const std::function<void()>& child) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 80;
    pid_ = forkpty(&master_, nullptr, nullptr, &size);
    if (pid_ == 0) {
        setenv("LANG", "C.UTF-8", 1);
        setenv("LC_ALL", "C.UTF-8", 1);
        unsetenv("KILN_UI");
        child();
        _exit(127);
    }
    if (pid_ < 0) return;
    // Held open so the terminal outlives the child and its modes can still be read.
    slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
}

PseudoTerminal::~PseudoTerminal() {
    if (pid_ > 0 && status_ < 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
}

void PseudoTerminal::Type(std::string_view keys) {
    while (!keys.empty()) {
        ssize_t n = write(master_, keys.data(), keys.size());
        if (n <= 0 && errno != EINTR) return;
        if (n > 0) keys.remove_prefix((size_t)n);
    }
}

bool PseudoTerminal::ReadSome(int timeoutMs) {
    pollfd p{master_, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    char buffer[4096];
    ssize_t n = read(master_, buffer, sizeof buffer);
    if (n <= 0) return false;
    screen_.append(buffer, (size_t)n);
    return true;
}

bool PseudoTerminal::Expect(std::string_view text, int timeoutMs) {
    long long deadline = NowMs() + timeoutMs;
    for (;;) {
        size_t found = screen_.find(text, expected_);
        if (found != std::string::npos) {
            expected_ = found + text.size();
            return true;
        }
        long long left = deadline - NowMs();
        if (left <= 0) return false;
        ReadSome((int)left);
    }
}

int PseudoTerminal::Wait(int timeoutMs) {
    long long deadline = NowMs() + timeoutMs;
    while (status_ < 0) {
        int status = 0;
        pid_t done = waitpid(pid_, &status, WNOHANG);
        if (done == pid_) {
            while (ReadSome(0)) {}
            status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (NowMs() >= deadline) return -1;
        ReadSome(10);
    }
    return status_;
}

void PseudoTerminal::Signal(int sig) { kill(pid_, sig); }

termios PseudoTerminal::Modes() const {
    termios modes{};
    tcgetattr(slave_, &modes);
    return modes;
}

}  // namespace kiln::test
