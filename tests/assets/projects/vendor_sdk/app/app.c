/* app.c - the SDK program: expands the embedded asset whole and from its
   built-in seek points at offsets all across it, compares every byte with
   the original, and says so on the semihosting console; its status is the
   run's. */
#include <mavo/codec.h>

#include <string.h>

#include "asset_bin.h"
#include "asset_original.h"
#include "board.h"
#include "expand.h"

/* Seeks to offsets this far apart, each checked for this many bytes. */
#define SEEK_STRIDE 97u
#define SEEK_CHECKED 40u

static int expands_whole(void)
{
    codec_state state;
    memset(&state, 0, sizeof state);
    return ASSET_BIN_DECODED_SIZE == ASSET_ORIGINAL_SIZE &&
           matches_original(asset_bin, ASSET_BIN_SIZE, &state, 0, ASSET_ORIGINAL_SIZE);
}

/* The number of offsets whose bytes come out wrong after decode_seek(). */
static uint32_t failed_seeks(void)
{
    uint32_t offset, failed = 0;
    for (offset = 0; offset < ASSET_ORIGINAL_SIZE; offset += SEEK_STRIDE) {
        codec_state state;
        const uint32_t p = decode_seek(asset_bin, ASSET_BIN_SIZE, asset_bin_seek,
                                       ASSET_BIN_SEEK_POINTS, ASSET_BIN_SEEK_SPACING, offset,
                                       &state);
        if (!matches_original(asset_bin + p, ASSET_BIN_SIZE - p, &state, offset, SEEK_CHECKED))
            ++failed;
    }
    return failed;
}

int target_main(void)
{
    const int whole = expands_whole();
    const uint32_t failed = failed_seeks();
    board_print("app: asset_bin whole ");
    board_print(whole ? "ok" : "MISMATCH");
    board_print(", seeks failed: ");
    board_print_number(failed);
    board_print("\n");
    return whole && failed == 0 ? 0 : 1;
}
