#include <kiln/convert/symbol.h>

#include <kiln/convert/error.h>
#include <kiln/diag/report.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

IMPLEMENT_DYNAMIC(CSymbol, CDecode)

namespace {

constexpr unsigned int kRecordSize = 24;
// A lookup index key: the record index (16 bits), the text's length (8 bits) and 40 bits of its
// full hash, which also place the slot; 0 is an empty slot (record 0 is never looked up).
constexpr uint64_t kIndexMask = 0xFFFF;
constexpr size_t kIndexMinSlots = 1024;
constexpr unsigned int kBuckets = 4096;
constexpr unsigned int kMaxRecords = 65536;
constexpr size_t kMaxLabel = 255;

char kHeapFailed[] = "ヒープ管理に失敗しました";
char kHeapShortText[] = "ヒープが不足しています（シンボルを管理しきれません）";
char kTooManyText[] = "シンボル数が６５５３６を超えました";
char kDuplicateText[] = "シンボル %s はすでに定義されています";
char kTooLongText[] = "長すぎるシンボル %s が宣言されました";
char kBadTypeText[] = "不正な型が使用されました";
char kUndefinedText[] = "未定義シンボル操作が発生しました";

const ERROR_INFO kHeapShort = {0, 1, kHeapShortText};
const ERROR_INFO kTooMany = {0, 1, kTooManyText};
const ERROR_INFO kDuplicate = {0, 0, kDuplicateText};
const ERROR_INFO kTooLong = {0, 0, kTooLongText};
const ERROR_INFO kBadType = {0, 0, kBadTypeText};
const ERROR_INFO kUndefined = {0, 1, kUndefinedText};

inline unsigned int Le16(const BYTE* p) { return (unsigned int)p[0] | (unsigned int)p[1] << 8; }

inline DWORD Le32(const BYTE* p) {
    DWORD v;
    std::memcpy(&v, p, 4);
    return v;
}

inline void PutLe16(BYTE* p, unsigned int v) {
    p[0] = (BYTE)v;
    p[1] = (BYTE)(v >> 8);
}

inline void PutLe32(BYTE* p, DWORD v) { std::memcpy(p, &v, 4); }

// The bytes of a key as little-endian 64-bit words, the last one zero-padded, read without going
// past the key's end. Both hashes of a key are computed from these words in one pass.
inline uint64_t Load8(const char* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
}

// The t bytes at p (1 <= t <= 7) zero-padded: overlapping loads place each byte at its own position,
// so OR-ing them is exact.
inline uint64_t LoadTail(const char* p, size_t t) {
    if (t >= 4) {
        uint32_t lo, hi;
        std::memcpy(&lo, p, 4);
        std::memcpy(&hi, p + t - 4, 4);
        return lo | (uint64_t)hi << (8 * (t - 4));
    }
    return (uint64_t)(unsigned char)p[0] | (uint64_t)(unsigned char)p[t / 2] << (8 * (t / 2)) |
           (uint64_t)(unsigned char)p[t - 1] << (8 * (t - 1));
}

constexpr uint64_t kLowBytes = 0x0101010101010101ull;
constexpr uint64_t kHighBits = 0x8080808080808080ull;

// The sum of a word's eight bytes read as signed values (modulo 2^32).
inline unsigned int SignedByteSum(uint64_t w) {
    uint64_t pairs = (w & 0x00FF00FF00FF00FFull) + (w >> 8 & 0x00FF00FF00FF00FFull);
    unsigned int unsignedSum = (unsigned int)((pairs * 0x0001000100010001ull) >> 48);
    unsigned int negatives = (unsigned int)(((w >> 7 & kLowBytes) * kLowBytes) >> 56);
    return unsignedSum - 256 * negatives;
}

inline bool HasZeroByte(uint64_t w) { return ((w - kLowBytes) & ~w & kHighBits) != 0; }

inline uint64_t Mix(uint64_t a, uint64_t b) {
    unsigned __int128 r = (unsigned __int128)a * b;
    return (uint64_t)r ^ (uint64_t)(r >> 64);
}

// What a lookup needs to know of its key: the table's 12-bit hash, a full 64-bit hash for the lookup
// index, and whether a NUL byte is among the bytes.
struct KeyHash {
    unsigned short bucket;
    uint64_t full;
    bool nul;
};

inline KeyHash HashKey(const char* p, size_t n) {
    const uint64_t k0 = 0x9E3779B97F4A7C15ull, k1 = 0xD6E8FEB86659FD93ull;
    unsigned int sum = 0;
    uint64_t h = n * k1;
    bool nul = false;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w = Load8(p + i);
        sum += SignedByteSum(w);
        nul |= HasZeroByte(w);
        h = Mix(h ^ w, k0);
    }
    if (i < n) {
        size_t t = n - i;
        uint64_t w = LoadTail(p + i, t);
        sum += SignedByteSum(w);
        nul |= HasZeroByte(w | ~0ull << (8 * t));  // the padding is not part of the key
        h = Mix(h ^ w, k0);
    }
    return {(unsigned short)(sum & (kBuckets - 1)), Mix(h, k1), nul};
}
inline uint64_t IndexTag(uint64_t full, size_t length) {
    return (full & ~0xFFFFFFull) | (uint64_t)length << 16;
}

inline size_t IndexHome(uint64_t tag, size_t mask) { return (size_t)(tag >> 24) & mask; }

inline size_t KeyLength(const char* begin, const char* end) {
    return (begin != nullptr && end > begin) ? (size_t)(end - begin) : 0;
}

}  // namespace

CSymbol::CSymbol() : m_bEnable(1), m_bGrowing(0), m_bNulLabels(0), m_nIndexed(0) {
    // A new table starts enabled, so that a first pass that forgets to call Enable still reports
    // duplicates and emits behind its labels.
    Initialize();
}

CSymbol::CSymbol(CSymbol& source)
    : CDecode(source),
      m_Records(source.m_Records),
      m_Buckets(source.m_Buckets),
      m_wLastHash(source.m_wLastHash),
      m_nCount(source.m_nCount),
      m_bEnable(source.m_bEnable),
      m_pError(source.m_pError),
      m_dwOwner(source.m_dwOwner),
      m_pPass(source.m_pPass),
      m_pBucket(source.m_pBucket),
      m_bGrowing(0),
      m_bNulLabels(source.m_bNulLabels),
      m_Index(source.m_Index),
      m_nIndexed(source.m_nIndexed) {}

CSymbol::~CSymbol() = default;

void CSymbol::Initialize() {
    m_pBucket = nullptr;
    m_pError = nullptr;
    m_dwOwner = 0;
    m_pPass = nullptr;
    m_wLastHash = 0;
    m_nCount = 0;
    m_bNulLabels = 0;
    DropIndex();
}

BOOL CSymbol::Detach() {
    if (!CDecode::Detach()) return 0;
    Initialize();
    return 1;
}

void* CSymbol::InterLock() {
    if (m_bGrowing) return CDecode::InterLock();
    if (m_Records.Alloc(GetLength() >> 1) == nullptr) NOTICE(kHeapFailed);
    if (m_Buckets.Alloc(kBuckets * sizeof(WORD)) == nullptr) NOTICE(kHeapFailed);
    if (m_Records.InterLock() == nullptr) NOTICE(kHeapFailed);
    m_pBucket = static_cast<WORD*>(m_Buckets.Lock());
    if (m_pBucket == nullptr) NOTICE(kHeapFailed);
    void* pool = CDecode::InterLock();
    if (pool == nullptr) NOTICE(kHeapFailed);
    return pool;
}

void CSymbol::InterUnlock() {
    CDecode::InterUnlock();
    if (m_bGrowing) return;
    m_Records.InterUnlock();
    m_Buckets.Unlock();
    m_pBucket = nullptr;
    m_Buckets.Detach();
    m_Records.Detach();
    DropIndex();
}

BOOL CSymbol::TryReAlloc(unsigned int n) {
    m_bGrowing = 1;
    BOOL done = CDecode::TryReAlloc(n);
    m_bGrowing = 0;
    return done;
}

void CSymbol::Enable() { m_bEnable = 1; }

void CSymbol::Disable() { m_bEnable = 0; }

unsigned short CSymbol::Hash(const char* begin, const char* end) {
    m_wLastHash = HashKey(begin, KeyLength(begin, end)).bucket;
    return m_wLastHash;
}

unsigned int CSymbol::Find(const char* begin, const char* end, long) {
    size_t k = KeyLength(begin, end);
    const KeyHash key = HashKey(begin, k);
    m_wLastHash = key.bucket;
    if (m_pBucket == nullptr) return 0;
    unsigned int index = m_pBucket[m_wLastHash];
    const BYTE* pool = static_cast<const BYTE*>((void*)*this);
    if (index == 0 || pool == nullptr) return 0;
    const size_t poolLength = GetLength();
    auto matches = [&](const BYTE* record) {
        size_t at = Le32(record + 20);
        return at + k < poolLength && pool[at + k] == 0 && std::memcmp(pool + at, begin, k) == 0;
    };

    if (key.nul || m_bNulLabels) {
        // A NUL inside a key or a label lets texts of other lengths match: walk the chain.
        for (const BYTE* record; index != 0 && (record = RecordAt(index)) != nullptr;
             index = Le16(record + 6))
            if (matches(record)) return index;
        return 0;
    }
    // Otherwise only the newest record with exactly the key's text can match, and the lookup index
    // names it.
    if (k > kMaxLabel || m_Index.empty()) return 0;
    const uint64_t tag = IndexTag(key.full, k);
    const size_t mask = m_Index.size() - 1;
    for (size_t at = IndexHome(tag, mask);; at = (at + 1) & mask) {
        const IndexSlot& slot = m_Index[at];
        if (slot.key == 0) return 0;
        if ((slot.key & ~kIndexMask) == tag && slot.text + k < poolLength && pool[slot.text + k] == 0 &&
            std::memcmp(pool + slot.text, begin, k) == 0)
            return (unsigned int)(slot.key & kIndexMask);
    }
}

unsigned int CSymbol::Find(const char* text, long scope) {
    if (text == nullptr) text = "";
    return Find(text, text + std::strlen(text), scope);
}

unsigned int CSymbol::Entry(const char* begin, const char* end, long scope, unsigned char id, long value,
                            tagSYMPRM* prm) {
    unsigned int found = Find(begin, end, scope);
    if (found != 0) {
        if (!m_bEnable) return found;
        const BYTE* record = RecordAt(found);
        Report(kDuplicate, record ? TextOf(record) : nullptr);
        return 0;
    }
    size_t k = KeyLength(begin, end);
    if (k == 0) begin = "";
    if (k > 0xFFFFFFF0u) {
        Report(kHeapShort);
        return 0;
    }
    // Taken before the pool grows: the text may lie in the pool itself.
    const KeyHash key = HashKey(begin, k);
    unsigned int offset = GetPC();
    if (!Decode(static_cast<const void*>(begin), (unsigned int)k) || !Decode((unsigned char)0)) {
        Report(kHeapShort);
        return 0;
    }
    if (k > kMaxLabel) {
        if (m_bEnable) Report(kTooLong, static_cast<const char*>((void*)*this) + offset);
        return 0;
    }
    unsigned int index = m_Records.GetPC() / kRecordSize;
    if (index >= kMaxRecords) {
        Report(kTooMany);
        return 0;
    }

    static const tagSYMPRM kNone = {};
    if (prm == nullptr) prm = const_cast<tagSYMPRM*>(&kNone);
    BYTE record[kRecordSize];
    record[0] = id;
    record[1] = (BYTE)prm->memory;
    record[2] = (BYTE)prm->second;
    record[3] = (BYTE)prm->third;
    PutLe16(record + 4, (unsigned int)k);
    PutLe16(record + 6, m_pBucket ? m_pBucket[m_wLastHash] : 0);
    PutLe32(record + 8, (DWORD)scope);
    PutLe32(record + 12, (DWORD)value);
    PutLe32(record + 16, (DWORD)prm->param);
    PutLe32(record + 20, offset);
    // Room in the lookup index first, then the whole record at once: a failed growth leaves bucket,
    // index and count as they were.
    if (!ReserveIndex() || !m_Records.Decode(static_cast<const void*>(record), kRecordSize)) {
        Report(kHeapShort);
        return 0;
    }
    if (m_pBucket != nullptr) m_pBucket[m_wLastHash] = (WORD)index;
    if (key.nul) m_bNulLabels = 1;
    // A record that went into another text's chain (a derived Find left another last hash) can never
    // be found, and stays out of the index.
    if (index != 0 && m_pBucket != nullptr && m_wLastHash == key.bucket)
        IndexInsert(IndexTag(key.full, k), index, offset);
    return m_nCount++;
}

unsigned int CSymbol::Entry(const char* text, long scope, unsigned char id, long value, tagSYMPRM* prm) {
    if (text == nullptr) text = "";
    return Entry(text, text + std::strlen(text), scope, id, value, prm);
}

// The index stays at most half full, so that probes end soon at an empty slot: at the record limit
// it holds 131072 slots (2 MiB).
bool CSymbol::ReserveIndex() {
    if ((m_nIndexed + 1) * 2 <= m_Index.size()) return true;
    std::vector<IndexSlot> grown;
    try {
        grown.assign(std::max(kIndexMinSlots, m_Index.size() * 2), IndexSlot{0, 0});
    } catch (const std::bad_alloc&) {
        return false;
    }
    const size_t mask = grown.size() - 1;
    for (const IndexSlot& slot : m_Index) {
        if (slot.key == 0) continue;
        size_t at = IndexHome(slot.key, mask);
        while (grown[at].key != 0) at = (at + 1) & mask;
        grown[at] = slot;
    }
    m_Index.swap(grown);
    return true;
}

// A text entered again (its older record could not be found, or a derived Find missed it) takes
// over the slot, so that the newest record wins as it does in the chains.
void CSymbol::IndexInsert(uint64_t tag, unsigned int index, unsigned int offset) {
    const BYTE* pool = static_cast<const BYTE*>((void*)*this);
    const size_t length = (size_t)(tag >> 16 & 0xFF);
    const size_t mask = m_Index.size() - 1;
    size_t at = IndexHome(tag, mask);
    for (; m_Index[at].key != 0; at = (at + 1) & mask) {
        IndexSlot& slot = m_Index[at];
        if ((slot.key & ~kIndexMask) == tag && std::memcmp(pool + slot.text, pool + offset, length) == 0) {
            slot = {tag | index, offset};
            return;
        }
    }
    m_Index[at] = {tag | index, offset};
    ++m_nIndexed;
}

void CSymbol::DropIndex() {
    std::vector<IndexSlot>().swap(m_Index);
    m_nIndexed = 0;
}

unsigned int CSymbol::GetLastSymbol() { return m_nCount - 1; }

const BYTE* CSymbol::RecordAt(unsigned int n) {
    const BYTE* records = static_cast<const BYTE*>((void*)m_Records);
    if (records == nullptr || (size_t)n * kRecordSize + kRecordSize > m_Records.GetLength()) return nullptr;
    return records + (size_t)n * kRecordSize;
}

const BYTE* CSymbol::Record(unsigned int n) {
    if (n == 0) {
        if (m_pPass != nullptr && *m_pPass >= 2) Report(kUndefined);
        return nullptr;
    }
    return RecordAt(n);
}

const char* CSymbol::TextOf(const BYTE* record) {
    const char* pool = static_cast<const char*>((void*)*this);
    DWORD at = Le32(record + 20);
    return (pool != nullptr && at < GetLength()) ? pool + at : nullptr;
}

unsigned int CSymbol::RewriteOffset(unsigned int n) {
    return (n != 0 && RecordAt(n) != nullptr) ? n * kRecordSize : 0;
}

BOOL CSymbol::ReEntryPrm(unsigned int n, tagSYMPRM* prm) {
    const LONG keep = (LONG)0x80000000u;
    unsigned int at = RewriteOffset(n);
    if (at == 0) return 0;
    if (prm == nullptr) return 1;
    if (prm->memory != keep) m_Records.KeptDecode(at + 1, (unsigned char)prm->memory);
    if (prm->second != keep) m_Records.KeptDecode(at + 2, (unsigned char)prm->second);
    if (prm->third != keep) m_Records.KeptDecode(at + 3, (unsigned char)prm->third);
    if (prm->param != keep) m_Records.KeptDecode(at + 16, (unsigned long)(DWORD)prm->param);
    return 1;
}

BOOL CSymbol::ReEntryID(unsigned int n, unsigned char id) {
    unsigned int at = RewriteOffset(n);
    if (at == 0) return 0;
    m_Records.KeptDecode(at, id);
    return 1;
}

BOOL CSymbol::ReEntryValue(unsigned int n, long value) {
    unsigned int at = RewriteOffset(n);
    if (at == 0) return 0;
    m_Records.KeptDecode(at + 12, (unsigned long)(DWORD)value);
    return 1;
}

BOOL CSymbol::ReEntryParam(unsigned int n, long param) {
    unsigned int at = RewriteOffset(n);
    if (at == 0) return 0;
    m_Records.KeptDecode(at + 16, (unsigned long)(DWORD)param);
    return 1;
}

BOOL CSymbol::ReEntryMemory(unsigned int n, unsigned char memory) {
    unsigned int at = RewriteOffset(n);
    if (at == 0) return 0;
    m_Records.KeptDecode(at + 1, memory);
    return 1;
}

void CSymbol::OPCodeEntry(unsigned char op) {
    if (!m_bEnable) return;
    if (Decode(op) && Decode((unsigned char)0)) SetPC(GetPC() - 1);
}

BOOL CSymbol::DecodeEx(unsigned long v) {
    if (m_bEnable) Decode(v);
    return 1;
}

BOOL CSymbol::DecodeEx(unsigned short v) {
    if (m_bEnable) Decode(v);
    return 1;
}

BOOL CSymbol::DecodeEx(unsigned char v) {
    if (m_bEnable) Decode(v);
    return 1;
}

unsigned int CSymbol::DecodeExUserDefined(const char* text, long scope) {
    unsigned int index = Find(text, scope);
    Decode((unsigned long)index);
    if (index == 0) Report(kBadType);
    return index;
}

const char* CSymbol::GetLabelText(unsigned int n) {
    const BYTE* record = Record(n);
    return record ? TextOf(record) : nullptr;
}

unsigned char CSymbol::GetLabelID(unsigned int n) {
    const BYTE* record = Record(n);
    return record ? record[0] : 0;
}

long CSymbol::GetLabelLength(unsigned int n) {
    const BYTE* record = Record(n);
    return record ? (long)Le16(record + 4) : 0;
}

long CSymbol::GetLabelScope(unsigned int n) {
    const BYTE* record = Record(n);
    return record ? (long)(LONG)Le32(record + 8) : 0;
}

long CSymbol::GetLabelMemory(unsigned int n) {
    const BYTE* record = Record(n);
    return record ? (long)record[1] : 0;
}

long CSymbol::GetLabelValue(unsigned int n) {
    const BYTE* record = Record(n);
    return record ? (long)(LONG)Le32(record + 12) : 0;
}

long CSymbol::GetLabelParam(unsigned int n) {
    const BYTE* record = Record(n);
    return record ? (long)(LONG)Le32(record + 16) : 0;
}

void* CSymbol::GetLabelParamEx(unsigned int n) {
    const BYTE* record = Record(n);
    BYTE* pool = static_cast<BYTE*>((void*)*this);
    if (record == nullptr || pool == nullptr) return nullptr;
    size_t behind = (size_t)Le32(record + 20) + Le16(record + 4) + 1;
    return behind <= GetLength() ? pool + behind : nullptr;
}

unsigned int CSymbol::GetLabelExUser(unsigned int n) {
    const BYTE* ex = static_cast<const BYTE*>(GetLabelParamEx(n));
    const BYTE* record = RecordAt(n);
    if (ex == nullptr || record == nullptr) return 0;
    long long param = (LONG)Le32(record + 16);
    size_t step = 4 * (size_t)(param < 0 ? -param : param);
    const BYTE* pool = static_cast<const BYTE*>((void*)*this);
    // Data behind a label lives in the pool: a value that would lie past its end reads as 0.
    if (pool != nullptr && (uintptr_t)ex >= (uintptr_t)pool &&
        (uintptr_t)ex <= (uintptr_t)pool + GetLength()) {
        size_t at = (size_t)(ex - pool) + step;
        if (at + 4 > GetLength()) return 0;
    }
    return Le32(ex + step);
}

void CSymbol::Report(const ERROR_INFO& info, const char* text) {
    if (m_pError == nullptr) return;
    // A copy goes to the list: the too-many-errors rewrite must not change the table's own records.
    ERROR_INFO copy = info;
    if (text != nullptr)
        m_pError->Error(copy, (UINT_PTR)text, 0);
    else
        m_pError->Error(copy);
}
