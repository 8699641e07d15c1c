// embed_text.h - the C that mavo_embed writes: for one asset, the header
// that declares its array and descriptor and the source that defines them;
// for a table of assets, the header that declares the table and the source
// that defines it with its streams (or files' bytes) and its lookups by
// path. The bytes go in by each of the ways a compiler can take them.
#pragma once

#include "lean.h"

#include <mavo/codec.h>

#include <cstdint>
#include <type_traits>

// How the source puts stream bytes into the program.
enum class embedding {
    incbin, // the assembler reads the stream file (.incbin): GNU-compatible compilers
    embed,  // the preprocessor reads the stream file (#embed): C23 compilers
    string, // string literals of 4096 bytes a row: any C compiler (not C++)
    braces, // a list of byte values: any C or C++ compiler, the slowest to compile
};

// Hands a piece of text on, so that a large stream written out as text
// never stands in memory whole: a view of any callable taking the text,
// good for the call it is passed to (std::function's header would cost
// every build that makes mavo_embed more than this does).
class text_writer {
public:
    template <class Write>
    text_writer(Write &&write) // NOLINT: made from a lambda where it is passed
        : write_(const_cast<void *>(static_cast<const void *>(&write))),
          call_([](void *w, const lean_string &text) {
              (*static_cast<typename std::remove_reference<Write>::type *>(w))(text);
          }) {}
    void operator()(const lean_string &text) const { call_(write_, text); }

private:
    void *write_;
    void (*call_)(void *, const lean_string &);
};

// One array of stream bytes in the program and where it goes.
struct array_text {
    lean_string symbol;      // the array's name, a C identifier
    lean_string stream_path; // the file of its bytes as the source names it (incbin, embed)
    const uint8_t *bytes = nullptr; // its bytes (string, braces)
    uint64_t size = 0;
    uint32_t align = 0;  // 0: the type's own alignment
    lean_string section; // empty: the default section (flash on AVR)
};

// One asset: its stream (or, stored, the file's bytes) as an array of its
// own, and its descriptor <symbol>_asset for <mavo/assets.h>'s reader.
struct asset_text {
    array_text array;
    lean_string name; // the file's name (UTF-8), for the comments and the descriptor
    uint64_t decoded_size = 0;
    bool stored = false;                       // the array holds the file's bytes
    lean_string no_descriptor;                 // why there is none; empty: there is one
    uint32_t seek_spacing = 0;                 // 0: no seek points
    lean_vector<codec_seek_point> seek_points; // index_stream()'s, at seek_spacing
};

// The header: an include guard, the declarations with C linkage, and the
// SIZE, DECODED_SIZE, STORED and IN_PROGMEM macros (and the seek points'
// ones).
lean_string header_text(const asset_text &a);

// The source that defines the array, its descriptor (and its seek points).
// It compiles as C, and as C++ but for the string way.
void write_source_text(const asset_text &a, embedding how, const text_writer &write);

// One file of a table: its stream (or, stored, its bytes) lies in the
// table's array at `offset`.
struct table_entry {
    lean_string path; // relative to the table's folder, `/` between names, UTF-8
    uint64_t offset = 0;
    uint64_t stream_size = 0; // bytes at offset
    uint64_t decoded_size = 0;
    bool stored = false;
    lean_vector<codec_seek_point> seek_points;
};

// A table of files: all their streams in one array, the entries sorted by
// path.
struct table_text {
    lean_string name;  // the table's name, a C identifier
    array_text array;  // the streams, back to back (aligned as each asks)
    uint32_t seek_spacing = 0;
    lean_vector<table_entry> entries;
};

// The table's header: `const mavo_asset <name>[]`, <NAME>_COUNT,
// <NAME>_IN_PROGMEM, `<name>_find()` and `<name>_find_prefix()`.
lean_string table_header_text(const table_text &t);

// The source that defines the table, its streams, paths and seek points,
// `<name>_find()`, a binary search over the paths, and
// `<name>_find_prefix()`.
void write_table_source_text(const table_text &t, embedding how, const text_writer &write);
