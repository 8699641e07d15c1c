// dump_format.cpp - formats the array dump from a table of entries.
#include "dump_format.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t entry_size = 5; // "0x", two hex digits, ","
constexpr size_t entries_per_line = 16;

// "0x00," .. "0xff,", built once at compile time, each padded to eight
// bytes: an entry is copied as one eight-byte word, and the next entry
// overwrites the padding.
constexpr size_t padded_entry_size = 8;

struct entry_table {
    char text[256][padded_entry_size];

    constexpr entry_table() : text() {
        const char digits[] = "0123456789abcdef";
        for (int b = 0; b < 256; ++b) {
            text[b][0] = '0';
            text[b][1] = 'x';
            text[b][2] = digits[b >> 4];
            text[b][3] = digits[b & 15];
            text[b][4] = ',';
            text[b][5] = text[b][6] = text[b][7] = '\0';
        }
    }
};

constexpr entry_table entries;

char *put_entry(char *p, uint8_t byte) {
    std::memcpy(p, entries.text[byte], padded_entry_size);
    return p + entry_size;
}

} // namespace

size_t format_kilobytes_one_decimal(uint64_t bytes, char *out) {
    // Work on whole kilobytes and the remainder apart, so nothing overflows.
    uint64_t whole = bytes / 1024;
    const uint64_t rest_tenths_x1024 = (bytes % 1024) * 10;
    uint64_t tenth = rest_tenths_x1024 / 1024;
    const uint64_t left = rest_tenths_x1024 % 1024;
    if (left > 512 || (left == 512 && tenth % 2 == 1))
        ++tenth;
    if (tenth == 10) {
        ++whole;
        tenth = 0;
    }
    const int n = std::snprintf(out, kilobytes_text_capacity, "%" PRIu64 ".%u", whole,
                                static_cast<unsigned>(tenth));
    return n > 0 ? static_cast<size_t>(n) : 0;
}

size_t format_dump_header(uint64_t stream_size, char *out) {
    char kilobytes[kilobytes_text_capacity];
    format_kilobytes_one_decimal(stream_size, kilobytes);
    const int n = std::snprintf(out, dump_header_capacity,
                                "/* %" PRIu64 "byte(%sKB) */\n", stream_size,
                                kilobytes);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

size_t format_dump_entries(const uint8_t *bytes, size_t n, uint64_t first_index,
                           char *out) {
    char *p = out;
    size_t i = 0;
    // Entries up to the next line end, then whole lines, then the rest.
    size_t to_line_end = (entries_per_line - first_index % entries_per_line) %
                         entries_per_line;
    for (; i < n && to_line_end > 0; ++i, --to_line_end) {
        p = put_entry(p, bytes[i]);
        if (to_line_end == 1)
            *p++ = '\n';
    }
    for (; n - i >= entries_per_line; i += entries_per_line) {
        for (size_t k = 0; k < entries_per_line; ++k)
            p = put_entry(p, bytes[i + k]);
        *p++ = '\n';
    }
    for (; i < n; ++i)
        p = put_entry(p, bytes[i]);
    return static_cast<size_t>(p - out);
}
