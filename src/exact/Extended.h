// Extended precision as the x87 computes it, on every target: a 64-bit significand with an explicit leading
// bit, the x87's 15-bit exponent, every operation rounded once to nearest with ties to even. The game's few
// extended-precision expressions use this type so that they give the same bits wherever the game is built,
// whatever `long double` is there. Integer arithmetic only: no floating-point operation is involved.
#pragma once

#include <cstdint>

// The 80-bit x87 layout: value = Significand * 2^(Exponent - 16383 - 63) for normal numbers (bit 63 set),
// Significand * 2^(1 - 16383 - 63) for Exponent 0 (zero and subnormals). Exponent 0x7fff holds infinity
// (Significand 1 << 63) and NaN (bit 63 set and any other bit); bit 62 marks a quiet NaN. Other bit
// patterns (bit 63 clear with a nonzero Exponent, Exponent above 0x7fff) are operands the x87 refuses:
// every operation gives the default NaN for them.
struct TExtended {
    uint64_t Significand;
    uint16_t Exponent;
    bool Negative;
};

constexpr int32_t ExtExponentBias = 16383;
constexpr uint16_t ExtExponentSpecial = 0x7fff;

// The game's constants as the compiler rounds 3.1428L, 9.81L and 180.0L on x86.
constexpr TExtended ExtGamePi{0xc923a29c779a6b51, 0x4000, false};
constexpr TExtended ExtGravity{0x9cf5c28f5c28f5c3, 0x4002, false};
constexpr TExtended ExtHalfTurnDegrees{0xb400000000000000, 0x4006, false};

// Exact conversions in; a NaN keeps its sign and payload and becomes quiet, as a load into the x87 does.
TExtended ExtendedFromFloat(float v);
TExtended ExtendedFromDouble(double v);
TExtended ExtendedFromInt(int64_t v);

// The exact result rounded once to 64 bits, ties to even, with the x87's signed zeros, infinities and NaNs.
TExtended ExtAdd(TExtended a, TExtended b);
TExtended ExtSub(TExtended a, TExtended b);
TExtended ExtMul(TExtended a, TExtended b);
TExtended ExtDiv(TExtended a, TExtended b);
TExtended ExtSqrt(TExtended a);
TExtended ExtNeg(TExtended a);

// IEEE comparisons: a NaN is unordered (every one of these is false with it), -0 equals +0.
bool ExtIsNaN(TExtended a);
bool ExtEqual(TExtended a, TExtended b);
bool ExtLess(TExtended a, TExtended b);
bool ExtLessEqual(TExtended a, TExtended b);

// Rounded once to the narrower format, ties to even, subnormal results and overflow to infinity as IEEE
// has them; a NaN stays a NaN with the top bits of its payload.
double ExtToDouble(TExtended a);
float ExtToFloat(TExtended a);
// The game's store into a float field: beyond float's range it saturates to +-FLT_MAX, NaN becomes 0.
float ExtToFloatSaturated(TExtended a);

// The arc tangent of y/x in the quadrant of (x, y), correctly rounded to 64 bits; special cases as IEEE
// atan2 has them. Traced also tells whether the rounding needed the slow path and whether that decided it
// (see Extended.cpp).
struct TAtan2Result {
    TExtended Value;
    bool SlowPath;
    bool Decided;
};
TAtan2Result ExtAtan2Traced(TExtended y, TExtended x);
TExtended ExtAtan2(TExtended y, TExtended x);

// Operators for readable expressions; each is one rounded operation.
inline TExtended operator+(TExtended a, TExtended b) {
    return ExtAdd(a, b);
}
inline TExtended operator-(TExtended a, TExtended b) {
    return ExtSub(a, b);
}
inline TExtended operator*(TExtended a, TExtended b) {
    return ExtMul(a, b);
}
inline TExtended operator/(TExtended a, TExtended b) {
    return ExtDiv(a, b);
}
inline TExtended operator-(TExtended a) {
    return ExtNeg(a);
}
