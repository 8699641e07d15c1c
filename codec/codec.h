/*
 * codec.h - the mavo run-length codec: its state record, stream format, the
 * two resumable step functions, the block decoder, the size queries and
 * random access through seek points.
 *
 * This is the codec's only public header. It compiles as C99 and as C++, and
 * the functions have C linkage, so firmware written in C can include it and
 * decode an array that the mavo tool dumped. Installed, it is
 * <mavo/codec.h>, with the library `mavo::codec` (CMake) or `mavo-codec`
 * (pkg-config).
 *
 * Which call to use:
 *   encode_step()   compress, in chunks of any size, into 256-byte windows.
 *   decode_block()  expand, in chunks of any size, into a buffer of any size:
 *                   the fast way, and the one to use in new code.
 *   decode_step()   expand one byte per call (the original interface).
 *   decoded_size()  how long a whole stream expands to, without expanding it.
 *   ENCODE_BOUND(n) the longest stream n input bytes can give.
 *   encode_smallest() compress a whole input in memory into the shortest
 *                   stream there is for it.
 *   index_stream()  seek points for a stream, one every `spacing` output bytes.
 *   decode_seek()   start a pass at any output byte, with or without points.
 *
 * ------------------------------------------------------------------------
 * The compressed stream
 * ------------------------------------------------------------------------
 * No header, no length, no terminator, no checksum. Sections alternate
 * strictly, beginning with a literal section:
 *
 *   literal section:  a count byte L (0..255), then L raw bytes copied to the
 *                     output. The last of them becomes the "last byte".
 *   run section:      a count byte R (0..255). The last byte is output R more
 *                     times.
 *
 * The stream may end after any section. Before the first literal the last
 * byte is 0, so a stream beginning 00 R decodes to R zero bytes
 * (encode_step() never writes such a stream; encode_smallest() does, for
 * an input that begins with zeros). Examples of encode_step()'s streams,
 * input -> stream, in hex:
 *
 *   (empty)              -> (empty)
 *   41                   -> 01 41
 *   41 41 41 41          -> 01 41 03
 *   41 41 42             -> 01 41 01 01 42
 *   41 repeated 300 times-> 01 41 FF 00 2C   (runs over 255 are split by an
 *                                             empty literal section)
 *
 * The encoder writes the stream as 256-byte windows back to back; every
 * window begins with a count byte and no section crosses into the next
 * window. The decoder does not care about windows.
 *
 * ------------------------------------------------------------------------
 * Driving a pass
 * ------------------------------------------------------------------------
 * Both step functions keep everything between calls in a codec_state that
 * the caller owns. They allocate nothing and keep no other state, so any
 * number of passes may run, one after another or side by side, each with its
 * own record. A state of all zero bytes starts a pass; there is no init call
 * and no end call.
 *
 * Each call consumes (part of) one input chunk and returns a step result:
 *
 *   STEP_NEED_INPUT    The whole chunk has been consumed. Call again with the
 *                      next chunk. With no next chunk the pass is over; the
 *                      first *len_acc bytes of the window, as this last call
 *                      reported them, are still to be written.
 *   STEP_OUTPUT_READY  The window must be written out now (how much of it:
 *                      see each function). Then call again with the SAME
 *                      chunk and length; the step continues where it stopped.
 *
 * On every return the step adds the number of valid bytes in the window to
 * *len_acc. Zero the accumulator before each call and it holds the window's
 * fill afterwards.
 */
#ifndef MAVO_CODEC_H
#define MAVO_CODEC_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Size in bytes of the output window that both step functions write into. */
enum { ENCODE_WINDOW_SIZE = 256 };

/*
 * ENCODE_BOUND(n) - the longest stream that any input of n bytes can give:
 * size a buffer that must hold a whole stream with it. A constant expression
 * when n is one, so it can size an array. n may be of any unsigned type up
 * to a third of its range.
 *
 * Why it holds: away from window ends the dearest input is pairs of equal
 * bytes (AABBCC..): each pair is a one-byte literal section and a one-repeat
 * run section, 3 stream bytes for 2 input bytes; longer sections cost less
 * per input byte. The first input byte may start such a pattern alone (2
 * stream bytes for 1). Each 256-byte window adds at most 3 count bytes that
 * carry no input: the empty run section that follows a window filled by
 * literals, or the empty literal and run sections that close a window whose
 * last byte has no room for a literal, and the empty literal section that
 * splits a run of 255 repeats. So a stream of S bytes has
 * S <= 1.5 n + 2 + 3 S / 256, that is S <= (1.5 n + 2) * 256 / 253, and
 * n + n/2 + n/56 + 16 is above that for every n, integer division included.
 * The tests check it on every input shape up to 20 bytes, and the fuzzers on
 * arbitrary input.
 */
#define ENCODE_BOUND(n) ((n) + (n) / 2 + (n) / 56 + 16)

/* Step results. */
enum {
    STEP_NEED_INPUT = 1,  /* chunk consumed: pass the next one */
    STEP_OUTPUT_READY = 2 /* empty the window, then pass the same chunk again */
};

/*
 * One pass's state, owned by the caller and zeroed before the first call of
 * the pass. The fields are the codec's business; a caller only zeroes the
 * record and passes it on. They are public so that the record can live on
 * the caller's stack or in static storage without any allocation.
 */
typedef struct codec_state {
    uint8_t mode;        /* 0: a literal section is open, 1: a run section */
    uint8_t force_empty; /* encoder: close the open literal section empty next */
    uint8_t count;       /* encoder: items in the open section so far;
                            decoder: bytes of the section still to come */
    uint8_t last;        /* the byte a run repeats */
    uint32_t produced;   /* bytes placed in the window since it was emptied */
    uint32_t in_pos;     /* next unread byte of the current chunk */
    uint32_t out_pos;    /* next free byte of the window */
    uint32_t slot_pos;   /* encoder: window index of the open section's count */
} codec_state;

/*
 * encode_step() - compress one chunk into the caller's window.
 *
 * @window:  the output window, ENCODE_WINDOW_SIZE bytes. Pass the same
 *           window to every call of the pass (or a fresh one after each
 *           STEP_OUTPUT_READY: windows are independent). Only indices
 *           0..255 are written.
 * @state:   the pass's state, zeroed before the first call.
 * @src:     the input chunk; may be null when @src_len is 0.
 * @src_len: the chunk's length in bytes. Chunks may have any length, and the
 *           stream does not depend on how the input is split into them. A
 *           first call with length 0 reads nothing, leaves the state zeroed
 *           and reports 0 bytes, so an empty input may be fed as such.
 * @len_acc: accumulator that receives the window's fill, or null.
 *
 * Returns STEP_OUTPUT_READY when the window is full: write all 256 bytes
 * (*len_acc grew by 256), then call again with the same chunk.
 *
 * Returns STEP_NEED_INPUT when the chunk is consumed. *len_acc grew by the
 * number of window bytes that form complete stream, the open section's count
 * byte included. Call again with the next chunk; the window keeps filling.
 * When the input is at its end, write those first bytes of the window: the
 * stream is complete, with no flush call needed. A later chunk of length 0
 * changes nothing and reports the same fill again.
 */
int encode_step(uint8_t *window, codec_state *state, const uint8_t *src,
                uint32_t src_len, uint32_t *len_acc);

/*
 * decode_step() - expand one chunk of stream, one output byte at a time.
 *
 * Note the argument order: the input comes first and the window fourth,
 * unlike encode_step().
 *
 * @src:     the chunk of compressed stream; may be null when @src_len is 0.
 * @state:   the pass's state, zeroed before the first call.
 * @src_len: the chunk's length in bytes; any length, any split of the stream.
 * @window:  the output window. The decoder writes only window[0], so one
 *           byte of room is enough.
 * @len_acc: accumulator that receives the window's fill, or null.
 *
 * Returns STEP_OUTPUT_READY after every decoded byte: window[0] holds it and
 * *len_acc grew by 1. Write that byte, then call again with the same chunk.
 *
 * Returns STEP_NEED_INPUT when the chunk is consumed; *len_acc grew by 0.
 * Call again with the next chunk, or stop when there is none.
 *
 * Every byte sequence is a valid stream, so there is no error result: count
 * bytes are taken as they come, and a stream cut short yields what it holds.
 * A call never reads past src[@src_len - 1] and its work is bounded by the
 * chunk's length, so a hostile stream cannot make it misbehave.
 */
int decode_step(const uint8_t *src, codec_state *state, uint32_t src_len,
                uint8_t *window, uint32_t *len_acc);

/*
 * decode_block() - expand one chunk of stream into a buffer of any size.
 *
 * The same pass and the same state as decode_step(), with the output going
 * straight into @dst: literal sections are copied and runs filled in bulk.
 * The two may be mixed in one pass, call by call: decode_step(src, s, n, w,
 * acc) does exactly what decode_block(src, s, n, w, 1, acc) does.
 *
 * @src:     the chunk of compressed stream; may be null when @src_len is 0.
 * @state:   the pass's state, zeroed before the first call.
 * @src_len: the chunk's length in bytes; any length, any split of the stream.
 * @dst:     where the expanded bytes go, from dst[0] on, each call afresh.
 * @dst_cap: room in @dst, at least 1. Only dst[0 .. dst_cap - 1] is written.
 * @len_acc: accumulator that receives the number of bytes written, or null.
 *
 * Returns STEP_OUTPUT_READY when @dst is full: *len_acc grew by @dst_cap.
 * Use those bytes, then call again with the SAME chunk (and a @dst with room
 * again, the same buffer or another).
 *
 * Returns STEP_NEED_INPUT when the chunk is consumed: *len_acc grew by the
 * bytes written, 0 to @dst_cap. Use them, then call with the next chunk, or
 * stop when there is none: the pass is complete.
 *
 * To expand a whole stream held in memory, make one call with the whole
 * stream and a buffer of n = decoded_size() bytes (n > 0; with n = 0 there
 * is nothing to expand and no call to make). A buffer filled exactly is
 * reported as full, as every call does when dst is full: the call returns
 * STEP_OUTPUT_READY with *len_acc grown by n, all of the output written. A
 * further call with the same stream and state writes nothing and returns
 * STEP_NEED_INPUT. Give it n + 1 bytes of room instead and the one call
 * returns STEP_NEED_INPUT with *len_acc grown by n. So check the length,
 * not the result:
 *
 *   uint32_t len = 0;
 *   codec_state state = {0};
 *   decode_block(stream, &state, stream_size, out, n, &len);
 *   if (len != n) -- the stream is not the one that was meant
 *
 * (A stream that expands to more than n bytes also fills the buffer: where
 * that can be, compare decoded_size() with n first.)
 *
 * Every byte sequence is a valid stream, as for decode_step(). A call never
 * reads past src[@src_len - 1] nor writes past dst[@dst_cap - 1], and it
 * always returns. A @dst_cap of 0 is a caller's mistake: the call then
 * changes nothing and returns 0, which is neither step result.
 */
int decode_block(const uint8_t *src, codec_state *state, uint32_t src_len,
                 uint8_t *dst, uint32_t dst_cap, uint32_t *len_acc);

/*
 * decoded_size() - the number of bytes a whole stream expands to.
 *
 * @src:     the whole stream (not a chunk); may be null when @src_len is 0.
 * @src_len: its length in bytes.
 *
 * Reads the count bytes only and writes nothing, so it is cheap next to
 * decoding. Any byte sequence has a size: a literal section cut short counts
 * the bytes that are there, as the decoder would give them. The result can
 * exceed what 32 bits hold (each stream byte may stand for up to 255 output
 * bytes); compare it with your buffer before decoding into it.
 */
uint64_t decoded_size(const uint8_t *src, size_t src_len);

/*
 * ENCODE_SMALLEST_SCRATCH(n) - the scratch bytes encode_smallest() needs for
 * an input of n bytes: two per input byte, so 0 for an empty input. A
 * constant expression when n is one, so it can size an array. n may be of
 * any unsigned type up to half its range.
 */
#define ENCODE_SMALLEST_SCRATCH(n) (2 * (n))

/*
 * encode_smallest() - the shortest stream the format allows for a whole
 * input held in memory.
 *
 * Writes a stream for src[0 .. @src_len - 1] such that no byte string that
 * decodes to the input is shorter. It is never longer than encode_step()'s
 * stream and often a little shorter (about 0.5% on random and on
 * bitmap-like bytes, a third on pairs of equal bytes): it places its
 * sections anywhere (the stream has no 256-byte windows), lets a literal
 * section hold repeats where a run would cost more, ends one where a short
 * repeat saves a section break, and, where the input begins with zero
 * bytes, may begin with 00 R (an empty literal section, then a run of the
 * zero that comes before the first literal). The decoders read it like any
 * other stream. The same input always gives the same stream.
 *
 * @src:     the whole input (not a chunk); may be null when @src_len is 0.
 * @src_len: its length in bytes, up to a third of size_t's range (the
 *           scratch alone takes twice as much memory).
 * @dst:     where the stream goes, from dst[0] on; may be null when
 *           @dst_cap is 0. Its @dst_cap bytes must not overlap @src or
 *           @scratch, as memcpy()'s buffers must not: the stream cannot
 *           be made in place, and overlapping buffers give a wrong stream
 *           or worse.
 * @dst_cap: room in @dst. ENCODE_BOUND(@src_len) bytes always suffice.
 * @scratch: ENCODE_SMALLEST_SCRATCH(@src_len) bytes of the caller's, for
 *           the call's plan: any alignment, any contents, none of them
 *           inside @src or @dst. The call leaves them overwritten. Null
 *           when @src_len is 0.
 *
 * Returns the stream's length: at least 2 for an input that is not empty,
 * since its first byte is a count. Returns 0 for an empty input (whose stream is empty),
 * and 0 when the stream does not fit in @dst_cap: then nothing at all is
 * written to @dst. On success only dst[0 .. length - 1] is written.
 *
 * Cost. Two passes: one from the input's end to its start that plans the
 * sections, one from the start that writes them. Time is linear in
 * @src_len: a few dozen steps where repeats and fresh bytes change places,
 * and where either goes on a while (random bytes, long runs) a word
 * compare and a plan byte or two per input byte. On 32 MiB of random or of
 * bitmap-like bytes it takes about 2 to 3 times as long as encode_step()
 * (bench/run measures both). Pairs of equal bytes (AABB..), a change at
 * every byte, are the slowest input, as they are for encode_step(), which
 * takes about two thirds as long on them.
 * Memory: the scratch, of which the plan pass writes one or two bytes per
 * input byte and the writer reads only where a section begins, and a
 * fixed few dozen bytes on the stack. Nothing is allocated, and the call
 * always returns.
 */
size_t encode_smallest(const uint8_t *src, size_t src_len, uint8_t *dst, size_t dst_cap,
                       void *scratch);

/*
 * ------------------------------------------------------------------------
 * Random access
 * ------------------------------------------------------------------------
 * A pass may start at any output byte: decode_seek() finds the place in the
 * stream and the state to start from, then decode_block() or decode_step()
 * go on from there as in any pass. Without help it reads the count bytes
 * from the start of the stream; with seek points, made once by
 * index_stream() and kept beside the stream (in RAM, or as a constant array
 * made at build time), it starts from the point just before the offset.
 *
 *   static codec_seek_point points[64]; -- one per 4096 output bytes
 *   uint8_t line[320];
 *   uint32_t n = index_stream(data, sizeof data, 4096, points, 64);
 *   codec_state state;
 *   uint32_t p = decode_seek(data, sizeof data, points, n < 64 ? n : 64,
 *                            4096, 200 * 320, &state);
 *   uint32_t len = 0;
 *   decode_block(data + p, &state, sizeof data - p, line, 320, &len);
 *   -- line[0 .. len-1] is output bytes 64000 .. 64319 (len < 320 only
 *      where the stream ends sooner)
 *
 * The points are a separate array and change nothing in the stream.
 */

/*
 * A place where a pass may start: the state the decoder is in after a
 * number of output bytes. The fields are the codec's business; a caller
 * keeps the array that index_stream() fills and hands it to decode_seek().
 * They are public so that the array can be static or constant, and so that
 * a build step can write it as a C initialiser, each point as
 * { section, last, into, run, 0 } in this field order:
 *
 *   section  where, in the stream, the section holding the point begins
 *            (the index of its count byte)
 *   last     the byte a run repeats: the last byte output before the point
 *            (0 before the first literal byte)
 *   into     output bytes of that section that come before the point,
 *            0 to 254; with 0 the section's count byte is still to be read
 *   run      1 when that section is a run section, 0 for a literal one
 *   zero     always 0
 *
 * 8 bytes on every compiler (no padding inside). The values depend only on
 * the stream and the spacing, not on the machine that made them, so points
 * made on the build machine serve the target.
 */
typedef struct codec_seek_point {
    uint32_t section;
    uint8_t last;
    uint8_t into;
    uint8_t run;
    uint8_t zero;
} codec_seek_point;

/*
 * index_stream() - seek points for a whole stream, one for every @spacing
 * bytes of output.
 *
 * @src:        the whole stream (not a chunk); may be null when @src_len
 *              is 0.
 * @src_len:    its length in bytes.
 * @spacing:    output bytes from one point to the next, at least 1. Point k
 *              is at output offset k * @spacing: 0, @spacing, 2 * @spacing,
 *              and so on, for every such offset before the end of the
 *              output.
 * @points:     where the points go, in order; may be null when @max_points
 *              is 0 (a null @points writes nothing whatever @max_points is).
 * @max_points: room in @points. Only points[0 .. @max_points - 1] is
 *              written.
 *
 * Returns n, the number of points the stream has at this spacing: the
 * output's length divided by @spacing, rounded up (0 for a stream that
 * expands to nothing). The first min(n, @max_points) of them are written.
 * So a first call with @max_points 0 tells how much room to give a second
 * one, and an array sized for a known output, (size + spacing - 1) /
 * spacing points, takes them in one call. A count that 32 bits cannot hold
 * (over 4 Gi points: spacing 1 on a stream of more than 4 GiB of output) is
 * given as UINT32_MAX, and only that many points exist. A @spacing of 0
 * gives no points and returns 0.
 *
 * Any byte sequence is a stream, as for the decoder, and has its points.
 * The call reads only src[0 .. @src_len - 1] and always returns. It walks
 * the stream section by section (a run's bytes are not expanded) up to the
 * last point it writes, so its time grows with the stream's length and the
 * number of points written; the points past its room are counted with
 * decoded_size(). It keeps nothing but a few words on the stack. The index takes 8 bytes per
 * point: at spacing 4096, 0.2% of the output, whatever the stream's
 * compression.
 */
uint32_t index_stream(const uint8_t *src, uint32_t src_len, uint32_t spacing,
                      codec_seek_point *points, uint32_t max_points);

/*
 * decode_seek() - start a pass at output byte @offset.
 *
 * @src:      the whole stream (not a chunk); may be null when @src_len is 0.
 * @src_len:  its length in bytes.
 * @points:   seek points that index_stream() made for this same stream
 *            and @spacing, or null.
 * @n_points: how many of them to use: any leading part of what
 *            index_stream() wrote, all of them or fewer (points past
 *            @n_points are never read). 0 uses none.
 * @spacing:  the spacing the points were made with. Ignored without
 *            points; a @spacing of 0 uses none.
 * @offset:   the output byte to start at, counted from the stream's first
 *            output byte. Any value: 64 bits, since the output may be up to
 *            255 times as long as the stream.
 * @state:    set for the pass; its earlier contents do not matter.
 *
 * Returns a position p in the stream, 0 to @src_len, and sets *state so
 * that decode_block(src + p, state, src_len - p, ...) (or decode_step(),
 * or chunks of the rest of the stream fed in turn) gives the output from
 * byte @offset on, exactly as a pass from the start gives it after its
 * first @offset bytes. For an offset before the end, *state is then the
 * very state a decode_block() pass over the whole stream has after @offset
 * bytes, but with in_pos counted from p (so in_pos is 0).
 *
 * An @offset at or past the end of the output gives a position from which
 * nothing more is decoded: p is @src_len, or a place where only empty
 * sections are left. decoded_size() tells where the end is.
 *
 * Cost. With points, the call starts from point @offset / @spacing (or the
 * last one given, when the offset lies past it) and walks the sections from
 * there to @offset: at most @spacing bytes of output, plus the 254 at most
 * that the point is into its section, passed section by section without
 * writing them (a run costs one step whatever its length). That is about
 * as much work as decoding @spacing bytes, and far less for runs; the
 * call's own arithmetic is a few dozen 32-bit steps. A stream that mavo
 * wrote has at most three empty sections per 256 bytes; an arbitrary one
 * may have any number, and the walk reads those between the point and
 * @offset too. With no points it walks from the start of the stream to
 * @offset, reading each count byte once, like decoded_size(). An offset
 * past the last point given walks on from that point. Nothing is allocated
 * and nothing is written but *state; 64-bit offsets need no library
 * routine for division or multiplication.
 *
 * Any byte sequence is a stream. The call reads only src[0 .. @src_len - 1]
 * and always returns. A point whose section lies at or past the end of the
 * stream is not used: the call then walks from the start, as without
 * points. Points made for another stream or another spacing give other
 * bytes than the offset's, but the position and state are still safe to
 * decode from.
 */
uint32_t decode_seek(const uint8_t *src, uint32_t src_len,
                     const codec_seek_point *points, uint32_t n_points,
                     uint32_t spacing, uint64_t offset, codec_state *state);

#ifdef __cplusplus
}
#endif

#endif /* MAVO_CODEC_H */
