// tramolo-soak-script: writes a random but reproducible input script for tramolo-sim. Keys from the whole
// 0..255 range (but ESC, which would end the run) go down and up at random, with storms of ENTER and of
// the function keys, system keys, mouse jumps of up to a million pixels either way, and a window close at
// the end. With "recording" it writes what a recording of such a game holds instead: a tick for every
// pass, 8 to 12 ms after the last, mostly as steps lines, with the keys and the mouse between them.
//
//     tramolo-soak-script SEED PASSES [recording] > script
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

uint64_t State;

uint64_t Next() {
    // xorshift64*: small, fast and the same on every machine.
    State ^= State >> 12;
    State ^= State << 25;
    State ^= State >> 27;
    return State * 0x2545F4914F6CDD1DULL;
}

uint32_t Below(uint32_t n) {
    return (uint32_t)(Next() % n);
}

// Digits only, within low..high: no sign, no blanks, nothing that strtoull would wrap.
bool ParseCount(const char* text, uint64_t low, uint64_t high, uint64_t* value) {
    for (const char* c = text; *c != '\0'; c++) {
        if (*c < '0' || *c > '9') return false;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long long v = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text || *end != 0 || v < low || v > high) return false;
    *value = v;
    return true;
}

// The runner runs at most this many passes.
constexpr uint64_t MostPasses = 1000000000;

// A recording's passes: one tick read each, 8 to 12 ms apart; now and then a key or a mouse move, which
// the pass writes in full, and otherwise a letter of a steps line.
void WriteRecording(uint64_t passes) {
    uint32_t tick = 100000;
    std::printf("0 tick %u\n", tick);
    int32_t letters = 0;
    for (uint64_t pass = 1; pass < passes && std::ferror(stdout) == 0; pass++) {
        const uint32_t step = 8 + Below(5);
        tick += step;
        const uint32_t roll = Below(1000);
        if (roll >= 20) {
            if (letters == 100) {
                std::printf("\n");
                letters = 0;
            }
            if (letters++ == 0) std::printf("%llu steps ", (unsigned long long)pass);
            std::printf("%c", "0123456789abc"[step]);
            continue;
        }
        if (letters > 0) std::printf("\n");
        letters = 0;
        if (roll < 5) {
            std::printf("%llu mouse %d\n", (unsigned long long)pass, (int32_t)Below(2001) - 1000);
        } else {
            uint32_t vk = Below(256);
            if (vk == 27) vk = 38;
            std::printf("%llu %s %u\n", (unsigned long long)pass, Below(3) ? "down" : "up", vk);
        }
        std::printf("%llu tick %u\n", (unsigned long long)pass, tick);
    }
    if (letters > 0) std::printf("\n");
}

} // namespace

int main(int argc, char** argv) {
    uint64_t seed = 0, passes = 0;
    const bool recording = argc == 4 && std::strcmp(argv[3], "recording") == 0;
    if ((argc != 3 && !recording) || !ParseCount(argv[1], 0, UINT64_MAX, &seed) ||
        !ParseCount(argv[2], 2, MostPasses, &passes)) {
        std::fprintf(stderr,
                     "usage: tramolo-soak-script SEED PASSES [recording] (SEED from 0 to %llu, PASSES from 2 "
                     "to %llu)\n",
                     (unsigned long long)UINT64_MAX, (unsigned long long)MostPasses);
        return 2;
    }
    State = seed * 0x9E3779B97F4A7C15ULL + 1;
    std::printf("# soak script, seed %llu, %llu passes%s\n", (unsigned long long)seed,
                (unsigned long long)passes, recording ? ", as a recording" : "");
    uint64_t pass = recording ? passes : 1;
    if (recording) WriteRecording(passes);
    while (pass < passes && std::ferror(stdout) == 0) {
        const uint32_t roll = Below(1000);
        if (roll < 3) {
            // A storm: one key pressed again and again, ENTER or a function key.
            const uint32_t keys[] = {13, 112, 113, 114, 115, 116, 117};
            const uint32_t vk = keys[Below(7)];
            const uint32_t length = 5 + Below(40);
            for (uint32_t i = 0; i < length && pass < passes; i++, pass++)
                std::printf("%llu down %u\n", (unsigned long long)pass, vk);
            std::printf("%llu up %u\n", (unsigned long long)pass, vk);
        } else if (roll < 10) {
            const int32_t x = (int32_t)Below(2000001) - 1000000;
            std::printf("%llu mouse %d\n", (unsigned long long)pass, x);
        } else if (roll < 14) {
            std::printf("%llu %s %u\n", (unsigned long long)pass, Below(2) ? "sysdown" : "sysup", Below(256));
        } else if (roll < 40) {
            uint32_t vk = Below(256);
            if (vk == 27) vk = 38;
            std::printf("%llu %s %u\n", (unsigned long long)pass, Below(3) ? "down" : "up", vk);
        }
        pass += 1 + Below(3);
    }
    std::printf("%llu close\n", (unsigned long long)passes);
    // A script cut short would soak less than was asked for, and say nothing.
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "tramolo-soak-script: writing the script failed: %s\n", std::strerror(errno));
        return 1;
    }
    return 0;
}
