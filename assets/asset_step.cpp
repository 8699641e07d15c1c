// asset_step.cpp - mavo_asset_step, one asset's build step for
// mavo_add_assets(), on POSIX and on Windows alike:
//
//   mavo_asset_step MAVO SOURCE WORK HEADER SYMBOL EMBEDDING [SEEK_SPACING]
//
// Runs MAVO on a copy of SOURCE named WORK/a, so that nothing is ever
// written beside the user's file and the names mavo makes stay short
// whatever the asset is called. It keeps WORK/a.enc (the stream, which the
// program embeds), and, as EMBEDDING needs them, WORK/a.csv (mavo's dump,
// for a brace list) or WORK/a.str (the stream as string literals). With
// SEEK_SPACING it writes WORK/a.seek, the stream's seek points as an array
// initialiser. Last it writes HEADER: the declaration of SYMBOL and its
// sizes. When anything fails, nothing of the step is left, so that no
// later build takes a stale stream or header for current, and the step
// says in UTF-8 which asset failed and why.
#include "console_text.h"

#include <mavo/codec.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// The step's files in WORK, all named after the copy `a`.
struct work_files {
    std::string dir;
    std::string copy() const { return dir + "/a"; }
    std::string stream() const { return dir + "/a.enc"; }
    std::string dump() const { return dir + "/a.csv"; }
    std::string expansion() const { return dir + "/a.dec"; }
    std::string strings() const { return dir + "/a.str"; }
    std::string seek() const { return dir + "/a.seek"; }
    std::string console() const { return dir + "/console"; }
    std::string header_temp() const { return dir + "/header"; }
};

#ifdef _WIN32

std::wstring widen(const std::string &text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, &out[0], n);
    out.pop_back();
    return out;
}

// Runs mavo on the copy in WORK, its console text going to `console`.
// Returns its exit status, or -1 when it could not be started.
int run_mavo(const std::string &mavo, const work_files &work) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE console = CreateFileW(widen(work.console()).c_str(), GENERIC_WRITE, 0, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (console == INVALID_HANDLE_VALUE)
        return -1;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = console;
    startup.hStdError = console;
    std::wstring command = L"\"" + widen(mavo) + L"\" a";
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        widen(work.dir).c_str(), &startup, &process);
    CloseHandle(console);
    if (!started)
        return -1;
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 1;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(status);
}

void make_one_directory(const std::string &dir) { CreateDirectoryW(widen(dir).c_str(), nullptr); }

// A Windows build log shows code page 932 as it is.
std::string readable(const std::string &console) { return console; }

// Names are UTF-8 inside the step and wide for the system, so that any name
// Windows can hold works.
std::FILE *open_file(const std::string &name, const char *mode) {
    return _wfopen(widen(name).c_str(), widen(mode).c_str());
}
void remove_file(const std::string &name) { _wremove(widen(name).c_str()); }
bool replace_file(const std::string &from, const std::string &to) {
    return MoveFileExW(widen(from).c_str(), widen(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::vector<std::string> arguments(int, char **) {
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> out;
    for (int i = 0; wide && i < count; ++i) {
        const int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(n > 0 ? static_cast<size_t>(n) : 1, '\0');
        if (n > 0)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, &arg[0], n, nullptr, nullptr);
        arg.pop_back();
        out.push_back(arg);
    }
    if (wide)
        LocalFree(wide);
    return out;
}

#else

int run_mavo(const std::string &mavo, const work_files &work) {
    const int console =
        open(work.console().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (console < 0)
        return -1;
    const pid_t child = fork();
    if (child < 0) {
        close(console);
        return -1;
    }
    if (child == 0) {
        dup2(console, 1);
        dup2(console, 2);
        if (chdir(work.dir.c_str()) != 0)
            _exit(127);
        execl(mavo.c_str(), mavo.c_str(), "a", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(console);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void make_one_directory(const std::string &dir) { mkdir(dir.c_str(), 0777); }

std::string readable(const std::string &console) { return console_text_as_utf8(console); }

std::FILE *open_file(const std::string &name, const char *mode) {
    return std::fopen(name.c_str(), mode);
}
void remove_file(const std::string &name) { std::remove(name.c_str()); }
bool replace_file(const std::string &from, const std::string &to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::vector<std::string> arguments(int argc, char **argv) {
    return std::vector<std::string>(argv, argv + argc);
}

#endif

void remove_outputs(const work_files &work, const std::string &header) {
    for (const std::string &name :
         {work.copy(), work.stream(), work.dump(), work.expansion(), work.strings(),
          work.seek(), work.console(), work.header_temp(), header})
        remove_file(name);
}

bool read_file(const std::string &name, std::string &into) {
    std::FILE *in = open_file(name, "rb");
    if (!in)
        return false;
    char buffer[64 * 1024];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        into.append(buffer, n);
    const bool ok = !std::ferror(in);
    std::fclose(in);
    return ok;
}

// Writes `text` to `name` whole, or leaves no file.
bool write_file(const std::string &name, const std::string &text) {
    std::FILE *out = open_file(name, "wb");
    if (!out)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    if (std::fclose(out) != 0 || !written) {
        remove_file(name);
        return false;
    }
    return true;
}

// Copies `from` to `to`, counting its bytes. Returns an empty string, or
// what failed (a directory cannot be read: its first read fails).
std::string copy_file(const std::string &from, const std::string &to, uint64_t &size) {
    std::FILE *in = open_file(from, "rb");
    if (!in)
        return "cannot read " + from + ": " + std::strerror(errno);
    std::FILE *out = open_file(to, "wb");
    if (!out) {
        const std::string why = "cannot write " + to + ": " + std::strerror(errno);
        std::fclose(in);
        return why;
    }
    bool ok = true;
    std::vector<char> buffer(256 * 1024);
    size = 0;
    size_t n;
    while (ok && (n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
        ok = std::fwrite(buffer.data(), 1, n, out) == n;
        size += n;
    }
    const bool read_failed = std::ferror(in) != 0;
    std::fclose(in);
    ok = std::fclose(out) == 0 && ok;
    if (read_failed)
        return "cannot read " + from + " (is it a file?)";
    return ok ? std::string() : "cannot write " + to;
}


// Makes `dir` and the folders above it that are missing; a generator need
// not have made them.
void make_directories(const std::string &dir) {
    for (size_t slash = dir.find_first_of("/\\", 1); slash != std::string::npos;
         slash = dir.find_first_of("/\\", slash + 1))
        make_one_directory(dir.substr(0, slash));
    make_one_directory(dir);
}

std::string upper_case(std::string s) {
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

std::string base_name(const std::string &path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct asset {
    std::string symbol;
    std::string name; // the file's name, for the comments
    uint64_t stream_size = 0;
    uint64_t decoded_size = 0;
    uint32_t seek_spacing = 0; // 0: no seek points
    uint32_t seek_points = 0;
};

std::string header_text(const asset &a) {
    const std::string upper = upper_case(a.symbol);
    std::string text =
        "/* " + a.symbol + ": the mavo stream of " + a.name +
        ", generated by mavo_add_assets.\n"
        "   Expand it with decode_block() or decode_step() from <mavo/codec.h>. */\n"
        "#ifndef MAVO_ASSET_" + upper + "_H\n"
        "#define MAVO_ASSET_" + upper + "_H\n\n";
    if (a.seek_spacing)
        text += "#include <mavo/codec.h>\n\n";
    text +=
        "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n"
        "/* On AVR the stream is in program memory (flash), where only memcpy_P()\n"
        "   and pgm_read_byte() can read it; elsewhere it is ordinary constant data. */\n"
        "#if defined(__AVR__)\n"
        "#define " + upper + "_IN_PROGMEM 1\n"
        "extern const unsigned char " + a.symbol + "[] __attribute__((__progmem__));\n"
        "#else\n"
        "#define " + upper + "_IN_PROGMEM 0\n"
        "extern const unsigned char " + a.symbol + "[];\n"
        "#endif\n\n"
        "/* Bytes of stream in " + a.symbol + ". */\n"
        "#define " + upper + "_SIZE " + std::to_string(a.stream_size) + "u\n"
        "/* Bytes of " + a.name + ": what the stream expands to. */\n"
        "#define " + upper + "_DECODED_SIZE " + std::to_string(a.decoded_size) + "u\n";
    if (a.seek_spacing)
        text += "\n/* Seek points for decode_seek(): one per " + upper +
                "_SEEK_SPACING bytes of output. */\n"
                "extern const codec_seek_point " + a.symbol + "_seek[];\n"
                "#define " + upper + "_SEEK_POINTS " + std::to_string(a.seek_points) + "u\n"
                "#define " + upper + "_SEEK_SPACING " + std::to_string(a.seek_spacing) + "u\n";
    text += "\n#ifdef __cplusplus\n}\n#endif\n\n#endif\n";
    return text;
}

// The stream as C string literals, one of 4096 bytes a line (the last one
// shorter), each exactly as long as a row of the array it initialises, so
// that no terminating zero comes between the rows. Octal escapes, which
// take at most three digits, never swallow the character after them.
std::string string_pieces(const std::string &stream) {
    std::string text;
    text.reserve(stream.size() * 4 + stream.size() / 4096 * 4 + 16);
    for (size_t i = 0; i < stream.size(); ++i) {
        if (i % 4096 == 0)
            text += i == 0 ? "\"" : "\",\n\"";
        const auto byte = static_cast<unsigned char>(stream[i]);
        if (byte >= 0x20 && byte < 0x7f && byte != '"' && byte != '\\' && byte != '?') {
            text += static_cast<char>(byte);
        } else {
            text += '\\';
            text += static_cast<char>('0' + (byte >> 6));
            text += static_cast<char>('0' + ((byte >> 3) & 7));
            text += static_cast<char>('0' + (byte & 7));
        }
    }
    if (!stream.empty())
        text += "\"\n";
    return text;
}

// The stream's seek points at `spacing`, as index_stream() makes them, one
// array initialiser a line ({ section, last, into, run, 0 }), and how many.
bool seek_points(const std::string &stream, uint32_t spacing, std::string &text,
                 uint32_t &count) {
    if (stream.size() > UINT32_MAX)
        return false;
    const auto *src = reinterpret_cast<const uint8_t *>(stream.data());
    const auto size = static_cast<uint32_t>(stream.size());
    count = index_stream(src, size, spacing, nullptr, 0);
    if (count == UINT32_MAX)
        return false;
    std::vector<codec_seek_point> points(count);
    index_stream(src, size, spacing, points.data(), count);
    for (const codec_seek_point &p : points)
        text += "{" + std::to_string(p.section) + "u, " + std::to_string(p.last) + ", " +
                std::to_string(p.into) + ", " + std::to_string(p.run) + ", 0},\n";
    return true;
}

int fail(const std::string &message, const work_files &work, const std::string &header) {
    remove_outputs(work, header);
    std::fprintf(stderr, "mavo_add_assets: %s\n", message.c_str());
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    const std::vector<std::string> args = arguments(argc, argv);
    if (args.size() != 7 && args.size() != 8) {
        std::fprintf(stderr, "usage: mavo_asset_step MAVO SOURCE WORK HEADER SYMBOL "
                             "incbin|embed|string|braces [SEEK_SPACING]\n");
        return 2;
    }
    const std::string &mavo = args[1], &source = args[2], &header = args[4];
    const std::string &embedding = args[6];
    const work_files work{args[3]};
    asset a;
    a.symbol = args[5];
    a.name = base_name(source);
    if (args.size() == 8)
        a.seek_spacing = static_cast<uint32_t>(std::strtoul(args[7].c_str(), nullptr, 10));

    remove_outputs(work, header);
    make_directories(work.dir);
    make_directories(header.substr(0, header.find_last_of("/\\")));
    const std::string copy_failure = copy_file(source, work.copy(), a.decoded_size);
    if (!copy_failure.empty())
        return fail(copy_failure, work, header);

    const int status = run_mavo(mavo, work);
    if (status != 0) {
        std::string console;
        read_file(work.console(), console);
        return fail("mavo failed on " + source + " (exit status " + std::to_string(status) +
                        (status < 0 ? ", it could not be started: " + mavo : "") +
                        "):\n" + readable(console),
                    work, header);
    }

    // The stream itself is read only where its bytes are needed: a large
    // asset embedded by the assembler costs no memory here.
    std::error_code no_stream;
    a.stream_size = std::filesystem::file_size(std::filesystem::u8path(work.stream()), no_stream);
    std::string stream;
    const bool bytes_needed = embedding == "string" || a.seek_spacing != 0;
    if (no_stream || (bytes_needed && !read_file(work.stream(), stream)))
        return fail("mavo left no stream for " + source, work, header);
    // The copy and its expansion (checked by mavo against it) are done with,
    // and so is the dump unless a brace list includes it.
    remove_file(work.copy());
    remove_file(work.expansion());
    remove_file(work.console());
    if (embedding != "braces")
        remove_file(work.dump());
    if (embedding == "string" && !write_file(work.strings(), string_pieces(stream)))
        return fail("cannot write " + work.strings(), work, header);

    if (a.seek_spacing) {
        std::string points;
        if (!seek_points(stream, a.seek_spacing, points, a.seek_points) ||
            !write_file(work.seek(), points))
            return fail("cannot write the seek points of " + source, work, header);
    }

    if (!write_file(work.header_temp(), header_text(a)) ||
        !replace_file(work.header_temp(), header))
        return fail("cannot write " + header, work, header);
    return 0;
}
