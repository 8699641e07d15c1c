// tool_harness.cpp - see tool_harness.h.
#include "tool_harness.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iconv.h>
#include <iterator>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string env_or(const char *name, const std::string &fallback) {
    const char *value = std::getenv(name);
    return value && *value ? value : fallback;
}

std::string shell_quote(const std::string &s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

} // namespace

bool testing_windows_build() { return env_or("MAVO_TARGET", "") == "windows"; }

std::string line_end() { return testing_windows_build() ? "\r\n" : "\n"; }

std::string shift_jis(const std::string &utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error("iconv has no CP932");
    std::string in = utf8;
    std::string out(in.size() * 2 + 8, '\0');
    char *src = in.data();
    char *dst = out.data();
    size_t src_left = in.size(), dst_left = out.size();
    const size_t rc = iconv(cd, &src, &src_left, &dst, &dst_left);
    iconv_close(cd);
    if (rc == static_cast<size_t>(-1))
        throw std::runtime_error("cannot convert to CP932: " + utf8);
    out.resize(out.size() - dst_left);
    return out;
}

scratch_dir::scratch_dir() {
    std::string pattern = (fs::temp_directory_path() / "mavo-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

scratch_dir::~scratch_dir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::vector<std::string> scratch_dir::names() const {
    std::vector<std::string> out;
    for (const auto &entry : fs::directory_iterator(path_))
        out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

run_result run_tool(const scratch_dir &dir, const std::vector<std::string> &args,
                    const std::string &shell_setup) {
    std::string command = "cd " + shell_quote(dir.path()) + " && ";
    if (!shell_setup.empty())
        command += shell_setup + "; ";
    command += "exec " + env_or("MAVO_TOOL", MAVO_NATIVE_TOOL);
    for (const std::string &arg : args)
        command += " " + shell_quote(arg);
    command += " </dev/null";

    run_result result;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("popen failed");
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.console.append(buffer, n);
    const int status = pclose(pipe);
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

bytes read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string &path, const bytes &content) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char *>(content.data()),
              static_cast<std::streamsize>(content.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

bool exists(const std::string &path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

std::string expected_dump(const bytes &stream) {
    char text[64];
    std::snprintf(text, sizeof text, "/* %zubyte(%.1fKB) */", stream.size(),
                  static_cast<double>(stream.size()) / 1024.0);
    std::string out = text + line_end();
    for (size_t i = 0; i < stream.size(); ++i) {
        std::snprintf(text, sizeof text, "0x%02x,", stream[i]);
        out += text;
        if (i % 16 == 15)
            out += line_end();
    }
    return out;
}
