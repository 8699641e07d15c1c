/* chunks.c - expands a mavo stream that comes in pieces (from a file here;
   from flash, a serial line or a network elsewhere) through a small
   buffer, with no memory for the whole of either:
     chunks STREAM.enc > FILE */
#include <stdio.h>

#include <mavo/codec.h>

int main(int argc, char **argv)
{
    uint8_t chunk[64]; /* a piece of the stream as it arrives */
    uint8_t out[32];   /* expanded bytes, handed on whenever it is full */
    codec_state state = {0};
    size_t n;
    FILE *in;

    if (argc != 2 || !(in = fopen(argv[1], "rb"))) {
        fprintf(stderr, "usage: chunks STREAM.enc > FILE\n");
        return 1;
    }
    while ((n = fread(chunk, 1, sizeof chunk, in)) > 0) {
        int result;
        do { /* the same piece again while out comes back full */
            uint32_t len = 0;
            result = decode_block(chunk, &state, (uint32_t)n, out, sizeof out, &len);
            fwrite(out, 1, len, stdout);
        } while (result == STEP_OUTPUT_READY);
    }
    fclose(in);
    return 0;
}
