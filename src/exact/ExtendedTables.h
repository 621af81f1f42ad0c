// The inside of the extended arc tangent, exposed so that the tests can check it against MPFR: the constants
// it is built from, 320 fraction bits each, and the fixed-point approximations it rounds.
#pragma once

#include <cstdint>

#include "exact/Extended.h"

// Limbs of 32 bits, the most significant first: one integer limb, then ten of fraction. Each value is
// rounded to nearest at 2^-320.
constexpr int ExtConstantLimbs = 11;
constexpr int ExtAtanSteps = 64; // rows 0..64 hold atan(k / 64)
constexpr int ExtHalfPiRow = ExtAtanSteps + 1;
constexpr int ExtPiRow = ExtAtanSteps + 2;
extern const uint32_t ExtAtanConstants[ExtPiRow + 1][ExtConstantLimbs];

// The approximation of |atan2(y, x)| the fast path (96 fraction bits) or the slow path (320) rounds: Limbs,
// least significant first, times 2^-Scale lies within ExtAtanErrorUnits of the exact value. False for the
// cases rounded without one (zeros, infinities, NaN, tiny results).
constexpr uint32_t ExtAtanErrorUnits = 8;
struct TExtAtanApproximation {
    uint32_t Limbs[ExtConstantLimbs];
    int32_t Scale;
};
bool ExtAtan2Approximate(TExtended y, TExtended x, bool slow, TExtAtanApproximation& approximation);
