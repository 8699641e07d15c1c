/* block_only.c - a program that calls decode_block() and nothing else of
   the codec: expands the embedded asset and checks it. Its link shows what
   a program carries of the codec it does not call. */
#include <mavo/codec.h>

#include <string.h>

#include "asset_bin.h"
#include "asset_original.h"
#include "board.h"
#include "expand.h"

int target_main(void)
{
    codec_state state;
    int ok;
    memset(&state, 0, sizeof state);
    ok = ASSET_BIN_DECODED_SIZE == ASSET_ORIGINAL_SIZE &&
         matches_original(asset_bin, ASSET_BIN_SIZE, &state, 0, ASSET_ORIGINAL_SIZE);
    board_print(ok ? "block_only: asset_bin ok\n" : "block_only: asset_bin MISMATCH\n");
    return ok ? 0 : 1;
}
