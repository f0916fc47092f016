// With NOMINMAX the library declares no min or max: this TU's own min would clash with them.
#define NOMINMAX
#include <kiln/kiln.h>

#include <gtest/gtest.h>

template <class A, class B>
constexpr int min(const A&, const B&) {
    return 42;
}

TEST(MinMax, NominmaxLeavesTheNamesToTheClient) { EXPECT_EQ(min(1, 2), 42); }
