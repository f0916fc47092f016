#include <kiln/util/geometry.h>

#include <array>
#include <utility>

#include <gtest/gtest.h>

namespace {

using R = tagPSRECT;
using S = tagSQR;
using Q = std::array<int32_t, 4>;
using P = std::pair<int, Q>;
constexpr int16_t U = 99;  // outputs are preset to it, so a field left unwritten shows
constexpr int32_t kMax = INT32_MAX;

// The four fields of a rectangle or square.
template <class T>
Q F(const T& t) {
    const auto [a, b, c, d] = t;
    return {a, b, c, d};
}

// An intersection's result and output fields (B and O follow from f once A is given).
template <class A, class B, class O>
P And(int (*f)(const A*, const B*, O*), A a, B b) {
    O out{U, U, U, U};
    const int result = f(&a, &b, &out);
    return {result, F(out)};
}

// The fields of a after f changed it.
template <class A, class B>
Q Change(void (*f)(A&, const B&), A a, const B& b) {
    f(a, b);
    return F(a);
}

// Both squares after f changed them.
using Two = std::pair<Q, Q>;
Two Both(void (*f)(S&, S&), S a, S b) {
    f(a, b);
    return {F(a), F(b)};
}

TEST(Geometry, IntersectionsSettleTheVerticalExtentFirstAndWrapAtTheirWidth) {
    // Overlap, horizontal miss (all written), vertical miss (x and width untouched), edges beyond 32767.
    EXPECT_EQ(P(1, {5, 5, 5, 5}), And<R>(RectAnd, {0, 0, 10, 10}, {5, 5, 10, 10}));
    EXPECT_EQ(P(0, {10, 0, 0, 5}), And<R>(RectAnd, {0, 0, 10, 10}, {10, 0, 5, 5}));
    EXPECT_EQ(P(0, {U, 10, U, 0}), And<R>(RectAnd, {0, 0, 10, 10}, {0, 10, 5, 5}));
    EXPECT_EQ(P(1, {0, 32500, 10, 100}), And<R>(RectAnd, {0, 32000, 10, 1000}, {0, 32500, 10, 100}));
    // A height of -65535 keeps its low 16 bits, 1; the 32-bit form sees a negative height.
    EXPECT_EQ(P(1, {0, 32767, 10, 1}), And<R>(RectAnd, {0, 0, 10, -32768}, {0, 32767, 10, 10}));
    using R32 = tagRECT32;
    EXPECT_EQ(P(0, {U, 32767, U, -65535}), And<R32>(RectAnd, {0, 0, 10, -32768}, {0, 32767, 10, 10}));
    EXPECT_EQ(P(1, {-5, kMax, 10, 10}), And<R32>(RectAnd, {-5, kMax, 10, 10}, {-5, kMax, 10, 10}));
    EXPECT_EQ(P(1, {120000, 0, 30000, 5}),
              And<R32>(RectAnd, {100000, 0, 50000, 70000}, {120000, -5, 80000, 10}));
    EXPECT_EQ(P(1, {120000, 0, 150000, 5}),
              And<R32>(RectAndSqr, {100000, 0, 50000, 10}, {120000, -5, 200000, 5}));
    EXPECT_EQ(P(1, {120000, 0, 30000, 5}),
              And<R32>(RectAndSqrToRect, {100000, 0, 50000, 10}, {120000, -5, 200000, 5}));
    EXPECT_EQ(P(0, {U, 10, U, 10}), And(SqrAnd, {0, 0, 10, 10}, {10, 10, 20, 20}));
    EXPECT_EQ(P(1, {9, 9, 10, 10}), And(SqrAnd, {0, 0, 10, 10}, {9, 9, 20, 20}));
    EXPECT_EQ(P(0, {10, 0, 10, 5}), And(SqrAnd, {0, 0, 10, 10}, {10, 0, 20, 5}));
    EXPECT_EQ(P(1, {5, 5, 10, 10}), And<R>(RectAndSqr, {0, 0, 10, 10}, {5, 5, 20, 20}));
    EXPECT_EQ(P(0, {U, 10, U, 10}), And<R>(RectAndSqr, {0, 0, 10, 10}, {0, 10, 5, 20}));
    EXPECT_EQ(P(0, {10, 0, 10, 5}), And<R>(RectAndSqr, {0, 0, 10, 10}, {10, 0, 20, 5}));
    EXPECT_EQ(P(1, {32500, 0, 32700, 10}), And<R>(RectAndSqr, {32000, 0, 1000, 10}, {32500, 0, 32700, 10}));
    EXPECT_EQ(P(1, {5, 5, 5, 5}), And<R>(RectAndSqrToRect, {0, 0, 10, 10}, {5, 5, 20, 20}));

    // Edges from 32767 are refused: nothing written for the bottom, only the vertical fields for the right.
    EXPECT_EQ(P(1, {5, 5, 10, 10}), And(RectAndToSqr, {0, 0, 10, 10}, {5, 5, 10, 10}));
    EXPECT_EQ(P(0, {U, U, U, U}), And(RectAndToSqr, {0, 32760, 10, 10}, {0, 32760, 10, 10}));
    EXPECT_EQ(P(0, {U, U, U, U}), And(RectAndToSqr, {0, 32757, 10, 10}, {0, 32757, 10, 10}));
    EXPECT_EQ(P(1, {0, 32756, 10, 32766}), And(RectAndToSqr, {0, 32756, 10, 10}, {0, 32756, 10, 10}));
    EXPECT_EQ(P(0, {U, 0, U, 10}), And(RectAndToSqr, {32757, 0, 10, 10}, {32757, 0, 10, 10}));
    EXPECT_EQ(P(0, {U, 10, U, 10}), And(RectAndToSqr, {0, 0, 10, 10}, {0, 10, 10, 10}));

    // The output may be an operand; a null pointer does nothing.
    R a{0, 0, 10, 10}, b{5, 5, 10, 10};
    EXPECT_EQ(1, RectAnd(&a, &b, &a));
    EXPECT_EQ((Q{5, 5, 5, 5}), F(a));
    S s{0, 0, 10, 10}, t{9, 9, 20, 20};
    EXPECT_EQ(1, SqrAnd(&s, &t, &t));
    EXPECT_EQ((Q{9, 9, 10, 10}), F(t));
    EXPECT_EQ(0, RectAnd(nullptr, &b, &a));
    EXPECT_EQ(0, RectAnd(&a, &b, static_cast<R*>(nullptr)));
}

TEST(Geometry, UnionsSkipEmptyOperandsAndKeepTheLow16Bits) {
    // Only a zero size makes a rectangle empty; an empty a is replaced.
    EXPECT_EQ((Q{3, 3, 2, 2}), Change(UnionPsRect, {0, 0, 0, 5}, {3, 3, 2, 2}));
    EXPECT_EQ((Q{0, 0, 2, 2}), Change(UnionPsRect, {0, 0, 2, 2}, {5, 5, 0, 1}));
    EXPECT_EQ((Q{0, 0, 6, 6}), Change(UnionPsRect, {0, 0, 2, 2}, {5, 5, 1, 1}));
    EXPECT_EQ((Q{0, 0, 4, 6}), Change(UnionPsRect, {0, 0, 2, 2}, {5, 5, -1, 1}));
    EXPECT_EQ((Q{0, 0, -30536, 10}), Change(UnionPsRect, {30000, 0, 5000, 1}, {0, 0, 10, 10}));
    EXPECT_EQ((Q{0, 0, 2, 2}), Change(UnionPsRectSqrToRect, {0, 0, 2, 2}, {5, 5, 5, 9}));
    EXPECT_EQ((Q{0, 0, 6, 6}), Change(UnionPsRectSqrToRect, {0, 0, 2, 2}, {5, 5, 6, 6}));
    EXPECT_EQ((Q{-5, 3, 10, 1}), Change(UnionPsRectSqrToRect, {1, 1, 0, 0}, {-5, 3, 5, 4}));
    // A right or bottom edge at 32767 changes nothing, but an empty square is replaced without that check.
    EXPECT_EQ((Q{0, 0, 1, 1}), Change(UnionPsRectSqrToSqr, {0, 0, 1, 1}, {5, 5, 3, 0}));
    EXPECT_EQ((Q{0, 0, 1, 1}), Change(UnionPsRectSqrToSqr, {0, 0, 1, 1}, {32760, 0, 7, 1}));
    EXPECT_EQ((Q{0, 0, 1, 1}), Change(UnionPsRectSqrToSqr, {0, 0, 1, 1}, {0, 32760, 1, 7}));
    EXPECT_EQ((Q{0, 0, 32766, 1}), Change(UnionPsRectSqrToSqr, {0, 0, 1, 1}, {32760, 0, 6, 1}));
    EXPECT_EQ((Q{-3, -4, 32766, 1}), Change(UnionPsRectSqrToSqr, {0, 0, 32766, 1}, {-3, -4, 1, 1}));
    EXPECT_EQ((Q{32760, 0, -32766, 1}), Change(UnionPsRectSqrToSqr, {4, 4, 4, 8}, {32760, 0, 10, 1}));

    // The quick forms neither normalize nor test for emptiness; the full forms normalize both operands.
    EXPECT_EQ((Q{20, 20, 10, 10}), Change(IntersectSqrQuick, {0, 0, 10, 10}, {20, 20, 30, 30}));
    EXPECT_EQ((Q{3, 0, 4, 10}), Change(UnionSqrQuick, {10, 0, 0, 10}, {3, 3, 4, 4}));
    EXPECT_EQ(Two(Q{5, 5, 10, 10}, Q{5, 5, 20, 20}), Both(IntersectSqr, {10, 0, 0, 10}, {20, 20, 5, 5}));
    EXPECT_EQ(Two(Q{-5, 0, 10, 30}, Q{-5, 2, 3, 30}), Both(UnionSqr, {10, 10, 0, 0}, {-5, 30, 3, 2}));
    auto normalize = +[](S& a, S& b) {
        NormalizeSqr(a);
        NormalizeSqr(b);
    };
    EXPECT_EQ(Two(Q{0, 0, 10, 10}, Q{0, 0, 10, 10}), Both(normalize, {10, 0, 0, 10}, {0, 10, 10, 0}));
}

TEST(Geometry, CenteringEqualityAndDegrees) {
    // The centred rectangle keeps its size; odd differences round toward zero.
    auto centre = +[](R& inner, const R& outer) { GetCenteringRect(&outer, &inner); };
    EXPECT_EQ((Q{13, 13, 3, 3}), Change(centre, {0, 0, 3, 3}, {10, 10, 10, 10}));
    EXPECT_EQ((Q{-1, -1, 13, 13}), Change(centre, {50, 50, 13, 13}, {0, 0, 10, 10}));
    EXPECT_EQ((Q{-32765, 4, 2, 2}), Change(centre, {0, 0, 2, 2}, {32767, 0, 10, 10}));

    const S s{1, 2, 3, 4};
    EXPECT_EQ(1, IsSqrEqual(&s, &s));
    for (S t : {S{0, 2, 3, 4}, S{1, 0, 3, 4}, S{1, 2, 0, 4}, S{1, 2, 3, 0}}) EXPECT_EQ(0, IsSqrEqual(&s, &t));
    const R r{1, 2, 2, 2}, taller{1, 2, 2, 3}, edge{32767, 0, 1, 1};
    const S wrapped{32767, 0, -32768, 1};
    EXPECT_EQ(1, IsRectEqualSqr(&r, &s));
    EXPECT_EQ(0, IsRectEqualSqr(&taller, &s));
    EXPECT_EQ(0, IsRectEqualSqr(&edge, &wrapped));  // 32767 + 1 is 32768, which no 16-bit edge equals
    EXPECT_EQ(0, IsRectEqualSqr(&r, nullptr));

    EXPECT_EQ(180.0, Rad2Div(3.141592653589793));
    EXPECT_DOUBLE_EQ(-90.0, Rad2Div(-3.141592653589793 / 2));
    EXPECT_DOUBLE_EQ(57.29577951308232, Rad2Div(1.0));
}

}  // namespace
