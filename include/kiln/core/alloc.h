// CAlloc: one block of movable memory, owned by the object.
//
// The bytes are reached between Lock() and Unlock(). A second allocation into an object that holds
// a block is refused with a warning; allocation failures are reported in a message box and give
// null; a block released or handed over while locked is first unlocked, with a warning (level 32).
// Copies share the block: only one holder may release it (detach the other with DetachWithoutFree).
// The archive record is: allocated flag (1 byte), length (4 bytes, little-endian), and the bytes
// when the flag is set.
#pragma once

#include <kiln/platform/files/archive.h>
#include <kiln/platform/runtime/object.h>

class CAlloc : public CObject {
    DECLARE_SERIAL(CAlloc)
public:
    CAlloc();
    explicit CAlloc(unsigned int size);
    // Shares the source's block; takes its allocation flags too, so that both resize it alike.
    CAlloc(CAlloc& source);
    ~CAlloc() override;

    void Serialize(CArchive& ar) override;
    void AssertValid() const override;
    void Dump(CDumpContext& dc) const override;

    virtual void* Alloc(unsigned int size);
    // On failure the old storage is released and the object is left empty.
    virtual void* ReAlloc(unsigned int size);
    virtual void* Attach(unsigned int size, void* handle);
    virtual void* Attach(void* data, unsigned int size);
    virtual void* AttachThrough(CAlloc& source);
    virtual BOOL Detach();
    virtual void* DetachWithoutFree();
    virtual const void* Lock() const;
    virtual void Unlock() const;

    void* Lock() { return const_cast<void*>(static_cast<const CAlloc*>(this)->Lock()); }
    void Free();
    unsigned int GetLength() const { return m_nLength; }
    void* GetID() const { return m_hMem; }
    BOOL IsAttached() const { return m_bAllocated ? 1 : 0; }
    unsigned int IsLocked() const;
    void SetFlag(WORD flags) { m_wFlags = flags; }
    WORD GetFlag() { return m_wFlags; }

protected:
    void Initialize();
    void Terminate();
    void DisplayMemLastError() const;

    HGLOBAL m_hMem;
    unsigned int m_nLength;
    BYTE m_bAllocated;
    WORD m_wFlags;

private:
    // Steps 1 and 2 of a release: unlocks a locked block fully, after the warning.
    void UnlockAll();
};
