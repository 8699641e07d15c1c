// mavo_embed.cpp - the mavo_embed command: files made ready to embed in a
// C or C++ program, in one process.
//
//   mavo_embed --symbol NAME [OPTION...] FILE
//   mavo_embed --table NAME [--base DIR] [OPTION...] FILE...
//
// Reads each FILE (mapped, never copied whole), encodes it (the shortest
// stream the format allows, or with --stream tool the very stream
// `mavo FILE` writes), expands the stream again and fails unless it gives
// FILE back, keeps the file's own bytes instead where --store says, and
// writes:
//   OUT/NAME.enc   the stream, or a table's streams back to back (for the
//                  incbin and embed ways)
//   OUT/NAME.c     the source that defines the array NAME[] and its
//                  descriptor NAME_asset (with --seek-spacing also
//                  NAME_seek[]), or the table NAME[] of mavo_asset entries
//                  sorted by path, NAME_find() and NAME_find_prefix(); C,
//                  and C++ but for the string way
//   HDR/NAME.h     its declarations and sizes
// A table's paths are relative to --base (the current folder by default).
//
// What it promises the files it touches: the inputs are only read, and
// none may be (or lead to) an output; nothing is written before every
// check has passed; each output is written under a temporary name and all
// of them move into place together once complete; an output whose bytes
// would not change is left as it is, its time included; a source or
// header that mavo_embed did not make is never replaced; and a failed run
// leaves every file as it was. Failures are said in UTF-8 on standard
// error, naming the file; a run that succeeds says what it saved on
// standard output.
//
// Exit status: 0 done, 1 failed, 2 the command line is wrong.
#include "embed_text.h"

#include "files.h"
#include "platform.h"

#include <mavo/codec.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace {

const char usage[] =
    "usage: mavo_embed --symbol NAME [OPTION...] FILE\n"
    "       mavo_embed --table NAME [--base DIR] [OPTION...] FILE...\n"
    "options: [--files-from LIST] [--output-dir DIR] [--header-dir DIR]\n"
    "         [--embedding incbin|embed|string|braces] [--stream smallest|tool]\n"
    "         [--store auto|never|always] [--align BYTES] [--section NAME]\n"
    "         [--seek-spacing BYTES] [--help] [--version] [--] [FILE...]\n"
    "LIST holds one FILE per line (UTF-8 on Windows). --align takes a power of two\n"
    "up to 65536. --store: never (the stream), always (the file's bytes), auto (the\n"
    "stream where it is smaller); the default is never for --symbol, auto for --table.\n";

// The largest --align: a flash erase block; beyond it an alignment only
// wastes memory (and MSVC's own limit is 8192).
constexpr uint32_t largest_align = 65536;

// A file whose size or stream does not fit 32 bits has no descriptor and
// cannot be a table's entry: the reader's offsets are 32-bit.
constexpr uint64_t largest_entry = UINT32_MAX;

// What a run writes for one FILE: its stream, its bytes, or whichever is
// smaller.
enum class store_mode { never, always, automatic };

struct options {
    lean_vector<native_string> files;
    native_string files_from;
    lean_string symbol; // one asset
    lean_string table;  // or a table
    native_string base;
    native_string output_dir;
    native_string header_dir;
    embedding how = embedding::incbin;
    bool tool_stream = false;
    bool store_given = false;
    store_mode store = store_mode::never;
    uint32_t align = 0;
    lean_string section;
    uint32_t seek_spacing = 0;
};

// An ASCII argument as text; empty when it holds anything else.
lean_string ascii(const native_string &arg) {
    lean_string out;
    for (auto c : arg) {
        if (c <= 0 || c >= 0x7f)
            return lean_string();
        out += static_cast<char>(static_cast<int>(c));
    }
    return out;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_identifier(const lean_string &s) {
    if (s.empty() || is_digit(s[0]))
        return false;
    for (char c : s)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || is_digit(c) || c == '_'))
            return false;
    return true;
}

// A whole number from 1 to 2^32 - 1; 0 for anything else.
uint32_t positive_number(const lean_string &s) {
    if (s.empty() || s.size() > 10 || s[0] == '0')
        return 0;
    for (char c : s)
        if (!is_digit(c))
            return 0;
    const unsigned long long value = std::strtoull(s.c_str(), nullptr, 10);
    return value <= UINT32_MAX ? static_cast<uint32_t>(value) : 0;
}

// Which of `count` choices `s` is, or -1.
int choice(const lean_string &s, const char *const *choices, int count) {
    for (int i = 0; i < count; ++i)
        if (s == choices[i])
            return i;
    return -1;
}

size_t smaller(size_t a, size_t b) { return a < b ? a : b; }

// Reads the command line into `o`; an empty result, or what is wrong.
// `--help` and `--version` come back as themselves.
lean_string parse_options(const lean_vector<native_string> &args, options &o) {
    bool only_files = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const lean_string arg = ascii(args[i]);
        if (only_files || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            o.files.push_back(args[i]);
            continue;
        }
        if (arg == "--")
            only_files = true;
        if (arg == "--" || arg == "--help" || arg == "--version") {
            if (arg != "--")
                return arg;
            continue;
        }
        if (i + 1 == args.size())
            return arg + " needs a value";
        const native_string &value = args[++i];
        const lean_string text = ascii(value);
        const lean_string shown = arg + " " + message_name(value);
        if (arg == "--symbol" || arg == "--table") {
            if (!is_identifier(text))
                return shown + " is not a C identifier";
            (arg == "--symbol" ? o.symbol : o.table) = text;
        } else if (arg == "--files-from") {
            o.files_from = value;
        } else if (arg == "--base") {
            o.base = value;
        } else if (arg == "--output-dir") {
            o.output_dir = value;
        } else if (arg == "--header-dir") {
            o.header_dir = value;
        } else if (arg == "--embedding") {
            // In the order of enum class embedding.
            static const char *const ways[] = {"incbin", "embed", "string", "braces"};
            const int way = choice(text, ways, 4);
            if (way < 0)
                return shown + " is not incbin, embed, string or braces";
            o.how = static_cast<embedding>(way);
        } else if (arg == "--stream") {
            static const char *const streams[] = {"smallest", "tool"};
            const int stream = choice(text, streams, 2);
            if (stream < 0)
                return shown + " is not smallest or tool";
            o.tool_stream = stream == 1;
        } else if (arg == "--store") {
            // In the order of enum class store_mode.
            static const char *const stores[] = {"never", "always", "auto"};
            const int store = choice(text, stores, 3);
            if (store < 0)
                return shown + " is not auto, never or always";
            o.store = static_cast<store_mode>(store);
            o.store_given = true;
        } else if (arg == "--align") {
            o.align = positive_number(text);
            if (o.align == 0 || (o.align & (o.align - 1)) != 0 || o.align > largest_align)
                return shown + " is not a power of two from 1 to " + decimal(largest_align);
        } else if (arg == "--section") {
            const bool name_ok = !text.empty() && text.find_first_not_of(
                "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_.$,") ==
                lean_string::npos;
            if (!name_ok)
                return shown + " is not a section name (letters, digits, . _ $ ,)";
            o.section = text;
        } else if (arg == "--seek-spacing") {
            o.seek_spacing = positive_number(text);
            if (o.seek_spacing == 0)
                return shown + " is not a number of bytes";
        } else {
            return "unknown option " + arg;
        }
    }
    if (o.files.empty() && o.files_from.empty())
        return "no FILE";
    if (o.symbol.empty() == o.table.empty())
        return "give --symbol for one FILE or --table for a table";
    if (!o.symbol.empty() && o.files.size() > 1)
        return "more than one FILE for --symbol (a table takes --table)";
    if (!o.store_given && !o.table.empty())
        o.store = store_mode::automatic;
    const native_string here(1, '.');
    if (o.base.empty())
        o.base = here;
    if (o.output_dir.empty())
        o.output_dir = here;
    if (o.header_dir.empty())
        o.header_dir = o.output_dir;
    return lean_string();
}

// A failure, said once, naming the file it concerns.
struct failure {
    native_string file;
    lean_string why;
};

// The file being read, for a failure that names no file of its own (memory
// that runs out).
const native_string *working_on = nullptr;

int report(const failure &f) {
    std::fprintf(stderr, "mavo_embed: %s: %s\n", message_name(f.file).c_str(), f.why.c_str());
    return 1;
}

// The lines of the file list: one name per line, a CR before the LF
// dropped (a list written on Windows), empty lines skipped.
bool read_file_list(const native_string &list, lean_vector<native_string> &files,
                    failure &f) {
    input_file in;
    if (!in.open(list)) {
        f = {list, "cannot open the file list: " + last_error_text()};
        return false;
    }
    lean_string text;
    char buffer[64 * 1024];
    for (size_t n; (n = in.read(buffer, sizeof buffer)) > 0;)
        text.append(buffer, n);
    if (in.failed()) {
        f = {list, "cannot read the file list: " + last_error_text()};
        return false;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == lean_string::npos)
            end = text.size();
        lean_string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            files.push_back(name_from_utf8(line));
        start = end + 1;
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
        const auto chunk = static_cast<uint32_t>(smaller(n - pos, size_t{1} << 20));
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

// True when `stream` expands to exactly src[0 .. n - 1].
bool expands_to(const uint8_t *stream, size_t stream_size, const uint8_t *src, size_t n) {
    codec_state state{};
    uint8_t out[64 * 1024];
    size_t done = 0;
    for (size_t pos = 0; pos < stream_size;) {
        const auto chunk =
            static_cast<uint32_t>(smaller(stream_size - pos, size_t{1} << 30));
        for (;;) {
            uint32_t len = 0;
            const int result = decode_block(stream + pos, &state, chunk, out, sizeof out, &len);
            if (len > n - done || std::memcmp(out, src + done, len) != 0)
                return false;
            done += len;
            if (result == STEP_NEED_INPUT)
                break;
        }
        pos += chunk;
    }
    return done == n;
}

// Bytes of the run's own, allocated without throwing (null when memory is
// short) and freed when they go.
class owned_bytes {
public:
    owned_bytes() = default;
    owned_bytes(const owned_bytes &) = delete;
    owned_bytes &operator=(const owned_bytes &) = delete;
    ~owned_bytes() { delete[] bytes_; }
    // Frees what there was and takes n bytes; false when there is no room.
    bool reset(size_t n) {
        delete[] bytes_;
        bytes_ = n > 0 ? new (std::nothrow) uint8_t[n] : nullptr;
        return bytes_ != nullptr || n == 0;
    }
    uint8_t *get() const { return bytes_; }

private:
    uint8_t *bytes_ = nullptr;
};

// One file as it goes into the program: its stream, or (stored) its own
// bytes, which stay in the mapping.
struct encoded_file {
    mapped_input input;
    owned_bytes stream; // untouched past `stream_size`
    size_t stream_size = 0;
    bool stored = false;
    lean_vector<codec_seek_point> seek_points;

    const uint8_t *bytes() const { return stored ? input.data() : stream.get(); }
    size_t size() const { return stored ? input.size() : stream_size; }
};

lean_string megabytes(uint64_t bytes) {
    return decimal((bytes + (1u << 20) - 1) >> 20) + " MiB";
}

// Makes the stream of e.input as the options say; false with `why` set.
bool make_stream(const options &o, encoded_file &e, lean_string &why) {
    const uint8_t *src = e.input.data();
    const size_t n = e.input.size();
    if (n > SIZE_MAX / 4) {
        why = "it is too large to encode on this machine";
        return false;
    }
    const size_t room = ENCODE_BOUND(n) + ENCODE_WINDOW_SIZE;
    owned_bytes scratch;
    if (!e.stream.reset(room) ||
        (!o.tool_stream && !scratch.reset(ENCODE_SMALLEST_SCRATCH(n) + 1))) {
        why = "not enough memory to encode it (it needs about " +
              megabytes(room + (o.tool_stream ? 0 : ENCODE_SMALLEST_SCRATCH(n))) + ")";
        return false;
    }
    e.stream_size = o.tool_stream
                        ? tool_stream(src, n, e.stream.get())
                        : encode_smallest(src, n, e.stream.get(), ENCODE_BOUND(n), scratch.get());
    if (!expands_to(e.stream.get(), e.stream_size, src, n)) {
        why = "its stream does not expand to it again";
        return false;
    }
    return true;
}

// Reads and encodes `file` as the options say; false with `why` set.
bool encode_file(const native_string &file, const options &o, encoded_file &e,
                 lean_string &why) {
    working_on = &file;
    if (!e.input.open(file, why))
        return false;
    const size_t n = e.input.size();
    if (o.store != store_mode::always && !make_stream(o, e, why))
        return false;
    e.stored = o.store == store_mode::always ||
               (o.store == store_mode::automatic && e.stream_size >= n);
    if (e.stored)
        e.stream.reset(0);
    if (o.seek_spacing && !e.stored) {
        if (e.stream_size > UINT32_MAX) {
            why = "its stream is too long for seek points (over 4 GiB)";
            return false;
        }
        const auto size = static_cast<uint32_t>(e.stream_size);
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

// 1234567 as "1,234,567".
lean_string with_commas(uint64_t n) {
    lean_string digits = decimal(n);
    for (size_t i = digits.size(); i > 3; i -= 3)
        digits.insert(i - 3, ",");
    return digits;
}

// The outputs of one run: their names, and whether the stream file is one
// of them (the incbin and embed ways read it).
struct output_set {
    native_string output_dir, header_dir;
    native_string stream, source, header;
    bool writes_stream;
    output_set(const options &o, const lean_string &name)
        : output_dir(o.output_dir), header_dir(o.header_dir),
          stream(join_path(o.output_dir, name_from_utf8(name + ".enc"))),
          source(join_path(o.output_dir, name_from_utf8(name + ".c"))),
          header(join_path(o.header_dir, name_from_utf8(name + ".h"))),
          writes_stream(o.how == embedding::incbin || o.how == embedding::embed) {}
};

// What mavo_embed writes into every source and header it makes, near the
// top: a file without it is the user's, and is never replaced.
const char mark[] = "generated by mavo_embed";

// The first `limit` bytes of a file (fewer when it is shorter).
lean_string head_of(const native_string &name, size_t limit) {
    input_file in;
    lean_string text(limit, '\0');
    if (!in.open(name))
        return lean_string();
    text.resize(in.read(&text[0], limit));
    return text;
}

bool exists(const native_string &name) { return identity_of_name(name).known; }

// The checks made before anything is written: no input is, or leads to
// (a link, a hard link), an output; and every output may be written and is
// mavo_embed's own or new.
bool check_outputs(const output_set &out, const lean_vector<native_string> &inputs,
                   failure &f) {
    // The stream file is named even where this run does not write one: a
    // stale one may be removed afterwards, and an input must never be.
    const native_string *names[] = {&out.stream, &out.source, &out.header};
    file_identity outputs[3];
    for (int i = 0; i < 3; ++i)
        outputs[i] = identity_of_name(*names[i]);
    for (const native_string &input : inputs) {
        const file_identity in = identity_of_name(input);
        for (int i = 0; i < 3; ++i)
            if (in.known && outputs[i].known && in.volume == outputs[i].volume &&
                in.index == outputs[i].index) {
                f = {input, "it is " + message_name(*names[i]) +
                                ", an output of this run; nothing was written"};
                return false;
            }
    }
    for (int i = 0; i < 3; ++i) {
        if (i == 0 && !out.writes_stream)
            continue;
        if (!may_replace(*names[i])) {
            f = {*names[i], "cannot write it: it is a folder, or a file that may not be written"};
            return false;
        }
        if (i > 0 && outputs[i].known && head_of(*names[i], 4096).find(mark) == lean_string::npos) {
            f = {*names[i], "it is there and was not made by mavo_embed; it is left as it is "
                            "(choose another --output-dir, --header-dir or name)"};
            return false;
        }
    }
    return true;
}

// One output, written whole under its temporary name.
struct pending_output {
    output_file file;
    bool ready = false;
};

template <class Fill>
bool write_pending(pending_output &p, const native_string &name, Fill fill, failure &f) {
    if (!p.file.open(name, output_file::mode::binary)) {
        f = {name, "cannot write it: " + p.file.error()};
        return false;
    }
    bool ok = true;
    fill([&](const void *data, size_t size) { ok = ok && p.file.write(data, size); });
    if (!ok || !p.file.finish()) {
        f = {name, "cannot write it: " + p.file.error()};
        return false;
    }
    p.ready = true;
    return true;
}

// Writes the stream file (where the way of embedding reads one), the source
// and the header, then moves them into place together. A stream file that
// an earlier run wrote, and that the replaced source named, goes once
// nothing names it any more. `write_source` hands the source's text on in
// pieces.
template <class WriteSource>
bool write_outputs(const output_set &out, const array_text &array, WriteSource write_source,
                   const lean_string &header, failure &f) {
    const native_string *const folders[] = {&out.output_dir, &out.header_dir};
    for (const native_string *dir : folders)
        if (!make_folders(*dir)) {
            f = {*dir, "cannot make the folder: " + last_error_text()};
            return false;
        }
    pending_output stream, source, head;
    if (out.writes_stream &&
        !write_pending(stream, out.stream, [&](auto &&put) { put(array.bytes, array.size); }, f))
        return false;
    if (!write_pending(source, out.source, [&](auto &&put) {
            write_source([&](const lean_string &piece) { put(piece.data(), piece.size()); });
        }, f))
        return false;
    if (!write_pending(head, out.header, [&](auto &&put) { put(header.data(), header.size()); },
                       f))
        return false;

    const lean_string stream_file = utf8_name(base_name(out.stream));
    const lean_string old_source = out.writes_stream ? lean_string() : head_of(out.source, 65536);
    const bool stale_stream = !out.writes_stream && exists(out.stream) &&
                              old_source.find(mark) != lean_string::npos &&
                              old_source.find(stream_file) != lean_string::npos;
    {
        signal_hold together;
        pending_output *const outputs[] = {&stream, &source, &head};
        for (pending_output *p : outputs) {
            if (p->ready && !p->file.move_into_place(true)) {
                f = {p->file.name(), "cannot move it into place: " + p->file.error()};
                return false;
            }
        }
    }
    if (stale_stream)
        remove_file(out.stream);
    return true;
}

// The path of the stream file as the source names it: whole, so that it
// compiles from any folder. Empty with `f` set when no source can name it.
bool name_stream_file(const output_set &out, array_text &array, failure &f) {
    if (!out.writes_stream)
        return true;
    const native_string path = absolute_path(out.stream);
    array.stream_path = utf8_name(path);
    if (path.empty() || array.stream_path.find_first_of("\"\n\r") != lean_string::npos) {
        f = {out.stream, "its path cannot be named in a source (it holds a quote or a line end)"};
        return false;
    }
    return true;
}

int embed_one(const options &o) {
    if (o.files.size() != 1)
        return report({o.files_from, "--symbol takes one FILE, and the list names " +
                                         decimal(o.files.size())});
    const native_string &file = o.files.front();
    const output_set out(o, o.symbol);
    failure f;
    if (!check_outputs(out, o.files, f))
        return report(f);
    encoded_file e;
    lean_string why;
    if (!encode_file(file, o, e, why))
        return report({file, why});

    asset_text a;
    a.array.symbol = o.symbol;
    a.array.bytes = e.bytes();
    a.array.size = e.size();
    a.array.align = o.align;
    a.array.section = o.section;
    a.name = utf8_name(base_name(file));
    a.decoded_size = e.input.size();
    a.stored = e.stored;
    a.seek_spacing = e.stored ? 0 : o.seek_spacing;
    a.seek_points = std::move(e.seek_points);
    if (a.decoded_size > largest_entry || a.array.size > largest_entry)
        a.no_descriptor = "the file or its array is over 4 GiB, past the 32-bit offsets of "
                          "<mavo/assets.h>'s reader";
    if (!name_stream_file(out, a.array, f) ||
        !write_outputs(
            out, a.array, [&](const text_writer &write) { write_source_text(a, o.how, write); },
            header_text(a), f))
        return report(f);
    std::printf("mavo: %s (%s): %s -> %s bytes%s\n", o.symbol.c_str(),
                message_name(base_name(file)).c_str(),
                with_commas(a.decoded_size).c_str(), with_commas(a.array.size).c_str(),
                a.stored ? ", stored" : "");
    return 0;
}

// A file's path in a table: relative to the base folder, `/` between
// names, UTF-8; empty when the file does not lie inside the base folder.
lean_string table_path(const native_string &file, const native_string &base) {
    const lean_string from = utf8_name(absolute_path(base));
    const lean_string path = utf8_name(absolute_path(file));
    if (from.empty() || path.size() <= from.size() + 1 || path.compare(0, from.size(), from) != 0)
        return lean_string();
    if (from.back() == '/')
        return path.substr(from.size());
    return path[from.size()] == '/' ? path.substr(from.size() + 1) : lean_string();
}

int embed_table(const options &o) {
    const output_set out(o, o.table);
    failure f;
    if (!check_outputs(out, o.files, f))
        return report(f);
    table_text t;
    t.name = o.table;
    t.seek_spacing = o.seek_spacing;
    lean_vector<uint8_t> bytes;
    uint64_t files_size = 0;
    size_t stored = 0;
    for (const native_string &file : o.files) {
        lean_string why;
        encoded_file e;
        if (!encode_file(file, o, e, why))
            return report({file, why});
        table_entry entry;
        entry.path = table_path(file, o.base);
        if (entry.path.empty())
            return report({file, "it does not lie inside the table's folder " +
                                     message_name(o.base)});
        if (e.input.size() > largest_entry || e.size() > largest_entry)
            return report({file, "it is " + with_commas(e.input.size()) +
                                     " bytes (its stream " + with_commas(e.size()) +
                                     "), more than a table's entry holds: 4 GiB - 1, the "
                                     "reader's 32-bit offsets; embed it on its own"});
        // Each entry starts where its alignment says, counted from the
        // array's start, which is aligned as much.
        const uint32_t align = o.align ? o.align : 1;
        bytes.resize((bytes.size() + align - 1) / align * align);
        entry.offset = bytes.size();
        entry.stream_size = e.size();
        entry.decoded_size = e.input.size();
        entry.stored = e.stored;
        entry.seek_points = std::move(e.seek_points);
        bytes.append(e.bytes(), e.size());
        files_size += e.input.size();
        stored += e.stored ? 1 : 0;
        t.entries.push_back(std::move(entry));
    }
    // Sorted by the paths' bytes, as the lookup's comparison orders them
    // (the entries stand in the files' order: an entry's place names its
    // file).
    lean_vector<const table_entry *> order;
    for (const table_entry &entry : t.entries)
        order.push_back(&entry);
    std::qsort(order.data(), order.size(), sizeof order[0], [](const void *a, const void *b) {
        return (*static_cast<const table_entry *const *>(a))
            ->path.compare((*static_cast<const table_entry *const *>(b))->path);
    });
    lean_vector<table_entry> sorted;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && order[i]->path == order[i - 1]->path)
            return report({o.files[static_cast<size_t>(order[i] - t.entries.data())],
                           "two files have the path " + order[i]->path});
        sorted.push_back(*order[i]);
    }
    t.entries = std::move(sorted);
    t.array.symbol = o.table + "_streams";
    t.array.bytes = bytes.data();
    t.array.size = bytes.size();
    t.array.align = o.align;
    t.array.section = o.section;
    if (!name_stream_file(out, t.array, f) ||
        !write_outputs(
            out, t.array,
            [&](const text_writer &write) { write_table_source_text(t, o.how, write); },
            table_header_text(t), f))
        return report(f);
    std::printf("mavo: %s (%s file%s): %s -> %s bytes, %s stored\n", o.table.c_str(),
                with_commas(t.entries.size()).c_str(), t.entries.size() == 1 ? "" : "s",
                with_commas(files_size).c_str(), with_commas(bytes.size()).c_str(),
                with_commas(stored).c_str());
    return 0;
}

// `o` is main's, which outlives the run: working_on may point into it.
int run(options &o) {
    failure f;
    if (!o.files_from.empty() && !read_file_list(o.files_from, o.files, f))
        return report(f);
    if (o.files.empty())
        return report({o.files_from, "the file list names no file"});
    return o.table.empty() ? embed_one(o) : embed_table(o);
}

} // namespace

int main(int argc, char **argv) {
    prepare_process();
    options o;
    const lean_vector<native_string> args = command_line_arguments(argc, argv);
    const lean_string wrong = parse_options(args, o);
    if (wrong == "--help") {
        std::fputs(usage, stdout);
        return 0;
    }
    if (wrong == "--version") {
        std::printf("mavo_embed %s\n", MAVO_VERSION);
        return 0;
    }
    if (!wrong.empty()) {
        std::fprintf(stderr, "mavo_embed: %s\n%s", wrong.c_str(), usage);
        return 2;
    }
    // Memory that runs out anywhere (a table's array, the text of a large
    // source) is a failure like any other: what was written goes, nothing
    // of the user's changes.
    try {
        return run(o);
    } catch (const std::bad_alloc &) {
        const native_string &file = working_on ? *working_on : o.files_from;
        return report({file, "not enough memory (what was written so far is gone)"});
    }
}
