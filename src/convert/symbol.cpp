#include <kiln/convert/symbol.h>

#include <kiln/convert/error.h>
#include <kiln/diag/report.h>

#include <cstdint>
#include <cstring>

IMPLEMENT_DYNAMIC(CSymbol, CDecode)

namespace {

constexpr unsigned int kRecordSize = 24;
constexpr unsigned int kKeySize = 4;  // key index entry: chain link (16 bits), then the text's tag (16 bits)
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

// Sum of the bytes as signed 8-bit values, kept to 12 bits; zero tells whether a NUL byte is among them.
inline unsigned short HashBytes(const char* p, size_t n, bool& zero) {
    unsigned int sum = 0;
    bool nul = false;
    for (size_t i = 0; i < n; ++i) {
        sum += (unsigned int)(int)(signed char)p[i];
        nul |= p[i] == 0;
    }
    zero = nul;
    return (unsigned short)(sum & (kBuckets - 1));
}

// A 16-bit tag of a text and its length, kept per record in the key index: lookups compare texts in
// the pool only where the tags agree.
inline WORD Tag(const char* p, size_t n) {
    const uint64_t mix = 0x9E3779B97F4A7C15ull;
    uint64_t h = n;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        h = (h ^ w) * mix;
        h ^= h >> 29;
    }
    if (i < n) {
        uint64_t w = 0;
        std::memcpy(&w, p + i, n - i);
        h = (h ^ w) * mix;
        h ^= h >> 29;
    }
    return (WORD)(h >> 40);
}

inline size_t KeyLength(const char* begin, const char* end) {
    return (begin != nullptr && end > begin) ? (size_t)(end - begin) : 0;
}

}  // namespace

CSymbol::CSymbol() : m_bEnable(1), m_bGrowing(0), m_bNulLabels(0) {
    // A new table starts enabled, so that a first pass that forgets to call Enable still reports
    // duplicates and emits behind its labels.
    Initialize();
}

CSymbol::CSymbol(CSymbol& source)
    : CDecode(source), m_Records(source.m_Records), m_Buckets(source.m_Buckets), m_wLastHash(source.m_wLastHash),
      m_nCount(source.m_nCount), m_bEnable(source.m_bEnable), m_pError(source.m_pError),
      m_dwOwner(source.m_dwOwner), m_pPass(source.m_pPass), m_pBucket(source.m_pBucket), m_Keys(source.m_Keys),
      m_bGrowing(0), m_bNulLabels(source.m_bNulLabels) {}

CSymbol::~CSymbol() = default;

void CSymbol::Initialize() {
    m_pBucket = nullptr;
    m_pError = nullptr;
    m_dwOwner = 0;
    m_pPass = nullptr;
    m_wLastHash = 0;
    m_nCount = 0;
    m_bNulLabels = 0;
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
    if (m_Keys.Alloc((GetLength() >> 1) / (kRecordSize / kKeySize)) == nullptr) NOTICE(kHeapFailed);
    if (m_Records.InterLock() == nullptr) NOTICE(kHeapFailed);
    if (m_Keys.InterLock() == nullptr) NOTICE(kHeapFailed);
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
    m_Keys.InterUnlock();
    m_Buckets.Unlock();
    m_pBucket = nullptr;
    m_Buckets.Detach();
    m_Records.Detach();
    m_Keys.Detach();
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
    bool zero;
    m_wLastHash = HashBytes(begin, KeyLength(begin, end), zero);
    return m_wLastHash;
}

unsigned int CSymbol::Find(const char* begin, const char* end, long) {
    size_t k = KeyLength(begin, end);
    bool keyNul;
    m_wLastHash = HashBytes(begin, k, keyNul);
    if (m_pBucket == nullptr) return 0;
    unsigned int index = m_pBucket[m_wLastHash];
    const BYTE* pool = static_cast<const BYTE*>((void*)*this);
    if (index == 0 || pool == nullptr) return 0;
    const size_t poolLength = GetLength();
    auto matches = [&](const BYTE* record) {
        size_t at = Le32(record + 20);
        return at + k < poolLength && pool[at + k] == 0 && std::memcmp(pool + at, begin, k) == 0;
    };

    if (keyNul || m_bNulLabels) {
        // A NUL inside a key or a label lets texts of other lengths match: compare every record.
        for (const BYTE* record; index != 0 && (record = RecordAt(index)) != nullptr; index = Le16(record + 6))
            if (matches(record)) return index;
        return 0;
    }
    // Otherwise only a record whose text has the key's length and bytes can match: the key index
    // holds a tag of both beside the chain link, so the walk reads 4 bytes per record and goes to the
    // record and the pool only where the tags agree.
    const BYTE* keys = static_cast<const BYTE*>((void*)m_Keys);
    if (keys == nullptr) return 0;
    const size_t keysLength = m_Keys.GetLength();
    const unsigned int wanted = Tag(begin, k);
    while (index != 0 && (size_t)index * kKeySize + kKeySize <= keysLength) {
        const BYTE* entry = keys + (size_t)index * kKeySize;
        if (Le16(entry + 2) == wanted) {
            const BYTE* record = RecordAt(index);
            if (record != nullptr && Le16(record + 4) == k && matches(record)) return index;
        }
        index = Le16(entry);
    }
    return 0;
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
    const WORD tag = Tag(begin, k);
    const bool hasNul = std::memchr(begin, 0, k) != nullptr;
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
    BYTE key[kKeySize];
    std::memcpy(key, record + 6, 2);
    PutLe16(key + 2, tag);
    // The whole record goes in at once, so a failed growth leaves bucket and count as they were.
    if (!m_Keys.Decode(static_cast<const void*>(key), kKeySize)) {
        Report(kHeapShort);
        return 0;
    }
    if (!m_Records.Decode(static_cast<const void*>(record), kRecordSize)) {
        m_Keys.SetPC(m_Keys.GetPC() - kKeySize);
        Report(kHeapShort);
        return 0;
    }
    if (m_pBucket != nullptr) m_pBucket[m_wLastHash] = (WORD)index;
    if (hasNul) m_bNulLabels = 1;
    return m_nCount++;
}

unsigned int CSymbol::Entry(const char* text, long scope, unsigned char id, long value, tagSYMPRM* prm) {
    if (text == nullptr) text = "";
    return Entry(text, text + std::strlen(text), scope, id, value, prm);
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

unsigned int CSymbol::RewriteOffset(unsigned int n) { return (n != 0 && RecordAt(n) != nullptr) ? n * kRecordSize : 0; }

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
    if (pool != nullptr && (uintptr_t)ex >= (uintptr_t)pool && (uintptr_t)ex <= (uintptr_t)pool + GetLength()) {
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
