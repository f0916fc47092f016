// Keys read from a terminal in key-by-key mode (KeyMode), escape sequences decoded.
#pragma once

// Internal to the library: not exported from the shared library.
#pragma GCC visibility push(hidden)

namespace kiln {

enum class KeyKind {
    Text,  // one byte of a character in the user's charset
    Enter,
    Tab,
    Escape,  // the Escape key alone
    Backspace,
    Delete,
    Left,
    Right,
    Home,
    End,
    KillLine,    // Ctrl-U
    EndOfInput,  // Ctrl-D, or nothing more to read
    Other,       // a key with no meaning here (function keys, arrows up and down...)
};

struct Key {
    KeyKind kind;
    char byte;  // for Text
};

// Waits for the next key on fd. An Escape byte followed within 50 ms by '[' or 'O' starts a
// sequence; alone, it is the Escape key.
Key ReadKey(int fd);

}  // namespace kiln

#pragma GCC visibility pop
