// tramolo-mathcheck: checks ExactSin, ExactCos, ExactAtan and ExactAcos against MPFR on millions of inputs
// of three kinds per function (the game's own angles, doubles of every exponent, and inputs around the
// function's hard spots), counts how often the slow path runs, and names the inputs found whose results lie
// closest to a midpoint between two doubles. --bench times them against the C library's functions.
//
//     tramolo-mathcheck [--count N] [--seed S] [--function sin|cos|atan|acos|all] [--bench]
//
// Exits 1 when any result differs from MPFR's correctly rounded one.
#include <mpfr.h>

#include <chrono>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "exact/ExactMath.h"

namespace {

// splitmix64: small and the same everywhere, so a seed names the same inputs on every machine.
struct Random {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double Unit() { return (double)(Next() >> 11) * 0x1p-53; }
};

double FromBits(uint64_t b) {
    double d;
    std::memcpy(&d, &b, sizeof d);
    return d;
}

uint64_t ToBits(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

struct Function {
    const char* name;
    ExactFunction id;
    double (*exact)(double);
    double (*library)(double);
    int (*reference)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
};

const Function Functions[] = {
    {"sin", ExactFunction::Sin, ExactSin, [](double x) { return std::sin(x); }, mpfr_sin},
    {"cos", ExactFunction::Cos, ExactCos, [](double x) { return std::cos(x); }, mpfr_cos},
    {"atan", ExactFunction::Atan, ExactAtan, [](double x) { return std::atan(x); }, mpfr_atan},
    {"acos", ExactFunction::Acos, ExactAcos, [](double x) { return std::acos(x); }, mpfr_acos},
};

enum class Kind { Game, AnyDouble, HardSpot };
const char* const KindNames[] = {"game", "any double", "hard spot"};

// The game's angle: a float of degrees within +-720 turned to radians with its 3.1428 and stored as a float;
// for acos, the float component of a direction, within [-1, 1].
double GameInput(const Function& f, Random& random) {
    if (f.id == ExactFunction::Acos) return (double)(float)(random.Unit() * 2.0 - 1.0);
    float degrees = (float)(random.Unit() * 1440.0 - 720.0);
    return (double)(float)((double)degrees * 3.1428 / 180.0);
}

// Where each function is hardest: sin and cos a few ulps from multiples of pi/2 of every size; atan over
// 90 binades either side of 1; acos near +-1, 1 - u 2^-k for k up to 53.
double HardSpotInput(const Function& f, Random& random) {
    double sign = (random.Next() & 1) ? -1.0 : 1.0;
    switch (f.id) {
    case ExactFunction::Sin:
    case ExactFunction::Cos: {
        int bits = 1 + (int)(random.Next() % 60);
        double k = (double)(random.Next() >> (64 - bits));
        double x = k * 1.5707963267948966;
        for (int steps = (int)(random.Next() % 7) - 3; steps != 0; steps += steps > 0 ? -1 : 1)
            x = std::nextafter(x, steps > 0 ? INFINITY : 0.0);
        return sign * x;
    }
    case ExactFunction::Atan: {
        // One draw per statement: the order in which a call's arguments are evaluated differs by compiler.
        double mantissa = 1.0 + random.Unit();
        return sign * std::ldexp(mantissa, (int)(random.Next() % 180) - 90);
    }
    case ExactFunction::Acos: {
        double u = random.Unit();
        return sign * (1.0 - std::ldexp(u, -(int)(random.Next() % 53)));
    }
    }
    return 0.0;
}

double Input(const Function& f, Kind kind, Random& random) {
    switch (kind) {
    case Kind::Game:
        return GameInput(f, random);
    case Kind::AnyDouble:
        return FromBits(random.Next());
    case Kind::HardSpot:
        return HardSpotInput(f, random);
    }
    return 0.0;
}

// MPFR's correctly rounded double, subnormals rounded once as the double format does.
struct Reference {
    mpfr_t x, y, wide, diff;
    Reference() {
        mpfr_set_emin(-1073);
        mpfr_set_emax(1024);
        mpfr_inits2(53, x, y, (mpfr_ptr)0);
        mpfr_inits2(160, wide, diff, (mpfr_ptr)0);
    }
    ~Reference() { mpfr_clears(x, y, wide, diff, (mpfr_ptr)0); }

    double Exact(const Function& f, double input) {
        mpfr_set_d(x, input, MPFR_RNDN);
        int inexact = f.reference(y, x, MPFR_RNDN);
        mpfr_subnormalize(y, inexact, MPFR_RNDN);
        return mpfr_get_d(y, MPFR_RNDN);
    }

    // How far the exact value lies from the nearest midpoint between doubles, in ulps (0 to 1/2).
    double MidpointDistance(const Function& f, double input, double rounded) {
        if (!std::isfinite(rounded) || rounded == 0.0) return 0.5;
        f.reference(wide, x, MPFR_RNDN);
        mpfr_sub_d(diff, wide, rounded, MPFR_RNDN);
        if (mpfr_zero_p(diff)) return 0.5;
        double toward = std::nextafter(rounded, mpfr_sgn(diff) > 0 ? INFINITY : -INFINITY);
        double offset = std::fabs(mpfr_get_d(diff, MPFR_RNDN) / (toward - rounded));
        (void)input;
        return 0.5 - offset;
    }
};

bool SameResult(double a, double b) {
    return ToBits(a) == ToBits(b) || (std::isnan(a) && std::isnan(b));
}

struct Hardest {
    double input = 0.0, distance = 1.0;
};

// Checks count inputs of f, a third of each kind; prints the tally and returns the number wrong.
uint64_t Check(const Function& f, uint64_t count, uint64_t seed, Reference& reference) {
    Random random{seed ^ (uint64_t)f.id * 0x51ED2701ull};
    uint64_t wrong = 0, slow = 0;
    Hardest hardest[3];
    for (uint64_t n = 0; n < count; ++n) {
        Kind kind = (Kind)(n % 3);
        double x = Input(f, kind, random);
        double ours = f.exact(x), exact = reference.Exact(f, x), fast;
        if (!ExactFastPath(f.id, x, fast)) ++slow;
        if (!SameResult(ours, exact)) {
            if (++wrong <= 10)
                std::printf("  %s(%a) = %a, MPFR %a (%s)\n", f.name, x, ours, exact, KindNames[(int)kind]);
            continue;
        }
        double distance = reference.MidpointDistance(f, x, exact);
        for (int k = 0; k < 3; ++k) {
            if (distance < hardest[k].distance) {
                for (int m = 2; m > k; --m)
                    hardest[m] = hardest[m - 1];
                hardest[k] = {x, distance};
                break;
            }
        }
    }
    std::printf("%s: %" PRIu64 " checked, %" PRIu64 " wrong, slow path %" PRIu64 " times (%.2g)\n", f.name,
                count, wrong, slow, count ? (double)slow / (double)count : 0.0);
    for (const Hardest& h : hardest)
        if (h.distance < 1.0)
            std::printf("  closest to a midpoint: %s(%a), 2^%.1f ulp from it\n", f.name, h.input,
                        std::log2(h.distance));
    return wrong;
}

// Nanoseconds per call of function over the inputs in one pass.
template <typename F> double TimePerCall(F function, const std::vector<double>& inputs) {
    static volatile double sink = 0;
    auto start = std::chrono::steady_clock::now();
    double sum = 0;
    for (double x : inputs)
        sum += function(x);
    auto end = std::chrono::steady_clock::now();
    sink = sink + sum;
    return std::chrono::duration<double, std::nano>(end - start).count() / (double)inputs.size();
}

// Ours against the C library's on the same million inputs, passes alternating so that other work on the
// machine weighs on both alike; the best pass of each counts.
void Bench(const Function& f, uint64_t seed) {
    for (Kind kind : {Kind::Game, Kind::AnyDouble}) {
        Random random{seed ^ (uint64_t)f.id * 0x51ED2701ull ^ (uint64_t)kind};
        std::vector<double> inputs(1000000);
        for (double& x : inputs)
            x = Input(f, kind, random);
        double ours = 1e300, library = 1e300;
        for (int pass = 0; pass < 9; ++pass) {
            ours = std::fmin(ours, TimePerCall(f.exact, inputs));
            library = std::fmin(library, TimePerCall(f.library, inputs));
        }
        std::printf("%s, %s inputs: %.1f ns per call, C library %.1f ns: %.2fx\n", f.name,
                    KindNames[(int)kind], ours, library, ours / library);
    }
}

bool ParseNumber(const char* text, uint64_t& value) {
    if (!text || *text < '0' || *text > '9') return false;
    char* end;
    errno = 0;
    value = std::strtoull(text, &end, 10);
    return *end == '\0' && errno == 0;
}

int Usage() {
    std::fprintf(
        stderr,
        "usage: tramolo-mathcheck [--count N] [--seed S] [--function sin|cos|atan|acos|all] [--bench]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    uint64_t count = 10000000, seed = 1;
    const char* only = "all";
    bool bench = false;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(option, "--bench") == 0) {
            bench = true;
        } else if (std::strcmp(option, "--count") == 0 && ParseNumber(value, count)) {
            ++i;
        } else if (std::strcmp(option, "--seed") == 0 && ParseNumber(value, seed)) {
            ++i;
        } else if (std::strcmp(option, "--function") == 0 && value) {
            only = value;
            ++i;
        } else {
            return Usage();
        }
    }
    bool any = std::strcmp(only, "all") == 0;
    for (const Function& f : Functions)
        any = any || std::strcmp(only, f.name) == 0;
    if (!any) return Usage();

    Reference reference;
    uint64_t wrong = 0;
    for (const Function& f : Functions) {
        if (std::strcmp(only, "all") != 0 && std::strcmp(only, f.name) != 0) continue;
        if (bench)
            Bench(f, seed);
        else
            wrong += Check(f, count, seed, reference);
        std::fflush(stdout);
    }
    return wrong == 0 ? 0 : 1;
}
