/* target_test.c - the codec on a microcontroller, one program for every
   board (Cortex-M0, Cortex-M3, RV32IMAC, ATmega328P): the known streams of
   codec.h and a mavo dump of examples/asset.bin, embedded by
   mavo_add_assets() (the host's mavo), each expanded with decode_step() and
   decode_block() in chunks of several sizes into small buffers, measured
   with decoded_size(), and compressed again with encode_step(), every
   window checked against the stream the host made; and a table of a
   stream entry and a stored one, and the asset's descriptor, read through
   <mavo/assets.h> whole in pieces of every size from 1 to 300 bytes and
   from 100 offsets. Prints what fails and returns the number of failed
   checks (0: all passed). */
#include <mavo/codec.h>

#include <string.h>

#include "board.h"

#include "asset_bin.h"      /* the dump, from mavo_add_assets() */
#include "asset_original.h" /* asset.bin itself, to check against */
#include "board_original.h" /* board.h itself, stored in the table */
#include "target_files.h"   /* a table holding asset.bin too, found by its path */

/* The largest chunk of stream, and of input, handed to the codec at once. */
#define MAX_CHUNK 64u

/* A stream with the input it stands for, read through functions so that
   either may lie in program memory. */
struct sample {
    const char *name;
    uint32_t stream_len;
    uint32_t input_len;
    const void *context;
    void (*read_stream)(const struct sample *sample, uint32_t pos, uint8_t *to, uint32_t n);
    uint8_t (*input_at)(const struct sample *sample, uint32_t index);
    int decode_only; /* a stream the encoder never writes */
};

static int failures;

/* Counts a failed check and says which (what, a BOARD_TEXT), with a number
   that locates it. */
static int check(int ok, const struct sample *sample, const char *what, uint32_t where)
{
    if (!ok) {
        ++failures;
        board_print_text(BOARD_TEXT("FAILED: "));
        board_print(sample->name);
        board_print_text(BOARD_TEXT(": "));
        board_print_text(what);
        board_print_text(BOARD_TEXT(" at "));
        board_print_number(where);
        board_print_text(BOARD_TEXT("\n"));
    }
    return ok;
}

static uint32_t smaller(uint32_t a, uint32_t b)
{
    return a < b ? a : b;
}

/* ---- the known streams of codec.h ---- */

/* The build made to fail gets one expected byte wrong: AAAA as 01 41 04. */
#ifdef MAVO_TARGET_TEST_BROKEN
#define FOUR_A_RUN 0x04
#else
#define FOUR_A_RUN 0x03
#endif

struct known_stream {
    const uint8_t *input; /* null: input_len copies of fill */
    uint8_t fill;
    const uint8_t *stream;
};

static const uint8_t input_a[] = {0x41};
static const uint8_t input_aaaa[] = {0x41, 0x41, 0x41, 0x41};
static const uint8_t input_aab[] = {0x41, 0x41, 0x42};
static const uint8_t stream_a[] = {0x01, 0x41};
static const uint8_t stream_aaaa[] = {0x01, 0x41, FOUR_A_RUN};
static const uint8_t stream_aab[] = {0x01, 0x41, 0x01, 0x01, 0x42};
static const uint8_t stream_300_a[] = {0x01, 0x41, 0xFF, 0x00, 0x2C};
static const uint8_t stream_zero_start[] = {0x00, 0x05};

static const struct known_stream known_empty = {NULL, 0, NULL};
static const struct known_stream known_a = {input_a, 0, stream_a};
static const struct known_stream known_aaaa = {input_aaaa, 0, stream_aaaa};
static const struct known_stream known_aab = {input_aab, 0, stream_aab};
static const struct known_stream known_300_a = {NULL, 0x41, stream_300_a};
static const struct known_stream known_zero_start = {NULL, 0x00, stream_zero_start};

static void read_known_stream(const struct sample *sample, uint32_t pos, uint8_t *to, uint32_t n)
{
    const struct known_stream *known = sample->context;
    memcpy(to, known->stream + pos, (size_t)n);
}

static uint8_t known_input_at(const struct sample *sample, uint32_t index)
{
    const struct known_stream *known = sample->context;
    return known->input ? known->input[index] : known->fill;
}

/* ---- the embedded asset ---- */

/* The dump is in program memory on AVR when its header says so, and is
   read from there with memcpy_P; elsewhere it is plain memory. */
static void read_asset_stream(const struct sample *sample, uint32_t pos, uint8_t *to, uint32_t n)
{
    (void)sample;
#if defined(ASSET_BIN_IN_PROGMEM) && ASSET_BIN_IN_PROGMEM
    memcpy_P(to, asset_bin + pos, (size_t)n);
#else
    memcpy(to, asset_bin + pos, (size_t)n);
#endif
}

static uint8_t asset_input_at(const struct sample *sample, uint32_t index)
{
    uint8_t byte;
    (void)sample;
    board_read_const(&byte, asset_original + index, 1);
    return byte;
}

/* ---- the checks ---- */

/* True when the n bytes at got are the stream's from pos on. */
static int matches_stream(const struct sample *sample, uint32_t pos, const uint8_t *got, uint32_t n)
{
    uint8_t expected[16];
    uint32_t done, piece;
    if (pos + n > sample->stream_len)
        return 0;
    for (done = 0; done < n; done += piece) {
        piece = smaller(n - done, sizeof expected);
        sample->read_stream(sample, pos + done, expected, piece);
        if (memcmp(expected, got + done, (size_t)piece) != 0)
            return 0;
    }
    return 1;
}

/* True when the n bytes at got are the input's from index on. */
static int matches_input(const struct sample *sample, uint32_t index, const uint8_t *got, uint32_t n)
{
    uint32_t i;
    if (index + n > sample->input_len)
        return 0;
    for (i = 0; i < n; ++i) {
        if (got[i] != sample->input_at(sample, index + i))
            return 0;
    }
    return 1;
}

/* decode_step() through the stream in chunks of chunk_size bytes. */
static void decode_by_steps(const struct sample *sample, uint32_t chunk_size)
{
    codec_state state = {0};
    uint8_t chunk[MAX_CHUNK];
    uint32_t pos, n, expanded = 0;
    for (pos = 0; pos < sample->stream_len; pos += n) {
        /* Each stream byte gives at most 255 output bytes: a bound on the
           calls, so that a decoder that loops fails instead of hanging. */
        uint32_t calls;
        n = smaller(chunk_size, sample->stream_len - pos);
        sample->read_stream(sample, pos, chunk, n);
        for (calls = 0;; ++calls) {
            uint32_t len = 0;
            uint8_t byte = 0;
            int result;
            if (!check(calls <= 255u * n, sample, BOARD_TEXT("decode_step does not end"), pos))
                return;
            result = decode_step(chunk, &state, n, &byte, &len);
            if (result == STEP_NEED_INPUT) {
                check(len == 0, sample, BOARD_TEXT("decode_step reports bytes with NEED_INPUT"), pos);
                break;
            }
            if (!check(result == STEP_OUTPUT_READY && len == 1 &&
                           matches_input(sample, expanded, &byte, 1),
                       sample, BOARD_TEXT("decode_step gives a wrong byte"), expanded))
                return;
            ++expanded;
        }
    }
    check(expanded == sample->input_len, sample, BOARD_TEXT("decode_step gives a wrong length"), expanded);
}

/* decode_block() through the stream in chunks of chunk_size bytes, into a
   buffer of buffer_size bytes. */
static void decode_by_blocks(const struct sample *sample, uint32_t chunk_size, uint32_t buffer_size)
{
    codec_state state = {0};
    uint8_t chunk[MAX_CHUNK];
    uint8_t buffer[64];
    uint32_t pos, n, expanded = 0;
    for (pos = 0; pos < sample->stream_len; pos += n) {
        uint32_t calls;
        int result;
        n = smaller(chunk_size, sample->stream_len - pos);
        sample->read_stream(sample, pos, chunk, n);
        calls = 0;
        do {
            uint32_t len = 0;
            if (!check(calls++ <= 255u * n / buffer_size + 1u, sample, BOARD_TEXT("decode_block does not end"), pos))
                return;
            result = decode_block(chunk, &state, n, buffer, buffer_size, &len);
            if (!check((result == STEP_OUTPUT_READY && len == buffer_size) ||
                           (result == STEP_NEED_INPUT && len <= buffer_size),
                       sample, BOARD_TEXT("decode_block reports a wrong fill"), pos))
                return;
            if (!check(matches_input(sample, expanded, buffer, len), sample,
                       BOARD_TEXT("decode_block gives wrong bytes"), expanded))
                return;
            expanded += len;
        } while (result == STEP_OUTPUT_READY);
    }
    check(expanded == sample->input_len, sample, BOARD_TEXT("decode_block gives a wrong length"), expanded);
}

/* encode_step() on the input in chunks of chunk_size bytes: each window
   must be the next 256 bytes of the stream, the last one its rest. */
static void encode_in_chunks(const struct sample *sample, uint32_t chunk_size)
{
    static uint8_t window[ENCODE_WINDOW_SIZE];
    codec_state state = {0};
    uint8_t chunk[MAX_CHUNK];
    uint32_t index, n, i, written = 0, fill = 0;
    for (index = 0; index < sample->input_len; index += n) {
        uint32_t calls;
        int result;
        n = smaller(chunk_size, sample->input_len - index);
        for (i = 0; i < n; ++i)
            chunk[i] = sample->input_at(sample, index + i);
        calls = 0;
        do {
            fill = 0;
            if (!check(calls++ <= n + 1u, sample, BOARD_TEXT("encode_step does not end"), index))
                return;
            result = encode_step(window, &state, chunk, n, &fill);
            if (result == STEP_OUTPUT_READY) {
                if (!check(fill == ENCODE_WINDOW_SIZE &&
                               matches_stream(sample, written, window, fill),
                           sample, BOARD_TEXT("encode_step gives a wrong window"), written))
                    return;
                written += fill;
                fill = 0;
            } else if (!check(result == STEP_NEED_INPUT && fill <= ENCODE_WINDOW_SIZE, sample,
                              BOARD_TEXT("encode_step gives a wrong result"), index)) {
                return;
            }
        } while (result == STEP_OUTPUT_READY);
    }
    /* The last call's fill is the rest of the stream. */
    check(matches_stream(sample, written, window, fill) && written + fill == sample->stream_len,
          sample, BOARD_TEXT("encode_step gives a wrong end"), written);
}

static const uint8_t step_chunks[] = {1, 2, 7, MAX_CHUNK};
static const uint8_t block_plans[][2] = {
    /* chunk, buffer */
    {1, 1}, {3, 5}, {16, 7}, {MAX_CHUNK, 64}, {64, 1}, {2, 64},
};
static const uint8_t encode_chunks[] = {1, 5, 64, MAX_CHUNK};

static void check_sample(const struct sample *sample)
{
    unsigned i;
    for (i = 0; i < sizeof step_chunks; ++i)
        decode_by_steps(sample, step_chunks[i]);
    for (i = 0; i < sizeof block_plans / sizeof block_plans[0]; ++i)
        decode_by_blocks(sample, block_plans[i][0], block_plans[i][1]);
    if (!sample->decode_only) {
        for (i = 0; i < sizeof encode_chunks; ++i)
            encode_in_chunks(sample, encode_chunks[i]);
    }
}

/* decoded_size() of a stream that is in RAM as a whole. */
static void check_decoded_size(const struct sample *sample, const uint8_t *stream)
{
    const uint64_t size = decoded_size(stream, (size_t)sample->stream_len);
    check(size == sample->input_len, sample, BOARD_TEXT("decoded_size"), (uint32_t)size);
}

/* ---- the table ---- */

/* The table's entry of asset.bin, copied out of flash on AVR. */
static mavo_asset table_entry;

static void read_table_stream(const struct sample *sample, uint32_t pos, uint8_t *to, uint32_t n)
{
    (void)sample;
#if TARGET_FILES_IN_PROGMEM
    memcpy_P(to, table_entry.stream + pos, (size_t)n);
#else
    memcpy(to, table_entry.stream + pos, (size_t)n);
#endif
}

/* Finds asset.bin in the table by its path and expands it as any sample;
   a folder's path and an unknown one find nothing. */
static void check_table(void)
{
    static const struct sample sample = {
        "table's asset.bin", 0, ASSET_ORIGINAL_SIZE, NULL, read_table_stream, asset_input_at, 1,
    };
    struct sample found_sample = sample;
    const mavo_asset *found = target_files_find("examples/asset.bin");
    check(TARGET_FILES_COUNT == 2, &sample, BOARD_TEXT("the table's count"), TARGET_FILES_COUNT);
    check(target_files_find("examples") == NULL && target_files_find("asset.bin") == NULL,
          &sample, BOARD_TEXT("a path that is no file's"), 0);
    check(found != NULL, &sample, BOARD_TEXT("found by its path"), 0);
    if (!found)
        return;
    board_read_const(&table_entry, found, sizeof table_entry);
    check(table_entry.size == ASSET_ORIGINAL_SIZE, &sample, BOARD_TEXT("the entry's size"),
          (uint32_t)table_entry.size);
    found_sample.stream_len = table_entry.stream_size;
    check_sample(&found_sample);
}

/* ---- the reader ---- */

/* True when the n bytes at got are original[at ..], the original in flash
   on AVR. */
static int matches_original(const uint8_t *original, uint32_t at, const uint8_t *got, uint32_t n)
{
    uint8_t expected[16];
    uint32_t done, piece;
    for (done = 0; done < n; done += piece) {
        piece = smaller(n - done, sizeof expected);
        board_read_const(expected, original + at + done, (size_t)piece);
        if (memcmp(expected, got + done, (size_t)piece) != 0)
            return 0;
    }
    return 1;
}

/* True when a stored file's bytes, where they lie (in flash on AVR), are
   the original's. */
static int stored_matches(const uint8_t *bytes, const uint8_t *original, uint32_t size)
{
    uint8_t got[16];
    uint32_t done, piece;
    for (done = 0; done < size; done += piece) {
        piece = smaller(size - done, sizeof got);
        board_read_const(got, bytes + done, (size_t)piece);
        if (!matches_original(original, done, got, piece))
            return 0;
    }
    return 1;
}

/* Reads the file of `entry` (a pointer as the table or the header gives
   it, into flash on AVR) through mavo_read(): whole, in pieces of every
   size from 1 to 300 bytes, then 64 bytes from each of 100 offsets
   sought with mavo_seek(); each piece compared with the original. */
static void check_reading(const struct sample *sample, const mavo_asset *entry,
                          const uint8_t *original, uint32_t size)
{
    static uint8_t buffer[300];
    mavo_file file;
    uint32_t piece, i, state = 2024u;
    for (piece = 1; piece <= sizeof buffer; ++piece) {
        uint32_t at = 0, len, calls = 0;
        mavo_open(&file, entry);
        while ((len = mavo_read(&file, buffer, piece)) > 0 && calls++ <= size) {
            if (!check(len <= size - at && matches_original(original, at, buffer, len), sample,
                       BOARD_TEXT("mavo_read() in pieces of"), piece))
                return;
            at += len;
        }
        if (!check(at == size && mavo_tell(&file) == size, sample,
                   BOARD_TEXT("mavo_read() to the end in pieces of"), piece))
            return;
    }
    for (i = 0; i < 100; ++i) {
        uint32_t offset, len;
        state = state * 1103515245u + 12345u;
        offset = (state >> 8) % (size + 1u);
        if (!check(mavo_seek(&file, offset) == 0 && mavo_tell(&file) == offset, sample,
                   BOARD_TEXT("mavo_seek() to"), offset))
            return;
        len = mavo_read(&file, buffer, 64);
        if (!check(len == smaller(64, size - offset) && matches_original(original, offset, buffer, len),
                   sample, BOARD_TEXT("mavo_read() after a seek to"), offset))
            return;
    }
    check(mavo_seek(&file, size + 1u) == -1 && mavo_tell(&file) != size + 1u, sample,
          BOARD_TEXT("a seek past the end"), size);
}

/* The table's two files, a stream and a stored one, found by path and by
   their folder; and the single asset by its descriptor. */
static void check_reader(void)
{
    static const struct sample asset = {"reading asset.bin", 0, 0, NULL, NULL, NULL, 0};
    static const struct sample board = {"reading board.h", 0, 0, NULL, NULL, NULL, 0};
    static const struct sample single = {"reading asset_bin_asset", 0, 0, NULL, NULL, NULL, 0};
    const mavo_asset *stream = target_files_find("examples/asset.bin");
    const mavo_asset *stored = target_files_find("tests/target/board.h");
    uint32_t count = 0;
    if (!check(stream != NULL && stored != NULL, &asset, BOARD_TEXT("the table's files"), 0))
        return;
    check(mavo_bytes(stream) == NULL, &asset, BOARD_TEXT("mavo_bytes() of a stream"), 0);
    check(mavo_bytes(stored) != NULL &&
              stored_matches(mavo_bytes(stored), board_original, BOARD_ORIGINAL_SIZE) &&
              target_files_find_prefix("tests/", &count) == stored && count == 1,
          &board, BOARD_TEXT("stored, and in its folder"), count);
    check(target_files_find_prefix("", &count) != NULL && count == 2 &&
              target_files_find_prefix("test/", &count) == NULL && count == 0,
          &board, BOARD_TEXT("the table's folders"), count);
    check_reading(&asset, stream, asset_original, ASSET_ORIGINAL_SIZE);
    check_reading(&board, stored, board_original, BOARD_ORIGINAL_SIZE);
    check_reading(&single, &asset_bin_asset, asset_original, ASSET_ORIGINAL_SIZE);
}

int target_main(void)
{
    static const struct sample known[] = {
        {"empty", 0, 0, &known_empty, read_known_stream, known_input_at, 0},
        {"A", sizeof stream_a, sizeof input_a, &known_a, read_known_stream, known_input_at, 0},
        {"AAAA", sizeof stream_aaaa, sizeof input_aaaa, &known_aaaa, read_known_stream, known_input_at, 0},
        {"AAB", sizeof stream_aab, sizeof input_aab, &known_aab, read_known_stream, known_input_at, 0},
        {"300 A", sizeof stream_300_a, 300, &known_300_a, read_known_stream, known_input_at, 0},
        {"00 05", sizeof stream_zero_start, 5, &known_zero_start, read_known_stream, known_input_at, 1},
    };
    static const struct sample asset = {
        "asset.bin", ASSET_BIN_SIZE, ASSET_BIN_DECODED_SIZE, NULL, read_asset_stream, asset_input_at, 0,
    };
    unsigned i;

    board_print_text(BOARD_TEXT("mavo target test on " MAVO_TARGET_BOARD_NAME "\n"));
    for (i = 0; i < sizeof known / sizeof known[0]; ++i) {
        const struct known_stream *stream = known[i].context;
        check_sample(&known[i]);
        check_decoded_size(&known[i], stream->stream);
    }
    check(ASSET_BIN_DECODED_SIZE == ASSET_ORIGINAL_SIZE, &asset, BOARD_TEXT("the header's decoded size"),
          (uint32_t)ASSET_BIN_DECODED_SIZE);
    check_sample(&asset);
#if !(defined(ASSET_BIN_IN_PROGMEM) && ASSET_BIN_IN_PROGMEM)
    check_decoded_size(&asset, asset_bin);
#endif
    check_table();
    check_reader();
    board_print_text(failures == 0 ? BOARD_TEXT("all checks passed\n") : BOARD_TEXT("some checks FAILED\n"));
    return failures == 0 ? 0 : 1;
}
