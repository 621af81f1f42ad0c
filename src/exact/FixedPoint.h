// Unsigned fixed point of N limbs of 32 bits, for the slow paths that decide correct rounding: the sines,
// cosines and arc tangents of doubles (ExactMath.cpp) and the extended arc tangent (Extended.cpp).
//
// Layout: Limb[0] is the least significant limb, Limb[N-1] the integer part; the binary point lies between
// Limb[N-1] and Limb[N-2], so the value is the whole array read as an integer times 2^-FractionBits<N>,
// FractionBits<N> = 32 (N - 1). "A unit" below is that last place, 2^-FractionBits<N>. Every operation
// truncates toward zero: a result below the exact one by less than a unit, unless said otherwise.
#pragma once

#include <bit>
#include <cstdint>

namespace fixed_point {

template <int N> struct Fixed { uint32_t Limb[N]; };

template <int N> constexpr int32_t FractionBits = 32 * (N - 1);

template <int N> constexpr Fixed<N> Integer(uint32_t value) {
    Fixed<N> r{};
    r.Limb[N - 1] = value;
    return r;
}

template <int N> bool IsZero(const Fixed<N>& a) {
    for (int k = 0; k < N; ++k)
        if (a.Limb[k] != 0) return false;
    return true;
}

template <int N> bool Less(const Fixed<N>& a, const Fixed<N>& b) {
    for (int k = N - 1; k >= 0; --k)
        if (a.Limb[k] != b.Limb[k]) return a.Limb[k] < b.Limb[k];
    return false;
}

// a + b; the sum must stay below 2^32.
template <int N> Fixed<N> Add(const Fixed<N>& a, const Fixed<N>& b) {
    Fixed<N> r;
    uint64_t carry = 0;
    for (int k = 0; k < N; ++k) {
        uint64_t s = (uint64_t)a.Limb[k] + b.Limb[k] + carry;
        r.Limb[k] = (uint32_t)s;
        carry = s >> 32;
    }
    return r;
}

// a - b for a >= b.
template <int N> Fixed<N> Sub(const Fixed<N>& a, const Fixed<N>& b) {
    Fixed<N> r;
    uint64_t borrow = 0;
    for (int k = 0; k < N; ++k) {
        uint64_t d = (uint64_t)a.Limb[k] - b.Limb[k] - borrow;
        r.Limb[k] = (uint32_t)d;
        borrow = d >> 63;
    }
    return r;
}

// a plus or minus a small count of units.
template <int N> Fixed<N> AddUnits(const Fixed<N>& a, uint32_t units, bool subtract) {
    Fixed<N> b{};
    b.Limb[0] = units;
    return subtract ? Sub(a, b) : Add(a, b);
}

// a * b; the integer part of the product must stay below 2^32. Rows of zero limbs in a, as the small
// quotients and series terms have at the top, are skipped: they add nothing to the product.
template <int N> Fixed<N> Mul(const Fixed<N>& a, const Fixed<N>& b) {
    uint32_t p[2 * N] = {};
    for (int i = 0; i < N; ++i) {
        if (a.Limb[i] == 0) continue;
        uint64_t carry = 0;
        for (int j = 0; j < N; ++j) {
            uint64_t t = (uint64_t)a.Limb[i] * b.Limb[j] + p[i + j] + carry;
            p[i + j] = (uint32_t)t;
            carry = t >> 32;
        }
        p[i + N] = (uint32_t)carry;
    }
    Fixed<N> r;
    for (int k = 0; k < N; ++k)
        r.Limb[k] = p[k + N - 1];
    return r;
}

// a / d for a small divisor d > 0.
template <int N> constexpr Fixed<N> DivSmall(const Fixed<N>& a, uint32_t d) {
    Fixed<N> r{};
    uint64_t rem = 0;
    for (int k = N - 1; k >= 0; --k) {
        uint64_t cur = (rem << 32) | a.Limb[k];
        r.Limb[k] = (uint32_t)(cur / d);
        rem = cur % d;
    }
    return r;
}

// a * 2^-s for any s >= 0.
template <int N> Fixed<N> ShiftRight(const Fixed<N>& a, int32_t s) {
    Fixed<N> r{};
    int32_t limbs = s / 32, bits = s % 32;
    for (int k = 0; k + limbs < N; ++k) {
        uint64_t pair = a.Limb[k + limbs];
        if (k + limbs + 1 < N) pair |= (uint64_t)a.Limb[k + limbs + 1] << 32;
        r.Limb[k] = (uint32_t)(pair >> bits);
    }
    return r;
}

// a * 2^s, exact; the bits shifted out at the top must be zero.
template <int N> Fixed<N> ShiftLeft(const Fixed<N>& a, int32_t s) {
    Fixed<N> r{};
    int32_t limbs = s / 32, bits = s % 32;
    for (int k = N - 1; k - limbs >= 0; --k) {
        uint64_t pair = (uint64_t)a.Limb[k - limbs] << 32;
        if (k - limbs - 1 >= 0) pair |= a.Limb[k - limbs - 1];
        r.Limb[k] = (uint32_t)((pair << bits) >> 32);
    }
    return r;
}

// The index of the highest set bit of the whole array (bit 0 the lowest of Limb[0]), -1 for zero.
template <int N> int32_t HighestBit(const Fixed<N>& a) {
    int k = N - 1;
    while (k > 0 && a.Limb[k] == 0)
        --k;
    return 32 * k + 31 - std::countl_zero(a.Limb[k]);
}

// Bit `index` of the whole array; 0 below bit 0.
template <int N> int Bit(const Fixed<N>& a, int32_t index) {
    return index < 0 ? 0 : (int)((a.Limb[index / 32] >> (index % 32)) & 1);
}

// The 32 bits of the whole array from bit `low` up; zeros below bit 0 and above the top.
template <int N> uint32_t BitsAt(const Fixed<N>& a, int32_t low) {
    auto limb = [&a](int32_t i) -> uint64_t { return i >= 0 && i < N ? a.Limb[i] : 0; };
    const int32_t index = low >= 0 ? low / 32 : -((31 - low) / 32);
    const int32_t bit = low - 32 * index;
    const uint64_t window = limb(index) | (limb(index + 1) << 32);
    return (uint32_t)(window >> bit);
}

} // namespace fixed_point
