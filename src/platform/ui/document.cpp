#include <kiln/platform/ui/document.h>

#include <algorithm>

#include <kiln/platform/files/archive.h>
#include <kiln/platform/files/file.h>
#include <kiln/platform/files/path_map.h>
#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/ui/doc_template.h>
#include <kiln/platform/ui/frame_wnd.h>
#include <kiln/platform/ui/message_box.h>
#include <kiln/platform/ui/view.h>
#include <kiln/platform/ui/win_app.h>

#include "list_position.h"

namespace {

// Runs the document's Serialize over the file; false (the user told) on any failure.
bool SerializeFile(CDocument& doc, LPCTSTR path, bool storing) {
    CFile file;
    CFileException error;
    const UINT mode = storing ? CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive
                              : CFile::modeRead | CFile::shareDenyWrite;
    if (!file.Open(path, mode, &error)) {
        error.ReportError(MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    try {
        CArchive ar(&file, storing ? CArchive::store : CArchive::load);
        ar.m_pDocument = &doc;
        doc.Serialize(ar);
        ar.Close();
        file.Close();
    } catch (CException* e) {
        file.Abort();
        e->ReportError(MB_OK | MB_ICONEXCLAMATION);
        e->Delete();
        return false;
    }
    return true;
}

}  // namespace

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
END_MESSAGE_MAP()

CDocument::CDocument() = default;

CDocument::~CDocument() {
    for (CView* view : m_viewList) view->m_pDocument = nullptr;
    if (m_pDocTemplate != nullptr) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCTSTR lpszTitle) { m_strTitle = lpszTitle; }

void CDocument::SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU) {
    m_strPathName = kiln::FullWindowsPath(lpszPathName).c_str();
    const int slash = m_strPathName.ReverseFind('\\');
    SetTitle(m_strPathName.Mid(slash + 1));
    if (bAddToMRU)
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_strPathName);
}

BOOL CDocument::IsModified() { return m_bModified; }

void CDocument::SetModifiedFlag(BOOL bModified) { m_bModified = bModified; }

POSITION CDocument::GetFirstViewPosition() const { return kiln::FirstPosition(m_viewList); }

CView* CDocument::GetNextView(POSITION& rPosition) const { return kiln::NextAt(m_viewList, rPosition); }

void CDocument::AddView(CView* pView) {
    m_viewList.push_back(pView);
    pView->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* pView) {
    auto it = std::find(m_viewList.begin(), m_viewList.end(), pView);
    if (it == m_viewList.end()) return;
    m_viewList.erase(it);
    pView->m_pDocument = nullptr;
    OnChangedViewList();
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
    for (CView* view : m_viewList)
        if (view != pSender) view->OnUpdate(pSender, lHint, pHint);
}

void CDocument::DeleteContents() {}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCTSTR lpszPathName) {
    DeleteContents();
    SetModifiedFlag(TRUE);
    if (!SerializeFile(*this, lpszPathName, false)) {
        DeleteContents();
        return FALSE;
    }
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCTSTR lpszPathName) {
    if (!SerializeFile(*this, lpszPathName, true)) return FALSE;
    SetModifiedFlag(FALSE);
    return TRUE;
}

void CDocument::OnCloseDocument() {
    // Destroying a frame may take views out of the list: take the frames first.
    const BOOL autoDelete = m_bAutoDelete;
    m_bAutoDelete = FALSE;
    std::vector<HWND> frames;
    for (CView* view : m_viewList)
        if (CFrameWnd* frame = view->GetParentFrame(); frame != nullptr && frame->m_hWnd != nullptr)
            frames.push_back(frame->m_hWnd);
    for (HWND frame : frames)
        if (CWnd* wnd = CWnd::FromHandlePermanent(frame)) wnd->DestroyWindow();
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete) delete this;
}

BOOL CDocument::SaveModified() {
    if (!IsModified()) return TRUE;
    CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName;
    CString prompt;
    prompt.Format("Save changes to %s?", (LPCTSTR)name);
    switch (AfxMessageBox(prompt, MB_YESNOCANCEL | MB_ICONEXCLAMATION)) {
    case IDCANCEL: return FALSE;
    case IDYES: return !m_strPathName.IsEmpty() && OnSaveDocument(m_strPathName);
    default: return TRUE;
    }
}

BOOL CDocument::CanCloseFrame(CFrameWnd* pFrame) {
    // Another frame on the document keeps it open; the last one must be allowed to end it.
    for (CView* view : m_viewList)
        if (view->GetParentFrame() != pFrame) return TRUE;
    return SaveModified();
}

void CDocument::OnChangedViewList() {
    if (m_viewList.empty() && m_bAutoDelete) OnCloseDocument();
}
