// decoder.cpp - decode_step(), decode_block() and decoded_size(), the
// expanding side of the codec declared in codec.h.
//
// decode_step() is kept small for firmware that wants the byte-at-a-time
// interface only; decode_block() is the bulk decoder. Both follow the same
// state rules (internal.h), so a pass may mix them call by call.
//
// The code suits 8-bit cores as well as 64-bit ones: a call keeps what it
// works on in registers (a copy of the whole record, and 32-bit positions
// and lengths beside it, would take a stack frame on AVR), keeps each
// copy's length in a byte, and never adds 64-bit numbers in a loop.
//
// decode_block() is also called once per small buffer (256 bytes on a chip
// with 2 KiB of RAM), so what a call costs besides its copies counts as
// much as the copies: see block_pass and decode_block() below.
#include "internal.h"

using namespace codec_internal;

namespace {

// decode_block()'s pass through one chunk into one buffer. mode, count and
// last stay in the caller's record, read and written where they change:
// on AVR every register that a call keeps across memcpy() and memset() is
// saved and restored on each call, and there these fields cost less in
// memory than in registers. The run bytes met on the way are counted and
// written in one memset() just before the next literal copy, or at the
// end of the call: a run of more than 255 repeats (runs split by empty
// literal sections) then takes one memset() per buffer, as one section
// would.
struct block_pass {
    const uint8_t *in;
    const uint8_t *end;
    uint8_t *out;
    uint8_t *out_end;
    codec_state *state;

    // The buffer is full or the chunk consumed. Checked before every count
    // byte, so a call stops exactly where decode_step() would.
    bool stopped() const { return out == out_end || in == end; }

    // How many of the open section's `count` bytes fit the buffer. A
    // section has at most 255 bytes to go, so each copy's length fits a
    // byte: narrow arithmetic on small cores, and no loss converting it to
    // any size_t.
    uint8_t fitting(uint8_t count) const {
        return static_cast<size_t>(out_end - out) < count ? static_cast<uint8_t>(out_end - out)
                                                          : count;
    }

    // Reads count bytes and takes run bytes (counted in `out`, not yet
    // written) until literal bytes are next: true then, false when the
    // pass stops first. A count byte that opens a run goes straight on to
    // the run, and one that opens literals checks only the chunk: nothing
    // else has moved since the last check.
    bool reach_literals() {
        for (;;) {
            if (stopped())
                return false;
            if (state->count == 0) {
                const uint8_t count = *in;
                state->count = count;
                if (state->mode == literal_mode) {
                    ++in;
                    if (count != 0)
                        return in != end;
                    state->mode = run_mode;
                    continue;
                }
                if (count == 0) {
                    ++in;
                    state->mode = literal_mode;
                    continue;
                }
            } else if (state->mode == literal_mode) {
                return true;
            }
            const uint8_t n = fitting(state->count);
            out += n;
            state->count = static_cast<uint8_t>(state->count - n);
            if (state->count == 0) {
                ++in;
                state->mode = literal_mode;
            }
        }
    }

    // Copies what fits of the open literal section; the chunk has bytes.
    void copy_literals() {
        size_t room = static_cast<size_t>(out_end - out);
        if (static_cast<size_t>(end - in) < room)
            room = static_cast<size_t>(end - in);
        const uint8_t n = room < state->count ? static_cast<uint8_t>(room) : state->count;
        memcpy(out, in, n);
        in += n;
        out += n;
        state->count = static_cast<uint8_t>(state->count - n);
        state->last = in[-1];
        if (state->count == 0)
            state->mode = run_mode;
    }

    // Runs the pass until the buffer is full or the chunk consumed; the
    // run bytes before each literal copy, and those at the end, go out in
    // one memset() each.
    void expand() {
        for (;;) {
            uint8_t *const run_bytes = out;
            reach_literals();
            if (const size_t owed = static_cast<size_t>(out - run_bytes))
                memset(run_bytes, state->last, owed);
            if (stopped())
                return;
            copy_literals();
        }
    }
};

} // namespace

extern "C" int decode_step(const uint8_t *src, codec_state *state,
                           uint32_t src_len, uint8_t *window,
                           uint32_t *len_acc) {
    reader r{state->mode, state->count, state->last, state->in_pos};
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
    // A position at or past the chunk's end (the chunk is consumed, or the
    // state belongs with another chunk) reads nothing: the call that ends
    // a pass returns at once. Only a dst_cap that wraps to 0 in a 16-bit
    // size_t goes on below with it, to report a full buffer as before.
    const uint8_t *const end = src + src_len;
    const uint8_t *in = end;
    if (state->in_pos < src_len)
        in = src + state->in_pos;
    else if (static_cast<size_t>(dst_cap) != 0) {
        state->in_pos = 0;
        return STEP_NEED_INPUT;
    }
    block_pass p{in, end, dst, dst + dst_cap, state};
    // The whole buffer is counted now and the room left taken off if the
    // chunk runs out first, so that dst need not be kept across the copies.
    // A buffer is never longer than the memory it lies in, so the
    // differences fit size_t, and uint32_t as the caller's lengths did.
    if (len_acc)
        *len_acc += static_cast<uint32_t>(static_cast<size_t>(p.out_end - dst));
    p.expand();
    if (p.out == p.out_end) {
        state->in_pos = static_cast<uint32_t>(static_cast<size_t>(p.in - src));
        return STEP_OUTPUT_READY;
    }
    if (len_acc)
        *len_acc -= static_cast<uint32_t>(static_cast<size_t>(p.out_end - p.out));
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
        const size_t literals = smaller<size_t>(literal_count, src_len - pos);
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
