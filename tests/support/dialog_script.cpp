#include "support/dialog_script.h"

namespace kiln::test {

DialogScript::DialogScript() {
    m_previous = SetDialogHandler([this](const DialogEvent& event) { Handle(event); });
}

DialogScript::~DialogScript() { SetDialogHandler(std::move(m_previous)); }

void DialogScript::OnWait(Step step) { m_steps.push_back(std::move(step)); }

std::string DialogScript::Kinds() const {
    static const char* const names[] = {"Shown", "Waiting", "Destroyed"};
    std::string kinds;
    for (const RecordedDialogEvent& event : m_events) {
        if (!kinds.empty()) kinds += ' ';
        kinds += names[(int)event.kind];
    }
    return kinds;
}

void DialogScript::Handle(const DialogEvent& event) {
    if (event.kind == DialogEventKind::Shown && m_onShown) m_onShown(event.dialog);
    m_events.push_back({event.kind, event.modal, TextOf(event.dialog)});
    if (event.kind != DialogEventKind::Waiting || m_steps.empty()) return;
    Step step = std::move(m_steps.front());
    m_steps.pop_front();
    step(event.dialog);
}

void Type(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }

void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Pick(HWND dialog, int id, int index) {
    HWND list = GetDlgItem(dialog, id);
    int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
    SendMessageA(list, WM_LBUTTONDOWN, 0, MAKELPARAM(2, (index - top) * 16 + 2));
}

void Press(HWND window, int virtualKey) {
    PostMessageA(window, WM_KEYDOWN, (WPARAM)virtualKey, 0);
    PostMessageA(window, WM_KEYUP, (WPARAM)virtualKey, 0);
}

std::string TextOf(HWND window) {
    std::string text((size_t)GetWindowTextLengthA(window) + 1, '\0');
    text.resize((size_t)GetWindowTextA(window, text.data(), (int)text.size()));
    return text;
}

}  // namespace kiln::test
