// CChankPtr: a cursor over one chunk reached through IPmHeapInterface.
//
// The cursor locks the chunk while it is open and unlocks it on Close; it never owns, allocates or
// frees it. The position counter (PC) is the byte offset of the cursor; seeks may leave it beyond
// the chunk's length, which is reported ("CChankPtr:Seek Out of Chank!") and returned as 0, and the
// caller decides what to do next. Misuse (double open, unlock without lock, ...) is reported with
// REPORT in fixed English texts and then ignored.
//
// A cursor that is closed or unlocked reaches no bytes: its reads and writes fail (0) and change
// nothing (a Write is still reported when its data lies beyond the chunk's length). No operation
// ever touches memory outside the chunk, whatever the position or offset.
#pragma once

#include <kiln/core/heap_interface.h>
#include <kiln/platform/runtime/object.h>

class CChankPtr : public CObject {
    DECLARE_DYNAMIC(CChankPtr)
public:
    static const char szSeekOutOfChank[];

    CChankPtr();
    explicit CChankPtr(IPmHeapInterface* heap);
    CChankPtr(const CChankPtr&) = delete;
    CChankPtr& operator=(const CChankPtr&) = delete;
    ~CChankPtr() override;

    // Attaches and locks heap at position 0, closing the chunk open before (with a report). A null
    // heap leaves the cursor closed.
    virtual void Open(IPmHeapInterface* heap);
    virtual void Close();
    // Lock and unlock the attached chunk without detaching it.
    virtual void Lock();
    virtual void Unlock();
    // The chunk's length, 0 without a chunk.
    virtual unsigned int GetLength();
    virtual unsigned int GetPosition();
    // Each seek sets the position, then gives 1, or 0 with the report when it lies beyond the length.
    // Seek adds delta with 32-bit wrap-around.
    virtual int Seek(int delta);
    virtual int SeekFromTop(unsigned int pos);
    virtual int SeekFromEnd(unsigned int back);
    virtual unsigned int SeekToTop();
    virtual unsigned int SeekToEnd();
    // Moves the position (plus offset) up to the next multiple of unit: 1, or 0 (nothing moved) when
    // the chunk cannot provide the bytes skipped. A unit of 0 always succeeds.
    virtual int Alignment(unsigned int unit, unsigned int offset);
    virtual int Alignment(unsigned int unit);

    // The size FitChankSize would give: the position counter.
    unsigned int GetFittingChankSize() const { return m_nPC; }

protected:
    // Readers: 1 when the n bytes from the position lie in the chunk. Writers grow the chunk.
    virtual int TryReAlloc(unsigned int n);

    // 1 when the position is at most the length, else 0 with the seek report.
    int CheckPC();

    // The bytes the cursor can touch: the chunk's length while it is locked, else 0.
    unsigned int ReachableLength() const {
        return m_pChank != nullptr && m_pInterface != nullptr ? m_pInterface->GetLength() : 0;
    }
    // True when the n bytes from pos lie inside the reachable bytes.
    static bool Inside(unsigned int pos, unsigned int n, unsigned int length) {
        return pos <= length && n <= length - pos;
    }

    unsigned int m_nPC;
    IPmHeapInterface* m_pInterface;
    unsigned char* m_pChank;
};
