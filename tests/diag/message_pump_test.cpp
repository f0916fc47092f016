#include <kiln/diag/message_pump.h>
#include <kiln/platform/ui/message_queue.h>
#include <kiln/platform/runtime/system.h>

#include <gtest/gtest.h>

namespace {

// Empties the queue; the number of messages that were waiting.
int Waiting() {
    int n = 0;
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) ++n;
    return n;
}

void Post(UINT message, int count = 1) {
    for (int i = 0; i < count; ++i) ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), message, 0, 0));
}

TEST(MessagePump, PumpsUntilEmptyAfterPaintOrAtTheLimit) {
    Waiting();
    EXPECT_EQ(FlushLieMessages(), 1);
    EXPECT_EQ(FlushLieMessagesLim(0), 1);
    Post(WM_USER, 5);
    EXPECT_EQ(FlushLieMessages(), 1);
    EXPECT_EQ(Waiting(), 0);
    Post(WM_USER, 2);
    Post(WM_PAINT);
    Post(WM_USER, 3);
    EXPECT_EQ(FlushLieMessages(), 1);
    EXPECT_EQ(Waiting(), 3);

    // A limit of 1 or less pumps one message.
    const struct { int limit, posted, paint, left; } rows[] = {{0, 5, -1, 4}, {3, 5, -1, 2}, {100, 5, 2, 2}};
    for (const auto& row : rows) {
        for (int i = 0; i < row.posted; ++i) Post(i == row.paint ? WM_PAINT : WM_USER);
        EXPECT_EQ(FlushLieMessagesLim(row.limit), 1) << row.limit;
        EXPECT_EQ(Waiting(), row.left) << row.limit;
    }
}

TEST(MessagePump, QuitIsPostedAgainWithCodeZero) {
    Waiting();
    for (int limit : {-1, 5}) {  // -1: FlushLieMessages
        Post(WM_USER);
        PostQuitMessage(7);
        EXPECT_EQ(limit < 0 ? FlushLieMessages() : FlushLieMessagesLim(limit), 0);
        MSG msg;
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, (UINT)WM_QUIT);
        EXPECT_EQ(msg.wParam, 0u);
    }
}

}  // namespace
