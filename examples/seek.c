/* seek.c - reads one range of asset.bin, embedded with its seek points
   (SEEK_SPACING 256), without expanding what comes before it:
     seek OFFSET LENGTH > PART */
#include <stdio.h>
#include <stdlib.h>

#include <mavo/codec.h>

#include "asset_bin.h" /* asset_bin[], asset_bin_seek[] and their sizes */

int main(int argc, char **argv)
{
    uint8_t part[512];
    codec_state state;
    uint32_t len = 0;
    uint32_t at;
    unsigned long offset, length;

    if (argc != 3 || (length = strtoul(argv[2], NULL, 10)) > sizeof part) {
        fprintf(stderr, "usage: seek OFFSET LENGTH (at most %u) > PART\n",
                (unsigned)sizeof part);
        return 1;
    }
    offset = strtoul(argv[1], NULL, 10);
    /* The state at `offset`, from the seek point before it... */
    at = decode_seek(asset_bin, ASSET_BIN_SIZE, asset_bin_seek, ASSET_BIN_SEEK_POINTS,
                     ASSET_BIN_SEEK_SPACING, offset, &state);
    /* ...then an ordinary pass from there; it stops when part is full. */
    if (length > 0)
        decode_block(asset_bin + at, &state, ASSET_BIN_SIZE - at, part, (uint32_t)length, &len);
    fwrite(part, 1, len, stdout);
    return 0;
}
