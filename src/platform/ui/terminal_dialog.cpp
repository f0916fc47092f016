// The terminal front end: a modal dialog asked field by field, modeless ones as a progress line.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <strings.h>
#include <unistd.h>
#include <vector>

#include <kiln/platform/ui/dialog_box.h>

#include <kiln/platform/text/user_charset.h>
#include "platform/ui/control_text.h"
#include "platform/ui/front_end.h"
#include "platform/ui/key_reader.h"
#include "platform/ui/line_editor.h"
#include "platform/ui/progress_line.h"
#include "platform/ui/terminal_mode.h"

namespace kiln {

namespace {

enum class Kind { Text, Edit, List, Check, Radio, Button, Other };

struct Control {
    HWND window;
    Kind kind;
    DWORD style;
    std::string label;        // the text without its '&' marks, code page 932
    char mnemonic;            // the letter after '&', lower case, or 0
    bool labelsNext = false;  // a text just before an edit or a list: shown as that field's label
};

// "&Save" shows as "Save" with the key 's'; "&&" is a plain '&'.
void SplitMnemonic(const std::string& text, bool prefixes, std::string& label, char& mnemonic) {
    label.clear();
    mnemonic = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (prefixes && text[i] == '&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != '&' && !mnemonic && std::isalnum((unsigned char)text[i]))
                mnemonic = (char)std::tolower((unsigned char)text[i]);
        }
        label += text[i];
    }
}

Kind KindOf(HWND window, DWORD style) {
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    if (strcasecmp(name, "Static") == 0) return (style & 0x1F) == SS_ICON ? Kind::Other : Kind::Text;
    if (strcasecmp(name, "Edit") == 0) return Kind::Edit;
    if (strcasecmp(name, "ListBox") == 0) return Kind::List;
    if (strcasecmp(name, "Button") != 0) return Kind::Other;
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return Kind::Button;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: return Kind::Check;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return Kind::Radio;
    case BS_GROUPBOX: return Kind::Text;
    default: return Kind::Other;
    }
}

bool TakesInput(const Control& control) {
    if (!IsWindowEnabled(control.window)) return false;
    if (control.kind == Kind::Edit) return !(control.style & ES_READONLY);
    return control.kind == Kind::List || control.kind == Kind::Check || control.kind == Kind::Radio;
}

// The visible controls in tab order.
std::vector<Control> ControlsOf(HWND dialog) {
    std::vector<Control> controls;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        DWORD style = StyleOf(child);
        if (!(style & WS_VISIBLE)) continue;
        Control control{child, KindOf(child, style), style, {}, 0, false};
        bool prefixes = control.kind != Kind::Text || !(style & SS_NOPREFIX);
        if (control.kind != Kind::Edit && control.kind != Kind::List)
            SplitMnemonic(WindowText(child), prefixes, control.label, control.mnemonic);
        bool field = (control.kind == Kind::Edit || control.kind == Kind::List) && TakesInput(control);
        if (field && !controls.empty() && controls.back().kind == Kind::Text)
            controls.back().labelsNext = true;
        controls.push_back(std::move(control));
    }
    return controls;
}

// The button Enter presses: the dialog's default id, else a BS_DEFPUSHBUTTON, else IDOK.
int DefaultId(HWND dialog, const std::vector<Control>& controls) {
    LRESULT def = SendMessageA(dialog, DM_GETDEFID, 0, 0);
    if (HIWORD(def) == DC_HASDEFID) return LOWORD(def);
    for (const Control& control : controls)
        if (control.kind == Kind::Button && (control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return GetDlgCtrlID(control.window);
    return IDOK;
}

// Line breaks end lines on the terminal; other control bytes could drive it and show as '?'.
std::string Printable(const std::string& cp932) {
    std::string text;
    for (size_t i = 0; i < cp932.size(); ++i) {
        unsigned char c = (unsigned char)cp932[i];
        if (c == '\r') {
            text += '\n';
            if (i + 1 < cp932.size() && cp932[i + 1] == '\n') ++i;
        } else {
            text += (c < 0x20 && c != '\n' && c != '\t') || c == 0x7F ? '?' : (char)c;
        }
    }
    return ToUserCharset(text);
}

void Print(const std::string& cp932) { std::fputs((Printable(cp932) + "\n").c_str(), stderr); }

class Presenter {
public:
    explicit Presenter(HWND dialog) : dialog_(dialog), controls_(ControlsOf(dialog)) {
        defaultId_ = DefaultId(dialog, controls_);
        for (const Control& control : controls_)
            if (control.kind == Kind::Button && IsWindowEnabled(control.window)) buttons_.push_back(control);
        AssignKeys();
    }

    void Run() {
        std::fputs("\n", stderr);
        std::string caption = WindowText(dialog_);
        if (!caption.empty()) Print("== " + caption + " ==");
        bool fields = false;
        for (const Control& control : controls_) {
            if (control.kind == Kind::Text && !control.labelsNext && !control.label.empty())
                Print(control.label);
            if (control.kind == Kind::Edit && !TakesInput(control)) Print(WindowText(control.window));
            fields = fields || TakesInput(control);
        }
        Print(KeysLine());
        for (size_t i = 0; i < controls_.size(); ++i) {
            const Control& control = controls_[i];
            if (!TakesInput(control) || !IsWindow(control.window)) continue;
            if (i > 0 && controls_[i - 1].labelsNext && !controls_[i - 1].label.empty())
                Print(controls_[i - 1].label);
            bool next = control.kind == Kind::Edit   ? AskEdit(control)
                        : control.kind == Kind::List ? AskList(control)
                                                     : AskCheck(control);
            if (!next) {
                Cancel();
                return;
            }
        }
        if (fields && !HasOtherButtons() && Press(defaultId_)) return;
        AskButton();
    }

private:
    bool IsCancel(const Control& button) const { return GetDlgCtrlID(button.window) == IDCANCEL; }
    bool IsDefault(const Control& button) const { return GetDlgCtrlID(button.window) == defaultId_; }

    bool HasOtherButtons() const {
        for (const Control& button : buttons_)
            if (!IsCancel(button) && !IsDefault(button)) return true;
        return false;
    }

    // Buttons without a '&' letter take the first free letter or digit of their label.
    void AssignKeys() {
        std::string taken;
        for (const Control& button : buttons_)
            if (button.mnemonic) taken += button.mnemonic;
        for (Control& button : buttons_) {
            for (size_t i = 0; !button.mnemonic && i < button.label.size(); ++i) {
                char c = (char)std::tolower((unsigned char)button.label[i]);
                if (std::isalnum((unsigned char)c) && taken.find(c) == std::string::npos) {
                    button.mnemonic = c;
                    taken += c;
                }
            }
        }
    }

    std::string KeysLine() const {
        std::string line;
        for (const Control& button : buttons_) {
            std::string keys;
            if (IsDefault(button)) keys = "Enter";
            if (IsCancel(button)) keys = "Esc";
            if (button.mnemonic) keys += (keys.empty() ? "" : "/") + std::string(1, button.mnemonic);
            line += (line.empty() ? "" : "  ") + std::string("[") + keys + "] " + button.label;
        }
        return line.empty() ? "[Enter] OK  [Esc] Cancel" : line;
    }

    bool AskEdit(const Control& edit) {
        std::string text = WindowText(edit.window);
        // A multi-line edit keeps its earlier lines as they are and edits its last one.
        size_t lastBreak = text.find_last_of('\n');
        std::string head = lastBreak == std::string::npos ? "" : text.substr(0, lastBreak + 1);
        if (!head.empty()) Print(head.substr(0, head.find_last_not_of("\r\n") + 1));
        std::string line = text.substr(head.size());
        LineOptions options;
        options.prompt = "> ";
        size_t limit = (size_t)SendMessageA(edit.window, EM_GETLIMITTEXT, 0, 0);
        options.limit = limit > head.size() ? limit - head.size() : 0;
        options.password = (edit.style & ES_PASSWORD) != 0;
        options.digitsOnly = (edit.style & ES_NUMBER) != 0;
        // An edit that takes Tab itself (a file dialog's name) completes what has been typed so far.
        if (SendMessageA(edit.window, WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) {
            options.complete = [&](const std::string& typed) {
                SetWindowTextA(edit.window, (head + typed).c_str());
                SendMessageA(edit.window, WM_KEYDOWN, VK_TAB, 0);
                std::string now = WindowText(edit.window);
                return now.size() >= head.size() ? now.substr(head.size()) : typed;
            };
        }
        if (!EditLine(line, options, STDIN_FILENO, stderr)) return false;
        if (head + line != text) SetWindowTextA(edit.window, (head + line).c_str());
        return true;
    }

    bool AskList(const Control& list) {
        int count = (int)SendMessageA(list.window, LB_GETCOUNT, 0, 0);
        if (count <= 0) return true;
        for (int i = 0; i < count; ++i) {
            int length = (int)SendMessageA(list.window, LB_GETTEXTLEN, (WPARAM)i, 0);
            std::string item((size_t)std::max(length, 0) + 1, '\0');
            int got = (int)SendMessageA(list.window, LB_GETTEXT, (WPARAM)i, (LPARAM)item.data());
            item.resize((size_t)std::max(got, 0));
            char number[16];
            std::snprintf(number, sizeof number, "%3d  ", i + 1);
            Print(number + item);
        }
        int selected = (int)SendMessageA(list.window, LB_GETCURSEL, 0, 0);
        std::string answer = selected >= 0 ? std::to_string(selected + 1) : "";
        LineOptions options;
        options.prompt = "Number (1-" + std::to_string(count) + "): ";
        options.digitsOnly = true;
        for (;;) {
            if (!EditLine(answer, options, STDIN_FILENO, stderr)) return false;
            int chosen = answer.empty() ? 0 : std::atoi(answer.c_str());
            if (answer.empty() && selected < 0) return true;
            if (chosen >= 1 && chosen <= count) {
                if (chosen - 1 != selected) Select(list, chosen - 1);
                return true;
            }
            std::fputs("\a", stderr);
        }
    }

    void Select(const Control& list, int index) {
        SendMessageA(list.window, LB_SETCURSEL, (WPARAM)index, 0);
        if (list.style & LBS_NOTIFY)
            PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list.window), LBN_SELCHANGE),
                         (LPARAM)list.window);
    }

    // Space clicks the box (an automatic one changes its check); Enter or Tab goes on.
    bool AskCheck(const Control& box) {
        for (;;) {
            LRESULT check = SendMessageA(box.window, BM_GETCHECK, 0, 0);
            const char* mark = box.kind == Kind::Radio      ? (check ? "(*) " : "( ) ")
                               : check == BST_CHECKED       ? "[x] "
                               : check == BST_INDETERMINATE ? "[-] "
                                                            : "[ ] ";
            std::string line = "\r" + Printable(mark + box.label) + "  (Space: change)\x1b[K";
            std::fputs(line.c_str(), stderr);
            std::fflush(stderr);
            Key key = ReadKey(STDIN_FILENO);
            if (key.kind == KeyKind::Enter || key.kind == KeyKind::Tab) {
                std::fputs("\n", stderr);
                return true;
            }
            if (key.kind == KeyKind::Escape || key.kind == KeyKind::EndOfInput) {
                std::fputs("\n", stderr);
                return false;
            }
            if (key.kind == KeyKind::Text && key.byte == ' ') {
                SendMessageA(box.window, BM_CLICK, 0, 0);
                if (!IsWindow(box.window)) return true;
            }
        }
    }

    void AskButton() {
        std::fputs("? ", stderr);
        std::fflush(stderr);
        for (;;) {
            Key key = ReadKey(STDIN_FILENO);
            if (key.kind == KeyKind::Enter && Press(defaultId_)) return;
            if (key.kind == KeyKind::Escape || key.kind == KeyKind::EndOfInput) return Cancel();
            if (key.kind == KeyKind::Text) {
                char c = (char)std::tolower((unsigned char)key.byte);
                for (const Control& button : buttons_)
                    if (button.mnemonic == c && Press(GetDlgCtrlID(button.window))) return;
            }
            std::fputs("\a", stderr);
            std::fflush(stderr);
        }
    }

    // Posted, so the dialog handles the click in its own loop: a validation box and the question
    // asked again come from there. False for a disabled button, which a click would not reach.
    bool Press(int id) {
        HWND button = GetDlgItem(dialog_, id);
        if (button && !IsWindowEnabled(button)) return false;
        std::fputs("\n", stderr);
        if (button)
            PostMessageA(button, BM_CLICK, 0, 0);
        else
            PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        return true;
    }

    // Escape always ends the dialog, as a dialog without a usable Cancel button still takes IDCANCEL.
    void Cancel() {
        if (Press(IDCANCEL)) return;
        std::fputs("\n", stderr);
        PostMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    HWND dialog_;
    std::vector<Control> controls_;
    std::vector<Control> buttons_;
    int defaultId_ = IDOK;
};

}  // namespace

void TerminalDialogEvent(const DialogEvent& event) {
    if (!event.modal) {
        if (event.kind == DialogEventKind::Shown) ShowProgressLine(event.dialog);
        if (event.kind == DialogEventKind::Destroyed) EndProgressLine(event.dialog);
        return;
    }
    if (event.kind != DialogEventKind::Waiting) return;
    // What the program wrote before comes first on the screen.
    std::fflush(stdout);
    ProgressLineAside aside;
    KeyMode keys(true);
    Presenter(event.dialog).Run();
}

}  // namespace kiln
