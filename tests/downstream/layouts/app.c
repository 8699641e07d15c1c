/* app.c - expands every asset of the project (asset_table.h, written at
   configure time) and compares it with its file. */
#include <mavo/codec.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct asset {
    const char *file;
    const unsigned char *stream;
    unsigned long size;
    unsigned long decoded_size;
};

#include "asset_table.h"

static int matches(const struct asset *a)
{
    static unsigned char original[1 << 16], expanded[1 << 16];
    codec_state state;
    uint32_t len = 0;
    size_t size;
    FILE *file = fopen(a->file, "rb");
    if (!file) {
        perror(a->file);
        return 0;
    }
    size = fread(original, 1, sizeof original, file);
    fclose(file);
    memset(&state, 0, sizeof state);
    if (a->decoded_size > 0)
        decode_block(a->stream, &state, (uint32_t)a->size, expanded, sizeof expanded, &len);
    if (len != size || a->decoded_size != size || memcmp(original, expanded, size) != 0 ||
        decoded_size(a->stream, a->size) != size) {
        fprintf(stderr, "%s: the embedded copy differs\n", a->file);
        return 0;
    }
    return 1;
}

int main(void)
{
    size_t i;
    int ok = 1;
    for (i = 0; i < sizeof assets / sizeof assets[0]; ++i)
        ok = matches(&assets[i]) && ok;
    printf("%u assets checked\n", (unsigned)(sizeof assets / sizeof assets[0]));
    return ok ? 0 : 1;
}
