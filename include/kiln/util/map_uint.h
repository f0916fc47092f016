// Read-only lookup in a caller's static table of unsigned pairs: key, value, key, value, ...
#pragma once

class CMapUIntToUInt {
public:
    // pairs holds count key-value pairs (2 * count values) and must outlive the map, which does not
    // own it.
    CMapUIntToUInt(const unsigned int* pairs, int count);
    CMapUIntToUInt(const CMapUIntToUInt&) = default;
    CMapUIntToUInt& operator=(const CMapUIntToUInt&) = default;

    // The value of the first pair whose key is key: 1 with value set, else 0 with value untouched.
    int GetAt(unsigned int key, unsigned int& value) const;

private:
    const unsigned int* m_pTable;
    int m_nEntries;  // unsigned values in the table: twice the pairs
};
