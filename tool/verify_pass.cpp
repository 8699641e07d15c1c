// verify_pass.cpp - the third pass: .enc stream -> .dec copy of the input.
#include <mavo/codec.h>
#include "files.h"
#include "messages.h"
#include "passes.h"

bool verify_pass(const std::string &enc_name, const std::string &dec_name,
                 work_buffers &buffers) {
    say(msg::decompressing);
    input_file enc;
    output_file dec;
    if (!open_pass_files(enc, enc_name.c_str(), msg::compressed_open_failed, dec,
                         dec_name, "wb"))
        return false;

    // The decoder expands each chunk straight into the output block, and a
    // full block is written as it is.
    uint8_t *const in = buffers.in.data();
    uint8_t *const block = buffers.out.data();
    const uint32_t block_size = static_cast<uint32_t>(buffers.out.size());
    uint32_t filled = 0;
    codec_state state{};
    uint64_t total = 0;
    for (;;) {
        const size_t n = enc.read(in, buffers.in.size());
        if (n == 0)
            break;
        for (;;) {
            const int result = decode_block(in, &state, static_cast<uint32_t>(n),
                                            block + filled, block_size - filled, &filled);
            if (result == STEP_NEED_INPUT)
                break;
            if (!dec.write(block, block_size))
                return write_failed(dec);
            total += block_size;
            filled = 0;
        }
    }
    if (enc.failed()) {
        say(msg::compressed_read_failed);
        return false;
    }
    if (!write_last(dec, block, filled))
        return false;
    total += filled;
    say_done_size(total);
    return close_output(dec);
}
