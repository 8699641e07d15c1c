/*
 * embed_decode.c - how to carry a file inside a C program with mavo, and
 * get it back at run time.
 *
 * 1. At build time mavo_embed makes the file's stream into the array
 *    asset_bin, declared in asset_bin.h with its sizes: in CMake through
 *    mavo_add_assets(program FILES asset.bin), in make/Makefile and
 *    meson/meson.build as a rule of their own.
 * 2. Feed the array to decode_step() in one chunk, taking each byte it hands
 *    back (embed_decode.cpp does the same with decode_block(), the faster
 *    way, in one call).
 *
 * This program writes the expanded bytes to the file named on its command
 * line. Firmware would store them in RAM or send them to a device instead.
 */
#include <mavo/codec.h>

#include <stdio.h>

#include "asset_bin.h"

int main(int argc, char **argv)
{
    codec_state state = {0};
    uint8_t window[ENCODE_WINDOW_SIZE];
    unsigned long size = 0;
    FILE *out;
    int result;

    if (argc < 2) {
        fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 1;
    }
    out = fopen(argv[1], "wb");
    if (!out) {
        perror(argv[1]);
        return 1;
    }

    /* The whole array is one chunk. Every STEP_OUTPUT_READY hands back one
       byte in window[0]; STEP_NEED_INPUT means the array is used up. */
    do {
        uint32_t len = 0;
        result = decode_step(asset_bin, &state, ASSET_BIN_SIZE, window, &len);
        if (len > 0 && fwrite(window, 1, len, out) != len)
            break;
        size += len;
    } while (result == STEP_OUTPUT_READY);

    if (result != STEP_NEED_INPUT || fclose(out) != 0) {
        perror(argv[1]);
        return 1;
    }
    printf("%lu bytes from a %lu-byte array\n", size, (unsigned long)ASSET_BIN_SIZE);
    return 0;
}
