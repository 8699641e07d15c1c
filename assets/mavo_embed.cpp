// mavo_embed.cpp - the mavo_embed command: one file made ready to embed in a
// C or C++ program, in one process.
//
//   mavo_embed --symbol NAME [OPTION...] FILE
//
// Reads FILE, encodes it (the shortest stream the format allows, or with
// --stream tool the very stream `mavo FILE` writes), expands the stream
// again and fails unless it gives FILE back, and writes:
//   OUT/NAME.enc   the stream (for the incbin and embed ways)
//   OUT/NAME.c     the source that defines the array NAME[] (and
//                  NAME_seek[] with --seek-spacing); C, and C++ but for
//                  the string way
//   HDR/NAME.h     its declaration and sizes
// Each output is written under a temporary name and moved into place once
// complete; when anything fails, none of them is left, and the message
// (UTF-8, on standard error) names FILE. FILE is only read.
//
// Exit status: 0 done, 1 failed, 2 the command line is wrong.
#include "embed_text.h"

#include "files.h"
#include "platform.h"

#include <mavo/codec.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char usage[] =
    "usage: mavo_embed --symbol NAME [--output-dir DIR] [--header-dir DIR]\n"
    "                  [--embedding incbin|embed|string|braces] [--stream smallest|tool]\n"
    "                  [--align BYTES] [--section NAME] [--seek-spacing BYTES] FILE\n";

struct options {
    native_string file;
    std::string symbol;
    native_string output_dir;
    native_string header_dir;
    embedding how = embedding::incbin;
    bool tool_stream = false;
    uint32_t align = 0;
    std::string section;
    uint32_t seek_spacing = 0;
};

// An ASCII argument as text; empty when it holds anything else.
std::string ascii(const native_string &arg) {
    std::string out;
    for (auto c : arg) {
        if (c <= 0 || c >= 0x7f)
            return std::string();
        out += static_cast<char>(static_cast<int>(c));
    }
    return out;
}

bool is_identifier(const std::string &s) {
    if (s.empty() || (s[0] >= '0' && s[0] <= '9'))
        return false;
    return std::all_of(s.begin(), s.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    });
}

// A whole number from 1 to 2^32 - 1; 0 for anything else.
uint32_t positive_number(const std::string &s) {
    if (s.empty() || s.size() > 10 || s[0] == '0' ||
        !std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    const unsigned long long value = std::strtoull(s.c_str(), nullptr, 10);
    return value <= UINT32_MAX ? static_cast<uint32_t>(value) : 0;
}

bool parse_embedding(const std::string &s, embedding &how) {
    const std::pair<const char *, embedding> ways[] = {{"incbin", embedding::incbin},
                                                       {"embed", embedding::embed},
                                                       {"string", embedding::string},
                                                       {"braces", embedding::braces}};
    for (const auto &way : ways)
        if (s == way.first) {
            how = way.second;
            return true;
        }
    return false;
}

// Reads the command line into `o`; an empty result, or what is wrong.
std::string parse_options(const std::vector<native_string> &args, options &o) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string arg = ascii(args[i]);
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (!o.file.empty())
                return "more than one FILE";
            o.file = args[i];
            continue;
        }
        if (i + 1 == args.size())
            return arg + " needs a value";
        const native_string &value = args[++i];
        const std::string text = ascii(value);
        if (arg == "--symbol") {
            if (!is_identifier(text))
                return "--symbol " + text + " is not a C identifier";
            o.symbol = text;
        } else if (arg == "--output-dir") {
            o.output_dir = value;
        } else if (arg == "--header-dir") {
            o.header_dir = value;
        } else if (arg == "--embedding") {
            if (!parse_embedding(text, o.how))
                return "--embedding " + text + " is not incbin, embed, string or braces";
        } else if (arg == "--stream") {
            if (text != "smallest" && text != "tool")
                return "--stream " + text + " is not smallest or tool";
            o.tool_stream = text == "tool";
        } else if (arg == "--align") {
            o.align = positive_number(text);
            if (o.align == 0 || (o.align & (o.align - 1)) != 0)
                return "--align " + text + " is not a power of two";
        } else if (arg == "--section") {
            const bool name_ok = !text.empty() && text.find_first_not_of(
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.$,") ==
                std::string::npos;
            if (!name_ok)
                return "--section " + text + " is not a section name (letters, digits, . _ $ ,)";
            o.section = text;
        } else if (arg == "--seek-spacing") {
            o.seek_spacing = positive_number(text);
            if (o.seek_spacing == 0)
                return "--seek-spacing " + text + " is not a number of bytes";
        } else {
            return "unknown option " + arg;
        }
    }
    if (o.file.empty())
        return "no FILE";
    if (o.symbol.empty())
        return "no --symbol";
    if (o.output_dir.empty())
        o.output_dir = fs::path(".").native();
    if (o.header_dir.empty())
        o.header_dir = o.output_dir;
    return std::string();
}

std::string utf8(const native_string &name) {
    const std::string text = fs::path(name).u8string();
    return text;
}

// The whole file; false with `why` set when it cannot be read.
bool read_whole_file(const native_string &name, std::vector<uint8_t> &bytes, std::string &why) {
    input_file in;
    if (!in.open(name)) {
        why = std::string("cannot open it for reading: ") + std::strerror(errno);
        return false;
    }
    std::error_code size_unknown;
    const auto size = fs::file_size(fs::path(name), size_unknown);
    bytes.reserve(size_unknown ? 0 : static_cast<size_t>(size));
    uint8_t buffer[64 * 1024];
    for (size_t n; (n = in.read(buffer, sizeof buffer)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    if (in.failed()) {
        why = "cannot read it (is it a file?)";
        return false;
    }
    return true;
}

// The stream the mavo tool writes for `src`: encode_step() window by window.
// `dst` has room for ENCODE_BOUND(n) bytes and a window more.
size_t tool_stream(const uint8_t *src, size_t n, uint8_t *dst) {
    codec_state state{};
    size_t filled = 0;
    uint32_t len = 0;
    for (size_t pos = 0; pos < n;) {
        const auto chunk = static_cast<uint32_t>(std::min<size_t>(n - pos, size_t{1} << 20));
        for (;;) {
            len = 0;
            if (encode_step(dst + filled, &state, src + pos, chunk, &len) == STEP_NEED_INPUT)
                break;
            filled += ENCODE_WINDOW_SIZE;
        }
        pos += chunk;
    }
    return filled + len;
}

// True when `stream` expands to exactly `expected`.
bool expands_to(const uint8_t *stream, size_t stream_size, const std::vector<uint8_t> &expected) {
    codec_state state{};
    uint8_t out[64 * 1024];
    size_t done = 0;
    for (size_t pos = 0; pos < stream_size;) {
        const auto chunk =
            static_cast<uint32_t>(std::min<size_t>(stream_size - pos, size_t{1} << 30));
        for (;;) {
            uint32_t len = 0;
            const int result = decode_block(stream + pos, &state, chunk, out, sizeof out, &len);
            if (len > expected.size() - done ||
                !std::equal(out, out + len, expected.begin() + static_cast<ptrdiff_t>(done)))
                return false;
            done += len;
            if (result == STEP_NEED_INPUT)
                break;
        }
        pos += chunk;
    }
    return done == expected.size();
}

// The outputs of one run, removed again unless the run completes.
class outputs {
public:
    explicit outputs(std::vector<native_string> names) : names_(std::move(names)) {}
    outputs(const outputs &) = delete;
    outputs &operator=(const outputs &) = delete;
    ~outputs() {
        if (!complete_)
            for (const native_string &name : names_)
                remove_file(name);
    }
    void complete() { complete_ = true; }

private:
    std::vector<native_string> names_;
    bool complete_ = false;
};

// Writes one output whole through `fill`, which hands its pieces to the
// writer; false when any piece or the final move fails.
template <class Fill>
bool write_output(const native_string &name, Fill fill) {
    output_file out;
    if (!out.open(name, output_file::mode::binary))
        return false;
    bool ok = true;
    fill([&](const void *data, size_t size) { ok = ok && out.write(data, size); });
    return ok && out.commit();
}

bool write_text(const native_string &name, const std::string &text) {
    return write_output(name, [&](auto &&put) { put(text.data(), text.size()); });
}

int fail(const options &o, const std::string &why) {
    std::fprintf(stderr, "mavo_embed: %s: %s\n", utf8(o.file).c_str(), why.c_str());
    return 1;
}

int run(const options &o) {
    const fs::path out_dir(o.output_dir);
    const fs::path header_dir(o.header_dir);
    const native_string stream_name = (out_dir / (o.symbol + ".enc")).native();
    const native_string source_name = (out_dir / (o.symbol + ".c")).native();
    const native_string header_name = (header_dir / (o.symbol + ".h")).native();
    // Whatever an earlier run left goes too should this one fail, so that
    // no build takes a stale stream or header for current.
    outputs made({stream_name, source_name, header_name});

    std::vector<uint8_t> input;
    std::string why;
    if (!read_whole_file(o.file, input, why))
        return fail(o, why);

    const size_t n = input.size();
    std::unique_ptr<uint8_t[]> stream(new uint8_t[ENCODE_BOUND(n) + ENCODE_WINDOW_SIZE]);
    size_t stream_size;
    if (o.tool_stream) {
        stream_size = tool_stream(input.data(), n, stream.get());
    } else {
        std::unique_ptr<uint8_t[]> scratch(new uint8_t[ENCODE_SMALLEST_SCRATCH(n) + 1]);
        stream_size = encode_smallest(input.data(), n, stream.get(), ENCODE_BOUND(n),
                                      scratch.get());
    }
    if (!expands_to(stream.get(), stream_size, input))
        return fail(o, "its stream does not expand to it again");

    asset_text a;
    a.symbol = o.symbol;
    a.name = utf8(fs::path(o.file).filename().native());
    a.stream_size = stream_size;
    a.decoded_size = n;
    a.align = o.align;
    a.section = o.section;
    a.seek_spacing = o.seek_spacing;
    if (o.seek_spacing) {
        if (stream_size > UINT32_MAX)
            return fail(o, "its stream is too long for seek points (over 4 GiB)");
        const auto size = static_cast<uint32_t>(stream_size);
        const uint32_t count = index_stream(stream.get(), size, o.seek_spacing, nullptr, 0);
        if (count == UINT32_MAX)
            return fail(o, "it would have more seek points than 32 bits count");
        a.seek_points.resize(count);
        index_stream(stream.get(), size, o.seek_spacing, a.seek_points.data(), count);
    }

    std::error_code no_dir;
    fs::create_directories(out_dir, no_dir);
    fs::create_directories(header_dir, no_dir);
    const bool stream_file = o.how == embedding::incbin || o.how == embedding::embed;
    if (stream_file) {
        // The source names the stream by its whole path, so that it compiles
        // from any folder.
        a.stream_path =
            fs::absolute(fs::path(stream_name), no_dir).lexically_normal().generic_u8string();
        if (no_dir || a.stream_path.find_first_of("\"\n\r") != std::string::npos)
            return fail(o, "the path of " + utf8(stream_name) +
                               " cannot be named in a source (it holds a quote or a line end)");
        if (!write_output(stream_name, [&](auto &&put) { put(stream.get(), stream_size); }))
            return fail(o, "cannot write " + utf8(stream_name));
    } else {
        remove_file(stream_name);
    }
    const bool source_written = write_output(source_name, [&](auto &&put) {
        write_source_text(a, o.how, stream.get(),
                          [&](const std::string &piece) { put(piece.data(), piece.size()); });
    });
    if (!source_written)
        return fail(o, "cannot write " + utf8(source_name));
    if (!write_text(header_name, header_text(a)))
        return fail(o, "cannot write " + utf8(header_name));
    made.complete();
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    prepare_process();
    options o;
    const std::string wrong = parse_options(command_line_arguments(argc, argv), o);
    if (!wrong.empty()) {
        std::fprintf(stderr, "mavo_embed: %s\n%s", wrong.c_str(), usage);
        return 2;
    }
    return run(o);
}
