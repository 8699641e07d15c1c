/* check.c - reads every entry of the tables folder and listed (and many,
   with CHECK_MANY) and every single asset through <mavo/assets.h> and
   compares it with its file under the folder given: whole, in pieces of
   several sizes, and from several offsets; a stored entry's bytes also in
   place, by mavo_bytes(). Each folder's entries must be found together by
   <name>_find_prefix(), and no table may be larger than its files. Prints
   the tables' entry counts; exits 1 on the first file that differs.
     check FOLDER [MANY] */
#include <mavo/assets.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "folder.h"
#include "listed.h"
#ifdef CHECK_MANY
#include "many.h"
#endif

extern const mavo_asset *const singles[];
extern const unsigned singles_count;

static unsigned char *read_file(const char *root, const char *path, size_t *size)
{
    char name[4096];
    unsigned char *bytes = NULL;
    size_t n = 0;
    FILE *in;
    snprintf(name, sizeof name, "%s/%s", root, path);
    in = fopen(name, "rb");
    if (!in)
        return NULL;
    for (;;) {
        unsigned char *more = realloc(bytes, n + 65536 + 1);
        size_t got;
        if (!more)
            break;
        bytes = more;
        got = fread(bytes + n, 1, 65536, in);
        n += got;
        if (got == 0)
            break;
    }
    fclose(in);
    *size = n;
    return bytes;
}

static int fail(const char *path, const char *what)
{
    fprintf(stderr, "check: %s: %s\n", path, what);
    return 0;
}

/* Reads `asset` in pieces of `piece` bytes from `offset` on and compares
   with file[offset ..]. */
static int read_matches(const mavo_asset *asset, const unsigned char *file, uint32_t size,
                        uint32_t offset, uint32_t piece)
{
    static unsigned char buffer[1 << 16];
    mavo_file f;
    uint32_t at = offset;
    uint32_t calls = 0;
    mavo_open(&f, asset);
    if (mavo_seek(&f, offset) != 0 || mavo_tell(&f) != offset)
        return 0;
    for (;;) {
        uint32_t len = mavo_read(&f, buffer, piece);
        if (len > piece || len > size - at || memcmp(buffer, file + at, len) != 0)
            return 0;
        at += len;
        if (mavo_tell(&f) != at)
            return 0;
        if (len < piece)
            break;
        if (++calls > size + 2u)
            return 0; /* a reader that never ends */
    }
    return at == size && mavo_read(&f, buffer, piece) == 0;
}

static int check_asset(const char *root, const mavo_asset *asset)
{
    static const uint32_t pieces[] = {1, 7, 255, 256, 300, 65536};
    size_t n = 0;
    unsigned char *file = read_file(root, asset->path, &n);
    uint32_t size = (uint32_t)asset->size;
    unsigned i;
    int ok = 1;
    if (!file)
        return fail(asset->path, "cannot read the file");
    if (asset->size != n)
        ok = fail(asset->path, "its size is not the file's");
    for (i = 0; ok && i < sizeof pieces / sizeof pieces[0]; i++)
        if (!read_matches(asset, file, size, 0, pieces[i]))
            ok = fail(asset->path, "read in pieces, it is not the file");
    for (i = 0; ok && i < 5; i++) {
        const uint32_t offset = (uint32_t)((uint64_t)size * i / 4);
        if (!read_matches(asset, file, size, offset, 100))
            ok = fail(asset->path, "read from an offset, it is not the file");
    }
    if (ok && asset->stored && mavo_bytes(asset) != asset->stream)
        ok = fail(asset->path, "stored, but mavo_bytes() is not its bytes in place");
    if (ok && asset->stored && size > 0 && memcmp(mavo_bytes(asset), file, size) != 0)
        ok = fail(asset->path, "its stored bytes are not the file");
    if (ok && !asset->stored && mavo_bytes(asset) != NULL)
        ok = fail(asset->path, "a stream, but mavo_bytes() gives bytes");
    free(file);
    return ok;
}

/* Every entry, its folder's entries found together, and the table no
   larger than its files. */
static int check_table(const char *root, const char *name, const mavo_asset *table,
                       uint32_t count, const mavo_asset *(*find_prefix)(const char *, uint32_t *),
                       unsigned *stored)
{
    uint64_t files = 0;
    uint64_t embedded = 0;
    uint32_t i;
    for (i = 0; i < count; i++) {
        const mavo_asset *e = &table[i];
        const char *slash = strrchr(e->path, '/');
        if (!check_asset(root, e))
            return 0;
        files += e->size;
        embedded += e->stream_size;
        *stored += e->stored;
        if (slash) {
            char folder[4096];
            uint32_t listed = 0, expected = 0, k;
            const size_t length = (size_t)(slash - e->path) + 1;
            const mavo_asset *first;
            memcpy(folder, e->path, length);
            folder[length] = '\0';
            first = find_prefix(folder, &listed);
            for (k = 0; k < count; k++)
                expected += strncmp(table[k].path, folder, length) == 0;
            if (!first || listed != expected || strncmp(first->path, folder, length) != 0)
                return fail(e->path, "its folder is not listed by find_prefix()");
        }
    }
    if (embedded > files)
        return fail(name, "the table is larger than its files");
    printf("%s %lu\n", name, (unsigned long)count);
    return 1;
}

int main(int argc, char **argv)
{
    unsigned stored = 0;
    unsigned i;
    uint32_t none = 7;
    if (argc < 2)
        return 2;
    if (folder_find_prefix("no such folder/", &none) != NULL || none != 0)
        return fail("folder", "find_prefix() found what is not there"), 1;
    if (!check_table(argv[1], "folder", folder, FOLDER_COUNT, folder_find_prefix, &stored) ||
        !check_table(argv[1], "listed", listed, LISTED_COUNT, listed_find_prefix, &stored))
        return 1;
#ifdef CHECK_MANY
    if (argc < 3 || !check_table(argv[2], "many", many, MANY_COUNT, many_find_prefix, &stored))
        return 1;
#endif
    for (i = 0; i < singles_count; i++)
        if (!check_asset(argv[1], singles[i]))
            return 1;
    printf("singles %u\nstored %u\n", singles_count, stored);
    return 0;
}
