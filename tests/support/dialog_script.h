// Scripts the dialogs of a test as a user would answer them.
//
//   kiln::test::DialogScript script;
//   script.OnWait([](HWND dialog) { SetDlgItemTextA(dialog, 3001, "abc"); ClickButton(dialog, IDOK); });
//   EXPECT_EQ(dialog.DoModal(), IDOK);
//
// Each Waiting event runs the next queued step; once the steps are used up the dialog is left as it
// is, so it ends with IDCANCEL. Every event is recorded. The script installs its handler when
// constructed and puts the previous one back when destroyed.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <kiln/platform/ui/dialog_box.h>
#include <kiln/platform/ui/dialog_handler.h>

namespace kiln::test {

class DialogScript {
public:
    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    void OnWait(std::function<void(HWND)> step);
    // Runs at every Shown event, while the dialog's controls hold their initial state.
    void OnShown(std::function<void(HWND)> look);

    std::vector<DialogEvent> events;

private:
    std::deque<std::function<void(HWND)>> m_steps;
    std::function<void(HWND)> m_onShown;
    DialogHandler m_previous;
};

// What a user's actions on a dialog amount to.
void ClickButton(HWND dialog, int id);
// The text of a window (a control or the dialog's caption).
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int id);

}  // namespace kiln::test
