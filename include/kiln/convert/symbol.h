// CSymbol: the label table of a converter.
//
// The buffer itself is the text pool: each label is emitted into it NUL-terminated, and the owner
// may emit more bytes (an opcode and its parameters) right behind a label's text. While the table is
// inter-locked it also has a record area (24 bytes per label) and a bucket table of 4096 chain heads
// indexed by a 12-bit additive hash; InterUnlock releases both, so records and chains live from one
// InterLock to the next InterUnlock (a growth of the pool keeps them). Chains hold the newest record
// first. Record index 0 is the null index: the first label entered after an empty start cannot be
// found, so a table that needs every label found enters a placeholder first. Labels are at most 255
// bytes and a table holds at most 65536 records. Problems are reported to the attached error list.
// A new table is enabled (it reports duplicates and emits behind its labels) until Disable.
//
// Lookups take constant time whatever the chains hold. The label texts in the pool are not to be
// overwritten while the table is locked (emitting behind them is what the pool is for).
//
// Record layout (little-endian): 0 ID, 1 memory, 2 second attribute, 3 third attribute, 4 length
// (16 bits), 6 next index in the chain (16 bits), 8 scope, 12 value, 16 param, 20 text offset in the
// pool (32 bits each).
#pragma once

#include <kiln/convert/decode.h>

#include <cstdint>
#include <vector>

class CError;
struct ERROR_INFO;

// Attributes of an entry. In ReEntryPrm a field holding 0x80000000 leaves its attribute unchanged.
struct tagSYMPRM {
    LONG memory;
    LONG second;
    LONG third;
    LONG fourth;  // neither stored nor read by the table
    LONG param;
};

class CSymbol : public CDecode {
    DECLARE_DYNAMIC(CSymbol)
public:
    CSymbol();
    // Shares the source's blocks (only one of the two may release them) and copies every field.
    CSymbol(CSymbol& source);
    ~CSymbol() override;

    // Empties the pool as CDecode does, then resets the table's fields (error list, owner field and
    // pass counter included); the enabled flag stays.
    BOOL Detach() override;
    // Creates the record area (half the pool's length) and the zeroed bucket table, then locks the
    // record area, the buckets and the pool; a step that fails shows "ヒープ管理に失敗しました".
    void* InterLock() override;
    // Unlocks all three and releases the record area and the buckets.
    void InterUnlock() override;

    virtual void Enable();
    virtual void Disable();
    // The new record's index; for a label already present 0 (reported) when enabled, its index when
    // disabled; 0 on every failure.
    virtual unsigned int Entry(const char* begin, const char* end, long scope, unsigned char id, long value,
                               tagSYMPRM* prm);
    virtual unsigned int Entry(const char* text, long scope, unsigned char id, long value, tagSYMPRM* prm);
    // The newest record whose text is the bytes [begin, end), or 0. scope takes no part.
    virtual unsigned int Find(const char* begin, const char* end, long scope);
    virtual unsigned int Find(const char* text, long scope);
    // Empties the table for a new pass and gives the pool fresh memory; the table must not be locked.
    virtual BOOL ClearTable() = 0;
    // Enters the record at index 0 that lookups never find, so that every later label is found.
    virtual BOOL EntryPlaceholder() = 0;
    virtual unsigned int GetLastSymbol();

    // Rewrites a record; 0 for index 0 (or an index beyond the record area), else 1.
    virtual BOOL ReEntryPrm(unsigned int n, tagSYMPRM* prm);
    virtual BOOL ReEntryID(unsigned int n, unsigned char id);
    virtual BOOL ReEntryValue(unsigned int n, long value);
    virtual BOOL ReEntryParam(unsigned int n, long param);
    virtual BOOL ReEntryMemory(unsigned int n, unsigned char memory);

    // Emitting behind the newest label, into the pool; only while enabled. OPCodeEntry keeps the
    // pool NUL-terminated: the next emission overwrites that NUL.
    virtual void OPCodeEntry(unsigned char op);
    virtual BOOL DecodeEx(unsigned long v);
    virtual BOOL DecodeEx(unsigned short v);
    virtual BOOL DecodeEx(unsigned char v);
    // Emits the index of the label text as 32 bits, enabled or not; reports an unknown label.
    // Returns the index emitted.
    virtual unsigned int DecodeExUserDefined(const char* text, long scope);

    // Reading a record. Index 0 gives 0 (null), reported as an undefined symbol from pass 2 on; an
    // index beyond the record area, or a record pointing outside the pool, gives 0 (null) too.
    virtual const char* GetLabelText(unsigned int n);
    virtual unsigned char GetLabelID(unsigned int n);
    virtual long GetLabelLength(unsigned int n);
    virtual long GetLabelScope(unsigned int n);
    virtual long GetLabelMemory(unsigned int n);
    virtual long GetLabelValue(unsigned int n);
    virtual long GetLabelParam(unsigned int n);
    // The pool address just behind the label's NUL.
    virtual void* GetLabelParamEx(unsigned int n);
    // The 32-bit value at GetLabelParamEx(n) + 4 * |param|; 0 when that lies outside the pool.
    virtual unsigned int GetLabelExUser(unsigned int n);

protected:
    // Pool growth releases nothing: InterUnlock and InterLock then act on the pool alone.
    BOOL TryReAlloc(unsigned int n) override;
    // Sum of the bytes as signed values, low 12 bits; also kept as the last hash.
    unsigned short Hash(const char* begin, const char* end);
    void Initialize();

    CDecode m_Records;
    CAlloc m_Buckets;
    unsigned short m_wLastHash;
    unsigned int m_nCount;
    BOOL m_bEnable;

public:
    // Set by the owner.
    CError* m_pError;
    // Kept for the owner, never used by the table; pointer-sized so that it can hold the owner.
    DWORD_PTR m_dwOwner;
    int* m_pPass;  // the owner's pass number

protected:
    WORD* m_pBucket;

private:
    // The record at n, or null when it lies beyond the record area.
    const BYTE* RecordAt(unsigned int n);
    // As RecordAt, but index 0 gives null and is reported as an undefined symbol from pass 2 on.
    const BYTE* Record(unsigned int n);
    // The record's byte offset in the record area for a rewrite, or 0 when n is refused.
    unsigned int RewriteOffset(unsigned int n);
    // The label text of a record, or null when its offset lies outside the pool.
    const char* TextOf(const BYTE* record);
    // Reports to the error list, when one is attached, with text as the value of its %s.
    void Report(const ERROR_INFO& info, const char* text = nullptr);

    // Room for one more text in the lookup index; false when memory is short.
    bool ReserveIndex();
    void IndexInsert(uint64_t tag, unsigned int index, unsigned int offset);
    void DropIndex();

    BOOL m_bGrowing;    // set while the pool grows
    BOOL m_bNulLabels;  // some label holds a NUL byte: lookups walk the chains
    // While locked: an open-addressing table from the texts' full hashes to their newest records.
    struct IndexSlot {
        uint64_t key;   // 0 for an empty slot
        uint32_t text;  // the record's text offset, so that a lookup need not read the record
    };
    std::vector<IndexSlot> m_Index;
    size_t m_nIndexed;
};
