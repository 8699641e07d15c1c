// tool_test.cpp - end-to-end runs of the mavo executable: console text,
// exit status and the three files, for successful runs and every failure.
#include "reference_codec.h"
#include "tool_harness.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <random>

namespace {

// An input whose stream has exactly `size` bytes: ascending bytes, with a
// repeat at the end when that is what it takes to hit the size.
bytes input_with_stream_size(size_t size) {
    for (size_t n = 0; n <= size; ++n) {
        bytes input = ascending(n);
        if (encode_all(input, whole_input()).size() == size)
            return input;
        input.push_back(input.empty() ? 0 : input.back());
        if (encode_all(input, whole_input()).size() == size)
            return input;
    }
    throw std::runtime_error("no input found for that stream size");
}

std::string as_text(const bytes &b) { return std::string(b.begin(), b.end()); }

struct success_case {
    std::string name;
    std::function<bytes()> make_input;
    size_t stream_size;
    std::string dump; // the whole .csv, or empty to build it from the stream
};

void PrintTo(const success_case &c, std::ostream *os) { *os << c.name; }

std::vector<success_case> success_cases() {
    const std::string eol = line_end();
    return {
        {"empty", [] { return bytes{}; }, 0, "/* 0byte(0.0KB) */" + eol},
        {"three_byte_stream", [] { return bytes(4, 0x41); }, 3,
         "/* 3byte(0.0KB) */" + eol + "0x01,0x41,0x03,"},
        {"each_byte_value_ascending", [] { return ascending(256); }, 259, ""},
        {"sixteen_byte_stream_ends_its_line", [] { return ascending(15); }, 16,
         "/* 16byte(0.0KB) */" + eol +
             "0x0f,0x00,0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0a,"
             "0x0b,0x0c,0x0d,0x0e," +
             eol},
        {"seventeen_byte_stream", [] { return ascending(16); }, 17,
         "/* 17byte(0.0KB) */" + eol +
             "0x10,0x00,0x01,0x02,0x03,0x04,0x05,0x06,0x07,0x08,0x09,0x0a,"
             "0x0b,0x0c,0x0d,0x0e," +
             eol + "0x0f,"},
        {"half_kilobyte_stream", [] { return input_with_stream_size(517); }, 517, ""},
        {"one_kilobyte_stream", [] { return input_with_stream_size(1024); }, 1024, ""},
        {"larger_mixed_input", [] { return mixed_input(3 << 20); }, 0, ""},
    };
}

class SuccessfulRun : public testing::TestWithParam<success_case> {};

TEST_P(SuccessfulRun, WritesTheThreeFilesAndReportsTheirSizes) {
    const success_case &c = GetParam();
    scratch_dir dir;
    const bytes input = c.make_input();
    write_file(dir / "in.bin", input);
    const bytes stream = encode_all(input, whole_input());
    if (c.stream_size != 0 || input.empty()) {
        ASSERT_EQ(stream.size(), c.stream_size) << "the case's input is off";
    }

    const run_result run = run_tool(dir, {"in.bin"});

    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.console,
              compress_line(stream.size()) + dump_line() + verify_line(input.size()));
    EXPECT_TRUE(read_file(dir / "in.bin.enc") == stream);
    const std::string dump = as_text(read_file(dir / "in.bin.csv"));
    EXPECT_EQ(dump, c.dump.empty() ? expected_dump(stream) : c.dump);
    EXPECT_TRUE(read_file(dir / "in.bin.dec") == input);
    EXPECT_TRUE(read_file(dir / "in.bin") == input) << "the input was modified";
}

INSTANTIATE_TEST_SUITE_P(Tool, SuccessfulRun, testing::ValuesIn(success_cases()),
                         [](const testing::TestParamInfo<success_case> &param) {
                             return param.param.name;
                         });

TEST(Tool, IgnoresArgumentsAfterTheFirst) {
    scratch_dir dir;
    write_file(dir / "in.bin", {1, 2, 2});
    const run_result run = run_tool(dir, {"in.bin", "extra", "in.bin"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.console, compress_line(4) + dump_line() + verify_line(3));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.bin", "in.bin.csv",
                                                     "in.bin.dec", "in.bin.enc"}));
}

TEST(Tool, NamesOutputsAfterTheWholeArgumentHoweverLong) {
    scratch_dir dir;
    // Three directories of 100 characters: the path is over 300 long.
    std::string path;
    for (char c : {'a', 'b', 'c'}) {
        path += std::string(100, c) + "/";
        std::filesystem::create_directory(dir / path);
    }
    path += "in.bin";
    write_file(dir / path, {7, 7, 7, 8});
    const run_result run = run_tool(dir, {path});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.console, compress_line(5) + dump_line() + verify_line(4));
    EXPECT_TRUE(read_file(dir / (path + ".enc")) == (bytes{1, 7, 2, 1, 8}));
    EXPECT_TRUE(exists(dir / (path + ".csv")));
    EXPECT_TRUE(read_file(dir / (path + ".dec")) == (bytes{7, 7, 7, 8}));
}

// Temporary files are never longer than the outputs, so an input whose
// outputs' names just fit (251 + 4 = 255 bytes) works.
TEST(Tool, TakesInputsWhoseOutputsJustFitAFileName) {
    for (const size_t length : {size_t{240}, size_t{251}}) {
        scratch_dir dir;
        const std::string name = std::string(length - 4, 'n') + ".bin";
        write_file(dir / name, {5, 5, 6});
        const run_result run = run_tool(dir, {name});
        EXPECT_EQ(run.exit_status, 0) << length;
        EXPECT_TRUE(read_file(dir / (name + ".dec")) == (bytes{5, 5, 6})) << length;
        EXPECT_EQ(dir.names().size(), 4u) << "no temporary file is left";
    }
}

// Names outside the ANSI code pages: the Windows build opens them through
// the system's wide-character calls.
TEST(Tool, OpensNamesOutsideTheAnsiCodePage) {
    for (const std::string name : {"donn\u00e9es_\u00fc_\ud55c\uae00.bin", "\u65e5\u672c\u8a9e.bin"}) {
        SCOPED_TRACE(name);
        scratch_dir dir;
        write_file(dir / name, {7, 7, 7, 8});
        const run_result run = run_tool(dir, {name});
        EXPECT_EQ(run.exit_status, 0);
        EXPECT_EQ(run.console, compress_line(5) + dump_line() + verify_line(4));
        EXPECT_TRUE(read_file(dir / (name + ".enc")) == (bytes{1, 7, 2, 1, 8}));
        EXPECT_TRUE(exists(dir / (name + ".csv")));
        EXPECT_TRUE(read_file(dir / (name + ".dec")) == (bytes{7, 7, 7, 8}));
    }
}

// In a message a name is shown in code page 932 on Windows, so that the
// whole line stays Shift_JIS; elsewhere as the bytes it is.
TEST(Tool, ShowsNamesInTheConsolesCodePage) {
    const std::string name = "\u65e5\u672c\u8a9e.bin";
    scratch_dir dir;
    write_file(dir / name, {1});
    std::filesystem::create_directory(dir / (name + ".enc"));
    const run_result run = run_tool(dir, {name});
    const std::string shown = testing_windows_build() ? shift_jis(name + ".enc") : name + ".enc";
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.console, shift_jis("圧縮中: ") + cannot_open(shown));
}

// A failing run: what is set up first, the console text, and which files
// are there afterwards. The input, when there is one, is "in.bin".
struct failure_case {
    std::string name;
    std::vector<std::string> args;
    std::function<void(const scratch_dir &)> setup;
    std::string shell_setup;
    std::function<std::string()> console;
    std::vector<std::string> files_after;
    bool linux_only = false;
};

void PrintTo(const failure_case &c, std::ostream *os) { *os << c.name; }

bytes random_bytes(size_t n) {
    std::mt19937 rng(9);
    bytes out(n);
    for (uint8_t &b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

// The input, and a link to it under another name: symbolic, or a hard link.
enum class link_kind { symbolic, hard };

std::function<void(const scratch_dir &)> input_and_link(std::string link_name, link_kind kind) {
    return [link_name, kind](const scratch_dir &dir) {
        write_file(dir / "in.bin", {1, 2, 2, 3});
        if (kind == link_kind::symbolic)
            std::filesystem::create_symlink("in.bin", dir / link_name);
        else
            std::filesystem::create_hard_link(dir / "in.bin", dir / link_name);
    };
}

std::function<void(const scratch_dir &)> input_and_dir(bytes input, std::string dir_name) {
    return [input, dir_name](const scratch_dir &dir) {
        write_file(dir / "in.bin", input);
        if (!dir_name.empty())
            std::filesystem::create_directory(dir / dir_name);
    };
}

std::vector<failure_case> failure_cases() {
    const bytes small = {1, 2, 2, 3};
    // No file may grow past 64 KiB (the POSIX shell counts 512-byte blocks).
    const std::string limit = "ulimit -f 128";
    return {
        {"no_argument", {}, [](const scratch_dir &) {}, "",
         [] { return shift_jis("mavo.exe ファイル名[Enter]") + line_end(); }, {}},
        {"missing_input", {"in.bin"}, [](const scratch_dir &) {}, "",
         [] { return shift_jis("圧縮中: 入力ファイルが開けません") + line_end(); }, {}},
        {"directory_as_input", {"in.bin"},
         [](const scratch_dir &dir) { std::filesystem::create_directory(dir / "in.bin"); },
         "",
         [] {
             return shift_jis(testing_windows_build() ? "圧縮中: 入力ファイルが開けません"
                                                      : "圧縮中: 入力ファイルが読めません") +
                    line_end();
         },
         {"in.bin"}},
        {"directory_as_input_keeps_an_existing_enc", {"in.bin"},
         [](const scratch_dir &dir) {
             std::filesystem::create_directory(dir / "in.bin");
             write_file(dir / "in.bin.enc", {'o', 'l', 'd'});
         },
         "",
         [] {
             return shift_jis(testing_windows_build() ? "圧縮中: 入力ファイルが開けません"
                                                      : "圧縮中: 入力ファイルが読めません") +
                    line_end();
         },
         {"in.bin", "in.bin.enc"}},
        {"enc_cannot_be_created", {"in.bin"}, input_and_dir(small, "in.bin.enc"), "",
         [] { return shift_jis("圧縮中: ") + cannot_open("in.bin.enc"); },
         {"in.bin", "in.bin.enc"}},
        // Left alone even where the run could write it (as root).
        {"enc_is_read_only", {"in.bin"},
         [small](const scratch_dir &dir) {
             write_file(dir / "in.bin", small);
             write_file(dir / "in.bin.enc", {'o', 'l', 'd'});
             std::filesystem::permissions(dir / "in.bin.enc",
                                          std::filesystem::perms::owner_read |
                                              std::filesystem::perms::group_read |
                                              std::filesystem::perms::others_read);
         },
         "", [] { return shift_jis("圧縮中: ") + cannot_open("in.bin.enc"); },
         {"in.bin", "in.bin.enc"}},
        {"csv_cannot_be_created", {"in.bin"}, input_and_dir(small, "in.bin.csv"), "",
         [] { return compress_line(6) + shift_jis("CSV化: ") + cannot_open("in.bin.csv"); },
         {"in.bin", "in.bin.csv", "in.bin.enc"}},
        {"dec_cannot_be_created", {"in.bin"}, input_and_dir(small, "in.bin.dec"), "",
         [] {
             return compress_line(6) + dump_line() + shift_jis("解凍中: ") +
                    cannot_open("in.bin.dec");
         },
         {"in.bin", "in.bin.csv", "in.bin.dec", "in.bin.enc"}},
        // 100 KiB of random bytes: the .enc outgrows the limit.
        {"enc_write_fails", {"in.bin"}, input_and_dir(random_bytes(100 << 10), ""), limit,
         [] { return shift_jis("圧縮中: ") + cannot_write("in.bin.enc"); },
         {"in.bin"}, true},
        // 40 KiB of random bytes: the .enc fits, its five-fold dump does not.
        {"csv_write_fails", {"in.bin"}, input_and_dir(random_bytes(40 << 10), ""), limit,
         [] {
             return compress_line(encode_all(random_bytes(40 << 10), whole_input()).size()) +
                    shift_jis("CSV化: ") + cannot_write("in.bin.csv");
         },
         {"in.bin", "in.bin.enc"}, true},
        // A megabyte of zeros compresses to almost nothing but expands again.
        {"dec_write_fails", {"in.bin"}, input_and_dir(bytes(1 << 20, 0), ""), limit,
         [] {
             const size_t stream = encode_all(bytes(1 << 20, 0), whole_input()).size();
             return compress_line(stream) + dump_line() + shift_jis("解凍中: ") +
                    cannot_write("in.bin.dec");
         },
         {"in.bin", "in.bin.csv", "in.bin.enc"}, true},
    };
}

// Output names that lead to the input: each pass refuses its output before
// writing anything, and the input keeps its content.
std::vector<failure_case> link_cases() {
    std::vector<failure_case> out;
    for (link_kind kind : {link_kind::symbolic, link_kind::hard}) {
        const std::string how = kind == link_kind::symbolic ? "symlink" : "hard_link";
        out.push_back({"enc_is_a_" + how + "_to_the_input", {"in.bin"},
                       input_and_link("in.bin.enc", kind), "",
                       [] { return shift_jis("圧縮中: ") + cannot_open("in.bin.enc"); },
                       {"in.bin", "in.bin.enc"}, true});
        out.push_back({"csv_is_a_" + how + "_to_the_input", {"in.bin"},
                       input_and_link("in.bin.csv", kind), "",
                       [] {
                           return compress_line(6) + shift_jis("CSV化: ") +
                                  cannot_open("in.bin.csv");
                       },
                       {"in.bin", "in.bin.csv", "in.bin.enc"}, true});
        out.push_back({"dec_is_a_" + how + "_to_the_input", {"in.bin"},
                       input_and_link("in.bin.dec", kind), "",
                       [] {
                           return compress_line(6) + dump_line() + shift_jis("解凍中: ") +
                                  cannot_open("in.bin.dec");
                       },
                       {"in.bin", "in.bin.csv", "in.bin.dec", "in.bin.enc"}, true});
    }
    out.push_back({"input_is_a_link_to_its_own_enc", {"in.bin"},
                   [](const scratch_dir &dir) {
                       write_file(dir / "in.bin.enc", {1, 2, 2, 3});
                       std::filesystem::create_symlink("in.bin.enc", dir / "in.bin");
                   },
                   "", [] { return shift_jis("圧縮中: ") + cannot_open("in.bin.enc"); },
                   {"in.bin", "in.bin.enc"}, true});
    return out;
}

class FailingRun : public testing::TestWithParam<failure_case> {};

std::string failure_case_name(const testing::TestParamInfo<failure_case> &param) {
    return param.param.name;
}

TEST_P(FailingRun, SaysWhatFailedExitsOneAndTouchesNothingThatWasThere) {
    const failure_case &c = GetParam();
    if (c.linux_only && testing_windows_build())
        GTEST_SKIP() << "needs POSIX file size limits and links";
    scratch_dir dir;
    c.setup(dir);
    const auto before = snapshot(dir);
    const run_result run = run_tool(dir, c.args, c.shell_setup);
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.console, c.console());
    EXPECT_EQ(dir.names(), c.files_after);
    for (const auto &[name, content] : before)
        EXPECT_TRUE(exists(dir / name) && read_file(dir / name) == content)
            << name << " was changed";
}

INSTANTIATE_TEST_SUITE_P(Tool, FailingRun, testing::ValuesIn(failure_cases()),
                         failure_case_name);
INSTANTIATE_TEST_SUITE_P(Links, FailingRun, testing::ValuesIn(link_cases()),
                         failure_case_name);

} // namespace
