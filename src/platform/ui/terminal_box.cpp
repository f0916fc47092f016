#include "platform/ui/terminal_box.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <string>
#include <unistd.h>
#include <vector>

#include <kiln/platform/text/user_charset.h>
#include "platform/ui/progress_line.h"

namespace kiln {

namespace {

struct Button {
    int id;
    const char* name;
    char key;
};

constexpr Button kOk{IDOK, "OK", 'o'};
constexpr Button kCancel{IDCANCEL, "Cancel", 'c'};
constexpr Button kAbort{IDABORT, "Abort", 'a'};
constexpr Button kRetry{IDRETRY, "Retry", 'r'};
constexpr Button kIgnore{IDIGNORE, "Ignore", 'i'};
constexpr Button kYes{IDYES, "Yes", 'y'};
constexpr Button kNo{IDNO, "No", 'n'};
constexpr Button kTryAgain{IDTRYAGAIN, "Try Again", 't'};
constexpr Button kContinue{IDCONTINUE, "Continue", 'o'};

// The buttons of a style, left to right. A type that is not a Windows one shows OK.
std::vector<Button> ButtonsOf(unsigned style) {
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL: return {kOk, kCancel};
    case MB_ABORTRETRYIGNORE: return {kAbort, kRetry, kIgnore};
    case MB_YESNOCANCEL: return {kYes, kNo, kCancel};
    case MB_YESNO: return {kYes, kNo};
    case MB_RETRYCANCEL: return {kRetry, kCancel};
    case MB_CANCELTRYCONTINUE: return {kCancel, kTryAgain, kContinue};
    default: return {kOk};
    }
}

// MB_DEFBUTTON1..4 chooses the default; one past the last button means the last.
size_t DefaultIndex(unsigned style, size_t buttonCount) {
    size_t index = (style & MB_DEFMASK) >> 8;
    return std::min(index, buttonCount - 1);
}

const char* IconWord(unsigned style) {
    switch (style & MB_ICONMASK) {
    case MB_ICONHAND: return "Error";
    case MB_ICONQUESTION: return "Question";
    case MB_ICONEXCLAMATION: return "Warning";
    case MB_ICONASTERISK: return "Information";
    default: return nullptr;
    }
}

// CR LF and lone CR end lines; other control bytes could drive the terminal and are shown as '?'.
// (No CP932 trail byte is below 0x40, so the bytes can be looked at one by one.)
std::string ForTerminal(const char* cp932) {
    std::string text;
    for (const char* p = cp932; *p; ++p) {
        unsigned char c = (unsigned char)*p;
        if (c == '\r') {
            text += '\n';
            if (p[1] == '\n') ++p;
        } else if ((c < 0x20 && c != '\n' && c != '\t') || c == 0x7F) {
            text += '?';
        } else {
            text += (char)c;
        }
    }
    return ToUserCharset(text);
}

std::string Trimmed(const char* line) {
    std::string s(line);
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    s.erase(std::find_if_not(s.rbegin(), s.rend(), blank).base(), s.end());
    s.erase(s.begin(), std::find_if_not(s.begin(), s.end(), blank));
    return s;
}

}  // namespace

int AskOnTerminal(const MessageBoxCall& call, std::FILE* in, std::FILE* out) {
    const std::vector<Button> buttons = ButtonsOf(call.style);
    const Button& def = buttons[DefaultIndex(call.style, buttons.size())];

    std::string box;
    if (const char* icon = IconWord(call.style)) box += std::string("[") + icon + "] ";
    box += ForTerminal(call.caption) + "\n" + ForTerminal(call.text) + "\n";
    std::string prompt;
    for (const Button& b : buttons) {
        if (!prompt.empty()) prompt += ", ";
        prompt += std::string(b.name) + " (" + b.key + ")";
    }
    prompt += std::string(" [Enter = ") + def.name + "]: ";
    std::fputs(box.c_str(), out);

    char* line = nullptr;
    size_t capacity = 0;
    int answer = 0;
    while (answer == 0) {
        std::fputs(prompt.c_str(), out);
        std::fflush(out);
        if (getline(&line, &capacity, in) < 0) {
            // Nobody is left to answer: take the default, and end the prompt's line.
            std::fprintf(out, "%s\n", def.name);
            answer = def.id;
            break;
        }
        std::string reply = Trimmed(line);
        if (reply.empty()) {
            answer = def.id;
        } else if (reply.size() == 1) {
            char key = (char)std::tolower((unsigned char)reply[0]);
            for (const Button& b : buttons)
                if (b.key == key) answer = b.id;
        }
    }
    std::free(line);
    return answer;
}

int ReportInBatch(const MessageBoxCall& call, std::FILE* out) {
    const std::vector<Button> buttons = ButtonsOf(call.style);
    const Button& def = buttons[DefaultIndex(call.style, buttons.size())];
    std::string line = ForTerminal(call.caption) + ": " + ForTerminal(call.text);
    if (buttons.size() > 1) {
        line += " [";
        for (size_t i = 0; i < buttons.size(); ++i) line += std::string(i ? "/" : "") + buttons[i].name;
        line += std::string(": ") + def.name + "]";
    }
    line += "\n";
    std::fputs(line.c_str(), out);
    std::fflush(out);
    return def.id;
}

int DefaultMessageBox(const MessageBoxCall& call) {
    static std::mutex terminal;
    std::lock_guard<std::mutex> lock(terminal);
    // What the program wrote before the box comes before it on the screen or in the log.
    std::fflush(stdout);
    ProgressLineAside aside;
    if (isatty(STDIN_FILENO) && isatty(STDERR_FILENO)) return AskOnTerminal(call, stdin, stderr);
    return ReportInBatch(call, stderr);
}

}  // namespace kiln
