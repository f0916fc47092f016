// What every fuzz target shares: message boxes answered at once and silently, a scratch folder, and
// a check that stops the run when the library breaks a promise it makes.
#pragma once

#include <kiln/platform/ui/message_box.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace kiln::fuzz {

// A scripted target's input: a first byte whose low six bits give the script's length (at most 63,
// and at most what follows), the script, then the data the script works on. size must not be 0.
struct Scripted {
    const uint8_t* script;
    size_t scriptLength;
    const uint8_t* data;
    size_t length;
};

inline Scripted SplitScript(const uint8_t* data, size_t size) {
    const size_t scriptLength = std::min<size_t>(data[0] & 63, size - 1);
    return Scripted{data + 1, scriptLength, data + 1 + scriptLength, size - 1 - scriptLength};
}

// Answers every box with the choice that lets the library go on without repeating itself: Ignore,
// No, Cancel, else OK. Nothing is printed, so a long run is not slowed by the terminal.
inline void QuietBoxes() {
    SetMessageBoxHandler([](const MessageBoxCall& call) {
        switch (call.style & 0x0F) {
        case MB_ABORTRETRYIGNORE: return IDIGNORE;
        case MB_YESNO:
        case MB_YESNOCANCEL: return IDNO;
        case MB_OKCANCEL:
        case MB_RETRYCANCEL: return IDCANCEL;
        default: return IDOK;
        }
    });
}

// A folder of this process, made on first use and removed when the process exits normally. It is
// under $TMPDIR when that is set, else in memory (/dev/shm) when there is one, where the syncs of
// the settings writes cost nothing.
inline const std::string& ScratchDir() {
    // Never destroyed: the exit handler that removes the folder runs after static destructors.
    static const std::string* dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = tmp != nullptr && *tmp != '\0'  ? tmp
                           : access("/dev/shm", W_OK) == 0 ? "/dev/shm"
                                                           : "/tmp";
        auto* made = new std::string(base + "/kiln-fuzz-XXXXXX");
        if (mkdtemp(made->data()) == nullptr) std::abort();
        std::atexit([] { std::filesystem::remove_all(ScratchDir()); });
        return made;
    }();
    return *dir;
}

inline void WriteWhole(const std::string& path, const void* data, size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr || (size != 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0)
        std::abort();
}

// A promise broken: report it where libFuzzer shows it and stop with the input saved.
#define KILN_FUZZ_CHECK(condition)                                                             \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

}  // namespace kiln::fuzz
