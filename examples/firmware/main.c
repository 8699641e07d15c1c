/* main.c - mavo on a microcontroller: the firmware carries a mavo dump of
   examples/asset.bin and expands it twice through a 64-byte buffer, once a
   byte at a time with decode_step() and once with decode_block(), checking
   each expansion against the original's size and XXH32 checksum. Then it
   reads ranges of the asset with decode_seek(), through the seek points
   built into the firmware (mavo_add_assets' SEEK_SPACING: asset_bin_seek),
   half of them, and none, checking each against the whole expansion, and
   checks that index_stream() makes the same points here. It reports through
   semihosting and exits 0 when everything matches. */
#include <mavo/codec.h>

#include <stdio.h>
#include <string.h>

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

/* The seek points built in are one per SPACING output bytes. */
#define SPACING ASSET_BIN_SEEK_SPACING
static codec_seek_point points[ASSET_BIN_SEEK_POINTS];
static uint8_t whole[ASSET_BIN_DECODED_SIZE];

/* Reads `len` bytes from `offset` on (fewer where the asset ends) and
   checks them against the whole expansion. */
static int range_matches(const codec_seek_point *seek_points, uint32_t n_points,
                         uint32_t offset, uint32_t len)
{
    uint8_t buffer[64];
    codec_state state;
    const uint32_t start = decode_seek(asset_bin, ASSET_BIN_SIZE, seek_points, n_points,
                                       SPACING, offset, &state);
    const uint32_t expected = offset >= ASSET_BIN_DECODED_SIZE ? 0
                            : ASSET_BIN_DECODED_SIZE - offset < len ? ASSET_BIN_DECODED_SIZE - offset
                            : len;
    uint32_t done = 0;
    int step = STEP_OUTPUT_READY;
    while (done < len && step == STEP_OUTPUT_READY) {
        uint32_t got = 0, i;
        const uint32_t want = len - done < sizeof buffer ? len - done : sizeof buffer;
        step = decode_block(asset_bin + start, &state, ASSET_BIN_SIZE - start, buffer, want, &got);
        for (i = 0; i < got; i++)
            if (offset + done + i >= ASSET_BIN_DECODED_SIZE || buffer[i] != whole[offset + done + i])
                return 0;
        done += got;
    }
    return done == expected;
}

/* Offset and length of each range: inside, across points and sections, up
   to the end and past it. */
static const uint32_t ranges[][2] = {
    {0, 100}, {255, 2}, {256, 300}, {1000, 64}, {2047, 700}, {3000, 200}, {3072, 10},
};
#define RANGES (sizeof ranges / sizeof ranges[0])

static int seek_ranges(uint32_t *n_out)
{
    codec_state state = {0};
    uint32_t n, i;
    int ok;

    decode_block(asset_bin, &state, ASSET_BIN_SIZE, whole, sizeof whole, NULL);
    ok = XXH32(whole, sizeof whole, 0) == ASSET_XXH32;
    n = index_stream(asset_bin, ASSET_BIN_SIZE, SPACING, points, ASSET_BIN_SEEK_POINTS);
    ok = ok && n == ASSET_BIN_SEEK_POINTS && memcmp(points, asset_bin_seek, sizeof points) == 0;
    for (i = 0; i < RANGES; i++) {
        ok = ok && range_matches(asset_bin_seek, n, ranges[i][0], ranges[i][1]);
        ok = ok && range_matches(asset_bin_seek, n / 2, ranges[i][0], ranges[i][1]);
        ok = ok && range_matches(NULL, 0, ranges[i][0], ranges[i][1]);
    }
    *n_out = n;
    return ok;
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
    {
        uint32_t n = 0;
        const int seek_ok = seek_ranges(&n);
        printf("decode_seek: %lu ranges with the %lu points built in at %lu bytes, half of them, "
               "and none: %s\n",
               (unsigned long)RANGES, (unsigned long)n, (unsigned long)SPACING,
               seek_ok ? "ok" : "MISMATCH");
        ok = seek_ok && ok;
    }
    return ok ? 0 : 1;
}
