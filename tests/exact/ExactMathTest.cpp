// ExactSin, ExactCos, ExactAtan and ExactAcos against MPFR's correctly rounded results: the constant tables
// entry by entry, a table of special and hard inputs, samples of the game's angles, of doubles of every
// exponent and of the functions' hard spots, and the slow path on its own.
#include <gtest/gtest.h>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "exact/ExactMath.h"

namespace {

namespace tables = exact_math_tables;

constexpr double Inf = std::numeric_limits<double>::infinity();
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

uint64_t Bits(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

// Bit-identical, any NaN matching any NaN.
bool Same(double a, double b) {
    return Bits(a) == Bits(b) || (std::isnan(a) && std::isnan(b));
}

// MPFR at 2048 bits for the tables; MPFR rounded once to a double, subnormals included, for the functions.
// The exponent range is MPFR's global state: narrowed to doubles' here and given back on leaving, so that the
// extended tests after these still reach their own exponents.
class Mpfr {
  public:
    Mpfr() : emin_(mpfr_get_emin()), emax_(mpfr_get_emax()) {
        mpfr_set_emin(-1073);
        mpfr_set_emax(1024);
        mpfr_inits2(2048, pi_, wide_, rest_, (mpfr_ptr)0);
        mpfr_inits2(53, x_, y_, (mpfr_ptr)0);
        mpfr_const_pi(pi_, MPFR_RNDN);
    }
    ~Mpfr() {
        mpfr_clears(pi_, wide_, rest_, x_, y_, (mpfr_ptr)0);
        mpfr_set_emin(emin_);
        mpfr_set_emax(emax_);
    }

    double Exact(ExactFunction f, double x) {
        mpfr_set_d(x_, x, MPFR_RNDN);
        int inexact = f == ExactFunction::Sin    ? mpfr_sin(y_, x_, MPFR_RNDN)
                      : f == ExactFunction::Cos  ? mpfr_cos(y_, x_, MPFR_RNDN)
                      : f == ExactFunction::Atan ? mpfr_atan(y_, x_, MPFR_RNDN)
                                                 : mpfr_acos(y_, x_, MPFR_RNDN);
        mpfr_subnormalize(y_, inexact, MPFR_RNDN);
        return mpfr_get_d(y_, MPFR_RNDN);
    }

    // The i-th 32-bit word of the fraction of wide_, from 0 just after the point: word by word, so that no
    // value leaves the exponent range the constructor sets for doubles.
    uint32_t Word(int i) {
        mpfr_frac(rest_, wide_, MPFR_RNDN);
        unsigned long word = 0;
        for (int k = 0; k <= i; ++k) {
            mpfr_mul_2ui(rest_, rest_, 32, MPFR_RNDN);
            word = mpfr_get_ui(rest_, MPFR_RNDZ);
            mpfr_sub_ui(rest_, rest_, word, MPFR_RNDN);
        }
        return (uint32_t)word;
    }

    // Whether hi, lo is the double nearest wide_ and the double nearest the rest.
    bool IsDoubleDouble(double hi, double lo) {
        mpfr_sub_d(rest_, wide_, hi, MPFR_RNDN);
        return hi == mpfr_get_d(wide_, MPFR_RNDN) && lo == mpfr_get_d(rest_, MPFR_RNDN);
    }

    mpfr_exp_t emin_, emax_;
    mpfr_t pi_, wide_, rest_, x_, y_;
};

double Call(ExactFunction f, double x) {
    switch (f) {
    case ExactFunction::Sin:
        return ExactSin(x);
    case ExactFunction::Cos:
        return ExactCos(x);
    case ExactFunction::Atan:
        return ExactAtan(x);
    case ExactFunction::Acos:
        return ExactAcos(x);
    }
    return 0.0;
}

const char* Name(ExactFunction f) {
    const char* names[] = {"sin", "cos", "atan", "acos"};
    return names[(int)f];
}

constexpr ExactFunction All[] = {ExactFunction::Sin, ExactFunction::Cos, ExactFunction::Atan,
                                 ExactFunction::Acos};

TEST(ExactMath, BitsOfTwoOverPiAndPiOver2MatchMpfr) {
    Mpfr m;
    mpfr_ui_div(m.wide_, 2, m.pi_, MPFR_RNDN);
    for (int i = 0; i < tables::TwoOverPiWords; ++i)
        EXPECT_EQ(tables::TwoOverPi[i], m.Word(i)) << i;
    mpfr_div_2ui(m.wide_, m.pi_, 1, MPFR_RNDN);
    for (int i = 0; i < tables::PiOver2Words; ++i)
        EXPECT_EQ(tables::PiOver2Fraction[i], m.Word(i)) << i;
    EXPECT_TRUE(m.IsDoubleDouble(tables::PiOver2[0], tables::PiOver2[1]));

    // The reduction's parts: the first three short enough for exact products by k < 2^21, the four
    // together within 2^-157 of pi/2.
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Bits(tables::PiOver2Parts[i]) & 0x1FFFFF, 0u) << i;
    for (double part : tables::PiOver2Parts)
        mpfr_sub_d(m.wide_, m.wide_, part, MPFR_RNDN);
    EXPECT_LT(mpfr_get_d(m.wide_, MPFR_RNDN), 0x1p-157);
    EXPECT_GT(mpfr_get_d(m.wide_, MPFR_RNDN), -0x1p-157);

    mpfr_set(m.wide_, m.pi_, MPFR_RNDN);
    EXPECT_TRUE(m.IsDoubleDouble(tables::Pi[0], tables::Pi[1]));
}

TEST(ExactMath, SinCosAndAtanTablesMatchMpfr) {
    Mpfr m;
    for (int i = 0; i < tables::SinCosRows; ++i) {
        mpfr_set_si_2exp(m.rest_, i, -10, MPFR_RNDN);
        mpfr_sin(m.wide_, m.rest_, MPFR_RNDN);
        EXPECT_TRUE(m.IsDoubleDouble(tables::SinCos[i][0], tables::SinCos[i][1])) << "sin " << i;
        mpfr_set_si_2exp(m.rest_, i, -10, MPFR_RNDN);
        mpfr_cos(m.wide_, m.rest_, MPFR_RNDN);
        EXPECT_TRUE(m.IsDoubleDouble(tables::SinCos[i][2], tables::SinCos[i][3])) << "cos " << i;
    }
    for (int i = 0; i < tables::AtanRows; ++i) {
        mpfr_set_si_2exp(m.rest_, i, -7, MPFR_RNDN);
        mpfr_atan(m.wide_, m.rest_, MPFR_RNDN);
        EXPECT_TRUE(m.IsDoubleDouble(tables::Atan[i][0], tables::Atan[i][1])) << "atan " << i;
    }
    // The grid beyond 1: k = max(0, 8 - e) bits after the leading one in each binade 2^e.
    int row = 0;
    for (int e = 0; e <= 53; ++e) {
        int k = e < 8 ? 8 - e : 0;
        for (int j = 0; j < (1 << k); ++j, ++row) {
            ASSERT_LT(row, tables::AtanLargeRows);
            mpfr_set_si_2exp(m.rest_, (1 << k) + j, e - k, MPFR_RNDN);
            mpfr_atan(m.wide_, m.rest_, MPFR_RNDN);
            EXPECT_TRUE(m.IsDoubleDouble(tables::AtanLarge[row][0], tables::AtanLarge[row][1])) << row;
        }
    }
    EXPECT_EQ(row, tables::AtanLargeRows);
}

// The Taylor coefficients of asin at c = i/256, from those of its derivative g = (1 - x^2)^-1/2, which
// satisfies (1 - x^2) g' = x g: g's coefficients at c follow b[n+1] = ((2n+1) c b[n] + n b[n-1]) /
// ((1 - c^2)(n+1)), and asin's are a[n+1] = b[n]/(n+1).
TEST(ExactMath, AsinTaylorTableMatchesMpfr) {
    Mpfr m;
    mpfr_t c, oneMinusC2, b[10], t;
    mpfr_inits2(2048, c, oneMinusC2, t, (mpfr_ptr)0);
    for (mpfr_t& v : b)
        mpfr_init2(v, 2048);
    for (int i = 0; i < tables::AsinTaylorRows; ++i) {
        const double* row = tables::AsinTaylor[i];
        mpfr_set_si_2exp(c, i, -8, MPFR_RNDN);
        mpfr_asin(m.wide_, c, MPFR_RNDN);
        EXPECT_TRUE(m.IsDoubleDouble(row[0], row[1])) << "asin " << i;
        mpfr_sqr(oneMinusC2, c, MPFR_RNDN);
        mpfr_ui_sub(oneMinusC2, 1, oneMinusC2, MPFR_RNDN);
        mpfr_rec_sqrt(b[0], oneMinusC2, MPFR_RNDN);
        mpfr_set(m.wide_, b[0], MPFR_RNDN);
        EXPECT_TRUE(m.IsDoubleDouble(row[2], row[3])) << "a1 " << i;
        for (int n = 0; n + 1 < 10; ++n) {
            mpfr_mul(t, c, b[n], MPFR_RNDN);
            mpfr_mul_ui(t, t, 2 * n + 1, MPFR_RNDN);
            if (n > 0) {
                mpfr_mul_ui(m.rest_, b[n - 1], n, MPFR_RNDN);
                mpfr_add(t, t, m.rest_, MPFR_RNDN);
            }
            mpfr_div(t, t, oneMinusC2, MPFR_RNDN);
            mpfr_div_ui(b[n + 1], t, n + 1, MPFR_RNDN);
            mpfr_div_ui(t, b[n + 1], n + 2, MPFR_RNDN);
            EXPECT_EQ(row[4 + n], mpfr_get_d(t, MPFR_RNDN)) << "a" << n + 2 << " at " << i;
        }
    }
    mpfr_clears(c, oneMinusC2, t, (mpfr_ptr)0);
    for (mpfr_t& v : b)
        mpfr_clear(v);
}

// Inputs where a mistake would be likeliest: zeros and signs, subnormals, the thresholds of the shortcuts,
// the ends of the domains, infinities and NaN; doubles nearest multiples of pi/2, the last 2^-60.9 from one
// (the nearest any double comes); and inputs whose results lie 2^-47 to 2^-54 of an ulp from a midpoint
// between doubles (acos: 2^-28), found by searching with MPFR among sin x ~ x - x^3/6, atan x ~ x - x^3/3,
// cos x ~ 1 - x^2/2 chosen to land there and acos(1 - k 2^-53).
// clang-format off
constexpr double Special[] = {
    0.0, -0.0, 0x1p-1074, -0x1p-1074, 0x1p-1022, -0x1.ffffffffffffep-1023, 0x1p-60, 0x1.fffffffffffffp-28,
    0x1p-27, 0x1.fffffffffffffp-27, 0x1p-26, -0x1p-26, 0x1p-55, 0x1.fffffffffffffp-56, 1e-10, 0.5, -0.5,
    0x1.fffffffffffffp-1, -0x1.fffffffffffffp-1, 1.0, -1.0, 0x1.0000000000001p+0, 2.0, -2.0, 1e22, 1e300,
    -1e300, 0x1p21, 0x1.fffffffffffffp+20, 0x1p16, 0x1p54, 0x1.fffffffffffffp+53, 0x1p1023,
    0x1.fffffffffffffp+1023, -0x1.fffffffffffffp+1023, Inf, -Inf, NaN,
    // pi/4, pi/2 and the double above, pi, -pi, 3 pi/2, 2 pi, 100 pi, 2^20 pi/2, the near multiple.
    0x1.921fb54442d18p-1, 0x1.921fb54442d18p+0, 0x1.921fb54442d19p+0, 0x1.921fb54442d18p+1,
    -0x1.921fb54442d18p+1, 0x1.2d97c7f3321d2p+2, 0x1.921fb54442d18p+2, 0x1.3a28c59d5433bp+8,
    0x1.921fb54442d18p+20, 0x1.6ac5b262ca1ffp+849, -0x1.6ac5b262ca1ffp+849,
    // Results close to a midpoint: sin, atan, cos, acos.
    0x1.7137449123ef5p-26, 0x1.e3cf476542bd1p-25, 0x1.4f747439b348ap-25, 0x1.45dd7c26e54bbp-24,
    0x1.250bfe1b082f4p-26, 0x1.a6a58d55e307cp-26, 0x1.f51a62037e955p-26,
    0x1.6a09e667f3bcdp-27, 0x1.2c2fc595456a7p-25, 0x1.94c583ada5b53p-26,
    0x1.fffffffff91cp-1, 0x1.fffffffff49cp-1,
};
// clang-format on

TEST(ExactMath, SpecialAndHardInputsMatchMpfr) {
    Mpfr m;
    for (ExactFunction f : All) {
        for (double x : Special) {
            double exact = m.Exact(f, x);
            EXPECT_TRUE(Same(Call(f, x), exact))
                << Name(f) << "(" << std::hexfloat << x << ") = " << Call(f, x) << ", MPFR " << exact;
            EXPECT_TRUE(Same(ExactSlowPath(f, x), exact))
                << "slow " << Name(f) << "(" << std::hexfloat << x << ")";
            double fast;
            if (ExactFastPath(f, x, fast)) {
                EXPECT_TRUE(Same(fast, exact)) << "fast " << Name(f) << "(" << x << ")";
            }
        }
    }
}

// splitmix64, so that the sample is the same everywhere.
uint64_t Next(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double Unit(uint64_t& state) {
    return (double)(Next(state) >> 11) * 0x1p-53;
}

// The three kinds of input by turns: the game's angle (a float of degrees within +-720 in radians with its
// 3.1428, stored as a float; for acos a float within [-1, 1]), any bit pattern, and for acos a value
// 1 - u 2^-k near +-1, for the others a value a few ulps from a multiple of pi/2 of any size.
double Input(ExactFunction f, int kind, uint64_t& state) {
    if (kind == 1) {
        uint64_t bits = Next(state);
        double x;
        std::memcpy(&x, &bits, sizeof x);
        return x;
    }
    double sign = (Next(state) & 1) ? -1.0 : 1.0;
    if (f == ExactFunction::Acos) {
        if (kind == 0) return (double)(float)(Unit(state) * 2.0 - 1.0);
        double u = Unit(state); // one draw per statement: argument order differs by compiler
        return sign * (1.0 - std::ldexp(u, -(int)(Next(state) % 53)));
    }
    if (kind == 0) {
        float degrees = (float)(Unit(state) * 1440.0 - 720.0);
        return (double)(float)((double)degrees * 3.1428 / 180.0);
    }
    int shift = 63 - (int)(Next(state) % 60);
    double k = (double)(Next(state) >> shift);
    double direction = (Next(state) & 1) ? Inf : 0.0;
    return sign * std::nextafter(k * 1.5707963267948966, direction);
}

class ExactMathSample : public ::testing::TestWithParam<ExactFunction> {};

TEST_P(ExactMathSample, EveryResultMatchesMpfr) {
    ExactFunction f = GetParam();
    Mpfr m;
    uint64_t state = 12345 + (uint64_t)f;
    int wrong = 0;
    for (int n = 0; n < 150000; ++n) {
        double x = Input(f, n % 3, state);
        double ours = Call(f, x), exact = m.Exact(f, x);
        if (!Same(ours, exact) && ++wrong <= 5)
            ADD_FAILURE() << Name(f) << "(" << std::hexfloat << x << ") = " << ours << ", MPFR " << exact;
    }
    EXPECT_EQ(wrong, 0);
}

// The slow path decides too few inputs in a sample to be tested through the functions: here it answers
// inputs of all three kinds on its own.
TEST_P(ExactMathSample, SlowPathAloneMatchesMpfr) {
    ExactFunction f = GetParam();
    Mpfr m;
    uint64_t state = 777 + (uint64_t)f;
    for (int n = 0; n < 3000; ++n) {
        double x = Input(f, n % 3, state);
        ASSERT_TRUE(Same(ExactSlowPath(f, x), m.Exact(f, x))) << Name(f) << "(" << std::hexfloat << x << ")";
    }
}

// The rounding test is only as good as the fast path's claimed error: every claim must hold, measured
// against MPFR at 300 bits.
TEST_P(ExactMathSample, FastPathErrorStaysWithinItsClaim) {
    ExactFunction f = GetParam();
    Mpfr m;
    mpfr_t exact;
    mpfr_init2(exact, 300);
    uint64_t state = 4242 + (uint64_t)f;
    for (int n = 0; n < 30000; ++n) {
        double x = Input(f, n % 3, state), hi, lo, err;
        if (!ExactFastApproximation(f, x, hi, lo, err)) continue;
        mpfr_set_d(m.x_, x, MPFR_RNDN);
        f == ExactFunction::Sin    ? mpfr_sin(exact, m.x_, MPFR_RNDN)
        : f == ExactFunction::Cos  ? mpfr_cos(exact, m.x_, MPFR_RNDN)
        : f == ExactFunction::Atan ? mpfr_atan(exact, m.x_, MPFR_RNDN)
                                   : mpfr_acos(exact, m.x_, MPFR_RNDN);
        mpfr_sub_d(exact, exact, hi, MPFR_RNDN);
        mpfr_sub_d(exact, exact, lo, MPFR_RNDN);
        ASSERT_LE(std::fabs(mpfr_get_d(exact, MPFR_RNDU)), err)
            << Name(f) << "(" << std::hexfloat << x << ")";
    }
    mpfr_clear(exact);
}

INSTANTIATE_TEST_SUITE_P(ExactMath, ExactMathSample, ::testing::ValuesIn(All),
                         [](const ::testing::TestParamInfo<ExactFunction>& info) {
                             return std::string(Name(info.param));
                         });

} // namespace
