/* app.c - expands every asset of the project (asset_table.h, written at
   configure time) and compares it with its file; checks the placement
   asked for, and that the seek points built in are index_stream()'s and
   lead to the right bytes. */
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

static int seeks_in_shared_bin(void)
{
    static codec_seek_point made[SHARED_BIN_SEEK_POINTS + 1];
    static unsigned char whole[SHARED_BIN_DECODED_SIZE], part[100];
    codec_state state;
    uint32_t len = 0, offset;
    const uint32_t n = index_stream(shared_bin, SHARED_BIN_SIZE, SHARED_BIN_SEEK_SPACING, made,
                                    SHARED_BIN_SEEK_POINTS + 1);
    if (n != SHARED_BIN_SEEK_POINTS || memcmp(made, shared_bin_seek, n * sizeof made[0]) != 0) {
        fprintf(stderr, "shared_bin_seek is not what index_stream() makes\n");
        return 0;
    }
    memset(&state, 0, sizeof state);
    decode_block(shared_bin, &state, SHARED_BIN_SIZE, whole, sizeof whole, &len);
    for (offset = 0; offset < SHARED_BIN_DECODED_SIZE; offset += 37) {
        const uint32_t p = decode_seek(shared_bin, SHARED_BIN_SIZE, shared_bin_seek,
                                       SHARED_BIN_SEEK_POINTS, SHARED_BIN_SEEK_SPACING, offset,
                                       &state);
        const uint32_t want = SHARED_BIN_DECODED_SIZE - offset < sizeof part
                                  ? SHARED_BIN_DECODED_SIZE - offset
                                  : (uint32_t)sizeof part;
        len = 0;
        decode_block(shared_bin + p, &state, SHARED_BIN_SIZE - p, part, sizeof part, &len);
        if (len != want || memcmp(part, whole + offset, want) != 0) {
            fprintf(stderr, "a seek to %u in shared_bin gives the wrong bytes\n", (unsigned)offset);
            return 0;
        }
    }
    return 1;
}

int main(void)
{
    size_t i;
    int ok = (uintptr_t)shared_bin % 64 == 0;
    if (!ok)
        fprintf(stderr, "shared_bin is not aligned to 64 bytes\n");
    ok = seeks_in_shared_bin() && ok;
    for (i = 0; i < sizeof assets / sizeof assets[0]; ++i)
        ok = matches(&assets[i]) && ok;
    printf("%u assets checked\n", (unsigned)(sizeof assets / sizeof assets[0]));
    return ok ? 0 : 1;
}
