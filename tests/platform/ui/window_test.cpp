#include <kiln/platform/ui/window.h>

#include <atomic>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include <kiln/platform/ui/dialog_box.h>

#include "support/expect_error.h"

namespace {

// Each test runs on a thread of its own: a fresh queue, focus and set of windows.
template <class Body>
void OnFreshThread(Body body) {
    std::thread(body).join();
}

// Messages seen by windows of the recording class: window, message.
thread_local std::vector<std::pair<HWND, UINT>> t_seen;
thread_local bool t_failCreate = false;

LRESULT CALLBACK RecordingProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_GETTEXT && message != WM_GETTEXTLENGTH && message != WM_SETTEXT)
        t_seen.emplace_back(hWnd, message);
    if (message == WM_CREATE && t_failCreate) return -1;
    return DefWindowProcA(hWnd, message, wParam, lParam);
}

const char* RecordingClass() {
    static const ATOM atom = [] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = RecordingProc;
        wc.lpszClassName = "KilnRecording";
        wc.cbWndExtra = 16;
        return RegisterClassA(&wc);
    }();
    EXPECT_NE(atom, 0);
    return "KilnRecording";
}

HWND Make(HWND parent = nullptr, int id = 0, DWORD style = 0, RECT rect = {0, 0, 100, 50}) {
    return CreateWindowExA(0, RecordingClass(), "w", style | (parent ? WS_CHILD : WS_OVERLAPPED), rect.left,
                           rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                           (HMENU)(INT_PTR)id, nullptr, nullptr);
}

std::vector<UINT> SeenBy(HWND hWnd) {
    std::vector<UINT> messages;
    for (auto [window, message] : t_seen)
        if (window == hWnd) messages.push_back(message);
    return messages;
}

TEST(Window, CreationDestructionAndStaleHandles) {
    OnFreshThread([] {
        t_seen.clear();
        HWND top = Make();
        HWND child = Make(top, 7);
        ASSERT_TRUE(top && child);
        EXPECT_EQ(SeenBy(child), (std::vector<UINT>{WM_NCCREATE, WM_CREATE}));
        EXPECT_EQ(SeenBy(top), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_PARENTNOTIFY}));
        EXPECT_EQ(GetParent(child), top);
        EXPECT_EQ(GetDlgCtrlID(child), 7);
        EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 7);
        EXPECT_EQ(SetWindowLongPtrA(child, 8, 0x1234), 0) << "class bytes start zeroed";
        EXPECT_EQ(GetWindowLongPtrA(child, 8), 0x1234);
        EXPECT_LAST_ERROR(GetWindowLongPtrA(child, 9), 0, ERROR_INVALID_INDEX);

        t_seen.clear();
        ASSERT_TRUE(DestroyWindow(top));
        // WM_DESTROY on the way down, WM_NCDESTROY on the way back up.
        EXPECT_EQ(t_seen,
                  (std::vector<std::pair<HWND, UINT>>{
                      {top, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}}));
        for (HWND stale : {top, child}) {
            EXPECT_FALSE(IsWindow(stale));
            char text[8] = "x";
            EXPECT_LAST_ERROR(GetWindowTextA(stale, text, 8), 0, ERROR_INVALID_WINDOW_HANDLE);
            EXPECT_STREQ(text, "");
            EXPECT_LAST_ERROR(SendMessageA(stale, WM_USER, 0, 0), 0, ERROR_INVALID_WINDOW_HANDLE);
            EXPECT_LAST_ERROR(PostMessageA(stale, WM_USER, 0, 0), FALSE, ERROR_INVALID_WINDOW_HANDLE);
            EXPECT_LAST_ERROR(DestroyWindow(stale), FALSE, ERROR_INVALID_WINDOW_HANDLE);
            EXPECT_LAST_ERROR(ShowWindow(stale, SW_SHOW), FALSE, ERROR_INVALID_WINDOW_HANDLE);
        }
        HWND reused = Make();
        EXPECT_NE(reused, top) << "a new window never takes a stale handle's value";
        EXPECT_NE(reused, child);

        t_failCreate = true;
        EXPECT_EQ(Make(), nullptr) << "-1 from WM_CREATE";
        t_failCreate = false;
        EXPECT_LAST_ERROR(
            CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr,
            ERROR_CANNOT_FIND_WND_CLASS);
        EXPECT_LAST_ERROR(Make(nullptr, 0, WS_CHILD), nullptr, ERROR_TLW_WITH_WSCHILD);
        DestroyWindow(reused);
    });
}

TEST(Window, BelongsToItsThread) {
    std::atomic<HWND> made{nullptr};
    std::thread owner([&] {
        HWND foreign = Make();
        made = foreign;
        MSG msg;
        // Waits for the message another thread posts, then ends (and with it its queue).
        while (GetMessageA(&msg, nullptr, 0, 0) > 0 && msg.message != WM_USER + 9) DispatchMessageA(&msg);
        DestroyWindow(foreign);
    });
    while (made.load() == nullptr) std::this_thread::yield();
    HWND foreign = made.load();
    EXPECT_LAST_ERROR(SendMessageA(foreign, WM_USER, 0, 0), 0, ERROR_WINDOW_OF_OTHER_THREAD);
    EXPECT_LAST_ERROR(SetWindowTextA(foreign, "x"), FALSE, ERROR_WINDOW_OF_OTHER_THREAD);
    EXPECT_TRUE(PostMessageA(foreign, WM_USER + 9, 0, 0));
    owner.join();
    EXPECT_FALSE(IsWindow(foreign));
}

TEST(Window, ClassesAreRegisteredOnceAndKeptWhileUsed) {
    OnFreshThread([] {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "KilnOnce";
        ASSERT_NE(RegisterClassA(&wc), 0);
        EXPECT_LAST_ERROR(RegisterClassA(&wc), 0, ERROR_CLASS_ALREADY_EXISTS);
        WNDCLASSA found{};
        EXPECT_TRUE(GetClassInfoA(nullptr, "kilnonce", &found)) << "names match without regard to case";
        EXPECT_EQ(found.lpfnWndProc, &DefWindowProcA);
        HWND window = CreateWindowExA(0, "KilnOnce", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        EXPECT_LAST_ERROR(UnregisterClassA("KilnOnce", nullptr), FALSE, ERROR_CLASS_HAS_WINDOWS);
        DestroyWindow(window);
        EXPECT_TRUE(UnregisterClassA("KilnOnce", nullptr));
        EXPECT_LAST_ERROR(GetClassInfoA(nullptr, "KilnOnce", &found), FALSE, ERROR_CLASS_DOES_NOT_EXIST);
        EXPECT_TRUE(GetClassInfoA(nullptr, "button", &found)) << "built-in classes always exist";
        EXPECT_FALSE(UnregisterClassA("Button", nullptr));
    });
}

TEST(Window, MessageOrderPostedQuitThenPaint) {
    OnFreshThread([] {
        HWND window = Make(nullptr, 0, WS_VISIBLE);
        HWND hidden = Make();
        MSG msg;
        // Showing the window left an update pending.
        ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        EXPECT_EQ(std::tuple(msg.hwnd, msg.message), std::tuple(window, WM_PAINT));
        EXPECT_TRUE(ValidateRect(window, nullptr));
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));

        InvalidateRect(window, nullptr, TRUE);
        InvalidateRect(hidden, nullptr, TRUE);
        PostMessageA(window, WM_USER + 1, 1, 2);
        PostQuitMessage(3);
        PostMessageA(nullptr, WM_USER + 2, 0, 0);
        std::vector<std::pair<HWND, UINT>> taken;
        for (int i = 0; i < 5 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
            taken.emplace_back(msg.hwnd, msg.message);
            if (msg.message == WM_PAINT) DispatchMessageA(&msg);  // DefWindowProcA paints
        }
        EXPECT_EQ(taken,
                  (std::vector<std::pair<HWND, UINT>>{
                      {window, WM_USER + 1}, {nullptr, WM_USER + 2}, {nullptr, WM_QUIT}, {window, WM_PAINT}}))
            << "a hidden window is not painted, a painted one only once";

        t_seen.clear();
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
        EXPECT_EQ(SeenBy(window), std::vector<UINT>{WM_PAINT}) << "UpdateWindow paints at once";
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
        DestroyWindow(window);
        DestroyWindow(hidden);
    });
}

TEST(Window, FiltersAdmitTheWindowAndItsDescendants) {
    OnFreshThread([] {
        HWND a = Make(), b = Make();
        HWND a1 = Make(a, 1);
        PostMessageA(b, WM_USER + 1, 0, 0);
        PostMessageA(a1, WM_USER + 2, 0, 0);
        PostMessageA(nullptr, WM_USER + 3, 0, 0);
        MSG msg;
        ASSERT_TRUE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));
        EXPECT_EQ(std::tuple(msg.hwnd, msg.message), std::tuple(a1, WM_USER + 2));
        EXPECT_FALSE(PeekMessageA(&msg, a, 0, 0, PM_REMOVE));
        ASSERT_TRUE(PeekMessageA(&msg, (HWND)-1, 0, 0, PM_REMOVE));
        EXPECT_EQ(msg.message, WM_USER + 3);
        EXPECT_EQ(GetMessageA(&msg, b, 0, 0), 1);
        EXPECT_EQ(msg.message, WM_USER + 1);

        PostMessageA(a1, WM_USER + 4, 0, 0);
        DestroyWindow(a);
        EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            << "a destroyed window's messages go with it";
        EXPECT_LAST_ERROR(PeekMessageA(&msg, a, 0, 0, PM_REMOVE), FALSE, ERROR_INVALID_WINDOW_HANDLE);
        DestroyWindow(b);
    });
}

TEST(Window, TreeTextAndState) {
    OnFreshThread([] {
        HWND top = Make();
        HWND first = Make(top, 1), second = Make(top, 2), inner = Make(second, 3);
        EXPECT_EQ(GetWindow(top, GW_CHILD), first);
        EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
        EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), nullptr);
        EXPECT_EQ(GetWindow(second, GW_HWNDPREV), first);
        EXPECT_EQ(GetAncestor(inner, GA_ROOT), top);
        EXPECT_TRUE(IsChild(top, inner));
        EXPECT_FALSE(IsChild(inner, top));
        std::vector<HWND> all;
        EnumChildWindows(
            top, [](HWND child, LPARAM list) { return ((std::vector<HWND>*)list)->push_back(child), TRUE; },
            (LPARAM)&all);
        EXPECT_EQ(all, (std::vector<HWND>{first, second, inner})) << "depth first, in tab order";

        // Text is kept as CP932 bytes; a short buffer never gets half a double-byte character.
        ASSERT_TRUE(SetWindowTextA(first, "日本"));
        EXPECT_EQ(GetWindowTextLengthA(first), 4);
        char text[8];
        EXPECT_EQ(GetWindowTextA(first, text, 4), 2);
        EXPECT_STREQ(text, "日");

        t_seen.clear();
        EXPECT_FALSE(EnableWindow(second, FALSE)) << "it was enabled";
        EXPECT_TRUE(EnableWindow(second, FALSE)) << "no change: no message";
        EXPECT_FALSE(IsWindowEnabled(second));
        EXPECT_TRUE(IsWindowEnabled(inner)) << "its own state is kept";
        EXPECT_EQ(SeenBy(second), std::vector<UINT>{WM_ENABLE});

        EXPECT_FALSE(IsWindowVisible(first));
        ShowWindow(top, SW_SHOW);
        ShowWindow(first, SW_SHOW);
        EXPECT_TRUE(IsWindowVisible(first));
        EXPECT_EQ(GetActiveWindow(), top);
        EXPECT_EQ(SetFocus(inner), nullptr);
        EXPECT_EQ(GetFocus(), inner);
        DestroyWindow(second);
        EXPECT_EQ(GetFocus(), nullptr) << "a destroyed window loses the focus";
        DestroyWindow(top);
    });
}

TEST(Window, GeometryAndPlacement) {
    OnFreshThread([] {
        EXPECT_EQ(std::tuple(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)),
                  std::tuple(1920, 1080));
        HWND top = Make(nullptr, 0, 0, {100, 50, 500, 350});
        HWND child = Make(top, 1, 0, {10, 20, 60, 40});
        RECT rect;
        GetWindowRect(child, &rect);
        EXPECT_EQ(std::tuple(rect.left, rect.top, rect.right, rect.bottom), std::tuple(110, 70, 160, 90));
        GetClientRect(child, &rect);
        EXPECT_EQ(std::tuple(rect.left, rect.top, rect.right, rect.bottom), std::tuple(0, 0, 50, 20));
        POINT point{1, 2};
        ClientToScreen(child, &point);
        EXPECT_EQ(std::tuple(point.x, point.y), std::tuple(111, 72));
        ScreenToClient(top, &point);
        EXPECT_EQ(std::tuple(point.x, point.y), std::tuple(11, 22));

        // A saved placement brought back: normal at 10,20-650,500, then minimized from maximized.
        WINDOWPLACEMENT placement{sizeof placement, 0, SW_SHOWNORMAL, {-1, -1}, {-1, -1}, {10, 20, 650, 500}};
        ASSERT_TRUE(SetWindowPlacement(top, &placement));
        GetWindowRect(top, &rect);
        EXPECT_EQ(std::tuple(rect.left, rect.top, rect.right, rect.bottom), std::tuple(10, 20, 650, 500));
        ShowWindow(top, SW_SHOWMAXIMIZED);
        EXPECT_TRUE(IsZoomed(top));
        GetWindowRect(top, &rect);
        EXPECT_EQ(std::tuple(rect.right, rect.bottom), std::tuple(1920, 1080));
        ShowWindow(top, SW_MINIMIZE);
        EXPECT_TRUE(IsIconic(top));
        WINDOWPLACEMENT saved{};
        ASSERT_TRUE(GetWindowPlacement(top, &saved));
        EXPECT_EQ(std::tuple(saved.flags, saved.showCmd),
                  std::tuple((UINT)WPF_RESTORETOMAXIMIZED, (UINT)SW_SHOWMINIMIZED));
        EXPECT_EQ(std::tuple(saved.rcNormalPosition.left, saved.rcNormalPosition.bottom),
                  std::tuple(10, 500));
        ShowWindow(top, SW_RESTORE);
        EXPECT_TRUE(IsZoomed(top)) << "restored to maximized";
        ShowWindow(top, SW_RESTORE);
        GetWindowRect(top, &rect);
        EXPECT_EQ(std::tuple(rect.left, rect.top, rect.right, rect.bottom), std::tuple(10, 20, 650, 500));
        placement.length = 0;
        EXPECT_LAST_ERROR(SetWindowPlacement(top, &placement), FALSE, ERROR_INVALID_PARAMETER);
        DestroyWindow(top);
    });
}

}  // namespace
