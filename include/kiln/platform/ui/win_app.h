// Application and thread objects, and the wait cursor.
//
// A program may construct one CWinApp (usually a static object of a derived class); it becomes the
// application that AfxGetApp and AfxGetModuleState report, and the thread object of the thread that
// constructed it. Every other thread gets a plain CWinThread of its own from AfxGetThread, so a
// message pump always has an object to run on.
#pragma once

#include <vector>

#include <kiln/platform/ui/cmd_target.h>
#include <kiln/platform/ui/message_queue.h>
#include <kiln/platform/text/cstring.h>

class CWnd;
class CCommandLineInfo;
class CRecentFileList;
class CDocTemplate;
class CDocument;

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)
public:
    CWinThread();
    ~CWinThread() override = default;

    // FALSE: a thread object that does not override it has nothing to start.
    virtual BOOL InitInstance();
    // The exit code: wParam of the WM_QUIT that ended Run.
    virtual int ExitInstance();
    // The message loop: idles (OnIdle with a growing count) while the queue is empty, pumps while it
    // is not, and returns ExitInstance() once WM_QUIT is taken.
    virtual int Run();
    // TRUE when the message was handled and must not be translated or dispatched: offers it to the
    // PreTranslateMessage of the CWnd objects from its window up to the main window (a dialog takes
    // its keyboard messages there with IsDialogMessage), then to the main window.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    // Idle work; TRUE asks for more idle calls. Only the first call (lCount 0) asks for more; the
    // temporary CWnd objects of the thread are deleted there.
    virtual BOOL OnIdle(LONG lCount);
    // FALSE for messages that must not restart idle processing: WM_PAINT, WM_SYSTIMER and a mouse
    // move to where the last one was.
    virtual BOOL IsIdleMessage(MSG* pMsg);
    // The main window, or null.
    virtual CWnd* GetMainWnd();
    // Waits for one message and handles it (PreTranslateMessage, TranslateMessage, DispatchMessage);
    // FALSE when it was WM_QUIT.
    virtual BOOL PumpMessage();

    MSG m_msgCur = {};  // the message last taken by PumpMessage
    DWORD m_nThreadID;  // the thread the object belongs to
    CWnd* m_pMainWnd = nullptr;
};

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)
public:
    // Registers this object as the application (replacing any earlier one) on the calling thread.
    // A null name is taken from the program's file name, without its extension.
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    BOOL InitInstance() override;

    // The wait cursor is shown while the count is above zero. A terminal has no cursor to change,
    // so only the count is kept: Begin adds one, End takes one (never below zero), Restore keeps it.
    void BeginWaitCursor() { DoWaitCursor(1); }
    void EndWaitCursor() { DoWaitCursor(-1); }
    void RestoreWaitCursor() { DoWaitCursor(0); }
    virtual void DoWaitCursor(int nCode);

    // The message loop, ended by WM_QUIT (at once without a main window, which nothing would close).
    int Run() override;
    // Saves the recent-file list (SaveStdProfileSettings) and returns the exit code.
    int ExitInstance() override;

    // Settings. With a registry key set, entries live in the per-user registry store under
    // Software\<key>\<m_pszProfileName>\<section> (integers REG_DWORD, strings REG_SZ, binary data
    // REG_BINARY); keys are made by the first write, reads never make them. Without one, they live in
    // the private profile file m_pszProfileName, "<m_pszExeName>.ini" by default: a bare name, so the
    // file is found where the private-profile functions keep bare names (private_profile.h). There
    // integers are decimal text and binary data two letters a byte ('A' + low four bits, then 'A' +
    // high four bits). A null entry to WriteProfileString deletes the section, a null value the entry.
    // m_pszRegistryKey and m_pszProfileName are owned by the object (malloc'd, as ported code that
    // replaces them with free/strdup expects).
    void SetRegistryKey(LPCTSTR lpszRegistryKey);  // also makes the profile name the application's name
    void SetRegistryKey(UINT nIDRegistryKey);      // the key from a string resource
    UINT GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault);
    BOOL WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue);
    CString GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault = nullptr);
    BOOL WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue);
    // *ppData is a new[] block the caller deletes with delete[]; FALSE (null, 0) when there is no entry.
    BOOL GetProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE* ppData, UINT* pBytes);
    BOOL WriteProfileBinary(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPBYTE pData, UINT nBytes);
    // Software\<key>\<profile name> and a section below it, made when missing; null without a
    // registry key or on failure. The caller closes the key.
    HKEY GetAppRegistryKey();
    HKEY GetSectionKey(LPCTSTR lpszSection);
    // Reads the recent-file list ("Recent File List", File1..FileN, at most nMaxMRU entries; 0 keeps
    // none) and "Settings"/"PreviewPages" from the profile; ExitInstance writes them back.
    void LoadStdProfileSettings(UINT nMaxMRU = 4);
    void SaveStdProfileSettings();
    virtual void AddToRecentFileList(LPCTSTR lpszPathName);

    // Documents. The application owns the templates it is given.
    void AddDocTemplate(CDocTemplate* pTemplate);
    POSITION GetFirstDocTemplatePosition() const;
    CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
    // The document of that file: an open one is activated, else the template that matches the file's
    // extension best (the first template when none does) opens it. Null on failure.
    virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);
    // A new document of the first template (with several templates Windows asks which; a terminal
    // program has no such question to ask, so the first, the application's main type, is taken).
    void OnFileNew();
    // TRUE when every document may be closed (SaveModified of each).
    virtual BOOL SaveAllModified();
    virtual void CloseAllDocuments(BOOL bEndSession);

    // The shell. EnableShellOpen only records that the application opens documents for the shell (no
    // conversation with a desktop exists here). RegisterShellFileTypes records each template's file
    // type in the per-user registry store under Software\Classes (".ext" naming the type; the type's
    // name; shell\open\command, and with bCompat shell\print and shell\printto, as command lines of
    // this program): the desktop's own file associations are never changed.
    void EnableShellOpen();
    void RegisterShellFileTypes(BOOL bCompat = FALSE);
    // Removes what RegisterShellFileTypes recorded and the application's settings key.
    virtual BOOL Unregister();
    // Parses the process's arguments (kiln::GetCommandLineArguments, command_line_info.h) into
    // rCmdInfo, one ParseParam call each.
    void ParseCommandLine(CCommandLineInfo& rCmdInfo);
    // Carries out the parsed command: FileNew a new document, FileOpen OpenDocumentFile, FilePrint
    // and FilePrintTo open hidden and end (FALSE, as on Windows), AppRegister/AppUnregister register or
    // unregister and end (FALSE), FileDDE and FileNothing do nothing. FALSE also when a document
    // cannot be opened or a new one made.
    virtual BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

    LPCTSTR m_pszAppName;  // the application's name (owned by the object)
    LPCTSTR m_pszExeName;  // the program's file name without extension (owned by the object)
    LPCTSTR m_pszRegistryKey = nullptr;
    LPCTSTR m_pszProfileName = nullptr;
    HINSTANCE m_hInstance = nullptr;
    int m_nCmdShow = 1;  // SW_SHOWNORMAL
    int m_nWaitCursorCount = 0;
    int m_nNumPreviewPages = 0;
    CRecentFileList* m_pRecentFileList = nullptr;
    BOOL m_bShellOpen = FALSE;  // set by EnableShellOpen

private:
    void ReleaseFrameState();
    std::vector<CDocTemplate*> m_templates;
};

// The module state of the process: which application object is current (null when there is none).
struct AFX_MODULE_STATE {
    CWinApp* m_pCurrentWinApp;
};

AFX_MODULE_STATE* AfxGetModuleState();
CWinApp* AfxGetApp();
// The application on the thread that constructed it, else the calling thread's own thread object.
CWinThread* AfxGetThread();
// The application's m_pszAppName, or the program's file name without extension when there is no
// application object.
LPCTSTR AfxGetAppName();

// Shows the wait cursor for its lifetime: the application's BeginWaitCursor/EndWaitCursor, or a
// process-wide count when there is no application object.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();
};

namespace kiln {

// The wait-cursor count now in force: the application's, or the process-wide one without it.
int GetWaitCursorCount();

}  // namespace kiln
