/* main.c - prints logo.bin, which mavo_add_assets() compiled into the
   program, read back through its descriptor logo_bin_asset as any file
   is read. */
#include <stdio.h>

#include <mavo/assets.h>

#include "logo_bin.h" /* logo_bin_asset, LOGO_BIN_DECODED_SIZE, LOGO_BIN_SIZE */

int main(void)
{
    static uint8_t logo[LOGO_BIN_DECODED_SIZE];
    mavo_file file;
    uint32_t len;

    mavo_open(&file, &logo_bin_asset);
    len = mavo_read(&file, logo, sizeof logo); /* all of it: it fits */
    fwrite(logo, 1, len, stdout);
    printf("(%lu bytes from %lu in the program)\n", (unsigned long)len,
           (unsigned long)LOGO_BIN_SIZE);
    return len == LOGO_BIN_DECODED_SIZE ? 0 : 1;
}
