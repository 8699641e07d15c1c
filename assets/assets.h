/*
 * assets.h - the entry of a table of embedded files, as mavo_add_assets(...
 * TABLE <name>) and `mavo_embed --table <name>` make it. Installed as
 * <mavo/assets.h>; it compiles as C99 and as C++.
 *
 * A table's own header, <name>.h, declares
 *
 *   const mavo_asset <name>[];                 -- sorted by path
 *   #define <NAME>_COUNT n                      -- its entries
 *   const mavo_asset *<name>_find(const char *path);
 *
 * <name>_find() takes a path relative to the table's folder, with `/`
 * between names, in UTF-8 and without a leading "./" ("css/site.css"), and
 * returns its entry, or null when no file has that path (a folder's own
 * path, "css", is not a file). It is a binary search over the paths, in
 * the byte order of their UTF-8; it allocates nothing.
 *
 * Serving a file by its path, in chunks through a small buffer:
 *
 *   const mavo_asset *file = web_find("css/site.css");
 *   if (file) {
 *       codec_state state = {0};
 *       uint8_t buffer[256];
 *       int result;
 *       do {
 *           uint32_t len = 0;
 *           result = decode_block(file->stream, &state, file->stream_size,
 *                                 buffer, sizeof buffer, &len);
 *           send(buffer, len);
 *       } while (result == STEP_OUTPUT_READY);
 *   }
 *
 * On AVR the table, its paths and its streams lie in flash (<NAME>_IN_PROGMEM
 * is 1): <name>_find() still takes a path in RAM, but the entry it returns
 * must be copied to RAM with memcpy_P() before its fields are used, and its
 * stream read with memcpy_P() a piece at a time.
 */
#ifndef MAVO_ASSETS_H
#define MAVO_ASSETS_H

#include <mavo/codec.h>

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mavo_asset {
    const char *path;             /* the file's path in the table, as above */
    const unsigned char *stream;  /* its mavo stream */
    uint32_t stream_size;         /* bytes of stream */
    uint64_t size;                /* bytes of the file: what the stream expands to */
    const codec_seek_point *seek; /* its seek points for decode_seek(), or null
                                     when the table was made without them */
    uint32_t seek_points;         /* how many */
    uint32_t seek_spacing;        /* output bytes from one point to the next */
} mavo_asset;

#ifdef __cplusplus
}
#endif

#endif /* MAVO_ASSETS_H */
