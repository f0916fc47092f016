#include <kiln/platform/ui/win_app.h>

#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/runtime/interlocked.h>

namespace {

CWinThread* ThreadObjectOnAnotherThread() {
    CWinThread* other = nullptr;
    std::thread([&] { other = AfxGetThread(); }).join();
    return other;
}

TEST(WinApp, TheApplicationObjectIsRegisteredWhileItLives) {
    ASSERT_EQ(AfxGetApp(), nullptr);
    EXPECT_STREQ(AfxGetAppName(), "kiln_platform_tests");
    CWinThread* own = AfxGetThread();
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(AfxGetThread(), own);
    EXPECT_NE(ThreadObjectOnAnotherThread(), own);
    {
        CWinApp app("Demo");
        EXPECT_EQ(AfxGetApp(), &app);
        EXPECT_EQ(AfxGetModuleState()->m_pCurrentWinApp, &app);
        EXPECT_STREQ(AfxGetAppName(), "Demo");
        EXPECT_STREQ(app.m_pszExeName, "kiln_platform_tests");
        EXPECT_EQ(AfxGetThread(), &app) << "the app is the thread object of the thread that made it";
        EXPECT_NE(ThreadObjectOnAnotherThread(), &app);
        EXPECT_TRUE(app.InitInstance());
    }
    EXPECT_EQ(AfxGetApp(), nullptr);
    EXPECT_EQ(AfxGetThread(), own);
    EXPECT_STREQ(CWinApp().m_pszAppName, "kiln_platform_tests");
}

// Records what the message loop does with the messages and idle time it gets.
class ScriptedThread : public CWinThread {
public:
    BOOL PreTranslateMessage(MSG* pMsg) override {
        seen.push_back(pMsg->message);
        return pMsg->message == WM_USER + 9;  // handled here: not dispatched
    }
    BOOL OnIdle(LONG lCount) override {
        idle.push_back(lCount);
        if (idle.size() == 2) PostMessageA(nullptr, WM_USER, 0, 0);
        if (idle.size() == 3) PostQuitMessage(9);
        return idle.size() != 2;
    }
    std::vector<UINT> seen;
    std::vector<LONG> idle;
};

TEST(WinThread, PumpAndRunStopAtQuit) {
    std::thread([] {
        ScriptedThread thread;
        PostMessageA(nullptr, WM_USER + 9, 0, 0);
        PostMessageA(nullptr, WM_PAINT, 0, 0);
        PostQuitMessage(4);
        EXPECT_TRUE(thread.PumpMessage());
        EXPECT_TRUE(thread.PumpMessage());
        EXPECT_FALSE(thread.PumpMessage());
        EXPECT_EQ(thread.m_msgCur.message, WM_QUIT);
        EXPECT_EQ(thread.ExitInstance(), 4);
        EXPECT_EQ(thread.seen, (std::vector<UINT>{WM_USER + 9, WM_PAINT})) << "WM_QUIT is not pre-translated";

        thread.seen.clear();
        EXPECT_EQ(thread.Run(), 9);
        EXPECT_EQ(thread.idle, (std::vector<LONG>{0, 1, 0})) << "idle counts restart after a message";
        EXPECT_EQ(thread.seen, std::vector<UINT>{WM_USER});
    }).join();
}

TEST(WaitCursor, CountsForTheAppOrTheProcess) {
    ASSERT_EQ(AfxGetApp(), nullptr);
    EXPECT_EQ(kiln::GetWaitCursorCount(), 0);
    {
        CWaitCursor outer;
        CWaitCursor inner;
        EXPECT_EQ(kiln::GetWaitCursorCount(), 2);
    }
    EXPECT_EQ(kiln::GetWaitCursorCount(), 0);
    {
        CWinApp app("Cursor");
        app.BeginWaitCursor();
        app.BeginWaitCursor();
        EXPECT_EQ(app.m_nWaitCursorCount, 2);
        for (int i = 0; i < 3; ++i) app.EndWaitCursor();
        EXPECT_EQ(app.m_nWaitCursorCount, 0) << "never below zero";
        CWaitCursor wait;
        wait.Restore();
        EXPECT_EQ(app.m_nWaitCursorCount, 1);
        EXPECT_EQ(kiln::GetWaitCursorCount(), 1);
    }
    EXPECT_EQ(kiln::GetWaitCursorCount(), 0) << "the process-wide count was not touched";
}

TEST(Interlocked, OperationsAreAtomicAndReturnTheirValues) {
    LONG volatile counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 20000; ++i) InterlockedIncrement(&counter);
        });
    for (std::thread& t : threads) t.join();
    EXPECT_EQ(counter, 80000);
    EXPECT_EQ(InterlockedIncrement(&counter), 80001);
    EXPECT_EQ(InterlockedDecrement(&counter), 80000);

    LONG volatile target = 5;
    EXPECT_EQ(InterlockedCompareExchange(&target, 8, 6), 5);
    EXPECT_EQ(target, 5) << "no exchange when the comparand differs";
    EXPECT_EQ(InterlockedCompareExchange(&target, 8, 5), 5);
    EXPECT_EQ(target, 8);
    EXPECT_EQ(InterlockedExchange(&target, -1), 8);
}

}  // namespace
