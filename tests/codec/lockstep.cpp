// lockstep.cpp - runs the real steps and the byte-at-a-time model side by
// side, failing the current test at the first call where they differ.
#include "lockstep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// One step function's view of a pass: its state, window and last report.
struct lane {
    codec_state state{};
    uint8_t window[ENCODE_WINDOW_SIZE] = {};
    uint32_t len = 0;
    int result = 0;
};

void expect_same_call(const lane &real, const lane &model, size_t call) {
    ASSERT_EQ(real.result, model.result) << "call " << call;
    ASSERT_EQ(real.len, model.len) << "call " << call;
    ASSERT_EQ(std::memcmp(&real.state, &model.state, sizeof real.state), 0)
        << "state differs after call " << call;
    ASSERT_EQ(std::memcmp(real.window, model.window, ENCODE_WINDOW_SIZE), 0)
        << "window differs after call " << call;
}

} // namespace

bytes encode_in_lockstep(const bytes &input, const chunker &next_chunk) {
    lane real, model;
    bytes stream;
    size_t pos = 0, calls = 0;
    do {
        const uint32_t n = static_cast<uint32_t>(
            std::min<size_t>(next_chunk(), input.size() - pos));
        const uint8_t *chunk = n ? input.data() + pos : nullptr;
        do {
            real.len = model.len = 0;
            real.result = encode_step(real.window, &real.state, chunk, n, &real.len);
            model.result = reference_encode_step(model.window, &model.state, chunk,
                                                 n, &model.len);
            expect_same_call(real, model, ++calls);
            if (testing::Test::HasFatalFailure())
                return stream;
            if (real.result == STEP_OUTPUT_READY)
                stream.insert(stream.end(), real.window, real.window + ENCODE_WINDOW_SIZE);
        } while (real.result == STEP_OUTPUT_READY);
        pos += n;
    } while (pos < input.size());
    stream.insert(stream.end(), real.window, real.window + real.len);
    return stream;
}

bytes decode_in_lockstep(const bytes &stream, const chunker &next_chunk) {
    lane real, model, block;
    std::memset(real.window, 0x5A, sizeof real.window);
    std::memset(model.window, 0x5A, sizeof model.window);
    std::memset(block.window, 0x5A, sizeof block.window);
    bytes out;
    size_t pos = 0, calls = 0;
    do {
        const uint32_t n = static_cast<uint32_t>(
            std::min<size_t>(next_chunk(), stream.size() - pos));
        const uint8_t *chunk = n ? stream.data() + pos : nullptr;
        do {
            real.len = model.len = 0;
            real.result = decode_step(chunk, &real.state, n, real.window, &real.len);
            model.result = reference_decode_step(chunk, &model.state, n,
                                                 model.window, &model.len);
            block.len = 0;
            block.result = decode_block(chunk, &block.state, n, block.window, 1, &block.len);
            expect_same_call(real, model, ++calls);
            if (!testing::Test::HasFatalFailure())
                expect_same_call(block, real, calls);
            if (testing::Test::HasFatalFailure())
                return out;
            for (int i = 1; i < ENCODE_WINDOW_SIZE; ++i)
                if (real.window[i] != 0x5A) {
                    ADD_FAILURE() << "decoder wrote window[" << i << "]";
                    return out;
                }
            out.insert(out.end(), real.window, real.window + real.len);
            // Each stream byte yields at most 255 output bytes.
            if (out.size() > 256 * (stream.size() + 1)) {
                ADD_FAILURE() << "decoder does not terminate";
                return out;
            }
        } while (real.result == STEP_OUTPUT_READY);
        pos += n;
    } while (pos < stream.size());
    return out;
}

namespace {

// Runs the model through a whole chunk, as a pass does between chunks.
void model_through_chunk(codec_state &model, const uint8_t *chunk, uint32_t n) {
    uint8_t window[ENCODE_WINDOW_SIZE];
    // At most 255 output bytes per stream byte, and one call per output byte.
    for (size_t calls = 0; calls <= 256 * (size_t{n} + 1); ++calls)
        if (reference_decode_step(chunk, &model, n, window, nullptr) == STEP_NEED_INPUT)
            return;
    ADD_FAILURE() << "the model does not finish a chunk";
}

} // namespace

bytes decode_in_blocks(const bytes &stream, const chunker &next_chunk,
                       const capacity_plan &next_capacity) {
    constexpr size_t guard = 16;
    codec_state state{}, model{};
    bytes out, buffer;
    const size_t most = 256 * (stream.size() + 1);
    bool use_step = false;
    size_t pos = 0, calls = 0;
    do {
        const uint32_t n = static_cast<uint32_t>(
            std::min<size_t>(next_chunk(), stream.size() - pos));
        const uint8_t *chunk = n ? stream.data() + pos : nullptr;
        int result;
        do {
            const uint32_t cap = std::max<uint32_t>(1, next_capacity());
            buffer.assign(cap + guard, 0x5A);
            uint32_t len = 0;
            ++calls;
            if (cap == 1 && (use_step = !use_step))
                result = decode_step(chunk, &state, n, buffer.data(), &len);
            else
                result = decode_block(chunk, &state, n, buffer.data(), cap, &len);
            if (result == STEP_OUTPUT_READY ? len != cap
                                            : result != STEP_NEED_INPUT || len >= cap) {
                ADD_FAILURE() << "call " << calls << " returned " << result << " with "
                              << len << " of " << cap << " bytes";
                return out;
            }
            for (size_t i = cap; i < buffer.size(); ++i)
                if (buffer[i] != 0x5A) {
                    ADD_FAILURE() << "call " << calls << " wrote past its " << cap
                                  << "-byte buffer";
                    return out;
                }
            if (state.out_pos != 0 || state.produced != 0) {
                ADD_FAILURE() << "call " << calls << " left the window position set";
                return out;
            }
            out.insert(out.end(), buffer.begin(), buffer.begin() + len);
            if (out.size() > most) {
                ADD_FAILURE() << "decoder does not terminate";
                return out;
            }
        } while (result == STEP_OUTPUT_READY);
        model_through_chunk(model, chunk, n);
        if (std::memcmp(&state, &model, sizeof state) != 0) {
            ADD_FAILURE() << "state differs from the model's after the chunk at " << pos;
            return out;
        }
        pos += n;
    } while (pos < stream.size());
    return out;
}
