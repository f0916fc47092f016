// CWinAppMDIEx: the application base of a multiple-document program.
//
// A derived application registers its document templates and creates its main frame in its own
// InitInstance, then calls InitInstanceEx(frame), which sets the application up in one go: settings
// in the per-user registry store under Software\tavrin\<application name>, a recent-file list of 10
// entries, the shell's file types (kept in the registry store only, see CWinApp), the command line
// (a CCommandLineInfoSg, so named arguments work), and the frame shown at its saved position.
//
//   BOOL CMyApp::InitInstance() {
//       AddDocTemplate(new CMultiDocTemplate(IDR_NOTE, RUNTIME_CLASS(CNoteDoc), ...));
//       auto* frame = new CMainFrame;
//       if (!frame->LoadFrame(IDR_MAINFRAME)) return FALSE;
//       return InitInstanceEx(frame);
//   }
#pragma once

#include <kiln/platform/ui/win_app.h>

class CMDIFrameWndEx;

class CWinAppMDIEx : public CWinApp {
    DECLARE_DYNCREATE(CWinAppMDIEx)
public:
    CWinAppMDIEx();
    ~CWinAppMDIEx() override;

protected:
    // FALSE when the command line's shell command fails (the frame is then not shown); TRUE otherwise.
    // A plain "new file" command creates no document at start-up.
    virtual BOOL InitInstanceEx(CMDIFrameWndEx* mainFrame);
    DECLARE_MESSAGE_MAP()
};
