// CArchive: MFC's buffered binary stream over a CFile, with its object format.
//
// Every value is stored little-endian, in the widths MFC gives it: BYTE, char and bool 1 byte; WORD
// and short 2; LONG (= int), DWORD (= UINT), float 4; double, LONGLONG and ULONGLONG 8. `long` and
// `unsigned long` are 4 bytes as on Windows: the low 32 bits are stored and loading sign- or
// zero-extends them (so int64_t, which is `long` here, is stored in 4 bytes too: use LONGLONG).
// CStrings use MFC's length prefix; a Unicode string in an archive is converted to code page 932.
//
// Errors are raised as MFC's exception pointers: extracting past the end of the file gives
// CArchiveException endOfFile, extracting from a storing archive writeOnly, inserting into a loading
// archive readOnly. Read is the exception: it returns the count it could deliver.
//
// Objects (operator<< / >> with CObject pointers) are written in MFC's format, so archives
// interchange with Windows programs: a null pointer is the tag 0x0000; an object is either the index
// of an object written before, or its class followed by its Serialize data; a class is 0xFFFF and
// its name (CRuntimeClass::Store) the first time, then 0x8000 | its index. Classes and objects share
// one index sequence starting at 1, in the order they are entered (a class when it is first
// written, an object before its Serialize runs). Indices from 0x7FFF on are written as the tag
// 0x7FFF followed by a DWORD (0x80000000 | index for a class). Loading checks every tag: an unknown
// class gives badClass, a stored schema that differs from the class's gives badSchema (unless the
// class's schema carries VERSIONABLE_SCHEMA: then GetObjectSchema tells Serialize the stored one), an
// index that names nothing or the wrong kind of entry gives badIndex, an object of the wrong class
// badClass. An object whose Serialize raises while it is loaded is deleted again before the exception
// goes on (a later reference to it gives badIndex), so a failed load leaks nothing.
#pragma once

#include <bit>
#include <cstring>
#include <memory>

#include <kiln/platform/text/cstring.h>
#include <kiln/platform/runtime/exception.h>
#include <kiln/platform/runtime/object.h>

class CFile;
class CArchive;

namespace kiln {
ULONGLONG ArchiveBytesLeft(const CArchive& ar);
}

static_assert(std::endian::native == std::endian::little, "archives are stored in the host's byte order");

class CArchive {
public:
    enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

    // The buffer has at least 128 bytes; a caller's buffer (lpBuf, nBufSize bytes) is used when it
    // is that large, and stays the caller's.
    CArchive(CFile* pFile, UINT nMode, int nBufSize = 4096, void* lpBuf = nullptr);
    // Closes the archive unless bNoFlushOnDelete was given; never raises.
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    BOOL IsLoading() const { return (m_nMode & load) != 0; }
    BOOL IsStoring() const { return (m_nMode & load) == 0; }
    BOOL IsByteSwapping() const { return FALSE; }
    BOOL IsBufferEmpty() const { return m_lpBufCur == m_lpBufMax; }
    CFile* GetFile() const { return m_pFile; }

    // The schema of the object being loaded; reading it resets it to (UINT)-1, as in MFC.
    UINT GetObjectSchema();
    void SetObjectSchema(UINT nSchema) { m_nObjectSchema = nSchema; }

    // Storing: writes the buffer to the file. Loading: gives the unread buffered bytes back to the
    // file (seeks back over them), so the file's position is the archive's.
    void Flush();
    // Flushes, then lets go of the file (which stays open).
    void Close();
    // Lets go of the file without flushing; never raises.
    void Abort();

    // Bytes delivered: fewer than nMax only at the end of the file.
    UINT Read(void* lpBuf, UINT nMax);
    void Write(const void* lpBuf, UINT nMax);

    // Text lines: WriteString writes the bytes as they are (no terminator is added); ReadString
    // reads up to "\n", "\r\n" or "\r" and drops the line end; FALSE at the end of the file.
    void WriteString(LPCTSTR lpsz);
    BOOL ReadString(CString& rString);

    // The object format (see above). ReadObject/ReadClass check the result against pClassRefRequested
    // when it is given. ReadClass with pSchema null makes the stored schema the object schema.
    CObject* ReadObject(const CRuntimeClass* pClassRefRequested);
    void WriteObject(const CObject* pOb);
    CRuntimeClass* ReadClass(const CRuntimeClass* pClassRefRequested = nullptr, UINT* pSchema = nullptr,
                             DWORD* pObTag = nullptr);
    void WriteClass(const CRuntimeClass* pClassRef);
    void SerializeClass(const CRuntimeClass* pClassRef);
    // Enters an object in the index sequence without writing or reading it.
    void MapObject(const CObject* pOb);

    CArchive& operator<<(BYTE by) { return Put(by); }
    CArchive& operator<<(WORD w) { return Put(w); }
    CArchive& operator<<(LONG l) { return Put(l); }
    CArchive& operator<<(DWORD dw) { return Put(dw); }
    CArchive& operator<<(float f) { return Put(f); }
    CArchive& operator<<(double d) { return Put(d); }
    CArchive& operator<<(LONGLONG dwdw) { return Put(dwdw); }
    CArchive& operator<<(ULONGLONG dwdw) { return Put(dwdw); }
    CArchive& operator<<(short w) { return Put(w); }
    CArchive& operator<<(char ch) { return Put(ch); }
    CArchive& operator<<(bool b) { return Put((BYTE)(b ? 1 : 0)); }
    CArchive& operator<<(long l) { return Put((LONG)l); }
    CArchive& operator<<(unsigned long ul) { return Put((DWORD)ul); }
    // A string literal is stored as a CString (it would otherwise convert to bool).
    CArchive& operator<<(LPCSTR psz);

    CArchive& operator>>(BYTE& by) { return Get(by); }
    CArchive& operator>>(WORD& w) { return Get(w); }
    CArchive& operator>>(LONG& l) { return Get(l); }
    CArchive& operator>>(DWORD& dw) { return Get(dw); }
    CArchive& operator>>(float& f) { return Get(f); }
    CArchive& operator>>(double& d) { return Get(d); }
    CArchive& operator>>(LONGLONG& dwdw) { return Get(dwdw); }
    CArchive& operator>>(ULONGLONG& dwdw) { return Get(dwdw); }
    CArchive& operator>>(short& w) { return Get(w); }
    CArchive& operator>>(char& ch) { return Get(ch); }
    CArchive& operator>>(bool& b) {
        BYTE by;
        Get(by);
        b = by != 0;
        return *this;
    }
    CArchive& operator>>(long& l) {
        LONG v;
        Get(v);
        l = v;
        return *this;
    }
    CArchive& operator>>(unsigned long& ul) {
        DWORD v;
        Get(v);
        ul = v;
        return *this;
    }

    void* m_pDocument = nullptr;
    CString m_strFileName;  // the file's path at construction; named in the archive's exceptions

private:
    friend ULONGLONG kiln::ArchiveBytesLeft(const CArchive& ar);
    struct ObjectMap;

    // The 1- to 8-byte values go straight to and from the buffer; the rest takes the slow path.
    template <class T>
    CArchive& Put(T v) {
        if (IsStoring() && (size_t)(m_lpBufMax - m_lpBufCur) >= sizeof(T)) {
            memcpy(m_lpBufCur, &v, sizeof(T));
            m_lpBufCur += sizeof(T);
        } else {
            PutSlow(&v, sizeof(T));
        }
        return *this;
    }
    template <class T>
    CArchive& Get(T& v) {
        if (IsLoading() && (size_t)(m_lpBufMax - m_lpBufCur) >= sizeof(T)) {
            memcpy(&v, m_lpBufCur, sizeof(T));
            m_lpBufCur += sizeof(T);
        } else {
            GetSlow(&v, sizeof(T));
        }
        return *this;
    }
    void PutSlow(const void* p, UINT n);
    void GetSlow(void* p, UINT n);
    // Moves the unread bytes to the front and reads until nNeeded bytes are buffered or the file
    // ends; returns the bytes buffered.
    UINT Fill(UINT nNeeded);
    [[noreturn]] void Throw(int cause) const;
    ObjectMap& Map();
    void CheckCount();

    UINT m_nMode;
    CFile* m_pFile;
    UINT m_nBufSize;
    bool m_bUserBuf;
    BYTE* m_lpBufStart;
    BYTE* m_lpBufCur;
    BYTE* m_lpBufMax;
    UINT m_nObjectSchema = (UINT)-1;
    std::unique_ptr<ObjectMap> m_pMap;
};

CArchive& operator<<(CArchive& ar, const CString& str);
CArchive& operator>>(CArchive& ar, CString& str);

CArchive& operator<<(CArchive& ar, const CObject* pOb);
CArchive& operator>>(CArchive& ar, CObject*& pOb);
CArchive& operator>>(CArchive& ar, const CObject*& pOb);
