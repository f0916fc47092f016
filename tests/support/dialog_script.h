// Scripts dialogs in a test as a user would work them.
//
//   kiln::test::DialogScript script;          // from here on every dialog event is recorded
//   script.OnWait([](HWND dialog) {           // the first time a modal loop waits:
//       kiln::test::Type(dialog, 3001, "abc");
//       kiln::test::Click(dialog, IDOK);
//   });
//   EXPECT_EQ(dialog.DoModal(), IDOK);
//
// Each wait takes the next queued step; a wait with no step left does nothing, so the dialog is
// cancelled. The script installs its handler when constructed and puts the previous one back when
// destroyed.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <kiln/platform/ui/dialog_box.h>
#include <kiln/platform/ui/dialog_handler.h>

namespace kiln::test {

struct RecordedDialogEvent {
    DialogEventKind kind;
    bool modal;
    std::string caption;  // the dialog's caption at the time of the event
};

class DialogScript {
public:
    using Step = std::function<void(HWND dialog)>;

    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // Queues the step for the next Waiting event.
    void OnWait(Step step);
    // Runs for every Shown event, before the event is recorded.
    void OnShown(Step step) { m_onShown = std::move(step); }
    const std::vector<RecordedDialogEvent>& events() const { return m_events; }
    // The kinds of the events so far, as "Shown Waiting Destroyed".
    std::string Kinds() const;

private:
    void Handle(const DialogEvent& event);

    std::deque<Step> m_steps;
    Step m_onShown;
    std::vector<RecordedDialogEvent> m_events;
    DialogHandler m_previous;
};

// What a user does, through ordinary window calls.
void Type(HWND dialog, int id, const char* text);  // the control's text becomes text
void Click(HWND dialog, int id);                   // BM_CLICK on the button
void Pick(HWND dialog, int id, int index);         // a click on the list box's item
void Press(HWND window, int virtualKey);           // posts WM_KEYDOWN and WM_KEYUP to the window
std::string TextOf(HWND window);

}  // namespace kiln::test
