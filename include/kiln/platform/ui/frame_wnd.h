// CFrameWnd: a top-level window that holds views, with a title, a menu and a saved bar layout.
//
// LoadFrame(id, ...) makes the frame from the resources named id: its menu (required: without menu
// id the frame is not created, as on Windows) and its title (the text before the first '\n' of
// string id, when there is one). Its WM_CREATE creates the context's view, if any, as the child
// AFX_IDW_PANE_FIRST. Frames keep their state and are never drawn.
//
// Closing (WM_CLOSE) asks the active document whether it may close; closing the application's main
// frame closes every document, and destroying it ends the thread's message loop (PostQuitMessage(0)).
// A frame lives on the heap and deletes itself when its window goes.
//
// Bars: SaveBarState(name) writes the layout of the frame's control bars to the application's
// profile, section "<name>-Summary" with "Bars" (their count) and "ScreenCX"/"ScreenCY" (the screen
// size), and one section "<name>-Bar<n>" per bar; sections of bars no longer there are removed.
// These frames have no bars, so the layout saved is the empty one (Bars=0). LoadBarState reads a
// layout back: each listed bar ("BarID") that the frame has as a child window is shown or hidden as
// its "Visible" entry says; a missing or empty layout leaves the frame as it is.
#pragma once

#include <kiln/platform/ui/wnd.h>

class CDocTemplate;
class CFrameWnd;
class CDocument;
class CView;

// Standard commands and ids.
#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_CLOSE 0xE102
#define ID_FILE_SAVE 0xE103
#define ID_FILE_SAVE_AS 0xE104
#define ID_FILE_PRINT_DIRECT 0xE106
#define ID_FILE_PRINT 0xE107
#define ID_FILE_MRU_FILE1 0xE110
#define ID_APP_EXIT 0xE141
#define AFX_IDW_PANE_FIRST 0xE900
#define AFX_IDS_APP_TITLE 0xE000
#define FWS_ADDTOTITLE 0x00008000L
#define FWS_PREFIXTITLE 0x00004000L
#define FWS_SNAPTOBARS 0x00002000L
#define AFX_WS_DEFAULT_VIEW (WS_CHILD | WS_VISIBLE | WS_BORDER)
#define WM_INITIALUPDATE 0x0364

// What a frame is created with: the view class to create, the document it shows, and the template
// and frame it comes from. Every member may be null.
struct CCreateContext {
    CRuntimeClass* m_pNewViewClass = nullptr;
    CDocument* m_pCurrentDoc = nullptr;
    CDocTemplate* m_pNewDocTemplate = nullptr;
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
public:
    CFrameWnd();
    ~CFrameWnd() override;

    static const RECT rectDefault;  // CW_USEDEFAULT placement

    virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                           CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
    // lpszMenuName: the menu resource to load (null: no menu). FALSE when the menu or the window
    // cannot be made.
    virtual BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName,
                        DWORD dwStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, const RECT& rect = rectDefault,
                        CWnd* pParentWnd = nullptr, LPCTSTR lpszMenuName = nullptr, DWORD dwExStyle = 0,
                        CCreateContext* pContext = nullptr);
    // Creates the context's view as child nID; null when it cannot be made.
    CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

    virtual CView* GetActiveView() const;
    void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
    virtual CDocument* GetActiveDocument();
    virtual CFrameWnd* GetActiveFrame();
    // Shows the frame (nCmdShow -1: SW_SHOW, or as it is when visible already).
    virtual void ActivateFrame(int nCmdShow = -1);
    // OnInitialUpdate of every view of the frame, then, with bMakeVisible, ActivateFrame.
    void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
    virtual void OnUpdateFrameTitle(BOOL bAddToTitle);

    void SaveBarState(LPCTSTR lpszProfileName) const;
    void LoadBarState(LPCTSTR lpszProfileName);

    UINT m_nIDHelp = 0;
    HMENU m_hMenuDefault = nullptr;  // the menu loaded by LoadFrame, destroyed with the object
    CString m_strTitle;

protected:
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void PostNcDestroy() override;
    virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnClose();
    afx_msg LRESULT OnNcDestroyMessage(WPARAM wParam, LPARAM lParam);

    CView* m_pViewActive = nullptr;
    DECLARE_MESSAGE_MAP()
};
