#include <kiln/frame/mdi_frame_wnd_ex.h>

#include <cstdio>

#include <kiln/platform/ui/win_app.h>

namespace {

const char kSettingsSection[] = "Settings";
const char kWindowPosEntry[] = "WindowPos";
const char kBarProfile[] = "MDIFrameWndExBar";
const char kPlacementFormat[] = "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d";

}  // namespace

IMPLEMENT_DYNCREATE(CMDIFrameWndEx, CMDIFrameWnd)

BEGIN_MESSAGE_MAP(CMDIFrameWndEx, CMDIFrameWnd)
ON_WM_CREATE()
ON_WM_CLOSE()
END_MESSAGE_MAP()

CMDIFrameWndEx::CMDIFrameWndEx() = default;

CMDIFrameWndEx::~CMDIFrameWndEx() = default;

void CMDIFrameWndEx::InitialShowWindow(UINT showCmd) {
    CWinApp* app = AfxGetApp();
    CString text = app != nullptr ? app->GetProfileString(kSettingsSection, kWindowPosEntry) : CString();
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    const bool saved =
        !text.IsEmpty() &&
        std::sscanf(text, kPlacementFormat, &wp.flags, &wp.showCmd, &wp.ptMinPosition.x, &wp.ptMinPosition.y,
                    &wp.ptMaxPosition.x, &wp.ptMaxPosition.y, &wp.rcNormalPosition.left,
                    &wp.rcNormalPosition.top, &wp.rcNormalPosition.right, &wp.rcNormalPosition.bottom) == 10;
    if (!saved) {
        ShowWindow((int)showCmd);
        return;
    }
    if (showCmd != SW_SHOWNORMAL) wp.showCmd = showCmd;
    SetWindowPlacement(&wp);
    ShowWindow((int)wp.showCmd);
}

int CMDIFrameWndEx::OnCreate(LPCREATESTRUCT lpCreateStruct) {
    if (CFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;
    LoadBarState(kBarProfile);
    return 0;
}

void CMDIFrameWndEx::OnClose() {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    CWinApp* app = AfxGetApp();
    if (app != nullptr && GetWindowPlacement(&wp)) {
        wp.flags = IsZoomed() ? WPF_RESTORETOMAXIMIZED : 0;
        CString text;
        text.Format(kPlacementFormat, wp.flags, wp.showCmd, (int)wp.ptMinPosition.x, (int)wp.ptMinPosition.y,
                    (int)wp.ptMaxPosition.x, (int)wp.ptMaxPosition.y, (int)wp.rcNormalPosition.left,
                    (int)wp.rcNormalPosition.top, (int)wp.rcNormalPosition.right,
                    (int)wp.rcNormalPosition.bottom);
        app->WriteProfileString(kSettingsSection, kWindowPosEntry, text);
    }
    SaveBarState(kBarProfile);
    CFrameWnd::OnClose();
}
