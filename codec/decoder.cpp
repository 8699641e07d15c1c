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
#include "codec.h"

// The C header, not <cstring>: toolchains for microcontrollers often have a
// C++ compiler without the C++ library's headers.
#include <string.h>

namespace {

constexpr uint8_t literal_mode = 0;
constexpr uint8_t run_mode = 1;

uint32_t smaller(uint32_t a, uint32_t b) { return a < b ? a : b; }
size_t smaller_size(size_t a, size_t b) { return a < b ? a : b; }

// Takes the count byte at in_pos: opens the section it counts, or, for an
// empty one, moves straight on to the section after it. A run's count byte
// stays unread until its run is out.
void take_count_byte(codec_state &s, uint8_t b) {
    s.count = b;
    if (s.mode == literal_mode) {
        ++s.in_pos;
        if (b == 0)
            s.mode = run_mode;
    } else if (b == 0) {
        ++s.in_pos;
        s.mode = literal_mode;
    }
}

} // namespace

extern "C" int decode_step(const uint8_t *src, codec_state *state,
                           uint32_t src_len, uint8_t *window,
                           uint32_t *len_acc) {
    codec_state s = *state;
    while (s.in_pos < src_len) {
        if (s.count == 0) {
            take_count_byte(s, src[s.in_pos]);
            continue;
        }
        --s.count;
        if (s.mode == literal_mode) {
            s.last = src[s.in_pos++];
            if (s.count == 0)
                s.mode = run_mode;
        } else if (s.count == 0) {
            ++s.in_pos; // the run is out: its count byte is done with
            s.mode = literal_mode;
        }
        window[0] = s.last;
        if (len_acc)
            *len_acc += 1;
        *state = s;
        return STEP_OUTPUT_READY;
    }
    s.in_pos = 0;
    *state = s;
    return STEP_NEED_INPUT;
}

extern "C" int decode_block(const uint8_t *src, codec_state *state,
                            uint32_t src_len, uint8_t *dst, uint32_t dst_cap,
                            uint32_t *len_acc) {
    if (dst_cap == 0)
        return 0;
    codec_state s = *state;
    uint32_t written = 0;
    // Stop as soon as dst is full, before looking at another count byte,
    // exactly where decode_step() would hand its byte back.
    while (written < dst_cap && s.in_pos < src_len) {
        if (s.count == 0) {
            take_count_byte(s, src[s.in_pos]);
            continue;
        }
        const uint32_t room = dst_cap - written;
        if (s.mode == literal_mode) {
            const uint32_t n = smaller(smaller(s.count, room), src_len - s.in_pos);
            memcpy(dst + written, src + s.in_pos, n);
            s.in_pos += n;
            s.last = src[s.in_pos - 1];
            s.count = static_cast<uint8_t>(s.count - n);
            written += n;
            if (s.count == 0)
                s.mode = run_mode;
        } else {
            const uint32_t n = smaller(s.count, room);
            memset(dst + written, s.last, n);
            s.count = static_cast<uint8_t>(s.count - n);
            written += n;
            if (s.count == 0) {
                ++s.in_pos;
                s.mode = literal_mode;
            }
        }
    }
    if (len_acc)
        *len_acc += written;
    if (written == dst_cap) {
        *state = s;
        return STEP_OUTPUT_READY;
    }
    s.in_pos = 0;
    *state = s;
    return STEP_NEED_INPUT;
}

extern "C" uint64_t decoded_size(const uint8_t *src, size_t src_len) {
    // Sections alternate from a literal one: count bytes at known places.
    uint64_t size = 0;
    size_t pos = 0;
    while (pos < src_len) {
        const size_t literals = src[pos++];
        const size_t present = smaller_size(literals, src_len - pos);
        size += present;
        pos += present;
        if (pos >= src_len)
            break;
        size += src[pos++]; // a run's count byte: that many repeats
    }
    return size;
}
