// chunk_plan.h - turns the front of a fuzz input into a list of chunk
// sizes, and copies each chunk into a heap block of exactly its size, so
// that AddressSanitizer catches any read past a chunk's end.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

struct chunk_plan {
    std::vector<uint32_t> sizes; // used in turn; 0 means an empty call

    explicit chunk_plan(FuzzedDataProvider &fdp) {
        const size_t n = fdp.ConsumeIntegralInRange<size_t>(0, 8);
        for (size_t i = 0; i < n; ++i)
            sizes.push_back(fdp.ConsumeIntegralInRange<uint32_t>(0, 600));
    }

    // The size of chunk number `k`, never past `left` bytes. A plan of
    // only empty chunks still makes progress: the whole rest is one chunk.
    uint32_t size(size_t k, size_t left) const {
        bool any = false;
        for (uint32_t s : sizes)
            any = any || s > 0;
        const uint32_t want = any ? sizes[k % sizes.size()] : UINT32_MAX;
        return static_cast<uint32_t>(want < left ? want : left);
    }
};

// A chunk in a heap block of exactly its size (null when empty).
inline std::unique_ptr<uint8_t[]> exact_copy(const uint8_t *from, uint32_t n) {
    if (n == 0)
        return nullptr;
    std::unique_ptr<uint8_t[]> block(new uint8_t[n]);
    std::memcpy(block.get(), from, n);
    return block;
}
