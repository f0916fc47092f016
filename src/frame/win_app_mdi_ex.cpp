#include <kiln/frame/win_app_mdi_ex.h>

#include <kiln/frame/command_line_info_sg.h>
#include <kiln/frame/mdi_frame_wnd_ex.h>

IMPLEMENT_DYNCREATE(CWinAppMDIEx, CWinApp)

BEGIN_MESSAGE_MAP(CWinAppMDIEx, CWinApp)
END_MESSAGE_MAP()

CWinAppMDIEx::CWinAppMDIEx() : CWinApp(nullptr) {}

CWinAppMDIEx::~CWinAppMDIEx() = default;

BOOL CWinAppMDIEx::InitInstanceEx(CMDIFrameWndEx* mainFrame) {
    SetRegistryKey("tavrin");
    LoadStdProfileSettings(10);
    m_pMainWnd = mainFrame;
    EnableShellOpen();
    RegisterShellFileTypes(TRUE);

    CCommandLineInfoSg cmdInfo;
    ParseCommandLine(cmdInfo);
    if (cmdInfo.m_nShellCommand != CCommandLineInfo::FileNew && !ProcessShellCommand(cmdInfo)) return FALSE;

    const int showCmd = cmdInfo.m_bRunEmbedded ? SW_HIDE : m_nCmdShow;
    m_nCmdShow = 0;
    mainFrame->InitialShowWindow((UINT)showCmd);
    mainFrame->UpdateWindow();
    mainFrame->DragAcceptFiles(TRUE);
    return TRUE;
}
