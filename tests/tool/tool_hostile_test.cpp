// tool_hostile_test.cpp - end-to-end runs in hostile surroundings: signals
// during each pass, the stream changed under the tool, standard descriptors
// closed, a reader that goes away, and closes and renames that fail. The
// files must always be what stood there before or complete (POSIX only).
#include "reference_codec.h"
#include "tool_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace {

const std::vector<std::string> all_names = {"in.bin", "in.bin.csv", "in.bin.dec",
                                            "in.bin.enc"};

bytes random_input(size_t n) {
    std::mt19937_64 rng(3);
    bytes out(n);
    for (size_t i = 0; i < n; i += 8) {
        const uint64_t r = rng();
        for (size_t k = 0; k < 8 && i + k < n; ++k)
            out[i + k] = static_cast<uint8_t>(r >> (8 * k));
    }
    return out;
}

// Big enough that each pass takes a good part of a second.
const bytes &large_input() {
    static const bytes input = random_input(48 << 20);
    return input;
}

const bytes &large_stream() {
    static const bytes stream = encode_all(large_input(), whole_input());
    return stream;
}

// The size of the .csv for a stream of n bytes (not a multiple of 16): the
// header line, five characters an entry, and a line end after every 16.
size_t dump_size(size_t n) {
    char header[64];
    const int header_size = std::snprintf(header, sizeof header, "/* %zubyte(%.1fKB) */\n", n,
                                          static_cast<double>(n) / 1024.0);
    return static_cast<size_t>(header_size) + 5 * n + n / 16;
}

const char posix_only[] = "signals, descriptors and strace are POSIX matters";

const bytes old_content = {'o', 'l', 'd'};

TEST(Signals, EachOutputIsItsOldContentOrCompleteAndNothingElseIsLeft) {
    if (testing_windows_build())
        GTEST_SKIP() << posix_only;
    struct interruption {
        const char *pass_announcement;
        int signal_number;
        int completed_passes;
    };
    const interruption cases[] = {
        {"圧縮中: ", SIGTERM, 0}, {"CSV化: ", SIGINT, 1}, {"解凍中: ", SIGHUP, 2},
        {"圧縮中: ", SIGUSR1, 0}, {"CSV化: ", SIGALRM, 1}, {"解凍中: ", SIGQUIT, 2}};
    for (const interruption &c : cases) {
        SCOPED_TRACE(c.pass_announcement);
        scratch_dir dir;
        write_file(dir / "in.bin", large_input());
        for (const char *name : {"in.bin.enc", "in.bin.csv", "in.bin.dec"})
            write_file(dir / name, old_content);

        running_tool run(dir, {"in.bin"});
        ASSERT_TRUE(run.read_until(shift_jis(c.pass_announcement)));
        run.send(c.signal_number);
        const run_result result = run.finish();

        EXPECT_EQ(result.exit_status, 128 + c.signal_number);
        EXPECT_EQ(dir.names(), all_names);
        EXPECT_TRUE(read_file(dir / "in.bin.enc") ==
                    (c.completed_passes >= 1 ? large_stream() : old_content));
        const bytes csv = read_file(dir / "in.bin.csv");
        if (c.completed_passes >= 2)
            EXPECT_EQ(csv.size(), dump_size(large_stream().size()));
        else
            EXPECT_TRUE(csv == old_content);
        EXPECT_TRUE(read_file(dir / "in.bin.dec") == old_content);
        EXPECT_TRUE(read_file(dir / "in.bin") == large_input());
    }
}

TEST(RoundTrip, AStreamChangedBetweenThePassesFailsTheVerifyPass) {
    if (testing_windows_build())
        GTEST_SKIP() << posix_only;
    scratch_dir dir;
    write_file(dir / "in.bin", large_input());
    running_tool run(dir, {"in.bin"});
    ASSERT_TRUE(run.read_until(shift_jis("CSV化: ")));
    run.send(SIGSTOP);
    {
        // The first literal of the stream, changed in place.
        std::fstream enc(dir / "in.bin.enc", std::ios::in | std::ios::out | std::ios::binary);
        enc.seekp(1);
        enc.put(static_cast<char>(large_stream()[1] ^ 0x55));
    }
    run.send(SIGCONT);
    const run_result result = run.finish();
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.console, compress_line(large_stream().size()) + dump_line() +
                                  shift_jis("解凍中: 元のファイルと一致しません") + line_end());
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"in.bin", "in.bin.csv", "in.bin.enc"}));
}

// Small runs whose console goes nowhere: the files are still complete.
TEST(Console, ClosedDescriptorsOrAReaderThatLeavesLoseOnlyTheMessages) {
    if (testing_windows_build())
        GTEST_SKIP() << posix_only;
    const bytes input = {1, 2, 2, 2, 3};
    const bytes stream = encode_all(input, whole_input());
    for (const auto &[what, reader, descriptors] :
         {std::tuple{"descriptors 0 and 1 closed", running_tool::console_reader::present,
                     running_tool::standard_descriptors::closed},
          std::tuple{"the reader gone", running_tool::console_reader::gone,
                     running_tool::standard_descriptors::open}}) {
        SCOPED_TRACE(what);
        scratch_dir dir;
        write_file(dir / "in.bin", input);
        running_tool run(dir, {"in.bin"}, reader, descriptors);
        EXPECT_EQ(run.finish().exit_status, 0);
        EXPECT_EQ(dir.names(), all_names);
        EXPECT_TRUE(read_file(dir / "in.bin.enc") == stream);
        const bytes csv = read_file(dir / "in.bin.csv");
        EXPECT_EQ(std::string(csv.begin(), csv.end()), expected_dump(stream));
        EXPECT_TRUE(read_file(dir / "in.bin.dec") == input);
    }
}

// strace makes one system call fail, as a full disk or a lost network
// share would.
bool have_strace() { return std::system("strace -V >/dev/null 2>&1") == 0; }

// Runs the tool under strace with these options. LeakSanitizer cannot work
// under ptrace, so a sanitized build runs without it there.
// Address randomisation is off, so that every run makes the same calls: the
// sanitizers read /proc/self/maps now and then, depending on where things
// were mapped, and a run that closes more files than another would have a
// failure injected into the wrong close().
std::string under_strace(const std::string &options) {
    return "env ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" setarch \"$(uname -m)\" -R strace " +
           options;
}

// The number, among all close() calls of a run, of the one that closes
// each pass's output: from a trace of a run that goes through.
std::vector<int> output_close_calls(const bytes &input) {
    scratch_dir dir, trace_dir;
    write_file(dir / "in.bin", input);
    run_tool(dir, {"in.bin"}, "",
             under_strace("-o " + trace_dir / "trace" + " -e trace=openat,open,close"));
    std::ifstream trace(trace_dir / "trace");
    std::vector<int> out;
    std::string line, output_fd;
    int closes = 0;
    while (std::getline(trace, line)) {
        if (line.rfind("close(", 0) == 0) {
            ++closes;
            if (!output_fd.empty() && line.rfind("close(" + output_fd + ")", 0) == 0) {
                out.push_back(closes);
                output_fd.clear();
            }
        } else if (line.find(".mavo-") != std::string::npos) {
            output_fd = line.substr(line.rfind("= ") + 2);
        }
    }
    return out;
}

TEST(FailingSystemCalls, AFailedCloseOrRenameFailsItsPassAndLeavesNothing) {
    if (testing_windows_build())
        GTEST_SKIP() << posix_only;
    if (!have_strace())
        GTEST_SKIP() << "strace is not installed";
    const bytes input = {1, 2, 2, 2, 3};
    const std::vector<int> closes = output_close_calls(input);
    ASSERT_EQ(closes.size(), 3u);
    const std::string outputs[] = {"in.bin.enc", "in.bin.csv", "in.bin.dec"};
    const std::string pass_lines[] = {shift_jis("圧縮中: "),
                                      compress_line(6) + shift_jis("CSV化: "),
                                      compress_line(6) + dump_line() + shift_jis("解凍中: ")};
    for (size_t pass = 0; pass < 3; ++pass) {
        for (const std::string call : {"close", "rename"}) {
            SCOPED_TRACE(call + " in pass " + std::to_string(pass + 1));
            const std::string when = call == "close" ? std::to_string(closes[pass])
                                                     : std::to_string(pass + 1);
            const std::string calls = call == "close" ? "close" : "rename,renameat,renameat2";
            scratch_dir dir;
            write_file(dir / "in.bin", input);
            const run_result run = run_tool(
                dir, {"in.bin"}, "",
                under_strace("-o /dev/null -e inject=" + calls + ":error=EIO:when=" + when));
            EXPECT_EQ(run.exit_status, 1);
            EXPECT_EQ(run.console, pass_lines[pass] + cannot_write(outputs[pass]));
            // The input and the outputs of the passes before.
            std::vector<std::string> expected = {"in.bin"};
            expected.insert(expected.end(), outputs, outputs + pass);
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(dir.names(), expected);
        }
    }
}

} // namespace
