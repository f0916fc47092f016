#include "support/dialog_script.h"

namespace kiln::test {

DialogScript::DialogScript() {
    m_previous = SetDialogHandler([this](const DialogEvent& event) {
        events.push_back(event);
        if (event.kind == DialogEventKind::Shown && m_onShown) m_onShown(event.dialog);
        if (event.kind != DialogEventKind::Waiting || m_steps.empty()) return;
        std::function<void(HWND)> step = std::move(m_steps.front());
        m_steps.pop_front();
        step(event.dialog);
    });
}

DialogScript::~DialogScript() { SetDialogHandler(std::move(m_previous)); }

void DialogScript::OnWait(std::function<void(HWND)> step) { m_steps.push_back(std::move(step)); }
void DialogScript::OnShown(std::function<void(HWND)> look) { m_onShown = std::move(look); }

void ClickButton(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string WindowText(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string ItemText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

}  // namespace kiln::test
