// codec_property_test.cpp - properties over many generated inputs: the real
// steps match the byte-at-a-time model call by call in any chunking, the
// block decoder gives the same in any chunking and any buffer size, the
// stream keeps its window structure and its bound, the size query is exact,
// and decoding gives the input back.
#include "lockstep.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace {

using rng_t = std::mt19937;

uint32_t uniform(rng_t &rng, uint32_t lo, uint32_t hi) {
    return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
}

uint8_t any_byte(rng_t &rng) { return static_cast<uint8_t>(uniform(rng, 0, 255)); }

// Inputs of the shapes that stress the encoder's decisions.
bytes random_bytes(rng_t &rng, size_t n) {
    bytes out(n);
    for (uint8_t &b : out)
        b = any_byte(rng);
    return out;
}

bytes runs_of_any_length(rng_t &rng, size_t n) {
    bytes out;
    while (out.size() < n)
        out.insert(out.end(), uniform(rng, 1, 700), any_byte(rng));
    out.resize(n);
    return out;
}

bytes two_symbols(rng_t &rng, size_t n) {
    bytes out(n);
    for (uint8_t &b : out)
        b = static_cast<uint8_t>(uniform(rng, 0, 1) * 0xFF);
    return out;
}

// Literal stretches and runs with lengths near the window and count limits.
bytes near_limits(rng_t &rng, size_t n) {
    bytes out;
    while (out.size() < n) {
        const uint32_t len = uniform(rng, 1, 3) == 1 ? uniform(rng, 1, 8)
                                                     : uniform(rng, 250, 260);
        if (uniform(rng, 0, 1)) {
            const uint8_t start = any_byte(rng);
            for (uint32_t i = 0; i < len; ++i)
                out.push_back(static_cast<uint8_t>(start + i));
        } else {
            out.insert(out.end(), len, any_byte(rng));
        }
    }
    out.resize(n);
    return out;
}

using generator = bytes (*)(rng_t &, size_t);
const generator generators[] = {random_bytes, runs_of_any_length, two_symbols,
                                near_limits};

// Chunk sizes: all at once, byte by byte, or random (zero included).
chunker chunking(int kind, rng_t &rng) {
    switch (kind) {
    case 0: return whole_input();
    case 1: return fixed_chunks(1);
    default: return [&rng] { return uniform(rng, 0, 600); };
    }
}

// Buffer sizes for decode_block(): one byte, random, or larger than any
// output here.
capacity_plan capacities(int kind, rng_t &rng) {
    switch (kind) {
    case 0: return [] { return 1u; };
    case 1: return [&rng] { return uniform(rng, 1, 600); };
    default: return [&rng] { return uniform(rng, 1, 3) == 1 ? uniform(rng, 1, 40) : 80000u; };
    }
}

TEST(CodecProperties, EveryChunkingGivesTheSameStreamAndTheInputBack) {
    rng_t rng(20261209);
    for (int round = 0; round < 300; ++round) {
        const generator make = generators[static_cast<size_t>(round) % std::size(generators)];
        const size_t size = round % 10 == 0 ? uniform(rng, 0, 70000) : uniform(rng, 0, 3000);
        const bytes input = make(rng, size);
        const bytes expected = encode_all(input, whole_input());
        ASSERT_TRUE(windows_begin_with_count_bytes(expected)) << "round " << round;
        ASSERT_EQ(read_stream_directly(expected), input) << "round " << round;
        ASSERT_LE(expected.size(), ENCODE_BOUND(input.size())) << "round " << round;
        ASSERT_EQ(decoded_size(expected.data(), expected.size()), input.size())
            << "round " << round;

        for (int kind = 0; kind < 3; ++kind) {
            ASSERT_EQ(encode_in_lockstep(input, chunking(kind, rng)), expected)
                << "round " << round << ", chunking " << kind;
            ASSERT_EQ(decode_in_lockstep(expected, chunking(kind, rng)), input)
                << "round " << round << ", chunking " << kind;
            ASSERT_EQ(decode_in_blocks(expected, chunking(kind, rng), capacities(kind, rng)),
                      input)
                << "round " << round << ", chunking and buffers " << kind;
        }
    }
}

TEST(CodecProperties, DecoderReadsArbitraryBytesSafely) {
    rng_t rng(7);
    for (int round = 0; round < 300; ++round) {
        const bytes stream = round % 2 ? random_bytes(rng, uniform(rng, 0, 2000))
                                       : two_symbols(rng, uniform(rng, 0, 200));
        const bytes expected = read_stream_directly(stream);
        ASSERT_EQ(decoded_size(stream.data(), stream.size()), expected.size())
            << "round " << round;
        for (int kind = 0; kind < 3; ++kind) {
            ASSERT_EQ(decode_in_lockstep(stream, chunking(kind, rng)), expected)
                << "round " << round << ", chunking " << kind;
            ASSERT_EQ(decode_in_blocks(stream, chunking(kind, rng), capacities(2 - kind, rng)),
                      expected)
                << "round " << round << ", chunking and buffers " << kind;
        }
    }
}

} // namespace
