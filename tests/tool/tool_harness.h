// tool_harness.h - runs the built mavo in a scratch directory and builds
// the console text and files it is expected to write.
//
// The tool under test comes from the environment, so the same tests run the
// native build and the Windows build under Wine:
//   MAVO_TOOL     command that starts the tool (default: the native build)
//   MAVO_TARGET   "windows" when MAVO_TOOL is the Windows build
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using bytes = std::vector<uint8_t>;

bool testing_windows_build();

// The platform's text line end: "\r\n" for the Windows build, else "\n".
std::string line_end();

// The UTF-8 text converted to Shift_JIS (code page 932), independently of
// the tool's own message table.
std::string shift_jis(const std::string &utf8);

// A fresh empty directory, removed with everything in it at destruction.
class scratch_dir {
public:
    scratch_dir();
    ~scratch_dir();
    scratch_dir(const scratch_dir &) = delete;
    scratch_dir &operator=(const scratch_dir &) = delete;

    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }
    std::vector<std::string> names() const; // sorted

private:
    std::string path_;
};

struct run_result {
    int exit_status = -1;
    std::string console; // standard output, byte for byte
};

// Runs the tool with the arguments in `dir`. `shell_setup` runs first in
// the same shell (for `ulimit`, say); `wrapper` is a command the tool runs
// under (for `strace`, say).
run_result run_tool(const scratch_dir &dir, const std::vector<std::string> &args,
                    const std::string &shell_setup = "", const std::string &wrapper = "");

// A run of the native tool that the test watches while it goes on (POSIX
// only): its console comes through a pipe, and the test may signal it.
class running_tool {
public:
    enum class console_reader { present, gone };
    enum class standard_descriptors { open, closed }; // 0 and 1 closed

    running_tool(const scratch_dir &dir, const std::vector<std::string> &args,
                 console_reader reader = console_reader::present,
                 standard_descriptors descriptors = standard_descriptors::open);
    ~running_tool();
    running_tool(const running_tool &) = delete;
    running_tool &operator=(const running_tool &) = delete;

    // Reads the console until it holds `text`; false when the tool ends
    // first or a minute passes.
    bool read_until(const std::string &text);
    void send(int signal_number);
    // Reads the rest and waits for the end; returns what run_tool() would.
    run_result finish();

private:
    int pid_ = -1;
    int console_ = -1;
    std::string seen_;
};

// Inputs: the bytes 0, 1, 2 .. wrapping at 256; runs and literals of
// random lengths, the same on every call.
bytes ascending(size_t n);
bytes mixed_input(size_t size);

bytes read_file(const std::string &path);
void write_file(const std::string &path, const bytes &content);
bool exists(const std::string &path);

// Every regular file in the directory with its content, by name.
std::vector<std::pair<std::string, bytes>> snapshot(const scratch_dir &dir);

// Console lines, built from the texts as a reader sees them: each pass's
// line on success, and the failure messages naming a file.
std::string compress_line(uint64_t stream_size);
std::string dump_line();
std::string verify_line(uint64_t size);
std::string cannot_open(const std::string &name);
std::string cannot_write(const std::string &name);

// The .csv text for a stream, written the plain way with snprintf.
std::string expected_dump(const bytes &stream);
