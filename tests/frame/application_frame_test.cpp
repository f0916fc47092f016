// The application frame: placement kept between runs, settings in the registry store, frames from
// resources, documents and their views.
#include <gtest/gtest.h>

#include <cstring>
#include <mutex>
#include <string>

#include <kiln/kiln.h>

#include "support/box_recorder.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

using kiln::test::ScopedEnv;
using kiln::test::TempDir;

constexpr UINT kMainFrameId = 7100;  // menu and title "Main"
constexpr UINT kNoteId = 7101;       // menu and the note type's strings
constexpr UINT kNoMenuId = 7102;     // a string but no menu

// Menu templates: a popup with one item, texts in UTF-16.
const WORD kMainMenu[] = {
    0, 0, MF_POPUP | MF_END, 'F', 'i', 'l', 'e', 0, MF_END, ID_APP_EXIT, 'Q', 'u', 'i', 't', 0};
const WORD kNoteMenu[] = {
    0, 0, MF_POPUP | MF_END, 'N', 'o', 't', 'e', 0, MF_END, ID_FILE_CLOSE, 'C', 'l', 'o', 's', 'e', 0};
const kiln::ResourceEntry kResources[] = {
    {RT_MENU, MAKEINTRESOURCE(kMainFrameId), kMainMenu, sizeof kMainMenu},
    {RT_MENU, MAKEINTRESOURCE(kNoteId), kNoteMenu, sizeof kNoteMenu},
};
const kiln::StringResource kStrings[] = {
    {kMainFrameId, "Main"},
    {kNoteId, "\nNote\nNote\nNote files (*.note)\n.note\nKiln.Note\nKiln Note"},
    {kNoMenuId, "No menu"},
};

// The value of Software\<path> in the per-user store as text (a DWORD in decimal), or "<missing>".
std::string ReadUserValue(const std::string& path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, ("Software\\" + path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    BYTE data[512] = {};
    DWORD size = sizeof data - 1, type = 0;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return "<missing>";
    if (type == REG_DWORD) return std::to_string(*(const DWORD*)data);
    return std::string((const char*)data);
}

// The frame's normal position "left,top,right,bottom", then " min" or " max" while iconic or zoomed.
std::string Placement(CWnd* frame) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    EXPECT_TRUE(frame->GetWindowPlacement(&wp));
    const RECT& r = wp.rcNormalPosition;
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + (frame->IsIconic() ? " min" : "") + (frame->IsZoomed() ? " max" : "");
}

std::string Title(CWnd* window) {
    char title[64] = {};
    window->GetWindowText(title, sizeof title);
    return title;
}

}  // namespace

// A document whose contents are its file's bytes.
class NoteDoc : public CDocumentEx {
    DECLARE_DYNCREATE(NoteDoc)
public:
    using CDocumentEx::GetView;
    void Serialize(CArchive& ar) override {
        char buffer[256];
        for (UINT n; (n = ar.Read(buffer, sizeof buffer)) > 0;) m_text.append(buffer, n);
    }
    std::string m_text;
};
IMPLEMENT_DYNCREATE(NoteDoc, CDocumentEx)

class NoteView : public CView {
    DECLARE_DYNCREATE(NoteView)
public:
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(NoteView, CView)

class TestApp : public CWinAppMDIEx {
public:
    using CWinAppMDIEx::InitInstanceEx;
};

// Each test gets its own registry store, the frame resources, and no command-line arguments.
class FrameTest : public ::testing::Test {
protected:
    FrameTest() {
        static std::once_flag once;
        std::call_once(once, [] { kiln::AddResourceModule(kResources, 2, kStrings, 3); });
        SetArguments({});
    }
    ~FrameTest() override {
        kiln::SetCommandLine(0, nullptr);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
    }
    static void SetArguments(std::vector<const char*> arguments) {
        arguments.insert(arguments.begin(), "program");
        kiln::SetCommandLine((int)arguments.size(), arguments.data());
    }
    // A main frame made the application's main window, as InitInstance makes it.
    CMDIFrameWndEx* MakeMainFrame() {
        auto* frame = new CMDIFrameWndEx;
        EXPECT_TRUE(frame->LoadFrame(kMainFrameId));
        m_app.m_pMainWnd = frame;
        return frame;
    }
    // Closes the main frame through the message loop; true when Run ended on it.
    bool CloseThroughRun(CWnd* frame) {
        frame->PostMessage(WM_CLOSE);
        m_app.Run();
        return m_app.m_pMainWnd == nullptr;
    }
    std::string AppKey() const { return std::string("tavrin\\") + m_app.m_pszAppName; }

    TempDir m_dir;
    ScopedEnv m_registry{"KILN_REGISTRY_DIR", m_dir.host().c_str()};
    TestApp m_app;
};

TEST_F(FrameTest, SavedPlacementIsAppliedWithTheCallersShowState) {
    const std::string normal = "10,20,650,500";
    const std::string unreadable = "0,0," + std::to_string(GetSystemMetrics(SM_CXSCREEN) * 3 / 4) + "," +
                                   std::to_string(GetSystemMetrics(SM_CYSCREEN) * 3 / 4);
    const struct {
        const char* saved;
        UINT showCmd;
        std::string placement;
    } cases[] = {
        {"0,1,-1,-1,-1,-1,10,20,650,500", SW_SHOWNORMAL, normal},
        {"0,1,-1,-1,-1,-1,10,20,650,500", SW_SHOWMINIMIZED, normal + " min"},
        {"2,3,-1,-1,-1,-1,30,40,330,240", SW_SHOWNORMAL, "30,40,330,240 max"},
        {"1,2,3", SW_SHOWNORMAL, unreadable},
        {"", SW_SHOWMINIMIZED, unreadable + " min"},
    };
    m_app.SetRegistryKey("tavrin");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved);
        m_app.WriteProfileString("Settings", "WindowPos", *c.saved ? c.saved : nullptr);
        CMDIFrameWndEx* frame = MakeMainFrame();
        frame->InitialShowWindow(c.showCmd);
        EXPECT_EQ(Placement(frame), c.placement);
        EXPECT_TRUE(frame->IsWindowVisible());
        EXPECT_TRUE(CloseThroughRun(frame));
    }
}

TEST_F(FrameTest, ClosingSavesPlacementThatTheNextRunRestores) {
    const struct {
        int show;
        const char* saved;
        const char* restored;
    } cases[] = {
        {SW_SHOWNORMAL, "0,1,-1,-1,-1,-1,100,50,900,650", "100,50,900,650"},
        {SW_SHOWMAXIMIZED, "2,3,-1,-1,-1,-1,100,50,900,650", "100,50,900,650 max"},
        {SW_SHOWMINIMIZED, "0,2,-1,-1,-1,-1,100,50,900,650", "100,50,900,650 min"},
    };
    m_app.SetRegistryKey("tavrin");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.saved);
        CMDIFrameWndEx* frame = MakeMainFrame();
        frame->MoveWindow(100, 50, 800, 600);
        frame->ShowWindow(c.show);
        EXPECT_TRUE(CloseThroughRun(frame));
        EXPECT_EQ(ReadUserValue(AppKey() + "\\Settings", "WindowPos"), c.saved);
        frame = MakeMainFrame();  // the next run shows the frame as it was left
        frame->InitialShowWindow(SW_SHOWNORMAL);
        EXPECT_EQ(Placement(frame), c.restored);
        EXPECT_TRUE(CloseThroughRun(frame));
    }
}

TEST_F(FrameTest, InitInstanceExKeepsSettingsUnderTheRegistryKey) {
    m_dir.Write("a.note", "first");
    SetArguments({m_dir.host("a.note").c_str()});
    m_app.AddDocTemplate(new CMultiDocTemplate(kNoteId, RUNTIME_CLASS(NoteDoc), RUNTIME_CLASS(CMDIChildWnd),
                                               RUNTIME_CLASS(NoteView)));
    CMDIFrameWndEx* frame = MakeMainFrame();
    ASSERT_TRUE(m_app.InitInstanceEx(frame));
    EXPECT_STREQ(m_app.m_pszRegistryKey, "tavrin");
    EXPECT_TRUE(frame->IsWindowVisible());
    EXPECT_EQ(m_app.m_nCmdShow, 0);
    EXPECT_TRUE(frame->GetExStyle() & WS_EX_ACCEPTFILES);

    // The file named on the command line is open in a child frame of the main frame.
    CMDIChildWnd* child = frame->MDIGetActive();
    ASSERT_NE(child, nullptr);
    auto* doc = dynamic_cast<NoteDoc*>(child->GetActiveDocument());
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->m_text, "first");
    EXPECT_EQ(Title(child), "a.note");
    EXPECT_NE(doc->GetView(RUNTIME_CLASS(CView)), nullptr);
    EXPECT_EQ(doc->GetView(RUNTIME_CLASS(NoteView)), doc->GetView(RUNTIME_CLASS(CView)));
    EXPECT_EQ(doc->GetView(RUNTIME_CLASS(CMDIChildWnd)), nullptr);  // a class none of its views is

    EXPECT_TRUE(CloseThroughRun(frame));
    const std::string key = AppKey();
    EXPECT_EQ(ReadUserValue(key + "\\Settings", "WindowPos").substr(0, 4), "0,1,");
    EXPECT_EQ(ReadUserValue(key + "\\Recent File List", "File1"), kiln::ToWindowsPath(m_dir.host("a.note")));
    EXPECT_EQ(ReadUserValue(key + "\\MDIFrameWndExBar-Summary", "Bars"), "0");
    EXPECT_EQ(ReadUserValue(key + "\\MDIFrameWndExBar-Summary", "ScreenCX"),
              std::to_string(GetSystemMetrics(SM_CXSCREEN)));
    // The file type is recorded in the store and nowhere else.
    EXPECT_EQ(ReadUserValue("Classes\\.note", nullptr), "Kiln.Note");
    EXPECT_EQ(ReadUserValue("Classes\\Kiln.Note", nullptr), "Kiln Note");
}

TEST_F(FrameTest, InitInstanceExFailsWithoutShowingWhenTheFileCannotBeOpened) {
    kiln::test::BoxRecorder boxes;
    SetArguments({"FILE:x=missing.note"});
    m_app.AddDocTemplate(new CMultiDocTemplate(kNoteId, RUNTIME_CLASS(NoteDoc), RUNTIME_CLASS(CMDIChildWnd),
                                               RUNTIME_CLASS(NoteView)));
    CMDIFrameWndEx* frame = MakeMainFrame();
    EXPECT_FALSE(m_app.InitInstanceEx(frame));
    EXPECT_FALSE(frame->IsWindowVisible());
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(frame->MDIGetActive(), nullptr);
    POSITION pos = m_app.GetFirstDocTemplatePosition();
    EXPECT_EQ(m_app.GetNextDocTemplate(pos)->GetFirstDocPosition(), nullptr);
    EXPECT_TRUE(CloseThroughRun(frame));
}

TEST_F(FrameTest, BarLayoutIsReadBackAndSavedEmpty) {
    m_app.SetRegistryKey("tavrin");
    m_app.WriteProfileInt("Layout-Summary", "Bars", 1);
    m_app.WriteProfileInt("Layout-Bar0", "BarID", 300);
    m_app.WriteProfileInt("Layout-Bar0", "Visible", 0);
    CMDIFrameWndEx* frame = MakeMainFrame();
    HWND bar = CreateWindowExA(0, "Static", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame->m_hWnd,
                               (HMENU)300, nullptr, nullptr);
    frame->ShowWindow(SW_SHOW);
    frame->LoadBarState("Layout");
    EXPECT_FALSE(IsWindowVisible(bar));
    // The frame has no bars of its own: the layout saved is the empty one, and the old bar's section goes.
    frame->SaveBarState("Layout");
    EXPECT_EQ(ReadUserValue(AppKey() + "\\Layout-Summary", "Bars"), "0");
    EXPECT_EQ(ReadUserValue(AppKey() + "\\Layout-Bar0", "BarID"), "<missing>");
    EXPECT_TRUE(CloseThroughRun(frame));
}

TEST_F(FrameTest, FramesAreMadeFromResources) {
    CFrameWnd* frame =
        CFrameWndCreator::CreateFrameView(RUNTIME_CLASS(CFrameWnd), RUNTIME_CLASS(NoteView), kNoteId);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->GetDlgItem(AFX_IDW_PANE_FIRST)->IsKindOf(RUNTIME_CLASS(NoteView)));
    HMENU popup = GetSubMenu(frame->GetMenu(), 0);
    EXPECT_EQ(GetMenuItemID(popup, 0), (UINT)ID_FILE_CLOSE);
    EXPECT_EQ(frame->GetStyle() & WS_OVERLAPPEDWINDOW, (DWORD)WS_OVERLAPPEDWINDOW);
    frame->DestroyWindow();

    frame =
        CFrameWndCreator::CreateFrameView(RUNTIME_CLASS(CFrameWnd), RUNTIME_CLASS(NoteView), kMainFrameId);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(Title(frame), "Main");
    frame->DestroyWindow();

    // No menu of that id, or a class that makes no frame: nothing.
    EXPECT_EQ(CFrameWndCreator::CreateFrameView(RUNTIME_CLASS(CFrameWnd), RUNTIME_CLASS(NoteView), kNoMenuId),
              nullptr);
    EXPECT_EQ(CFrameWndCreator::CreateFrameView(RUNTIME_CLASS(NoteView), RUNTIME_CLASS(NoteView), kNoteId),
              nullptr);
}
