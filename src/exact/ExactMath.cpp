// Correctly rounded sin, cos, atan and acos of a double, built from IEEE +, -, *, /, sqrt and integer
// arithmetic only (Dekker products instead of fused multiply-adds), so every platform gives the same bits.
//
// Each function first runs a fast path in double-double arithmetic that also bounds its own absolute error
// E. If every real within E of the approximation rounds to the same double, that double is the correctly
// rounded result (the rounding test). Otherwise a slow path recomputes the value in fixed point with 32-bit
// limbs, first with 256 fractional bits and, should its own rounding test still fail, with 512.
//
// Fast paths, each bound summed at run time from the terms computed, so that the rounding test stays
// rigorous where the reduction cancels (x near a multiple of pi/2): the test then fails and the slow path
// decides. Bounds relative to the result y unless said otherwise:
//  - sin, cos: x = k pi/2 + r, with pi/2 to 156 bits by Cody and Waite's method for |x| < 2^21 (r within
//    2^-51 of its terms below 2^16, else 2^-130 + 2^-100 |r|), with 2/pi to 160 bits by integers beyond
//    (2^-157 + 2^-94 |r|). Then r = i/1024 + t, sin and cos of i/1024 from a double-double table, only
//    the product of t with the table's cos or sin taken exactly; the Taylor tails of sin t and cos t and
//    the other small terms are summed in double, within 2^-47 of their size (at most 2^-69 of y) plus
//    2^-97 |y|.
//  - atan: x = c + a remainder, c on a grid (i/128 below 1, x cut to 8 significant bits or fewer above),
//    atan x = atan c + atan t with t = (x - c)/(1 + cx) at most 2^-8, within 2^-74 |t| in two doubles (x - c
//    exact, cx split exactly); atan t = t + a Taylor tail of degree 11 in double, within 2^-47 of its size
//    (at most 2^-64 of y, 2^-69 for the usual t), plus 2^-97 |y|.
//  - acos: pi/2 - asin x, or 2 asin w with w = sqrt((1 - |x|)/2) in double-double, reflected for negative
//    x; asin by Taylor polynomials of degree 10 at the grid i/256, the first term in double-double, the
//    rest in double within 2^-47 of its size (at most 2^-65 of y, far less for most x) plus 2^-97 |y|.
//
// Slow path: sin and cos reduce x by 2/pi to 256 (or 512) bits, then sum the Taylor series of sin and cos
// of r <= pi/4; atan and acos take the fast path's approximation y0, sin y0 and cos y0 by the same series,
// and correct y0 by atan of the tiny (n cos y0 - d sin y0)/(d cos y0 + n sin y0), where n/d is x, 1/x or
// sqrt(1 - x^2)/x as exact fixed-point numbers. The result is within 2^12 units of the last of 256 bits:
// at least 2^-180 relative even for the smallest results that reach it (sin near a multiple of pi, about
// 2^-62 for a double; acos near 1, about 2^-26). The exhaustive searches published for the hardest-to-round
// doubles of these functions report none that needs anywhere near that many bits, and the hardest cases
// the tests construct (results 2^-54 of an ulp from a midpoint) need about 110; so the first slow step
// decides, and the 512-bit step backs that claim up rather than resting on it.
#include "exact/ExactMath.h"

#include "exact/Bits.h"
#include "exact/FixedPoint.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

// Dekker's products and the error bounds assume every product and sum rounded on its own: no fused
// multiply-add, whatever the build's flags (the game's build passes -ffp-contract=off as well), for clang
// and GCC alike; tests/exact/no-fma.sh builds this file with FMA in the instruction set and finds none.
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif

namespace {

// The fast paths are latency chains of a hundred-odd operations: inlined whole into each function, their
// values stay in registers instead of passing through the stack between helpers.
#if defined(__GNUC__)
#define EXACT_INLINE inline __attribute__((always_inline))
#else
#define EXACT_INLINE inline
#endif

// ---------------------------------------------------------------------------------------------------------
// Bits of doubles.

inline uint64_t Bits(double x) {
    return BitCast<uint64_t>(x);
}
inline double FromBits(uint64_t b) {
    return BitCast<double>(b);
}
inline double Abs(double x) {
    return FromBits(Bits(x) & 0x7FFFFFFFFFFFFFFFull);
}
// 2^e for a normal exponent.
inline double Pow2(int e) {
    return FromBits((uint64_t)(e + 1023) << 52);
}
inline bool IsNegative(double x) {
    return (Bits(x) >> 63) != 0;
}
constexpr double NotANumber = std::numeric_limits<double>::quiet_NaN();

// ---------------------------------------------------------------------------------------------------------
// Double-double arithmetic: a value hi + lo with |lo| at most about half an ulp of hi.

struct DD {
    double hi, lo;
};

// a + b = s + e exactly, for any a and b.
inline DD TwoSum(double a, double b) {
    double s = a + b;
    double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// a + b = s + e exactly when the exponent of a is at least that of b.
inline DD FastTwoSum(double a, double b) {
    double s = a + b;
    return {s, b - (s - a)};
}

// a = hi + lo with hi of 26 bits and lo of 26 bits and a sign (Veltkamp).
inline void Split(double a, double& hi, double& lo) {
    double c = 134217729.0 * a;
    hi = c - (c - a);
    lo = a - hi;
}

// a * b = p + e exactly (Dekker), barring underflow.
inline DD TwoProd(double a, double b) {
    double p = a * b;
    double ah, al, bh, bl;
    Split(a, ah, al);
    Split(b, bh, bl);
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// -a where negative, else a, by the sign bits: the sign is random in the game's use, a branch on it
// mispredicted half the time.
inline double NegateIf(double a, bool negative) {
    return FromBits(Bits(a) ^ ((uint64_t)negative << 63));
}
inline DD NegateIf(DD a, bool negative) {
    return {NegateIf(a.hi, negative), NegateIf(a.lo, negative)};
}

inline DD Neg(DD a) {
    return {-a.hi, -a.lo};
}

// Sum within 2^-104 of the larger operand; the last step assumes no deep cancellation between a and b.
inline DD Add(DD a, DD b) {
    DD s = TwoSum(a.hi, b.hi);
    return FastTwoSum(s.hi, s.lo + a.lo + b.lo);
}

// Product within 2^-104 relative.
inline DD Mul(DD a, DD b) {
    DD p = TwoProd(a.hi, b.hi);
    return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// An approximation y = hi + lo of a function's value, |lo| well below |hi|, with err at least its absolute
// error plus 2^-50 |lo|: the latter covers the rounding of lo +- err in the rounding test. Each fast path
// bounds |lo| by terms it has early, so that the test waits for lo alone.
struct Approx {
    DD y;
    double err;
};

// The rounding test: true, with the double nearest to every real within the error of y, when there is
// one. lo +- err rounded still bracket lo +- the true error, so the two sums bracket all those reals.
EXACT_INLINE bool RoundIfSure(const Approx& a, double& result) {
    double e = a.err * (1.0 + 0x1p-40);
    double up = a.y.hi + (a.y.lo + e);
    double down = a.y.hi + (a.y.lo - e);
    if (up != down) return false;
    result = up;
    return true;
}

} // namespace

namespace {

using namespace exact_math_tables;
using namespace fixed_point;

// ---------------------------------------------------------------------------------------------------------
// Fixed point for the slow path and the reduction of large arguments, in FixedPoint.h: N limbs of 32 bits,
// Limb[N-1] the integer part. Here only its conversions from and to doubles and the functions built on it.

// A nonnegative double below 2^32, exactly where its bits fall within the N limbs (truncated below them).
template <int N> Fixed<N> FromDouble(double x) {
    Fixed<N> r{};
    uint64_t bits = Bits(x);
    int biased = (int)(bits >> 52);
    if (biased == 0) return r;
    uint64_t m = (bits & 0xFFFFFFFFFFFFFull) | 0x10000000000000ull;
    // x = m * 2^(biased - 1075); bit b of m lands at bit b + shift of the whole array.
    int shift = biased - 1075 + 32 * (N - 1);
    for (int b = 0; b < 53; ++b) {
        int at = b + shift;
        if (at >= 0 && ((m >> b) & 1)) r.Limb[at / 32] |= 1u << (at % 32);
    }
    return r;
}

// A rough double of a (top three limbs), for starting Newton iterations.
template <int N> double ToDoubleRough(const Fixed<N>& a) {
    double v = 0;
    for (int k = N - 1; k >= 0 && k >= N - 3; --k)
        v += (double)a.Limb[k] * Pow2(32 * (k - N + 1));
    return v;
}

// a rounded to the nearest double, ties to even, for a of at least 2^-900.
template <int N> double RoundToDouble(const Fixed<N>& a) {
    int top = HighestBit(a);
    if (top < 0) return 0.0;
    uint64_t m = 0;
    for (int b = top; b > top - 53; --b)
        m = (m << 1) | (uint64_t)Bit(a, b);
    int roundBit = Bit(a, top - 53);
    bool sticky = false;
    for (int b = top - 54; b >= 0 && !sticky; --b)
        sticky = Bit(a, b) != 0;
    if (roundBit && (sticky || (m & 1))) ++m;
    // m * 2^(top - 52) in units; 2^53 after a carry is still exact.
    return (double)m * Pow2(top - 52 - 32 * (N - 1));
}

// The rounding test of the slow path: true, with the double, when all of a +- err units round alike.
template <int N> bool RoundFixedIfSure(const Fixed<N>& a, uint32_t err, double& result) {
    Fixed<N> e{};
    e.Limb[0] = err;
    if (Less(a, e)) return false;
    double down = RoundToDouble(Sub(a, e));
    double up = RoundToDouble(Add(a, e));
    if (up != down) return false;
    result = up;
    return true;
}

template <int N> Fixed<N> PiOver2Fixed() {
    Fixed<N> r{};
    r.Limb[N - 1] = 1;
    for (int k = 0; k < N - 1; ++k)
        r.Limb[N - 2 - k] = PiOver2Fraction[k];
    return r;
}

// 1/d for d in [1/2, 4) by Newton's iteration r' = r (2 - d r) from a double start, within a few units.
template <int N> Fixed<N> Reciprocal(const Fixed<N>& d) {
    Fixed<N> r = FromDouble<N>(1.0 / ToDoubleRough(d));
    for (int bits = 50; bits < 32 * N; bits *= 2)
        r = Mul(r, Sub(Integer<N>(2), Mul(d, r)));
    return r;
}

// sqrt(a) for a in [1/4, 1) as a * (1/sqrt a), the latter by r' = r (3 - a r^2) / 2: within a few units.
template <int N> Fixed<N> SquareRoot(const Fixed<N>& a) {
    Fixed<N> r = FromDouble<N>(1.0 / std::sqrt(ToDoubleRough(a)));
    for (int bits = 50; bits < 32 * N; bits *= 2)
        r = ShiftRight(Mul(r, Sub(Integer<N>(3), Mul(a, Mul(r, r)))), 1);
    return Mul(a, r);
}

// sin r and cos r for 0 <= r < 2 by their Taylor series: each term within 4 units, so both within 300
// units plus the error of r.
template <int N> void SinCosSeries(const Fixed<N>& r, Fixed<N>& s, Fixed<N>& c) {
    Fixed<N> term = r, sinPlus = r, sinMinus{}, cosPlus = Integer<N>(1), cosMinus{};
    for (uint32_t k = 2;; ++k) {
        term = DivSmall(Mul(term, r), k);
        if (IsZero(term)) break;
        switch (k % 4) {
        case 0:
            cosPlus = Add(cosPlus, term);
            break;
        case 1:
            sinPlus = Add(sinPlus, term);
            break;
        case 2:
            cosMinus = Add(cosMinus, term);
            break;
        default:
            sinMinus = Add(sinMinus, term);
            break;
        }
    }
    s = Sub(sinPlus, sinMinus);
    c = Sub(cosPlus, cosMinus);
}

// x * 2/pi mod 4 for a finite x >= 2^-60, in fixed point, within 2 units: the integer product of x's
// significand with the bits of 2/pi that matter, those whose products are multiples of 4 left out. G guard
// limbs below the N keep the partial products that are dropped below a unit together.
template <int N> Fixed<N> ReduceByPiOver2(double x) {
    constexpr int G = 2;
    uint64_t bits = Bits(x);
    int biased = (int)(bits >> 52);
    uint64_t m = bits & 0xFFFFFFFFFFFFFull;
    if (biased != 0) m |= 0x10000000000000ull;
    int e = (biased != 0 ? biased : 1) - 1075;
    // x = m * 2^e = (m * 2^b) * 2^(32a) with 0 <= b < 32, m * 2^b in three limbs.
    int a = e >= 0 ? e / 32 : -((31 - e) / 32);
    int b = e - 32 * a;
    uint64_t low = m << b;
    uint32_t M[3] = {(uint32_t)low, (uint32_t)(low >> 32), b != 0 ? (uint32_t)(m >> (64 - b)) : 0u};
    // M[i] * TwoOverPi[j] has weight 2^(32(i + a - j - 1)): its low half lands in limb i + a - j + N - 2.
    uint64_t column[N + G] = {};
    for (int i = 0; i < 3; ++i) {
        int jFirst = i + a - 1 > 0 ? i + a - 1 : 0;
        int jLast = i + a + N - 1 + G;
        if (jLast > TwoOverPiWords - 1) jLast = TwoOverPiWords - 1;
        for (int j = jFirst; j <= jLast; ++j) {
            uint64_t p = (uint64_t)M[i] * TwoOverPi[j];
            int k = i + a - j + N - 2 + G;
            if (k >= 0 && k < N + G) column[k] += (uint32_t)p;
            if (k + 1 >= 0 && k + 1 < N + G) column[k + 1] += p >> 32;
        }
    }
    Fixed<N> r;
    uint64_t carry = 0;
    for (int k = 0; k < N + G; ++k) {
        uint64_t v = column[k] + carry;
        if (k >= G) r.Limb[k - G] = (uint32_t)v;
        carry = v >> 32;
    }
    r.Limb[N - 1] &= 3;
    return r;
}

// Splits x * 2/pi mod 4 into the quadrant q and the distance f to q in [0, 1/2], negative when x lies
// below q: x = (q + f) pi/2 modulo 2 pi with f signed.
template <int N> int SplitQuadrant(Fixed<N>& f, bool& negative) {
    int q = (int)f.Limb[N - 1];
    f.Limb[N - 1] = 0;
    negative = (f.Limb[N - 2] >> 31) != 0;
    if (negative) {
        f = Sub(Integer<N>(1), f);
        q = (q + 1) & 3;
    }
    return q;
}

// ---------------------------------------------------------------------------------------------------------
// sin and cos.

// The reduced argument: x = quadrant * pi/2 + r modulo 2 pi, |r| <= pi/4 + 2^-30, |error of r| <= err.
struct Reduced {
    DD r;
    double err;
    int quadrant;
};

// Rounds v to an integer, returned as a double, for |v| < 2^51; bits holds v + 1.5 * 2^52, whose low
// bits are that integer, so both are had without a conversion on the critical path.
EXACT_INLINE double RoundToInteger(double v, uint64_t& bits) {
    double shifted = v + 0x1.8p52;
    bits = Bits(shifted);
    return shifted - 0x1.8p52;
}

// For pi/4 <= ax < 2^21 (Cody and Waite): pi/2 in four parts P1..P4, x - k P1 exact by Sterbenz's lemma,
// k Pn exact for the first three parts. Below 2^16, r = hi + lo is left as the exact hi + lo of x - k P1 -
// k P2 plus the rounded rest, |lo| <= 2^-51, unless that hi is below 2^-24: within 2^-51 of their terms
// plus k 2^-156 for pi/2's remaining bits. Beyond, or when x nears a multiple of pi/2, all parts are summed
// exactly and the result renormalized: within 2^-130 + 2^-100 |r|.
EXACT_INLINE Reduced ReduceMedium(double ax) {
    const double* P = PiOver2Parts;
    uint64_t kBits;
    double k = RoundToInteger(ax * 0x1.45f306dc9c883p-1, kBits);
    int q = (int)(kBits & 3);
    double r1 = ax - k * P[0];
    DD s1 = TwoSum(r1, -(k * P[1]));
    double k3 = k * P[2];
    if (ax < 0x1p16 && Abs(s1.hi) >= 0x1p-24) {
        double lo = (s1.lo - k3) - k * P[3];
        return {{s1.hi, lo}, (Abs(s1.lo) + Abs(k3)) * 0x1p-51 + 0x1p-139, q};
    }
    DD s2 = TwoSum(s1.hi, -k3);
    double t = (s1.lo + s2.lo) - k * P[3];
    DD r = TwoSum(s2.hi, t);
    return {r, 0x1p-130 + Abs(r.hi) * 0x1p-100, q};
}

// For ax >= 2^21: x * 2/pi mod 4 to 160 bits by integers, the fraction to double-double (the top 106 of the
// bits from its leading limb on), times pi/2.
Reduced ReduceLarge(double ax) {
    constexpr int N = 6;
    Fixed<N> f = ReduceByPiOver2<N>(ax);
    bool negative;
    int q = SplitQuadrant(f, negative);
    int t = N - 2;
    while (t >= 0 && f.Limb[t] == 0)
        --t;
    if (t < 0) return {{0.0, 0.0}, 0x1p-157, q};
    auto limb = [&](int k) { return k >= 0 ? (uint64_t)f.Limb[k] : 0ull; };
    uint64_t H = (limb(t) << 32) | limb(t - 1);
    uint64_t L = (limb(t - 2) << 32) | limb(t - 3);
    int lz = std::countl_zero(H);
    if (lz != 0) {
        H = (H << lz) | (L >> (64 - lz));
        L <<= lz;
    }
    // The fraction is (H * 2^64 + L) * 2^(32 t - 32 (N - 1) - 96 - lz); keep 53 + 53 of its bits.
    int scale = 32 * t - 32 * (N - 1) - 96 - lz;
    double hi = (double)(H >> 11) * Pow2(scale + 75);
    double lo = (double)(((H & 0x7FF) << 42) | (L >> 22)) * Pow2(scale + 22);
    DD r = Mul(FastTwoSum(hi, lo), DD{PiOver2[0], PiOver2[1]});
    if (negative) r = Neg(r);
    return {r, 0x1p-157 + Abs(r.hi) * 0x1p-94, q};
}

EXACT_INLINE Reduced Reduce(double ax) {
    if (ax < 0x1.921fb54442d18p-1) return {{ax, 0.0}, 0.0, 0};
    if (ax < 0x1p21) return ReduceMedium(ax);
    return ReduceLarge(ax);
}

// sin r or cos r for r = hi + lo, |r| <= pi/4 + 2^-30, |lo| <= 2^-51, adding its error (less that of r,
// the derivatives being at most 1) to err. r = a + t with a = i/1024 from the table, t = th + tl, th exact
// and |th| <= 2^-11:
//   sin(a + t) = S + C th + [Sl + C tl + C p - S h],  cos(a + t) = C - S th + [Cl - S tl - S p - C h],
// with p = sin t - t and h = 1 - cos t by Taylor polynomials. Only C th (or S th) is needed exactly; the
// bracket, below 2^-22 of the result, is summed in double: within 2^-47 of its terms p and S h (or C h)
// and 2^-48 of tl, their rounding margin included.
EXACT_INLINE Approx SinCosKernel(DD r, bool wantCos) {
    bool negative = r.hi < 0;
    double a = Abs(r.hi), tl = negative ? -r.lo : r.lo;
    uint64_t iBits;
    double ai = RoundToInteger(a * 1024.0, iBits);
    const double* row = SinCos[iBits & 0x3FF];
    double sh = row[0], sl = row[1], ch = row[2], cl = row[3];
    double th = a - ai * 0x1p-10;
    double t = th + tl;
    double t2 = th * (th + 2.0 * tl);
    double p = t * t2 * (-1.0 / 6 + t2 * (1.0 / 120 - t2 * (1.0 / 5040)));
    double h = t2 * (0.5 - t2 * (1.0 / 24 - t2 * (1.0 / 720)));
    if (wantCos) {
        DD m = TwoProd(sh, th);
        DD s = FastTwoSum(ch, -m.hi);
        double sp = sh * p, ch2 = ch * h;
        double rest = ((((cl - sh * tl) - sl * th) - m.lo) + s.lo) - (sp + ch2);
        double big = Abs(sp) + Abs(ch2);
        return {{s.hi, rest}, big * 0x1p-47 + Abs(tl) * 0x1p-48 + Abs(s.hi) * 0x1p-97};
    }
    DD m = TwoProd(ch, th);
    DD s = FastTwoSum(sh, m.hi);
    double cp = ch * p, sh2 = sh * h;
    double rest = ((((sl + ch * tl) + cl * th) + m.lo) + s.lo) + (cp - sh2);
    double big = Abs(cp) + Abs(sh2);
    Approx y{{s.hi, rest}, big * 0x1p-47 + Abs(tl) * 0x1p-48 + Abs(s.hi) * 0x1p-97};
    y.y = NegateIf(y.y, negative);
    return y;
}

// The fast path of sin (wantCos false) or cos of a finite x not tiny.
EXACT_INLINE Approx SinCosFast(double x, bool wantCos) {
    Reduced red = Reduce(Abs(x));
    int q = red.quadrant;
    bool useCos = ((q & 1) != 0) != wantCos;
    Approx y = SinCosKernel(red.r, useCos);
    y.err += red.err;
    // sin: +sin r, +cos r, -sin r, -cos r by quadrant; cos: +cos r, -sin r, -cos r, +sin r.
    bool negative = wantCos ? (((q + 1) & 2) != 0) : (((q & 2) != 0) != IsNegative(x));
    y.y = NegateIf(y.y, negative);
    return y;
}

// The slow path of sin or cos at N limbs: false when its rounding test fails.
template <int N> bool SinCosSlow(double x, bool wantCos, double& result) {
    Fixed<N> f = ReduceByPiOver2<N>(Abs(x));
    bool rNegative;
    int q = SplitQuadrant(f, rNegative);
    Fixed<N> s, c;
    SinCosSeries(Mul(f, PiOver2Fixed<N>()), s, c);
    bool useCos = ((q & 1) != 0) != wantCos;
    bool negative = wantCos ? (((q + 1) & 2) != 0) : (((q & 2) != 0) != IsNegative(x));
    if (!useCos && rNegative) negative = !negative;
    // r within 6 units, the series within 300 more.
    if (!RoundFixedIfSure(useCos ? c : s, 1u << 10, result)) return false;
    if (negative) result = -result;
    return true;
}

double SinCosSlowPath(double x, bool wantCos) {
    double result;
    if (SinCosSlow<9>(x, wantCos, result)) return result;
    SinCosSlow<17>(x, wantCos, result);
    return result;
}

// ---------------------------------------------------------------------------------------------------------
// atan and acos.

// The quotient t = u / v for v > 0 as th, the double nearest it within 2 ulps, and t26 + tl within
// 2^-74 |t|: t26 is th cut to 26 bits, so that its products with the halves of v.hi are exact and the
// remainder u - t26 v, 2^-24 of u at most, is had to 2^-76 |u| without splitting th on the critical path.
struct Quotient {
    double th, t26, tl;
};

EXACT_INLINE Quotient Divide(DD u, DD v) {
    double reciprocal = 1.0 / v.hi;
    double th = u.hi * reciprocal;
    double t26, rest, vh, vl;
    Split(th, t26, rest);
    Split(v.hi, vh, vl);
    double remainder = (((u.hi - t26 * vh) - t26 * vl) + u.lo) - t26 * v.lo;
    return {th, t26, remainder * reciprocal};
}

// base + atan t for t = t26 + tl, |t| <= 2^-8 + 2^-40: atan t = t + p, p a Taylor tail of degree 11 in
// double taken at th (within 2^-47 of itself, truncation and th's error included), t within 2^-74 |t|, the
// rest summed within 2^-97 of the result.
EXACT_INLINE Approx AtanFinish(DD base, const Quotient& t) {
    double th = t.th, t2 = th * th, t4 = t2 * t2;
    double p = th * t2 * ((-1.0 / 3 + t2 * (1.0 / 5)) + t4 * ((-1.0 / 7 + t2 * (1.0 / 9)) - t4 * (1.0 / 11)));
    DD s = TwoSum(base.hi, t.t26);
    // |lo| <= 2^-52 (|base| + |s|) + |tl| + |p| with |tl| <= 2^-24 |th|.
    double err = Abs(p) * 0x1p-47 + Abs(th) * 0x1p-73 + (Abs(base.hi) + Abs(s.hi)) * 0x1p-97;
    return {{s.hi, (base.lo + s.lo) + (t.tl + p)}, err};
}

// The fast path of atan for 2^-27 <= ax < 2^54: atan(ax), positive, as atan(c) + atan((ax - c)/(1 + c ax))
// with c a grid point near ax: the quotient at most 2^-8 and taken in double-double, ax - c exact and c ax
// split exactly.
EXACT_INLINE Approx AtanFast(double ax) {
    if (ax < 1.0) {
        uint64_t iBits;
        double c = RoundToInteger(ax * 128.0, iBits) * 0x1p-7;
        DD cx = TwoProd(c, ax);
        DD v = FastTwoSum(1.0, cx.hi);
        v.lo += cx.lo;
        const double* row = Atan[iBits & 0xFF];
        return AtanFinish(DD{row[0], row[1]}, Divide(DD{ax - c, 0.0}, v));
    }
    // ax in [2^e, 2^(e+1)), e <= 53: c is ax cut to k = max(0, 8 - e) bits after its leading one, so that
    // ax - c is exact and 0 <= t = (ax - c)/(1 + c ax) < 2^-8, with atan c from a table of 556.
    uint64_t bits = Bits(ax);
    int e = (int)(bits >> 52) - 1023;
    int shift = e < 8 ? 44 + e : 52;
    int index = e < 8 ? 512 - (512 >> e) + (int)((bits & 0xFFFFFFFFFFFFFull) >> shift) : 502 + e;
    double c = FromBits(bits & ~((1ull << shift) - 1));
    DD cx = TwoProd(c, ax);
    DD v = FastTwoSum(cx.hi, 1.0);
    v.lo += cx.lo;
    return AtanFinish(DD{AtanLarge[index][0], AtanLarge[index][1]}, Divide(DD{ax - c, 0.0}, v));
}

// The fast path of acos for 2^-55 <= |x| < 1 through asin w, 0 <= w <= 1/2:
//   |x| <= 1/2: acos x = pi/2 - asin x;  |x| > 1/2: acos |x| = 2 asin sqrt((1 - |x|)/2), and
//   acos x = pi - acos |x| for negative x,
// the root w + wl in double-double from the exact (1 - |x|)/2. asin(c + h + wl), c = i/256 nearest w and
// h exact, |h| <= 2^-9, by the Taylor polynomial of degree 10 at c from the table: asin c and the first
// coefficient a1 in double-double, a1 h exact; the rest h^2 P(h) in double within 2^-47 h^2 (a2 + 2^-9)
// (the sum of its terms' sizes, the stored coefficients' rounding included), and wl times the derivative
// to its third term, within 2^-24 |wl|. The polynomial's truncation is below 2^-95.
EXACT_INLINE Approx AcosFast(double x) {
    double ax = Abs(x);
    bool negative = IsNegative(x);
    double w = ax, wl = 0.0, scale = negative ? 1.0 : -1.0;
    DD offset{PiOver2[0], PiOver2[1]};
    if (ax > 0.5) {
        double q = (1.0 - ax) * 0.5;
        w = std::sqrt(q);
        double halfInverse = 0.5 / w;
        DD w2 = TwoProd(w, w);
        wl = ((q - w2.hi) - w2.lo) * halfInverse;
        scale = negative ? -2.0 : 2.0;
        offset = negative ? DD{Pi[0], Pi[1]} : DD{0.0, 0.0};
    }
    uint64_t iBits;
    double c = RoundToInteger(w * 256.0, iBits) * 0x1p-8;
    const double* a = AsinTaylor[iBits & 0xFF];
    double h = w - c;
    double h2 = h * h, h4 = h2 * h2;
    double p = h2 * (((a[4] + h * a[5]) + h2 * (a[6] + h * a[7])) +
                     h4 * (((a[8] + h * a[9]) + h2 * (a[10] + h * a[11])) + h4 * a[12]));
    DD m = TwoProd(a[2], h);
    double low = (m.lo + a[3] * h) + wl * (a[2] + h * (2.0 * a[4] + h * (3.0 * a[5])));
    DD base = Add(offset, DD{scale * a[0], scale * a[1]});
    DD s = FastTwoSum(base.hi, scale * m.hi);
    double err =
        Abs(scale) * (h2 * (a[4] + 0x1p-9) * 0x1p-47 + Abs(wl) * 0x1p-24 + 0x1p-94) + Abs(s.hi) * 0x1p-97;
    return {{s.hi, ((base.lo + s.lo) + scale * low) + scale * p}, err};
}

// atan2(n, d) for n, d >= 0 below 2, given y0 within 2^-40 of it: y0 + atan of (n cos y0 - d sin y0) /
// (d cos y0 + n sin y0), a tangent of about 2^-52, by a short series. Within 2^12 units: sin and cos within
// 300 each, their products with n and d within 1300, the quotient by about 1 and the series adding little.
template <int N> Fixed<N> AngleSlow(const Fixed<N>& n, const Fixed<N>& d, double y0) {
    Fixed<N> y = FromDouble<N>(y0), s, c;
    SinCosSeries(y, s, c);
    Fixed<N> nc = Mul(n, c), ds = Mul(d, s);
    bool below = Less(nc, ds);
    Fixed<N> w = Mul(below ? Sub(ds, nc) : Sub(nc, ds), Reciprocal(Add(Mul(d, c), Mul(n, s))));
    Fixed<N> w2 = Mul(w, w), power = w, plus = w, minus{};
    for (uint32_t k = 1;; ++k) {
        power = Mul(power, w2);
        Fixed<N> term = DivSmall(power, 2 * k + 1);
        if (IsZero(term)) break;
        if (k % 2)
            minus = Add(minus, term);
        else
            plus = Add(plus, term);
    }
    Fixed<N> at = Sub(plus, minus);
    return below ? Sub(y, at) : Add(y, at);
}

// atan(ax) for 2^-27 <= ax < 2^54 from the fast path's approximation y0, as atan2(ax, 1) scaled by a power
// of two to keep both below 2.
template <int N> bool AtanSlow(double ax, double y0, double& result) {
    int e = (int)(Bits(ax) >> 52) - 1023;
    double scale = e > 0 ? Pow2(-e) : 1.0;
    Fixed<N> angle = AngleSlow(FromDouble<N>(ax * scale), FromDouble<N>(scale), y0);
    return RoundFixedIfSure(angle, 1u << 12, result);
}

// acos(x) for 2^-55 <= |x| < 1 from the fast path's approximation y0 of acos|x|: atan2(s, |x|) with
// s = sqrt((1 - |x|)(1 + |x|)) exact in the product, the root taken with the product scaled into [1/4, 1).
template <int N> bool AcosSlow(double x, double y0, double& result) {
    Fixed<N> ax = FromDouble<N>(Abs(x)), one = Integer<N>(1);
    Fixed<N> square = Mul(Sub(one, ax), Add(one, ax));
    int top = HighestBit(square);
    int shift = (32 * (N - 1) - 1 - top) / 2;
    Fixed<N> s = ShiftRight(SquareRoot(ShiftLeft(square, 2 * shift)), shift);
    Fixed<N> angle = AngleSlow(s, ax, y0);
    if (IsNegative(x)) {
        Fixed<N> pi = Add(PiOver2Fixed<N>(), PiOver2Fixed<N>());
        angle = Sub(pi, angle);
    }
    return RoundFixedIfSure(angle, 1u << 12, result);
}

// ---------------------------------------------------------------------------------------------------------
// The cases every path shares: true, with the result, where x needs no computation.

// sin x = x - x^3/6 rounds to x for |x| < 2^-26: x^2/6 < 2^-54, under half the gap below x.
EXACT_INLINE bool SinSpecial(double x, double& result) {
    double ax = Abs(x);
    if (ax < 0x1p-26)
        result = x;
    else if (!(ax < std::numeric_limits<double>::infinity()))
        result = NotANumber;
    else
        return false;
    return true;
}

// cos x = 1 - x^2/2 rounds to 1 for |x| < 2^-27: x^2/2 < 2^-55, under half the gap below 1.
EXACT_INLINE bool CosSpecial(double x, double& result) {
    double ax = Abs(x);
    if (ax < 0x1p-27)
        result = 1.0;
    else if (!(ax < std::numeric_limits<double>::infinity()))
        result = NotANumber;
    else
        return false;
    return true;
}

// atan x rounds to x for |x| < 2^-27 (x^2/3 < 2^-54), and to the double nearest pi/2 for |x| >= 2^54:
// pi/2 lies 2^-53.9 above that double and 1/x <= 2^-54 moves it less than the 2^-53 to a midpoint.
EXACT_INLINE bool AtanSpecial(double x, double& result) {
    double ax = Abs(x);
    if (ax < 0x1p-27)
        result = x;
    else if (ax != ax)
        result = NotANumber;
    else if (ax >= 0x1p54)
        result = IsNegative(x) ? -PiOver2[0] : PiOver2[0];
    else
        return false;
    return true;
}

// acos is NaN beyond [-1, 1], 0 at 1, the double nearest pi at -1 (where the paths would also find it), and
// the double nearest pi/2 for |x| < 2^-55: pi/2 - x stays within the 2^-53.1 from pi/2 to the midpoint below
// that double.
EXACT_INLINE bool AcosSpecial(double x, double& result) {
    double ax = Abs(x);
    if (!(ax <= 1.0))
        result = NotANumber;
    else if (x == 1.0)
        result = 0.0;
    else if (x == -1.0)
        result = Pi[0];
    else if (ax < 0x1p-55)
        result = PiOver2[0];
    else
        return false;
    return true;
}

EXACT_INLINE bool Special(ExactFunction function, double x, double& result) {
    switch (function) {
    case ExactFunction::Sin:
        return SinSpecial(x, result);
    case ExactFunction::Cos:
        return CosSpecial(x, result);
    case ExactFunction::Atan:
        return AtanSpecial(x, result);
    case ExactFunction::Acos:
        return AcosSpecial(x, result);
    }
    return false;
}

// The fast path's approximation of a non-special x and its error; for atan of |x|.
EXACT_INLINE Approx Fast(ExactFunction function, double x) {
    switch (function) {
    case ExactFunction::Sin:
        return SinCosFast(x, false);
    case ExactFunction::Cos:
        return SinCosFast(x, true);
    case ExactFunction::Atan:
        return AtanFast(Abs(x));
    case ExactFunction::Acos:
        return AcosFast(x);
    }
    return {};
}

// The fast path's result with atan's sign applied, or false.
EXACT_INLINE bool FastDecides(ExactFunction function, double x, double& result) {
    Approx y = Fast(function, x);
    if (!RoundIfSure(y, result)) return false;
    result = NegateIf(result, function == ExactFunction::Atan && IsNegative(x));
    return true;
}

double Slow(ExactFunction function, double x) {
    double result;
    switch (function) {
    case ExactFunction::Sin:
        return SinCosSlowPath(x, false);
    case ExactFunction::Cos:
        return SinCosSlowPath(x, true);
    case ExactFunction::Atan: {
        double y0 = Fast(function, x).y.hi;
        if (!AtanSlow<9>(Abs(x), y0, result)) AtanSlow<17>(Abs(x), y0, result);
        return IsNegative(x) ? -result : result;
    }
    case ExactFunction::Acos: {
        double y0 = Fast(function, Abs(x)).y.hi;
        if (!AcosSlow<9>(x, y0, result)) AcosSlow<17>(x, y0, result);
        return result;
    }
    }
    return NotANumber;
}

EXACT_INLINE double Evaluate(ExactFunction function, double x) {
    double result;
    if (Special(function, x, result) || FastDecides(function, x, result)) return result;
    return Slow(function, x);
}

} // namespace

double ExactSin(double x) {
    return Evaluate(ExactFunction::Sin, x);
}
double ExactCos(double x) {
    return Evaluate(ExactFunction::Cos, x);
}
double ExactAtan(double x) {
    return Evaluate(ExactFunction::Atan, x);
}
double ExactAcos(double x) {
    return Evaluate(ExactFunction::Acos, x);
}

bool ExactFastPath(ExactFunction function, double x, double& result) {
    return Special(function, x, result) || FastDecides(function, x, result);
}

double ExactSlowPath(ExactFunction function, double x) {
    double result;
    if (Special(function, x, result)) return result;
    return Slow(function, x);
}

bool ExactFastApproximation(ExactFunction function, double x, double& hi, double& lo, double& err) {
    double special;
    if (Special(function, x, special)) return false;
    Approx a = Fast(function, x);
    bool negate = function == ExactFunction::Atan && IsNegative(x);
    hi = negate ? -a.y.hi : a.y.hi;
    lo = negate ? -a.y.lo : a.y.lo;
    err = a.err;
    return true;
}
