/* assets.c - expands each asset that mavo_add_assets() embedded into a
   buffer sized by its header, and compares it with the file in the folder
   named on the command line. */
#include <mavo/codec.h>

#include <stdio.h>
#include <string.h>

#include "asset_2_font_bin.h"
#include "empty_bin.h"
#include "logo_bin.h"

/* The sizes are constant expressions: they size these arrays. */
static uint8_t logo[LOGO_BIN_DECODED_SIZE];
static uint8_t font[ASSET_2_FONT_BIN_DECODED_SIZE];
static uint8_t empty[EMPTY_BIN_DECODED_SIZE + 1]; /* C has no empty arrays */
static uint8_t original[1 << 16];

static int check(const char *dir, const char *name, const unsigned char *stream,
                 uint32_t stream_size, uint8_t *out, uint32_t expected_size)
{
    char path[4096];
    FILE *file;
    size_t size;
    codec_state state;
    uint32_t len = 0;

    snprintf(path, sizeof path, "%s/%s", dir, name);
    file = fopen(path, "rb");
    if (!file) {
        perror(path);
        return 0;
    }
    size = fread(original, 1, sizeof original, file);
    fclose(file);

    memset(&state, 0, sizeof state);
    if (decoded_size(stream, stream_size) != expected_size ||
        (expected_size > 0 &&
         decode_block(stream, &state, stream_size, out, expected_size, &len) !=
             STEP_OUTPUT_READY) ||
        len != size || memcmp(out, original, size) != 0) {
        fprintf(stderr, "%s: the embedded copy differs\n", name);
        return 0;
    }
    printf("%s: %u bytes from %u\n", name, (unsigned)len, (unsigned)stream_size);
    return 1;
}

int main(int argc, char **argv)
{
    int ok;
    if (argc < 2)
        return 1;
    ok = check(argv[1], "logo.bin", logo_bin, LOGO_BIN_SIZE, logo, LOGO_BIN_DECODED_SIZE);
    ok = check(argv[1], "2-font.bin", asset_2_font_bin, ASSET_2_FONT_BIN_SIZE, font,
               ASSET_2_FONT_BIN_DECODED_SIZE) && ok;
    ok = check(argv[1], "empty.bin", empty_bin, EMPTY_BIN_SIZE, empty, EMPTY_BIN_DECODED_SIZE) &&
         ok;
    return ok ? 0 : 1;
}
