// word_scan.h - the codec's own helpers for scanning input a machine word
// of bytes at a time; not part of the public header.
//
// A word is no wider than the core's registers: 8 bytes on 64-bit hosts, 4
// on 32-bit cores, 2 on AVR, which keeps small cores from calling 64-bit
// helper routines.
#ifndef MAVO_CODEC_WORD_SCAN_H
#define MAVO_CODEC_WORD_SCAN_H

#include <stddef.h>
#include <stdint.h>
// The C header, not <cstring>: toolchains for microcontrollers often have a
// C++ compiler without the C++ library's headers.
#include <string.h>

namespace word_scan {

typedef size_t word;
// (size_t is never narrower than int, so these stay words without a cast.)
constexpr word ones = ~word{0} / 0xFFu; // 0x0101..01
constexpr word highs = ones << 7;       // 0x8080..80

inline word load_word(const uint8_t *p) {
    word v;
    memcpy(&v, p, sizeof v);
    return v;
}

// True when any of the bytes of x is zero.
inline bool has_zero_byte(word x) { return ((x - ones) & ~x & highs) != 0; }

} // namespace word_scan

#endif // MAVO_CODEC_WORD_SCAN_H
