// internal.h - what the codec's sources share and programs never see: the
// kinds of section and how far a count byte reaches, the rules by which a
// decoder steps from section to section (decode_step(), decode_block() and
// the seek's walk all follow them), and the helpers that scan input a
// machine word of bytes at a time. Installed only beside the sources, for
// a build of the codec from them.
#ifndef MAVO_CODEC_INTERNAL_H
#define MAVO_CODEC_INTERNAL_H

#include "codec.h"

#include <stddef.h>
#include <stdint.h>
// The C header, not <cstring>: toolchains for microcontrollers often have a
// C++ compiler without the C++ library's headers.
#include <string.h>

namespace codec_internal {

// codec_state's mode: the kind of the open section.
constexpr uint8_t literal_mode = 0;
constexpr uint8_t run_mode = 1;

// The most bytes one section gives: what its count byte holds at most.
constexpr unsigned max_count = 255;

template <typename Number>
Number smaller(Number a, Number b) { return a < b ? a : b; }

// The decoder's fields of codec_state between the calls of a pass (out_pos
// and produced are always 0 then):
//   mode 0, count 0   the next stream byte is a literal section's count
//   mode 0, count c   c literal bytes of the open section are still to come
//   mode 1, count 0   the next stream byte is a run section's count
//   mode 1, count c   c repeats are still to come; in_pos stays on the run's
//                     count byte until the last repeat is out, so a chunk
//                     never runs out in the middle of a run
// A reader is a call's working copy of them, which steps from section to
// section by these rules (decode_step() and the seek's walk use it;
// decode_block() follows the same rules with its fields kept in the
// record, for the reasons decoder.cpp gives). The encoder's fields are
// left as they are.
struct reader {
    uint8_t mode;
    uint8_t count;
    uint8_t last;
    uint32_t in; // the position in the chunk

    void store(codec_state &s) const {
        s.mode = mode;
        s.count = count;
        s.last = last;
    }

    // Takes the count byte b under `in`: opens the section it counts, or,
    // for an empty one, moves straight on to the section after it. A run's
    // count byte stays unread until its run is out.
    void take_count_byte(uint8_t b) {
        count = b;
        if (mode == literal_mode) {
            ++in;
            if (b == 0)
                mode = run_mode;
        } else if (b == 0) {
            ++in;
            mode = literal_mode;
        }
    }

    // The open section has given its last byte: a literal section is
    // followed by a run section, and a run's count byte is done with.
    void close_section() {
        if (mode == literal_mode) {
            mode = run_mode;
        } else {
            ++in;
            mode = literal_mode;
        }
    }
};

// Scanning a machine word of bytes at a time. A word is no wider than the
// core's registers: 8 bytes on 64-bit hosts, 4 on 32-bit cores, 2 on AVR,
// which keeps small cores from calling 64-bit helper routines.
typedef size_t word;
constexpr unsigned word_bytes = sizeof(word);
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

} // namespace codec_internal

#endif // MAVO_CODEC_INTERNAL_H
