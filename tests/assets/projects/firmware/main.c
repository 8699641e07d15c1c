/* main.c - expands both assets in small pieces and compares them with the
   originals, and checks that ALIGN and SECTION placed the first one. */
#include <mavo/codec.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "asset_bin.h"
#include "expected.h"
#include "plain_bin.h"

extern const unsigned char __ext_flash_start[], __ext_flash_end[];

static int expands_to(const unsigned char *stream, uint32_t size, const unsigned char *expected,
                      uint32_t expected_size)
{
    codec_state state;
    uint8_t piece[16];
    uint32_t pos, total = 0;
    int same = 1;
    memset(&state, 0, sizeof state);
    for (pos = 0; pos < size; pos += 7) {
        const uint32_t n = size - pos < 7 ? size - pos : 7;
        int step;
        do {
            uint32_t len = 0;
            step = decode_block(stream + pos, &state, n, piece, sizeof piece, &len);
            if (total + len > expected_size || memcmp(piece, expected + total, len) != 0)
                same = 0;
            total += len;
        } while (step == STEP_OUTPUT_READY && same);
    }
    return same && total == expected_size;
}

int main(void)
{
    const uintptr_t at = (uintptr_t)asset_bin;
    const int placed = at % 256 == 0 && asset_bin >= __ext_flash_start &&
                       asset_bin + ASSET_BIN_SIZE <= __ext_flash_end;
    const int asset_ok = expands_to(asset_bin, ASSET_BIN_SIZE, expected_asset, ASSET_BIN_DECODED_SIZE);
    const int plain_ok = expands_to(plain_bin, PLAIN_BIN_SIZE, expected_plain, PLAIN_BIN_DECODED_SIZE);
    printf("asset_bin at 0x%08lx: %s, %s; plain_bin: %s\n", (unsigned long)at,
           placed ? "aligned in .ext_flash" : "MISPLACED", asset_ok ? "ok" : "MISMATCH",
           plain_ok ? "ok" : "MISMATCH");
    return placed && asset_ok && plain_ok ? 0 : 1;
}
