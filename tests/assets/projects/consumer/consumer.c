/* consumer.c - a C99 program of a project that uses mavo's codec: it
   compresses a buffer, sizes it with the size queries and expands it with
   decode_block(), through the installed header's name. */
#include <mavo/codec.h>

#include <stdio.h>
#include <string.h>

#define INPUT_SIZE 1000u

int main(void)
{
    static uint8_t input[INPUT_SIZE];
    static uint8_t stream[ENCODE_BOUND(INPUT_SIZE)];
    static uint8_t output[INPUT_SIZE];
    uint8_t window[ENCODE_WINDOW_SIZE];
    codec_state state = {0};
    uint32_t i, len = 0, stream_size = 0;

    for (i = 0; i < INPUT_SIZE; i++)
        input[i] = (uint8_t)(i / 7 % 3 == 0 ? i : i / 7);
    while (encode_step(window, &state, input, INPUT_SIZE, &len) == STEP_OUTPUT_READY) {
        memcpy(stream + stream_size, window, len);
        stream_size += len;
        len = 0;
    }
    memcpy(stream + stream_size, window, len);
    stream_size += len;

    if (decoded_size(stream, stream_size) != INPUT_SIZE) {
        fprintf(stderr, "decoded_size is wrong\n");
        return 1;
    }
    memset(&state, 0, sizeof state);
    len = 0;
    if (decode_block(stream, &state, stream_size, output, sizeof output, &len) !=
            STEP_OUTPUT_READY ||
        len != INPUT_SIZE || memcmp(output, input, INPUT_SIZE) != 0) {
        fprintf(stderr, "the round trip failed\n");
        return 1;
    }
    printf("%u bytes -> %u-byte stream -> %u bytes\n", INPUT_SIZE, stream_size, len);
    return 0;
}
