// dump_format_test.cpp - the array dump's text: kilobyte figures and line
// ends wherever the stream is split into chunks.
#include "dump_format.h"
#include "messages.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

std::string kilobytes(uint64_t n) {
    char text[kilobytes_text_capacity];
    return std::string(text, format_kilobytes_one_decimal(n, text));
}

TEST(DumpFormat, KilobytesRoundHalvesToEvenAndNeverOverflow) {
    const struct {
        uint64_t bytes;
        const char *text;
    } cases[] = {
        {0, "0.0"},       {51, "0.0"},       {52, "0.1"},
        {256, "0.2"},     {768, "0.8"},      {1280, "1.2"},
        {517, "0.5"},     {1023, "1.0"},     {1024, "1.0"},
        {5ull << 30, "5242880.0"},
        {UINT64_MAX, "18014398509481984.0"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(kilobytes(c.bytes), c.text) << c.bytes << " bytes";
}

TEST(DumpFormat, KilobytesMatchPrintfWhereADoubleIsExact) {
    std::mt19937_64 rng(3);
    for (int i = 0; i < 200000; ++i) {
        const uint64_t n = i < 100000 ? static_cast<uint64_t>(i) : rng() >> 12;
        char expected[32];
        std::snprintf(expected, sizeof expected, "%.1f", static_cast<double>(n) / 1024.0);
        ASSERT_EQ(kilobytes(n), expected) << n << " bytes";
    }
}

TEST(DumpFormat, HeaderStatesTheStreamSize) {
    char text[dump_header_capacity];
    EXPECT_EQ(std::string(text, format_dump_header(259, text)), "/* 259byte(0.3KB) */\n");
    EXPECT_EQ(std::string(text, format_dump_header(5ull << 30, text)),
              "/* 5368709120byte(5242880.0KB) */\n");
}

TEST(DumpFormat, LineEndsFollowEverySixteenthEntryHoweverTheStreamIsSplit) {
    std::mt19937 rng(5);
    std::vector<uint8_t> stream(1000);
    for (uint8_t &b : stream)
        b = static_cast<uint8_t>(rng());

    std::string whole;
    for (size_t i = 0; i < stream.size(); ++i) {
        char entry[8];
        std::snprintf(entry, sizeof entry, "0x%02x,", stream[i]);
        whole += entry;
        if (i % 16 == 15)
            whole += '\n';
    }

    for (int round = 0; round < 100; ++round) {
        std::string text;
        size_t pos = 0;
        while (pos < stream.size()) {
            const size_t n = std::min<size_t>(rng() % 40, stream.size() - pos);
            std::vector<char> out(dump_text_capacity(n));
            text.append(out.data(), format_dump_entries(stream.data() + pos, n, pos, out.data()));
            pos += n;
        }
        ASSERT_EQ(text, whole) << "round " << round;
    }
}

} // namespace
