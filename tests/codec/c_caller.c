/* c_caller.c - calls the codec and the reader of embedded files from C99,
   seeking and the shortest stream included, so the headers' C side and the
   functions' C linkage are checked by every build of the tests. */
#include <mavo/assets.h>
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

int c_caller_reader(void);

/* A table as a generated source writes it, entries initialised by
   position: a stored file and a stream of "zzzzz". */
static const unsigned char c_caller_text[] = {'a', 'b', 'c', 0};
static const unsigned char c_caller_stream[] = {0x01, 'z', 0x04, 0};
static const mavo_asset c_caller_table[] = {
    {"a.txt", c_caller_text, 3u, 3u, 0, 0u, 0u, 1},
    {"b/z.bin", c_caller_stream, 3u, 5u, 0, 0u, 0u, 0},
};

int c_caller_reader(void)
{
    mavo_file file;
    uint8_t out[8];
    uint32_t count = 0;

    if (mavo_find_prefix(c_caller_table, 2, "b/", &count) != &c_caller_table[1] || count != 1)
        return 0;
    if (mavo_bytes(&c_caller_table[0]) != c_caller_text || mavo_bytes(&c_caller_table[1]) != NULL)
        return 0;

    mavo_open(&file, &c_caller_table[1]);
    if (mavo_read(&file, out, sizeof out) != 5 || memcmp(out, "zzzzz", 5) != 0 ||
        mavo_read(&file, out, sizeof out) != 0)
        return 0;
    if (mavo_seek(&file, 6) != -1 || mavo_seek(&file, 4) != 0 || mavo_tell(&file) != 4)
        return 0;

    mavo_open(&file, &c_caller_table[0]);
    if (mavo_seek(&file, 1) != 0 || mavo_read(&file, out, sizeof out) != 2)
        return 0;
    return memcmp(out, "bc", 2) == 0 && mavo_tell(&file) == 3;
}
