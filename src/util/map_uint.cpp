#include <kiln/util/map_uint.h>

// A negative count (or one whose double does not fit) leaves the map empty rather than reading
// outside the table.
CMapUIntToUInt::CMapUIntToUInt(const unsigned int* pairs, int count)
    : m_pTable(pairs), m_nEntries(count > 0 && count <= 0x3FFFFFFF ? 2 * count : 0) {}

int CMapUIntToUInt::GetAt(unsigned int key, unsigned int& value) const {
    if (m_nEntries < 1 || m_pTable == nullptr) return 0;
    const unsigned int* entry = m_pTable;
    const unsigned int* const end = m_pTable + m_nEntries;
    // Four keys a round, tested together, until the round that holds the key; the pair loop below
    // then finds the first match within it (or scans the last pairs).
    for (; end - entry >= 8; entry += 8) {
        if ((entry[0] == key) | (entry[2] == key) | (entry[4] == key) | (entry[6] == key)) break;
    }
    for (; entry != end; entry += 2) {
        if (*entry == key) {
            value = entry[1];
            return 1;
        }
    }
    return 0;
}
