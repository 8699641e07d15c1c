// fuzz_smallest.cpp - arbitrary input through encode_smallest(): the stream
// decodes back through decode_block(), is exactly as short as the plain
// recurrence says, is never longer than encode_step()'s, and with one byte
// too little room the call returns 0 and writes nothing. The input, the
// scratch and every buffer are heap blocks of exactly their size, so that
// AddressSanitizer catches any access past them.
#include "chunk_plan.h"
#include "reference_codec.h"

#include <cstdlib>

namespace {

// Inputs past this length are checked for all but their exact length: the
// recurrence takes 255 steps per byte.
constexpr size_t recurrence_up_to = 4096;

std::unique_ptr<uint8_t[]> block_of(size_t n) {
    return std::unique_ptr<uint8_t[]>(n > 0 ? new uint8_t[n] : nullptr);
}

// The whole stream in one decode_block() call into a buffer of exactly the
// input's size.
bool decodes_to(const bytes &stream, const bytes &input) {
    const auto out = block_of(input.size());
    codec_state state{};
    uint32_t len = 0;
    const int result = decode_block(stream.data(), &state, static_cast<uint32_t>(stream.size()),
                                    out.get(), static_cast<uint32_t>(input.size()), &len);
    return result == STEP_OUTPUT_READY && len == input.size() &&
           std::memcmp(out.get(), input.data(), len) == 0 &&
           decoded_size(stream.data(), stream.size()) == input.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) {
        if (encode_smallest(nullptr, 0, nullptr, 0, nullptr) != 0)
            std::abort();
        return 0;
    }
    const bytes input(data, data + size);
    const auto src = exact_copy(data, static_cast<uint32_t>(size));
    const auto scratch = block_of(ENCODE_SMALLEST_SCRATCH(size));
    const size_t bound = ENCODE_BOUND(size);
    const auto room = block_of(bound);
    const size_t len = encode_smallest(src.get(), size, room.get(), bound, scratch.get());
    const bytes stream(room.get(), room.get() + len);
    if (len < 2 || !decodes_to(stream, input) ||
        len > encode_all(input, whole_input()).size() ||
        (size <= recurrence_up_to && len != fewest_stream_bytes(input)))
        std::abort();

    // One byte short: 0, and the buffer as it was.
    const auto short_room = block_of(len - 1);
    std::memset(short_room.get(), 0xA5, len - 1);
    if (encode_smallest(src.get(), size, short_room.get(), len - 1, scratch.get()) != 0)
        std::abort();
    for (size_t i = 0; i < len - 1; ++i)
        if (short_room[i] != 0xA5)
            std::abort();

    // Exactly enough: the same stream.
    const auto exact_room = block_of(len);
    if (encode_smallest(src.get(), size, exact_room.get(), len, scratch.get()) != len ||
        std::memcmp(exact_room.get(), stream.data(), len) != 0)
        std::abort();
    return 0;
}
