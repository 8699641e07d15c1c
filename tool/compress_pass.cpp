// compress_pass.cpp - the first pass: input file -> .enc stream.
#include <mavo/codec.h>

#include "checksum.h"
#include "files.h"
#include "messages.h"
#include "passes.h"

bool compress_pass(const native_string &input_name, const native_string &enc_name,
                   work_buffers &buffers, run_record &record) {
    say(msg::compressing);
    input_file input;
    output_file enc;
    if (!open_input(input, input_name, msg::input_open_failed))
        return false;
    record.input = input.identity();
    if (!open_output(enc, enc_name, output_file::mode::binary, record.input))
        return false;

    // The encoder fills the output block window by window in place: each
    // call gets the block's next 256 bytes as its window, and a full block
    // is written as it is. Only the last, open window is partly filled.
    // The input is read once; its checksum is taken on the way.
    uint8_t *const in = buffers.in.data();
    const size_t in_size = buffers.in.size();
    uint8_t *const block = buffers.out.data();
    const size_t block_size = buffers.out.size();
    checksum input_sum;
    codec_state state{};
    size_t filled = 0;
    uint32_t len = 0;
    uint64_t stream_size = 0;
    record.input_size = 0;
    for (;;) {
        const size_t n = input.read(in, in_size);
        if (n == 0)
            break;
        input_sum.add(in, n);
        record.input_size += n;
        for (;;) {
            len = 0;
            if (encode_step(block + filled, &state, in, static_cast<uint32_t>(n), &len) ==
                STEP_NEED_INPUT)
                break;
            filled += ENCODE_WINDOW_SIZE;
            if (filled == block_size) {
                if (!enc.write(block, filled))
                    return report_write_failure(enc);
                stream_size += filled;
                filled = 0;
            }
        }
    }
    if (input.failed()) {
        say(msg::input_read_failed);
        return false;
    }
    // The last call reported how much of the open window is stream.
    filled += len;
    if (!finish_output(enc, block, filled))
        return false;
    stream_size += filled;
    record.stream_size = stream_size;
    record.input_checksum = input_sum.value();
    say_done_size(stream_size);
    return true;
}
