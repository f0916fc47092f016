// CDocument: a program's data, read and written through CArchive, shown by its views.
//
// A document keeps its path name, its title, a modified flag and the list of its views (a view adds
// itself when it is created for the document and leaves when it goes). Opening reads the file
// through Serialize with a loading archive; saving writes it with a storing one. A failure to open
// or save is shown in a message box and leaves the document as DeleteContents made it.
//
// A document belongs to its template; with m_bAutoDelete (the default) it is deleted when its last
// frame closes (OnCloseDocument).
#pragma once

#include <vector>

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/ui/cmd_target.h>

class CArchive;
class CDocTemplate;
class CFrameWnd;
class CView;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
public:
    ~CDocument() override;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const CString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(LPCTSTR lpszTitle);
    const CString& GetPathName() const { return m_strPathName; }
    // Keeps the full path, makes the file's name the title and, with bAddToMRU, adds the path to the
    // application's recent-file list.
    virtual void SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU = TRUE);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
    virtual BOOL IsModified();
    virtual void SetModifiedFlag(BOOL bModified = TRUE);

    // Views, in the order they were added.
    virtual POSITION GetFirstViewPosition() const;
    virtual CView* GetNextView(POSITION& rPosition) const;
    void AddView(CView* pView);
    void RemoveView(CView* pView);
    // OnUpdate of every view but pSender.
    void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

    virtual void DeleteContents();
    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCTSTR lpszPathName);
    virtual BOOL OnSaveDocument(LPCTSTR lpszPathName);
    // Destroys the document's frames, then the contents, then (m_bAutoDelete) the document.
    virtual void OnCloseDocument();
    // TRUE when the document may be closed: unmodified, or saved or dropped at the user's word
    // ("Save changes to ...?" Yes, No or Cancel; a batch job answers Yes).
    virtual BOOL SaveModified();
    virtual BOOL CanCloseFrame(CFrameWnd* pFrame);
    virtual void OnChangedViewList();

    CString m_strTitle;
    CString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    BOOL m_bModified = FALSE;
    BOOL m_bAutoDelete = TRUE;
    BOOL m_bEmbedded = FALSE;

protected:
    CDocument();
    std::vector<CView*> m_viewList;
    DECLARE_MESSAGE_MAP()
};
