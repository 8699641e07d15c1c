// verify_pass.cpp - the third pass: .enc stream -> .dec copy of the input.
#include "codec/codec.h"
#include "files.h"
#include "messages.h"
#include "passes.h"
#include "tuning.h"

namespace {

// Expands the chunk into [out, end) until the chunk is used up (sets
// `chunk_done`) or the block is full; returns the new end of the output.
// With one decode_step() call per output byte this loop is the whole pass,
// so it is a function of its own, kept out of line: inlined into a larger
// caller, its few values no longer all fit in registers.
MAVO_NOINLINE uint8_t *expand_chunk(const uint8_t *in, uint32_t n, codec_state &state,
                                    uint8_t *out, uint8_t *end, bool &chunk_done) {
    codec_state local = state;
    for (;;) {
        uint32_t len = 0;
        const int result = decode_step(in, &local, n, out, &len);
        out += len;
        if (result == STEP_NEED_INPUT) {
            chunk_done = true;
            break;
        }
        if (out == end) {
            chunk_done = false;
            break;
        }
    }
    state = local;
    return out;
}

} // namespace

bool verify_pass(const std::string &enc_name, const std::string &dec_name,
                 work_buffers &buffers) {
    say(msg::decompressing);
    input_file enc;
    output_file dec;
    if (!open_pass_files(enc, enc_name.c_str(), msg::compressed_open_failed, dec,
                         dec_name, "wb"))
        return false;

    // The decoder hands back one byte per call, written straight into the
    // output block: its window is the block's next free byte.
    uint8_t *const in = buffers.in.data();
    uint8_t *const block = buffers.out.data();
    uint8_t *const block_end = block + buffers.out.size();
    uint8_t *out = block;
    codec_state state{};
    uint64_t total = 0;
    for (;;) {
        const size_t n = enc.read(in, buffers.in.size());
        if (n == 0)
            break;
        bool chunk_done = false;
        while (!chunk_done) {
            out = expand_chunk(in, static_cast<uint32_t>(n), state, out, block_end,
                               chunk_done);
            if (out == block_end) {
                if (!dec.write(block, buffers.out.size()))
                    return write_failed(dec);
                total += buffers.out.size();
                out = block;
            }
        }
    }
    if (enc.failed()) {
        say(msg::compressed_read_failed);
        return false;
    }
    const size_t filled = static_cast<size_t>(out - block);
    if (!write_last(dec, block, filled))
        return false;
    total += filled;
    say_done_size(total);
    return close_output(dec);
}
