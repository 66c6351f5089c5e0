#include "sampling.h"

#include <cmath>

namespace krender {

namespace {

std::uint64_t mix64(std::uint64_t value) {
    value ^= value >> 30;
    value *= 0xbf58476d1ce4e5b9ull;
    value ^= value >> 27;
    value *= 0x94d049bb133111ebull;
    return value ^ (value >> 31);
}

std::uint32_t pixel_seed(int pixel_x, int pixel_y) {
    const auto packed = (static_cast<std::uint64_t>(static_cast<std::uint32_t>(pixel_x)) << 32) |
                        static_cast<std::uint32_t>(pixel_y);
    return static_cast<std::uint32_t>(mix64(packed));
}

// A pseudo-random permutation of [0, length), after Kensler's "Correlated
// Multi-Jittered Sampling" (2013).
std::uint32_t permute(std::uint32_t i, std::uint32_t length, std::uint32_t seed) {
    std::uint32_t mask = length - 1;
    mask |= mask >> 1;
    mask |= mask >> 2;
    mask |= mask >> 4;
    mask |= mask >> 8;
    mask |= mask >> 16;
    do {
        i ^= seed;
        i *= 0xe170893d;
        i ^= seed >> 16;
        i ^= (i & mask) >> 4;
        i ^= seed >> 8;
        i *= 0x0929eb3f;
        i ^= seed >> 23;
        i ^= (i & mask) >> 1;
        i *= 1 | seed >> 27;
        i *= 0x6935fa69;
        i ^= (i & mask) >> 11;
        i *= 0x74dcb303;
        i ^= (i & mask) >> 2;
        i *= 0x9e501cc3;
        i ^= (i & mask) >> 2;
        i *= 0xc860a3df;
        i &= mask;
        i ^= i >> 5;
    } while (i >= length);
    return (i + seed) % length;
}

float hashed_unit(std::uint32_t i, std::uint32_t seed) {
    i ^= seed;
    i ^= i >> 17;
    i ^= i >> 10;
    i *= 0xb36534e5;
    i ^= i >> 12;
    i ^= i >> 21;
    i *= 0x93fc4795;
    i ^= 0xdf6e307f;
    i ^= i >> 17;
    i *= 1 | seed >> 18;
    // 24 bits, so the result is exactly representable and below 1.
    return static_cast<float>(i >> 8) * (1.0f / 16777216.0f);
}

// Point `index` of `count` correlated multi-jittered points in [0,1)^2.
SquarePoint multi_jittered(std::uint32_t index, std::uint32_t count, std::uint32_t seed) {
    const auto columns = static_cast<std::uint32_t>(std::sqrt(static_cast<double>(count)));
    const std::uint32_t rows = (count + columns - 1) / columns;
    const std::uint32_t stratum = permute(index, count, seed * 0x51633e2d);
    const std::uint32_t column = permute(stratum % columns, columns, seed * 0x68bc21eb);
    const std::uint32_t row = permute(stratum / columns, rows, seed * 0x02e5be93);
    const float jitter_x = hashed_unit(stratum, seed * 0x967a889b);
    const float jitter_y = hashed_unit(stratum, seed * 0x368cc8b7);
    const float sub_column = (static_cast<float>(row) + jitter_x) / static_cast<float>(rows);
    SquarePoint point;
    point.x = (static_cast<float>(column) + sub_column) / static_cast<float>(columns);
    point.y = (static_cast<float>(stratum) + jitter_y) / static_cast<float>(count);
    return point;
}

} // namespace

SquarePoint sample_offset(int pixel_x, int pixel_y, int index, int count) {
    if (count == 1) {
        return {};
    }
    return multi_jittered(static_cast<std::uint32_t>(index), static_cast<std::uint32_t>(count),
                          pixel_seed(pixel_x, pixel_y));
}

SampleRandom::SampleRandom(int pixel_x, int pixel_y, int index, int count)
    : pixel_seed_(pixel_seed(pixel_x, pixel_y)), index_(static_cast<std::uint32_t>(index)),
      count_(static_cast<std::uint32_t>(count)) {}

SquarePoint SampleRandom::next_pair() {
    ++dimension_;
    const auto seed =
        static_cast<std::uint32_t>(mix64(pixel_seed_ ^ (std::uint64_t{dimension_} << 32)));
    return multi_jittered(index_, count_, seed);
}

} // namespace krender
