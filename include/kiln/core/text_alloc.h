// CTextAlloc: a memory block that knows the file its content belongs to.
//
// It adds a path name (with its cached byte length) and a modified flag to CAlloc, fills itself
// from a whole file (TryRead) and writes itself back (Write), and stores itself in archives in two
// record forms: the check-word record (length N, ~N, then the N bytes, all little-endian) and the
// raw record (the bytes alone, N being the rest of the file). The file forms run either record over
// a file with a 4096-byte archive buffer and never let an exception out.
//
// The operations call one another through their virtual slots, so a derived class's override
// changes what the others do. The two hooks are for the library's users: OnCreateNewFile is asked
// when a file to be read does not exist (non-zero: the hook made it, reading goes on),
// AfterSerialRead after the content has been read (0 makes the read fail).
//
// TryRead, the Write family and the file forms show the wait cursor while they run (CWaitCursor:
// on a terminal only the application's wait count changes).
//
// File names are formed in MAX_PATH (260) byte buffers, the NUL included. A name that does not fit
// once its new extension is applied is refused: the file operation fails with the file layer's
// "cannot open" message, and AttachText(path, ext) empties the path name (see AttachText).
#pragma once

#include <kiln/core/alloc.h>
#include <kiln/platform/text/cstring.h>

class CTextAlloc : public CAlloc {
    DECLARE_DYNCREATE(CTextAlloc)
public:
    CTextAlloc();
    // Shares the source's block (see CAlloc), then copies path name, path length and modified flag.
    CTextAlloc(CTextAlloc& source);
    ~CTextAlloc() override;

    // The check-word record: stores N, ~N and the bytes, or loads such a record into an empty buffer.
    // Loading warns when the check word is wrong and goes on; a refused or failed load raises
    // CArchiveException genericException. A file exception while storing is shown and turned into
    // CArchiveException genericException.
    void Serialize(CArchive& ar) override;
    // Takes the source's block; nothing of the text part changes.
    void* AttachThrough(CAlloc& source) override;
    // Releases the block and empties the text part; 0 (and nothing changes) when there is no block.
    BOOL Detach() override;

    using CAlloc::Attach;

    // Takes the source's block and its path name; the source keeps its path name and flag.
    virtual void* AttachThrough(CTextAlloc& source);
    // Copies the text (without its NUL) in; a null path keeps the current path name.
    virtual void* Attach(const char* text, const char* path);
    // Adopts the caller's block of size bytes.
    virtual void* Attach(unsigned int size, void* handle, const char* path);
    // Copies size bytes in.
    virtual void* Attach(void* data, unsigned int size, const char* path);
    // Fills an empty buffer with the whole file; 1 without reading when the buffer already holds
    // that path.
    virtual BOOL TryRead(const char* path);
    // Loads a length-prefixed record (N, then the bytes; no check word) into an empty buffer.
    virtual BOOL ReadSerialize(CArchive& ar);
    virtual BOOL AfterSerialRead();
    virtual BOOL OnCreateNewFile(const char* path);
    // The Write family writes the content (or the given bytes) to the path name or name, with the
    // extension ext applied when it is not empty; the path name never changes.
    virtual BOOL Write();
    virtual BOOL Write(const char* ext);
    virtual BOOL Write(const char* ext, char* data, unsigned int size);
    virtual BOOL Write(const char* name, const char* ext);
    virtual BOOL Write(const char* name, const char* ext, char* data, unsigned int size);
    // Names the content's file; neither the block nor the modified flag changes. ext begins with
    // its own period; an empty ext cuts the extension off. A name that does not fit in MAX_PATH
    // bytes once ext is applied leaves the path name empty, so that no later Write goes to the
    // previous file by mistake.
    virtual void AttachText(const char* path, const char* ext);
    virtual void AttachText(const char* path);
    virtual void AttachText(CTextAlloc* other, const char* ext);
    virtual void AttachText(CTextAlloc* other);
    virtual const char* GetPathName() const;
    virtual int GetPathLength() const;
    virtual void SetModifiedFlag(BOOL modified);
    virtual BOOL IsModified() const;
    // The file forms: store the raw record, or the check-word record (raw 0), into name (or the path
    // name) with ext applied; load a record from name (null: the path name) into an empty buffer.
    virtual BOOL SerializeRawToFile(const char* ext);
    virtual BOOL SerializeRawToFile(const char* name, const char* ext);
    virtual BOOL SerializeToFile(const char* name, const char* ext, BOOL raw);
    virtual BOOL SerializeToFile(const char* ext);
    virtual BOOL SerializeRawFromFile(const char* name);
    virtual BOOL SerializeFromFile(const char* name, BOOL raw);
    // The raw record; 1 on success, 0 on failure (never raises for a file exception while storing).
    virtual BOOL SerializeRaw(CArchive& ar);

protected:
    // Sets the text part's empty state; the block is not touched.
    void Initialize();
    // Reads exactly GetLength() bytes into an empty buffer and names it after the archive's file.
    BOOL ReadAttach(CArchive& ar);

    CString m_strPathName;
    int m_nPathLength;
    BOOL m_bModified;

private:
    // The tail of a successful load: names the buffer after the archive's file, clears the flag.
    void NameAfterArchive(CArchive& ar);
    void SetPathName(const char* path);
};
