// codec.cpp - encode_step() and decode_step(), the resumable run-length
// steps declared in codec.h.
//
// Both steps copy the state record into locals on entry and back on leaving.
// That is not only tidy: every store into the window is a byte store, which
// the compiler must assume may alias the record's fields, so working through
// the state pointer would reload them after every byte written.
#include "codec.h"

#include <cstring>

namespace {

constexpr uint32_t window_size = ENCODE_WINDOW_SIZE;
constexpr uint8_t literal_mode = 0;
constexpr uint8_t run_mode = 1;
constexpr uint8_t max_count = 255;

uint32_t smaller(uint32_t a, uint32_t b) { return a < b ? a : b; }

// Eight bytes at a time, for the scans below.
constexpr uint64_t ones = 0x0101010101010101u;
constexpr uint64_t highs = 0x8080808080808080u;

uint64_t load8(const uint8_t *p) {
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// True when any of the eight bytes of x is zero.
bool has_zero_byte(uint64_t x) { return ((x - ones) & ~x & highs) != 0; }

// The encoder's working copy of codec_state, with the window it fills.
struct encoder {
    uint8_t *window;
    uint8_t mode, force_empty, count, last;
    uint32_t produced, in_pos, out_pos, slot_pos;

    encoder(uint8_t *w, const codec_state &s)
        : window(w), mode(s.mode), force_empty(s.force_empty), count(s.count),
          last(s.last), produced(s.produced), in_pos(s.in_pos),
          out_pos(s.out_pos), slot_pos(s.slot_pos) {}

    void save(codec_state &s) const {
        s.mode = mode;
        s.force_empty = force_empty;
        s.count = count;
        s.last = last;
        s.produced = produced;
        s.in_pos = in_pos;
        s.out_pos = out_pos;
        s.slot_pos = slot_pos;
    }

    // Keeps the open section's count byte up to date in the window.
    void write_count() { window[slot_pos] = count; }

    // The section just closed has its count byte in place; reserve the next
    // window byte as the count of the section that opens now. Returns true
    // when that byte would lie past the window: the window is full, and the
    // open section's count byte moves to index 0 of the next one.
    bool open_slot() {
        ++produced;
        slot_pos = out_pos;
        ++out_pos;
        return slot_pos >= window_size;
    }

    bool fill(const uint8_t *src, uint32_t src_len);
    bool close_literals_for_run();
    bool close_literals_empty();
    bool copy_literals(const uint8_t *src, uint32_t src_len);
    bool close_run();
    bool split_long_run();
    void count_repeats(const uint8_t *src, uint32_t src_len);
};

// Consumes the chunk into the window. Returns true when the window filled
// up before the chunk ran out, false when the chunk is consumed.
bool encoder::fill(const uint8_t *src, uint32_t src_len) {
    while (in_pos < src_len) {
        bool full;
        const uint8_t b = src[in_pos];
        if (mode == literal_mode) {
            if (force_empty)
                full = close_literals_empty();
            else if (b == last)
                full = close_literals_for_run();
            else
                full = copy_literals(src, src_len);
        } else {
            if (b != last)
                full = close_run();
            else if (count == max_count)
                full = split_long_run();
            else {
                count_repeats(src, src_len);
                full = false;
            }
        }
        if (full)
            return true;
    }
    return false;
}

// An empty literal section: between two runs of one long repeat, or where a
// run ended with only the window's last byte left for the next count.
bool encoder::close_literals_empty() {
    window[slot_pos] = 0;
    force_empty = 0;
    mode = run_mode;
    return open_slot();
}

// The next byte repeats the last literal, so the run section takes it.
bool encoder::close_literals_for_run() {
    write_count();
    count = 0;
    mode = run_mode;
    return open_slot();
}

// Copies literals, each different from the byte before it, while the chunk
// and the window last. The caller has seen that the first one differs from
// `last`, and a literal section open without force_empty always has room
// for it. A full window closes the section: its count byte must be in place
// before the window is handed out.
bool encoder::copy_literals(const uint8_t *src, uint32_t src_len) {
    const uint32_t n = smaller(src_len - in_pos, window_size - out_pos);
    const uint8_t *from = src + in_pos;
    uint8_t *to = window + out_pos;
    to[0] = from[0];
    // After the first byte, compare eight bytes with the eight before them
    // at once; copy them while none repeats its predecessor.
    uint32_t i = 1;
    while (i + 8 <= n && !has_zero_byte(load8(from + i) ^ load8(from + i - 1))) {
        std::memcpy(to + i, from + i, 8);
        i += 8;
    }
    while (i < n && from[i] != from[i - 1]) {
        to[i] = from[i];
        ++i;
    }
    last = from[i - 1];
    in_pos += i;
    out_pos += i;
    produced += i;
    count = static_cast<uint8_t>(count + i);
    if (out_pos < window_size)
        return false;
    write_count();
    count = 0;
    mode = run_mode;
    ++produced;
    return true;
}

// A different byte ends the run; it opens a new literal section.
bool encoder::close_run() {
    write_count();
    count = 0;
    mode = literal_mode;
    if (open_slot())
        return true;
    // The new count byte is the window's last: no literal fits behind it.
    if (out_pos >= window_size)
        force_empty = 1;
    return false;
}

// A run of 255 repeats is as long as a count byte allows; an empty literal
// section follows, and a new run section carries the repeat on.
bool encoder::split_long_run() {
    window[slot_pos] = max_count;
    count = 0;
    force_empty = 1;
    mode = literal_mode;
    return open_slot();
}

// Counts repeats of the last byte, up to a full run section.
void encoder::count_repeats(const uint8_t *src, uint32_t src_len) {
    const uint32_t n = smaller(src_len - in_pos, max_count - count);
    const uint8_t *from = src + in_pos;
    const uint64_t repeated = last * ones;
    uint32_t i = 0;
    while (i + 8 <= n && load8(from + i) == repeated)
        i += 8;
    while (i < n && from[i] == last)
        ++i;
    in_pos += i;
    count = static_cast<uint8_t>(count + i);
}

} // namespace

extern "C" int encode_step(uint8_t *window, codec_state *state,
                           const uint8_t *src, uint32_t src_len,
                           uint32_t *len_acc) {
    // Only a zeroed record has out_pos == slot_pos: this is the pass's first
    // call. Window byte 0 becomes the first literal section's count, and
    // `last` is set to differ from the first byte so that it cannot be taken
    // for a repeat. An empty first chunk has no first byte to look at.
    if (state->out_pos == state->slot_pos) {
        if (src_len == 0)
            return STEP_NEED_INPUT;
        state->out_pos = state->slot_pos + 1;
        state->last = static_cast<uint8_t>(src[state->in_pos] + 1u);
    }

    encoder e(window, *state);
    int result;
    if (e.fill(src, src_len)) {
        if (len_acc)
            *len_acc += e.produced;
        e.out_pos = 1;
        e.slot_pos = 0;
        e.produced = 0;
        result = STEP_OUTPUT_READY;
    } else {
        // The open section's count byte holds its count so far, so the
        // window's first out_pos bytes are a complete stream. That byte is
        // counted in `produced` only once its section closes.
        e.write_count();
        if (len_acc)
            *len_acc += e.produced + 1;
        e.in_pos = 0;
        result = STEP_NEED_INPUT;
    }
    e.save(*state);
    return result;
}

extern "C" int decode_step(const uint8_t *src, codec_state *state,
                           uint32_t src_len, uint8_t *window,
                           uint32_t *len_acc) {
    uint32_t in_pos = state->in_pos;
    uint8_t mode = state->mode;
    uint8_t count = state->count;
    uint8_t out;

    // Between the calls of a pass the decoder's window is empty (out_pos
    // and produced are 0): a call reports 0 bytes, or 1 in window[0].
    //
    // Most calls land inside a section that goes on after this byte: hand
    // out that byte with as little work as possible.
    if (count > 1 && in_pos < src_len) {
        state->count = static_cast<uint8_t>(count - 1);
        if (mode == literal_mode) {
            out = src[in_pos];
            state->in_pos = in_pos + 1;
            state->last = out;
        } else {
            out = state->last;
        }
        window[0] = out;
        if (len_acc)
            *len_acc += 1;
        return STEP_OUTPUT_READY;
    }

    for (;;) {
        if (in_pos >= src_len) {
            state->in_pos = 0;
            state->mode = mode;
            state->count = count;
            return STEP_NEED_INPUT;
        }
        if (count != 0) {
            // Inside a section: its next byte. Within a run, in_pos stays on
            // the run's count byte until the last repeat is out, so a chunk
            // never runs out in the middle of a run.
            --count;
            if (mode == literal_mode) {
                out = src[in_pos++];
                state->last = out;
                if (count == 0)
                    mode = run_mode;
            } else {
                out = state->last;
                if (count == 0) {
                    ++in_pos;
                    mode = literal_mode;
                }
            }
            break;
        }
        // A count byte. An empty section leads straight to the next one.
        count = src[in_pos];
        if (mode == literal_mode) {
            ++in_pos;
            if (count == 0)
                mode = run_mode;
        } else if (count == 0) {
            ++in_pos;
            mode = literal_mode;
        }
    }

    window[0] = out;
    if (len_acc)
        *len_acc += 1;
    state->in_pos = in_pos;
    state->mode = mode;
    state->count = count;
    return STEP_OUTPUT_READY;
}
