// naive_mavo.cpp - the tool built the plain way, for the whole-run
// benchmark to measure mavo against: one byte per fread, one fprintf per
// dump entry, one fwrite per decoded byte. Same codec, same files, same
// console text; no error handling beyond the opens.
#include <mavo/codec.h>
#include "dump_format.h"
#include "messages.h"

#include <cstdio>
#include <string>

namespace {

bool naive_compress(const char *input_name, const std::string &enc_name, uint64_t &total) {
    say(msg::compressing);
    FILE *in = std::fopen(input_name, "rb");
    FILE *out = in ? std::fopen(enc_name.c_str(), "wb") : nullptr;
    if (!out)
        return false;
    uint8_t window[ENCODE_WINDOW_SIZE];
    uint8_t in_byte;
    codec_state state{};
    uint32_t len = 0;
    total = 0;
    size_t n = std::fread(&in_byte, 1, 1, in);
    while (n > 0) {
        len = 0;
        if (encode_step(window, &state, &in_byte, static_cast<uint32_t>(n), &len) ==
            STEP_NEED_INPUT) {
            n = std::fread(&in_byte, 1, 1, in);
        } else {
            std::fwrite(window, 1, ENCODE_WINDOW_SIZE, out);
            total += ENCODE_WINDOW_SIZE;
        }
    }
    std::fwrite(window, 1, len, out);
    total += len;
    say_done_size(total);
    std::fclose(in);
    std::fclose(out);
    return true;
}

bool naive_dump(const std::string &enc_name, const std::string &csv_name, uint64_t total) {
    say(msg::dumping);
    FILE *in = std::fopen(enc_name.c_str(), "rb");
    FILE *out = in ? std::fopen(csv_name.c_str(), "w") : nullptr;
    if (!out)
        return false;
    char header[dump_header_capacity];
    std::fwrite(header, 1, format_dump_header(total, header), out);
    uint8_t in_byte;
    for (uint64_t i = 0; std::fread(&in_byte, 1, 1, in) == 1; ++i) {
        std::fprintf(out, "0x%02x,", in_byte);
        if (i % 16 == 15)
            std::fprintf(out, "\n");
    }
    say(msg::done);
    std::fclose(in);
    std::fclose(out);
    return true;
}

bool naive_verify(const std::string &enc_name, const std::string &dec_name) {
    say(msg::decompressing);
    FILE *in = std::fopen(enc_name.c_str(), "rb");
    FILE *out = in ? std::fopen(dec_name.c_str(), "wb") : nullptr;
    if (!out)
        return false;
    uint8_t window[ENCODE_WINDOW_SIZE];
    uint8_t in_byte;
    codec_state state{};
    uint64_t total = 0;
    size_t n = std::fread(&in_byte, 1, 1, in);
    while (n > 0) {
        uint32_t len = 0;
        if (decode_step(&in_byte, &state, static_cast<uint32_t>(n), window, &len) ==
            STEP_NEED_INPUT) {
            n = std::fread(&in_byte, 1, 1, in);
        } else {
            std::fwrite(window, 1, len, out);
            total += len;
        }
    }
    say_done_size(total);
    std::fclose(in);
    std::fclose(out);
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        say(msg::usage);
        return 1;
    }
    const std::string name = argv[1];
    uint64_t total = 0;
    const bool ok = naive_compress(argv[1], name + ".enc", total) &&
                    naive_dump(name + ".enc", name + ".csv", total) &&
                    naive_verify(name + ".enc", name + ".dec");
    return ok ? 0 : 1;
}
