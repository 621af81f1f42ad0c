// The bits of one value read as another type of the same size: std::bit_cast, which the C++ library of
// Debian's Emscripten lacks, so that every target compiles the same code.
#pragma once

#include <cstring>
#include <type_traits>

template <class To, class From> inline To BitCast(const From& from) {
    static_assert(sizeof(To) == sizeof(From) && std::is_trivially_copyable_v<To> &&
                  std::is_trivially_copyable_v<From>);
    To to;
    std::memcpy(&to, &from, sizeof to);
    return to;
}
