/* serve.c - hands out a file of the folder web/ by its path, as a small
   web server would: the table web, made by mavo_add_assets(... DIRECTORY
   web TABLE web), finds it, and it is expanded in pieces through a small
   buffer:
     serve css/site.css > FILE */
#include <stdio.h>

#include <mavo/assets.h>

#include "web.h" /* web[], WEB_COUNT, web_find() */

int main(int argc, char **argv)
{
    const mavo_asset *file = argc == 2 ? web_find(argv[1]) : NULL;
    codec_state state = {0};
    uint8_t buffer[64];
    int result;

    if (!file) {
        fprintf(stderr, "404: no file of the %u in web/ has that path\n", (unsigned)WEB_COUNT);
        return 1;
    }
    do {
        uint32_t len = 0;
        result = decode_block(file->stream, &state, file->stream_size, buffer, sizeof buffer,
                              &len);
        fwrite(buffer, 1, len, stdout); /* send(connection, buffer, len) */
    } while (result == STEP_OUTPUT_READY);
    return 0;
}
