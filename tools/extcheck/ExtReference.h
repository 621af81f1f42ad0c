// What the extended-precision type is checked against, shared by tramolo-extcheck and the tests: the x87
// through `long double` (80-bit on x86 Linux) for the arithmetic and the conversions, MPFR at 64 bits for the
// arc tangent, and random inputs of the kinds the game produces plus the edges of the range.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <gmp.h>
#include <mpfr.h>

#include "exact/Extended.h"

namespace extref {

// The x87 is the reference only where long double is its 80-bit format.
constexpr bool HaveX87 = LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384;

inline long double ToLongDouble(TExtended v) {
    unsigned char bytes[sizeof(long double)] = {};
    const uint16_t signExponent = (uint16_t)(v.Exponent | (v.Negative ? 0x8000 : 0));
    std::memcpy(bytes, &v.Significand, 8);
    std::memcpy(bytes + 8, &signExponent, 2);
    long double r;
    std::memcpy(&r, bytes, sizeof r);
    return r;
}

inline TExtended FromLongDouble(long double v) {
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &v, sizeof v);
    TExtended r;
    uint16_t signExponent;
    std::memcpy(&r.Significand, bytes, 8);
    std::memcpy(&signExponent, bytes + 8, 2);
    r.Exponent = signExponent & 0x7fff;
    r.Negative = (signExponent & 0x8000) != 0;
    return r;
}

inline bool SameBits(TExtended a, TExtended b) {
    return a.Significand == b.Significand && a.Exponent == b.Exponent && a.Negative == b.Negative;
}

// ---- MPFR ----

// v exactly, into an MPFR number of at least 64 bits.
inline void ToMpfr(mpfr_t out, TExtended v) {
    const int sign = v.Negative ? -1 : 1;
    if (v.Exponent == 0x7fff) {
        if (v.Significand == (1ull << 63))
            mpfr_set_inf(out, sign);
        else
            mpfr_set_nan(out);
    } else if (v.Significand == 0) {
        mpfr_set_zero(out, sign);
    } else {
        mpfr_set_uj(out, v.Significand, MPFR_RNDN);
        mpfr_mul_2si(out, out, (v.Exponent == 0 ? 1 : v.Exponent) - 16383 - 63, MPFR_RNDN);
        if (v.Negative) mpfr_neg(out, out, MPFR_RNDN);
    }
}

// An MPFR number already rounded to 64 bits within the x87's range, as the extended type holds it.
inline TExtended FromMpfr(const mpfr_t v) {
    const bool negative = mpfr_signbit(v) != 0;
    if (mpfr_nan_p(v)) return {0xc000000000000000ull, 0x7fff, true};
    if (mpfr_inf_p(v)) return {1ull << 63, 0x7fff, negative};
    if (mpfr_zero_p(v)) return {0, 0, negative};
    mpz_t z;
    mpz_init(z);
    long exponent = mpfr_get_z_2exp(z, v);
    mpz_abs(z, z);
    uint64_t significand = mpz_get_ui(z);
    mpz_clear(z);
    while ((significand >> 63) == 0) {
        significand <<= 1;
        exponent--;
    }
    long biased = exponent + 63 + 16383;
    if (biased <= 0) {
        significand >>= 1 - biased;
        biased = 0;
    }
    return {significand, (uint16_t)biased, negative};
}

// atan2 rounded to 64 bits within the x87's exponent range, subnormals included.
inline TExtended MpfrAtan2(TExtended y, TExtended x) {
    const mpfr_exp_t oldMin = mpfr_get_emin(), oldMax = mpfr_get_emax();
    mpfr_set_emin(-16444);
    mpfr_set_emax(16384);
    mpfr_t a, b, r;
    mpfr_inits2(64, a, b, r, (mpfr_ptr)0);
    ToMpfr(a, y);
    ToMpfr(b, x);
    const int ternary = mpfr_atan2(r, a, b, MPFR_RNDN);
    mpfr_subnormalize(r, ternary, MPFR_RNDN);
    const TExtended result = FromMpfr(r);
    mpfr_clears(a, b, r, (mpfr_ptr)0);
    mpfr_set_emin(oldMin);
    mpfr_set_emax(oldMax);
    return result;
}

// ---- the operations under test ----

enum class TOp { Add, Sub, Mul, Div, Sqrt, ToFloat, ToDouble, Atan2 };
constexpr TOp AllOps[] = {TOp::Add,  TOp::Sub,     TOp::Mul,      TOp::Div,
                          TOp::Sqrt, TOp::ToFloat, TOp::ToDouble, TOp::Atan2};

inline const char* OpName(TOp op) {
    switch (op) {
    case TOp::Add:
        return "add";
    case TOp::Sub:
        return "sub";
    case TOp::Mul:
        return "mul";
    case TOp::Div:
        return "div";
    case TOp::Sqrt:
        return "sqrt";
    case TOp::ToFloat:
        return "tofloat";
    case TOp::ToDouble:
        return "todouble";
    case TOp::Atan2:
        return "atan2";
    }
    return "?";
}

// A conversion's result as a TExtended-shaped record: its bit pattern in Significand.
inline TExtended Bits(uint64_t bits) {
    return {bits, 0, false};
}

inline TExtended Compute(TOp op, TExtended a, TExtended b) {
    switch (op) {
    case TOp::Add:
        return ExtAdd(a, b);
    case TOp::Sub:
        return ExtSub(a, b);
    case TOp::Mul:
        return ExtMul(a, b);
    case TOp::Div:
        return ExtDiv(a, b);
    case TOp::Sqrt:
        return ExtSqrt(a);
    case TOp::ToFloat: {
        uint32_t bits;
        const float f = ExtToFloat(a);
        std::memcpy(&bits, &f, 4);
        return Bits(bits);
    }
    case TOp::ToDouble: {
        uint64_t bits;
        const double d = ExtToDouble(a);
        std::memcpy(&bits, &d, 8);
        return Bits(bits);
    }
    case TOp::Atan2:
        return ExtAtan2(a, b);
    }
    return {};
}

// The x87's answer, or MPFR's for the arc tangent (glibc's atan2l is not correctly rounded).
inline TExtended Reference(TOp op, TExtended a, TExtended b) {
    const volatile long double x = ToLongDouble(a), y = ToLongDouble(b);
    switch (op) {
    case TOp::Add:
        return FromLongDouble(x + y);
    case TOp::Sub:
        return FromLongDouble(x - y);
    case TOp::Mul:
        return FromLongDouble(x * y);
    case TOp::Div:
        return FromLongDouble(x / y);
    case TOp::Sqrt:
        return FromLongDouble(std::sqrt((long double)x));
    case TOp::ToFloat: {
        uint32_t bits;
        const float f = (float)x;
        std::memcpy(&bits, &f, 4);
        return Bits(bits);
    }
    case TOp::ToDouble: {
        uint64_t bits;
        const double d = (double)x;
        std::memcpy(&bits, &d, 8);
        return Bits(bits);
    }
    case TOp::Atan2: // a NaN operand comes back as the x87 passes NaNs on, which MPFR does not model
        return std::isnan(x) || std::isnan(y) ? FromLongDouble(x + y) : MpfrAtan2(a, b);
    }
    return {};
}

// ---- random inputs ----

struct TRandom {
    uint64_t State;
    uint64_t Next() { // splitmix64
        uint64_t z = (State += 0x9e3779b97f4a7c15ull);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
        return z ^ (z >> 31);
    }
    uint64_t Below(uint64_t n) { return Next() % n; }
    double Unit() { return (double)(Next() >> 11) * 0x1p-53; }
    bool Coin() { return (Next() & 1) != 0; }
};

// A magnitude of the game's sizes, 1e-3 to 1e5, spread evenly over the decades, with a random sign.
inline double GameSized(TRandom& r) {
    const double v = 1e-3 * std::exp(r.Unit() * std::log(1e8));
    return r.Coin() ? -v : v;
}

inline TExtended X87(long double v) {
    return FromLongDouble(v);
}

// One operand as the game has them: game-sized floats and doubles, their products and quotients.
inline TExtended GameOperand(TRandom& r) {
    switch (r.Below(4)) {
    case 0:
        return ExtendedFromFloat((float)GameSized(r));
    case 1:
        return ExtendedFromDouble(GameSized(r));
    case 2:
        return X87((long double)(float)GameSized(r) * (long double)(float)GameSized(r));
    default:
        return X87((long double)(float)GameSized(r) / (long double)(float)GameSized(r));
    }
}

// One operand: the game's kinds, random 64-bit significands of moderate size, values near 1 (as in
// sqrt(1 - c^2)), small integers, and anything of the whole range.
inline TExtended RandomOperand(TRandom& r) {
    switch (r.Below(10)) {
    case 0:
    case 1:
    case 2:
    case 3:
        return GameOperand(r);
    case 4:
        return {r.Next() | (1ull << 63), (uint16_t)(16383 - 40 + (int)r.Below(81)), r.Coin()};
    case 5: { // 1 - c^2 for c near 1, or 1 plus or minus a little
        const long double c = 1.0L - std::ldexp((long double)(r.Next() >> 11), -(int)r.Below(64) - 53);
        if (r.Coin()) return X87(1.0L - c * c);
        return X87(r.Coin() ? c : 2.0L - c);
    }
    case 6:
        return ExtendedFromInt((int64_t)r.Below(2001) - 1000);
    case 7: { // the whole range, subnormals and the largest exponents included
        const uint16_t exponent = (uint16_t)r.Below(0x7fff);
        const uint64_t significand = exponent == 0 ? r.Next() >> r.Below(64) : r.Next() | (1ull << 63);
        return {significand, exponent, r.Coin()};
    }
    case 8: { // near either end of the range
        const uint16_t exponent = r.Coin() ? (uint16_t)r.Below(70) : (uint16_t)(0x7ffe - r.Below(70));
        return {exponent == 0 ? r.Next() >> 1 : r.Next() | (1ull << 63), exponent, r.Coin()};
    }
    default: {
        static constexpr TExtended specials[] = {
            {0, 0, false},          {0, 0, true},  {1ull << 63, 0x7fff, false}, {1ull << 63, 0x7fff, true},
            {~0ull, 0x7ffe, false}, {1, 0, false}, {1ull << 63, 1, true},       {(1ull << 63) - 1, 0, false}};
        if (r.Below(4) == 0) return specials[r.Below(8)];
        return ExtendedFromDouble(std::ldexp(r.Unit() + 0.5, (int)r.Below(200) - 100));
    }
    }
}

// A value within a few units of the last place of a rounding boundary of the narrower format of
// `precision` bits: its significand's low bits set to just below, at or just above the half.
inline TExtended NearNarrowBoundary(TRandom& r, int precision) {
    TExtended v = RandomOperand(r);
    if (v.Exponent == 0 || v.Exponent == 0x7fff) return v;
    const int low = 64 - precision;
    const uint64_t half = 1ull << (low - 1), mask = (1ull << low) - 1;
    const uint64_t below = half + (r.Below(5)) - 2 + (r.Coin() ? 0 : half); // near the half or the next value
    v.Significand = (v.Significand & ~mask) | (below & mask);
    // Around the narrow format's subnormal and overflow thresholds too.
    if (r.Below(3) == 0) {
        const int span = precision == 24 ? 153 : 1078;
        const int limit = precision == 24 ? 128 : 1024;
        v.Exponent = (uint16_t)(16383 + (r.Coin() ? limit - 1 - (int)r.Below(3) : -(int)r.Below(span)));
    }
    return v;
}

// An arc tangent's arguments: mostly the game's (sqrt(1 - c^2), c) with c in [-1, 1], then ratios near the
// table's steps k/64 and near 1, and any two operands.
inline void RandomAtan2Pair(TRandom& r, TExtended& y, TExtended& x) {
    switch (r.Below(4)) {
    case 0:
    case 1: {
        long double c;
        switch (r.Below(3)) {
        case 0:
            c = (long double)(float)(2.0 * r.Unit() - 1.0);
            break;
        case 1:
            c = 1.0L - std::ldexp((long double)(r.Next() >> 11), -(int)r.Below(70) - 53);
            break;
        default:
            c = ToLongDouble({r.Next() | (1ull << 63), (uint16_t)(16382 - r.Below(30)), false});
            break;
        }
        if (r.Coin()) c = -c;
        y = X87(std::sqrt(1.0L - c * c));
        x = X87(c);
        return;
    }
    case 2: { // t anywhere in [0, 1] near one of the table's steps k/64, or within a hair of one
        const long double base = ToLongDouble(RandomOperand(r));
        const long double step = (long double)r.Below(65) / 64.0L;
        const int64_t wobble = (int64_t)(r.Next() >> 30) - ((int64_t)1 << 33); // 34 bits, signed
        const long double ratio =
            r.Coin() ? step * (1.0L + std::ldexp((long double)wobble, -(int)r.Below(60) - 38))
                     : step + std::ldexp((long double)wobble, -(int)r.Below(20) - 40);
        const bool swap = r.Coin();
        y = X87(swap ? base : base * std::fabs(ratio));
        x = X87(swap ? base * std::fabs(ratio) : base);
        if (r.Coin()) x.Negative = !x.Negative;
        return;
    }
    default:
        y = RandomOperand(r);
        x = RandomOperand(r);
        return;
    }
}

// Inputs as the game gives them, for timing: game-sized operands, the arc tangent in its (sqrt(1 - c^2), c)
// form.
inline void GameInputs(TOp op, TRandom& r, TExtended& a, TExtended& b) {
    a = GameOperand(r);
    b = GameOperand(r);
    if (op == TOp::Sqrt) a.Negative = false;
    if (op == TOp::Atan2) {
        const long double c = (long double)(float)(2.0 * r.Unit() - 1.0);
        a = X87(std::sqrt(1.0L - c * c));
        b = X87(c);
    }
}

// Two operands for an operation; sums also get nearly cancelling pairs and pairs far apart in exponent.
inline void RandomInputs(TOp op, TRandom& r, TExtended& a, TExtended& b) {
    switch (op) {
    case TOp::Atan2:
        RandomAtan2Pair(r, a, b);
        return;
    case TOp::ToFloat:
        a = NearNarrowBoundary(r, 24);
        b = a;
        if (r.Coin()) a = RandomOperand(r);
        return;
    case TOp::ToDouble:
        a = NearNarrowBoundary(r, 53);
        b = a;
        if (r.Coin()) a = RandomOperand(r);
        return;
    case TOp::Sqrt:
        a = RandomOperand(r);
        if (r.Below(8) != 0) a.Negative = false;
        b = a;
        return;
    default:
        break;
    }
    a = RandomOperand(r);
    b = RandomOperand(r);
    if ((op == TOp::Add || op == TOp::Sub) && a.Exponent != 0 && a.Exponent < 0x7f00 && r.Coin()) {
        b = a;
        if (r.Coin())
            b.Significand ^= r.Next() >> r.Below(64); // cancels down to a few bits
        else
            b.Exponent = (uint16_t)(b.Exponent - r.Below(b.Exponent < 140 ? b.Exponent : 140));
        b.Significand |= 1ull << 63;
        b.Negative = r.Coin();
    }
}

} // namespace extref
