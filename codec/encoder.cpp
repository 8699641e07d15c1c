// encoder.cpp - encode_step(), the resumable run-length compressor declared
// in codec.h.
//
// The step works on a copy of the state record and stores it back on
// leaving. That is not only tidy: every store into the window is a byte
// store, which the compiler must assume may alias the record's fields, so
// working through the state pointer would reload them after every byte.
#include "internal.h"

using namespace codec_internal;

namespace {

constexpr uint32_t window_size = ENCODE_WINDOW_SIZE;

// A working copy of the pass's state, with the window it fills. The
// functions that may fill the window return true when it is full.
struct encoder {
    uint8_t *window;
    codec_state s;

    // Keeps the open section's count byte up to date in the window.
    void write_count() { window[s.slot_pos] = s.count; }

    // Closes the open section, its count byte in place, and opens one of
    // the other kind: the next window byte is reserved as its count. When
    // that byte would lie past the window, the window is full and the open
    // section's count byte moves to index 0 of the next one.
    bool close_section(uint8_t next_mode) {
        write_count();
        s.count = 0;
        s.mode = next_mode;
        ++s.produced;
        s.slot_pos = s.out_pos;
        ++s.out_pos;
        return s.slot_pos >= window_size;
    }

    bool fill(const uint8_t *src, uint32_t src_len);
    bool close_literals_empty();
    bool copy_literals(const uint8_t *src, uint32_t src_len);
    bool close_run();
    bool split_long_run();
    void count_repeats(const uint8_t *src, uint32_t src_len);
};

// Consumes the chunk into the window. Returns true when the window filled
// up before the chunk ran out, false when the chunk is consumed.
bool encoder::fill(const uint8_t *src, uint32_t src_len) {
    while (s.in_pos < src_len) {
        bool full;
        const uint8_t b = src[s.in_pos];
        if (s.mode == literal_mode) {
            if (s.force_empty)
                full = close_literals_empty();
            else if (b == s.last)
                full = close_section(run_mode); // the run section takes b
            else
                full = copy_literals(src, src_len);
        } else {
            if (b != s.last)
                full = close_run();
            else if (s.count == max_count)
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
    s.force_empty = 0;
    s.count = 0;
    return close_section(run_mode);
}

// Copies literals, each different from the byte before it, while the chunk
// and the window last. The caller has seen that the first one differs from
// `last`, and an open literal section always has room for it (a count byte
// at the window's last index is closed empty at once). A full window closes
// the section: its count byte must be in place before the window goes out.
bool encoder::copy_literals(const uint8_t *src, uint32_t src_len) {
    const uint32_t n = smaller(src_len - s.in_pos, window_size - s.out_pos);
    const uint8_t *from = src + s.in_pos;
    // Find where the literals end, comparing a word of bytes with the
    // bytes one before them at once, then copy them in one go.
    uint32_t i = 1;
    while (i + word_bytes <= n &&
           !has_zero_byte(load_word(from + i) ^ load_word(from + i - 1)))
        i += word_bytes;
    while (i < n && from[i] != from[i - 1])
        ++i;
    memcpy(window + s.out_pos, from, static_cast<size_t>(i)); // i <= 256
    s.last = from[i - 1];
    s.in_pos += i;
    s.out_pos += i;
    s.produced += i;
    s.count = static_cast<uint8_t>(s.count + i);
    return s.out_pos >= window_size && close_section(run_mode);
}

// A different byte ends the run; it opens a new literal section. When that
// section's count byte is the window's last, no literal fits behind it: it
// closes empty, and the differing byte waits for the next window.
bool encoder::close_run() {
    if (close_section(literal_mode))
        return true;
    return s.out_pos >= window_size && close_literals_empty();
}

// A run of 255 repeats is as long as a count byte allows; an empty literal
// section follows, and a new run section carries the repeat on. When the
// window is full before that empty section, force_empty carries it over.
bool encoder::split_long_run() {
    if (close_section(literal_mode)) {
        s.force_empty = 1;
        return true;
    }
    return close_literals_empty();
}

// Counts repeats of the last byte, up to a full run section.
void encoder::count_repeats(const uint8_t *src, uint32_t src_len) {
    const uint32_t n = smaller<uint32_t>(src_len - s.in_pos, max_count - s.count);
    const uint8_t *from = src + s.in_pos;
    const word repeated = s.last * ones;
    uint32_t i = 0;
    while (i + word_bytes <= n && load_word(from + i) == repeated)
        i += word_bytes;
    while (i < n && from[i] == s.last)
        ++i;
    s.in_pos += i;
    s.count = static_cast<uint8_t>(s.count + i);
}

} // namespace

extern "C" int encode_step(uint8_t *window, codec_state *state,
                           const uint8_t *src, uint32_t src_len,
                           uint32_t *len_acc) {
    encoder e{window, *state};
    // Only a zeroed record has out_pos == slot_pos: this is the pass's first
    // call. Window byte 0 becomes the first literal section's count, and
    // `last` is set to differ from the first byte so that it cannot be taken
    // for a repeat. An empty first chunk has no first byte to look at.
    if (e.s.out_pos == e.s.slot_pos) {
        if (src_len == 0)
            return STEP_NEED_INPUT;
        e.s.out_pos = e.s.slot_pos + 1;
        e.s.last = static_cast<uint8_t>(src[e.s.in_pos] + 1u);
    }

    int result;
    if (e.fill(src, src_len)) {
        if (len_acc)
            *len_acc += e.s.produced;
        e.s.out_pos = 1;
        e.s.slot_pos = 0;
        e.s.produced = 0;
        result = STEP_OUTPUT_READY;
    } else {
        // The open section's count byte holds its count so far, so the
        // window's first out_pos bytes are a complete stream. That byte is
        // counted in `produced` only once its section closes.
        e.write_count();
        if (len_acc)
            *len_acc += e.s.produced + 1;
        e.s.in_pos = 0;
        result = STEP_NEED_INPUT;
    }
    *state = e.s;
    return result;
}
