// Multiple-document frames: the main frame holds an "MDIClient" window, and each document frame
// (CMDIChildWnd) is a child of that client.
//
// The active child is the one activated last (MDIActivate, or creation); when it goes, the child
// created last of those left takes its place.
#pragma once

#include <kiln/platform/ui/frame_wnd.h>

class CMDIChildWnd;
class CMenu;

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWnd)
public:
    CMDIFrameWnd();
    ~CMDIFrameWnd() override;

    // Creates the MDI client window as child AFX_IDW_PANE_FIRST; pWindowMenu is kept for the
    // window list that a screen would show.
    virtual BOOL CreateClient(LPCREATESTRUCT lpCreateStruct, CMenu* pWindowMenu);
    CMDIChildWnd* MDIGetActive(BOOL* pbMaximized = nullptr) const;
    void MDIActivate(CWnd* pWndActivate);
    CFrameWnd* GetActiveFrame() override;

    HWND m_hWndMDIClient = nullptr;

protected:
    BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
    DECLARE_MESSAGE_MAP()

private:
    friend class CMDIChildWnd;
    HWND m_hWndActiveChild = nullptr;
};

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
public:
    CMDIChildWnd();
    ~CMDIChildWnd() override;

    // Creates the frame as a child of the MDI client of pParentWnd (the application's main window
    // when null), with the menu and title of nIDResource as CFrameWnd::LoadFrame does.
    BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_CHILD | WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr) override;
    CMDIFrameWnd* GetMDIFrame() const;
    void MDIActivate();
    void MDIDestroy();
    void ActivateFrame(int nCmdShow = -1) override;

protected:
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
