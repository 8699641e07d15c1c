// stream_sizes_test.cpp - the pieces of the stream-size measurement
// (bench/streams.cpp): the tool's stream as bench/stream_sizes computes it
// is the .enc that mavo writes, byte for byte, and the decode check takes
// any stream that gives its file back and refuses every other.
#include "streams.h"
#include "tool_harness.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

struct input_case {
    std::string name;
    bytes input;
};

void PrintTo(const input_case &c, std::ostream *os) { *os << c.name; }

template <typename Case>
std::string case_name(const testing::TestParamInfo<Case> &param) {
    return param.param.name;
}

class ToolStream : public testing::TestWithParam<input_case> {};

TEST_P(ToolStream, is_the_enc_that_mavo_writes) {
    const bytes &input = GetParam().input;
    scratch_dir dir;
    write_file(dir / "in.bin", input);
    ASSERT_EQ(run_tool(dir, {"in.bin"}).exit_status, 0);
    const bytes stream = tool_stream(input.data(), input.size());
    EXPECT_EQ(stream, read_file(dir / "in.bin.enc"));
    EXPECT_TRUE(decodes_to(stream.data(), stream.size(), input.data(), input.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Bench, ToolStream,
    testing::Values(input_case{"empty", {}}, input_case{"one_byte", {0x41}},
                    input_case{"run_of_300", bytes(300, 0x41)},
                    input_case{"window_filled_by_literals", ascending(255)},
                    input_case{"each_byte_once", ascending(256)},
                    input_case{"past_the_read_chunk", mixed_input(600 * 1024)}),
    case_name<input_case>);

struct check_case {
    std::string name;
    bytes file;
    std::function<bytes(const bytes &file)> stream;
    bool decodes_back;
};

void PrintTo(const check_case &c, std::ostream *os) { *os << c.name; }

const bytes aaaab = {0x41, 0x41, 0x41, 0x41, 0x42};

bytes greedy(const bytes &file) { return tool_stream(file.data(), file.size()); }

bytes with(const bytes &stream, size_t at, uint8_t value) {
    bytes out = stream;
    out[at] = value;
    return out;
}

bytes plus(const bytes &stream, const bytes &more) {
    bytes out = stream;
    out.insert(out.end(), more.begin(), more.end());
    return out;
}

class DecodeCheck : public testing::TestWithParam<check_case> {};

TEST_P(DecodeCheck, tells_whether_the_stream_gives_the_file_back) {
    const check_case &c = GetParam();
    const bytes stream = c.stream(c.file);
    EXPECT_EQ(decodes_to(stream.data(), stream.size(), c.file.data(), c.file.size()),
              c.decodes_back);
}

// The tool's stream of AAAAB is 01 41 03 01 42.
INSTANTIATE_TEST_SUITE_P(
    Bench, DecodeCheck,
    testing::Values(
        check_case{"empty_for_empty", {}, greedy, true},
        check_case{"the_tools_stream", aaaab, greedy, true},
        check_case{"all_literals", aaaab,
                   [](const bytes &) { return bytes{0x05, 0x41, 0x41, 0x41, 0x41, 0x42}; }, true},
        check_case{"empty_for_a_file", aaaab, [](const bytes &) { return bytes{}; }, false},
        check_case{"last_byte_cut", aaaab,
                   [](const bytes &f) { bytes s = greedy(f); s.pop_back(); return s; }, false},
        check_case{"one_repeat_more", aaaab, [](const bytes &f) { return plus(greedy(f), {0x01}); },
                   false},
        check_case{"far_longer", aaaab,
                   [](const bytes &f) { return plus(greedy(f), {0xff, 0x00, 0xff}); }, false},
        check_case{"one_repeat_fewer", aaaab, [](const bytes &f) { return with(greedy(f), 2, 0x02); },
                   false},
        check_case{"other_literal", aaaab, [](const bytes &f) { return with(greedy(f), 4, 0x43); },
                   false},
        check_case{"something_for_an_empty_file", {}, [](const bytes &) { return bytes{0x01, 0x41}; },
                   false}),
    case_name<check_case>);

} // namespace
