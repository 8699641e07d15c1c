/* c_caller.c - calls the codec from C99, seeking and the shortest stream
   included, so the header's C side and the functions' C linkage are
   checked by every build of the tests. */
#include <mavo/codec.h>

#include <string.h>

int c_caller_round_trip(void);

int c_caller_round_trip(void)
{
    static const uint8_t input[] = {'a', 'a', 'a', 'b'};
    uint8_t window_out[ENCODE_WINDOW_SIZE];
    uint8_t stream[ENCODE_BOUND(sizeof input)]; /* a constant expression */
    uint8_t output[sizeof input];
    uint8_t window[ENCODE_WINDOW_SIZE];
    codec_state state;
    uint32_t len = 0;
    uint32_t i, n = 0;

    memset(&state, 0, sizeof state);
    if (encode_step(window_out, &state, input, sizeof input, &len) != STEP_NEED_INPUT ||
        len > sizeof stream)
        return 0;
    memcpy(stream, window_out, len);

    if (decoded_size(stream, len) != sizeof input)
        return 0;

    memset(&state, 0, sizeof state);
    for (;;) {
        uint32_t got = 0;
        int result = decode_step(stream, &state, len, window, &got);
        for (i = 0; i < got && n < sizeof output; i++)
            output[n++] = window[i];
        if (result == STEP_NEED_INPUT)
            break;
    }
    if (n != sizeof input || memcmp(output, input, n) != 0)
        return 0;

    /* The last byte through a seek point: one every 2 bytes of output. */
    {
        codec_seek_point points[2];
        uint32_t p, got = 0;
        if (index_stream(stream, len, 2, points, 2) != 2)
            return 0;
        p = decode_seek(stream, len, points, 2, 2, 3, &state);
        decode_block(stream + p, &state, len - p, window, 1, &got);
        if (got != 1 || window[0] != 'b')
            return 0;
    }

    /* The shortest stream, its scratch sized by a constant expression. */
    {
        uint8_t scratch[ENCODE_SMALLEST_SCRATCH(sizeof input)];
        uint8_t smallest[ENCODE_BOUND(sizeof input)];
        uint32_t got = 0;
        size_t size = encode_smallest(input, sizeof input, smallest, sizeof smallest, scratch);
        if (size == 0 || size > len)
            return 0;
        memset(&state, 0, sizeof state);
        decode_block(smallest, &state, (uint32_t)size, output, sizeof output, &got);
        return got == sizeof input && memcmp(output, input, sizeof input) == 0;
    }
}
