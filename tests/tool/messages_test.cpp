// messages_test.cpp - every console message, byte for byte, against the
// Japanese text converted to Shift_JIS by iconv (not by the table itself).
#include "messages.h"
#include "tool_harness.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <string>

namespace {

TEST(Messages, AreTheTextsInShiftJis) {
    const struct {
        const char *message;
        const char *text;
    } cases[] = {
        {msg::usage, "mavo.exe ファイル名[Enter]\n"},
        {msg::compressing, "圧縮中: "},
        {msg::dumping, "CSV化: "},
        {msg::decompressing, "解凍中: "},
        {msg::done, "完了\n"},
        {msg::done_size, "完了 %llubyte(%lluKB)\n"},
        {msg::input_open_failed, "入力ファイルが開けません\n"},
        {msg::input_read_failed, "入力ファイルが読めません\n"},
        {msg::compressed_open_failed, "圧縮ファイルが開けません\n"},
        {msg::compressed_read_failed, "圧縮ファイルが読めません\n"},
        {msg::file_open_failed, "%s 開けませんでした\n"},
        {msg::file_write_failed, "%s 書き込めませんでした\n"},
    };
    for (const auto &c : cases) {
        std::string expected = shift_jis(c.text);
        if (std::string(c.text).find("%llu") != std::string::npos) {
            // The sizes are 64-bit: the format's conversions are the
            // platform's spelling of an unsigned 64-bit number.
            const std::string u64 = "%" PRIu64;
            for (size_t at; (at = expected.find("%llu")) != std::string::npos;)
                expected.replace(at, 4, u64);
        }
        EXPECT_EQ(c.message, expected) << c.text;
    }
}

} // namespace
