// mavo_embed.cpp - the mavo_embed command: files made ready to embed in a
// C or C++ program, in one process.
//
//   mavo_embed --symbol NAME [OPTION...] FILE
//   mavo_embed --table NAME [--base DIR] [OPTION...] FILE...
//
// Reads each FILE, encodes it (the shortest stream the format allows, or
// with --stream tool the very stream `mavo FILE` writes), expands the
// stream again and fails unless it gives FILE back, and writes:
//   OUT/NAME.enc   the stream, or a table's streams back to back (for the
//                  incbin and embed ways)
//   OUT/NAME.c     the source that defines the array NAME[] (with
//                  --seek-spacing also NAME_seek[]), or the table NAME[] of
//                  mavo_asset entries sorted by path and NAME_find(); C,
//                  and C++ but for the string way
//   HDR/NAME.h     its declarations and sizes
// A table's paths are relative to --base (the current folder by default).
// Each output is written under a temporary name and moved into place once
// complete; when anything fails, none of them is left, and the message
// (UTF-8, on standard error) names the file. The files are only read.
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
    "usage: mavo_embed --symbol NAME [OPTION...] FILE\n"
    "       mavo_embed --table NAME [--base DIR] [OPTION...] FILE...\n"
    "options: [--output-dir DIR] [--header-dir DIR] [--embedding incbin|embed|string|braces]\n"
    "         [--stream smallest|tool] [--align BYTES] [--section NAME] [--seek-spacing BYTES]\n";

struct options {
    std::vector<native_string> files;
    std::string symbol; // one asset
    std::string table;  // or a table
    native_string base;
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
            o.files.push_back(args[i]);
            continue;
        }
        if (i + 1 == args.size())
            return arg + " needs a value";
        const native_string &value = args[++i];
        const std::string text = ascii(value);
        if (arg == "--symbol" || arg == "--table") {
            if (!is_identifier(text))
                return arg + " " + text + " is not a C identifier";
            (arg == "--symbol" ? o.symbol : o.table) = text;
        } else if (arg == "--base") {
            o.base = value;
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
    if (o.files.empty())
        return "no FILE";
    if (o.symbol.empty() == o.table.empty())
        return "give --symbol for one FILE or --table for a table";
    if (!o.symbol.empty() && o.files.size() > 1)
        return "more than one FILE for --symbol (a table takes --table)";
    if (o.base.empty())
        o.base = fs::path(".").native();
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

// One file's stream, checked, with its seek points.
struct encoded_file {
    std::unique_ptr<uint8_t[]> stream; // untouched past `size`: a large file costs no more
    size_t size = 0;
    uint64_t decoded_size = 0;
    std::vector<codec_seek_point> seek_points;
};

// Reads and encodes `file` as the options say; false with `why` set when it
// cannot be.
bool encode_file(const native_string &file, const options &o, encoded_file &e, std::string &why) {
    std::vector<uint8_t> input;
    if (!read_whole_file(file, input, why))
        return false;
    const size_t n = input.size();
    e.decoded_size = n;
    e.stream.reset(new uint8_t[ENCODE_BOUND(n) + ENCODE_WINDOW_SIZE]);
    if (o.tool_stream) {
        e.size = tool_stream(input.data(), n, e.stream.get());
    } else {
        std::unique_ptr<uint8_t[]> scratch(new uint8_t[ENCODE_SMALLEST_SCRATCH(n) + 1]);
        e.size = encode_smallest(input.data(), n, e.stream.get(), ENCODE_BOUND(n), scratch.get());
    }
    if (!expands_to(e.stream.get(), e.size, input)) {
        why = "its stream does not expand to it again";
        return false;
    }
    if (o.seek_spacing) {
        if (e.size > UINT32_MAX) {
            why = "its stream is too long for seek points (over 4 GiB)";
            return false;
        }
        const auto size = static_cast<uint32_t>(e.size);
        const uint32_t count = index_stream(e.stream.get(), size, o.seek_spacing, nullptr, 0);
        if (count == UINT32_MAX) {
            why = "it would have more seek points than 32 bits count";
            return false;
        }
        e.seek_points.resize(count);
        index_stream(e.stream.get(), size, o.seek_spacing, e.seek_points.data(), count);
    }
    return true;
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

int fail(const native_string &file, const std::string &why) {
    std::fprintf(stderr, "mavo_embed: %s: %s\n", utf8(file).c_str(), why.c_str());
    return 1;
}

// The names of one run's outputs.
struct output_names {
    native_string stream, source, header;
    output_names(const options &o, const std::string &name)
        : stream((fs::path(o.output_dir) / (name + ".enc")).native()),
          source((fs::path(o.output_dir) / (name + ".c")).native()),
          header((fs::path(o.header_dir) / (name + ".h")).native()) {}
};

// Writes the stream file where the way of embedding reads one, naming it in
// `array` as the source will; removes any old one elsewhere. An empty
// result, or what failed.
std::string write_stream_file(const options &o, const output_names &names, array_text &array) {
    std::error_code no_dir;
    fs::create_directories(fs::path(o.output_dir), no_dir);
    fs::create_directories(fs::path(o.header_dir), no_dir);
    if (o.how != embedding::incbin && o.how != embedding::embed) {
        remove_file(names.stream);
        return std::string();
    }
    // The source names the stream by its whole path, so that it compiles
    // from any folder.
    array.stream_path =
        fs::absolute(fs::path(names.stream), no_dir).lexically_normal().generic_u8string();
    if (no_dir || array.stream_path.find_first_of("\"\n\r") != std::string::npos)
        return "the path of " + utf8(names.stream) +
               " cannot be named in a source (it holds a quote or a line end)";
    if (!write_output(names.stream, [&](auto &&put) { put(array.bytes, array.size); }))
        return "cannot write " + utf8(names.stream);
    return std::string();
}

// Writes the source and then the header; an empty result, or what failed.
template <class WriteSource>
std::string write_source_and_header(const output_names &names, WriteSource write_source,
                                    const std::string &header) {
    const bool source_written = write_output(names.source, [&](auto &&put) {
        write_source([&](const std::string &piece) { put(piece.data(), piece.size()); });
    });
    if (!source_written)
        return "cannot write " + utf8(names.source);
    if (!write_output(names.header, [&](auto &&put) { put(header.data(), header.size()); }))
        return "cannot write " + utf8(names.header);
    return std::string();
}

int embed_one(const options &o) {
    const native_string &file = o.files.front();
    const output_names names(o, o.symbol);
    // Whatever an earlier run left goes too should this one fail, so that
    // no build takes a stale stream or header for current.
    outputs made({names.stream, names.source, names.header});
    encoded_file e;
    std::string why;
    if (!encode_file(file, o, e, why))
        return fail(file, why);

    asset_text a;
    a.array.symbol = o.symbol;
    a.array.bytes = e.stream.get();
    a.array.size = e.size;
    a.array.align = o.align;
    a.array.section = o.section;
    a.name = utf8(fs::path(file).filename().native());
    a.decoded_size = e.decoded_size;
    a.seek_spacing = o.seek_spacing;
    a.seek_points = std::move(e.seek_points);
    why = write_stream_file(o, names, a.array);
    if (why.empty())
        why = write_source_and_header(
            names, [&](const text_writer &write) { write_source_text(a, o.how, write); },
            header_text(a));
    if (!why.empty())
        return fail(file, why);
    made.complete();
    return 0;
}

// A file's path in a table: relative to the base folder, `/` between
// names, UTF-8; empty when the file does not lie inside the base folder.
std::string table_path(const native_string &file, const native_string &base) {
    std::error_code no_path;
    const fs::path from = fs::absolute(fs::path(base), no_path).lexically_normal();
    const fs::path relative =
        fs::absolute(fs::path(file), no_path).lexically_normal().lexically_relative(from);
    const std::string path = relative.generic_u8string();
    if (no_path || path.empty() || path == "." || path.compare(0, 2, "..") == 0)
        return std::string();
    return path;
}

int embed_table(const options &o) {
    const output_names names(o, o.table);
    outputs made({names.stream, names.source, names.header});
    table_text t;
    t.name = o.table;
    t.seek_spacing = o.seek_spacing;
    std::vector<uint8_t> streams;
    std::vector<std::pair<std::string, size_t>> order; // path, file's place
    for (const native_string &file : o.files) {
        std::string why;
        encoded_file e;
        if (!encode_file(file, o, e, why))
            return fail(file, why);
        table_entry entry;
        entry.path = table_path(file, o.base);
        if (entry.path.empty())
            return fail(file, "it does not lie inside the table's folder " + utf8(o.base));
        // Each stream starts where its alignment says, counted from the
        // array's start, which is aligned as much.
        const uint32_t align = o.align ? o.align : 1;
        streams.resize((streams.size() + align - 1) / align * align);
        entry.offset = streams.size();
        entry.stream_size = e.size;
        entry.decoded_size = e.decoded_size;
        entry.seek_points = std::move(e.seek_points);
        streams.insert(streams.end(), e.stream.get(), e.stream.get() + e.size);
        order.emplace_back(entry.path, t.entries.size());
        t.entries.push_back(std::move(entry));
    }
    // Sorted by the paths' bytes, as the lookup's comparison orders them.
    std::sort(order.begin(), order.end());
    std::vector<table_entry> sorted;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && order[i].first == order[i - 1].first)
            return fail(o.files[order[i].second], "two files have the path " + order[i].first);
        sorted.push_back(std::move(t.entries[order[i].second]));
    }
    t.entries = std::move(sorted);
    t.array.symbol = o.table + "_streams";
    t.array.bytes = streams.data();
    t.array.size = streams.size();
    t.array.align = o.align;
    t.array.section = o.section;
    std::string why = write_stream_file(o, names, t.array);
    if (why.empty())
        why = write_source_and_header(
            names, [&](const text_writer &write) { write_table_source_text(t, o.how, write); },
            table_header_text(t));
    if (!why.empty())
        return fail(o.files.front(), why);
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
    return o.table.empty() ? embed_one(o) : embed_table(o);
}
