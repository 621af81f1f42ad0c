// tramolo-extcheck: checks the extended-precision type on many random inputs per operation against the x87
// (`long double`) and, for the arc tangent, against MPFR correctly rounded at 64 bits; prints per operation
// the count checked, the count different and the time per call on the game's inputs (ours and the
// reference's: the x87, MPFR for the arc tangent), and exits 1 on any difference.
// Usage: tramolo-extcheck [--count N] [--seed S] [--op add|sub|mul|div|sqrt|tofloat|todouble|atan2|all]
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "extcheck/ExtReference.h"

namespace {

using extref::TOp;

struct TOptions {
    uint64_t Count = 10000000;
    uint64_t Seed = 1;
    std::string Op = "all";
};

bool ParseOptions(int argc, char** argv, TOptions& options) {
    for (int i = 1; i < argc; i++) {
        const std::string option = argv[i];
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        char* end = nullptr;
        if (option == "--count")
            options.Count = std::strtoull(value, &end, 10);
        else if (option == "--seed")
            options.Seed = std::strtoull(value, &end, 10);
        else if (option == "--op")
            options.Op = value;
        else
            return false;
        if (end != nullptr && *end != '\0') return false;
    }
    if (options.Op == "all") return true;
    for (const TOp op : extref::AllOps)
        if (options.Op == extref::OpName(op)) return true;
    return false;
}

void Print(const char* what, TExtended v) {
    std::printf("  %s %s%016" PRIx64 " e%04x\n", what, v.Negative ? "-" : "+", v.Significand, v.Exponent);
}

struct TResult {
    uint64_t Checked = 0, Different = 0, SlowPath = 0, Undecided = 0;
    double NanosecondsPerCall = 0, ReferenceNanoseconds = 0, SlowNanoseconds = 0;
    std::vector<TExtended> SlowY, SlowX; // arc tangent inputs that took the slow path, for timing it
};

// Time per call of the arc tangent on inputs that took the slow path.
double TimeSlowPath(const std::vector<TExtended>& y, const std::vector<TExtended>& x) {
    if (y.empty()) return 0;
    constexpr int Rounds = 20;
    uint64_t sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < Rounds; round++)
        for (size_t i = 0; i < y.size(); i++)
            sink += ExtAtan2(y[i], x[i]).Significand;
    const auto end = std::chrono::steady_clock::now();
    if (sink == 42) std::printf(" ");
    return std::chrono::duration<double, std::nano>(end - start).count() / (double)(y.size() * Rounds);
}

// Time per call of the operation alone (or of the reference), over a batch of the game's inputs generated
// beforehand.
double TimePerCall(TOp op, uint64_t seed, bool reference) {
    constexpr size_t Batch = 1 << 16;
    const int rounds = reference && op == TOp::Atan2 ? 1 : 20;
    std::vector<TExtended> a(Batch), b(Batch);
    extref::TRandom random{seed ^ 0x5eed};
    for (size_t i = 0; i < Batch; i++)
        extref::GameInputs(op, random, a[i], b[i]);
    uint64_t sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < rounds; round++)
        for (size_t i = 0; i < Batch; i++)
            sink +=
                (reference ? extref::Reference(op, a[i], b[i]) : extref::Compute(op, a[i], b[i])).Significand;
    const auto end = std::chrono::steady_clock::now();
    if (sink == 42) std::printf(" "); // keeps the results alive
    return std::chrono::duration<double, std::nano>(end - start).count() / (double)(Batch * rounds);
}

TResult Check(TOp op, const TOptions& options) {
    TResult result;
    extref::TRandom random{options.Seed * 0x9e3779b97f4a7c15ull + (uint64_t)op};
    for (uint64_t i = 0; i < options.Count; i++) {
        TExtended a, b;
        extref::RandomInputs(op, random, a, b);
        TExtended got;
        if (op == TOp::Atan2) {
            const TAtan2Result traced = ExtAtan2Traced(a, b);
            got = traced.Value;
            result.SlowPath += traced.SlowPath ? 1 : 0;
            result.Undecided += traced.Decided ? 0 : 1;
            if (traced.SlowPath && result.SlowY.size() < 1000) {
                result.SlowY.push_back(a);
                result.SlowX.push_back(b);
            }
        } else {
            got = extref::Compute(op, a, b);
        }
        const TExtended want = extref::Reference(op, a, b);
        result.Checked++;
        if (!extref::SameBits(got, want)) {
            if (result.Different++ < 5) {
                std::printf("%s differs:\n", extref::OpName(op));
                Print("a   ", a);
                Print("b   ", b);
                Print("got ", got);
                Print("want", want);
            }
        }
    }
    result.NanosecondsPerCall = TimePerCall(op, options.Seed, false);
    result.ReferenceNanoseconds = TimePerCall(op, options.Seed, true);
    result.SlowNanoseconds = TimeSlowPath(result.SlowY, result.SlowX);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    TOptions options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr, "usage: tramolo-extcheck [--count N] [--seed S] "
                             "[--op add|sub|mul|div|sqrt|tofloat|todouble|atan2|all]\n");
        return 2;
    }
    if (!extref::HaveX87) {
        std::fprintf(stderr, "tramolo-extcheck: needs long double in the x87's 80-bit format\n");
        return 2;
    }
    std::printf("%-9s %12s %10s %9s %13s\n", "op", "checked", "different", "ns/call", "reference ns");
    bool allSame = true;
    for (const TOp op : extref::AllOps) {
        if (options.Op != "all" && options.Op != extref::OpName(op)) continue;
        const TResult r = Check(op, options);
        std::printf("%-9s %12" PRIu64 " %10" PRIu64 " %9.1f %13.1f", extref::OpName(op), r.Checked,
                    r.Different, r.NanosecondsPerCall, r.ReferenceNanoseconds);
        if (op == TOp::Atan2)
            std::printf("   slow path %" PRIu64 " (%.1f ns/call), undecided %" PRIu64, r.SlowPath,
                        r.SlowNanoseconds, r.Undecided);
        std::printf("\n");
        std::fflush(stdout);
        allSame = allSame && r.Different == 0;
    }
    return allSame ? 0 : 1;
}
