#include <kiln/platform/ui/mdi_frame_wnd.h>

#include <cstring>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/win_app.h>

IMPLEMENT_DYNCREATE(CMDIFrameWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWnd, CFrameWnd)
END_MESSAGE_MAP()

CMDIFrameWnd::CMDIFrameWnd() = default;

CMDIFrameWnd::~CMDIFrameWnd() = default;

BOOL CMDIFrameWnd::OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext*) {
    return CreateClient(lpcs, nullptr);
}

BOOL CMDIFrameWnd::CreateClient(LPCREATESTRUCT, CMenu*) {
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    m_hWndMDIClient = ::CreateWindowExA(
        WS_EX_CLIENTEDGE, "MDIClient", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, client.right,
        client.bottom, m_hWnd, (HMENU)(UINT_PTR)AFX_IDW_PANE_FIRST, AfxGetInstanceHandle(), nullptr);
    return m_hWndMDIClient != nullptr;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive(BOOL* pbMaximized) const {
    CMDIChildWnd* active = nullptr;
    if (m_hWndActiveChild != nullptr && ::IsWindow(m_hWndActiveChild)) {
        active = static_cast<CMDIChildWnd*>(CWnd::FromHandlePermanent(m_hWndActiveChild));
    } else if (m_hWndMDIClient != nullptr) {
        // The child created last of those left.
        for (HWND child = ::GetWindow(m_hWndMDIClient, GW_CHILD); child != nullptr;
             child = ::GetWindow(child, GW_HWNDNEXT)) {
            CWnd* wnd = CWnd::FromHandlePermanent(child);
            if (wnd != nullptr && wnd->IsKindOf(RUNTIME_CLASS(CMDIChildWnd)))
                active = static_cast<CMDIChildWnd*>(wnd);
        }
    }
    if (pbMaximized != nullptr) *pbMaximized = active != nullptr && active->IsZoomed();
    return active;
}

void CMDIFrameWnd::MDIActivate(CWnd* pWndActivate) {
    if (pWndActivate != nullptr && ::GetParent(pWndActivate->m_hWnd) == m_hWndMDIClient)
        m_hWndActiveChild = pWndActivate->m_hWnd;
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
    CMDIChildWnd* child = MDIGetActive();
    if (child != nullptr) return child;
    return this;
}

IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

BEGIN_MESSAGE_MAP(CMDIChildWnd, CFrameWnd)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CMDIChildWnd::CMDIChildWnd() = default;

CMDIChildWnd::~CMDIChildWnd() = default;

BOOL CMDIChildWnd::LoadFrame(UINT nIDResource, DWORD dwDefaultStyle, CWnd* pParentWnd,
                             CCreateContext* pContext) {
    if (pParentWnd == nullptr) pParentWnd = AfxGetMainWnd();
    auto* mdiFrame = dynamic_cast<CMDIFrameWnd*>(pParentWnd);
    if (mdiFrame == nullptr || mdiFrame->m_hWndMDIClient == nullptr) {
        PostNcDestroy();
        return FALSE;
    }
    m_nIDHelp = nIDResource;
    if (const char* text = kiln::FindStringResource(nIDResource)) {
        const char* end = std::strchr(text, '\n');
        m_strTitle = end != nullptr ? CString(text, (int)(end - text)) : CString(text);
    }
    // The menu is the frame's own (a screen would show it in the main frame's bar while the child is
    // active); the child window itself has an id, not a menu.
    m_hMenuDefault =
        LoadMenuA(AfxFindResourceHandle(MAKEINTRESOURCE(nIDResource), RT_MENU), MAKEINTRESOURCE(nIDResource));
    if (m_hMenuDefault == nullptr) {
        PostNcDestroy();
        return FALSE;
    }
    RECT client;
    ::GetClientRect(mdiFrame->m_hWndMDIClient, &client);
    if (!CreateEx(WS_EX_MDICHILD, nullptr, m_strTitle, (dwDefaultStyle | WS_CHILD) & ~WS_VISIBLE, 0, 0,
                  client.right * 3 / 4, client.bottom * 3 / 4, mdiFrame->m_hWndMDIClient, nullptr,
                  (LPVOID)pContext))
        return FALSE;
    mdiFrame->MDIActivate(this);
    return TRUE;
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
    HWND client = m_hWnd != nullptr ? ::GetParent(m_hWnd) : nullptr;
    HWND frame = client != nullptr ? ::GetParent(client) : nullptr;
    return dynamic_cast<CMDIFrameWnd*>(CWnd::FromHandlePermanent(frame));
}

void CMDIChildWnd::MDIActivate() {
    if (CMDIFrameWnd* frame = GetMDIFrame()) frame->MDIActivate(this);
}

void CMDIChildWnd::MDIDestroy() { DestroyWindow(); }

void CMDIChildWnd::ActivateFrame(int nCmdShow) {
    CFrameWnd::ActivateFrame(nCmdShow);
    MDIActivate();
}

void CMDIChildWnd::OnDestroy() {
    if (CMDIFrameWnd* frame = GetMDIFrame(); frame != nullptr && frame->m_hWndActiveChild == m_hWnd)
        frame->m_hWndActiveChild = nullptr;
    CFrameWnd::OnDestroy();
}
