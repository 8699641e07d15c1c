// smallest_test.cpp - encode_smallest() held against two slow references: a
// search through every stream of tiny inputs, and the section-by-section
// recurrence written out plainly, every section length tried, for inputs
// up to a few thousand bytes. Its streams decode back, are never longer
// than encode_step()'s, and a buffer short of room gets nothing.
#include "reference_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

using rng_t = std::mt19937;

// encode_smallest() with ENCODE_BOUND's room; the stream.
bytes smallest(const bytes &input) {
    bytes scratch(ENCODE_SMALLEST_SCRATCH(input.size()));
    bytes stream(ENCODE_BOUND(input.size()));
    stream.resize(encode_smallest(input.data(), input.size(), stream.data(), stream.size(),
                                  scratch.data()));
    return stream;
}

// The whole stream through decode_block() in one call, as the header says.
bytes decode_at_once(const bytes &stream) {
    bytes out(decoded_size(stream.data(), stream.size()) + 1);
    codec_state state{};
    uint32_t len = 0;
    const int result = decode_block(stream.data(), &state, static_cast<uint32_t>(stream.size()),
                                    out.data(), static_cast<uint32_t>(out.size()), &len);
    EXPECT_EQ(result, STEP_NEED_INPUT);
    out.resize(len);
    return out;
}

// Tries every stream that decodes to input[pos..], section by section, the
// decoder's last byte carried along, and keeps the fewest bytes in `best`.
// A prefix no shorter than the best so far is given up, so the search ends.
// (A literal section cut short by the stream's end costs what a whole one
// of its present bytes costs, so it needs no trying of its own.)
void search(const bytes &in, size_t pos, bool literal, uint8_t last, size_t used, size_t &best) {
    if (used >= best)
        return;
    if (pos == in.size()) {
        best = used;
        return;
    }
    if (literal) {
        for (size_t l = 0; l <= std::min<size_t>(255, in.size() - pos); ++l)
            search(in, pos + l, false, l > 0 ? in[pos + l - 1] : last, used + 1 + l, best);
    } else {
        for (size_t r = 0; r <= 255 && pos + r <= in.size() && (r == 0 || in[pos + r - 1] == last);
             ++r)
            search(in, pos + r, true, last, used + 1, best);
    }
}

size_t fewest_bytes_by_search(const bytes &in) {
    // One literal section of the whole input, and one byte more: room
    // enough for the search to find anything at least as short.
    size_t best = in.size() + 2;
    search(in, 0, true, 0, 0, best);
    return best;
}

bytes hex(const std::string &text) {
    bytes out;
    for (size_t i = 0; i + 1 < text.size(); i += 3)
        out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
    return out;
}

// Each byte different from the one before, none of them 0 at the start.
bytes fresh(size_t n) {
    bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(i % 255 + 1);
    return out;
}

// Streams whose shortest form is the only one of its length.
TEST(Smallest, KnownStreams) {
    struct known {
        const char *what;
        bytes input;
        bytes stream;
    };
    bytes fresh_after_count = fresh(255);
    fresh_after_count.insert(fresh_after_count.begin(), 0xFF);
    const known cases[] = {
        {"one byte", hex("41"), hex("01 41")},
        {"a run after its literal", hex("41 41 41 41"), hex("01 41 03")},
        {"zeros open with an empty literal section", bytes(3, 0), hex("00 03")},
        {"a zero then others", hex("00 41"), hex("02 00 41")},
        {"257 copies: two literals save the split", bytes(257, 0x41), hex("02 41 41 FF")},
        {"255 fresh bytes need no empty run after them", fresh(255), fresh_after_count},
    };
    for (const auto &c : cases)
        EXPECT_EQ(smallest(c.input), c.stream) << c.what;
}

TEST(Smallest, EmptyInputGivesNothingAndNeedsNoScratch) {
    static_assert(ENCODE_SMALLEST_SCRATCH(0) == 0, "no scratch for no input");
    uint8_t dst[4] = {7, 7, 7, 7};
    EXPECT_EQ(encode_smallest(nullptr, 0, nullptr, 0, nullptr), 0u);
    EXPECT_EQ(encode_smallest(nullptr, 0, dst, sizeof dst, nullptr), 0u);
    EXPECT_EQ(dst[0], 7);
}

// Every input of up to 9 bytes over 0, 1 and 2 (and up to 12 over 0 and
// 0xFF): exactly as short as the search finds, and decodes back.
TEST(Smallest, EveryTinyInputAsShortAsAnyStream) {
    const struct {
        std::vector<uint8_t> letters;
        size_t longest;
    } alphabets[] = {{{0, 1, 2}, 9}, {{0, 0xFF}, 12}};
    for (const auto &a : alphabets) {
        const size_t k = a.letters.size();
        for (size_t n = 0; n <= a.longest; ++n) {
            bytes input(n);
            size_t total = 1;
            for (size_t i = 0; i < n; ++i)
                total *= k;
            for (size_t code = 0; code < total; ++code) {
                for (size_t i = 0, c = code; i < n; ++i, c /= k)
                    input[i] = a.letters[c % k];
                const bytes stream = smallest(input);
                ASSERT_EQ(stream.size(), fewest_bytes_by_search(input))
                    << "length " << n << ", input " << code;
                ASSERT_EQ(decode_at_once(stream), input) << "length " << n << ", input " << code;
            }
        }
    }
}

// Input shapes that meet the section limits and the plan's shortcuts.
bytes random_bytes(rng_t &rng, size_t n) {
    bytes out(n);
    for (uint8_t &b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

bytes pairs(rng_t &rng, size_t n) {
    bytes out(n);
    const uint8_t start = static_cast<uint8_t>(rng());
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(start + i / 2);
    return out;
}

bytes zeros(rng_t &, size_t n) { return bytes(n, 0); }

// Runs of 1 to 700: past one and two full run sections.
bytes long_runs(rng_t &rng, size_t n) {
    bytes out;
    while (out.size() < n)
        out.insert(out.end(), rng() % 700 + 1, static_cast<uint8_t>(rng() % 4));
    out.resize(n);
    return out;
}

// Fresh stretches and runs of lengths near 255 and 510, and short ones.
bytes near_limits(rng_t &rng, size_t n) {
    static const size_t lengths[] = {1, 2, 3, 4, 253, 254, 255, 256, 257, 509, 510, 511, 512};
    bytes out;
    while (out.size() < n) {
        const size_t len = lengths[rng() % std::size(lengths)];
        if (rng() % 2) {
            const bytes stretch = fresh(len);
            out.insert(out.end(), stretch.begin(), stretch.end());
        } else {
            out.insert(out.end(), len, static_cast<uint8_t>(rng()));
        }
    }
    out.resize(n);
    return out;
}

// Fresh bytes with a short repeat now and then: where the breaks between
// literal sections go is the whole question.
bytes sparse_repeats(rng_t &rng, size_t n) {
    bytes out = fresh(n);
    for (size_t i = 1; i < n; ++i)
        if (rng() % 90 == 0)
            for (size_t k = rng() % 4; k > 0 && i < n; --k, ++i)
                out[i] = out[i - 1];
    return out;
}

// Zeros first (a stream that may begin 00 R), then anything.
bytes zeros_then_random(rng_t &rng, size_t n) {
    bytes out = random_bytes(rng, n);
    const size_t leading = std::min<size_t>(n, rng() % 600);
    std::fill(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(leading), 0);
    return out;
}

TEST(Smallest, ShapesAndLengthsAgainstTheRecurrence) {
    const struct {
        const char *name;
        bytes (*make)(rng_t &, size_t);
    } shapes[] = {{"random", random_bytes},         {"pairs", pairs},
                  {"zeros", zeros},                 {"long runs", long_runs},
                  {"near limits", near_limits},     {"sparse repeats", sparse_repeats},
                  {"zeros then random", zeros_then_random}};
    const size_t lengths[] = {0,   1,   2,   3,   254, 255,  256,  257,  510,
                              511, 512, 513, 514, 765, 766, 1021, 3000, 70000};
    const size_t recurrence_up_to = 5000;
    rng_t rng(20261209);
    for (const auto &shape : shapes) {
        for (size_t n : lengths) {
            for (int round = 0; round < 3; ++round) {
                const bytes input = shape.make(rng, n);
                const bytes stream = smallest(input);
                const std::string where =
                    std::string(shape.name) + ", length " + std::to_string(n) + ", round " +
                    std::to_string(round);
                ASSERT_EQ(decode_at_once(stream), input) << where;
                ASSERT_LE(stream.size(), encode_all(input, whole_input()).size()) << where;
                if (n <= recurrence_up_to) {
                    ASSERT_EQ(stream.size(), fewest_stream_bytes(input)) << where;
                }
            }
        }
    }
}

// Too little room: 0 and not one byte written; exactly enough: the stream.
TEST(Smallest, TooLittleRoomWritesNothing) {
    rng_t rng(5);
    const bytes inputs[] = {hex("41"), bytes(5, 0), bytes(600, 0x41), fresh(300),
                            long_runs(rng, 2000), random_bytes(rng, 1000)};
    const uint8_t guard = 0xA5;
    for (const bytes &input : inputs) {
        const bytes stream = smallest(input);
        bytes scratch(ENCODE_SMALLEST_SCRATCH(input.size()));
        for (size_t cap = 0; cap <= stream.size(); ++cap) {
            bytes dst(stream.size() + 8, guard);
            const size_t got =
                encode_smallest(input.data(), input.size(), dst.data(), cap, scratch.data());
            if (cap < stream.size()) {
                ASSERT_EQ(got, 0u) << "room " << cap << " of " << stream.size();
                ASSERT_EQ(dst, bytes(dst.size(), guard)) << "room " << cap;
            } else {
                ASSERT_EQ(got, stream.size());
                ASSERT_TRUE(std::equal(stream.begin(), stream.end(), dst.begin()));
                ASSERT_TRUE(std::all_of(dst.begin() + static_cast<std::ptrdiff_t>(cap), dst.end(),
                                        [&](uint8_t b) { return b == guard; }));
            }
        }
    }
}

} // namespace
