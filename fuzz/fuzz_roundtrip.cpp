// fuzz_roundtrip.cpp - arbitrary input in arbitrary chunks through
// encode_step: the stream is the one a single chunk gives, matches the
// byte-at-a-time model call by call, keeps its window structure (every
// 256-byte window begins with a count byte, so no literal section holds
// more than 255 bytes), stays within ENCODE_BOUND, and decodes back to the
// input.
#include "chunk_plan.h"
#include "reference_codec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const chunk_plan plan(fdp);
    const bytes input = fdp.ConsumeRemainingBytes<uint8_t>();

    codec_state real{}, model{};
    std::unique_ptr<uint8_t[]> window(new uint8_t[ENCODE_WINDOW_SIZE]);
    uint8_t model_window[ENCODE_WINDOW_SIZE];
    bytes stream;
    uint32_t len = 0;
    size_t pos = 0, k = 0;
    do {
        const uint32_t n = plan.size(k++, input.size() - pos);
        const auto chunk = exact_copy(input.data() + pos, n);
        int result;
        do {
            uint32_t model_len = 0;
            len = 0;
            result = encode_step(window.get(), &real, chunk.get(), n, &len);
            const int model_result =
                reference_encode_step(model_window, &model, chunk.get(), n, &model_len);
            if (result != model_result || len != model_len ||
                std::memcmp(&real, &model, sizeof real) != 0 ||
                std::memcmp(window.get(), model_window, len) != 0)
                std::abort();
            if (result == STEP_OUTPUT_READY)
                stream.insert(stream.end(), window.get(), window.get() + ENCODE_WINDOW_SIZE);
        } while (result == STEP_OUTPUT_READY);
        pos += n;
    } while (pos < input.size());
    stream.insert(stream.end(), window.get(), window.get() + len);

    if (stream != encode_all(input, whole_input()) ||
        !windows_begin_with_count_bytes(stream) || stream.size() > ENCODE_BOUND(input.size()) ||
        decode_all(stream, fixed_chunks(3)) != input)
        std::abort();
    return 0;
}
