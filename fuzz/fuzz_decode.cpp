// fuzz_decode.cpp - arbitrary bytes as a stream, split into arbitrary
// chunks: decode_step never reads or writes out of bounds, always ends,
// matches the byte-at-a-time model call by call, and gives exactly what a
// direct reading of the stream format gives. decode_block, into buffers of
// arbitrary sizes (each a heap block of exactly its size) and mixed with
// decode_step, gives the same, and decoded_size tells its length.
#include "chunk_plan.h"
#include "reference_codec.h"

#include <algorithm>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const chunk_plan plan(fdp);
    const chunk_plan capacities(fdp);
    const bytes stream = fdp.ConsumeRemainingBytes<uint8_t>();

    codec_state real{}, model{};
    // The decoder writes only window[0]: a one-byte window must do.
    std::unique_ptr<uint8_t[]> window(new uint8_t[1]);
    uint8_t model_window[ENCODE_WINDOW_SIZE];
    bytes out;
    size_t pos = 0, k = 0;
    do {
        const uint32_t n = plan.size(k++, stream.size() - pos);
        const auto chunk = exact_copy(stream.data() + pos, n);
        int result;
        do {
            uint32_t len = 0, model_len = 0;
            result = decode_step(chunk.get(), &real, n, window.get(), &len);
            const int model_result =
                reference_decode_step(chunk.get(), &model, n, model_window, &model_len);
            if (result != model_result || len != model_len ||
                std::memcmp(&real, &model, sizeof real) != 0 ||
                (len == 1 && window[0] != model_window[0]))
                std::abort();
            out.insert(out.end(), window.get(), window.get() + len);
            if (out.size() > 255 * stream.size())
                std::abort(); // more output than any stream can hold
        } while (result == STEP_OUTPUT_READY);
        pos += n;
    } while (pos < stream.size());

    if (out != read_stream_directly(stream) ||
        decoded_size(stream.data(), stream.size()) != out.size())
        std::abort();

    // Again with decode_block; a capacity of 1 alternates it with decode_step.
    codec_state state{};
    bytes blocks;
    bool use_step = false;
    pos = 0;
    k = 0;
    size_t c = 0;
    do {
        const uint32_t n = plan.size(k++, stream.size() - pos);
        const auto chunk = exact_copy(stream.data() + pos, n);
        int result;
        do {
            const uint32_t cap = std::max<uint32_t>(1, capacities.size(c++, 600));
            std::unique_ptr<uint8_t[]> dst(new uint8_t[cap]);
            uint32_t len = 0;
            if (cap == 1 && (use_step = !use_step))
                result = decode_step(chunk.get(), &state, n, dst.get(), &len);
            else
                result = decode_block(chunk.get(), &state, n, dst.get(), cap, &len);
            if (result == STEP_OUTPUT_READY ? len != cap : len >= cap)
                std::abort();
            blocks.insert(blocks.end(), dst.get(), dst.get() + len);
            if (blocks.size() > out.size())
                std::abort(); // more than the stream holds: it would not end
        } while (result == STEP_OUTPUT_READY);
        pos += n;
    } while (pos < stream.size());
    if (blocks != out)
        std::abort();
    return 0;
}
