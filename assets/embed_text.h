// embed_text.h - the C that mavo_embed writes for one asset: the header
// that declares its stream, and the source that defines it, in each of the
// ways a compiler can take a stream in.
#pragma once

#include <mavo/codec.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How the source puts the stream into the program.
enum class embedding {
    incbin, // the assembler reads the stream file (.incbin): GNU-compatible compilers
    embed,  // the preprocessor reads the stream file (#embed): C23 compilers
    string, // string literals of 4096 bytes a row: any C compiler (not C++)
    braces, // a list of byte values: any C or C++ compiler, the slowest to compile
};

// Everything the texts say about one asset.
struct asset_text {
    std::string symbol;      // the array's name, a C identifier
    std::string name;        // the file's name (UTF-8), for the comments
    std::string stream_path; // the stream file as the source names it (incbin, embed)
    uint64_t stream_size = 0;
    uint64_t decoded_size = 0;
    uint32_t align = 0;      // 0: the type's own alignment
    std::string section;     // empty: the default section (flash on AVR)
    uint32_t seek_spacing = 0;                 // 0: no seek points
    std::vector<codec_seek_point> seek_points; // index_stream()'s, at seek_spacing
};

// The header: an include guard, the declaration with C linkage, and the
// SIZE, DECODED_SIZE and IN_PROGMEM macros (and the seek points' ones).
std::string header_text(const asset_text &a);

// The source that defines the array (and its seek points), handed to
// `write` piece by piece so that a large stream written out as text never
// stands in memory whole. `stream` is needed for the string and braces
// ways only. It compiles as C, and as C++ but for the string way.
void write_source_text(const asset_text &a, embedding how, const uint8_t *stream,
                       const std::function<void(const std::string &)> &write);
