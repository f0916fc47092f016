// Key-by-key input on the terminal, and the promise to give the terminal back as it was.
#pragma once

#include <termios.h>

namespace kiln {

// While alive, standard input's terminal delivers keys one by one without echoing them: with wait,
// a read waits for the next key; without, a read returns at once with what has been typed. The
// destructor puts back the modes found at construction, so scopes nest (a modal dialog read while
// a progress line polls). The modes found by the outermost scope are also put back when the
// process exits and when SIGINT or SIGTERM arrives (the signal then takes its former course).
// When standard input is not a terminal nothing changes and reads go to it as they are.
class KeyMode {
public:
    explicit KeyMode(bool wait);
    ~KeyMode();
    KeyMode(const KeyMode&) = delete;
    KeyMode& operator=(const KeyMode&) = delete;

    // True when standard input is a terminal now giving keys one by one.
    bool Active() const { return changed_; }

private:
    termios saved_{};
    bool changed_ = false;
};

// Tells the signal and exit handlers that a line of standard error is being redrawn in place, so
// that they clear it before the process goes.
void SetLineInPlace(bool shown);

}  // namespace kiln
