// seek.cpp - index_stream() and decode_seek(), random access into a stream
// as declared in codec.h: seek points that let a pass start at any output
// byte without expanding what comes before it.
//
// Both walk the stream's count bytes the way decode_block() does, by the
// same rules (internal.h), writing nothing, and stop where decode_block()
// into a buffer of that many bytes would stop: after the last byte, before
// the next count byte. A seek point is such a place written down as the
// section it lies in, how far into that section, and the last byte;
// decode_seek() starts at that section's count byte and walks on from
// there.
// Nothing here divides or multiplies 64-bit numbers: a Cortex-M0 or an AVR
// would take that from a large library routine.
#include "internal.h"

using namespace codec_internal;

// Each point is two words at most, in any build step's array as in ours.
static_assert(sizeof(codec_seek_point) == 8, "a seek point is 8 bytes");

namespace {

// Passes over `left` output bytes exactly as decode_block() into a buffer
// of `left` bytes would produce them, with s.in_pos counted from the
// stream's start, and keeps in s.slot_pos (which the decoder leaves alone)
// where the open section's count byte is. Returns how many of the bytes
// the stream did not hold (0 when all were passed).
uint32_t pass_output(const uint8_t *src, uint32_t src_len, codec_state &s, uint32_t left) {
    reader r{s.mode, s.count, s.last, s.in_pos};
    while (left > 0 && r.in < src_len) {
        if (r.count == 0) {
            s.slot_pos = r.in;
            r.take_count_byte(src[r.in]);
            continue;
        }
        uint32_t n = smaller<uint32_t>(r.count, left);
        if (r.mode == literal_mode) {
            n = smaller(n, src_len - r.in);
            r.in += n;
            r.last = src[r.in - 1];
        }
        r.count = static_cast<uint8_t>(r.count - n);
        left -= n;
        if (r.count == 0)
            r.close_section();
    }
    r.store(s);
    s.in_pos = r.in;
    return left;
}

codec_seek_point point_at(const uint8_t *src, const codec_state &s) {
    codec_seek_point p;
    p.section = s.count == 0 ? s.in_pos : s.slot_pos;
    p.last = s.last;
    p.into = s.count == 0 ? 0 : static_cast<uint8_t>(src[p.section] - s.count);
    p.run = s.mode;
    p.zero = 0;
    return p;
}

// offset / spacing (spacing > 0), or UINT32_MAX when that does not fit 32
// bits: long division a bit at a time, in 32-bit words.
uint32_t whole_spacings(uint64_t offset, uint32_t spacing) {
    uint32_t rest = static_cast<uint32_t>(offset >> 32);
    if (rest >= spacing)
        return UINT32_MAX;
    uint32_t low = static_cast<uint32_t>(offset);
    uint32_t quotient = 0;
    for (unsigned bit = 0; bit < 32u; ++bit) {
        const uint32_t carry = rest >> 31; // rest < spacing, so rest*2 may need 33 bits
        rest = (rest << 1) | (low >> 31);
        low <<= 1;
        quotient <<= 1;
        if (carry != 0 || rest >= spacing) {
            rest -= spacing;
            quotient |= 1u;
        }
    }
    return quotient;
}

// k * spacing by shifting and adding.
uint64_t times(uint32_t k, uint32_t spacing) {
    uint64_t product = 0;
    uint64_t addend = spacing;
    for (; k != 0; k >>= 1, addend <<= 1)
        if (k & 1u)
            product += addend;
    return product;
}

// How many points an output of `total` bytes has: total / spacing rounded
// up, or UINT32_MAX when that does not fit 32 bits.
uint32_t points_for(uint64_t total, uint32_t spacing) {
    if (total == 0)
        return 0;
    const uint32_t whole = whole_spacings(total - 1, spacing);
    return whole == UINT32_MAX ? UINT32_MAX : whole + 1;
}

} // namespace

extern "C" uint32_t index_stream(const uint8_t *src, uint32_t src_len, uint32_t spacing,
                                 codec_seek_point *points, uint32_t max_points) {
    if (spacing == 0)
        return 0;
    if (points == nullptr)
        max_points = 0;
    codec_state s = {};
    for (uint32_t n = 0; n < max_points; ++n) {
        const codec_state at = s;
        if (pass_output(src, src_len, s, 1) != 0)
            return n; // no output byte at this offset: no point
        points[n] = point_at(src, at);
        if (pass_output(src, src_len, s, spacing - 1) != 0)
            return n + 1;
    }
    // The room is full: the rest are counted, not walked to one by one.
    // A stream lies in memory, so its length fits size_t.
    return points_for(decoded_size(src, static_cast<size_t>(src_len)), spacing);
}

extern "C" uint32_t decode_seek(const uint8_t *src, uint32_t src_len,
                                const codec_seek_point *points, uint32_t n_points,
                                uint32_t spacing, uint64_t offset, codec_state *state) {
    codec_state &s = *state;
    s = codec_state{};
    uint64_t left = offset;
    if (points != nullptr && n_points > 0 && spacing > 0) {
        const uint32_t k = smaller(whole_spacings(offset, spacing), n_points - 1);
        const codec_seek_point &point = points[k];
        // From the start of the point's section, through `into` bytes of
        // it as a pass from the start goes: whatever a point says, nothing
        // outside the stream is read.
        if (point.section < src_len) {
            s.mode = point.run != 0 ? run_mode : literal_mode;
            s.last = point.last;
            s.in_pos = point.section;
            pass_output(src, src_len, s, point.into);
            left = offset - times(k, spacing);
        }
    }
    // In pieces that 32 bits hold, until the offset or the stream's end.
    for (;;) {
        const uint32_t piece = left > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(left);
        if (pass_output(src, src_len, s, piece) != 0 || piece == left)
            break;
        left -= piece;
    }
    const uint32_t pos = s.in_pos;
    s.in_pos = 0;
    s.slot_pos = 0;
    return pos;
}
