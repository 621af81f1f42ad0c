// exact/: our own portable arithmetic, the floor everything numeric stands on (this header, the extended
// type of Extended.h, the fixed point of the slow paths, the conversions of Numeric.h).
//
// Correctly rounded sin, cos, atan and acos of a double: each returns the exact value rounded to the nearest
// double, ties to even, for every input. They use only IEEE addition, subtraction, multiplication, division
// and square root and integer arithmetic, so they give the same bits on every compiler, C library and
// processor, where the C library's functions differ. They are pure: no state, no allocation.
#pragma once

#include <cstdint>

double ExactSin(double x);
double ExactCos(double x);
double ExactAtan(double x);
double ExactAcos(double x);

// The two paths of each function apart, for the checks that measure how often the slow one runs and test
// it on inputs the fast one would decide.
enum class ExactFunction { Sin, Cos, Atan, Acos };

// True, with the result, when the fast path decides the rounding; false where the function goes on to its
// slow path.
bool ExactFastPath(ExactFunction function, double x, double& result);

// The slow path alone: the same result as the function, at many times the cost.
double ExactSlowPath(ExactFunction function, double x);

// The fast path's approximation hi + lo of the function at x and the bound err it claims for the error,
// its rounding margin included; false where x needs no approximation (zeros, tiny or huge x, ends of the
// domain, NaN). For the tests that check the claimed bounds.
bool ExactFastApproximation(ExactFunction function, double x, double& hi, double& lo, double& err);

// The constants the functions are built on, printed by MPFR; the tests check every entry against it.
namespace exact_math_tables {

// 2/pi = sum of TwoOverPi[j] * 2^(-32(j+1)): enough bits to reduce the largest double to 512 bits.
constexpr int TwoOverPiWords = 56;
extern const uint32_t TwoOverPi[TwoOverPiWords];
// pi/2 = 1 + sum of PiOver2Fraction[j] * 2^(-32(j+1)).
constexpr int PiOver2Words = 18;
extern const uint32_t PiOver2Fraction[PiOver2Words];
// pi/2 as four doubles of at most 32, 32, 32 and 53 bits whose sum is within 2^-157 of it: k * each of
// the first three is exact for |k| < 2^21.
extern const double PiOver2Parts[4];
// pi/2 and pi in double-double: the nearest double and the nearest double to the rest.
extern const double PiOver2[2];
extern const double Pi[2];
// sin(i/1024) and cos(i/1024) in double-double: hi, lo, hi, lo.
constexpr int SinCosRows = 808;
extern const double SinCos[SinCosRows][4];
// atan(i/128) in double-double.
constexpr int AtanRows = 129;
extern const double Atan[AtanRows][2];
// atan(c) in double-double for c = (1 + j 2^-k) 2^e, k = max(0, 8 - e), in order of e = 0..53 and j.
constexpr int AtanLargeRows = 556;
extern const double AtanLarge[AtanLargeRows][2];
// At c = i/256: asin c and the first Taylor coefficient of asin at c, a1 = 1/sqrt(1 - c^2), in
// double-double, then the coefficients a2..a10 in double.
constexpr int AsinTaylorRows = 129;
extern const double AsinTaylor[AsinTaylorRows][13];

} // namespace exact_math_tables
