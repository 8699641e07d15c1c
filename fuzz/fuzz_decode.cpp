// fuzz_decode.cpp - arbitrary bytes as a stream, split into arbitrary
// chunks: decode_step never reads or writes out of bounds, always ends,
// matches the byte-at-a-time model call by call, and gives exactly what a
// direct reading of the stream format gives.
#include "chunk_plan.h"
#include "reference_codec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const chunk_plan plan(fdp);
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

    if (out != read_stream_directly(stream))
        std::abort();
    return 0;
}
