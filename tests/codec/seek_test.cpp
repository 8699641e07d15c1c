// seek_test.cpp - random access held against a whole decode: from any seek
// point, any leading part of an index or none, decode_seek() gives the
// position and state from which decode_block() and decode_step(), mixed
// and in any chunking, give the output from the offset on, on streams the
// encoder wrote and on arbitrary bytes, at every kind of offset and
// spacing, past 32 bits of output too; a seek with points reads nothing
// before its point, and points that do not fit lead nowhere unsafe.
#include "reference_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>

namespace {

using rng_t = std::mt19937;

uint32_t uniform(rng_t &rng, uint32_t lo, uint32_t hi) {
    return std::uniform_int_distribution<uint32_t>(lo, hi)(rng);
}

struct index_of {
    std::vector<codec_seek_point> points;
    uint32_t spacing;
};

index_of make_index(const bytes &stream, uint32_t spacing) {
    const uint32_t len = static_cast<uint32_t>(stream.size());
    const uint32_t n = index_stream(stream.data(), len, spacing, nullptr, 0);
    index_of index{std::vector<codec_seek_point>(n), spacing};
    EXPECT_EQ(index_stream(stream.data(), len, spacing, index.points.data(), n), n);
    return index;
}

// The stream in a heap block of exactly its size, so that AddressSanitizer
// sees any read past its end.
std::unique_ptr<uint8_t[]> exact_block(const bytes &stream) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[stream.size() + (stream.empty() ? 1 : 0)]);
    std::copy(stream.begin(), stream.end(), block.get());
    return block;
}

struct seek_result {
    uint32_t pos;
    codec_state state; // as decode_seek() left it
    bytes out;
};

// Seeks, then decodes the rest with decode_block() into buffers of
// `capacity` bytes, until `most` bytes or the stream's end. With `mix`, the
// rest comes in chunks of 0 to 300 bytes and each call takes a buffer of 1
// to 600 bytes, decode_step() for those under 100. Fails the test when the
// position is outside the stream.
seek_result seek_and_decode(const bytes &stream, const codec_seek_point *points, uint32_t n,
                            uint32_t spacing, uint64_t offset, uint32_t capacity = 70000,
                            size_t most = SIZE_MAX, rng_t *mix = nullptr) {
    const auto src = exact_block(stream);
    const uint32_t len = static_cast<uint32_t>(stream.size());
    seek_result r;
    codec_state state;
    std::memset(&state, 0xA5, sizeof state); // its earlier contents must not matter
    r.pos = decode_seek(src.get(), len, points, n, spacing, offset, &state);
    r.state = state;
    if (r.pos > len) {
        ADD_FAILURE() << "position " << r.pos << " is past the stream's " << len << " bytes";
        return r;
    }
    bytes buffer(std::max<uint32_t>(capacity, 600));
    for (uint32_t pos = r.pos; pos < len && r.out.size() < most;) {
        const uint32_t chunk = mix ? std::min(uniform(*mix, 0, 300), len - pos) : len - pos;
        int result;
        do {
            const uint32_t cap = mix ? uniform(*mix, 1, 600) : capacity;
            uint32_t got = 0;
            result = cap < 100 && mix
                         ? decode_step(src.get() + pos, &state, chunk, buffer.data(), &got)
                         : decode_block(src.get() + pos, &state, chunk, buffer.data(), cap, &got);
            r.out.insert(r.out.end(), buffer.begin(), buffer.begin() + got);
        } while (result == STEP_OUTPUT_READY && r.out.size() < most);
        pos += chunk;
    }
    if (r.out.size() > most)
        r.out.resize(most);
    return r;
}

// A whole decode_block() pass, one byte at a time: the output and the
// state after each number of bytes, in_pos counted from the stream's start.
struct whole_decode {
    bytes out;
    std::vector<codec_state> after; // after[x]: the state after x bytes
};

whole_decode decode_whole(const bytes &stream) {
    whole_decode w;
    codec_state state{};
    w.after.push_back(state);
    uint8_t byte;
    const uint32_t len = static_cast<uint32_t>(stream.size());
    while (decode_block(stream.data(), &state, len, &byte, 1, nullptr) == STEP_OUTPUT_READY) {
        w.out.push_back(byte);
        w.after.push_back(state);
    }
    return w;
}

// Output offsets worth seeking to: 0, both sides of every section start,
// of every window start in the stream and of every point, the last byte,
// the end and past it, and a few anywhere; at most `most` of them.
std::vector<uint64_t> offsets_to_try(const bytes &stream, uint64_t total, uint32_t spacing,
                                     rng_t &rng, size_t most = 150) {
    std::vector<uint64_t> at{0, 1, total - 1, total, total + 1, total + 300, UINT64_MAX};
    uint64_t out = 0;
    for (size_t pos = 0, section = 0; pos < stream.size(); ++section) {
        if (pos % ENCODE_WINDOW_SIZE == 0 || section % 7 == 0)
            at.insert(at.end(), {out - 1, out, out + 1});
        const size_t count = stream[pos++];
        const size_t present = section % 2 ? count : std::min(count, stream.size() - pos);
        out += present;
        pos += section % 2 ? 0 : present;
    }
    for (uint64_t k = spacing; spacing > 0 && k < total && k / spacing < 50; k += spacing)
        at.insert(at.end(), {k - 1, k, k + 1});
    for (int i = 0; i < 20 && total > 0; ++i)
        at.push_back(uniform(rng, 0, static_cast<uint32_t>(total - 1)));
    std::shuffle(at.begin(), at.end(), rng);
    at.resize(std::min(at.size(), most));
    return at;
}

// Every offset gives the whole decode's bytes from there (the first 3000
// of them, in one block or in chunks through steps and blocks mixed) and,
// before the end, its very position and state.
void expect_seek_agrees(const bytes &stream, const whole_decode &whole, const index_of &index,
                        uint32_t n_points, rng_t &rng, const std::string &what) {
    const codec_seek_point *points = index.points.empty() ? nullptr : index.points.data();
    constexpr size_t most = 3000;
    for (uint64_t offset : offsets_to_try(stream, whole.out.size(), index.spacing, rng)) {
        const size_t from = static_cast<size_t>(std::min<uint64_t>(offset, whole.out.size()));
        const size_t to = std::min(whole.out.size(), from + most);
        const seek_result r = seek_and_decode(stream, points, n_points, index.spacing, offset,
                                              70000, most, uniform(rng, 0, 1) ? &rng : nullptr);
        ASSERT_EQ(r.out, bytes(whole.out.begin() + static_cast<std::ptrdiff_t>(from),
                               whole.out.begin() + static_cast<std::ptrdiff_t>(to)))
            << what << ", offset " << offset << ", " << n_points << " points";
        if (offset < whole.out.size()) {
            const codec_state &want = whole.after[from];
            codec_state got = r.state;
            ASSERT_EQ(got.in_pos, 0u) << what << ", offset " << offset;
            got.in_pos = r.pos;
            ASSERT_EQ(std::memcmp(&got, &want, sizeof got), 0)
                << what << ", offset " << offset << ": position " << r.pos << " for "
                << want.in_pos << ", count " << int{got.count} << " for " << int{want.count};
        }
    }
}

// Encoder-made streams of the shapes that matter here, and arbitrary bytes.
bytes runs_and_literals(rng_t &rng, size_t n) {
    bytes out;
    while (out.size() < n) {
        if (uniform(rng, 0, 1))
            out.insert(out.end(), uniform(rng, 1, 700), static_cast<uint8_t>(uniform(rng, 0, 3)));
        else
            for (uint32_t i = uniform(rng, 1, 300); i > 0; --i)
                out.push_back(static_cast<uint8_t>(uniform(rng, 0, 255)));
    }
    out.resize(n);
    return out;
}

bytes any_bytes(rng_t &rng, size_t n) {
    bytes out(n);
    for (uint8_t &b : out)
        b = static_cast<uint8_t>(uniform(rng, 0, 255));
    return out;
}

bytes operator+(bytes a, const bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct stream_case {
    const char *name;
    bytes stream;
};

std::vector<stream_case> streams_to_seek(rng_t &rng) {
    bytes cut = encode_all(runs_and_literals(rng, 5000), whole_input());
    cut.push_back(200); // a literal section of 200 with only 3 bytes present
    cut.insert(cut.end(), {1, 2, 3});
    return {
        {"empty", {}},
        {"one literal", {0x01, 0x41}},
        {"zero start", {0x00, 0x05, 0x02, 0x41, 0x42}},
        {"all zero bytes", bytes(3000, 0)},
        {"empty sections between", bytes{0x01, 0x41} + bytes(1001, 0) + bytes{0x02, 0x42, 0x43, 0x09}},
        {"runs and literals", encode_all(runs_and_literals(rng, 20000), whole_input())},
        {"runs of 255 split", encode_all(bytes(3000, 0x41) + bytes(700, 0x42), whole_input())},
        {"literals only", encode_all(any_bytes(rng, 3000), whole_input())},
        {"cut inside a literal", cut},
        {"arbitrary bytes", any_bytes(rng, 2000)},
        {"arbitrary count-heavy bytes", [&] {
             bytes b = any_bytes(rng, 600);
             for (size_t i = 0; i < b.size(); i += 2)
                 b[i] = static_cast<uint8_t>(b[i] % 4);
             return b;
         }()},
    };
}

const uint32_t spacings[] = {1, 2, 7, 255, 256, 257, 4096, 100000, UINT32_MAX};

TEST(Seek, IndexHasOnePointPerSpacingOfOutputAndFillsOnlyItsRoom) {
    rng_t rng(18);
    for (const stream_case &c : streams_to_seek(rng)) {
        const uint64_t total = read_stream_directly(c.stream).size();
        const uint32_t len = static_cast<uint32_t>(c.stream.size());
        for (uint32_t spacing : spacings) {
            const uint32_t n = index_stream(c.stream.data(), len, spacing, nullptr, 0);
            ASSERT_EQ(n, (total + spacing - 1) / spacing) << c.name << ", spacing " << spacing;
            const index_of full = make_index(c.stream, spacing);
            for (uint32_t room : {0u, 1u, n / 2, n}) {
                std::vector<codec_seek_point> points(room + 4);
                std::memset(points.data(), 0x5A, points.size() * sizeof points[0]);
                ASSERT_EQ(index_stream(c.stream.data(), len, spacing, points.data(), room), n);
                if (std::min(room, n) > 0) {
                    ASSERT_EQ(std::memcmp(points.data(), full.points.data(),
                                          std::min(room, n) * sizeof points[0]), 0);
                }
                for (size_t i = std::min(room, n); i < points.size(); ++i)
                    ASSERT_EQ(points[i].section, 0x5A5A5A5Au) << "written past its room";
            }
        }
        EXPECT_EQ(index_stream(c.stream.data(), len, 0, nullptr, 0), 0u) << c.name;
    }
}

TEST(Seek, EveryOffsetSpacingAndLeadingPartOfTheIndexAgreesWithAWholeDecode) {
    rng_t rng(1800);
    for (const stream_case &c : streams_to_seek(rng)) {
        const whole_decode whole = decode_whole(c.stream);
        for (uint32_t spacing : spacings) {
            const index_of index = make_index(c.stream, spacing);
            const uint32_t n = static_cast<uint32_t>(index.points.size());
            // All points, some of them, none; null points and spacing 0
            // use none whatever the count.
            const std::pair<index_of, uint32_t> variants[] = {
                {index, n}, {index, n > 0 ? n - 1 : 0}, {index, n / 3}, {index, 1}, {index, 0},
                {index_of{{}, spacing}, n}, {index_of{index.points, 0}, n}};
            for (const auto &[variant, used] : variants) {
                expect_seek_agrees(c.stream, whole, variant, used, rng,
                                   std::string(c.name) + ", spacing " + std::to_string(spacing));
                if (testing::Test::HasFatalFailure())
                    return;
            }
        }
    }
}

TEST(Seek, WithPointsReadsNothingBeforeThePointsSection) {
    rng_t rng(1802);
    const bytes stream = encode_all(runs_and_literals(rng, 40000), whole_input());
    const bytes whole = read_stream_directly(stream);
    const index_of index = make_index(stream, 1000);
    for (size_t k = 0; k < index.points.size(); k += 3) {
        bytes spoilt = stream;
        std::fill(spoilt.begin(), spoilt.begin() + index.points[k].section, 0xEE);
        const uint64_t offset = k * 1000 + uniform(rng, 0, 999);
        const bytes got = seek_and_decode(spoilt, index.points.data(),
                                          static_cast<uint32_t>(k + 1), 1000, offset, 500, 500)
                              .out;
        ASSERT_FALSE(got.empty()) << "point " << k;
        ASSERT_TRUE(std::equal(got.begin(), got.end(), whole.begin() + static_cast<std::ptrdiff_t>(offset)))
            << "point " << k << ", offset " << offset;
    }
}

TEST(Seek, PointsThatDoNotFitTheStreamAreReadSafely) {
    rng_t rng(1804);
    for (const stream_case &c : streams_to_seek(rng)) {
        std::vector<codec_seek_point> garbage(40);
        for (codec_seek_point &p : garbage) {
            const uint32_t far = static_cast<uint32_t>(c.stream.size()) + 2;
            p = {uniform(rng, 0, 2) ? uniform(rng, 0, far) : UINT32_MAX,
                 static_cast<uint8_t>(uniform(rng, 0, 255)), static_cast<uint8_t>(uniform(rng, 0, 255)),
                 static_cast<uint8_t>(uniform(rng, 0, 2)), 0};
        }
        for (int i = 0; i < 40; ++i) {
            const uint64_t offset = uniform(rng, 0, 5000);
            const bytes got = seek_and_decode(c.stream, garbage.data(), 40, uniform(rng, 1, 300),
                                              offset, 256, 256 * (c.stream.size() + 1))
                                  .out;
            ASSERT_LE(got.size(), 255 * c.stream.size()) << c.name;
        }
        // A point past the stream's end is not used: the answer is a scan's.
        const codec_seek_point beyond{static_cast<uint32_t>(c.stream.size()), 0, 0, 0, 0};
        const bytes whole = read_stream_directly(c.stream);
        ASSERT_EQ(seek_and_decode(c.stream, &beyond, 1, 1, 0).out, whole) << c.name;
    }
}

// Groups of a one-byte literal and 16 runs of 255 (15 of them after an
// empty literal): 33 stream bytes for 4081 output bytes, the group's byte.
bytes long_output_stream(uint32_t groups) {
    bytes stream;
    stream.reserve(size_t{33} * groups);
    for (uint32_t g = 0; g < groups; ++g) {
        stream.insert(stream.end(), {0x01, static_cast<uint8_t>(g * 7), 0xFF});
        for (int i = 0; i < 15; ++i)
            stream.insert(stream.end(), {0x00, 0xFF});
    }
    return stream;
}

TEST(Seek, OffsetsPast32BitsOfOutputAgreeWithTheStreamsLayout) {
    const uint32_t groups = 1400000; // 5.7e9 bytes of output
    const bytes stream = long_output_stream(groups);
    const uint64_t total = uint64_t{4081} * groups;
    ASSERT_EQ(decoded_size(stream.data(), stream.size()), total);
    // Points at 2^20 over the whole stream, at almost 2^32 (point 1 is
    // past 32 bits), and at 1 over a prefix only: a leading part whose
    // last point lies far before the offsets.
    const bytes prefix(stream.begin(), stream.begin() + 330);
    const index_of indexes[] = {make_index(stream, 1u << 20), make_index(stream, UINT32_MAX - 4),
                                make_index(prefix, 1), {{}, 0}};
    ASSERT_EQ(indexes[0].points.size(), (total + (1u << 20) - 1) >> 20);
    // Counted past the room: 2.9e9 points at 2, and past 32 bits at 1.
    const uint32_t len = static_cast<uint32_t>(stream.size());
    codec_seek_point first[3];
    EXPECT_EQ(index_stream(stream.data(), len, 2, first, 3), (total + 1) / 2);
    EXPECT_EQ(index_stream(stream.data(), len, 1, nullptr, 0), UINT32_MAX);
    for (const index_of &index : indexes)
        for (uint64_t offset : {uint64_t{0}, (uint64_t{1} << 32) - 1, uint64_t{1} << 32,
                                (uint64_t{1} << 32) + 4081 * 5 + 17, uint64_t{4081} * 1000000,
                                total - 1, total, total + 1, UINT64_MAX}) {
            const bytes got = seek_and_decode(stream, index.points.data(),
                                              static_cast<uint32_t>(index.points.size()),
                                              index.spacing, offset, 5000, 5000)
                                  .out;
            if (offset >= total) {
                ASSERT_TRUE(got.empty()) << "offset " << offset;
                continue;
            }
            const uint64_t left = total - offset;
            ASSERT_EQ(got.size(), std::min<uint64_t>(left, 5000)) << "offset " << offset;
            for (size_t i = 0; i < got.size(); i += 97)
                ASSERT_EQ(got[i], static_cast<uint8_t>((offset + i) / 4081 * 7))
                    << "offset " << offset << " + " << i << ", spacing " << index.spacing;
        }
}

} // namespace
