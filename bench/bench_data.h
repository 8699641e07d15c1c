// bench_data.h - the data the benchmarks run on, made afresh each time:
// random bytes, and bitmap-like bytes (long runs of a few values broken by
// short literal stretches, like a scanned or drawn image).
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

// `stream` picks one of many different sequences.
inline std::vector<uint8_t> make_random_data(size_t size, unsigned stream = 0) {
    std::mt19937_64 rng(1 + 2 * stream);
    std::vector<uint8_t> out(size);
    for (size_t i = 0; i < size; i += 8) {
        const uint64_t r = rng();
        for (size_t k = 0; k < 8 && i + k < size; ++k)
            out[i + k] = static_cast<uint8_t>(r >> (8 * k));
    }
    return out;
}

inline std::vector<uint8_t> make_bitmap_like_data(size_t size, unsigned stream = 0) {
    std::mt19937 rng(2 + 2 * stream);
    const uint8_t palette[] = {0x00, 0xFF, 0x10, 0x80};
    std::vector<uint8_t> out;
    out.reserve(size);
    while (out.size() < size) {
        // A run of 20 to 400 pixels of one colour, then an edge of 1 to 6
        // pixels of mixed colours.
        out.insert(out.end(), static_cast<size_t>(rng() % 381 + 20), palette[rng() % 4]);
        for (auto edge = rng() % 6 + 1; edge > 0; --edge)
            out.push_back(static_cast<uint8_t>(rng()));
    }
    out.resize(size);
    return out;
}
