/* main.c - mavo on a microcontroller: the firmware carries a mavo dump of
   examples/asset.bin and expands it twice through a 64-byte buffer, once a
   byte at a time with decode_step() and once with decode_block(), checking
   each expansion against the original's size and XXH32 checksum. It reports
   through semihosting and exits 0 when both match. */
#include <mavo/codec.h>

#include <stdio.h>

#define XXH_INLINE_ALL /* header-only: nothing to link */
#include "xxhash.h"

#include "asset_bin.h"       /* the dump, from mavo_add_assets() */
#include "asset_expected.h"  /* ASSET_XXH32, the original's checksum */

/* What an expansion gave: its length and checksum. */
struct expansion {
    uint32_t size;
    uint32_t checksum;
};

/* Feeds the stream in chunks of this size, as if it came from a slow
   flash or a serial line, so that the state carries over between chunks. */
#define CHUNK 100u

static struct expansion expand_by_steps(void)
{
    XXH32_state_t hash;
    codec_state state = {0};
    uint8_t byte;
    uint32_t pos, size = 0;
    struct expansion result;

    XXH32_reset(&hash, 0);
    for (pos = 0; pos < ASSET_BIN_SIZE; pos += CHUNK) {
        const uint32_t n = ASSET_BIN_SIZE - pos < CHUNK ? ASSET_BIN_SIZE - pos : CHUNK;
        for (;;) {
            uint32_t len = 0;
            if (decode_step(asset_bin + pos, &state, n, &byte, &len) == STEP_NEED_INPUT)
                break;
            XXH32_update(&hash, &byte, len);
            size += len;
        }
    }
    result.size = size;
    result.checksum = XXH32_digest(&hash);
    return result;
}

static struct expansion expand_by_blocks(void)
{
    XXH32_state_t hash;
    codec_state state = {0};
    uint8_t buffer[64];
    uint32_t pos, size = 0;
    struct expansion result;

    XXH32_reset(&hash, 0);
    for (pos = 0; pos < ASSET_BIN_SIZE; pos += CHUNK) {
        const uint32_t n = ASSET_BIN_SIZE - pos < CHUNK ? ASSET_BIN_SIZE - pos : CHUNK;
        int step;
        do {
            uint32_t len = 0;
            step = decode_block(asset_bin + pos, &state, n, buffer, sizeof buffer, &len);
            XXH32_update(&hash, buffer, len);
            size += len;
        } while (step == STEP_OUTPUT_READY);
    }
    result.size = size;
    result.checksum = XXH32_digest(&hash);
    return result;
}

static int report(const char *how, struct expansion got)
{
    const int ok = got.size == ASSET_BIN_DECODED_SIZE && got.checksum == ASSET_XXH32;
    printf("%s: %lu bytes, XXH32 %08lx: %s\n", how, (unsigned long)got.size,
           (unsigned long)got.checksum, ok ? "ok" : "MISMATCH");
    return ok;
}

int main(void)
{
    int ok;
    printf("mavo on Cortex-M3: a %lu-byte dump of a %lu-byte asset (decoded_size says %lu)\n",
           (unsigned long)ASSET_BIN_SIZE, (unsigned long)ASSET_BIN_DECODED_SIZE,
           (unsigned long)decoded_size(asset_bin, ASSET_BIN_SIZE));
    ok = report("decode_step", expand_by_steps());
    ok = report("decode_block", expand_by_blocks()) && ok;
    return ok ? 0 : 1;
}
