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
    lane real, model;
    std::memset(real.window, 0x5A, sizeof real.window);
    std::memset(model.window, 0x5A, sizeof model.window);
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
            expect_same_call(real, model, ++calls);
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
