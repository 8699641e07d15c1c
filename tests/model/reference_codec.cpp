// reference_codec.cpp - the byte-at-a-time codec models, the shortest
// stream's length, and the pass drivers used by the tests and fuzz targets.
#include "reference_codec.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace {

int leave_encoder(codec_state *s, int result, uint32_t *len_acc) {
    if (len_acc)
        *len_acc += s->produced;
    if (result == STEP_NEED_INPUT) {
        s->in_pos = 0;
        if (s->produced > 0)
            s->produced--;
    } else {
        s->out_pos = 1;
        s->slot_pos = 0;
        s->produced = 0;
    }
    return result;
}

int leave_decoder(codec_state *s, int result, uint32_t *len_acc) {
    if (len_acc)
        *len_acc += s->produced;
    if (result == STEP_NEED_INPUT) {
        s->in_pos = 0;
    } else {
        s->out_pos = 0;
        s->produced = 0;
    }
    return result;
}

} // namespace

int reference_encode_step(uint8_t *window, codec_state *s, const uint8_t *src,
                          uint32_t src_len, uint32_t *len_acc) {
    if (s->out_pos == s->slot_pos) {
        if (src_len == 0)
            return STEP_NEED_INPUT;
        s->out_pos = s->slot_pos + 1;
        s->last = static_cast<uint8_t>(src[s->in_pos] + 1);
    }
    while (s->in_pos < src_len) {
        const uint8_t b = src[s->in_pos];
        bool open_slot = false;
        if (s->mode == 0) {
            if (s->force_empty) {
                window[s->slot_pos] = 0;
                s->force_empty = 0;
                s->mode = 1;
                open_slot = true;
            } else if (b == s->last) {
                window[s->slot_pos] = s->count;
                s->count = 0;
                s->mode = 1;
                open_slot = true;
            } else {
                window[s->out_pos] = b;
                s->last = b;
                s->in_pos++;
                s->produced++;
                s->out_pos++;
                s->count++;
                if (s->out_pos == 256) {
                    window[s->slot_pos] = s->count;
                    s->count = 0;
                    s->mode = 1;
                    s->produced++;
                    return leave_encoder(s, STEP_OUTPUT_READY, len_acc);
                }
            }
        } else if (b != s->last) {
            s->produced++;
            window[s->slot_pos] = s->count;
            s->slot_pos = s->out_pos;
            s->out_pos++;
            s->count = 0;
            s->mode = 0;
            if (s->slot_pos >= 256)
                return leave_encoder(s, STEP_OUTPUT_READY, len_acc);
            if (s->out_pos >= 256)
                s->force_empty = 1;
        } else if (s->count == 255) {
            window[s->slot_pos] = 255;
            s->count = 0;
            s->force_empty = 1;
            s->mode = 0;
            open_slot = true;
        } else {
            s->count++;
            s->in_pos++;
        }
        if (open_slot) {
            s->produced++;
            s->slot_pos = s->out_pos;
            s->out_pos++;
            if (s->slot_pos >= 256)
                return leave_encoder(s, STEP_OUTPUT_READY, len_acc);
        }
    }
    window[s->slot_pos] = s->count;
    s->produced++;
    return leave_encoder(s, STEP_NEED_INPUT, len_acc);
}

int reference_decode_step(const uint8_t *src, codec_state *s, uint32_t src_len,
                          uint8_t *window, uint32_t *len_acc) {
    while (s->in_pos < src_len) {
        const uint8_t b = src[s->in_pos];
        if (s->mode == 0) {
            s->in_pos++;
            if (s->count == 0) {
                s->count = b;
                if (b == 0)
                    s->mode = 1;
                continue;
            }
            s->count--;
            s->produced++;
            s->last = b;
            window[s->out_pos] = b;
            s->out_pos++;
            if (s->count == 0)
                s->mode = 1;
            return leave_decoder(s, STEP_OUTPUT_READY, len_acc);
        }
        if (s->count == 0) {
            s->count = b;
            if (b == 0) {
                s->in_pos++;
                s->mode = 0;
            }
            continue;
        }
        window[s->out_pos] = s->last;
        s->count--;
        s->produced++;
        s->out_pos++;
        if (s->count == 0) {
            s->in_pos++;
            s->mode = 0;
        }
        return leave_decoder(s, STEP_OUTPUT_READY, len_acc);
    }
    return leave_decoder(s, STEP_NEED_INPUT, len_acc);
}

// f[i][0] is the fewest bytes for input[i..n) with a literal section next,
// f[i][1] with a run section next.
size_t fewest_stream_bytes(const bytes &in) {
    const size_t n = in.size();
    const size_t none = SIZE_MAX / 4;
    std::vector<std::array<size_t, 2>> f(n + 1, {none, none});
    f[n] = {0, 0};
    for (size_t i = n; i-- > 0;) {
        size_t literal = none, run = none;
        for (size_t l = 1; l <= 255 && i + l <= n; ++l)
            literal = std::min(literal, 1 + l + f[i + l][1]);
        // A run repeats the byte before it: 0 before the first.
        const uint8_t repeated = i > 0 ? in[i - 1] : 0;
        for (size_t r = 1; r <= 255 && i + r <= n && in[i + r - 1] == repeated; ++r)
            run = std::min(run, 1 + f[i + r][0]);
        // An empty section costs its count byte and hands over to the
        // other kind at the same place.
        f[i][0] = std::min(literal, 1 + run);
        f[i][1] = std::min(run, 1 + literal);
    }
    return f[0][0];
}

bytes read_stream_directly(const bytes &stream) {
    bytes out;
    uint8_t last = 0;
    size_t i = 0;
    while (i < stream.size()) {
        const size_t literals = stream[i++];
        const size_t present = std::min(literals, stream.size() - i);
        out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(i),
                   stream.begin() + static_cast<std::ptrdiff_t>(i + present));
        if (present > 0)
            last = stream[i + present - 1];
        i += present;
        if (i >= stream.size())
            break;
        out.insert(out.end(), stream[i++], last);
    }
    return out;
}

bool windows_begin_with_count_bytes(const bytes &stream) {
    size_t i = 0;
    bool literal = true;
    while (i < stream.size()) {
        const size_t section_end = literal ? i + 1 + stream[i] : i + 1;
        // The next window's first byte must not fall inside this section
        // after its count byte.
        const size_t next_window = (i / ENCODE_WINDOW_SIZE + 1) * ENCODE_WINDOW_SIZE;
        if (section_end > next_window)
            return false;
        i = section_end;
        literal = !literal;
    }
    return true;
}

chunker whole_input() {
    return [] { return UINT32_MAX; };
}

chunker fixed_chunks(uint32_t size) {
    return [size] { return size; };
}

bytes encode_all(const bytes &input, const chunker &next_chunk) {
    bytes stream;
    codec_state state{};
    uint8_t window[ENCODE_WINDOW_SIZE];
    uint32_t len = 0;
    size_t pos = 0;
    while (pos < input.size()) {
        const uint32_t n = static_cast<uint32_t>(
            std::min<size_t>(next_chunk(), input.size() - pos));
        for (;;) {
            len = 0;
            if (encode_step(window, &state, input.data() + pos, n, &len) ==
                STEP_NEED_INPUT)
                break;
            stream.insert(stream.end(), window, window + ENCODE_WINDOW_SIZE);
        }
        pos += n;
    }
    stream.insert(stream.end(), window, window + len);
    return stream;
}

bytes decode_all(const bytes &stream, const chunker &next_chunk) {
    bytes out;
    codec_state state{};
    uint8_t window[ENCODE_WINDOW_SIZE];
    size_t pos = 0;
    while (pos < stream.size()) {
        const uint32_t n = static_cast<uint32_t>(
            std::min<size_t>(next_chunk(), stream.size() - pos));
        // One call per output byte, at most 255 of them per stream byte: a
        // decoder that goes on past that would never end.
        for (size_t calls = 0;; ++calls) {
            if (calls > 256 * (size_t{n} + 1))
                throw std::runtime_error("decode_step does not finish a chunk");
            uint32_t len = 0;
            const int result =
                decode_step(stream.data() + pos, &state, n, window, &len);
            out.insert(out.end(), window, window + len);
            if (result == STEP_NEED_INPUT)
                break;
        }
        pos += n;
    }
    return out;
}
