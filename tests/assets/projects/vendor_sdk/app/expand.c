/* expand.c - the asset expanded piece by piece and compared with the
   original (asset_original.h). */
#include "expand.h"

#include <string.h>

#include "asset_original.h"

int matches_original(const uint8_t *stream, uint32_t size, codec_state *state, uint32_t offset,
                     uint32_t count)
{
    const uint32_t left = offset < ASSET_ORIGINAL_SIZE ? ASSET_ORIGINAL_SIZE - offset : 0;
    const uint32_t want = count < left ? count : left;
    uint8_t piece[32];
    uint32_t got = 0, round;
    /* One piece a round, and one more for the call that ends the stream. */
    for (round = 0; round <= want / sizeof piece + 1 && got < want; ++round) {
        const uint32_t room = want - got < sizeof piece ? want - got : (uint32_t)sizeof piece;
        uint32_t len = 0;
        const int step = decode_block(stream, state, size, piece, room, &len);
        if (len > room || memcmp(piece, asset_original + offset + got, len) != 0)
            return 0;
        got += len;
        if (step != STEP_OUTPUT_READY)
            break;
    }
    return got == want;
}
