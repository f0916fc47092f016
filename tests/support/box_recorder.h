// Captures message boxes in a test.
//
//   kiln::test::BoxRecorder boxes;     // from here on every box of the process is recorded
//   boxes.Answer(IDRETRY);             // the next box answers Retry, later ones the default answer
//   RunSomething();
//   ASSERT_EQ(boxes.Count(), 1u);
//   EXPECT_EQ(boxes.Last().text, "...");
//   EXPECT_EQ(boxes.Last().style, MB_ABORTRETRYIGNORE | MB_DEFBUTTON3);
//
// The recorder installs its handler when constructed and puts the previous handler back when
// destroyed; recorders may nest. Boxes may come from any thread.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include <kiln/platform/ui/message_box.h>

namespace kiln::test {

// One recorded box; text and caption are the CP932 bytes the box was given.
struct RecordedBox {
    std::string text;
    std::string caption;
    unsigned style = 0;
};

class BoxRecorder {
public:
    BoxRecorder();
    ~BoxRecorder();
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    // Queues the answer for the next box that has none yet (0 stands for "no box could be shown").
    void Answer(int answer);
    // The answer once the queue is empty; IDOK unless set.
    void SetDefaultAnswer(int answer);

    // The boxes shown so far, oldest first.
    std::vector<RecordedBox> calls() const;
    size_t Count() const;
    // The newest box; a test failure (and an empty record) when there is none.
    RecordedBox Last() const;
    // Forgets the boxes recorded so far (queued answers stay).
    void Clear();

private:
    int Record(const MessageBoxCall& call);

    mutable std::mutex m_mutex;
    std::vector<RecordedBox> m_calls;
    std::deque<int> m_answers;
    int m_defaultAnswer = IDOK;
    MessageBoxHandler m_previous;
};

}  // namespace kiln::test
