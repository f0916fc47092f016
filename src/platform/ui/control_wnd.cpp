#include <kiln/platform/ui/control_wnd.h>

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CProgressCtrl, CWnd)

BOOL CStatic::Create(LPCTSTR lpszText, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("Static", lpszText, dwStyle, rect, pParentWnd, nID);
}

BOOL CButton::Create(LPCTSTR lpszCaption, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("Button", lpszCaption, dwStyle, rect, pParentWnd, nID);
}
int CButton::GetCheck() const { return (int)::SendMessageA(m_hWnd, BM_GETCHECK, 0, 0); }
void CButton::SetCheck(int nCheck) { ::SendMessageA(m_hWnd, BM_SETCHECK, (WPARAM)nCheck, 0); }
UINT CButton::GetState() const { return (UINT)::SendMessageA(m_hWnd, BM_GETSTATE, 0, 0); }
void CButton::SetState(BOOL bHighlight) { ::SendMessageA(m_hWnd, BM_SETSTATE, (WPARAM)bHighlight, 0); }
UINT CButton::GetButtonStyle() const { return (UINT)GetStyle() & 0xFFFF; }
void CButton::SetButtonStyle(UINT nStyle, BOOL bRedraw) {
    ::SendMessageA(m_hWnd, BM_SETSTYLE, nStyle, bRedraw);
}

BOOL CEdit::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("Edit", nullptr, dwStyle, rect, pParentWnd, nID);
}
DWORD CEdit::GetSel() const { return (DWORD)::SendMessageA(m_hWnd, EM_GETSEL, 0, 0); }
void CEdit::GetSel(int& nStartChar, int& nEndChar) const {
    DWORD start = 0, end = 0;
    ::SendMessageA(m_hWnd, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    nStartChar = (int)start;
    nEndChar = (int)end;
}
void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll) {
    ::SendMessageA(m_hWnd, EM_SETSEL, (WPARAM)nStartChar, nEndChar);
    if (!bNoScroll) ::SendMessageA(m_hWnd, EM_SCROLLCARET, 0, 0);
}
void CEdit::SetSel(DWORD dwSelection, BOOL bNoScroll) {
    SetSel((int)(SHORT)LOWORD(dwSelection), (int)(SHORT)HIWORD(dwSelection), bNoScroll);
}
void CEdit::ReplaceSel(LPCTSTR lpszNewText, BOOL bCanUndo) {
    ::SendMessageA(m_hWnd, EM_REPLACESEL, (WPARAM)bCanUndo, (LPARAM)lpszNewText);
}
void CEdit::LimitText(int nChars) { ::SendMessageA(m_hWnd, EM_LIMITTEXT, (WPARAM)nChars, 0); }
void CEdit::SetLimitText(UINT nMax) { ::SendMessageA(m_hWnd, EM_SETLIMITTEXT, nMax, 0); }
UINT CEdit::GetLimitText() const { return (UINT)::SendMessageA(m_hWnd, EM_GETLIMITTEXT, 0, 0); }
BOOL CEdit::GetModify() const { return (BOOL)::SendMessageA(m_hWnd, EM_GETMODIFY, 0, 0); }
void CEdit::SetModify(BOOL bModified) { ::SendMessageA(m_hWnd, EM_SETMODIFY, (WPARAM)bModified, 0); }
BOOL CEdit::SetReadOnly(BOOL bReadOnly) {
    return (BOOL)::SendMessageA(m_hWnd, EM_SETREADONLY, (WPARAM)bReadOnly, 0);
}
int CEdit::GetLineCount() const { return (int)::SendMessageA(m_hWnd, EM_GETLINECOUNT, 0, 0); }

BOOL CListBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create("ListBox", nullptr, dwStyle, rect, pParentWnd, nID);
}
int CListBox::GetCount() const { return (int)::SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0); }
int CListBox::GetCurSel() const { return (int)::SendMessageA(m_hWnd, LB_GETCURSEL, 0, 0); }
int CListBox::SetCurSel(int nSelect) { return (int)::SendMessageA(m_hWnd, LB_SETCURSEL, (WPARAM)nSelect, 0); }
int CListBox::AddString(LPCTSTR lpszItem) {
    return (int)::SendMessageA(m_hWnd, LB_ADDSTRING, 0, (LPARAM)lpszItem);
}
int CListBox::InsertString(int nIndex, LPCTSTR lpszItem) {
    return (int)::SendMessageA(m_hWnd, LB_INSERTSTRING, (WPARAM)nIndex, (LPARAM)lpszItem);
}
int CListBox::DeleteString(UINT nIndex) { return (int)::SendMessageA(m_hWnd, LB_DELETESTRING, nIndex, 0); }
void CListBox::ResetContent() { ::SendMessageA(m_hWnd, LB_RESETCONTENT, 0, 0); }
int CListBox::GetText(int nIndex, LPTSTR lpszBuffer) const {
    return (int)::SendMessageA(m_hWnd, LB_GETTEXT, (WPARAM)nIndex, (LPARAM)lpszBuffer);
}
void CListBox::GetText(int nIndex, CString& rString) const {
    int length = GetTextLen(nIndex);
    if (length == LB_ERR) {
        rString.Empty();
        return;
    }
    GetText(nIndex, rString.GetBufferSetLength(length));
    rString.ReleaseBuffer(length);
}
int CListBox::GetTextLen(int nIndex) const {
    return (int)::SendMessageA(m_hWnd, LB_GETTEXTLEN, (WPARAM)nIndex, 0);
}
DWORD_PTR CListBox::GetItemData(int nIndex) const {
    return (DWORD_PTR)::SendMessageA(m_hWnd, LB_GETITEMDATA, (WPARAM)nIndex, 0);
}
int CListBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
    return (int)::SendMessageA(m_hWnd, LB_SETITEMDATA, (WPARAM)nIndex, (LPARAM)dwItemData);
}
void* CListBox::GetItemDataPtr(int nIndex) const { return (void*)GetItemData(nIndex); }
int CListBox::SetItemDataPtr(int nIndex, void* pData) { return SetItemData(nIndex, (DWORD_PTR)pData); }
int CListBox::FindString(int nStartAfter, LPCTSTR lpszItem) const {
    return (int)::SendMessageA(m_hWnd, LB_FINDSTRING, (WPARAM)nStartAfter, (LPARAM)lpszItem);
}
int CListBox::FindStringExact(int nIndexStart, LPCTSTR lpszFind) const {
    return (int)::SendMessageA(m_hWnd, LB_FINDSTRINGEXACT, (WPARAM)nIndexStart, (LPARAM)lpszFind);
}
int CListBox::SelectString(int nStartAfter, LPCTSTR lpszItem) {
    return (int)::SendMessageA(m_hWnd, LB_SELECTSTRING, (WPARAM)nStartAfter, (LPARAM)lpszItem);
}
int CListBox::GetTopIndex() const { return (int)::SendMessageA(m_hWnd, LB_GETTOPINDEX, 0, 0); }
int CListBox::SetTopIndex(int nIndex) {
    return (int)::SendMessageA(m_hWnd, LB_SETTOPINDEX, (WPARAM)nIndex, 0);
}

BOOL CProgressCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
    return CWnd::Create(PROGRESS_CLASS, nullptr, dwStyle, rect, pParentWnd, nID);
}
void CProgressCtrl::SetRange(short nLower, short nUpper) {
    ::SendMessageA(m_hWnd, PBM_SETRANGE, 0, MAKELPARAM(nLower, nUpper));
}
void CProgressCtrl::SetRange32(int nLower, int nUpper) {
    ::SendMessageA(m_hWnd, PBM_SETRANGE32, (WPARAM)nLower, (LPARAM)nUpper);
}
void CProgressCtrl::GetRange(int& nLower, int& nUpper) const {
    PBRANGE range{};
    ::SendMessageA(m_hWnd, PBM_GETRANGE, FALSE, (LPARAM)&range);
    nLower = range.iLow;
    nUpper = range.iHigh;
}
