// reader.cpp - the reader of embedded files declared in assets.h:
// mavo_open(), mavo_read() and mavo_seek() over one entry (mavo_tell() and
// mavo_bytes() are inline there), and mavo_find_prefix() over a sorted
// table.
//
// A program reads a file through a small buffer, often 256 bytes, so what
// a read costs besides its decode_block() is paid every 256 bytes, and
// the three calls go into firmware whole: a read of a stream is that one
// call, with the stream passed whole, the record's in_pos keeping the
// place and the file's position doubling as the call's length
// accumulator. A stored entry gets a stream length of 0 (`walk`), so that
// a seek needs no case of its own: decode_seek() over no stream returns
// at once.
//
// On AVR the entries, streams and seek points lie in flash, which the
// codec cannot read: the stream reaches decode_block() through a small
// piece of it copied into the mavo_file, and a seek walks the count bytes
// in flash itself, by the rules the codec's own walk follows (internal.h).
#include "assets.h"

#include <string.h>

#if defined(__AVR__)
#include <avr/pgmspace.h>
// Beside the codec's sources in the tree, or copied into one folder with
// them.
#if __has_include("../codec/internal.h")
#include "../codec/internal.h"
#else
#include "internal.h"
#endif
#endif

namespace {

// An entry's fields, read where the entry lies: in flash on AVR. A size
// is read as its low half, where its value is all there (a size that does
// not fit 32 bits is never given to the reader).
#if defined(__AVR__)
uint8_t byte_at(const uint8_t *p) { return pgm_read_byte(p); }
uint32_t word_at(const void *p) { return pgm_read_dword(p); }
const unsigned char *stream_of(const mavo_asset *a) {
    return static_cast<const unsigned char *>(pgm_read_ptr(&a->stream));
}
const char *path_of(const mavo_asset *a) {
    return static_cast<const char *>(pgm_read_ptr(&a->path));
}
#else
uint8_t byte_at(const uint8_t *p) { return *p; }
uint32_t word_at(const uint32_t *p) { return *p; }
uint32_t word_at(const uint64_t *p) { return static_cast<uint32_t>(*p); }
const unsigned char *stream_of(const mavo_asset *a) { return a->stream; }
const char *path_of(const mavo_asset *a) { return a->path; }
#endif

#if defined(__AVR__)

using namespace codec_internal;

// Passes over `left` output bytes of a stream in flash from where r is,
// as decode_seek() walks one in RAM: a run in one step, a literal section
// by its count. It stops at the stream's end, so a stream cut short
// leaves r there.
void pass_in_flash(const uint8_t *src, uint32_t src_len, reader &r, uint32_t left) {
    while (left > 0 && r.in < src_len) {
        if (r.count == 0) {
            r.take_count_byte(pgm_read_byte(src + r.in));
            continue;
        }
        uint32_t n = smaller<uint32_t>(r.count, left);
        if (r.mode == literal_mode) {
            n = smaller(n, src_len - r.in);
            r.in += n;
            r.last = pgm_read_byte(src + r.in - 1);
        }
        r.count = static_cast<uint8_t>(r.count - n);
        left -= n;
        if (r.count == 0)
            r.close_section();
    }
}

#endif

} // namespace

extern "C" void mavo_open(mavo_file *f, const mavo_asset *asset) {
    f->asset = asset;
    const uint32_t stream_size = word_at(&asset->stream_size);
    const uint8_t stored = byte_at(&asset->stored);
    f->stored = stored;
    // A stored file is the bytes that are there, whatever `size` says, so
    // that a mismatched entry cannot send a read past them.
    if (stored) {
        f->size = stream_size;
        f->walk = 0;
    } else {
        f->size = word_at(&asset->size);
        f->walk = stream_size;
    }
    mavo_seek(f, 0);
}

extern "C" uint32_t mavo_read(mavo_file *f, void *dst, uint32_t len) {
    const uint32_t start = f->pos;
    const uint32_t left = f->size - start;
    if (len > left)
        len = left;
    if (f->stored) {
#if defined(__AVR__)
        memcpy_P(dst, stream_of(f->asset) + start, static_cast<size_t>(len));
#else
        memcpy(dst, stream_of(f->asset) + start, len);
#endif
        f->pos = start + len;
        return len;
    }
    // A stream that runs out before the file does ends the file there:
    // read on, decode_block() would take the record's in_pos, 0 now, for
    // the start of a next chunk and expand the stream again from its start.
#if defined(__AVR__)
    // The bytes written are counted by pointers into dst, 16 bits on AVR:
    // fewer registers to keep across the calls than 32-bit lengths.
    const unsigned char *const stream = stream_of(f->asset);
    uint8_t *const first = static_cast<uint8_t *>(dst);
    uint8_t *out = first;
    uint8_t *const end = first + len;
    // Each time the piece is used up, the next one: at most one round per
    // piece of stream, and none once the stream is out.
    for (;;) {
        uint32_t got = 0;
        const int result = decode_block(f->piece, &f->state, f->have, out,
                                        static_cast<uint32_t>(end - out), &got);
        out += got;
        if (result != STEP_NEED_INPUT)
            break;
        f->in += f->have;
        const size_t rest = static_cast<size_t>(f->walk) - f->in;
        f->have = static_cast<uint8_t>(rest < sizeof f->piece ? rest : sizeof f->piece);
        if (f->have == 0) {
            f->size = start + static_cast<size_t>(out - first);
            break;
        }
        memcpy_P(f->piece, stream + f->in, f->have);
    }
    f->pos = start + static_cast<size_t>(out - first);
#else
    if (decode_block(stream_of(f->asset), &f->state, f->walk, static_cast<uint8_t *>(dst), len,
                     &f->pos) == STEP_NEED_INPUT)
        f->size = f->pos;
#endif
    return f->pos - start;
}

extern "C" int mavo_seek(mavo_file *f, uint32_t offset) {
    if (offset > f->size)
        return -1;
    f->pos = offset;
    const mavo_asset *const a = f->asset;
#if defined(__AVR__)
    // decode_seek() for a stream in flash: from the point before the
    // offset, when its section is in the stream, else from the start.
    const unsigned char *const stream = stream_of(a);
    const codec_seek_point *const points =
        static_cast<const codec_seek_point *>(pgm_read_ptr(&a->seek));
    const uint32_t n_points = word_at(&a->seek_points);
    const uint32_t spacing = word_at(&a->seek_spacing);
    reader r{literal_mode, 0, 0, 0};
    uint32_t left = offset;
    if (points != nullptr && n_points > 0 && spacing > 0) {
        const uint32_t k = smaller(offset / spacing, n_points - 1);
        codec_seek_point point;
        memcpy_P(&point, points + k, sizeof point);
        if (point.section < f->walk) {
            r.mode = point.run != 0 ? run_mode : literal_mode;
            r.last = point.last;
            r.in = point.section;
            pass_in_flash(stream, f->walk, r, point.into);
            left = offset - k * spacing;
        }
    }
    pass_in_flash(stream, f->walk, r, left);
    f->state = codec_state{};
    r.store(f->state);
    f->in = static_cast<uint16_t>(r.in); // a stream the _P calls read ends below 64 KiB
    f->have = 0;
#else
    f->state.in_pos = decode_seek(stream_of(a), f->walk, a->seek, a->seek_points,
                                  a->seek_spacing, offset, &f->state);
#endif
    return 0;
}

extern "C" const mavo_asset *mavo_find_prefix(const mavo_asset *table, uint32_t table_count,
                                              const char *prefix, uint32_t *count) {
    uint32_t bounds[2] = {0, 0};
    if (prefix != nullptr) {
        const size_t len = strlen(prefix);
        // Two searches in one loop: first for the entries whose paths sort
        // before the prefix (compared through its terminating zero, which
        // is strcmp()), then, from there on, for those whose first len
        // bytes are no greater than it: the ones that begin with it.
        // strncmp() orders bytes as unsigned, as the table is sorted.
        uint32_t low = 0;
        for (int pass = 0; pass < 2; ++pass) {
            const size_t n = len + 1 - static_cast<size_t>(pass);
            uint32_t high = table_count;
            while (low < high) {
                const uint32_t middle = low + (high - low) / 2;
                const char *const path = path_of(table + middle);
#if defined(__AVR__)
                const int order = strncmp_P(prefix, path, n);
#else
                const int order = strncmp(prefix, path, n);
#endif
                if (order > -pass)
                    low = middle + 1;
                else
                    high = middle;
            }
            bounds[pass] = low;
        }
    }
    if (count != nullptr)
        *count = bounds[1] - bounds[0];
    return bounds[1] != bounds[0] ? table + bounds[0] : nullptr;
}
