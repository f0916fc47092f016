// IPmHeapInterface: an abstract resizable chunk of memory, and CAllocInterface, the library's chunk
// over one memory block (CAlloc).
//
// The chunk streams reach their bytes only through this interface: Lock() gives the address of the
// first byte, valid until the matching Unlock(); GetLength() gives the current size; ReAlloc(size)
// resizes keeping the contents and is called only while the chunk is unlocked. Sizes are signed here
// and handed to the block as unsigned values. A stream never calls Alloc or Free: the chunk's owner
// allocates it before handing it over and frees it afterwards.
#pragma once

#include <kiln/core/alloc.h>

struct IPmHeapInterface {
    virtual BOOL Alloc(int size) = 0;
    virtual BOOL ReAlloc(int size) = 0;
    virtual void Free() = 0;
    virtual unsigned char* Lock() = 0;
    virtual void Unlock() = 0;
    virtual unsigned int GetLength() const = 0;

protected:
    // Not deleted through the interface: whoever made the chunk destroys it as its own type.
    ~IPmHeapInterface() = default;
};

// All reports come from the block (double allocation, memory shortage, resize of an empty block,
// destruction while locked); the adapter turns a null handle into a 0 result and adds none of its own.
class CAllocInterface : public IPmHeapInterface {
public:
    CAllocInterface() = default;
    // Shares the source's memory under CAlloc's rule: only one of the two may release it.
    CAllocInterface(CAllocInterface& source);
    CAllocInterface& operator=(const CAllocInterface&) = delete;
    virtual ~CAllocInterface();

    BOOL Alloc(int size) override;
    BOOL ReAlloc(int size) override;
    void Free() override;
    unsigned char* Lock() override;
    void Unlock() override;
    unsigned int GetLength() const override { return m_alloc.GetLength(); }

    // Refers to the source's memory without copying it: both then hold the same handle, and the
    // caller takes it away from one of them (DetachWithoutFree) before either is destroyed. Refused
    // with the double-allocation warning when the adapter already holds a block.
    BOOL FromCAlloc(const CAlloc& source);

private:
    CAlloc m_alloc;
};
