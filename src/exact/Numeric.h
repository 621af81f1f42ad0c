// Conversions that every subsystem shares: storing a double result into a float field, and truncating a
// float toward zero into a screen coordinate or a displayed whole number. None of them has undefined
// behaviour for any input: values beyond the target range saturate and NaN becomes 0.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "exact/Extended.h"

// The game's 3.1428 in place of pi, where the arithmetic is double (the camera's arc tangents). The angle
// conversions of the point register hold it as an extended constant, ExtGamePi.
constexpr double GamePi = 3.1428;

// Rounds an intermediate result to the float it is stored as; beyond float's range it saturates to
// +-FLT_MAX, and NaN becomes 0. The usual value, finite and within float's range, passes one test.
inline float F32(double v) {
    if (std::fabs(v) <= (double)FLT_MAX) return (float)v;
    if (v != v) return 0.0f;
    return v > 0 ? FLT_MAX : -FLT_MAX;
}

// The same from extended precision, rounded once (not through double).
inline float F32(TExtended v) {
    return ExtToFloatSaturated(v);
}

// Truncation toward zero to int32, saturating; NaN gives 0. A value within range passes one test.
inline int32_t TruncToInt32(double v) {
    if (v > -2147483648.0 && v < 2147483647.0) return (int32_t)v;
    if (v != v) return 0;
    return v > 0 ? INT32_MAX : INT32_MIN;
}

// Truncation toward zero to int64, saturating; NaN gives 0.
inline int64_t TruncToInt64(double v) {
    if (v != v) return 0;
    if (v >= 9223372036854775807.0) return INT64_MAX;
    if (v <= -9223372036854775808.0) return INT64_MIN;
    return (int64_t)v;
}

// Degrees to radians and back with the game's 3.1428, in extended precision, rounded once when stored.
inline float DegToRad(float degrees) {
    // Most models stand unturned: a zero stays the zero it is (with its sign), without the arithmetic.
    if (degrees == 0.0f) return degrees;
    return F32(ExtendedFromFloat(degrees) * ExtGamePi / ExtHalfTurnDegrees);
}

inline float RadToDeg(float radians) {
    return F32(ExtendedFromFloat(radians) * ExtHalfTurnDegrees / ExtGamePi);
}
