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
#include <poll.h>
#include <random>
#include <signal.h>
#include <stdexcept>
#include <sys/wait.h>
#include <fcntl.h>
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
                    const std::string &shell_setup, const std::string &wrapper) {
    std::string command = "cd " + shell_quote(dir.path()) + " && ";
    if (!shell_setup.empty())
        command += shell_setup + "; ";
    command += "exec " + (wrapper.empty() ? "" : wrapper + " ") +
               env_or("MAVO_TOOL", MAVO_NATIVE_TOOL);
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

bytes ascending(size_t n) {
    bytes out(n);
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(i);
    return out;
}

bytes mixed_input(size_t size) {
    std::mt19937 rng(42);
    bytes out;
    while (out.size() < size) {
        const uint32_t len = static_cast<uint32_t>(rng() % 600 + 1);
        if (rng() % 2)
            out.insert(out.end(), len, static_cast<uint8_t>(rng()));
        else
            for (uint32_t i = 0; i < len; ++i)
                out.push_back(static_cast<uint8_t>(rng()));
    }
    out.resize(size);
    return out;
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

running_tool::running_tool(const scratch_dir &dir, const std::vector<std::string> &args,
                           console_reader reader, standard_descriptors descriptors) {
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    const std::string tool = MAVO_NATIVE_TOOL;
    std::vector<std::string> argv_text = {tool};
    argv_text.insert(argv_text.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    pid_ = fork();
    if (pid_ < 0)
        throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        // The child: only async-signal-safe calls until exec.
        close(fds[0]);
        if (chdir(dir.path().c_str()) != 0)
            _exit(127);
        if (descriptors == standard_descriptors::closed) {
            close(0);
            close(1);
        } else {
            dup2(fds[1], 1);
            const int null_in = open("/dev/null", O_RDONLY);
            dup2(null_in, 0);
        }
        close(fds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    console_ = fds[0];
    if (reader == console_reader::gone) {
        close(console_);
        console_ = -1;
    }
}

running_tool::~running_tool() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (console_ >= 0)
        close(console_);
}

bool running_tool::read_until(const std::string &text) {
    char buffer[4096];
    for (int waited_ms = 0; seen_.find(text) == std::string::npos;) {
        if (console_ < 0 || waited_ms >= 60000)
            return false;
        pollfd p{console_, POLLIN, 0};
        const int ready = poll(&p, 1, 100);
        waited_ms += 100;
        if (ready <= 0)
            continue;
        const ssize_t n = read(console_, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        seen_.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

void running_tool::send(int signal_number) { kill(pid_, signal_number); }

run_result running_tool::finish() {
    char buffer[4096];
    ssize_t n;
    while (console_ >= 0 && (n = read(console_, buffer, sizeof buffer)) > 0)
        seen_.append(buffer, static_cast<size_t>(n));
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    run_result result;
    result.console = seen_;
    result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

std::vector<std::pair<std::string, bytes>> snapshot(const scratch_dir &dir) {
    std::vector<std::pair<std::string, bytes>> out;
    for (const std::string &name : dir.names())
        if (fs::is_regular_file(dir / name))
            out.emplace_back(name, read_file(dir / name));
    return out;
}

namespace {

std::string sized_done(uint64_t n) {
    return shift_jis("完了 ") + std::to_string(n) + "byte(" + std::to_string(n / 1024) +
           "KB)" + line_end();
}

} // namespace

std::string compress_line(uint64_t n) { return shift_jis("圧縮中: ") + sized_done(n); }
std::string dump_line() { return shift_jis("CSV化: 完了") + line_end(); }
std::string verify_line(uint64_t n) { return shift_jis("解凍中: ") + sized_done(n); }

std::string cannot_open(const std::string &name) {
    return name + shift_jis(" 開けませんでした") + line_end();
}

std::string cannot_write(const std::string &name) {
    return name + shift_jis(" 書き込めませんでした") + line_end();
}

