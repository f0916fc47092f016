#include <kiln/diag/message_pump.h>
#include <kiln/platform/message_queue.h>
#include <kiln/platform/system.h>

#include <gtest/gtest.h>

namespace {

int Waiting() {
    int n = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ++n;
    return n;
}

class MessagePump : public ::testing::Test {
protected:
    void SetUp() override { Waiting(); }
    void TearDown() override { Waiting(); }
    void Post(UINT message, int count = 1) {
        for (int i = 0; i < count; ++i) ASSERT_TRUE(PostThreadMessageA(GetCurrentThreadId(), message, 0, 0));
    }
};

TEST_F(MessagePump, EmptyQueue) {
    EXPECT_EQ(FlushLieMessages(), 1);
    EXPECT_EQ(FlushLieMessagesLim(0), 1);
}

TEST_F(MessagePump, PumpsEverythingWaiting) {
    Post(WM_USER, 5);
    EXPECT_EQ(FlushLieMessages(), 1);
    EXPECT_EQ(Waiting(), 0);
}

TEST_F(MessagePump, StopsAfterPaint) {
    Post(WM_USER, 2);
    Post(WM_PAINT);
    Post(WM_USER, 3);
    EXPECT_EQ(FlushLieMessages(), 1);
    EXPECT_EQ(Waiting(), 3);
}

TEST_F(MessagePump, LimitCountsPumpedMessages) {
    Post(WM_USER, 5);
    EXPECT_EQ(FlushLieMessagesLim(0), 1);
    EXPECT_EQ(Waiting(), 4);
    Post(WM_USER, 5);
    EXPECT_EQ(FlushLieMessagesLim(3), 1);
    EXPECT_EQ(Waiting(), 2);
    Post(WM_USER, 2);
    Post(WM_PAINT);
    Post(WM_USER, 2);
    EXPECT_EQ(FlushLieMessagesLim(100), 1);
    EXPECT_EQ(Waiting(), 2);
}

TEST_F(MessagePump, QuitIsPostedAgainWithCodeZero) {
    Post(WM_USER);
    PostQuitMessage(7);
    EXPECT_EQ(FlushLieMessages(), 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, 0u);

    PostQuitMessage(3);
    EXPECT_EQ(FlushLieMessagesLim(5), 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
}

}  // namespace
