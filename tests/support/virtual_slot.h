// The virtual-table slot of a virtual member function, read from its member pointer as GCC lays it
// out (the Itanium C++ ABI: 1 + the slot's byte offset). Tests use it to check the order in which a
// class declares its virtual operations.
//
//   EXPECT_EQ(kiln::test::VirtualSlot(&CChankPtr::Close), kiln::test::VirtualSlot(&CChankPtr::Open) + 1);
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace kiln::test {

template <class MemberFunction>
long VirtualSlot(MemberFunction f) {
    static_assert(sizeof(f) == 2 * sizeof(void*), "a member function pointer of the Itanium ABI");
    uintptr_t raw[2];
    std::memcpy(raw, &f, sizeof raw);
    EXPECT_EQ(raw[0] & 1, 1u) << "not a virtual function";
    return (long)((raw[0] - 1) / sizeof(void*));
}

}  // namespace kiln::test
