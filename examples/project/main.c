/* main.c - expands logo.bin, which mavo_add_assets() compiled into the
   program as the array logo_bin, and prints it. */
#include <stdio.h>

#include <mavo/codec.h>

#include "logo_bin.h" /* logo_bin[], LOGO_BIN_SIZE, LOGO_BIN_DECODED_SIZE */

int main(void)
{
    /* One byte more room than the file: the one call then ends with
       STEP_NEED_INPUT, and its length tells whether all of it came. */
    static uint8_t logo[LOGO_BIN_DECODED_SIZE + 1];
    codec_state state = {0};
    uint32_t len = 0;

    decode_block(logo_bin, &state, LOGO_BIN_SIZE, logo, sizeof logo, &len);
    if (len != LOGO_BIN_DECODED_SIZE) {
        fprintf(stderr, "expanded %lu bytes, not %lu\n", (unsigned long)len,
                (unsigned long)LOGO_BIN_DECODED_SIZE);
        return 1;
    }
    fwrite(logo, 1, len, stdout);
    printf("(%lu bytes from a %lu-byte stream)\n", (unsigned long)len,
           (unsigned long)LOGO_BIN_SIZE);
    return 0;
}
