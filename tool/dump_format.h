// dump_format.h - the text of the .csv array dump: a size comment, then one
// "0x%02x," entry per stream byte with a line end after every sixteenth.
#pragma once

#include <cstddef>
#include <cstdint>

// Room format_dump_entries() needs for `n` stream bytes: five characters an
// entry, the line ends, and three bytes it may scribble past the last entry.
constexpr size_t dump_text_capacity(size_t n) { return n * 5 + n / 16 + 1 + 3; }

// Room format_dump_header() needs.
constexpr size_t dump_header_capacity = 64;

// Room format_kilobytes_one_decimal() needs: 20 digits, a point, a digit.
constexpr size_t kilobytes_text_capacity = 24;

// Writes bytes / 1024 with one decimal, rounded to nearest with halves to
// even, so that every platform prints the same text (the header's KB
// figure). Returns the length written.
size_t format_kilobytes_one_decimal(uint64_t bytes, char *out);

// Writes "/* %ubyte(%.1fKB) */\n" for the stream's size; returns its length.
size_t format_dump_header(uint64_t stream_size, char *out);

// Writes the entries for `n` stream bytes, the first of which is the
// stream's byte number `first_index` (counted from 0), so that line ends
// fall after every sixteenth entry of the whole dump wherever the chunks
// split it. Returns the number of characters written.
size_t format_dump_entries(const uint8_t *bytes, size_t n, uint64_t first_index,
                           char *out);
