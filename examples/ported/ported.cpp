// kiln-ported: a small report program written as a Windows client of the library writes it:
// generic-text macros, the MFC collections, a DECLARE_SERIAL document stored with CArchive,
// CString::Format with CString and 64-bit arguments, the C runtime's string helpers and min/max.
// Only the precompiled header changed: <kiln/kiln.h> in place of stdafx.h.
//
// Usage: kiln-ported FOLDER  (stores its document as FOLDER/report.dat and reads it back)
#include <kiln/kiln.h>

#include <cstdio>

class CReportDoc : public CObject {
    DECLARE_SERIAL(CReportDoc)
public:
    CStringList m_names;
    CDWordArray m_sizes;
    CMapStringToString m_notes;

    void Serialize(CArchive& ar) override {
        m_names.Serialize(ar);
        m_sizes.Serialize(ar);
        m_notes.Serialize(ar);
    }
};
IMPLEMENT_SERIAL(CReportDoc, CObject, 1)

static void Print(LPCTSTR lpszLine) { _fputts(lpszLine, stdout); }

int main(int argc, char* argv[]) {
    if (argc != 2) {
        Print(_T("usage: kiln-ported FOLDER\n"));
        return 2;
    }
    CReportDoc doc;
    const TCHAR* names[] = {_T("alpha.src"), _T("beta.src"), _T("gamma.inc")};
    DWORD sizes[] = {1200, 65536, 7};
    for (UINT i = 0; i < _countof(names); ++i) {
        doc.m_names.AddTail(names[i]);
        doc.m_sizes.Add(sizes[i]);
    }
    doc.m_notes.SetAt(_T("alpha.src"), _T("main"));
    doc.m_notes[_T("gamma.inc")] = _T("shared");

    TCHAR szPath[_MAX_PATH];
    lstrcpy(szPath, argv[1]);
    lstrcat(szPath, _T("\\report.dat"));
    {
        CFile file(szPath, CFile::modeCreate | CFile::modeWrite);
        CArchive ar(&file, CArchive::store);
        ar << &doc;
    }

    CReportDoc* pLoaded = nullptr;
    {
        CFile file(szPath, CFile::modeRead);
        CArchive ar(&file, CArchive::load);
        CObject* pOb = nullptr;
        ar >> pOb;
        pLoaded = DYNAMIC_DOWNCAST(CReportDoc, pOb);
    }
    ASSERT_VALID(pLoaded);

    unsigned __int64 total = 0;
    DWORD largest = 0;
    CString line;
    int i = 0;
    for (POSITION pos = pLoaded->m_names.GetHeadPosition(); pos != NULL; ++i) {
        CString name = pLoaded->m_names.GetNext(pos);
        DWORD size = pLoaded->m_sizes[i];
        CString note;
        if (!pLoaded->m_notes.Lookup(name, note)) note = _T("-");
        LPCTSTR ext = _tcsrchr(name, _T('.'));
        line.Format(_T("%-10s %6lu %-4s %s\n"), name, size, ext != NULL ? ext + 1 : _T(""), note);
        Print(line);
        total += size;
        largest = max(largest, size);
    }
    line.Format(_T("%d files, %I64u bytes, largest %lu, %I64X hex\n"), pLoaded->m_names.GetCount(), total,
                largest, total);
    Print(line);

    TCHAR szNumber[16];
    _ltoa((LONG)-5, szNumber, 10);
    line.Format(_T("%ld %s %hd\n"), (LONG)-5, szNumber, (short)70000);
    Print(line);
    TRACE1("report stored in %s\n", szPath);
    delete pLoaded;
    return 0;
}
