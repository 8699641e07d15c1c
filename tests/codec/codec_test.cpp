// codec_test.cpp - known streams, window boundaries and call-by-call
// behaviour of encode_step() and decode_step().
#include "lockstep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ostream>
#include <string>

namespace {

// Builders for readable test inputs.
bytes repeat(uint8_t value, size_t times) { return bytes(times, value); }

bytes ascending(size_t n, uint8_t from = 0) {
    bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(from + i);
    return out;
}

bytes operator+(bytes a, const bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct known_stream {
    std::string name;
    bytes input;
    bytes stream;
};

std::vector<known_stream> known_streams() {
    const bytes lits253 = ascending(253, 1);  // 01..FD
    const bytes lits254 = ascending(254, 1);  // 01..FE
    const bytes lits255 = ascending(255);     // 00..FE
    return {
        {"empty", {}, {}},
        {"one byte", {0x41}, {0x01, 0x41}},
        {"two literals", {0x41, 0x42}, {0x02, 0x41, 0x42}},
        {"literal and run", repeat(0x41, 4), {0x01, 0x41, 0x03}},
        {"run after two literals", {0x41, 0x42, 0x42, 0x42},
         {0x02, 0x41, 0x42, 0x02}},
        {"run then literal", {0x41, 0x41, 0x42}, {0x01, 0x41, 0x01, 0x01, 0x42}},
        {"zero byte first", {0x00, 0x00}, {0x01, 0x00, 0x01}},
        {"repeat 255", repeat(0x41, 255), {0x01, 0x41, 0xFE}},
        {"repeat 256", repeat(0x41, 256), {0x01, 0x41, 0xFF}},
        {"repeat 257", repeat(0x41, 257), {0x01, 0x41, 0xFF, 0x00, 0x01}},
        {"repeat 258", repeat(0x41, 258), {0x01, 0x41, 0xFF, 0x00, 0x02}},
        {"repeat 300", repeat(0x41, 300), {0x01, 0x41, 0xFF, 0x00, 0x2C}},
        {"repeat 512 splits twice", repeat(0x07, 512),
         {0x01, 0x07, 0xFF, 0x00, 0xFF, 0x00, 0x01}},
        {"253 literals", lits253, bytes{0xFD} + lits253},
        {"254 literals", lits254, bytes{0xFE} + lits254},
        {"255 literals fill a window and leave an empty run",
         lits255, bytes{0xFF} + lits255 + bytes{0x00}},
        {"256 literals", ascending(256),
         bytes{0xFF} + lits255 + bytes{0x00, 0x01, 0xFF}},
        {"full window then a run", lits255 + repeat(0xFE, 3),
         bytes{0xFF} + lits255 + bytes{0x03}},
        {"run count is the window's last byte",
         lits254 + repeat(0xFE, 3) + bytes{0x20},
         bytes{0xFE} + lits254 + bytes{0x03, 0x01, 0x20}},
        {"run ends where the literal count would be the window's last byte",
         lits253 + repeat(0xFD, 2) + bytes{0x20},
         bytes{0xFD} + lits253 + bytes{0x02, 0x00, 0x00, 0x01, 0x20}},
        {"full run whose count is the window's last byte",
         lits254 + repeat(0xFE, 257),
         bytes{0xFE} + lits254 + bytes{0xFF, 0x00, 0x02}},
        {"full run that fits its window", bytes{0x10} + repeat(0x41, 257) + bytes{0x42},
         {0x02, 0x10, 0x41, 0xFF, 0x00, 0x01, 0x01, 0x42}},
    };
}

class KnownStreams : public testing::TestWithParam<known_stream> {};

TEST_P(KnownStreams, EncoderWritesTheStreamInAnyChunking) {
    const known_stream &k = GetParam();
    EXPECT_EQ(encode_all(k.input, whole_input()), k.stream);
    EXPECT_EQ(encode_in_lockstep(k.input, fixed_chunks(1)), k.stream);
    EXPECT_EQ(encode_in_lockstep(k.input, fixed_chunks(7)), k.stream);
}

TEST_P(KnownStreams, DecoderGivesTheInputBackInAnyChunking) {
    const known_stream &k = GetParam();
    EXPECT_EQ(decode_all(k.stream, whole_input()), k.input);
    EXPECT_EQ(decode_in_lockstep(k.stream, fixed_chunks(1)), k.input);
    EXPECT_EQ(decode_in_lockstep(k.stream, fixed_chunks(3)), k.input);
}

// Names the instances after their cases, and keeps gtest from dumping the
// whole record as bytes.
std::string case_name(const testing::TestParamInfo<known_stream> &param) {
    std::string name;
    for (char c : param.param.name)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

void PrintTo(const known_stream &k, std::ostream *os) { *os << k.name; }

INSTANTIATE_TEST_SUITE_P(Codec, KnownStreams, testing::ValuesIn(known_streams()),
                         case_name);

struct decoder_case {
    const char *what;
    bytes stream;
    bytes output;
};

TEST(Decoder, ReadsStreamsTheEncoderNeverWrites) {
    const decoder_case cases[] = {
        {"a stream cut after a literal count", {0x05}, {}},
        {"a stream cut inside a literal section", {0x05, 0x61, 0x62}, {0x61, 0x62}},
        {"a run before any literal repeats zero", {0x00, 0x03}, {0, 0, 0}},
        {"empty sections only", {0x00, 0x00, 0x00, 0x00}, {}},
        {"a stream cut after a run count", {0x01, 0x61, 0x02}, {0x61, 0x61, 0x61}},
        {"an empty literal keeps the last byte", {0x01, 0x61, 0x00, 0x00, 0x02},
         {0x61, 0x61, 0x61}},
    };
    for (const decoder_case &c : cases) {
        EXPECT_EQ(decode_all(c.stream, whole_input()), c.output) << c.what;
        EXPECT_EQ(decode_all(c.stream, fixed_chunks(1)), c.output) << c.what;
        EXPECT_EQ(decode_in_blocks(c.stream, whole_input(), [] { return 1000u; }), c.output)
            << c.what;
        EXPECT_EQ(decoded_size(c.stream.data(), c.stream.size()), c.output.size()) << c.what;
    }
}

TEST(Decoder, SizeGoesPast32Bits) {
    // Runs of 255 (empty literal, full run) until the size passes 2^32, then
    // a literal section cut short: the sum's high word must take the carry.
    const uint64_t pairs = (uint64_t{1} << 32) / 255 + 1;
    bytes stream;
    stream.reserve(2 * pairs + 2);
    for (uint64_t i = 0; i < pairs; ++i) {
        stream.push_back(0x00);
        stream.push_back(0xFF);
    }
    stream.push_back(0x05);
    stream.push_back(0x61);
    EXPECT_EQ(decoded_size(stream.data(), stream.size()), pairs * 255 + 1);
}

TEST(Decoder, APositionPastTheChunkReadsNothing) {
    // A state left by a longer chunk, handed a shorter one: both decoders
    // read nothing, write nothing and ask for the next chunk.
    const uint8_t chunk[3] = {0x02, 0x61, 0x62};
    for (const uint32_t in_pos : {3u, 10u, 0xFFFFFFF0u}) {
        codec_state step_state{};
        step_state.count = 2;
        step_state.in_pos = in_pos;
        codec_state block_state = step_state;
        uint8_t out[4] = {0, 0, 0, 0};
        uint32_t step_len = 0, block_len = 0;
        EXPECT_EQ(decode_step(chunk, &step_state, sizeof chunk, out, &step_len), STEP_NEED_INPUT);
        EXPECT_EQ(decode_block(chunk, &block_state, sizeof chunk, out, sizeof out, &block_len),
                  STEP_NEED_INPUT);
        EXPECT_EQ(step_len + block_len, 0u) << in_pos;
        EXPECT_EQ(step_state.in_pos, 0u) << in_pos;
        EXPECT_EQ(block_state.in_pos, 0u) << in_pos;
        EXPECT_EQ(block_state.count, 2u) << in_pos;
        EXPECT_EQ(out[0], 0u) << in_pos;
    }
}

// codec.h's whole-stream idiom, on every known stream and on streams only
// other encoders write (a leading empty literal, trailing empty sections):
// a buffer of exactly decoded_size() bytes is reported full with everything
// written, the next call finds the stream used up, and one byte more of
// room gives STEP_NEED_INPUT at once.
TEST(Decoder, OneCallWithTheWholeStreamGivesTheDocumentedResults) {
    std::vector<bytes> streams = {
        {0x00, 0x03},
        {0x01, 0x41, 0x00, 0x00, 0x00},
        {0x00, 0x00, 0x02, 0x41, 0x42, 0x00},
        encode_all(bytes{1, 2, 3} + repeat(9, 600) + ascending(300), whole_input())};
    for (const known_stream &known : known_streams())
        streams.push_back(known.stream);
    for (const bytes &stream : streams) {
        const auto n = static_cast<uint32_t>(decoded_size(stream.data(), stream.size()));
        if (n == 0)
            continue;
        const bytes expected = read_stream_directly(stream);
        const auto stream_size = static_cast<uint32_t>(stream.size());
        bytes out(n + 1, 0xEE);
        codec_state state{};
        uint32_t len = 0;
        EXPECT_EQ(decode_block(stream.data(), &state, stream_size, out.data(), n, &len),
                  STEP_OUTPUT_READY);
        EXPECT_EQ(len, n);
        EXPECT_EQ(bytes(out.begin(), out.end() - 1), expected);
        EXPECT_EQ(out[n], 0xEE) << "written past the buffer";
        len = 0;
        EXPECT_EQ(decode_block(stream.data(), &state, stream_size, out.data(), n, &len),
                  STEP_NEED_INPUT);
        EXPECT_EQ(len, 0u);

        state = codec_state{};
        len = 0;
        EXPECT_EQ(decode_block(stream.data(), &state, stream_size, out.data(), n + 1, &len),
                  STEP_NEED_INPUT);
        EXPECT_EQ(len, n);
    }
}

TEST(Decoder, BlockWithNoRoomChangesNothing) {
    const uint8_t stream[] = {0x01, 0x41, 0x03};
    codec_state state{};
    uint8_t out = 0x5A;
    uint32_t len = 0;
    EXPECT_EQ(decode_block(stream, &state, 3, &out, 0, &len), 0);
    const codec_state zero{};
    EXPECT_EQ(std::memcmp(&state, &zero, sizeof state), 0);
    EXPECT_EQ(len, 0u);
    EXPECT_EQ(out, 0x5A);
}

TEST(EncodeBound, HoldsForEveryInputShapeUpTo20Bytes) {
    // The stream depends only on which input bytes repeat the byte before
    // them, and inputs of the two bytes 0 and 1 give every such pattern.
    for (uint32_t n = 0; n <= 20; ++n) {
        uint32_t longest = 0;
        bytes input(n);
        for (uint32_t bits = 0; bits < (1u << n); ++bits) {
            for (uint32_t i = 0; i < n; ++i)
                input[i] = static_cast<uint8_t>((bits >> i) & 1);
            codec_state state{};
            uint8_t window[ENCODE_WINDOW_SIZE];
            uint32_t len = 0;
            encode_step(window, &state, input.data(), n, &len);
            longest = std::max(longest, len);
        }
        EXPECT_LE(longest, ENCODE_BOUND(n)) << n << " bytes";
    }
}

TEST(EncodeBound, HoldsForPairsAcrossWindowEnds) {
    // Pairs of equal bytes are the dearest input; a literal prefix of every
    // length shifts them against the window ends.
    for (size_t prefix = 0; prefix <= 300; ++prefix) {
        bytes input = ascending(prefix);
        while (input.size() < prefix + 4000)
            input.insert(input.end(), 2, static_cast<uint8_t>(input.size() / 2 + 1));
        const size_t size = encode_all(input, whole_input()).size();
        ASSERT_LE(size, ENCODE_BOUND(input.size())) << "prefix " << prefix;
        ASSERT_GE(size, input.size() * 3 / 2 - prefix / 2) << "not the dearest input";
    }
    static_assert(ENCODE_BOUND(1000000u) <= 1520016u, "the bound is not tight");
}

TEST(Encoder, EmptyFirstChunkReadsNothingAndLeavesTheStateZeroed) {
    codec_state state{};
    uint8_t window[ENCODE_WINDOW_SIZE];
    std::memset(window, 0xAA, sizeof window);
    uint32_t len = 0;
    EXPECT_EQ(encode_step(window, &state, nullptr, 0, &len), STEP_NEED_INPUT);
    EXPECT_EQ(len, 0u);
    const codec_state zero{};
    EXPECT_EQ(std::memcmp(&state, &zero, sizeof state), 0);
    EXPECT_EQ(window[0], 0xAA);

    // The pass then starts as if that call had not been made.
    const uint8_t abc[] = {0x61, 0x62, 0x63};
    len = 0;
    EXPECT_EQ(encode_step(window, &state, abc, 3, &len), STEP_NEED_INPUT);
    ASSERT_EQ(len, 4u);
    EXPECT_EQ(bytes(window, window + 4), (bytes{0x03, 0x61, 0x62, 0x63}));
}

TEST(Encoder, LaterEmptyChunkReportsTheSameFillAgain) {
    codec_state state{};
    uint8_t window[ENCODE_WINDOW_SIZE];
    const uint8_t aab[] = {0x61, 0x61, 0x62};
    uint32_t len = 0;
    encode_step(window, &state, aab, 3, &len);
    const codec_state before = state;
    uint32_t again = 0;
    EXPECT_EQ(encode_step(window, &state, nullptr, 0, &again), STEP_NEED_INPUT);
    EXPECT_EQ(again, len);
    EXPECT_EQ(std::memcmp(&state, &before, sizeof state), 0);
}

TEST(Codec, StepsAcceptANullAccumulator) {
    codec_state enc{}, dec{};
    uint8_t window[ENCODE_WINDOW_SIZE];
    const uint8_t input[] = {0x61, 0x61};
    EXPECT_EQ(encode_step(window, &enc, input, 2, nullptr), STEP_NEED_INPUT);
    EXPECT_EQ(decode_step(window, &dec, 3, window + 8, nullptr), STEP_OUTPUT_READY);
    EXPECT_EQ(window[8], 0x61);
}

extern "C" int c_caller_round_trip(void);

TEST(Codec, HeaderServesACProgram) { EXPECT_EQ(c_caller_round_trip(), 1); }

} // namespace
