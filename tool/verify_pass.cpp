// verify_pass.cpp - the third pass: .enc stream -> .dec copy of the input.
#include "codec/codec.h"
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

    // The decoder hands back one byte per call, written straight into the
    // output block: its window is the block's next free byte.
    uint8_t *const block = buffers.out.data();
    const size_t block_size = buffers.out.size();
    codec_state state{};
    size_t filled = 0;
    uint64_t total = 0;
    for (;;) {
        const size_t n = enc.read(buffers.in.data(), buffers.in.size());
        if (n == 0)
            break;
        for (;;) {
            uint32_t len = 0;
            const int result = decode_step(buffers.in.data(), &state,
                                           static_cast<uint32_t>(n),
                                           block + filled, &len);
            filled += len;
            if (result == STEP_NEED_INPUT)
                break;
            if (filled == block_size) {
                if (!dec.write(block, filled))
                    return write_failed(dec);
                total += filled;
                filled = 0;
            }
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
