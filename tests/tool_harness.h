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
// the same shell (for `ulimit`, say).
run_result run_tool(const scratch_dir &dir, const std::vector<std::string> &args,
                    const std::string &shell_setup = "");

bytes read_file(const std::string &path);
void write_file(const std::string &path, const bytes &content);
bool exists(const std::string &path);

// The .csv text for a stream, written the plain way with snprintf.
std::string expected_dump(const bytes &stream);
