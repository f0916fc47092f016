// A chunk for the stream tests: bytes in a vector, a count of locks, resizes that can be refused,
// and the bytes of the chunk as hex text for comparisons.
#pragma once

#include <kiln/core/heap_interface.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kiln::test {

class VectorHeap : public IPmHeapInterface {
public:
    explicit VectorHeap(std::string bytes = {}) : m_bytes(bytes.begin(), bytes.end()) {}
    VectorHeap(const VectorHeap&) = delete;
    VectorHeap& operator=(const VectorHeap&) = delete;
    ~VectorHeap() { EXPECT_EQ(locks, 0) << "a cursor left the chunk locked"; }

    BOOL Alloc(int size) override { return m_bytes.assign((size_t)size, 0), 1; }
    BOOL ReAlloc(int size) override {
        ++reallocs;
        EXPECT_EQ(locks, 0) << "resized while locked";
        if (refuseGrowth && (size_t)size > m_bytes.size()) return 0;
        // A fresh vector each time, so that a cursor keeping the old address reads freed memory.
        std::vector<unsigned char> bigger(m_bytes);
        bigger.resize((size_t)size, 0);
        m_bytes.swap(bigger);
        return 1;
    }
    void Free() override { m_bytes.clear(); }
    unsigned char* Lock() override {
        ++locks;
        m_bytes.reserve(1);  // an empty chunk still has an address, as a movable block has
        return m_bytes.data();
    }
    void Unlock() override { --locks; }
    unsigned int GetLength() const override { return (unsigned int)m_bytes.size(); }

    std::string Bytes(size_t n = std::string::npos) const {
        return std::string(m_bytes.begin(), m_bytes.end()).substr(0, n);
    }

    int locks = 0;
    int reallocs = 0;
    bool refuseGrowth = false;

private:
    std::vector<unsigned char> m_bytes;
};

inline std::string Hex(const std::string& bytes) {
    std::string s;
    for (unsigned char c : bytes) {
        if (!s.empty()) s += ' ';
        s += "0123456789ABCDEF"[c >> 4];
        s += "0123456789ABCDEF"[c & 15];
    }
    return s;
}

}  // namespace kiln::test
