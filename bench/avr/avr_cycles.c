/* avr_cycles.c - the decoder's speed on the ATmega328P, in cycles counted
   by simavr (bench/avr_cycles runs it): decode_block() on four kinds of
   stream and a decode_step() loop, expanding in RAM, beside memcpy() and
   memset() of as many bytes. decode_block() is measured in two shapes: one
   call into a buffer that holds the whole expansion, and a loop of calls
   into one 256-byte buffer (as a chip with 2 KiB of RAM expands), the
   latter beside memcpy() and memset() called once per 256-byte piece.
   Each measurement is bracketed by writes to GPIOR2, on which simavr_run
   counts the cycles, leaving out the pauses in which each piece is
   checked; a line reads "name bytes cycles". Each expansion is checked
   against the length and checksum of the bytes the stream was made from;
   the status is the number of mismatches. */
#include <mavo/codec.h>

#include <avr/io.h>
#include <string.h>

#include "board.h"

static int failures;

/* One arena for the stream and the output after it, as large as the
   chip's 2 KiB of RAM allows beside the stack: each case expands as much
   as fits, so that the call's fixed cost weighs as little as it can. */
#define ARENA 1560u

static uint8_t arena[ARENA];
static uint16_t stream_len;
static uint16_t output_len;
/* What the expansion must give: its length and checksum, made with it. */
static uint16_t expected_sum;

static uint8_t *output(void)
{
    return arena + stream_len;
}

/* A position-dependent sum, so that a byte out of place shows. */
static uint16_t checksum_add(uint16_t sum, uint8_t b)
{
    return (uint16_t)((uint16_t)(sum << 1 | sum >> 15) ^ b);
}

/* simavr_run's measurement commands (see simavr_run.c). */
enum { MEASURE_STOP = 0, MEASURE_START = 1, MEASURE_PAUSE = 2, MEASURE_RESUME = 3 };

/* The buffer of the piecewise shape. */
#define PIECE 256u

static void start_measuring(const char *name, uint16_t bytes)
{
    board_print_text(name);
    board_print_text(BOARD_TEXT(" "));
    board_print_number(bytes);
    board_print_text(BOARD_TEXT(" "));
    GPIOR2 = MEASURE_START;
}

static void pause_measuring(void)
{
    GPIOR2 = MEASURE_PAUSE;
}

static void resume_measuring(void)
{
    GPIOR2 = MEASURE_RESUME;
}

static void stop_measuring(void)
{
    GPIOR2 = MEASURE_STOP;
    board_print_text(BOARD_TEXT("\n"));
}

/* A small xorshift generator: the same bytes on every run. */
static uint16_t random_state = 0xACE1u;

static uint8_t random_byte(void)
{
    random_state ^= (uint16_t)(random_state << 7);
    random_state ^= (uint16_t)(random_state >> 9);
    random_state ^= (uint16_t)(random_state << 8);
    return (uint8_t)random_state;
}

static uint8_t last_byte;

static void start_stream(void)
{
    stream_len = 0;
    output_len = 0;
    expected_sum = 0;
    last_byte = 0;
}

static void add_literal(uint8_t b)
{
    arena[stream_len++] = b;
    last_byte = b;
    expected_sum = checksum_add(expected_sum, b);
    ++output_len;
}

static void add_count(uint8_t count)
{
    arena[stream_len++] = count;
}

static void add_run(uint8_t repeats)
{
    uint8_t i;
    add_count(repeats);
    for (i = 0; i < repeats; ++i)
        expected_sum = checksum_add(expected_sum, last_byte);
    output_len = (uint16_t)(output_len + repeats);
}

/* 768 random literals, each different from the one before: full literal
   sections and empty runs. */
static void make_literals(void)
{
    start_stream();
    while (output_len < 768u) {
        const uint16_t left = (uint16_t)(768u - output_len);
        const uint8_t n = (uint8_t)(left < 255u ? left : 255u);
        uint8_t i;
        add_count(n);
        for (i = 0; i < n; ++i) {
            uint8_t b = random_byte();
            add_literal(b == last_byte ? (uint8_t)(b + 1u) : b);
        }
        add_run(0);
    }
}

/* 1024 bytes: one byte, then runs of 255 split by empty literal sections. */
static void make_long_runs(void)
{
    start_stream();
    add_count(1);
    add_literal(0x5A);
    add_run(254);
    while (output_len < 1024u) {
        const uint16_t left = (uint16_t)(1024u - output_len);
        add_count(0);
        add_run((uint8_t)(left < 255u ? left : 255u));
    }
}

/* 1024 bytes like a drawn image: runs of 20 to 83 of one colour, then an
   edge of 1 to 6 mixed bytes. */
static void make_bitmap_like(void)
{
    static const uint8_t palette[] = {0x00, 0xFF, 0x10, 0x80};
    start_stream();
    while (output_len < 1024u) {
        uint16_t left = (uint16_t)(1024u - output_len);
        uint8_t edge = (uint8_t)(random_byte() % 6u + 1u);
        uint8_t run = (uint8_t)(random_byte() % 64u + 20u);
        uint8_t i;
        if (edge > left)
            edge = (uint8_t)left;
        add_count(edge);
        for (i = 0; i < edge; ++i)
            add_literal(i == 0 ? palette[random_byte() % 4u] : random_byte());
        left = (uint16_t)(left - edge);
        if (run > left)
            run = (uint8_t)left;
        add_run(run);
    }
}

/* 512 bytes of AABBCC..: one-byte literal sections and one-repeat runs,
   the worst case. */
static void make_pairs(void)
{
    start_stream();
    while (output_len < 512u) {
        add_count(1);
        add_literal((uint8_t)(output_len / 2u));
        add_run(1);
    }
}

static uint16_t checksum_bytes(uint16_t sum, const uint8_t *bytes, uint16_t len)
{
    uint16_t i;
    for (i = 0; i < len; ++i)
        sum = checksum_add(sum, bytes[i]);
    return sum;
}

static void check_expansion(uint16_t len, uint16_t sum)
{
    if (len != output_len || sum != expected_sum) {
        ++failures;
        board_print_text(BOARD_TEXT("MISMATCH\n"));
    }
}

static void check_output(uint16_t len)
{
    check_expansion(len, checksum_bytes(0, output(), len));
}

static void measure_decode_block(const char *name)
{
    codec_state state = {0};
    uint32_t len = 0;
    memset(output(), 0, output_len);
    start_measuring(name, output_len);
    decode_block(arena, &state, stream_len, output(), output_len, &len);
    stop_measuring();
    check_output((uint16_t)len);
}

/* The whole stream in RAM, expanded by a loop of calls into one 256-byte
   buffer until the pass is complete; each piece is checked in a pause. */
static void measure_decode_block_pieces(const char *name)
{
    codec_state state = {0};
    uint8_t *piece = output();
    uint16_t at = 0, sum = 0;
    /* Bounded: a call per full piece, and the one that completes the pass. */
    uint8_t calls_left = (uint8_t)(output_len / PIECE + 2u);
    int step;
    start_measuring(name, output_len);
    do {
        uint32_t len = 0;
        step = decode_block(arena, &state, stream_len, piece, PIECE, &len);
        pause_measuring();
        sum = checksum_bytes(sum, piece, (uint16_t)len);
        at = (uint16_t)(at + len);
        resume_measuring();
    } while (step == STEP_OUTPUT_READY && --calls_left != 0);
    stop_measuring();
    check_expansion(at, sum);
}

/* The baselines of the piecewise shape: as many bytes, copied or filled
   into one 256-byte buffer a piece at a time. */
static void measure_memcpy_pieces(const char *name)
{
    uint16_t at;
    start_measuring(name, output_len);
    for (at = 0; at < output_len; at = (uint16_t)(at + PIECE))
        memcpy(output(), arena + at, output_len - at < PIECE ? output_len - at : PIECE);
    stop_measuring();
}

static void measure_memset_pieces(const char *name)
{
    uint16_t at;
    start_measuring(name, output_len);
    for (at = 0; at < output_len; at = (uint16_t)(at + PIECE))
        memset(output(), 0x5A, output_len - at < PIECE ? output_len - at : PIECE);
    stop_measuring();
}

static void measure_decode_step(const char *name)
{
    codec_state state = {0};
    uint8_t *out = output();
    uint16_t at = 0;
    memset(out, 0, output_len);
    start_measuring(name, output_len);
    /* Bounded: one call per output byte. */
    while (at < output_len) {
        uint32_t len = 0;
        if (decode_step(arena, &state, stream_len, out + at, &len) != STEP_OUTPUT_READY)
            break;
        ++at;
    }
    stop_measuring();
    check_output(at);
}

int target_main(void)
{
    make_literals();
    measure_decode_block(BOARD_TEXT("decode_block/literals"));
    measure_decode_block_pieces(BOARD_TEXT("decode_block256/literals"));
    measure_decode_step(BOARD_TEXT("decode_step/literals"));
    start_measuring(BOARD_TEXT("memcpy"), output_len);
    memcpy(output(), arena, output_len);
    stop_measuring();
    measure_memcpy_pieces(BOARD_TEXT("memcpy256"));

    make_long_runs();
    measure_decode_block(BOARD_TEXT("decode_block/runs"));
    measure_decode_block_pieces(BOARD_TEXT("decode_block256/runs"));
    measure_decode_step(BOARD_TEXT("decode_step/runs"));
    start_measuring(BOARD_TEXT("memset"), output_len);
    memset(output(), 0x5A, output_len);
    stop_measuring();
    measure_memset_pieces(BOARD_TEXT("memset256"));

    make_bitmap_like();
    measure_decode_block(BOARD_TEXT("decode_block/bitmap"));
    measure_decode_block_pieces(BOARD_TEXT("decode_block256/bitmap"));
    measure_decode_step(BOARD_TEXT("decode_step/bitmap"));

    make_pairs();
    measure_decode_block(BOARD_TEXT("decode_block/pairs"));
    measure_decode_block_pieces(BOARD_TEXT("decode_block256/pairs"));
    measure_decode_step(BOARD_TEXT("decode_step/pairs"));
    return failures;
}
