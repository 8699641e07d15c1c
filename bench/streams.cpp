// streams.cpp - the tool's stream of a file, and the check that a stream
// decodes back to its file.
#include "streams.h"

#include "passes.h"
#include <mavo/codec.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

bytes tool_stream(const uint8_t *data, size_t size) {
    bytes stream;
    uint8_t window[ENCODE_WINDOW_SIZE];
    codec_state state{};
    uint32_t len = 0;
    for (size_t pos = 0; pos < size; pos += io_chunk_size) {
        const auto n = static_cast<uint32_t>(std::min(io_chunk_size, size - pos));
        for (;;) {
            len = 0;
            if (encode_step(window, &state, data + pos, n, &len) == STEP_NEED_INPUT)
                break;
            stream.insert(stream.end(), window, window + ENCODE_WINDOW_SIZE);
            // An encoder that never reports its chunk consumed would fill
            // memory instead of failing.
            if (stream.size() > ENCODE_BOUND(size))
                throw std::logic_error("the stream outgrew ENCODE_BOUND");
        }
    }
    stream.insert(stream.end(), window, window + len);
    return stream;
}

bool decodes_to(const uint8_t *stream, size_t stream_size, const uint8_t *data, size_t size) {
    constexpr size_t limit = std::numeric_limits<uint32_t>::max();
    if (stream_size > limit || size >= limit)
        throw std::length_error("decodes_to: 4 GiB or more");
    // One byte of room past the file's end: a longer output then shows as
    // that byte written, where a buffer of the file's size would only be
    // reported full.
    bytes out(size + 1);
    codec_state state{};
    uint32_t len = 0;
    const int result = decode_block(stream, &state, static_cast<uint32_t>(stream_size), out.data(),
                                    static_cast<uint32_t>(out.size()), &len);
    return result == STEP_NEED_INPUT && len == size &&
           (size == 0 || std::memcmp(out.data(), data, size) == 0);
}
