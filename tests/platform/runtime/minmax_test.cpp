// A client includes the library first and the standard headers after it, and uses both min forms.
#include <kiln/kiln.h>

#include <algorithm>
#include <limits>

#include <gtest/gtest.h>

TEST(MinMax, WindowsFormsBesideTheStandardOnes) {
    EXPECT_EQ(std::min(3, 4), 3);
    EXPECT_EQ(std::max<long>(3, 4), 4);
    EXPECT_EQ(std::numeric_limits<int>::max(), INT32_MAX);
    EXPECT_EQ(min(2.5, 1), 1.0);  // usual arithmetic conversions, as the macro's ?: gives
    EXPECT_EQ(max(-1, 2LL), 2LL);
    using namespace std;
    EXPECT_EQ(min(7, 5), 5);  // std::min wins the tie for equal types: no ambiguity
}
