#include <kiln/platform/runtime/exception.h>

#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CUserException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {

BOOL CopyMessage(const char* text, LPTSTR lpszError, UINT nMaxError) {
    if (lpszError == nullptr || nMaxError == 0) return FALSE;
    size_t n = std::strlen(text);
    if (n >= nMaxError) n = nMaxError - 1;
    std::memcpy(lpszError, text, n);
    lpszError[n] = '\0';
    return TRUE;
}

}  // namespace

CException::CException() : m_bAutoDelete(TRUE) {}
CException::CException(BOOL bAutoDelete) : m_bAutoDelete(bAutoDelete) {}

void CException::Delete() {
    // A TRY block that caught this exception deletes it when the block is left.
    if (m_pLink != nullptr) return;
    if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    if (lpszError && nMaxError) *lpszError = '\0';
    return FALSE;
}

CMemoryException::CMemoryException() = default;
CMemoryException::CMemoryException(BOOL bAutoDelete) : CException(bAutoDelete) {}
BOOL CMemoryException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    return CopyMessage("Out of memory.", lpszError, nMaxError);
}

CNotSupportedException::CNotSupportedException() = default;
CNotSupportedException::CNotSupportedException(BOOL bAutoDelete) : CException(bAutoDelete) {}
BOOL CNotSupportedException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    return CopyMessage("An unsupported operation was attempted.", lpszError, nMaxError);
}

CResourceException::CResourceException() = default;
CResourceException::CResourceException(BOOL bAutoDelete) : CException(bAutoDelete) {}
BOOL CResourceException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    if (pnHelpContext) *pnHelpContext = 0;
    return CopyMessage("A required resource was unavailable.", lpszError, nMaxError);
}

CArchiveException::CArchiveException(int cause, LPCTSTR lpszArchiveName)
    : m_cause(cause), m_strFileName(lpszArchiveName) {}

BOOL CArchiveException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
    static const char* const kTexts[] = {
        "No error occurred.",
        "An unknown error occurred while accessing %s.",
        "An attempt was made to write to the reading %s.",
        "An attempt was made to access %s past its end.",
        "An attempt was made to read from the writing %s.",
        "%s has a bad format.",
        "%s contained an unexpected object.",
        "%s contains an incorrect schema.",
    };
    if (pnHelpContext) *pnHelpContext = 0;
    int cause = (m_cause >= 0 && m_cause < (int)_countof(kTexts)) ? m_cause : genericException;
    CString text;
    text.Format(kTexts[cause], m_strFileName.IsEmpty() ? "an unnamed file" : (LPCSTR)m_strFileName);
    return CopyMessage(text, lpszError, nMaxError);
}

void AfxThrowMemoryException() {
    // Shortage of memory must not need memory: the exception is a static object.
    static CMemoryException s_exception(FALSE);
    throw &s_exception;
}

void AfxThrowNotSupportedException() { throw new CNotSupportedException; }
void AfxThrowResourceException() { throw new CResourceException; }
void AfxThrowUserException() { throw new CUserException; }
void AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName) {
    throw new CFileException(cause, lOsError, lpszFileName);
}
void AfxThrowArchiveException(int cause, LPCTSTR lpszArchiveName) {
    throw new CArchiveException(cause, lpszArchiveName);
}

AFX_EXCEPTION_LINK::~AFX_EXCEPTION_LINK() {
    if (m_pException != nullptr) {
        m_pException->m_pLink = nullptr;
        m_pException->Delete();
    }
}

void AFX_EXCEPTION_LINK::Take(CException* e) {
    m_pException = e;
    if (e != nullptr) e->m_pLink = this;
}

CException* AFX_EXCEPTION_LINK::Release() {
    CException* e = m_pException;
    if (e != nullptr) e->m_pLink = nullptr;
    m_pException = nullptr;
    return e;
}
