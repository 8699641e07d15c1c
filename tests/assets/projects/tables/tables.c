/* tables.c - finds every file of the tables web and fonts by its path,
   expands it through a small buffer and compares it with the file on disk:
     tables_c WEB_DIR WEB_COUNT FONTS_DIR FONTS_COUNT
   Exits 0 when everything matches, 1 otherwise, saying what did not. */
#include <mavo/assets.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "fonts.h"
#include "site_css.h"
#include "web.h"

static int failures;

static void fail(const char *what, const char *path)
{
    fprintf(stderr, "%s: %s\n", what, path);
    ++failures;
}

/* Expands `entry` through a 100-byte buffer, comparing each piece with the
   file at dir/path; a stored entry's bytes are compared where they lie. */
static void check_entry(const mavo_asset *entry, const char *dir)
{
    char name[1024];
    FILE *file;
    codec_state state = {0};
    uint8_t buffer[100];
    uint8_t expected[100];
    uint64_t total = 0;
    int result;
    snprintf(name, sizeof name, "%s/%s", dir, entry->path);
    file = fopen(name, "rb");
    if (!file) {
        fail("cannot open", name);
        return;
    }
    do {
        uint32_t len = 0;
        if (entry->stored) {
            len = (uint32_t)(entry->size - total < sizeof buffer ? entry->size - total
                                                                  : sizeof buffer);
            memcpy(buffer, mavo_bytes(entry) + total, len);
            result = len == sizeof buffer ? STEP_OUTPUT_READY : STEP_NEED_INPUT;
        } else {
            result = decode_block(entry->stream, &state, entry->stream_size, buffer,
                                  sizeof buffer, &len);
        }
        if (fread(expected, 1, len, file) != len || memcmp(buffer, expected, len) != 0)
            fail("bytes differ", name);
        total += len;
    } while (result == STEP_OUTPUT_READY && failures == 0);
    if (total != entry->size || fgetc(file) != EOF)
        fail("sizes differ", name);
    fclose(file);
}

static void check_table(const mavo_asset *table, unsigned count, unsigned expected_count,
                        const mavo_asset *(*find)(const char *), const char *dir)
{
    static const char *const not_files[] = {"", "css", "css/", "./index.html", "nothing.txt",
                                            "/index.html"};
    unsigned i;
    if (count != expected_count)
        fail("wrong count for", dir);
    for (i = 0; i < count; ++i) {
        if (i > 0 && strcmp(table[i - 1].path, table[i].path) >= 0)
            fail("not sorted at", table[i].path);
        if (find(table[i].path) != &table[i])
            fail("not found by its path", table[i].path);
        check_entry(&table[i], dir);
    }
    for (i = 0; i < sizeof not_files / sizeof not_files[0]; ++i)
        if (find(not_files[i]))
            fail("found what is no file", not_files[i]);
    if (find(NULL))
        fail("found", "a null path");
}

int main(int argc, char **argv)
{
    const mavo_asset *site;
    if (argc != 5) {
        fprintf(stderr, "usage: %s WEB_DIR WEB_COUNT FONTS_DIR FONTS_COUNT\n", argv[0]);
        return 1;
    }
    check_table(web, WEB_COUNT, (unsigned)atoi(argv[2]), web_find, argv[1]);
    check_table(fonts, FONTS_COUNT, (unsigned)atoi(argv[4]), fonts_find, argv[3]);
    /* The single asset of a file that is in the table too. */
    site = web_find("css/site.css");
    if (!site || site->size != SITE_CSS_DECODED_SIZE || (!site->stored && site->seek_points == 0))
        fail("the table and the single asset disagree on", "css/site.css");
    if (((uintptr_t)fonts[0].stream & 3) != 0)
        fail("not aligned", fonts[0].path);
    printf("%u web files, %u fonts\n", WEB_COUNT, FONTS_COUNT);
    return failures ? 1 : 0;
}
