// kiln-mdi: a minimal multiple-document program on Kiln's application frame.
//
//   kiln-mdi [FILE...] [";PF:show=#3"]
//
// Opens each FILE as a document in a child frame of its main frame and prints one line per
// document (its name, bytes and lines), then closes the main frame and ends: it never waits for
// input, so it runs the same in a pipeline as on a terminal. The main frame remembers its placement
// between runs in the per-user registry store, under Software\tavrin\kiln-mdi\Settings\WindowPos
// (see it with `kiln-reg get 'Software\tavrin\kiln-mdi\Settings' WindowPos`); the first line printed
// says where the frame was shown and whether that came from a previous run. The named argument
// ";PF:show=#3" maximizes the frame before it closes (any ShowWindow code works), so the next run
// starts maximized.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <kiln/kiln.h>

namespace {

constexpr UINT IDR_MAINFRAME = 100;
constexpr UINT IDR_NOTE = 101;

// The menus of the two frames (the main frame's File menu, the note's Window menu), in the binary
// menu form: flags, command id, UTF-16 text.
const WORD kMainMenu[] = {
    0, 0, MF_POPUP | MF_END, 'F', 'i', 'l', 'e', 0, MF_END, ID_APP_EXIT, 'E', 'x', 'i', 't', 0};
const WORD kNoteMenu[] = {
    0, 0, MF_POPUP | MF_END, 'N', 'o', 't', 'e', 0, MF_END, ID_FILE_CLOSE, 'C', 'l', 'o', 's', 'e', 0};
const kiln::ResourceEntry kResources[] = {
    {RT_MENU, MAKEINTRESOURCE(IDR_MAINFRAME), kMainMenu, sizeof kMainMenu},
    {RT_MENU, MAKEINTRESOURCE(IDR_NOTE), kNoteMenu, sizeof kNoteMenu},
};
// The main frame's title, and the note type: title, name, new name, filter, extension, type id and
// type name.
const kiln::StringResource kStrings[] = {
    {IDR_MAINFRAME, "Kiln MDI"},
    {IDR_NOTE, "\nNote\nNote\nText files (*.txt)\n.txt\nKiln.Mdi.Note\nKiln MDI note"},
};

}  // namespace

// A document holding its file's bytes.
class CNoteDoc : public CDocumentEx {
    DECLARE_DYNCREATE(CNoteDoc)
public:
    void Serialize(CArchive& ar) override {
        if (ar.IsStoring()) {
            ar.Write(m_text.data(), (UINT)m_text.size());
            return;
        }
        char buffer[4096];
        for (UINT n; (n = ar.Read(buffer, sizeof buffer)) > 0;) m_text.append(buffer, n);
    }
    void DeleteContents() override { m_text.clear(); }

    std::string m_text;
};
IMPLEMENT_DYNCREATE(CNoteDoc, CDocumentEx)

// A view of a note; there is no screen to draw on.
class CNoteView : public CView {
    DECLARE_DYNCREATE(CNoteView)
public:
    void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(CNoteView, CView)

// The command line: every file named on it (InitInstanceEx's own parser keeps only the first), and
// the named argument ";PF:..." in the profile.
class CFileListInfo : public CCommandLineInfoSg {
public:
    void ParseParam(const char* param, BOOL flag, BOOL last) override {
        CCommandLineInfoSg::ParseParam(param, flag, last);
        if (!m_strFileName.IsEmpty()) m_files.emplace_back(m_strFileName);
        m_strFileName.Empty();
    }
    std::vector<std::string> m_files;
};

class CMdiApp : public CWinAppMDIEx {
public:
    BOOL InitInstance() override {
        kiln::AddResourceModule(kResources, 2, kStrings, 2);
        AddDocTemplate(new CMultiDocTemplate(IDR_NOTE, RUNTIME_CLASS(CNoteDoc), RUNTIME_CLASS(CMDIChildWnd),
                                             RUNTIME_CLASS(CNoteView)));
        auto* frame = new CMDIFrameWndEx;
        if (!frame->LoadFrame(IDR_MAINFRAME)) return FALSE;
        const bool saved = !GetSavedPlacement().IsEmpty();
        // Settings, the first document and the frame's saved placement.
        if (!InitInstanceEx(frame)) {
            frame->DestroyWindow();
            return FALSE;
        }
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof wp;
        frame->GetWindowPlacement(&wp);
        const RECT& r = wp.rcNormalPosition;
        std::printf("window %ld,%ld,%ld,%ld%s (%s)\n", (long)r.left, (long)r.top, (long)r.right,
                    (long)r.bottom, frame->IsZoomed() ? " maximized" : "", saved ? "restored" : "default");

        CFileListInfo cmdInfo;
        ParseCommandLine(cmdInfo);
        for (size_t i = 0; i < cmdInfo.m_files.size(); ++i) {
            auto* doc = static_cast<CNoteDoc*>(i == 0 ? FindOpenDocument()
                                                      : OpenDocumentFile(cmdInfo.m_files[i].c_str()));
            if (doc == nullptr) {
                m_failed = true;
                continue;
            }
            const long lines = (long)std::count(doc->m_text.begin(), doc->m_text.end(), '\n');
            std::printf("%s: %zu bytes, %ld lines\n", (LPCTSTR)doc->GetPathName(), doc->m_text.size(), lines);
        }
        const int show = cmdInfo.GetProfile().ReadProfileInt("show", -1);
        if (show >= 0) frame->ShowWindow(show);

        // A program that only reads its documents is done now: closing the frame saves its
        // placement and ends the message loop.
        frame->PostMessage(WM_CLOSE);
        return TRUE;
    }

    bool m_failed = false;

private:
    CString GetSavedPlacement() {
        SetRegistryKey("tavrin");  // where InitInstanceEx keeps the settings
        return GetProfileString("Settings", "WindowPos");
    }
    // The document InitInstanceEx opened from the command line.
    CDocument* FindOpenDocument() {
        POSITION pos = GetFirstDocTemplatePosition();
        CDocTemplate* docTemplate = GetNextDocTemplate(pos);
        POSITION docPos = docTemplate->GetFirstDocPosition();
        return docPos != nullptr ? docTemplate->GetNextDoc(docPos) : nullptr;
    }
};

int main() {
    CMdiApp app;
    if (!app.InitInstance()) {
        app.ExitInstance();
        return 1;
    }
    app.Run();
    return app.m_failed ? 1 : 0;
}
