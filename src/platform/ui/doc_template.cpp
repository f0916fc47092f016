#include <kiln/platform/ui/doc_template.h>

#include <algorithm>
#include <cstring>

#include <kiln/platform/runtime/resources.h>
#include <kiln/platform/ui/document.h>
#include <kiln/platform/ui/frame_wnd.h>
#include <kiln/platform/ui/message_box.h>
#include <kiln/platform/ui/win_app.h>

#include "list_position.h"

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource),
      m_pDocClass(pDocClass),
      m_pFrameClass(pFrameClass),
      m_pViewClass(pViewClass) {}

CDocTemplate::~CDocTemplate() = default;

void CDocTemplate::LoadTemplate() {
    if (const char* text = kiln::FindStringResource(m_nIDResource)) m_strDocStrings = text;
}

BOOL CDocTemplate::GetDocString(CString& rString, enum DocStringIndex index) const {
    rString.Empty();
    const char* text = m_strDocStrings;
    for (int part = 0; part < (int)index; ++part) {
        text = std::strchr(text, '\n');
        if (text == nullptr) return FALSE;
        ++text;
    }
    const char* end = std::strchr(text, '\n');
    rString = end != nullptr ? CString(text, (int)(end - text)) : CString(text);
    return !rString.IsEmpty();
}

void CDocTemplate::AddDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = this; }

void CDocTemplate::RemoveDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = nullptr; }

CDocTemplate::Confidence CDocTemplate::MatchDocType(LPCTSTR lpszPathName, CDocument*& rpDocMatch) {
    rpDocMatch = nullptr;
    CString full(lpszPathName);
    for (POSITION pos = GetFirstDocPosition(); pos != nullptr;) {
        CDocument* doc = GetNextDoc(pos);
        if (!doc->GetPathName().IsEmpty() && doc->GetPathName().CompareNoCase(full) == 0) {
            rpDocMatch = doc;
            return yesAlreadyOpen;
        }
    }
    CString ext;
    if (GetDocString(ext, filterExt)) {
        const int length = full.GetLength();
        if (length >= ext.GetLength() && full.Right(ext.GetLength()).CompareNoCase(ext) == 0)
            return yesAttemptNative;
    }
    return yesAttemptForeign;
}

CDocument* CDocTemplate::CreateNewDocument() {
    if (m_pDocClass == nullptr) return nullptr;
    CObject* object = m_pDocClass->CreateObject();
    auto* doc = dynamic_cast<CDocument*>(object);
    if (doc == nullptr) {
        delete object;
        return nullptr;
    }
    AddDocument(doc);
    return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
    CCreateContext context;
    context.m_pCurrentFrame = pOther;
    context.m_pCurrentDoc = pDoc;
    context.m_pNewViewClass = m_pViewClass;
    context.m_pNewDocTemplate = this;
    if (m_pFrameClass == nullptr) return nullptr;
    CObject* object = m_pFrameClass->CreateObject();
    auto* frame = dynamic_cast<CFrameWnd*>(object);
    if (frame == nullptr) {
        delete object;
        return nullptr;
    }
    // A frame whose creation fails has deleted itself (PostNcDestroy).
    if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context))
        return nullptr;
    return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
    pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

BOOL CDocTemplate::SaveAllModified() {
    for (POSITION pos = GetFirstDocPosition(); pos != nullptr;)
        if (!GetNextDoc(pos)->SaveModified()) return FALSE;
    return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
    // Closing a document takes it out of the list: close the first until none is left.
    for (POSITION pos = GetFirstDocPosition(); pos != nullptr; pos = GetFirstDocPosition()) {
        CDocument* doc = GetNextDoc(pos);
        doc->OnCloseDocument();
        // A document that outlives its closing (not auto-deleted) is still listed: let it go.
        pos = GetFirstDocPosition();
        if (pos != nullptr && GetNextDoc(pos) == doc) RemoveDocument(doc);
    }
}

IMPLEMENT_DYNAMIC(CMultiDocTemplate, CDocTemplate)

CMultiDocTemplate::CMultiDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                     CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CMultiDocTemplate::~CMultiDocTemplate() {
    // Documents still open go with their template.
    while (!m_docList.empty()) {
        CDocument* doc = m_docList.back();
        m_docList.pop_back();
        doc->m_pDocTemplate = nullptr;
        delete doc;
    }
}

void CMultiDocTemplate::AddDocument(CDocument* pDoc) {
    CDocTemplate::AddDocument(pDoc);
    m_docList.push_back(pDoc);
}

void CMultiDocTemplate::RemoveDocument(CDocument* pDoc) {
    CDocTemplate::RemoveDocument(pDoc);
    m_docList.erase(std::remove(m_docList.begin(), m_docList.end(), pDoc), m_docList.end());
}

POSITION CMultiDocTemplate::GetFirstDocPosition() const { return kiln::FirstPosition(m_docList); }

CDocument* CMultiDocTemplate::GetNextDoc(POSITION& rPos) const { return kiln::NextAt(m_docList, rPos); }

void CMultiDocTemplate::SetDefaultTitle(CDocument* pDocument) {
    CString name;
    if (!GetDocString(name, docName)) name = "Untitled";
    CString title;
    title.Format("%s%u", (LPCTSTR)name, ++m_nUntitledCount);
    pDocument->SetTitle(title);
}

CDocument* CMultiDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible) {
    CDocument* doc = CreateNewDocument();
    if (doc == nullptr) return nullptr;
    const BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;  // the frame's failure must not take the document with it
    CFrameWnd* frame = CreateNewFrame(doc, nullptr);
    doc->m_bAutoDelete = autoDelete;
    if (frame == nullptr) {
        delete doc;
        return nullptr;
    }
    const bool opened = lpszPathName == nullptr ? (SetDefaultTitle(doc), doc->OnNewDocument() != FALSE)
                                                : doc->OnOpenDocument(lpszPathName) != FALSE;
    if (!opened) {
        doc->m_bAutoDelete = FALSE;  // deleted here, whether or not the frame had a view on it
        frame->DestroyWindow();
        delete doc;
        return nullptr;
    }
    if (lpszPathName != nullptr) doc->SetPathName(lpszPathName);
    InitialUpdateFrame(frame, doc, bMakeVisible);
    return doc;
}
