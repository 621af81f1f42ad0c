// The x87's extended precision in integer arithmetic: every operation works on the exact result (or on
// enough of it, with a sticky bit for the rest) and rounds it once, as the x87 with precision control at
// 64 bits does; the arc tangent is correctly rounded by a two-step evaluation in multi-limb fixed point.
#include "exact/Extended.h"

#include "exact/Bits.h"
#include "exact/ExtendedTables.h"
#include "exact/FixedPoint.h"

#include <array>
#include <bit>

namespace {

constexpr uint64_t TopBit = 1ull << 63;
constexpr uint64_t QuietBit = 1ull << 62;
constexpr uint64_t Low32 = 0xffffffffull;
constexpr int32_t Bias = ExtExponentBias;

// ---- 128-bit helpers ----

struct TU128 {
    uint64_t Hi, Lo;
};

// The full product of two 64-bit numbers from four 32-bit products.
TU128 Mul64(uint64_t a, uint64_t b) {
    const uint64_t a0 = a & Low32, a1 = a >> 32, b0 = b & Low32, b1 = b >> 32;
    const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const uint64_t mid = (p00 >> 32) + (p01 & Low32) + (p10 & Low32);
    return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & Low32)};
}

// (hi:lo) / d for d >= 2^63 and hi < d: two quotient digits of 32 bits, each estimated from the top digits
// and corrected (long division in base 2^32, Knuth's algorithm D for a two-digit divisor).
uint64_t Div128(uint64_t hi, uint64_t lo, uint64_t d, uint64_t& remainder) {
    const uint64_t dHi = d >> 32, dLo = d & Low32;
    const uint64_t lo1 = lo >> 32, lo0 = lo & Low32;
    uint64_t q1 = hi / dHi, r1 = hi - q1 * dHi;
    while (q1 > Low32 || q1 * dLo > ((r1 << 32) | lo1)) {
        q1--;
        r1 += dHi;
        if (r1 > Low32) break;
    }
    // The partial remainder is below d, so the wrapped 64-bit arithmetic gives it exactly.
    const uint64_t mid = ((hi << 32) | lo1) - q1 * d;
    uint64_t q0 = mid / dHi, r0 = mid - q0 * dHi;
    while (q0 > Low32 || q0 * dLo > ((r0 << 32) | lo0)) {
        q0--;
        r0 += dHi;
        if (r0 > Low32) break;
    }
    remainder = ((mid << 32) | lo0) - q0 * d;
    return (q1 << 32) | q0;
}

// Shifts (hi:lo) right by any count, ORing the bits that leave into sticky.
void ShiftRightJam(uint64_t& hi, uint64_t& lo, bool& sticky, int32_t count) {
    if (count <= 0) return;
    if (count >= 128) {
        sticky = sticky || (hi | lo) != 0;
        hi = lo = 0;
        return;
    }
    if (count >= 64) {
        sticky = sticky || lo != 0;
        lo = hi;
        hi = 0;
        count -= 64;
        if (count == 0) return;
    }
    sticky = sticky || (lo << (64 - count)) != 0;
    lo = (lo >> count) | (hi << (64 - count));
    hi >>= count;
}

// ---- packing and unpacking ----

TExtended Infinity(bool negative) {
    return {TopBit, ExtExponentSpecial, negative};
}

// The x87's "real indefinite": the NaN of an invalid operation.
TExtended DefaultNaN() {
    return {TopBit | QuietBit, ExtExponentSpecial, true};
}

// Rounds (hi:lo) * 2^(exponent - 127), sticky standing for nonzero bits below lo, to 64 bits, ties to even:
// below the normal range on the subnormal grid, beyond the largest finite value to infinity.
TExtended RoundPack(bool negative, int32_t exponent, uint64_t hi, uint64_t lo, bool sticky) {
    if (hi == 0) {
        if (lo == 0) return {0, 0, negative};
        hi = lo;
        lo = 0;
        exponent -= 64;
    }
    const int shift = std::countl_zero(hi);
    if (shift > 0) {
        hi = (hi << shift) | (lo >> (64 - shift));
        lo <<= shift;
        exponent -= shift;
    }
    int32_t biased = exponent + Bias;
    if (biased <= 0) {
        ShiftRightJam(hi, lo, sticky, 1 - biased);
        biased = 0;
    }
    const bool half = (lo >> 63) != 0, rest = (lo << 1) != 0 || sticky;
    if (half && (rest || (hi & 1) != 0)) {
        hi++;
        if (hi == 0) { // carried into the next binade
            hi = TopBit;
            biased++;
        } else if (biased == 0 && (hi & TopBit) != 0) { // a subnormal rounded up to the smallest normal
            biased = 1;
        }
    }
    if (biased >= ExtExponentSpecial) return Infinity(negative);
    return {hi, (uint16_t)biased, negative};
}

enum class TClass { Zero, Finite, Infinity, NaN, Unsupported };

// A value taken apart; a finite one as Significand * 2^(Exponent - 63) with bit 63 of Significand set,
// subnormals normalised.
struct TParts {
    TClass Class;
    bool Negative;
    uint64_t Significand;
    int32_t Exponent;
};

TParts Unpack(TExtended a) {
    TParts p{TClass::Finite, a.Negative, a.Significand, 0};
    if (a.Exponent > ExtExponentSpecial) {
        p.Class = TClass::Unsupported;
    } else if (a.Exponent == ExtExponentSpecial) {
        if ((a.Significand & TopBit) == 0)
            p.Class = TClass::Unsupported;
        else
            p.Class = a.Significand == TopBit ? TClass::Infinity : TClass::NaN;
    } else if (a.Exponent == 0) {
        if (a.Significand == 0) {
            p.Class = TClass::Zero;
        } else {
            const int shift = std::countl_zero(a.Significand);
            p.Significand = a.Significand << shift;
            p.Exponent = 1 - Bias - shift;
        }
    } else if ((a.Significand & TopBit) == 0) {
        p.Class = TClass::Unsupported;
    } else {
        p.Exponent = a.Exponent - Bias;
    }
    return p;
}

bool IsNaNLike(const TParts& p) {
    return p.Class == TClass::NaN || p.Class == TClass::Unsupported;
}

TExtended Quiet(TExtended a) {
    a.Significand |= QuietBit;
    return a;
}

// The NaN an operation with a NaN operand gives, by the x87's rules: a refused operand gives the default
// NaN; of two NaNs the quiet one, else the one with the larger significand (positive when they tie).
TExtended PropagateNaN(TExtended a, const TParts& pa, TExtended b, const TParts& pb) {
    if (pa.Class == TClass::Unsupported || pb.Class == TClass::Unsupported) return DefaultNaN();
    if (pa.Class != TClass::NaN) return Quiet(b);
    if (pb.Class != TClass::NaN) return Quiet(a);
    const bool quietA = (a.Significand & QuietBit) != 0, quietB = (b.Significand & QuietBit) != 0;
    if (quietA != quietB) return Quiet(quietA ? a : b);
    if (a.Significand != b.Significand) return Quiet(a.Significand > b.Significand ? a : b);
    a.Negative = a.Negative && b.Negative;
    return Quiet(a);
}

// A normalised finite value well inside the range, packed without rounding.
TExtended PackExact(bool negative, uint64_t significand, int32_t exponent) {
    return {significand, (uint16_t)(exponent + Bias), negative};
}

// ---- arithmetic ----

TExtended AddParts(TParts a, TParts b) {
    if (a.Exponent < b.Exponent || (a.Exponent == b.Exponent && a.Significand < b.Significand)) {
        const TParts t = a;
        a = b;
        b = t;
    }
    // Align the smaller: up to 64 places it fits exactly below; beyond that what leaves is jammed into the
    // lowest bit, more than 60 places under where the result rounds even after a one-bit normalisation.
    uint64_t bHi = b.Significand, bLo = 0;
    bool sticky = false;
    ShiftRightJam(bHi, bLo, sticky, a.Exponent - b.Exponent);
    bLo |= sticky ? 1 : 0;
    if (a.Negative == b.Negative) {
        uint64_t hi = a.Significand + bHi, lo = bLo;
        int32_t exponent = a.Exponent;
        if (hi < bHi) { // the sum carried out: one more bit, the one that leaves jammed
            lo = (lo >> 1) | (hi << 63) | (lo & 1);
            hi = (hi >> 1) | TopBit;
            exponent++;
        }
        return RoundPack(a.Negative, exponent, hi, lo, false);
    }
    const uint64_t lo = 0 - bLo, hi = a.Significand - bHi - (bLo != 0 ? 1 : 0);
    if (hi == 0 && lo == 0) return {0, 0, false}; // exact cancellation gives +0 when rounding to nearest
    return RoundPack(a.Negative, a.Exponent, hi, lo, false);
}

TExtended AddSigned(TExtended a, TExtended b, bool negateB) {
    TParts pa = Unpack(a), pb = Unpack(b);
    if (IsNaNLike(pa) || IsNaNLike(pb)) return PropagateNaN(a, pa, b, pb);
    pb.Negative = pb.Negative != negateB;
    if (pa.Class == TClass::Infinity || pb.Class == TClass::Infinity) {
        if (pa.Class == TClass::Infinity && pb.Class == TClass::Infinity && pa.Negative != pb.Negative)
            return DefaultNaN();
        return Infinity(pa.Class == TClass::Infinity ? pa.Negative : pb.Negative);
    }
    if (pa.Class == TClass::Zero && pb.Class == TClass::Zero) return {0, 0, pa.Negative && pb.Negative};
    if (pa.Class == TClass::Zero) return RoundPack(pb.Negative, pb.Exponent, pb.Significand, 0, false);
    if (pb.Class == TClass::Zero) return RoundPack(pa.Negative, pa.Exponent, pa.Significand, 0, false);
    return AddParts(pa, pb);
}

// The quotient of two normalised significands: its 64 bits, below them the half bit and a sticky bit, and
// whether it is exact. Its leading bit weighs 2^Exponent.
struct TQuotient {
    uint64_t Hi, Lo;
    int32_t Exponent;
    bool Exact;
};

TQuotient DivideSignificands(uint64_t a, uint64_t b) {
    // a >= b gives a quotient in [1, 2): divide a * 2^63; otherwise a * 2^64. Either way 64 bits.
    const bool atLeast = a >= b;
    uint64_t remainder = 0;
    const uint64_t q = atLeast ? Div128(a >> 1, a << 63, b, remainder) : Div128(a, 0, b, remainder);
    // The remainder against b / 2 gives the half bit; a tie cannot occur, but costs nothing to honour.
    uint64_t lo = 0;
    if (remainder != 0) {
        const uint64_t other = b - remainder;
        lo = remainder > other ? (TopBit | 1) : remainder == other ? TopBit : 1;
    }
    return {q, lo, atLeast ? 0 : -1, remainder == 0};
}

// floor(sqrt(n)) and n - floor(sqrt(n))^2 for n in [2^62, 2^64): Newton's iteration from above, started
// from a table of the square roots at the 96 steps of the top seven bits.
constexpr std::array<uint64_t, 96> MakeSqrtStarts() {
    std::array<uint64_t, 96> starts{};
    for (uint64_t index = 32; index < 128; index++) {
        // The largest n with these top bits (for the last step 2^64 - 1, through the wrap), and its root.
        const uint64_t limit = ((index + 1) << 57) - 1;
        uint64_t root = 0;
        for (int bit = 31; bit >= 0; bit--) {
            const uint64_t trial = root | (1ull << bit);
            if (trial * trial <= limit) root = trial;
        }
        starts[index - 32] = root + 1; // above sqrt(limit) >= sqrt(n)
    }
    return starts;
}
constexpr std::array<uint64_t, 96> SqrtStarts = MakeSqrtStarts();

uint64_t SqrtRem64(uint64_t n, uint64_t& remainder) {
    uint64_t x = SqrtStarts[(n >> 57) - 32];
    // Starting 1.6 % above the root, three steps bring it within one of floor(sqrt(n)), never below it.
    for (int step = 0; step < 3; step++)
        x = (x + n / x) >> 1;
    while (x > Low32 || x * x > n)
        x--;
    remainder = n - x * x;
    return x;
}

// floor(sqrt(hi:lo)) for hi in [2^62, 2^64) and the remainder, by one step of the Karatsuba square root:
// the root of the top 64 bits, then the next 32 bits of root from one division by twice that root, then
// at most one correction.
uint64_t SqrtRem128(uint64_t hi, uint64_t lo, TU128& remainder) {
    uint64_t r1 = 0;
    const uint64_t s1 = SqrtRem64(hi, r1); // r1 <= 2 s1 < 2^33
    const uint64_t a1 = lo >> 32, a0 = lo & Low32;
    // q = floor((r1 2^32 + a1) / (2 s1)), computed as floor((r1 2^31 + floor(a1 / 2)) / s1) to stay in 64
    // bits.
    uint64_t q = ((r1 << 31) + (a1 >> 1)) / s1;
    uint64_t u = (r1 << 32) + a1 - q * (s1 << 1); // below 2 s1: the wrapped arithmetic is exact
    if (q > Low32) {                              // q can reach 2^32; the root's low half cannot
        q = Low32;
        u += s1 << 1;
    }
    uint64_t root = (s1 << 32) + q;
    // remainder = u 2^32 + a0 - q^2, as a signed 128-bit number.
    uint64_t rHi = u >> 32, rLo = (u << 32) | a0;
    const uint64_t qq = q * q;
    rHi -= rLo < qq ? 1 : 0;
    rLo -= qq;
    if ((rHi >> 63) != 0) { // one too large: with root - 1, the remainder grows by 2 (root - 1) + 1
        root--;
        const uint64_t twiceLo = (root << 1) | 1, twiceHi = root >> 63;
        rLo += twiceLo;
        rHi += twiceHi + (rLo < twiceLo ? 1 : 0);
    }
    remainder = {rHi, rLo};
    return root;
}

// ---- narrowing ----

// Rounds to the IEEE binary format of `precision` significand bits and `exponentBits`, ties to even, and
// gives its bit pattern.
uint64_t RoundToBinary(TExtended a, int precision, int exponentBits) {
    const TParts p = Unpack(a);
    const int32_t bias = (1 << (exponentBits - 1)) - 1;
    const uint64_t signBit = (p.Negative ? 1ull : 0) << (precision - 1 + exponentBits);
    const uint64_t infinity = (uint64_t)((1 << exponentBits) - 1) << (precision - 1);
    const uint64_t quiet = 1ull << (precision - 2), fraction = (1ull << (precision - 1)) - 1;
    switch (p.Class) {
    case TClass::Zero:
        return signBit;
    case TClass::Infinity:
        return signBit | infinity;
    case TClass::NaN:
        return signBit | infinity | quiet | ((a.Significand >> (64 - precision)) & fraction);
    case TClass::Unsupported:
        return (1ull << (precision - 1 + exponentBits)) | infinity | quiet;
    case TClass::Finite:
        break;
    }
    if (p.Exponent > bias) return signBit | infinity;
    // Normal: the leading bit lands on the field's lowest exponent bit and carries on from there.
    // Subnormal: further right by the distance below the smallest normal exponent.
    const int32_t minExponent = 1 - bias;
    const bool normal = p.Exponent >= minExponent;
    const int32_t shift = 64 - precision + (normal ? 0 : minExponent - p.Exponent);
    const uint64_t base = normal ? (uint64_t)(p.Exponent + bias - 1) << (precision - 1) : 0;
    if (shift > 64) return signBit; // below half the smallest subnormal
    const uint64_t kept = shift == 64 ? 0 : p.Significand >> shift;
    const bool half = ((p.Significand >> (shift - 1)) & 1) != 0;
    const bool rest = (p.Significand & ((1ull << (shift - 1)) - 1)) != 0;
    const uint64_t up = half && (rest || (kept & 1) != 0) ? 1 : 0;
    return signBit | (base + kept + up);
}

// ---- comparison ----

enum class TOrder { Less, Equal, Greater, Unordered };

TOrder Compare(TExtended a, TExtended b) {
    const TParts pa = Unpack(a), pb = Unpack(b);
    if (IsNaNLike(pa) || IsNaNLike(pb)) return TOrder::Unordered;
    const bool zeroA = pa.Class == TClass::Zero, zeroB = pb.Class == TClass::Zero;
    if (zeroA && zeroB) return TOrder::Equal;
    const bool negA = pa.Negative && !zeroA, negB = pb.Negative && !zeroB;
    if (negA != negB || zeroA || zeroB) {
        if (negA != negB) return negA ? TOrder::Less : TOrder::Greater;
        // Same side, one of them zero: the zero is nearer to zero.
        return zeroA == negB ? TOrder::Greater : TOrder::Less;
    }
    // Same sign, both nonzero: order the magnitudes, infinity above every finite value.
    auto rank = [](const TParts& p) { return p.Class == TClass::Infinity ? 1 : 0; };
    TOrder magnitude = TOrder::Equal;
    if (rank(pa) != rank(pb))
        magnitude = rank(pa) < rank(pb) ? TOrder::Less : TOrder::Greater;
    else if (rank(pa) == 1)
        magnitude = TOrder::Equal;
    else if (pa.Exponent != pb.Exponent)
        magnitude = pa.Exponent < pb.Exponent ? TOrder::Less : TOrder::Greater;
    else if (pa.Significand != pb.Significand)
        magnitude = pa.Significand < pb.Significand ? TOrder::Less : TOrder::Greater;
    if (!negA || magnitude == TOrder::Equal) return magnitude;
    return magnitude == TOrder::Less ? TOrder::Greater : TOrder::Less;
}

} // namespace

TExtended ExtendedFromFloat(float v) {
    const uint32_t bits = BitCast<uint32_t>(v);
    const bool negative = (bits >> 31) != 0;
    const uint32_t exponent = (bits >> 23) & 0xff, fraction = bits & 0x7fffff;
    if (exponent == 0xff) {
        if (fraction == 0) return Infinity(negative);
        return {TopBit | QuietBit | ((uint64_t)fraction << 40), ExtExponentSpecial, negative};
    }
    if (exponent == 0) {
        if (fraction == 0) return {0, 0, negative};
        const int shift = std::countl_zero((uint64_t)fraction);
        return PackExact(negative, (uint64_t)fraction << shift, -149 + 63 - shift);
    }
    return PackExact(negative, TopBit | ((uint64_t)fraction << 40), (int32_t)exponent - 127);
}

TExtended ExtendedFromDouble(double v) {
    const uint64_t bits = BitCast<uint64_t>(v);
    const bool negative = (bits >> 63) != 0;
    const uint32_t exponent = (uint32_t)(bits >> 52) & 0x7ff;
    const uint64_t fraction = bits & ((1ull << 52) - 1);
    if (exponent == 0x7ff) {
        if (fraction == 0) return Infinity(negative);
        return {TopBit | QuietBit | (fraction << 11), ExtExponentSpecial, negative};
    }
    if (exponent == 0) {
        if (fraction == 0) return {0, 0, negative};
        const int shift = std::countl_zero(fraction);
        return PackExact(negative, fraction << shift, -1074 + 63 - shift);
    }
    return PackExact(negative, TopBit | (fraction << 11), (int32_t)exponent - 1023);
}

TExtended ExtendedFromInt(int64_t v) {
    if (v == 0) return {0, 0, false};
    const uint64_t magnitude = v < 0 ? 0 - (uint64_t)v : (uint64_t)v;
    const int shift = std::countl_zero(magnitude);
    return PackExact(v < 0, magnitude << shift, 63 - shift);
}

TExtended ExtAdd(TExtended a, TExtended b) {
    return AddSigned(a, b, false);
}

TExtended ExtSub(TExtended a, TExtended b) {
    return AddSigned(a, b, true);
}

TExtended ExtMul(TExtended a, TExtended b) {
    const TParts pa = Unpack(a), pb = Unpack(b);
    if (IsNaNLike(pa) || IsNaNLike(pb)) return PropagateNaN(a, pa, b, pb);
    const bool negative = pa.Negative != pb.Negative;
    if (pa.Class == TClass::Infinity || pb.Class == TClass::Infinity) {
        if (pa.Class == TClass::Zero || pb.Class == TClass::Zero) return DefaultNaN();
        return Infinity(negative);
    }
    if (pa.Class == TClass::Zero || pb.Class == TClass::Zero) return {0, 0, negative};
    // The 128-bit product is exact; its leading bit weighs 2^(ea + eb + 1) or half that.
    const TU128 product = Mul64(pa.Significand, pb.Significand);
    return RoundPack(negative, pa.Exponent + pb.Exponent + 1, product.Hi, product.Lo, false);
}

TExtended ExtDiv(TExtended a, TExtended b) {
    const TParts pa = Unpack(a), pb = Unpack(b);
    if (IsNaNLike(pa) || IsNaNLike(pb)) return PropagateNaN(a, pa, b, pb);
    const bool negative = pa.Negative != pb.Negative;
    if (pa.Class == TClass::Infinity) return pb.Class == TClass::Infinity ? DefaultNaN() : Infinity(negative);
    if (pb.Class == TClass::Infinity) return {0, 0, negative};
    if (pb.Class == TClass::Zero) return pa.Class == TClass::Zero ? DefaultNaN() : Infinity(negative);
    if (pa.Class == TClass::Zero) return {0, 0, negative};
    const TQuotient q = DivideSignificands(pa.Significand, pb.Significand);
    return RoundPack(negative, pa.Exponent - pb.Exponent + q.Exponent, q.Hi, q.Lo, false);
}

TExtended ExtSqrt(TExtended a) {
    const TParts p = Unpack(a);
    if (IsNaNLike(p)) return PropagateNaN(a, p, a, p);
    if (p.Class == TClass::Zero) return a;
    if (p.Negative) return DefaultNaN();
    if (p.Class == TClass::Infinity) return a;
    // value = n * 2^(e - 63 - s) with n = m * 2^s; s in {63, 64} makes the power even and n lie in
    // [2^126, 2^128), so its integer root has exactly 64 bits.
    const int32_t s = (p.Exponent & 1) != 0 ? 64 : 63;
    const uint64_t hi = s == 64 ? p.Significand : p.Significand >> 1;
    const uint64_t lo = s == 64 ? 0 : p.Significand << 63;
    TU128 remainder{};
    const uint64_t root = SqrtRem128(hi, lo, remainder);
    // The exact root is root + f with f < 1/2 exactly when the remainder is at most root (f = 1/2 would
    // make the root rational and not an integer).
    uint64_t below = 0;
    if (remainder.Hi != 0 || remainder.Lo != 0)
        below = remainder.Hi != 0 || remainder.Lo > root ? (TopBit | 1) : 1;
    return RoundPack(false, 63 + (p.Exponent - 63 - s) / 2, root, below, false);
}

TExtended ExtNeg(TExtended a) {
    a.Negative = !a.Negative;
    return a;
}

bool ExtIsNaN(TExtended a) {
    return IsNaNLike(Unpack(a));
}

bool ExtEqual(TExtended a, TExtended b) {
    return Compare(a, b) == TOrder::Equal;
}

bool ExtLess(TExtended a, TExtended b) {
    return Compare(a, b) == TOrder::Less;
}

bool ExtLessEqual(TExtended a, TExtended b) {
    const TOrder order = Compare(a, b);
    return order == TOrder::Less || order == TOrder::Equal;
}

double ExtToDouble(TExtended a) {
    return BitCast<double>(RoundToBinary(a, 53, 11));
}

float ExtToFloat(TExtended a) {
    return BitCast<float>((uint32_t)RoundToBinary(a, 24, 8));
}

float ExtToFloatSaturated(TExtended a) {
    if (ExtIsNaN(a)) return 0.0f;
    const uint32_t bits = (uint32_t)RoundToBinary(a, 24, 8);
    // Infinity, from an infinite value or by rounding past the largest float, becomes +-FLT_MAX.
    if ((bits & 0x7fffffffu) == 0x7f800000u) return BitCast<float>(bits - 1);
    return BitCast<float>(bits);
}

// ---- the arc tangent ----
//
// atan2 reduces to A = atan(t) for t = min(|y|, |x|) / max(|y|, |x|) in (0, 1]; the result is A, pi/2 - A,
// pi/2 + A or pi - A by octant, signed as y. With c = k/64 the nearest step to t (k = 0 for t < 1/128),
//     atan(t) = atan(c) + atan(r),  r = (t - c) / (1 + t c) = (64 Y - k X) / (64 X + k Y),  |r| <= 2^-7
// for Y / X = t, so r comes from one division of exact integers; atan(r) = r g(r^2) with the series
// g(z) = 1 - z/3 + z^2/5 - ... evaluated by Horner's rule. Everything is fixed point with F = 32 (L - 1)
// fraction bits, values truncated, and in units u = 2^-F the errors add up to less than 8 u:
//   r (the quotient, truncated): < 1 u;   z = r^2: < 1.02 u;
//   g(z): each Horner step adds < 1 u for its constant 1/(2j+1) and < 1 u for its product, the error of the
//     step before enters times z < 2^-13 and that of z times 1/3: < 2.4 u; the series' tail is below 0.01 u
//     since z^n < 2^-13n <= 2^-(F+8);
//   P = r g: < 1 u + |r| 2.4 u + 1 u < 2.03 u;   atan(c) from the table, truncated: < 1 u;
//   pi/2 or pi, truncated: < 1 u.  Total < 4.1 u.
// For k = 0 the value is kept scaled by 2^d (t = q 2^-d, q the significands' quotient in [1/2, 2)) so that a
// small result keeps its relative precision: P = q g(q^2 2^-2d) has < 1 u + 2 (2.36 u) + 1 u < 6.8 u, and for
// the other octants P 2^-d adds < 1.1 u. The approximation v is then within 8 u of the exact value; if v - 8u
// and v + 8u round to the same 64 bits, so does the exact value, which lies between them (rounding is
// monotonic). The fast path runs this with F = 96: a result is undecided only when it lies within 2^-22 units
// in the last place of a rounding midpoint (2^-28 for results near 1), a few calls in a billion for
// inputs without structure. Small ratios of short significands, as the game's (sqrt(1 - c^2), c) gives for
// nearly parallel directions, are another matter: t and t^3/3 then have few bits each and atan(t) = t - t^3/3
// + ... often lies nearer a midpoint than 2^-22 ulp (its next term, t^5/5, decides); about 1 in 10^4 of
// tramolo-extcheck's random inputs take the slow path so. The slow path runs it again with F = 320.
//
// Why the slow path suffices: the exact result is never a midpoint, since atan(t) for a nonzero rational t is
// transcendental (Lindemann), and so are pi/2 +- atan(t) and pi - atan(t), while midpoints are rational. How
// near one it can come is not proven for every pair of inputs, but counting says: each exponent difference
// (70 of them before the tiny case below) and octant gives at most 2^128 significand pairs, each
// landing within delta units in the last place of a midpoint with probability 2 delta, so the nearest of all
// is expected around 2^-140 ulp. The slow path decides everything farther than 2^-245 ulp, a margin of over
// 100 bits. Hard pairs built from continued fractions of tan(midpoint), which come within about 2^-65 ulp,
// are in the tests. Should the slow path still not decide, it gives the rounding of its 320-bit value and
// says so.
//
// Tiny results (first octant, t < 2^-69) are decided exactly: atan(t) = t - e with 0 < e < t^3/3, and e is
// smaller than the distance of t = Y/X from any rounding boundary unless t lies on one; so the result is the
// rounding of t, or of "t less a hair" when the division is exact.

namespace {

// The approximations are in the fixed point of FixedPoint.h: Fixed<L>, L limbs of 32 bits with
// F = FractionBits<L> = 32 (L - 1) of them below the point.
using namespace fixed_point;

// Series terms so that z^n < 2^-13n stays below 2^-(F+8).
template <int L> constexpr int SeriesTerms = (FractionBits<L> + 8 + 12) / 13;

constexpr int FastLimbs = 4;  // 96 fraction bits
constexpr int SlowLimbs = 11; // 320 fraction bits
constexpr int32_t TinyExponentGap = 70;

// floor(2^F / (2j + 1)) for each series term, worked out by the compiler.
template <int L> constexpr std::array<Fixed<L>, SeriesTerms<L>> MakeInverseOdds() {
    std::array<Fixed<L>, SeriesTerms<L>> table{};
    for (int j = 0; j < SeriesTerms<L>; j++)
        table[j] = DivSmall(Integer<L>(1), 2 * (uint32_t)j + 1);
    return table;
}
template <int L> constexpr std::array<Fixed<L>, SeriesTerms<L>> InverseOdds = MakeInverseOdds<L>();

// The top L limbs of a 320-bit constant: its truncation to F fraction bits.
template <int L> Fixed<L> Constant(int row) {
    Fixed<L> f{};
    for (int i = 0; i < L; i++)
        f.Limb[L - 1 - i] = ExtAtanConstants[row][i];
    return f;
}

// floor(num * 2^F / den) for num and den of up to three limbs (den at least two, its top one nonzero), the
// quotient below 2^(32L): long division in base 2^32, Knuth's algorithm D.
template <int L> Fixed<L> Divide(const uint32_t (&num)[3], const uint32_t (&den)[3]) {
    const int n = den[2] != 0 ? 3 : 2;
    constexpr int Top =
        L + 2; // the dividend has L + 2 limbs, L - 1 of them zero, and one more on normalising
    // Normalise so that the divisor's top limb has its top bit set; shift the dividend with it.
    const int s = std::countl_zero(den[n - 1]);
    auto shifted = [s](uint32_t high, uint32_t low) {
        return (uint32_t)((((uint64_t)high << 32 | low) << s) >> 32);
    };
    uint32_t v[3] = {};
    for (int i = n - 1; i > 0; i--)
        v[i] = shifted(den[i], den[i - 1]);
    v[0] = den[0] << s;
    uint32_t u[Top + 1] = {};
    u[Top] = shifted(0, num[2]);
    u[L + 1] = shifted(num[2], num[1]);
    u[L] = shifted(num[1], num[0]);
    u[L - 1] = num[0] << s;
    Fixed<L> q{};
    for (int j = Top - n; j >= 0; j--) {
        // Estimate the digit from the top two limbs, correct it with the third, then subtract q * v.
        const uint64_t top = ((uint64_t)u[j + n] << 32) | u[j + n - 1];
        uint64_t qHat = top / v[n - 1], rHat = top % v[n - 1];
        while (qHat > Low32 || qHat * v[n - 2] > ((rHat << 32) | u[j + n - 2])) {
            qHat--;
            rHat += v[n - 1];
            if (rHat > Low32) break;
        }
        uint64_t carry = 0, borrow = 0;
        for (int i = 0; i < n; i++) {
            const uint64_t p = qHat * v[i] + carry;
            carry = p >> 32;
            const uint64_t t = (uint64_t)u[i + j] - (p & Low32) - borrow;
            u[i + j] = (uint32_t)t;
            borrow = t >> 63;
        }
        const uint64_t t = (uint64_t)u[j + n] - carry - borrow;
        u[j + n] = (uint32_t)t;
        if ((t >> 63) != 0) { // one too many: add the divisor back
            qHat--;
            uint64_t c = 0;
            for (int i = 0; i < n; i++) {
                const uint64_t sum = (uint64_t)u[i + j] + v[i] + c;
                u[i + j] = (uint32_t)sum;
                c = sum >> 32;
            }
            u[j + n] += (uint32_t)c;
        }
        if (j < L) q.Limb[j] = (uint32_t)qHat;
    }
    return q;
}

// g(z) = sum (-z)^j / (2j + 1) by Horner's rule; z < 2^-13 keeps every partial sum positive.
template <int L> Fixed<L> Series(const Fixed<L>& z) {
    const auto& c = InverseOdds<L>;
    Fixed<L> h = c[SeriesTerms<L> - 1];
    for (int j = SeriesTerms<L> - 2; j >= 0; j--)
        h = Sub(c[j], Mul(z, h));
    return h;
}

// The limbs of a 128-bit number.
void ToLimbs(TU128 v, uint32_t (&limbs)[3]) {
    limbs[0] = (uint32_t)v.Lo;
    limbs[1] = (uint32_t)(v.Lo >> 32);
    limbs[2] = (uint32_t)v.Hi;
}

// v * 2^-scale rounded to 64 bits, signed; v nonzero.
template <int L> TExtended RoundFix(const Fixed<L>& v, int32_t scale, bool negative) {
    const int32_t leading = HighestBit(v);
    const int32_t low = leading - 127; // the 128 bits [low, leading] go to RoundPack, the rest is sticky
    const uint64_t hi = ((uint64_t)BitsAt(v, low + 96) << 32) | BitsAt(v, low + 64);
    const uint64_t lo = ((uint64_t)BitsAt(v, low + 32) << 32) | BitsAt(v, low);
    bool sticky = false;
    for (int32_t i = 0; i < L && 32 * i < low; i++) {
        const uint32_t limb = v.Limb[i];
        sticky = sticky || (32 * (i + 1) <= low ? limb : limb & ((1u << (low - 32 * i)) - 1)) != 0;
    }
    return RoundPack(negative, leading - scale, hi, lo, sticky);
}

bool SameBits(TExtended a, TExtended b) {
    return a.Significand == b.Significand && a.Exponent == b.Exponent && a.Negative == b.Negative;
}

// The reduced problem: t = (Y / X) 2^-Gap with normalised 64-bit Y <= X 2^Gap, the step k, and the octant.
struct TAtanInput {
    bool Negative; // the result's sign, y's
    uint64_t Y, X;
    int32_t Gap;
    int K;
    bool Swapped;   // |y| > |x|: t = |x| / |y|
    bool XNegative; // x < 0
};

// An approximation of |atan2| as v * 2^-Scale, within ExtAtanErrorUnits units of its last place.
template <int L> struct TApproximation {
    Fixed<L> Value;
    int32_t Scale;
};

template <int L> TApproximation<L> Approximate(const TAtanInput& in) {
    constexpr int32_t F = FractionBits<L>;
    const bool firstOctant = !in.Swapped && !in.XNegative;
    Fixed<L> a{}; // atan(t)
    if (in.K == 0) {
        if (in.Gap < F + 4) { // else t < 2^-(F+3) and a = 0 is within a unit
            const uint32_t y[3] = {(uint32_t)in.Y, (uint32_t)(in.Y >> 32), 0};
            const uint32_t x[3] = {(uint32_t)in.X, (uint32_t)(in.X >> 32), 0};
            const Fixed<L> q = Divide<L>(y, x);
            const Fixed<L> p = Mul(q, Series(ShiftRight(Mul(q, q), 2 * in.Gap)));
            if (firstOctant) return {p, F + in.Gap};
            a = ShiftRight(p, in.Gap);
        }
    } else {
        // r = (64 Y - k X 2^d) / (64 X 2^d + k Y): numerator below 2^78, denominator below 2^79.
        const uint64_t k = (uint64_t)in.K;
        const TU128 y64{in.Y >> 58, in.Y << 6}, kx = Mul64(k << in.Gap, in.X);
        const bool negative = y64.Hi < kx.Hi || (y64.Hi == kx.Hi && y64.Lo < kx.Lo);
        const TU128& big = negative ? kx : y64;
        const TU128& small = negative ? y64 : kx;
        const TU128 numerator{big.Hi - small.Hi - (big.Lo < small.Lo ? 1 : 0), big.Lo - small.Lo};
        const TU128 x64 = Mul64(64ull << in.Gap, in.X), ky = Mul64(k, in.Y);
        const uint64_t denominatorLo = x64.Lo + ky.Lo;
        const TU128 denominator{x64.Hi + ky.Hi + (denominatorLo < ky.Lo ? 1 : 0), denominatorLo};
        uint32_t num[3], den[3];
        ToLimbs(numerator, num);
        ToLimbs(denominator, den);
        const Fixed<L> r = Divide<L>(num, den);
        const Fixed<L> p = Mul(r, Series(Mul(r, r)));
        const Fixed<L> c = Constant<L>(in.K);
        a = negative ? Sub(c, p) : Add(c, p);
        if (firstOctant) return {a, F};
    }
    if (in.Swapped) {
        const Fixed<L> halfPi = Constant<L>(ExtHalfPiRow);
        return {in.XNegative ? Add(halfPi, a) : Sub(halfPi, a), F};
    }
    return {Sub(Constant<L>(ExtPiRow), a), F};
}

// Rounds an approximation; true when its whole error interval rounds the same way.
template <int L> bool Decide(const TApproximation<L>& v, bool negative, TExtended& result) {
    const TExtended below = RoundFix(AddUnits(v.Value, ExtAtanErrorUnits, true), v.Scale, negative);
    const TExtended above = RoundFix(AddUnits(v.Value, ExtAtanErrorUnits, false), v.Scale, negative);
    if (SameBits(below, above)) {
        result = below;
        return true;
    }
    result = RoundFix(v.Value, v.Scale, negative);
    return false;
}

// pi * quarters / 4, rounded: the results of the special cases.
TExtended QuarterTurns(int quarters, bool negative) {
    const Fixed<SlowLimbs> quarter = Constant<SlowLimbs>(ExtAtanSteps);
    const Fixed<SlowLimbs> v = quarters == 1   ? quarter
                               : quarters == 2 ? Constant<SlowLimbs>(ExtHalfPiRow)
                               : quarters == 3 ? Add(Constant<SlowLimbs>(ExtHalfPiRow), quarter)
                                               : Constant<SlowLimbs>(ExtPiRow);
    return RoundFix(v, FractionBits<SlowLimbs>, negative);
}

} // namespace

namespace {

// Reduces atan2(y, x) to `in`; special cases and tiny results are rounded here already: then it gives false
// and the result.
bool Reduce(TExtended y, TExtended x, TAtanInput& in, TExtended& result) {
    const TParts py = Unpack(y), px = Unpack(x);
    const bool negative = py.Negative;
    // Zeros and infinities: a zero y is 0 or pi by the side of x (its sign for a zero x); an infinite y is a
    // quarter turn, or pi/4 or 3pi/4 against an infinite x; otherwise an infinite x is 0 or pi and a zero x
    // a quarter turn.
    if (IsNaNLike(py) || IsNaNLike(px))
        result = PropagateNaN(y, py, x, px);
    else if (py.Class == TClass::Zero)
        result = px.Negative ? QuarterTurns(4, negative) : TExtended{0, 0, negative};
    else if (py.Class == TClass::Infinity)
        result = QuarterTurns(px.Class != TClass::Infinity ? 2 : px.Negative ? 3 : 1, negative);
    else if (px.Class == TClass::Infinity)
        result = px.Negative ? QuarterTurns(4, negative) : TExtended{0, 0, negative};
    else if (px.Class == TClass::Zero)
        result = QuarterTurns(2, negative);
    if (py.Class != TClass::Finite || px.Class != TClass::Finite) return false;

    in.Negative = negative;
    in.Swapped = py.Exponent > px.Exponent || (py.Exponent == px.Exponent && py.Significand > px.Significand);
    in.XNegative = px.Negative;
    const TParts& top = in.Swapped ? px : py;
    const TParts& bottom = in.Swapped ? py : px;
    in.Y = top.Significand;
    in.X = bottom.Significand;
    in.Gap = bottom.Exponent - top.Exponent;
    in.K = 0;
    if (!in.Swapped && !in.XNegative && in.Gap >= TinyExponentGap) {
        const TQuotient q = DivideSignificands(in.Y, in.X);
        const int32_t exponent = top.Exponent - bottom.Exponent + q.Exponent;
        if (q.Exact)
            result = RoundPack(negative, exponent, q.Hi - 1, ~0ull, true);
        else
            result = RoundPack(negative, exponent, q.Hi, q.Lo, false);
        return false;
    }
    if (in.Gap <= 7) {
        // k = round(64 t) from the top 32 bits of each significand: t is off by under 2^-30 t, which keeps
        // |t - k/64| <= 1/128 + 2^-30.
        const uint64_t quotient = ((in.Y >> 32) << 7) / ((in.X >> 32) << in.Gap);
        in.K = (int)((quotient + 1) >> 1);
    }
    return true;
}

template <int L> void Export(const TApproximation<L>& v, TExtAtanApproximation& out) {
    for (int i = 0; i < ExtConstantLimbs; i++)
        out.Limbs[i] = i < L ? v.Value.Limb[i] : 0;
    out.Scale = v.Scale;
}

} // namespace

TAtan2Result ExtAtan2Traced(TExtended y, TExtended x) {
    TAtanInput in;
    TAtan2Result result{{}, false, true};
    if (!Reduce(y, x, in, result.Value)) return result;
    if (Decide(Approximate<FastLimbs>(in), in.Negative, result.Value)) return result;
    result.SlowPath = true;
    result.Decided = Decide(Approximate<SlowLimbs>(in), in.Negative, result.Value);
    return result;
}

bool ExtAtan2Approximate(TExtended y, TExtended x, bool slow, TExtAtanApproximation& approximation) {
    TAtanInput in;
    TExtended direct;
    if (!Reduce(y, x, in, direct)) return false;
    if (slow)
        Export(Approximate<SlowLimbs>(in), approximation);
    else
        Export(Approximate<FastLimbs>(in), approximation);
    return true;
}

TExtended ExtAtan2(TExtended y, TExtended x) {
    return ExtAtan2Traced(y, x).Value;
}

// atan(k / 64) for k = 0..64, then pi/2 and pi, rounded at 2^-320 (computed with MPFR).
const uint32_t ExtAtanConstants[ExtPiRow + 1][ExtConstantLimbs] = {
    {0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000, 0x00000000,
     0x00000000, 0x00000000, 0x00000000},
    {0x00000000, 0x03ffeaab, 0x776e5356, 0xef9e3159, 0x0057dd81, 0x2083bd97, 0x0437bbd1, 0x81a57e00,
     0xc9d5872e, 0xa36a1de9, 0x858d1e57},
    {0x00000000, 0x07ff556e, 0xea5d892a, 0x13bcebbb, 0x6ed46310, 0x9c036814, 0xa606dc40, 0xb2380bed,
     0xa26b0830, 0x3b2a91f5, 0x897e5f9d},
    {0x00000000, 0x0bfdc0c2, 0x186d14fc, 0xf220e10d, 0x61df56ec, 0x71dddd64, 0xf807f208, 0xa7731202,
     0x17de7976, 0xa5989626, 0x439bbf1f},
    {0x00000000, 0x0ffaaddb, 0x967ef4e3, 0x6cb2792d, 0xc0e2e0d5, 0x1319c12c, 0xf59d4b2d, 0xc387a9f8,
     0x03c4b8ae, 0xd0249009, 0x473e9b7d},
    {0x00000000, 0x13f59f0e, 0x7c559d6b, 0x1338a177, 0xe11cd9be, 0xc9eb30fb, 0x4bf3790c, 0xdc6b617d,
     0x49818882, 0x078cb090, 0x6d3c33b4},
    {0x00000000, 0x17ee1826, 0x02f10e8c, 0x126acfcf, 0x099f06ce, 0xcfc1508f, 0x3055c1b8, 0x65667e05,
     0x8c33e00b, 0x45474c82, 0xa4933247},
    {0x00000000, 0x1be39ebe, 0x6f07c37d, 0xee3ca681, 0x661cbb3d, 0xd21afca1, 0xd234427d, 0xb1b0e0bd,
     0x68664f74, 0x91b36f11, 0xe10e85ef},
    {0x00000000, 0x1fd5ba9a, 0xac2f6dc6, 0x5912f313, 0xe7d111de, 0xf1672afb, 0x2bb35b24, 0x5d926aef,
     0xbf6d82ed, 0x1a9a0100, 0x403b384d},
    {0x00000000, 0x23c3f5f6, 0x086e4dc9, 0x6f4dd64a, 0x60e82be6, 0x78a856b0, 0xa7f00323, 0x9802c41c,
     0x0be90468, 0xd86815e7, 0x981f40db},
    {0x00000000, 0x27adddd1, 0x8cc4d8b0, 0xd1d86749, 0x40d83fa1, 0x5dd4bd3e, 0x2eb74a37, 0x132f0292,
     0xd0a3c05b, 0x6d60ea3b, 0xbc6aa4fd},
    {0x00000000, 0x2b93023c, 0x7d84d3be, 0xad534ffb, 0xc30b7a65, 0x0b4f9b75, 0x46c1ad33, 0x07d8d94c,
     0xf49ef530, 0x2514c715, 0xeb67c8dd},
    {0x00000000, 0x2f72f697, 0x9cb6044d, 0x1ec2d3e2, 0x07271d21, 0xe4eb4035, 0xa0e28aca, 0xbc169a93,
     0xc79f5cb4, 0x65c41183, 0xa1314741},
    {0x00000000, 0x334d51d2, 0xd90c4c39, 0xec03cf68, 0x691bbace, 0xaafc4993, 0x06f09d86, 0xfc1796da,
     0x2224cf0a, 0x3e50601a, 0x64c501b5},
    {0x00000000, 0x3721aea5, 0x24c14408, 0xbd886970, 0x72d54bc0, 0xa19144a3, 0x4e92c495, 0x55881bc6,
     0x5fe10a3b, 0x10c6abd0, 0x137701d5},
    {0x00000000, 0x3aefabbe, 0x40ae6ce3, 0x2468a9a2, 0xcbef5e39, 0xec4b3b0a, 0x80cbfc01, 0x79b6867e,
     0x8a276c06, 0x1e4e4bd1, 0x560f6206},
    {0x00000000, 0x3eb6ebf2, 0x5901bac5, 0x5b71e7bd, 0x7de885f9, 0x6a9fea40, 0xe22ce0da, 0xde8e9d9f,
     0x251269d9, 0x64ae4945, 0x9a395d95},
    {0x00000000, 0x4277165f, 0x618d8962, 0xe47390cb, 0x8655e9d1, 0x57128550, 0x5b7e82d8, 0x742430ca,
     0x02598228, 0x2e0b4533, 0x29fdcf5f},
    {0x00000000, 0x462fd68c, 0x2fc5e098, 0x6523a458, 0xdfc414c6, 0x87e9714d, 0xe0d27de7, 0xe5275dd6,
     0xa8450274, 0x28af6d95, 0xb8c8226e},
    {0x00000000, 0x49e0dc81, 0x5fbd16f8, 0x8322c920, 0x37f0a23d, 0x223e10cf, 0x906b1916, 0x3d78b33a,
     0x3984379f, 0x77550ff3, 0xd4e2af6c},
    {0x00000000, 0x4d89dcdc, 0x1faf2f34, 0xe2d5da4c, 0x693d7994, 0x045247c2, 0x8597aaff, 0xfad2c806,
     0x098263d7, 0x699c6992, 0x54eefbf3},
    {0x00000000, 0x512a90db, 0x0abc26a2, 0xa1bc3aa4, 0xc45c6cf1, 0xa7413c52, 0x1a2ec305, 0xed22099b,
     0xe7581db1, 0xed9ec1da, 0x26cf7aa9},
    {0x00000000, 0x54c2b665, 0x4735276d, 0x4cdbfbbd, 0xfbecf460, 0x90961ce9, 0x8f7a6be9, 0xd12e94ea,
     0x64f8f15b, 0x707dd4bf, 0xf930a1bc},
    {0x00000000, 0x5852100c, 0x273f8658, 0xda8ea8ee, 0x100507e1, 0x5a042e6f, 0x4bd6b6b8, 0x17eef8f6,
     0x85005268, 0xd7c10300, 0x1b7c5dee},
    {0x00000000, 0x5bd86507, 0x937bc239, 0xc5519091, 0x6e7f2241, 0x9ec21cbb, 0xd72a2ae6, 0x2399f2e5,
     0x19a48470, 0x32662c10, 0x1cfee06b},
    {0x00000000, 0x5f55812d, 0x8ecfdd69, 0xc885c2b2, 0x49a08813, 0x12e09e0e, 0xaf2efb9f, 0xcb1fbef2,
     0x1e74ec59, 0x20529daa, 0xbcd20a64},
    {0x00000000, 0x62c934e5, 0x286c95b6, 0xd0ba3748, 0xfa85146e, 0xe25be4f2, 0x869d50fb, 0x413ddca5,
     0xd849a43e, 0xe3821dd4, 0x3a18f633},
    {0x00000000, 0x66335515, 0x35ac619e, 0x6c988fd0, 0xa76cdbe1, 0xc93d002a, 0x4410cb0a, 0x0991b337,
     0x6dea2a48, 0x1033627d, 0x11a5a673},
    {0x00000000, 0x6993bb0f, 0x308ff2db, 0x213e4af4, 0x800f389b, 0x3700206e, 0x90b0d39e, 0x1333bfc7,
     0x89eebf14, 0x142bf420, 0x5e2241da},
    {0x00000000, 0x6cea4476, 0x9971b1ae, 0x187b1ca5, 0x04031a2e, 0xaaa4088c, 0x5fdb8226, 0x6469134f,
     0xaca1b3aa, 0xf0b41878, 0xe11bb507},
    {0x00000000, 0x7036d325, 0x3b27be33, 0xe318f6cb, 0x3cc65c01, 0xdb0a5f97, 0xaf9f5c11, 0xca859f5e,
     0x2c32a5bd, 0x56ab8ad2, 0x1a4d4498},
    {0x00000000, 0x73794d0c, 0xb04d425d, 0x305bbe70, 0xe536e164, 0x32592743, 0x9e7941da, 0x0581e081,
     0xa0f59d94, 0xeb573dba, 0xe08b7c3d},
    {0x00000000, 0x76b19c15, 0x86ed3da2, 0xb7f222f6, 0x5e1d4681, 0xb70a0ac3, 0x930e6f80, 0x71678b73,
     0x74b12384, 0xfd4e2c8b, 0xc495a8b6},
    {0x00000000, 0x79dfadfc, 0x5d68d10e, 0x53dc1bf3, 0x4356f9fd, 0x1790505c, 0x402ec723, 0xeca3443d,
     0x27e899ff, 0xf87a0d00, 0xcf53d40a},
    {0x00000000, 0x7d03742d, 0x50505f2e, 0x33691e3e, 0xaee47661, 0x0806496f, 0xc5c5aac1, 0xb190087d,
     0x09041335, 0x66ce6be1, 0x48c26c43},
    {0x00000000, 0x801ce39e, 0x0d205c99, 0xa6d6c6c5, 0x4d938596, 0x69248632, 0x6fe2e1cc, 0x02f253ef,
     0x9620b8c8, 0x434e6df2, 0xa7a15c3b},
    {0x00000000, 0x832bf4a6, 0xd9867e2a, 0x4b6a09cb, 0x61a515c0, 0xf1155cd8, 0x774ddfbc, 0x55c6bdcf,
     0x1e5b65d0, 0x43d7d60c, 0xd4f13f4f},
    {0x00000000, 0x8630a2da, 0xda1ed065, 0xd3e84ed5, 0x013ca37d, 0x92a950da, 0x94553290, 0xae8bed89,
     0x9cf54cc7, 0x45f54651, 0x9bd67955},
    {0x00000000, 0x892aecdf, 0xde9547b5, 0x094478fc, 0x472b4afb, 0x8fbe7b9f, 0xb9ddf67f, 0x28c0a22e,
     0x65ff600e, 0x31205dd0, 0xe396f761},
    {0x00000000, 0x8c1ad445, 0xf3e09b8c, 0x439d8018, 0x60205920, 0xf8e24449, 0x0311ce06, 0xca922e3e,
     0x40364e6f, 0xb8340b68, 0xa4a934c2},
    {0x00000000, 0x8f005d5e, 0xf7f59f9b, 0x5c835e16, 0x65c43747, 0x918a67e0, 0x652b375c, 0xf53da46d,
     0x13389eb2, 0x3669dcd3, 0x918d712b},
    {0x00000000, 0x91db8f16, 0x64f350e2, 0x10e4f9c1, 0x126e021f, 0xd995e8d1, 0xfc353437, 0x6758f20e,
     0x06efbe97, 0x684ccd8d, 0xee48c390},
    {0x00000000, 0x94ac72c9, 0x847186f6, 0x18c4f393, 0xf78a32f8, 0xf38ae0f4, 0x7a945eda, 0x2c6b9f78,
     0x8031c786, 0x366dbce1, 0xb97e806f},
    {0x00000000, 0x97731420, 0x365e538b, 0xabd3fe19, 0xf1aeb6b2, 0x9798db27, 0x4070578e, 0x1faf20aa,
     0x874c64d4, 0x23b240c5, 0xb871bf60},
    {0x00000000, 0x9a2f80e6, 0x71bdda20, 0x4226f8e2, 0x204ff3bc, 0xdae46f06, 0x17489d5c, 0x77874d1e,
     0x753afee4, 0x4ccdbfe6, 0xb74ad88f},
    {0x00000000, 0x9ce1c8e6, 0xa0b8cdb9, 0xf799c4e8, 0x174cf11c, 0x5a2ac6a3, 0xb26e793e, 0xf1e5725d,
     0x60d2cff2, 0xc5acdb52, 0x6cacdafa},
    {0x00000000, 0x9f89fdc4, 0xf4b7a1ec, 0xf8b49264, 0x4f0701df, 0x9d743d1b, 0xc801acaa, 0x00a35bc2,
     0x1c6f4dfb, 0xdb768830, 0x77858f46},
    {0x00000000, 0xa22832db, 0xcadaae08, 0x92fe9c08, 0x637af0e5, 0xd084146d, 0x4fd55be4, 0x15a11f3b,
     0x5022d783, 0x345185e9, 0x2cfe1d34},
    {0x00000000, 0xa4bc7d19, 0x34f70924, 0x19a87f2a, 0x457dac9e, 0xe3f08689, 0xeeb2b9e7, 0x21486665,
     0x8cc4ef3a, 0xa7f7b7db, 0x933cb84f},
    {0x00000000, 0xa746f2dd, 0xb7602294, 0x67b7d66f, 0x2d74e019, 0x21b81774, 0xd87a36a4, 0xeb3fe5fa,
     0x494a1322, 0x39c4080f, 0x6ddbb825},
    {0x00000000, 0xa9c7abdc, 0x4830f5c8, 0x916a84b5, 0xbe7933f5, 0xf9971655, 0xe427bf1c, 0x094f003a,
     0x7dbf5c4d, 0x45931d74, 0x36a1ca1a},
    {0x00000000, 0xac3ec0fb, 0x997dd6a1, 0xa36273a5, 0x6afa8ef4, 0x183db540, 0x6c42068c, 0xb854b5cf,
     0xa7edf055, 0x3cc6eb35, 0x1ca23500},
    {0x00000000, 0xaeac4c38, 0xb4d8c080, 0x14725e2f, 0x3e52070a, 0x03742b46, 0x43effe26, 0x04407947,
     0xc44fdd30, 0x95ee0fd1, 0xeef1f3d8},
    {0x00000000, 0xb110688a, 0xebdc6f6a, 0x43d65788, 0xb9f6a7b5, 0x09e2828d, 0x4df9e1c7, 0x5d3ed56b,
     0xcce6db2b, 0x205110bd, 0x042594fc},
    {0x00000000, 0xb36b31c9, 0x1f043691, 0x59014174, 0x4462f939, 0xe469ff28, 0x0783f6fe, 0x751e5dec,
     0x409dcd1e, 0x43ac8c5f, 0xef498a57},
    {0x00000000, 0xb5bcc490, 0x59ecc4af, 0xf8f3cee7, 0x5e3907d5, 0x75216f47, 0xb3891e07, 0x8cddaac1,
     0x8cea9535, 0xe58350f3, 0x6fa8d576},
    {0x00000000, 0xb8053e2b, 0xc2319e73, 0xcb2da552, 0x10a4443d, 0x3d7aecc1, 0x14c79a80, 0xa012155f,
     0x64cae530, 0x4655f065, 0xcec98182},
    {0x00000000, 0xba44bc7d, 0xd470782f, 0x654c2cb1, 0x0942e386, 0x23228454, 0xd454a343, 0x0672fcfd,
     0x51eece27, 0x41a41f8d, 0x0d634fed},
    {0x00000000, 0xbc7b5dea, 0xe98af280, 0xd4113006, 0xe80fb290, 0x13fab81f, 0x5ba4ab8a, 0x231796bb,
     0x5514a995, 0x010c85fc, 0x569845f4},
    {0x00000000, 0xbea94144, 0xfd049aac, 0x1043c5e7, 0x55282e7d, 0x01438341, 0xf13d5c3a, 0x74fdaef1,
     0x655bf345, 0x4130f65d, 0x014699b2},
    {0x00000000, 0xc0ce85b8, 0xac526640, 0x89dd62c4, 0x6e92fa24, 0xd58ee867, 0xaef436f6, 0x37081467,
     0xa10b2d25, 0x44ffa53c, 0x51a62f58},
    {0x00000000, 0xc2eb4abb, 0x661628b5, 0xb373fe45, 0xc61bb9fa, 0xe970ec0e, 0x0e4baa66, 0xa4a42eff,
     0xa9724511, 0xca811d6a, 0x00e8f7ef},
    {0x00000000, 0xc4ffaffa, 0xbf8fbd54, 0x8cb43d10, 0xbc9e0221, 0x4da621b6, 0x0039834e, 0xfe669d99,
     0x4f97d1fa, 0xb0fd5694, 0x45c51353},
    {0x00000000, 0xc70bd54c, 0xe602ee13, 0xe7d54fbd, 0x09f2be38, 0x0e9c986e, 0xaf9b702a, 0xadfde929,
     0x48417fda, 0xbd069fab, 0xb5848c7f},
    {0x00000000, 0xc90fdaa2, 0x2168c234, 0xc4c6628b, 0x80dc1cd1, 0x29024e08, 0x8a67cc74, 0x020bbea6,
     0x3b139b22, 0x514a0879, 0x8e3404de},
    {0x00000001, 0x921fb544, 0x42d18469, 0x898cc517, 0x01b839a2, 0x52049c11, 0x14cf98e8, 0x04177d4c,
     0x76273644, 0xa29410f3, 0x1c6809bc},
    {0x00000003, 0x243f6a88, 0x85a308d3, 0x13198a2e, 0x03707344, 0xa4093822, 0x299f31d0, 0x082efa98,
     0xec4e6c89, 0x452821e6, 0x38d01378},
};
