// reader_test.cpp - the reader of embedded files (<mavo/assets.h>) over a
// table made here as the generator makes one: stored entries and streams
// from encode_smallest(), with seek points and without, an empty file, one
// byte, runs over 255, random bytes, and entries whose stream and size do
// not agree. Each file is read whole, in pieces of every size from 1 to
// 300 bytes, and from random offsets, against what its stream holds;
// mavo_find_prefix() is held against a scan of the table.
#include "reference_codec.h"

#include <mavo/assets.h>

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

bytes random_bytes(size_t n, uint32_t start) {
    rng_t rng(start);
    bytes out(n);
    for (uint8_t &b : out)
        b = static_cast<uint8_t>(uniform(rng, 0, 255));
    return out;
}

bytes text_like(size_t n) {
    static const char words[] = "body { margin: 0 auto; color: #333333; }\n    ";
    bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(words[(i * 7 + i / 13) % (sizeof words - 1)]);
    return out;
}

bytes runs() {
    bytes out(1000, 'A');
    out.insert(out.end(), 3, 'B');
    out.insert(out.end(), 600, 0);
    out.insert(out.end(), {'x', 'y', 'z'});
    out.insert(out.end(), 256, 'C');
    out.insert(out.end(), 255, 'D');
    return out;
}

bytes smallest_stream(const bytes &input) {
    bytes stream(ENCODE_BOUND(input.size()));
    bytes scratch(ENCODE_SMALLEST_SCRATCH(input.size()) + 1);
    stream.resize(encode_smallest(input.data(), input.size(), stream.data(), stream.size(),
                                  scratch.data()));
    return stream;
}

enum class kind { stored, stream, indexed };

// One file of the table, as the test describes it.
struct file_case {
    std::string path;
    bytes content;
    kind how;
    uint32_t spacing = 0;     // indexed: the points' spacing
    size_t cut = 0;           // a stream cut to this many bytes (0: whole)
    int64_t size_change = 0;  // the entry's size against the content's
};

std::vector<file_case> file_cases() {
    const bytes text = text_like(3000);
    const bytes noise = random_bytes(4000, 7);
    std::vector<file_case> cases = {
        {"a/one.bin", {0x7F}, kind::stream},
        {"a/one_stored.bin", {0x00}, kind::stored},
        {"css.txt", text_like(900), kind::indexed, 50},
        {"css/print.css", bytes(text.begin(), text.begin() + 700), kind::stored},
        {"css/site.css", text, kind::indexed, 256},
        {"css/sub/deep.css", text, kind::stream},
        {"cssx/a", {'h', 'i'}, kind::stream},
        {"empty", {}, kind::stream},
        {"empty_stored", {}, kind::stored},
        {"img/noise.bin", noise, kind::stored},
        {"img/noise_stream.bin", noise, kind::indexed, 100},
        {"runs.bin", runs(), kind::indexed, 1},
        {"runs_plain.bin", runs(), kind::stream},
        {"runs_wide.bin", runs(), kind::indexed, 100000},
        // Entries whose parts do not agree. A stream cut short, its points
        // made for the whole stream (the later ones lie past its end):
        {"short/cut_half.bin", text, kind::indexed, 64, smallest_stream(text).size() / 2},
        {"short/cut_last.bin", runs(), kind::stream, 0, smallest_stream(runs()).size() - 1},
        // a stream that holds more than the size says,
        {"short/long.bin", noise, kind::stream, 0, 0, -100},
        // a stored entry whose size is larger than its bytes.
        {"short/stored_over.bin", bytes(text.begin(), text.begin() + 100), kind::stored, 0, 0, 900},
        {"\xC3\xA9t\xC3\xA9.txt", text_like(40), kind::stream},
    };
    std::sort(cases.begin(), cases.end(), [](const file_case &a, const file_case &b) {
        return std::strcmp(a.path.c_str(), b.path.c_str()) < 0;
    });
    return cases;
}

// The table and everything its entries point to. Each stream and stored
// file is a heap block of exactly its size, so that AddressSanitizer sees
// any read past its end.
struct test_table {
    std::vector<file_case> cases;
    std::vector<std::unique_ptr<uint8_t[]>> blocks;
    std::vector<std::vector<codec_seek_point>> points;
    std::vector<mavo_asset> entries;
    std::vector<bytes> expected; // what reading each entry gives

    test_table() : cases(file_cases()) {
        for (const file_case &c : cases) {
            bytes data = c.how == kind::stored ? c.content : smallest_stream(c.content);
            std::vector<codec_seek_point> index;
            const uint32_t whole = static_cast<uint32_t>(data.size());
            if (c.how == kind::indexed) {
                index.resize(index_stream(data.data(), whole, c.spacing, nullptr, 0));
                index_stream(data.data(), whole, c.spacing, index.data(),
                             static_cast<uint32_t>(index.size()));
            }
            if (c.cut != 0)
                data.resize(c.cut);
            blocks.emplace_back(new uint8_t[std::max<size_t>(data.size(), 1)]);
            std::copy(data.begin(), data.end(), blocks.back().get());
            points.push_back(index);

            mavo_asset e{};
            e.path = c.path.c_str();
            e.stream = blocks.back().get();
            e.stream_size = static_cast<uint32_t>(data.size());
            e.size = static_cast<uint64_t>(static_cast<int64_t>(c.content.size()) + c.size_change);
            e.seek = points.back().empty() ? nullptr : points.back().data();
            e.seek_points = static_cast<uint32_t>(points.back().size());
            e.seek_spacing = c.how == kind::indexed ? c.spacing : 0;
            e.stored = c.how == kind::stored ? 1 : 0;
            entries.push_back(e);

            // A stored file is its bytes; a stream gives what it holds, up
            // to the size.
            bytes held = c.how == kind::stored ? data : read_stream_directly(data);
            if (c.how != kind::stored && held.size() > e.size)
                held.resize(static_cast<size_t>(e.size));
            expected.push_back(held);
        }
    }
};

const test_table &table() {
    static const test_table t;
    return t;
}

// What the reader promises, step by step: reads stop at the size; a read
// that the stream cannot fill ends the file where it stopped.
struct reading_model {
    const bytes &held;
    uint32_t size;
    uint32_t pos = 0;

    uint32_t read(uint32_t len) {
        const uint32_t cap = std::min(len, size - pos);
        const uint32_t there = pos < held.size() ? static_cast<uint32_t>(held.size()) - pos : 0;
        const uint32_t got = std::min(cap, there);
        if (got < cap)
            size = pos + got;
        pos += got;
        return got;
    }
    int seek(uint32_t offset) {
        if (offset > size)
            return -1;
        pos = offset;
        return 0;
    }
};

uint32_t size_of(const mavo_asset &e) {
    return e.stored ? e.stream_size : static_cast<uint32_t>(e.size);
}

// Reads `len` bytes into a buffer with a guard after it, checking the
// guard; appends what was read to `out`.
uint32_t read_guarded(mavo_file &f, uint32_t len, bytes &out) {
    bytes buffer(len + 16, 0xA5);
    const uint32_t n = mavo_read(&f, buffer.data(), len);
    EXPECT_LE(n, len);
    for (size_t i = len; i < buffer.size(); ++i)
        if (buffer[i] != 0xA5) {
            ADD_FAILURE() << "a read of " << len << " bytes wrote byte " << i;
            break;
        }
    out.insert(out.end(), buffer.begin(), buffer.begin() + std::min(n, len));
    return n;
}

TEST(Reader, ReadsEveryFileWhole) {
    const test_table &t = table();
    for (size_t i = 0; i < t.entries.size(); ++i) {
        SCOPED_TRACE(t.cases[i].path);
        mavo_file f;
        std::memset(&f, 0xEE, sizeof f); // its earlier contents must not matter
        mavo_open(&f, &t.entries[i]);
        EXPECT_EQ(mavo_tell(&f), 0u);
        bytes out;
        const uint32_t n = read_guarded(f, size_of(t.entries[i]) + 300, out);
        EXPECT_EQ(n, t.expected[i].size());
        EXPECT_EQ(out, t.expected[i]);
        EXPECT_EQ(mavo_tell(&f), n);
        for (int again = 0; again < 3; ++again) {
            EXPECT_EQ(read_guarded(f, 256, out), 0u) << "a read at the end";
            EXPECT_EQ(mavo_tell(&f), n);
        }
    }
}

TEST(Reader, ReadsInPiecesOfEverySize) {
    const test_table &t = table();
    for (size_t i = 0; i < t.entries.size(); ++i) {
        SCOPED_TRACE(t.cases[i].path);
        const bytes &want = t.expected[i];
        for (uint32_t piece = 1; piece <= 300; ++piece) {
            mavo_file f;
            mavo_open(&f, &t.entries[i]);
            bytes out;
            // One read per piece, then the one that returns 0.
            for (size_t calls = 0; calls <= want.size() / piece + 1; ++calls) {
                const size_t before = out.size();
                const uint32_t n = read_guarded(f, piece, out);
                ASSERT_EQ(n, std::min<size_t>(piece, want.size() - before))
                    << "pieces of " << piece << ": fewer bytes before the end";
                ASSERT_EQ(mavo_tell(&f), out.size());
                if (n == 0)
                    break;
            }
            ASSERT_EQ(out, want) << "pieces of " << piece;
        }
    }
}

TEST(Reader, SeeksToAnyOffsetAndReadsOn) {
    const test_table &t = table();
    rng_t rng(99);
    for (size_t i = 0; i < t.entries.size(); ++i) {
        SCOPED_TRACE(t.cases[i].path);
        const uint32_t size = size_of(t.entries[i]);
        reading_model model{t.expected[i], size};
        mavo_file f;
        mavo_open(&f, &t.entries[i]);
        std::vector<uint32_t> offsets = {0, size, size + 1, UINT32_MAX, size / 2, 0};
        while (offsets.size() < 106)
            offsets.push_back(uniform(rng, 0, size + 2));
        for (const uint32_t offset : offsets) {
            SCOPED_TRACE("offset " + std::to_string(offset));
            const uint32_t before = mavo_tell(&f);
            const int sought = mavo_seek(&f, offset);
            ASSERT_EQ(sought, model.seek(offset));
            ASSERT_EQ(mavo_tell(&f), sought == 0 ? offset : before)
                << "a failed seek must leave the position";
            const uint32_t len = uniform(rng, 1, 600);
            const uint32_t at = model.pos;
            bytes out;
            ASSERT_EQ(read_guarded(f, len, out), model.read(len));
            ASSERT_TRUE(std::equal(out.begin(), out.end(), t.expected[i].begin() + at));
            ASSERT_EQ(mavo_tell(&f), model.pos);
        }
    }
}

TEST(Reader, BytesInPlaceOnlyForStoredFiles) {
    const test_table &t = table();
    for (size_t i = 0; i < t.entries.size(); ++i) {
        SCOPED_TRACE(t.cases[i].path);
        const mavo_asset &e = t.entries[i];
        EXPECT_EQ(mavo_bytes(&e), e.stored ? e.stream : nullptr);
    }
}

// The entries that begin with `prefix`, by a look at every one.
std::vector<std::string> scan(const std::vector<mavo_asset> &entries, const std::string &prefix) {
    std::vector<std::string> found;
    for (const mavo_asset &e : entries)
        if (std::strncmp(e.path, prefix.c_str(), prefix.size()) == 0)
            found.push_back(e.path);
    return found;
}

std::vector<std::string> found_by_prefix(const std::vector<mavo_asset> &entries,
                                         const char *prefix) {
    uint32_t count = 12345;
    const mavo_asset *first =
        mavo_find_prefix(entries.data(), static_cast<uint32_t>(entries.size()), prefix, &count);
    EXPECT_EQ(mavo_find_prefix(entries.data(), static_cast<uint32_t>(entries.size()), prefix,
                               nullptr),
              first)
        << "without a count";
    std::vector<std::string> found;
    if (first == nullptr) {
        EXPECT_EQ(count, 0u);
        return found;
    }
    EXPECT_GT(count, 0u);
    EXPECT_GE(first, entries.data());
    EXPECT_LE(first + count, entries.data() + entries.size());
    for (uint32_t k = 0; k < count; ++k)
        found.push_back(first[k].path);
    return found;
}

TEST(Reader, FindsThePathsThatBeginWithAPrefix) {
    const std::vector<mavo_asset> &entries = table().entries;
    struct prefix_case {
        const char *prefix;
        std::vector<std::string> paths;
    };
    const std::vector<prefix_case> cases = {
        {"css/", {"css/print.css", "css/site.css", "css/sub/deep.css"}},
        {"css", {"css.txt", "css/print.css", "css/site.css", "css/sub/deep.css", "cssx/a"}},
        {"css/site.css", {"css/site.css"}},
        {"css/site.css/", {}},
        {"css/s", {"css/site.css", "css/sub/deep.css"}},
        {"a/", {"a/one.bin", "a/one_stored.bin"}},
        {"empty", {"empty", "empty_stored"}},
        {"nope/", {}},
        {"0", {}},       // before every path
        {"\xFF", {}},    // after every path
        {"\xC3\xA9", {"\xC3\xA9t\xC3\xA9.txt"}}, // bytes above 0x7F, the last path
    };
    for (const prefix_case &c : cases) {
        SCOPED_TRACE(std::string("prefix '") + c.prefix + "'");
        EXPECT_EQ(found_by_prefix(entries, c.prefix), c.paths);
    }
    EXPECT_EQ(found_by_prefix(entries, "").size(), entries.size());
    EXPECT_EQ(found_by_prefix(entries, "")[0], entries[0].path);

    uint32_t count = 7;
    EXPECT_EQ(mavo_find_prefix(entries.data(), static_cast<uint32_t>(entries.size()), nullptr,
                               &count),
              nullptr);
    EXPECT_EQ(count, 0u);
    count = 7;
    EXPECT_EQ(mavo_find_prefix(nullptr, 0, "", &count), nullptr);
    EXPECT_EQ(count, 0u);
}

// Every prefix of every path, and a byte past each, in tables of every size
// up to 64 drawn from a few bytes that sort around '/', against the scan.
TEST(Reader, FindPrefixAgreesWithAScan) {
    rng_t rng(5);
    static const char alphabet[] = {'.', '/', '0', 'a', 'b', '\x7F', '\xC3'};
    for (uint32_t n = 0; n <= 64; ++n) {
        std::vector<std::string> paths;
        while (paths.size() < n) {
            std::string path(uniform(rng, 1, 6), ' ');
            for (char &ch : path)
                ch = alphabet[uniform(rng, 0, sizeof alphabet - 1)];
            if (std::find(paths.begin(), paths.end(), path) == paths.end())
                paths.push_back(path);
        }
        std::sort(paths.begin(), paths.end(), [](const std::string &a, const std::string &b) {
            return std::strcmp(a.c_str(), b.c_str()) < 0;
        });
        std::vector<mavo_asset> entries(n);
        for (uint32_t k = 0; k < n; ++k)
            entries[k].path = paths[k].c_str();
        std::vector<std::string> prefixes = {""};
        for (const std::string &path : paths)
            for (size_t len = 1; len <= path.size(); ++len) {
                prefixes.push_back(path.substr(0, len));
                prefixes.push_back(path.substr(0, len - 1) + static_cast<char>(path[len - 1] + 1));
            }
        for (const std::string &prefix : prefixes) {
            SCOPED_TRACE("table of " + std::to_string(n) + ", prefix '" + prefix + "'");
            ASSERT_EQ(found_by_prefix(entries, prefix.c_str()), scan(entries, prefix));
        }
    }
}

extern "C" int c_caller_reader(void);

TEST(Reader, HeaderServesACProgram) { EXPECT_EQ(c_caller_reader(), 1); }

} // namespace
