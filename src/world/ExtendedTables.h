// The constants the extended arc tangent is built from, 320 fraction bits each, exposed so that the tests
// can check every one of them against MPFR.
#pragma once

#include <cstdint>

// Limbs of 32 bits, the most significant first: one integer limb, then ten of fraction. Each value is
// rounded to nearest at 2^-320.
constexpr int ExtConstantLimbs = 11;
constexpr int ExtAtanSteps = 64; // rows 0..64 hold atan(k / 64)
constexpr int ExtHalfPiRow = ExtAtanSteps + 1;
constexpr int ExtPiRow = ExtAtanSteps + 2;
extern const uint32_t ExtAtanConstants[ExtPiRow + 1][ExtConstantLimbs];
