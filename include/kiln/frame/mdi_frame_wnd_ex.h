// CMDIFrameWndEx: an MDI main frame that remembers its placement and bar layout between runs.
//
// The placement is one entry of the application's profile, "Settings"/"WindowPos": the ten numbers
// of a WINDOWPLACEMENT as "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d" (flags, showCmd, ptMinPosition x y,
// ptMaxPosition x y, rcNormalPosition left top right bottom). Closing writes it, with flags 2
// (WPF_RESTORETOMAXIMIZED) for a maximized window and 0 otherwise; InitialShowWindow reads it. Text
// with fewer than ten numbers counts as no saved position. The bar layout is saved under
// "MDIFrameWndExBar" (CFrameWnd::SaveBarState) at close and read back at creation.
//
//   "0,1,-1,-1,-1,-1,10,20,650,500" restores a normal window at 10, 20, 650, 500.
#pragma once

#include <kiln/platform/ui/mdi_frame_wnd.h>

class CMDIFrameWndEx : public CMDIFrameWnd {
    DECLARE_DYNCREATE(CMDIFrameWndEx)
public:
    CMDIFrameWndEx();
    ~CMDIFrameWndEx() override;

    // Shows the frame at its saved placement; a showCmd other than SW_SHOWNORMAL replaces the saved
    // show state. Without a saved placement, ShowWindow(showCmd).
    void InitialShowWindow(UINT showCmd);

protected:
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnClose();
    DECLARE_MESSAGE_MAP()
};
