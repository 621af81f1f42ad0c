// The extended-precision type against the x87 (long double on x86 Linux) and MPFR: the game's constants,
// special cases at the edges, random samples of every operation, hard cases of the arc tangent, and the
// game's own extended-precision expressions.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "exact/ExtendedTables.h"
#include "exact/Numeric.h"
#include "extcheck/ExtReference.h"

namespace {

using extref::FromLongDouble;
using extref::SameBits;
using extref::ToLongDouble;
using extref::TOp;

constexpr uint64_t Top = 1ull << 63;
constexpr TExtended One{Top, 16383, false};
constexpr TExtended Largest{~0ull, 0x7ffe, false};
constexpr TExtended SmallestNormal{Top, 1, false};
constexpr TExtended SmallestSubnormal{1, 0, false};
constexpr TExtended Inf{Top, 0x7fff, false};
constexpr TExtended QuietNaN{Top | (1ull << 62) | 5, 0x7fff, false};
constexpr TExtended SignallingNaN{Top | 7, 0x7fff, true};

// sig * 2^(exponent - 63), normalised by the caller.
constexpr TExtended Make(uint64_t significand, int exponent, bool negative = false) {
    return {significand, (uint16_t)(exponent + 16383), negative};
}

std::string Show(TExtended v) {
    char text[64];
    std::snprintf(text, sizeof text, "%c%016llx e%04x", v.Negative ? '-' : '+',
                  (unsigned long long)v.Significand, v.Exponent);
    return text;
}

#define SKIP_WITHOUT_X87()                                                                                   \
    if (!extref::HaveX87) GTEST_SKIP() << "needs long double in the x87's format"

TEST(ExtendedConstants, MatchMpfrAndTheCompilersRounding) {
    struct Case {
        TExtended value;
        const char* decimal;
        long double literal;
    } cases[] = {
        {ExtGamePi, "3.1428", 3.1428L}, {ExtGravity, "9.81", 9.81L}, {ExtHalfTurnDegrees, "180", 180.0L}};
    for (const Case& c : cases) {
        mpfr_t m;
        mpfr_init2(m, 64);
        mpfr_set_str(m, c.decimal, 10, MPFR_RNDN);
        EXPECT_TRUE(SameBits(c.value, extref::FromMpfr(m))) << c.decimal;
        mpfr_clear(m);
        if (extref::HaveX87) {
            EXPECT_TRUE(SameBits(c.value, FromLongDouble(c.literal))) << c.decimal;
        }
    }
}

TEST(ExtendedConstants, ArcTangentTableMatchesMpfr) {
    mpfr_t v;
    mpfr_init2(v, 500);
    mpz_t z;
    mpz_init(z);
    for (int row = 0; row <= ExtPiRow; row++) {
        if (row <= ExtAtanSteps) {
            mpfr_set_ui(v, (unsigned long)row, MPFR_RNDN);
            mpfr_div_ui(v, v, 64, MPFR_RNDN);
            mpfr_atan(v, v, MPFR_RNDN);
        } else {
            mpfr_const_pi(v, MPFR_RNDN);
            if (row == ExtHalfPiRow) mpfr_div_2ui(v, v, 1, MPFR_RNDN);
        }
        mpfr_mul_2ui(v, v, 320, MPFR_RNDN);
        mpfr_get_z(z, v, MPFR_RNDN);
        for (int limb = ExtConstantLimbs - 1; limb >= 0; limb--) {
            EXPECT_EQ(ExtAtanConstants[row][limb], (uint32_t)(mpz_get_ui(z) & 0xffffffffu))
                << row << " " << limb;
            mpz_fdiv_q_2exp(z, z, 32);
        }
    }
    mpz_clear(z);
    mpfr_clear(v);
}

// Each case's operands, with what it exercises; the x87 gives the expected bits.
TEST(Extended, SpecialCasesMatchTheX87) {
    SKIP_WITHOUT_X87();
    const TExtended negZero{0, 0, true}, zero{0, 0, false}, two = Make(Top, 1),
                                                            three = Make(Top | Top >> 1, 1);
    const TExtended oneUlp = Make(Top, -63), halfUlp = Make(Top, -64), justOver = Make(Top | 1, 0);
    struct Case {
        TOp op;
        TExtended a, b;
    } cases[] = {
        // Signed zeros, infinities and invalid operations.
        {TOp::Add, zero, negZero},
        {TOp::Add, negZero, negZero},
        {TOp::Sub, negZero, zero},
        {TOp::Sub, three, three},
        {TOp::Mul, negZero, three},
        {TOp::Mul, zero, Inf},
        {TOp::Div, zero, zero},
        {TOp::Div, One, negZero},
        {TOp::Div, negZero, Inf},
        {TOp::Div, Inf, Inf},
        {TOp::Sub, Inf, Inf},
        {TOp::Mul, Inf, ExtNeg(two)},
        {TOp::Sqrt, negZero, zero},
        {TOp::Sqrt, ExtNeg(three), zero},
        {TOp::Sqrt, Inf, zero},
        // NaNs: quieted, the quiet one of two, else the larger significand.
        {TOp::Add, QuietNaN, One},
        {TOp::Mul, One, SignallingNaN},
        {TOp::Add, SignallingNaN, QuietNaN},
        {TOp::Div, Make(Top | 3ull << 61, 16384), QuietNaN},
        {TOp::Sqrt, SignallingNaN, zero},
        // Ties to even, a carry into the next binade, the jammed bits of a far smaller addend.
        {TOp::Add, One, halfUlp},
        {TOp::Add, justOver, halfUlp},
        {TOp::Add, Make(~0ull, 0), halfUlp},
        {TOp::Sub, One, Make(Top, -70)},
        {TOp::Sub, One, Make(Top | 1, -65)},
        {TOp::Sub, justOver, One},
        {TOp::Mul, Make(~0ull, 0), Make(~0ull, 0)},
        {TOp::Mul, justOver, justOver},
        {TOp::Div, One, three},
        {TOp::Div, ExtendedFromInt(6), three},
        {TOp::Sqrt, two, zero},
        {TOp::Sqrt, Make(Top, 2), zero},
        {TOp::Sqrt, Make(0xfffffffe00000001, 63), zero}, // (2^32 - 1)^2: a root with all low bits set
        {TOp::Sqrt, Make(~0ull, 0), zero},
        {TOp::Sqrt, Make(~0ull, 1), zero},
        // Divisions whose estimated quotient digits are two too large, the high one and the low one.
        {TOp::Div, Make(0xafef107a27529ad0, 0), Make(0x80000003fbde15b0, 0)},
        {TOp::Div, Make(0xfb59baf2b613ed82, 0), Make(0x80000001fabd75da, 0)},
        // Overflow and underflow at the edges, subnormal operands and results.
        {TOp::Add, Largest, Largest},
        {TOp::Mul, Largest, two},
        {TOp::Add, Largest, Make(Top, 16383 - 64)},
        {TOp::Div, Largest, SmallestSubnormal},
        {TOp::Div, SmallestSubnormal, Largest},
        {TOp::Div, SmallestNormal, two},
        {TOp::Div, SmallestSubnormal, two},
        {TOp::Mul, SmallestSubnormal, Make(Top | Top >> 1, -1)},
        {TOp::Sub, SmallestNormal, SmallestSubnormal},
        {TOp::Add, {Top - 1, 0, false}, SmallestSubnormal},
        {TOp::Mul, {12345, 0, true}, Make(Top, 70)},
        {TOp::Sqrt, SmallestSubnormal, zero},
        {TOp::Sqrt, Largest, zero},
        {TOp::Mul, oneUlp, oneUlp},
        // Operands the x87 treats specially: a pseudo-denormal is accepted, an unnormal refused.
        {TOp::Add, {Top | 5, 0, false}, SmallestSubnormal},
        {TOp::Mul, {Top >> 1, 16383, false}, One},
        // Narrowing: ties, overflow, subnormal floats and doubles.
        {TOp::ToFloat, Make(Top | 1ull << 39, 0), zero},
        {TOp::ToFloat, Make(Top | 1ull << 39 | 1, 0), zero},
        {TOp::ToFloat, Make(~0ull << 39, 127), zero},
        {TOp::ToFloat, Make(~0ull << 40 | ((1ull << 39) - 1), 127), zero},
        {TOp::ToFloat, Make(Top, -150), zero},
        {TOp::ToFloat, Make(Top | 1, -150), zero},
        {TOp::ToFloat, Make(Top | Top >> 1, -149), zero},
        {TOp::ToFloat, Make(~0ull, -127), zero},
        {TOp::ToFloat, QuietNaN, zero},
        {TOp::ToFloat, SignallingNaN, zero},
        {TOp::ToFloat, Largest, zero},
        {TOp::ToDouble, Make(Top | 1ull << 10, 0), zero},
        {TOp::ToDouble, Make(~0ull << 10, 1023), zero},
        {TOp::ToDouble, Make(Top, -1075), zero},
        {TOp::ToDouble, Make(Top | 1, -1075), zero},
        {TOp::ToDouble, SmallestSubnormal, zero},
        {TOp::ToDouble, negZero, zero}};
    for (const Case& c : cases) {
        const TExtended want = extref::Reference(c.op, c.a, c.b), got = extref::Compute(c.op, c.a, c.b);
        EXPECT_TRUE(SameBits(got, want)) << extref::OpName(c.op) << " " << Show(c.a) << ", " << Show(c.b)
                                         << ": got " << Show(got) << ", want " << Show(want);
    }
}

TEST(Extended, ComparisonsAndConversionsMatchTheX87) {
    SKIP_WITHOUT_X87();
    const float floats[] = {0.0f,
                            -0.0f,
                            1.5f,
                            -3.25e-3f,
                            FLT_MAX,
                            FLT_MIN,
                            1e-45f,
                            -1.17e-38f,
                            INFINITY,
                            std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::signaling_NaN()};
    const double doubles[] = {0.1, -1e300, 5e-324, DBL_MIN * 0.75, -INFINITY, std::nan("7")};
    const int64_t ints[] = {0, 1, -1, 1000, INT64_MAX, INT64_MIN, (int64_t)1 << 53 | 1};
    std::vector<TExtended> values;
    for (const float f : floats) {
        values.push_back(ExtendedFromFloat(f));
        EXPECT_TRUE(SameBits(values.back(), FromLongDouble((long double)f))) << f;
    }
    for (const double d : doubles) {
        values.push_back(ExtendedFromDouble(d));
        EXPECT_TRUE(SameBits(values.back(), FromLongDouble((long double)d))) << d;
    }
    for (const int64_t i : ints) {
        values.push_back(ExtendedFromInt(i));
        EXPECT_TRUE(SameBits(values.back(), FromLongDouble((long double)i))) << i;
    }
    values.insert(values.end(),
                  {Largest, ExtNeg(Largest), SmallestSubnormal, Make(Top | 1, 127), Make(Top, 128)});
    for (const TExtended a : values) {
        const long double x = ToLongDouble(a);
        const float saturated = ExtToFloatSaturated(a), want = F32(x);
        EXPECT_EQ(std::memcmp(&saturated, &want, 4), 0) << Show(a);
        EXPECT_EQ(ExtIsNaN(a), std::isnan(x)) << Show(a);
        for (const TExtended b : values) {
            const long double y = ToLongDouble(b);
            EXPECT_EQ(ExtLess(a, b), x < y) << Show(a) << " < " << Show(b);
            EXPECT_EQ(ExtLessEqual(a, b), x <= y) << Show(a) << " <= " << Show(b);
            EXPECT_EQ(ExtEqual(a, b), x == y) << Show(a) << " == " << Show(b);
        }
    }
}

// Random inputs of every kind (see ExtReference.h): the x87 for the arithmetic and the conversions, MPFR
// for the arc tangent.
TEST(Extended, RandomInputsMatchTheReference) {
    SKIP_WITHOUT_X87();
    for (const TOp op : extref::AllOps) {
        const int count = op == TOp::Atan2 ? 100000 : 200000;
        extref::TRandom random{0x1234 + (uint64_t)op};
        int different = 0;
        for (int i = 0; i < count; i++) {
            TExtended a, b;
            extref::RandomInputs(op, random, a, b);
            const TExtended got = extref::Compute(op, a, b), want = extref::Reference(op, a, b);
            if (!SameBits(got, want) && different++ < 3)
                ADD_FAILURE() << extref::OpName(op) << " " << Show(a) << ", " << Show(b) << ": got "
                              << Show(got) << ", want " << Show(want);
        }
        EXPECT_EQ(different, 0) << extref::OpName(op);
    }
}

TEST(Extended, Atan2SpecialCasesMatchMpfr) {
    const TExtended zero{0, 0, false}, negZero{0, 0, true}, two = Make(Top, 1), negTwo = Make(Top, 1, true);
    const TExtended negInf = ExtNeg(Inf);
    const TExtended pairs[][2] = {
        {zero, two},
        {negZero, two},
        {zero, negTwo},
        {negZero, negZero},
        {zero, zero},
        {two, zero},
        {negTwo, negZero},
        {Inf, Inf},
        {Inf, negInf},
        {ExtNeg(Inf), two},
        {two, Inf},
        {negTwo, negInf},
        {two, two},
        {negTwo, two},
        {two, negTwo},
        {Largest, SmallestSubnormal},
        {SmallestSubnormal, Largest},
        // Tiny quotients: a subnormal result, exactly half the smallest subnormal (atan is just below: 0),
        // two thirds of the smallest, and 1.5 times it (a tie to even but for the part atan takes off: down).
        {SmallestNormal, Make(Top, 20)},
        {SmallestNormal, Make(Top, 64)},
        {SmallestNormal, Make(Top | Top >> 1, 63)},
        {Make(Top | Top >> 1, -16382), Make(Top, 63)},
        {Make(Top, -16382), Make(0xaaaaaaaaaaaaaaab, 0)},
        {One, Make(Top, 69)},
        {One, Make(Top | 12345, 70)}};
    for (const auto& p : pairs) {
        const TExtended got = ExtAtan2(p[0], p[1]), want = extref::MpfrAtan2(p[0], p[1]);
        EXPECT_TRUE(SameBits(got, want))
            << Show(p[0]) << ", " << Show(p[1]) << ": got " << Show(got) << ", want " << Show(want);
    }
    // A NaN operand comes back quieted.
    EXPECT_TRUE(
        SameBits(ExtAtan2(SignallingNaN, two), {SignallingNaN.Significand | 1ull << 62, 0x7fff, true}));
    EXPECT_TRUE(SameBits(ExtAtan2(two, QuietNaN), QuietNaN));
}

// Both paths' fixed-point approximations lie within the error bound the rounding test assumes, for random
// pairs of every kind (the table's steps, the small ratios kept to relative precision, the game's form).
TEST(Extended, Atan2ApproximationsStayWithinTheirErrorBound) {
    extref::TRandom random{99};
    mpfr_t exact, a, b, v;
    mpfr_inits2(700, exact, a, b, v, (mpfr_ptr)0);
    mpz_t limbs;
    mpz_init(limbs);
    for (int i = 0; i < 20000; i++) {
        TExtended y, x;
        extref::RandomAtan2Pair(random, y, x);
        y.Negative = false;
        extref::ToMpfr(a, y);
        extref::ToMpfr(b, x);
        mpfr_atan2(exact, a, b, MPFR_RNDN);
        for (const bool slow : {false, true}) {
            TExtAtanApproximation approximation;
            if (!ExtAtan2Approximate(y, x, slow, approximation)) break;
            mpz_set_ui(limbs, 0);
            for (int limb = ExtConstantLimbs - 1; limb >= 0; limb--) {
                mpz_mul_2exp(limbs, limbs, 32);
                mpz_add_ui(limbs, limbs, approximation.Limbs[limb]);
            }
            // |approximation - exact 2^Scale| in units of the approximation's last place.
            mpfr_mul_2si(v, exact, approximation.Scale, MPFR_RNDN);
            mpfr_sub_z(v, v, limbs, MPFR_RNDN);
            mpfr_abs(v, v, MPFR_RNDN);
            ASSERT_LT(mpfr_cmp_ui(v, ExtAtanErrorUnits), 0) << (slow ? "slow " : "fast ") << Show(y) << ", "
                                                            << Show(x) << ": " << mpfr_get_d(v, MPFR_RNDN);
        }
    }
    mpz_clear(limbs);
    mpfr_clears(exact, a, b, v, (mpfr_ptr)0);
}

// Pairs whose arc tangent lies very near a rounding midpoint m: y/x is the last convergent of the continued
// fraction of tan(m) (or cot(m)) with both terms below 2^64. Those within 2^-128 of m, a quarter of the fast
// path's error window, must go to the slow path; every one must round correctly.
TEST(Extended, Atan2HardCasesTakeTheSlowPathAndRoundCorrectly) {
    extref::TRandom random{77};
    mpfr_t m, v, frac;
    mpfr_inits2(700, m, v, frac, (mpfr_ptr)0);
    mpz_t a, p, q, p1, q1, t;
    mpz_inits(a, p, q, p1, q1, t, nullptr);
    int hard = 0;
    for (int i = 0; i < 400; i++) {
        // m = (S + 1/2) ulp for a random 64-bit S, in (0.05, 3.1).
        const double target = 0.05 + 3.05 * random.Unit();
        mpfr_set_d(m, target, MPFR_RNDN);
        const long scale = 64 - (long)mpfr_get_exp(m); // units of the last place of m's binade
        mpfr_mul_2si(m, m, scale, MPFR_RNDN);
        mpfr_floor(m, m);
        mpfr_add_d(m, m, 0.5, MPFR_RNDN);
        mpfr_div_2si(m, m, scale, MPFR_RNDN);
        const bool useTan = target < 0.785 || target > 2.36;
        if (useTan)
            mpfr_tan(v, m, MPFR_RNDN);
        else
            mpfr_cot(v, m, MPFR_RNDN);
        const bool negative = mpfr_sgn(v) < 0;
        mpfr_abs(v, v, MPFR_RNDN);
        // Convergents p/q of v until a term reaches 2^64; keep the last one below.
        mpz_set_ui(p, 1), mpz_set_ui(q, 0), mpz_set_ui(p1, 0), mpz_set_ui(q1, 1);
        uint64_t bestP = 0, bestQ = 1;
        for (int term = 0; term < 200; term++) {
            mpfr_get_z(a, v, MPFR_RNDD);
            mpfr_frac(frac, v, MPFR_RNDN);
            mpz_mul(t, a, p), mpz_add(t, t, p1), mpz_set(p1, p), mpz_set(p, t);
            mpz_mul(t, a, q), mpz_add(t, t, q1), mpz_set(q1, q), mpz_set(q, t);
            if (mpz_sizeinbase(p, 2) > 64 || mpz_sizeinbase(q, 2) > 64 || mpfr_zero_p(frac)) break;
            bestP = mpz_get_ui(p), bestQ = mpz_get_ui(q);
            mpfr_ui_div(v, 1, frac, MPFR_RNDN);
        }
        auto make = [](uint64_t n, bool negative) {
            const int shift = std::countl_zero(n);
            return Make(n << shift, 63 - shift, negative);
        };
        const TExtended y = make(useTan ? bestP : bestQ, false), x = make(useTan ? bestQ : bestP, negative);
        const TAtan2Result got = ExtAtan2Traced(y, x);
        const TExtended want = extref::MpfrAtan2(y, x);
        EXPECT_TRUE(SameBits(got.Value, want) && got.Decided)
            << Show(y) << ", " << Show(x) << ": got " << Show(got.Value) << ", want " << Show(want);
        // How near the midpoint the exact value lies.
        extref::ToMpfr(v, y);
        extref::ToMpfr(frac, x);
        mpfr_atan2(v, v, frac, MPFR_RNDN);
        mpfr_sub(v, v, m, MPFR_RNDN);
        mpfr_abs(v, v, MPFR_RNDN);
        if (mpfr_cmp_ui_2exp(v, 1, -128) < 0) {
            hard++;
            EXPECT_TRUE(got.SlowPath) << Show(y) << ", " << Show(x);
        }
    }
    EXPECT_GT(hard, 50);
    mpz_clears(a, p, q, p1, q1, t, nullptr);
    mpfr_clears(m, v, frac, (mpfr_ptr)0);
}

// The game's extended-precision expressions, each step against long double, the arc tangent against MPFR.
TEST(Extended, GameExpressionsMatchLongDouble) {
    SKIP_WITHOUT_X87();
    extref::TRandom random{2024};
    auto same = [](float a, float b) { return std::memcmp(&a, &b, 4) == 0; };
    auto game = [&random] { return (float)extref::GameSized(random); };
    for (int i = 0; i < 20000; i++) {
        const float degrees = game(), radians = game(), mass = std::fabs(game()), coeff = std::fabs(game());
        const TExtended toRadians = ExtendedFromFloat(degrees) * ExtGamePi / ExtHalfTurnDegrees;
        ASSERT_TRUE(same(ExtToFloatSaturated(toRadians), F32((long double)degrees * 3.1428L / 180.0L)))
            << degrees;
        const TExtended toDegrees = ExtendedFromFloat(radians) * ExtHalfTurnDegrees / ExtGamePi;
        ASSERT_TRUE(same(ExtToFloatSaturated(toDegrees), F32((long double)radians * 180.0L / 3.1428L)))
            << radians;
        const TExtended roll = ExtGravity * ExtendedFromFloat(mass) * ExtendedFromFloat(coeff);
        ASSERT_TRUE(same(ExtToFloatSaturated(roll), F32(9.81L * (long double)mass * (long double)coeff)));

        // The angle between two directions, as the collision code computes it.
        const float ux = game(), uy = game(), vx = game(), vy = game();
        const TExtended eux = ExtendedFromFloat(ux), euy = ExtendedFromFloat(uy);
        const TExtended evx = ExtendedFromFloat(vx), evy = ExtendedFromFloat(vy);
        TExtended c =
            (eux * evx + euy * evy) / (ExtSqrt(eux * eux + euy * euy) * ExtSqrt(evx * evx + evy * evy));
        const long double lux = ux, luy = uy, lvx = vx, lvy = vy;
        long double lc =
            (lux * lvx + luy * lvy) / (std::sqrt(lux * lux + luy * luy) * std::sqrt(lvx * lvx + lvy * lvy));
        ASSERT_TRUE(SameBits(c, FromLongDouble(lc))) << ux << " " << uy << " " << vx << " " << vy;
        if (ExtLess(One, c)) c = One, lc = 1.0L;
        if (ExtLess(c, ExtNeg(One))) c = ExtNeg(One), lc = -1.0L;
        const TExtended s = ExtSqrt(One - c * c);
        ASSERT_TRUE(SameBits(s, FromLongDouble(std::sqrt(1.0L - lc * lc))));
        const TExtended angle = ExtAtan2(s, c);
        ASSERT_TRUE(SameBits(angle, extref::MpfrAtan2(s, c))) << Show(s) << ", " << Show(c);
        ASSERT_TRUE(same(ExtToFloatSaturated(angle), F32(ToLongDouble(extref::MpfrAtan2(s, c)))));
    }
}

} // namespace
