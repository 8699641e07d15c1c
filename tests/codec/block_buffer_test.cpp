// block_buffer_test.cpp - decode_block() into small buffers, as a chip with
// little RAM calls it: every call must leave the result, length, bytes and
// state that decode_step() calls over the same output bytes leave, wherever
// the buffer or the chunk ends (inside a run, on a count byte, between the
// runs of a long run split by empty literal sections).
#include "reference_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>

namespace {

struct stream_case {
    std::string name;
    bytes stream;
};

bytes repeat(uint8_t value, size_t times) { return bytes(times, value); }

bytes ascending(size_t n) {
    bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(i * 7 + 3);
    return out;
}

bytes joined(std::initializer_list<bytes> parts) {
    bytes out;
    for (const bytes &part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

bytes arbitrary_bytes(size_t n) {
    bytes out(n);
    uint32_t x = 12345;
    for (uint8_t &b : out) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return out;
}

std::vector<stream_case> stream_cases() {
    return {
        {"long run", encode_all(repeat(0x41, 1300), whole_input())},
        {"runs and literals",
         encode_all(joined({repeat(0x41, 700), ascending(300), repeat(0x42, 520), ascending(3)}),
                    whole_input())},
        {"literal sections split by empty runs", encode_all(ascending(800), whole_input())},
        // Shapes only a hand-made stream has: a run before any literal,
        // empty runs and empty literal sections next to each other.
        {"empty sections", {0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x02, 0x61, 0x62, 0x00, 0x00,
                            0x03, 0x00, 0xFF, 0x01}},
        {"arbitrary bytes", arbitrary_bytes(600)},
    };
}

// decode_step() until `cap` bytes are out or the chunk is used up: what one
// decode_block() call into `cap` bytes must do.
int step_through(const uint8_t *chunk, uint32_t n, codec_state &state, uint32_t cap,
                 bytes &out) {
    for (uint32_t got = 0; got < cap; ++got) {
        uint8_t byte = 0;
        if (decode_step(chunk, &state, n, &byte, nullptr) != STEP_OUTPUT_READY)
            return STEP_NEED_INPUT;
        out.push_back(byte);
    }
    return STEP_OUTPUT_READY;
}

void expect_block_calls_match_steps(const bytes &stream, uint32_t cap, uint32_t chunk_size) {
    codec_state block_state{}, step_state{};
    bytes block_out, step_out, buffer(cap + 8);
    size_t calls = 0;
    for (size_t pos = 0; pos < stream.size(); pos += chunk_size) {
        const uint32_t n = static_cast<uint32_t>(std::min<size_t>(chunk_size, stream.size() - pos));
        const uint8_t *chunk = stream.data() + pos;
        int result;
        do {
            // Each stream byte gives at most 255 output bytes, and each
            // chunk ends with one call that asks for the next.
            ASSERT_LE(++calls, 256 * stream.size() / cap + stream.size() / chunk_size + 2)
                << "decode_block() does not finish the stream";
            std::fill(buffer.begin(), buffer.end(), 0x5A);
            uint32_t len = 7;
            result = decode_block(chunk, &block_state, n, buffer.data(), cap, &len);
            block_out.insert(block_out.end(), buffer.begin(), buffer.begin() + (len - 7));
            const size_t before = step_out.size();
            const int expected = step_through(chunk, n, step_state, cap, step_out);
            ASSERT_EQ(result, expected) << "call " << calls;
            ASSERT_EQ(len - 7, step_out.size() - before) << "call " << calls;
            ASSERT_EQ(block_out, step_out) << "call " << calls;
            ASSERT_EQ(std::memcmp(&block_state, &step_state, sizeof block_state), 0)
                << "state differs after call " << calls;
            for (size_t i = cap; i < buffer.size(); ++i)
                ASSERT_EQ(buffer[i], 0x5A) << "call " << calls << " wrote past its buffer";
        } while (result == STEP_OUTPUT_READY);
    }
    EXPECT_EQ(block_out, read_stream_directly(stream));
}

TEST(BlockBuffers, EveryCallStopsWhereTheStepsStop) {
    for (const stream_case &c : stream_cases())
        for (const uint32_t cap : {1u, 2u, 3u, 255u, 256u, 257u, 4096u})
            for (const uint32_t chunk_size : {1u, 7u, 300u, 100000u}) {
                SCOPED_TRACE(c.name + ", buffer " + std::to_string(cap) + ", chunks of " +
                             std::to_string(chunk_size));
                expect_block_calls_match_steps(c.stream, cap, chunk_size);
                if (testing::Test::HasFatalFailure())
                    return;
            }
}

} // namespace
