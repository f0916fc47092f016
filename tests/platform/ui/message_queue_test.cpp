#include <kiln/platform/ui/message_queue.h>

#include <future>
#include <thread>
#include <vector>
#include <tuple>

#include <gtest/gtest.h>

#include <kiln/platform/runtime/system.h>

#include "support/expect_error.h"

namespace {

// Each test runs on a thread of its own, so it starts with a fresh, empty queue.
template <class Body>
void OnFreshThread(Body body) {
    std::thread(body).join();
}

std::vector<UINT> TakeAll() {
    std::vector<UINT> taken;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) taken.push_back(msg.message);
    return taken;
}

TEST(MessageQueue, PostedOrderFiltersAndPeekingWithoutRemoving) {
    OnFreshThread([] {
        MSG msg{};
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "a new queue is empty";
        ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 1, 11, -11));
        ASSERT_TRUE(PostMessageA(nullptr, WM_PAINT, 0, 0));
        ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 3, 33, 0));
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(msg.message, WM_USER + 1);
        EXPECT_TRUE(PeekMessageA(&msg, (HWND)-1, 0, 0, PM_NOREMOVE));
        // PM_NOREMOVE leaves the message where it was.
        EXPECT_EQ(std::tuple(msg.message, msg.hwnd, msg.wParam, msg.lParam),
                  std::tuple(WM_USER + 1, (HWND) nullptr, 11u, -11));
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 3, PM_REMOVE));
        EXPECT_EQ(std::tuple(msg.message, msg.wParam), std::tuple(WM_USER + 3, 33u))
            << "the first inside the range";
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
        EXPECT_EQ(msg.message, WM_PAINT);
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_APP, 0xFFFF, PM_REMOVE));
        EXPECT_EQ(TakeAll(), std::vector<UINT>{WM_USER + 1});
    });
}

TEST(MessageQueue, QuitComesOnlyAfterThePostedMessages) {
    OnFreshThread([] {
        PostMessageA(nullptr, WM_USER, 0, 0);
        PostQuitMessage(7);
        PostMessageA(nullptr, WM_USER + 1, 0, 0);
        MSG msg;
        EXPECT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
        EXPECT_EQ(msg.message, WM_USER);
        EXPECT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
        EXPECT_EQ(msg.message, WM_USER + 1) << "posted after the quit request, still taken before it";
        EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), 0);
        EXPECT_EQ(std::tuple(msg.message, (int)msg.wParam), std::tuple((UINT)WM_QUIT, 7));
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "the quit request is taken once";

        // A filter that admits no posted message lets the quit request through.
        PostMessageA(nullptr, WM_APP, 0, 0);
        PostQuitMessage(-2);
        EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE));
        EXPECT_EQ(std::tuple(msg.message, (int)msg.wParam), std::tuple((UINT)WM_QUIT, -2));
        EXPECT_EQ(TakeAll(), (std::vector<UINT>{WM_APP, WM_QUIT}));
    });
}

TEST(MessageQueue, PostThreadMessageWakesTheWaitingThread) {
    std::promise<DWORD> ready;
    std::vector<MSG> received;
    BOOL lastResult = -5;
    std::thread worker([&] {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // creates the queue
        ready.set_value(GetCurrentThreadId());
        while ((lastResult = GetMessageA(&msg, nullptr, 0, 0)) > 0) received.push_back(msg);
        received.push_back(msg);
    });
    DWORD id = ready.get_future().get();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let the worker block in GetMessageA
    EXPECT_TRUE(PostThreadMessageA(id, WM_USER + 5, 42, 43));
    EXPECT_TRUE(PostThreadMessageA(id, WM_QUIT, 9, 0));
    worker.join();

    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(std::tuple(received[0].message, received[0].wParam, received[0].lParam),
              std::tuple(WM_USER + 5, 42u, 43));
    EXPECT_EQ(received[1].message, WM_QUIT);
    EXPECT_EQ(lastResult, 0) << "a posted WM_QUIT ends GetMessageA too";
    // The thread and its queue are gone.
    EXPECT_LAST_ERROR(PostThreadMessageA(id, WM_USER, 0, 0), FALSE, ERROR_INVALID_THREAD_ID);
}

TEST(MessageQueue, BadArgumentsAndAFullQueueFail) {
    OnFreshThread([] {
        MSG msg;
        HWND noSuchWindow = (HWND)0x1234;
        EXPECT_EQ(GetMessageA(nullptr, nullptr, 0, 0), -1);
        EXPECT_LAST_ERROR(GetMessageA(&msg, noSuchWindow, 0, 0), -1, ERROR_INVALID_WINDOW_HANDLE);
        EXPECT_FALSE(PeekMessageA(&msg, noSuchWindow, 0, 0, PM_REMOVE));
        EXPECT_LAST_ERROR(PostMessageA(noSuchWindow, WM_USER, 0, 0), FALSE, ERROR_INVALID_WINDOW_HANDLE);

        DWORD self = GetCurrentThreadId();
        // The failed calls made no queue.
        EXPECT_LAST_ERROR(PostThreadMessageA(self, WM_USER, 0, 0), FALSE, ERROR_INVALID_THREAD_ID);
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
        for (int i = 0; i < 10000; ++i) ASSERT_TRUE(PostThreadMessageA(self, WM_USER, (WPARAM)i, 0));
        EXPECT_LAST_ERROR(PostThreadMessageA(self, WM_USER, 0, 0), FALSE, ERROR_NOT_ENOUGH_QUOTA);
        EXPECT_EQ(TakeAll().size(), 10000u);
        EXPECT_TRUE(PostThreadMessageA(self, WM_USER, 0, 0)) << "room again once taken";
    });
}

}  // namespace
