// A child process on a pseudo-terminal of its own, driven like a person at a keyboard.
//
//   kiln::test::PseudoTerminal term([] { return AskSomething(); });
//   ASSERT_TRUE(term.Expect("Name: "));   // waits (bounded) for the text on the screen
//   term.Type("Ada\r");
//   EXPECT_EQ(term.Wait(), 0);
//
// The child's standard input, output and error are the terminal (80 columns), with LANG and LC_ALL
// set to C.UTF-8 so that it writes UTF-8. Everything it shows is collected in Screen().
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <termios.h>
#include <vector>

namespace kiln::test {

class PseudoTerminal {
public:
    // Runs body in the child and exits with its result.
    explicit PseudoTerminal(const std::function<int()>& body);
    // Runs a program with arguments.
    explicit PseudoTerminal(const std::vector<std::string>& argv);
    // Kills a child still running.
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    void Type(std::string_view keys);
    // Reads until text appears after what earlier Expect calls found; false after timeoutMs.
    bool Expect(std::string_view text, int timeoutMs = 5000);
    // Waits for the child to end, reading what it shows: its exit code, 128 + the signal that
    // ended it, or -1 when it is still running after timeoutMs.
    int Wait(int timeoutMs = 5000);
    void Signal(int sig);
    // The terminal's modes as they are now (the test keeps the terminal open, so this works after
    // the child has ended too).
    termios Modes() const;
    const std::string& Screen() const { return screen_; }

private:
    void Start(const std::function<void()>& child);
    // Reads what is ready within timeoutMs; false when nothing came.
    bool ReadSome(int timeoutMs);

    int master_ = -1;
    int slave_ = -1;
    pid_t pid_ = -1;
    int status_ = -1;
    std::string screen_;
    size_t expected_ = 0;
};

}  // namespace kiln::test
