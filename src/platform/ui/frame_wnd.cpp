#include <kiln/platform/ui/frame_wnd.h>

#include <cstring>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/doc_template.h>
#include <kiln/platform/ui/document.h>
#include <kiln/platform/ui/view.h>
#include <kiln/platform/ui/win_app.h>

namespace {

// The views whose frame is this one, in tab order.
std::vector<CView*> FrameViews(const CFrameWnd* frame) {
    struct Search {
        const CFrameWnd* frame;
        std::vector<CView*> views;
    } search{frame, {}};
    EnumChildWindows(
        frame->m_hWnd,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lParam);
            CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
            if (wnd != nullptr && wnd->IsKindOf(RUNTIME_CLASS(CView)) &&
                static_cast<CView*>(wnd)->GetParentFrame() == s->frame)
                s->views.push_back(static_cast<CView*>(wnd));
            return TRUE;
        },
        (LPARAM)&search);
    return search.views;
}

CString BarSection(LPCTSTR profileName, int bar) {
    CString section;
    section.Format("%s-Bar%d", profileName, bar);
    return section;
}

const char kBarIdEntry[] = "BarID";

}  // namespace

const RECT CFrameWnd::rectDefault = {CW_USEDEFAULT, CW_USEDEFAULT, 0, 0};

IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
ON_MESSAGE(WM_NCDESTROY, &CFrameWnd::OnNcDestroyMessage)
END_MESSAGE_MAP()

CFrameWnd::CFrameWnd() = default;

CFrameWnd::~CFrameWnd() {
    if (m_hMenuDefault != nullptr) DestroyMenu(m_hMenuDefault);
}

BOOL CFrameWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                          CCreateContext* pContext) {
    m_nIDHelp = nIDResource;
    if (const char* text = kiln::FindStringResource(nIDResource)) {
        const char* end = std::strchr(text, '\n');
        m_strTitle = end != nullptr ? CString(text, (int)(end - text)) : CString(text);
    }
    return Create(nullptr, m_strTitle, dwDefaultStyle, rectDefault, pParentWnd, MAKEINTRESOURCE(nIDResource),
                  0, pContext);
}

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, LPCTSTR lpszMenuName, DWORD dwExStyle, CCreateContext* pContext) {
    m_strTitle = lpszWindowName;
    HMENU menu = nullptr;
    if (lpszMenuName != nullptr) {
        menu = LoadMenuA(AfxFindResourceHandle(lpszMenuName, RT_MENU), lpszMenuName);
        if (menu == nullptr) {
            PostNcDestroy();
            return FALSE;
        }
    }
    m_hMenuDefault = menu;
    const bool byDefault = rect.left == CW_USEDEFAULT;
    const int width = byDefault ? CW_USEDEFAULT : rect.right - rect.left;
    const int height = byDefault ? CW_USEDEFAULT : rect.bottom - rect.top;
    return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, width, height,
                    pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, menu, (LPVOID)pContext);
}

BOOL CFrameWnd::PreCreateWindow(CREATESTRUCT& cs) {
    if (cs.lpszClass == nullptr) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS);
    return TRUE;
}

void CFrameWnd::PostNcDestroy() { delete this; }

int CFrameWnd::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
    auto* context = static_cast<CCreateContext*>(lpCreateStruct->lpCreateParams);
    return OnCreateClient(lpCreateStruct, context) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
    if (pContext == nullptr || pContext->m_pNewViewClass == nullptr) return TRUE;
    return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
    CObject* object = pContext->m_pNewViewClass->CreateObject();
    auto* view = dynamic_cast<CWnd*>(object);
    if (view == nullptr) {
        delete object;
        return nullptr;
    }
    // A view that fails to be created deletes itself (PostNcDestroy) once its window existed.
    RECT rect = {0, 0, 0, 0};
    if (!view->Create(nullptr, nullptr, AFX_WS_DEFAULT_VIEW, rect, this, nID, pContext)) return nullptr;
    return view;
}

CView* CFrameWnd::GetActiveView() const { return m_pViewActive; }

void CFrameWnd::SetActiveView(CView* pViewNew, BOOL bNotify) {
    CView* old = m_pViewActive;
    if (old == pViewNew) return;
    m_pViewActive = pViewNew;
    if (!bNotify) return;
    if (old != nullptr) old->OnActivateView(FALSE, pViewNew, old);
    if (pViewNew != nullptr) pViewNew->OnActivateView(TRUE, pViewNew, old);
}

CDocument* CFrameWnd::GetActiveDocument() {
    CView* view = GetActiveView();
    return view != nullptr ? view->GetDocument() : nullptr;
}

CFrameWnd* CFrameWnd::GetActiveFrame() { return this; }

void CFrameWnd::ActivateFrame(int nCmdShow) {
    if (nCmdShow == -1) {
        if (!IsWindowVisible())
            nCmdShow = SW_SHOWNORMAL;
        else if (IsIconic())
            nCmdShow = SW_RESTORE;
    }
    if (nCmdShow != -1) ShowWindow(nCmdShow);
}

void CFrameWnd::InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible) {
    const std::vector<CView*> views = FrameViews(this);
    if (GetActiveView() == nullptr)
        for (CView* view : views)
            if (view->GetDlgCtrlID() == AFX_IDW_PANE_FIRST) SetActiveView(view, FALSE);
    if (!bMakeVisible) return;
    for (CView* view : views) view->OnInitialUpdate();
    ActivateFrame();
    if (pDoc != nullptr) OnUpdateFrameTitle(TRUE);
}

void CFrameWnd::OnUpdateFrameTitle(BOOL bAddToTitle) {
    // "document - frame"; a frame without a title of its own (an MDI child) shows the document's.
    CDocument* doc = GetActiveDocument();
    if (!bAddToTitle || !(GetStyle() & FWS_ADDTOTITLE) || doc == nullptr)
        SetWindowText(m_strTitle);
    else if (m_strTitle.IsEmpty())
        SetWindowText(doc->GetTitle());
    else
        SetWindowText(doc->GetTitle() + " - " + m_strTitle);
}

void CFrameWnd::OnClose() {
    CDocument* doc = GetActiveDocument();
    if (doc != nullptr && !doc->CanCloseFrame(this)) return;
    CWinApp* app = AfxGetApp();
    if (app != nullptr && app->m_pMainWnd == this) {
        if (doc == nullptr && !app->SaveAllModified()) return;
        app->CloseAllDocuments(FALSE);
        // Closing the documents may have taken this frame with them.
        if (app->m_pMainWnd == nullptr) return;
    }
    if (doc != nullptr && doc->m_bAutoDelete) {
        bool otherFrame = false;
        for (POSITION pos = doc->GetFirstViewPosition(); pos != nullptr;)
            if (doc->GetNextView(pos)->GetParentFrame() != this) otherFrame = true;
        if (!otherFrame) {
            doc->OnCloseDocument();  // destroys this frame too
            return;
        }
    }
    DestroyWindow();
}

LRESULT CFrameWnd::OnNcDestroyMessage(WPARAM, LPARAM) {
    // The main window going ends the thread's message loop.
    CWinThread* thread = AfxGetThread();
    if (thread != nullptr && thread->m_pMainWnd == this) {
        thread->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    return Default();
}

void CFrameWnd::SaveBarState(LPCTSTR lpszProfileName) const {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return;
    CString summary;
    summary.Format("%s-Summary", lpszProfileName);
    app->WriteProfileString(summary, nullptr, nullptr);
    // Sections of bars saved before and not there now go; none of these frames has a control bar.
    for (int bar = 0; app->GetProfileInt(BarSection(lpszProfileName, bar), kBarIdEntry, -1) != (UINT)-1;
         ++bar)
        app->WriteProfileString(BarSection(lpszProfileName, bar), nullptr, nullptr);
    app->WriteProfileInt(summary, "Bars", 0);
    app->WriteProfileInt(summary, "ScreenCX", GetSystemMetrics(SM_CXSCREEN));
    app->WriteProfileInt(summary, "ScreenCY", GetSystemMetrics(SM_CYSCREEN));
}

void CFrameWnd::LoadBarState(LPCTSTR lpszProfileName) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return;
    CString summary;
    summary.Format("%s-Summary", lpszProfileName);
    const int bars = (int)app->GetProfileInt(summary, "Bars", 0);
    // A saved bar is shown or hidden as it was; one this frame does not have is skipped.
    for (int bar = 0; bar < bars; ++bar) {
        const CString section = BarSection(lpszProfileName, bar);
        const UINT id = app->GetProfileInt(section, kBarIdEntry, 0);
        CWnd* wnd = id != 0 ? GetDlgItem((int)id) : nullptr;
        if (wnd != nullptr) wnd->ShowWindow(app->GetProfileInt(section, "Visible", TRUE) ? SW_SHOW : SW_HIDE);
    }
}
