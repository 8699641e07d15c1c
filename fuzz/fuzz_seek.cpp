// fuzz_seek.cpp - arbitrary bytes as a stream, indexed at an arbitrary
// spacing: index_stream() counts one point per spacing of output and
// writes only its room, and decode_seek() at arbitrary offsets, with any
// leading part of the index, with none, or with arbitrary points, stays
// inside the stream (each array a heap block of exactly its size), always
// ends, and with real points or none gives what a direct reading of the
// stream gives from the offset on.
#include "chunk_plan.h"
#include "reference_codec.h"

#include <algorithm>
#include <cstdlib>

namespace {

// Decodes from the seek's position into buffers of `cap` bytes, each a
// heap block of exactly that size, until `most` bytes or the stream's end.
bytes decode_after_seek(const uint8_t *src, uint32_t len, uint32_t pos, codec_state state,
                        uint32_t cap, size_t most) {
    if (pos > len)
        std::abort();
    bytes out;
    int result;
    do {
        std::unique_ptr<uint8_t[]> dst(new uint8_t[cap]);
        uint32_t got = 0;
        result = decode_block(src + pos, &state, len - pos, dst.get(), cap, &got);
        out.insert(out.end(), dst.get(), dst.get() + got);
    } while (result == STEP_OUTPUT_READY && out.size() < most);
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider fdp(data, size);
    const uint32_t spacings[] = {0, 1, 2, 3, 100, 255, 256, 257, 4096, UINT32_MAX};
    const uint32_t spacing = fdp.ConsumeBool() ? fdp.PickValueInArray(spacings)
                                               : fdp.ConsumeIntegralInRange<uint32_t>(1, 2000);
    const uint32_t cap = fdp.ConsumeIntegralInRange<uint32_t>(1, 600);
    uint64_t offsets[4];
    for (uint64_t &offset : offsets)
        offset = fdp.ConsumeIntegral<uint64_t>();
    const uint8_t wild_points = fdp.ConsumeIntegralInRange<uint8_t>(0, 4);
    bytes wild = fdp.ConsumeBytes<uint8_t>(size_t{wild_points} * sizeof(codec_seek_point));
    wild.resize(size_t{wild_points} * sizeof(codec_seek_point));
    const bytes stream = fdp.ConsumeRemainingBytes<uint8_t>();

    const uint32_t len = static_cast<uint32_t>(stream.size());
    const auto src = exact_copy(stream.data(), len);
    const bytes whole = read_stream_directly(stream);
    const uint64_t total = whole.size();

    const uint32_t n = index_stream(src.get(), len, spacing, nullptr, 0);
    if (n != (spacing == 0 ? 0 : (total + spacing - 1) / spacing))
        std::abort();
    // A shorter room than the index needs, in a block of exactly its size.
    const uint32_t room = n == 0 ? 0 : static_cast<uint32_t>(offsets[0] % (n + 1u));
    std::unique_ptr<codec_seek_point[]> points(room ? new codec_seek_point[room] : nullptr);
    if (index_stream(src.get(), len, spacing, points.get(), room) != n)
        std::abort();

    for (size_t i = 0; i < 4; ++i) {
        // Offsets near the output as often as anywhere.
        const uint64_t offset = i % 2 ? offsets[i] : offsets[i] % (total + 3);
        const size_t from = static_cast<size_t>(std::min(offset, total));
        const size_t most = 4096;
        const bytes expected(whole.begin() + static_cast<std::ptrdiff_t>(from),
                             whole.begin() + static_cast<std::ptrdiff_t>(std::min(whole.size(), from + most)));
        for (const uint32_t used : {room, room / 2, 0u}) {
            codec_state state;
            std::memset(&state, 0xA5, sizeof state);
            const uint32_t pos = decode_seek(src.get(), len, used ? points.get() : nullptr,
                                             used, spacing, offset, &state);
            bytes got = decode_after_seek(src.get(), len, pos, state, cap, most);
            got.resize(std::min(got.size(), most));
            if (got != expected)
                std::abort();
        }
        // Arbitrary points: anything but a read outside the stream, or a
        // decode that does not end.
        if (wild_points > 0) {
            std::unique_ptr<codec_seek_point[]> arbitrary(new codec_seek_point[wild_points]);
            std::memcpy(arbitrary.get(), wild.data(), wild.size());
            codec_state state;
            const uint32_t pos = decode_seek(src.get(), len, arbitrary.get(), wild_points,
                                             spacing, offset, &state);
            if (decode_after_seek(src.get(), len, pos, state, cap, SIZE_MAX).size() >
                255 * stream.size())
                std::abort();
        }
    }
    return 0;
}
