/* seek.c - reads one range of asset.bin without expanding what comes
   before it: mavo_seek() starts from the seek points embedded with it
   (SEEK_SPACING 256).
     seek OFFSET LENGTH > PART */
#include <stdio.h>
#include <stdlib.h>

#include <mavo/assets.h>

#include "asset_bin.h" /* asset_bin_asset, with its seek points */

int main(int argc, char **argv)
{
    uint8_t part[512];
    mavo_file file;
    unsigned long offset, length;

    if (argc != 3 || (length = strtoul(argv[2], NULL, 10)) > sizeof part) {
        fprintf(stderr, "usage: seek OFFSET LENGTH (at most %u) > PART\n",
                (unsigned)sizeof part);
        return 1;
    }
    offset = strtoul(argv[1], NULL, 10);
    mavo_open(&file, &asset_bin_asset);
    if (offset > ASSET_BIN_DECODED_SIZE || mavo_seek(&file, (uint32_t)offset) != 0) {
        fprintf(stderr, "asset.bin has only %lu bytes\n", (unsigned long)ASSET_BIN_DECODED_SIZE);
        return 1;
    }
    /* Fewer than LENGTH bytes only where the file ends sooner. */
    fwrite(part, 1, mavo_read(&file, part, (uint32_t)length), stdout);
    return 0;
}
