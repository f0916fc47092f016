// CView: a child window of a frame that shows one document. Nothing is drawn; a view keeps its
// document and its place in the document's view list.
//
// A view is created by its frame from the frame's CCreateContext (CFrameWnd::CreateView): at
// WM_CREATE it joins the context's document. It leaves the document when its window goes, and
// deletes itself then (views live on the heap, made by their class's CreateObject).
#pragma once

#include <kiln/platform/ui/wnd.h>

class CDC;
class CDocument;
class CFrameWnd;

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
public:
    ~CView() override;

    CDocument* GetDocument() const { return m_pDocument; }
    CFrameWnd* GetParentFrame() const;

    // Drawing has nowhere to go on a terminal, but a derived view still says how it draws.
    virtual void OnDraw(CDC* pDC) = 0;
    // Called once the frame is complete (CFrameWnd::InitialUpdateFrame): OnUpdate(nullptr, 0, nullptr).
    virtual void OnInitialUpdate();
    // The document changed: marks the view for repainting.
    virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
    virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);

    CDocument* m_pDocument = nullptr;

protected:
    CView();
    BOOL PreCreateWindow(CREATESTRUCT& cs) override;
    void PostNcDestroy() override;
    afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()
};
