#include <kiln/util/geometry.h>

#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

namespace {

constexpr int16_t kUnset = 99;

tagPSRECT Unset() { return {kUnset, kUnset, kUnset, kUnset}; }
tagSQR UnsetSqr() { return {kUnset, kUnset, kUnset, kUnset}; }

#define EXPECT_RECT(x_, y_, w_, h_, r) \
    do {                               \
        EXPECT_EQ((x_), (r).x);        \
        EXPECT_EQ((y_), (r).y);        \
        EXPECT_EQ((w_), (r).width);    \
        EXPECT_EQ((h_), (r).height);   \
    } while (0)
#define EXPECT_SQR(l_, t_, r_, b_, s) \
    do {                              \
        EXPECT_EQ((l_), (s).left);    \
        EXPECT_EQ((t_), (s).top);     \
        EXPECT_EQ((r_), (s).right);   \
        EXPECT_EQ((b_), (s).bottom);  \
    } while (0)

TEST(Geometry, RectAndOverlapsAndWritesOnlyWhatItReached) {
    tagPSRECT a{0, 0, 10, 10}, b{5, 5, 10, 10}, out = Unset();
    EXPECT_EQ(1, RectAnd(&a, &b, &out));
    EXPECT_RECT(5, 5, 5, 5, out);

    // A horizontal miss: every field written, width 0.
    b = {10, 0, 5, 5};
    out = Unset();
    EXPECT_EQ(0, RectAnd(&a, &b, &out));
    EXPECT_RECT(10, 0, 0, 5, out);

    // A vertical miss: y and height written, x and width left alone.
    b = {0, 10, 5, 5};
    out = Unset();
    EXPECT_EQ(0, RectAnd(&a, &b, &out));
    EXPECT_RECT(kUnset, 10, kUnset, 0, out);

    // The result may be one of the inputs.
    b = {5, 5, 10, 10};
    EXPECT_EQ(1, RectAnd(&a, &b, &a));
    EXPECT_RECT(5, 5, 5, 5, a);

    EXPECT_EQ(0, RectAnd(nullptr, &b, &out));
    EXPECT_EQ(0, RectAnd(&a, &b, static_cast<tagPSRECT*>(nullptr)));
}

TEST(Geometry, RectAndSumsIn32BitsAndTestsThe16BitResult) {
    // Bottom edges beyond 32767 are compared as they are, not wrapped.
    tagPSRECT a{0, 32000, 10, 1000}, b{0, 32500, 10, 100}, out = Unset();
    EXPECT_EQ(1, RectAnd(&a, &b, &out));
    EXPECT_RECT(0, 32500, 10, 100, out);

    // A height of -65535 keeps its low 16 bits: 1, which passes the emptiness test.
    a = {0, 0, 10, -32768};
    b = {0, 32767, 10, 10};
    EXPECT_EQ(1, RectAnd(&a, &b, &out));
    EXPECT_RECT(0, 32767, 10, 1, out);

    // The 32-bit form sees the same numbers as a true negative height.
    tagRECT32 a32{0, 0, 10, -32768}, b32{0, 32767, 10, 10}, out32{7, 7, 7, 7};
    EXPECT_EQ(0, RectAnd(&a32, &b32, &out32));
    EXPECT_RECT(7, 32767, 7, -65535, out32);

    // ... and wraps at 32 bits: two equal rectangles whose edges pass INT32_MAX still meet.
    const int32_t top = std::numeric_limits<int32_t>::max();
    a32 = b32 = {-5, top, 10, 10};
    EXPECT_EQ(1, RectAnd(&a32, &b32, &out32));
    EXPECT_RECT(-5, top, 10, 10, out32);

    a32 = {100000, 0, 50000, 70000};
    b32 = {120000, -5, 80000, 10};
    EXPECT_EQ(1, RectAnd(&a32, &b32, &out32));
    EXPECT_RECT(120000, 0, 30000, 5, out32);
}

TEST(Geometry, SqrAndStopsAfterAnEmptyVerticalExtent) {
    tagSQR a{0, 0, 10, 10}, b{10, 10, 20, 20}, out = UnsetSqr();
    EXPECT_EQ(0, SqrAnd(&a, &b, &out));
    EXPECT_SQR(kUnset, 10, kUnset, 10, out);

    b = {9, 9, 20, 20};
    EXPECT_EQ(1, SqrAnd(&a, &b, &out));
    EXPECT_SQR(9, 9, 10, 10, out);

    b = {10, 0, 20, 5};
    out = UnsetSqr();
    EXPECT_EQ(0, SqrAnd(&a, &b, &out));
    EXPECT_SQR(10, 0, 10, 5, out);

    b = {9, 9, 20, 20};
    EXPECT_EQ(1, SqrAnd(&a, &b, &b));
    EXPECT_SQR(9, 9, 10, 10, b);
}

TEST(Geometry, RectangleAndSquareIntersections) {
    const tagPSRECT r{0, 0, 10, 10};
    tagSQR s{5, 5, 20, 20}, sqr = UnsetSqr();
    tagPSRECT rect = Unset();
    EXPECT_EQ(1, RectAndSqr(&r, &s, &sqr));
    EXPECT_SQR(5, 5, 10, 10, sqr);
    EXPECT_EQ(1, RectAndSqrToRect(&r, &s, &rect));
    EXPECT_RECT(5, 5, 5, 5, rect);

    s = {0, 10, 5, 20};
    sqr = UnsetSqr();
    rect = Unset();
    EXPECT_EQ(0, RectAndSqr(&r, &s, &sqr));
    EXPECT_SQR(kUnset, 10, kUnset, 10, sqr);
    EXPECT_EQ(0, RectAndSqrToRect(&r, &s, &rect));
    EXPECT_RECT(kUnset, 10, kUnset, 0, rect);

    s = {10, 0, 20, 5};
    EXPECT_EQ(0, RectAndSqr(&r, &s, &sqr));
    EXPECT_SQR(10, 0, 10, 5, sqr);
    EXPECT_EQ(0, RectAndSqrToRect(&r, &s, &rect));
    EXPECT_RECT(10, 0, 0, 5, rect);

    // The rectangle's edge 32000 + 1000 is 33000, not a wrapped negative number.
    const tagPSRECT far{32000, 0, 1000, 10};
    s = {32500, 0, 32700, 10};
    EXPECT_EQ(1, RectAndSqr(&far, &s, &sqr));
    EXPECT_SQR(32500, 0, 32700, 10, sqr);

    const tagRECT32 r32{100000, 0, 50000, 10};
    tagSQR32 s32{120000, -5, 200000, 5}, sqr32{};
    tagRECT32 rect32{};
    EXPECT_EQ(1, RectAndSqr(&r32, &s32, &sqr32));
    EXPECT_SQR(120000, 0, 150000, 5, sqr32);
    EXPECT_EQ(1, RectAndSqrToRect(&r32, &s32, &rect32));
    EXPECT_RECT(120000, 0, 30000, 5, rect32);
    EXPECT_EQ(0, RectAndSqr(&r32, nullptr, &sqr32));
}

TEST(Geometry, RectAndToSqrRefusesEdgesFrom32767) {
    tagPSRECT a{0, 0, 10, 10}, b{5, 5, 10, 10};
    tagSQR out = UnsetSqr();
    EXPECT_EQ(1, RectAndToSqr(&a, &b, &out));
    EXPECT_SQR(5, 5, 10, 10, out);

    // Bottom 32770, and bottom exactly 32767: nothing written.
    a = b = {0, 32760, 10, 10};
    out = UnsetSqr();
    EXPECT_EQ(0, RectAndToSqr(&a, &b, &out));
    EXPECT_SQR(kUnset, kUnset, kUnset, kUnset, out);
    a = b = {0, 32757, 10, 10};
    EXPECT_EQ(0, RectAndToSqr(&a, &b, &out));
    EXPECT_SQR(kUnset, kUnset, kUnset, kUnset, out);
    a = b = {0, 32756, 10, 10};
    EXPECT_EQ(1, RectAndToSqr(&a, &b, &out));
    EXPECT_SQR(0, 32756, 10, 32766, out);

    // A right edge at 32767: the vertical fields are written, the horizontal ones are not.
    a = b = {32757, 0, 10, 10};
    out = UnsetSqr();
    EXPECT_EQ(0, RectAndToSqr(&a, &b, &out));
    EXPECT_SQR(kUnset, 0, kUnset, 10, out);

    a = {0, 0, 10, 10};
    b = {0, 10, 10, 10};
    out = UnsetSqr();
    EXPECT_EQ(0, RectAndToSqr(&a, &b, &out));
    EXPECT_SQR(kUnset, 10, kUnset, 10, out);
}

TEST(Geometry, UnionPsRectSkipsEmptyRectanglesAndWraps) {
    tagPSRECT a{0, 0, 0, 5};
    UnionPsRect(a, {3, 3, 2, 2});
    EXPECT_RECT(3, 3, 2, 2, a);

    a = {0, 0, 2, 2};
    UnionPsRect(a, {5, 5, 0, 1});
    EXPECT_RECT(0, 0, 2, 2, a);
    UnionPsRect(a, {5, 5, 1, 1});
    EXPECT_RECT(0, 0, 6, 6, a);

    // Only a zero size counts as empty: a negative width still extends the bounds.
    a = {0, 0, 2, 2};
    UnionPsRect(a, {5, 5, -1, 1});
    EXPECT_RECT(0, 0, 4, 6, a);

    // A width of 35000 is stored as its low 16 bits.
    a = {30000, 0, 5000, 1};
    UnionPsRect(a, {0, 0, 10, 10});
    EXPECT_RECT(0, 0, -30536, 10, a);
}

TEST(Geometry, UnionsWithSquares) {
    tagPSRECT a{0, 0, 2, 2};
    UnionPsRectSqrToRect(a, {5, 5, 5, 9});  // empty: left == right
    EXPECT_RECT(0, 0, 2, 2, a);
    UnionPsRectSqrToRect(a, {5, 5, 6, 6});
    EXPECT_RECT(0, 0, 6, 6, a);
    a = {1, 1, 0, 0};
    UnionPsRectSqrToRect(a, {-5, 3, 5, 4});
    EXPECT_RECT(-5, 3, 10, 1, a);

    tagSQR s{0, 0, 1, 1};
    UnionPsRectSqrToSqr(s, {5, 5, 3, 0});
    EXPECT_SQR(0, 0, 1, 1, s);
    UnionPsRectSqrToSqr(s, {32760, 0, 7, 1});  // right edge 32767
    EXPECT_SQR(0, 0, 1, 1, s);
    UnionPsRectSqrToSqr(s, {0, 32760, 1, 7});  // bottom edge 32767
    EXPECT_SQR(0, 0, 1, 1, s);
    UnionPsRectSqrToSqr(s, {32760, 0, 6, 1});
    EXPECT_SQR(0, 0, 32766, 1, s);
    UnionPsRectSqrToSqr(s, {-3, -4, 1, 1});
    EXPECT_SQR(-3, -4, 32766, 1, s);

    // An empty square is replaced without the edge check; the edge keeps its low 16 bits.
    s = {4, 4, 4, 8};
    UnionPsRectSqrToSqr(s, {32760, 0, 10, 1});
    EXPECT_SQR(32760, 0, -32766, 1, s);
}

TEST(Geometry, NormalizeIntersectAndUniteSquares) {
    tagSQR s{10, 0, 0, 10};
    NormalizeSqr(s);
    EXPECT_SQR(0, 0, 10, 10, s);
    s = {0, 10, 10, 0};
    NormalizeSqr(s);
    EXPECT_SQR(0, 0, 10, 10, s);

    tagSQR a{10, 0, 0, 10}, b{20, 20, 5, 5};
    IntersectSqr(a, b);
    EXPECT_SQR(5, 5, 10, 10, a);
    EXPECT_SQR(5, 5, 20, 20, b);

    a = {10, 10, 0, 0};
    b = {-5, 30, 3, 2};
    UnionSqr(a, b);
    EXPECT_SQR(-5, 0, 10, 30, a);
    EXPECT_SQR(-5, 2, 3, 30, b);

    // The quick forms neither normalize nor test for emptiness.
    a = {0, 0, 10, 10};
    IntersectSqrQuick(a, {20, 20, 30, 30});
    EXPECT_SQR(20, 20, 10, 10, a);
    a = {10, 0, 0, 10};
    UnionSqrQuick(a, {3, 3, 4, 4});
    EXPECT_SQR(3, 0, 4, 10, a);
}

TEST(Geometry, CenteringRoundsTowardZeroAndKeepsTheSize) {
    const tagPSRECT outer{10, 10, 10, 10};
    tagPSRECT inner{0, 0, 3, 3};
    GetCenteringRect(&outer, &inner);
    EXPECT_RECT(13, 13, 3, 3, inner);

    const tagPSRECT narrow{0, 0, 10, 10};
    inner = {50, 50, 13, 13};
    GetCenteringRect(&narrow, &inner);
    EXPECT_RECT(-1, -1, 13, 13, inner);

    const tagPSRECT edge{32767, 0, 10, 10};
    inner = {0, 0, 2, 2};
    GetCenteringRect(&edge, &inner);
    EXPECT_RECT(-32765, 4, 2, 2, inner);
}

TEST(Geometry, EqualityOfSquaresAndRectangles) {
    const tagSQR s{1, 2, 3, 4};
    tagSQR t = s;
    EXPECT_EQ(1, IsSqrEqual(&s, &t));
    for (int16_t tagSQR::*field : {&tagSQR::left, &tagSQR::top, &tagSQR::right, &tagSQR::bottom}) {
        t = s;
        t.*field = 0;
        EXPECT_EQ(0, IsSqrEqual(&s, &t));
    }

    tagPSRECT r{1, 2, 2, 2};
    EXPECT_EQ(1, IsRectEqualSqr(&r, &s));
    r.height = 3;
    EXPECT_EQ(0, IsRectEqualSqr(&r, &s));

    // 32767 + 1 is 32768, which no 16-bit edge equals.
    r = {32767, 0, 1, 1};
    const tagSQR wrapped{32767, 0, -32768, 1};
    EXPECT_EQ(0, IsRectEqualSqr(&r, &wrapped));
    EXPECT_EQ(0, IsRectEqualSqr(&r, nullptr));
}

TEST(Geometry, RadiansToDegrees) {
    EXPECT_EQ(180.0, Rad2Div(3.141592653589793));
    EXPECT_DOUBLE_EQ(-90.0, Rad2Div(-3.141592653589793 / 2));
    EXPECT_DOUBLE_EQ(57.29577951308232, Rad2Div(1.0));
    EXPECT_EQ(0.0, Rad2Div(0.0));
}

}  // namespace
