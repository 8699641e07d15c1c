// verify_pass.cpp - the third pass: .enc stream -> .dec copy of the input,
// checked against what the compress pass wrote and read.
#include <mavo/codec.h>

#include "checksum.h"
#include "files.h"
#include "messages.h"
#include "passes.h"

bool verify_pass(const native_string &enc_name, const native_string &dec_name,
                 const run_record &record, work_buffers &buffers) {
    say(msg::decompressing);
    input_file enc;
    output_file dec;
    if (!open_input(enc, enc_name, msg::compressed_open_failed) ||
        !open_output(dec, dec_name, output_file::mode::binary, record.input))
        return false;

    // The decoder expands each chunk straight into the output block, and a
    // full block is written as it is.
    uint8_t *const in = buffers.in.data();
    uint8_t *const block = buffers.out.data();
    const uint32_t block_size = static_cast<uint32_t>(buffers.out.size());
    uint32_t filled = 0;
    codec_state state{};
    checksum output_sum;
    uint64_t stream_size = 0;
    uint64_t total = 0;
    for (;;) {
        const size_t n = enc.read(in, buffers.in.size());
        if (n == 0)
            break;
        stream_size += n;
        for (;;) {
            const int result = decode_block(in, &state, static_cast<uint32_t>(n),
                                            block + filled, block_size - filled, &filled);
            if (result == STEP_NEED_INPUT)
                break;
            output_sum.add(block, block_size);
            if (!dec.write(block, block_size))
                return report_write_failure(dec);
            total += block_size;
            filled = 0;
        }
    }
    if (enc.failed()) {
        say(msg::compressed_read_failed);
        return false;
    }
    output_sum.add(block, filled);
    total += filled;
    // The stream must be the one written, and expand to the input read:
    // anything else (a changed .enc, a link to another file) is a failure,
    // and no .dec is left.
    if (stream_size != record.stream_size || total != record.input_size ||
        output_sum.value() != record.input_checksum) {
        say(msg::does_not_match);
        return false;
    }
    if (!finish_output(dec, block, filled))
        return false;
    say_done_size(total);
    return true;
}
