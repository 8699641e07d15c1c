// decoder.cpp - decode_step(), decode_block() and decoded_size(), the
// expanding side of the codec declared in codec.h.
//
// decode_step() is kept small for firmware that wants the byte-at-a-time
// interface only; decode_block() is the bulk decoder. Both follow the same
// state rules, so a pass may mix them call by call:
//   mode 0, count 0   the next stream byte is a literal section's count
//   mode 0, count c   c literal bytes of the open section are still to come
//   mode 1, count 0   the next stream byte is a run section's count
//   mode 1, count c   c repeats are still to come; in_pos stays on the run's
//                     count byte until the last repeat is out, so a chunk
//                     never runs out in the middle of a run
// Between the calls of a pass out_pos and produced are always 0.
//
// The code suits 8-bit cores as well as 64-bit ones: a call keeps the
// fields it needs in registers (a copy of the whole record, and 32-bit
// positions and lengths beside it, would take a stack frame on AVR), keeps
// each copy's length in a byte, and never adds 64-bit numbers in a loop.
#include "codec.h"

// The C header, not <cstring>: toolchains for microcontrollers often have a
// C++ compiler without the C++ library's headers.
#include <string.h>

namespace {

constexpr uint8_t literal_mode = 0;
constexpr uint8_t run_mode = 1;

size_t smaller_size(size_t a, size_t b) { return a < b ? a : b; }

// A call's working copy of the decoder's fields of codec_state; the
// encoder's fields are left as they are. The position in the chunk is an
// index in decode_step() and a pointer in decode_block(), the smaller code
// for each on every core; either steps on by one.
template <typename Position>
struct reader {
    uint8_t mode;
    uint8_t count;
    uint8_t last;
    Position in;

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

} // namespace

extern "C" int decode_step(const uint8_t *src, codec_state *state,
                           uint32_t src_len, uint8_t *window,
                           uint32_t *len_acc) {
    reader<uint32_t> r{state->mode, state->count, state->last, state->in_pos};
    while (r.in < src_len) {
        if (r.count == 0) {
            r.take_count_byte(src[r.in]);
            continue;
        }
        if (r.mode == literal_mode)
            r.last = src[r.in++];
        if (--r.count == 0)
            r.close_section();
        window[0] = r.last;
        if (len_acc)
            *len_acc += 1;
        r.store(*state);
        state->in_pos = r.in;
        return STEP_OUTPUT_READY;
    }
    r.store(*state);
    state->in_pos = 0;
    return STEP_NEED_INPUT;
}

extern "C" int decode_block(const uint8_t *src, codec_state *state,
                            uint32_t src_len, uint8_t *dst, uint32_t dst_cap,
                            uint32_t *len_acc) {
    if (dst_cap == 0)
        return 0;
    // A position past the chunk's end (a state that belongs with another
    // chunk) starts at the end: nothing is read, as when the index is
    // compared with the length.
    const uint8_t *const end = src + src_len;
    reader<const uint8_t *> r{state->mode, state->count, state->last,
                              state->in_pos < src_len ? src + state->in_pos : end};
    uint8_t *out = dst;
    uint8_t *const out_end = dst + dst_cap;
    // Stop as soon as dst is full, before looking at another count byte,
    // exactly where decode_step() would hand its byte back.
    while (out != out_end && r.in != end) {
        if (r.count == 0) {
            r.take_count_byte(*r.in);
            continue;
        }
        // A section has at most 255 bytes to go, so each copy's length fits
        // a byte: narrow arithmetic on small cores, and no loss converting
        // it to any size_t.
        uint8_t n = r.count;
        if (static_cast<size_t>(out_end - out) < n)
            n = static_cast<uint8_t>(out_end - out);
        if (r.mode == literal_mode) {
            if (static_cast<size_t>(end - r.in) < n)
                n = static_cast<uint8_t>(end - r.in);
            memcpy(out, r.in, n);
            r.in += n;
            r.last = r.in[-1];
        } else {
            memset(out, r.last, n);
        }
        out += n;
        r.count = static_cast<uint8_t>(r.count - n);
        if (r.count == 0)
            r.close_section();
    }
    // A chunk or buffer is never longer than the memory it lies in, so the
    // differences fit size_t, and uint32_t as the caller's lengths did.
    if (len_acc)
        *len_acc += static_cast<uint32_t>(static_cast<size_t>(out - dst));
    r.store(*state);
    if (out == out_end) {
        state->in_pos = static_cast<uint32_t>(static_cast<size_t>(r.in - src));
        return STEP_OUTPUT_READY;
    }
    state->in_pos = 0;
    return STEP_NEED_INPUT;
}

extern "C" uint64_t decoded_size(const uint8_t *src, size_t src_len) {
    // Sections alternate from a literal one: count bytes at known places.
    // The sum is kept in two 32-bit words, the high one taking the carries:
    // small cores have no 64-bit adder, and a 64-bit add in the loop would
    // call a helper routine for every section. Where size_t is narrow (16
    // bits on AVR) no stream expands past 32 bits, and the high word goes.
    // (Said with sizeof: a comparison of the limits warns under -Wextra.)
    const bool sum_fits_32_bits = sizeof(size_t) <= 2;
    uint32_t low = 0;
    uint32_t high = 0;
    size_t pos = 0;
    while (pos < src_len) {
        const uint8_t literal_count = src[pos++];
        const size_t literals = smaller_size(literal_count, src_len - pos);
        pos += literals;
        uint32_t pair = static_cast<uint32_t>(literals);
        if (pos < src_len)
            pair += src[pos++]; // a run's count byte: that many repeats
        low += pair;
        if (!sum_fits_32_bits && low < pair)
            ++high;
    }
    if (sum_fits_32_bits)
        return low;
    return static_cast<uint64_t>(high) << 32 | low;
}
