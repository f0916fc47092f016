#include <kiln/util/geometry.h>

#include <algorithm>

namespace {

// The processor's 32-bit addition and subtraction: exact for 16-bit operands, wrapping for 32-bit ones.
int32_t Add(int32_t a, int32_t b) { return (int32_t)((uint32_t)a + (uint32_t)b); }
int32_t Sub(int32_t a, int32_t b) { return (int32_t)((uint32_t)a - (uint32_t)b); }

// Edges of the second operand of an intersection or union, as 32-bit values.
struct Edges {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

template <class Rect>
Edges EdgesOfRect(const Rect& r) {
    return {r.x, r.y, Add(r.x, r.width), Add(r.y, r.height)};
}

template <class Sqr>
Edges EdgesOfSqr(const Sqr& s) {
    return {s.left, s.top, s.right, s.bottom};
}

// Intersection of r with the edges e, as a position-size rectangle. A result field takes the low bits
// of the 32-bit value (its own width), and the emptiness tests read the stored fields.
template <class Rect>
int IntersectToRect(const Rect& r, const Edges& e, Rect& out) {
    using Field = decltype(out.x);
    const int32_t bottom = std::min(Add(r.y, r.height), e.bottom);
    const int32_t top = std::max<int32_t>(r.y, e.top);
    out.y = (Field)top;
    out.height = (Field)Sub(bottom, top);
    if (out.height < 1) return 0;
    const int32_t right = std::min(Add(r.x, r.width), e.right);
    const int32_t left = std::max<int32_t>(r.x, e.left);
    out.x = (Field)left;
    out.width = (Field)Sub(right, left);
    return out.width > 0 ? 1 : 0;
}

// Intersection of r with the edges e, as a square.
template <class Rect, class Sqr>
int IntersectToSqr(const Rect& r, const Edges& e, Sqr& out) {
    using Field = decltype(out.left);
    const int32_t bottom = std::min(e.bottom, Add(r.y, r.height));
    const int32_t top = std::max<int32_t>(r.y, e.top);
    out.bottom = (Field)bottom;
    out.top = (Field)top;
    if (out.top >= out.bottom) return 0;
    const int32_t right = std::min(Add(r.x, r.width), e.right);
    const int32_t left = std::max<int32_t>(r.x, e.left);
    out.right = (Field)right;
    out.left = (Field)left;
    return out.left < out.right ? 1 : 0;
}

// a becomes the bounding rectangle of a and the edges e.
void Bound(tagPSRECT& a, const Edges& e) {
    const int32_t x = std::min<int32_t>(a.x, e.left);
    const int32_t y = std::min<int32_t>(a.y, e.top);
    const int32_t right = std::max(Add(a.x, a.width), e.right);
    const int32_t bottom = std::max(Add(a.y, a.height), e.bottom);
    a = {(int16_t)x, (int16_t)y, (int16_t)Sub(right, x), (int16_t)Sub(bottom, y)};
}

bool IsEmpty(const tagSQR& s) { return s.left >= s.right || s.top >= s.bottom; }

// Edges at or beyond this limit do not fit the square functions that check for it.
constexpr int32_t kEdgeLimit = 32767;

}  // namespace

int RectAnd(const tagPSRECT* a, const tagPSRECT* b, tagPSRECT* out) {
    if (a == nullptr || b == nullptr || out == nullptr) return 0;
    return IntersectToRect(*a, EdgesOfRect(*b), *out);
}

int RectAnd(const tagRECT32* a, const tagRECT32* b, tagRECT32* out) {
    if (a == nullptr || b == nullptr || out == nullptr) return 0;
    return IntersectToRect(*a, EdgesOfRect(*b), *out);
}

int SqrAnd(const tagSQR* a, const tagSQR* b, tagSQR* out) {
    if (a == nullptr || b == nullptr || out == nullptr) return 0;
    const tagSQR x = *a;
    const tagSQR y = *b;
    out->top = std::max(x.top, y.top);
    out->bottom = std::min(x.bottom, y.bottom);
    if (out->top >= out->bottom) return 0;
    out->left = std::max(x.left, y.left);
    out->right = std::min(x.right, y.right);
    return out->left < out->right ? 1 : 0;
}

int RectAndSqr(const tagPSRECT* r, const tagSQR* s, tagSQR* out) {
    if (r == nullptr || s == nullptr || out == nullptr) return 0;
    return IntersectToSqr(*r, EdgesOfSqr(*s), *out);
}

int RectAndSqr(const tagRECT32* r, const tagSQR32* s, tagSQR32* out) {
    if (r == nullptr || s == nullptr || out == nullptr) return 0;
    return IntersectToSqr(*r, EdgesOfSqr(*s), *out);
}

int RectAndSqrToRect(const tagPSRECT* r, const tagSQR* s, tagPSRECT* out) {
    if (r == nullptr || s == nullptr || out == nullptr) return 0;
    return IntersectToRect(*r, EdgesOfSqr(*s), *out);
}

int RectAndSqrToRect(const tagRECT32* r, const tagSQR32* s, tagRECT32* out) {
    if (r == nullptr || s == nullptr || out == nullptr) return 0;
    return IntersectToRect(*r, EdgesOfSqr(*s), *out);
}

int RectAndToSqr(const tagPSRECT* a, const tagPSRECT* b, tagSQR* out) {
    if (a == nullptr || b == nullptr || out == nullptr) return 0;
    const Edges ea = EdgesOfRect(*a);
    const Edges eb = EdgesOfRect(*b);
    const int32_t bottom = std::min(ea.bottom, eb.bottom);
    if (bottom >= kEdgeLimit) return 0;
    out->bottom = (int16_t)bottom;
    out->top = std::max(a->y, b->y);
    if (out->bottom <= out->top) return 0;
    const int32_t right = std::min(ea.right, eb.right);
    if (right >= kEdgeLimit) return 0;
    out->right = (int16_t)right;
    out->left = std::max(a->x, b->x);
    return out->right > out->left ? 1 : 0;
}

void UnionPsRect(tagPSRECT& a, const tagPSRECT& b) {
    if (b.width == 0 || b.height == 0) return;
    if (a.width == 0 || a.height == 0) {
        a = b;
        return;
    }
    Bound(a, EdgesOfRect(b));
}

void UnionPsRectSqrToRect(tagPSRECT& a, const tagSQR& s) {
    if (IsEmpty(s)) return;
    if (a.width == 0 || a.height == 0) {
        a = {s.left, s.top, (int16_t)Sub(s.right, s.left), (int16_t)Sub(s.bottom, s.top)};
        return;
    }
    Bound(a, EdgesOfSqr(s));
}

void UnionPsRectSqrToSqr(tagSQR& s, const tagPSRECT& r) {
    if (r.width == 0 || r.height == 0) return;
    const Edges e = EdgesOfRect(r);
    if (IsEmpty(s)) {
        s = {r.x, r.y, (int16_t)e.right, (int16_t)e.bottom};
        return;
    }
    if (e.right >= kEdgeLimit || e.bottom >= kEdgeLimit) return;
    s.left = std::min(s.left, r.x);
    s.top = std::min(s.top, r.y);
    s.right = (int16_t)std::max<int32_t>(s.right, e.right);
    s.bottom = (int16_t)std::max<int32_t>(s.bottom, e.bottom);
}

void NormalizeSqr(tagSQR& s) {
    if (s.left > s.right) std::swap(s.left, s.right);
    if (s.top > s.bottom) std::swap(s.top, s.bottom);
}

void IntersectSqrQuick(tagSQR& a, const tagSQR& b) {
    a = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
}

void UnionSqrQuick(tagSQR& a, const tagSQR& b) {
    a = {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
         std::max(a.bottom, b.bottom)};
}

void IntersectSqr(tagSQR& a, tagSQR& b) {
    NormalizeSqr(a);
    NormalizeSqr(b);
    IntersectSqrQuick(a, b);
}

void UnionSqr(tagSQR& a, tagSQR& b) {
    NormalizeSqr(a);
    NormalizeSqr(b);
    UnionSqrQuick(a, b);
}

void GetCenteringRect(const tagPSRECT* outer, tagPSRECT* inner) {
    if (outer == nullptr || inner == nullptr) return;
    inner->x = (int16_t)(outer->x + (outer->width - inner->width) / 2);
    inner->y = (int16_t)(outer->y + (outer->height - inner->height) / 2);
}

int IsSqrEqual(const tagSQR* a, const tagSQR* b) {
    if (a == nullptr || b == nullptr) return 0;
    return a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom;
}

int IsRectEqualSqr(const tagPSRECT* r, const tagSQR* s) {
    if (r == nullptr || s == nullptr) return 0;
    const Edges e = EdgesOfRect(*r);
    return e.left == s->left && e.top == s->top && e.right == s->right && e.bottom == s->bottom;
}

double Rad2Div(double r) { return r * 180.0 / 3.141592653589793; }
