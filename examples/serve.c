/* serve.c - hands out a file of the folder web/ by its path, as a small
   web server would, from the table web that mavo_add_assets(... DIRECTORY
   web TABLE web) made: a file by its path, as a request gives it; a
   folder's index.html for the folder's path; else the folder's files,
   listed.
     serve /css/site.css > FILE
     serve / > index.html
     serve /css/          (lists css/site.css) */
#include <stdio.h>
#include <string.h>

#include <mavo/assets.h>

#include "web.h" /* web[], WEB_COUNT, web_find(), web_find_prefix() */

/* Sends a file's bytes: a stored file's as they lie in the program, with
   no copy; a stream's expanded through a small buffer. */
static void send_file(const mavo_asset *file)
{
    const unsigned char *bytes = mavo_bytes(file);
    if (bytes) {
        fwrite(bytes, 1, file->stream_size, stdout); /* send(connection, bytes, n) */
    } else {
        mavo_file reading;
        uint8_t buffer[256];
        uint32_t len;
        mavo_open(&reading, file);
        while ((len = mavo_read(&reading, buffer, sizeof buffer)) > 0)
            fwrite(buffer, 1, len, stdout);
    }
}

int main(int argc, char **argv)
{
    /* The table's paths begin below the top folder: no leading `/`. */
    const char *path = argc == 2 ? argv[1] + strspn(argv[1], "/") : NULL;
    const mavo_asset *file = path ? web_find(path) : NULL;
    const mavo_asset *first;
    char index[256];
    uint32_t count = 0;
    uint32_t i;

    if (!path) {
        fprintf(stderr, "usage: serve PATH\n");
        return 2;
    }
    if (!file && strlen(path) + sizeof "/index.html" <= sizeof index) {
        /* A folder's path, with or without its `/`: its index.html. */
        const size_t n = strlen(path);
        const char *slash = n == 0 || path[n - 1] == '/' ? "" : "/";
        snprintf(index, sizeof index, "%s%sindex.html", path, slash);
        file = web_find(index);
    }
    if (file) {
        send_file(file);
        return 0;
    }
    /* No index: the folder's files, found together in the sorted table. */
    first = web_find_prefix(path, &count);
    if (!first || path[0] == '\0' || path[strlen(path) - 1] != '/') {
        fprintf(stderr, "404: no file of the %u in web/ has that path\n", (unsigned)WEB_COUNT);
        return 1;
    }
    for (i = 0; i < count; i++)
        printf("%s\n", first[i].path);
    return 0;
}
