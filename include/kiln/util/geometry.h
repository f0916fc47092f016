// Axis-aligned rectangles in two forms: by position and size (tagPSRECT, tagRECT32) and by edges, a
// "square" (tagSQR, tagSQR32). Both cover their left/top edge and stop short of their right/bottom.
//
// The 16-bit functions form sums such as x + width in 32 bits and compare them as 32-bit values,
// then keep the low 16 bits of what they store; tests on stored fields, computed widths and heights
// are made on the signed 16-bit values, so results wrap around as 16-bit arithmetic does. The 32-bit
// functions wrap at 32 bits the same way.
//
// Every intersection settles the vertical extent first and stops when it is empty: the result then
// has its vertical fields written and its horizontal fields untouched. Functions taking pointers do
// nothing and return 0 when one of them is null.
#pragma once

#include <cstdint>

struct tagPSRECT {
    int16_t x;
    int16_t y;
    int16_t width;
    int16_t height;
};

struct tagRECT32 {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

struct tagSQR {
    int16_t left;
    int16_t top;
    int16_t right;
    int16_t bottom;
};

struct tagSQR32 {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// Intersection of two rectangles; 1 when it is at least 1 wide and 1 high.
int RectAnd(const tagPSRECT* a, const tagPSRECT* b, tagPSRECT* out);
int RectAnd(const tagRECT32* a, const tagRECT32* b, tagRECT32* out);
// Intersection of two squares; 1 when it is not empty.
int SqrAnd(const tagSQR* a, const tagSQR* b, tagSQR* out);
// Intersection of a rectangle and a square, as a square; 1 when it is not empty.
int RectAndSqr(const tagPSRECT* r, const tagSQR* s, tagSQR* out);
int RectAndSqr(const tagRECT32* r, const tagSQR32* s, tagSQR32* out);
// Intersection of a rectangle and a square, as a rectangle; 1 when it is at least 1 wide and 1 high.
int RectAndSqrToRect(const tagPSRECT* r, const tagSQR* s, tagPSRECT* out);
int RectAndSqrToRect(const tagRECT32* r, const tagSQR32* s, tagRECT32* out);
// Intersection of two rectangles, as a square; 1 when it is not empty. An intersection whose bottom
// (then right) edge is at 32767 or beyond gives 0: nothing written for the bottom, only the vertical
// fields for the right.
int RectAndToSqr(const tagPSRECT* a, const tagPSRECT* b, tagSQR* out);

// a becomes the bounding rectangle of a and b. A b with width or height 0 changes nothing; an a
// with width or height 0 is replaced by b.
void UnionPsRect(tagPSRECT& a, const tagPSRECT& b);
// The same with an empty square changing nothing.
void UnionPsRectSqrToRect(tagPSRECT& a, const tagSQR& s);
// s becomes the bounding square of s and r. An r with width or height 0 changes nothing; an empty s
// is replaced by r; otherwise an r whose right or bottom edge is at 32767 or beyond changes nothing.
void UnionPsRectSqrToSqr(tagSQR& s, const tagPSRECT& r);

// Swaps left and right when left > right, top and bottom when top > bottom.
void NormalizeSqr(tagSQR& s);
// a = (larger left, larger top, smaller right, smaller bottom), without any emptiness test.
void IntersectSqrQuick(tagSQR& a, const tagSQR& b);
// a = (smaller left, smaller top, larger right, larger bottom), without any emptiness test.
void UnionSqrQuick(tagSQR& a, const tagSQR& b);
// Normalizes a and b (both are changed), then IntersectSqrQuick(a, b).
void IntersectSqr(tagSQR& a, tagSQR& b);
// Normalizes a and b (both are changed), then UnionSqrQuick(a, b).
void UnionSqr(tagSQR& a, tagSQR& b);

// Moves inner to the centre of outer, keeping its size; odd differences round toward zero.
void GetCenteringRect(const tagPSRECT* outer, tagPSRECT* inner);

// 1 when all four edges are equal.
int IsSqrEqual(const tagSQR* a, const tagSQR* b);
// 1 when r and s describe the same area (x + width and y + height summed in 32 bits).
int IsRectEqualSqr(const tagPSRECT* r, const tagSQR* s);

// Radians to degrees: r * 180.0 / pi.
double Rad2Div(double r);
