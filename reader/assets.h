/*
 * assets.h - files embedded in a program and the reader that reads them:
 * mavo_asset, the entry that mavo_add_assets(... TABLE <name>) and
 * `mavo_embed --table <name>` make for each file of a table, and that the
 * generator makes as the descriptor of a single asset; and mavo_open(),
 * mavo_read(), mavo_seek(), mavo_tell(), mavo_bytes() and
 * mavo_find_prefix(). Installed as <mavo/assets.h>. It compiles as C99 and
 * as C++, and the functions have C linkage; they are part of the codec
 * library (mavo::codec), allocate nothing and keep nothing outside the
 * caller's records.
 *
 * ------------------------------------------------------------------------
 * Entries
 * ------------------------------------------------------------------------
 * An entry describes one file, in one of two ways:
 *
 *   stream   stored == 0. `stream` is the file's mavo stream (<mavo/codec.h>),
 *            stream_size bytes of it, and `size` the number of bytes it
 *            expands to. seek, seek_points and seek_spacing are its seek
 *            points, made by index_stream() for that stream and spacing,
 *            or null, 0 and 0 when the entry has none.
 *   stored   stored == 1. `stream` is the file's bytes as they are, with
 *            stream_size == size, and there are no seek points (null, 0,
 *            0).
 *
 * The reader reads both kinds alike. Its offsets are 32 bits: an entry
 * whose size does not fit 32 bits is never given to it (the generator
 * refuses to embed such a file; given one anyway, the reader would take
 * the size's low 32 bits for it).
 *
 * A table's own header, <name>.h, declares
 *
 *   const mavo_asset <name>[];                 -- sorted by path
 *   #define <NAME>_COUNT n                      -- its entries
 *   const mavo_asset *<name>_find(const char *path);
 *   const mavo_asset *<name>_find_prefix(const char *prefix, uint32_t *count);
 *
 * <name>_find() takes a path relative to the table's folder, with `/`
 * between names, in UTF-8 and without a leading "./" ("css/site.css"), and
 * returns its entry, or null when no file has that path (a folder's own
 * path, "css", is not a file). It is a binary search over the paths, in
 * the byte order of their UTF-8; it allocates nothing.
 *
 * <name>_find_prefix(prefix, &count) is mavo_find_prefix(<name>,
 * <NAME>_COUNT, prefix, &count): the entries whose paths begin with
 * `prefix`, such as every file under a folder, which stand together in
 * the sorted table.
 *
 * A single asset's header declares its entry as a descriptor,
 *
 *   extern const mavo_asset <symbol>_asset;
 *
 * which the calls below take as &<symbol>_asset. (An asset whose file or
 * array is over 4 GiB has none: the header says so instead.)
 *
 * ------------------------------------------------------------------------
 * Reading a file
 * ------------------------------------------------------------------------
 * mavo_open() starts a reading of an entry in a mavo_file, a record the
 * caller owns; mavo_read() copies the file's next bytes out, as many as
 * there is room for until the end; mavo_seek() moves to any byte, and
 * mavo_tell() says where the next read begins. Any number of records may
 * read one entry at once, each on its own. A stored file may also be used
 * in place, without a copy: mavo_bytes().
 *
 * Serving a file by its path through a 256-byte buffer:
 *
 *   const mavo_asset *entry = web_find("css/site.css");
 *   if (entry) {
 *       mavo_file file;
 *       uint8_t buffer[256];
 *       uint32_t len;
 *       mavo_open(&file, entry);
 *       while ((len = mavo_read(&file, buffer, sizeof buffer)) > 0)
 *           send(buffer, len);
 *   }
 *
 * Listing a folder:
 *
 *   uint32_t count, i;
 *   const mavo_asset *first = web_find_prefix("css/", &count);
 *   for (i = 0; i < count; i++)
 *       list(first[i].path);   -- "css/print.css", "css/site.css", ...
 *
 * (On AVR that is list_P(pgm_read_ptr(&first[i].path)): see below.)
 *
 * A stream entry may also be expanded without the reader, by decode_block()
 * on its stream (and decode_seek() with its points), as <mavo/codec.h>
 * describes: the reader is those calls with the bookkeeping done.
 *
 * ------------------------------------------------------------------------
 * AVR
 * ------------------------------------------------------------------------
 * On AVR the tables, their entries and paths, single assets' descriptors,
 * the streams, the stored bytes and the seek points all lie in flash
 * (program memory; <NAME>_IN_PROGMEM is 1), which only pgm_read_byte(),
 * memcpy_P() and the other _P functions of <avr/pgmspace.h> read.
 * <name>_find() and <name>_find_prefix() still take a path in RAM, and
 * return a pointer into flash. The calls here take such pointers exactly
 * as those return them, and &<symbol>_asset as it is, and read what they
 * need from flash themselves; mavo_read() writes to RAM as anywhere else.
 * Only a program that reads an entry's fields itself must do so from
 * flash: memcpy_P() the entry into RAM, or pgm_read_ptr(&entry->path) for
 * its path (itself in flash, for strcmp_P() and the like); and so must one
 * that reads the bytes mavo_bytes() points to. As for every _P function,
 * all of it must lie in the first 64 KiB of flash.
 *
 * There the reader copies the stream into the mavo_file 32 bytes at a time
 * and decodes from that copy, so a mavo_file takes 70 bytes of RAM (40 on
 * 32-bit cores); and a seek walks the stream's count bytes in flash from
 * the seek point before the offset, as decode_seek() does in RAM.
 */
#ifndef MAVO_ASSETS_H
#define MAVO_ASSETS_H

#include <mavo/codec.h>

#include <stddef.h>
#include <stdint.h>

/* No bytes, as mavo_bytes() says it in either language (C++'s own null
   pointer where there is one, which strict warnings ask for). */
#if defined(__cplusplus) && __cplusplus >= 201103L
#define MAVO_ASSETS_NONE nullptr
#else
#define MAVO_ASSETS_NONE NULL
#endif
#if defined(__AVR__)
#include <avr/pgmspace.h>
/* A flash address as the byte pointer mavo_bytes() gives, in either language. */
#ifdef __cplusplus
#define MAVO_ASSETS_BYTES(address) static_cast<const unsigned char *>(address)
#else
#define MAVO_ASSETS_BYTES(address) ((const unsigned char *)(address))
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct mavo_asset {
    const char *path;             /* the file's path in the table, as above */
    const unsigned char *stream;  /* its mavo stream, or its bytes when stored */
    uint32_t stream_size;         /* bytes at stream */
    uint64_t size;                /* bytes of the file: what the stream expands to */
    const codec_seek_point *seek; /* its seek points for decode_seek(), or null
                                     when the table was made without them */
    uint32_t seek_points;         /* how many */
    uint32_t seek_spacing;        /* output bytes from one point to the next */
    uint8_t stored;               /* 1: `stream` holds the file's bytes as they
                                     are (stream_size == size), not a stream */
} mavo_asset;

/*
 * One reading of one file, owned by the caller: mavo_open() sets it, the
 * other calls take it. The fields are the reader's business; a caller only
 * passes the record on. They are public so that the record can live on
 * the caller's stack or in static storage without any allocation. A copy
 * of a record reads on from where the original was, on its own.
 */
typedef struct mavo_file {
    uint32_t pos;                /* the file offset the next read begins at */
    codec_state state;           /* the pass through the stream; its in_pos
                                    counts from the stream's start (on AVR
                                    from piece[0]) */
    uint8_t stored;              /* 1: the entry holds the file as it is */
#if defined(__AVR__)
    uint8_t have;                /* stream bytes in piece */
#endif
    uint32_t size;               /* bytes of the file, or fewer where its
                                    stream was found to end sooner */
    uint32_t walk;               /* bytes of stream: stream_size, 0 when
                                    stored, so that a seek walks none */
    const mavo_asset *asset;     /* the entry */
#if defined(__AVR__)
    uint16_t in;                 /* where piece[0] lies in the stream */
    uint8_t piece[32];           /* the stream's bytes, copied from flash */
#endif
} mavo_file;

/*
 * mavo_open() - start reading a file at its first byte.
 *
 * @f:     the record to read it with; its earlier contents do not matter.
 * @asset: the file's entry: one of a table's (from <name>_find(),
 *         <name>_find_prefix() or the table itself) or a single asset's
 *         descriptor. Not null: check what <name>_find() returns first.
 *         The entry and what it points to must stay where they are while
 *         the file is read, as the program's constant data does.
 *
 * Reads nothing of the stream and cannot fail. The file is, for a stored
 * entry, the stream_size bytes at `stream`; for a stream entry, the first
 * `size` bytes that the stream expands to.
 */
void mavo_open(mavo_file *f, const mavo_asset *asset);

/*
 * mavo_read() - copy the file's next bytes.
 *
 * @f:   a record that mavo_open() set.
 * @dst: where they go, from dst[0] on. Not null.
 * @len: room in @dst, any length: no more than @len bytes are written.
 *       Through a buffer of 256 bytes a stream is read about as fast as
 *       by decode_block() into the same buffer.
 *
 * Returns n, the number of bytes written, and moves the position on by n:
 * dst[0 .. n - 1] is the file from the old mavo_tell() on. n is @len
 * unless the end of the file comes first: then it is what was left, and 0
 * at the end (and for a @len of 0). So read until a call returns 0, or
 * less than @len.
 *
 * A stored file's bytes are copied as they are (memcpy_P() on AVR); a
 * stream is expanded by decode_block() straight into @dst (on AVR from the
 * record's copy of it), never past the file's size, even when the stream
 * holds more. An entry whose stream expands to fewer bytes than its size
 * (one whose parts do not belong together) ends where the stream does:
 * the read that finds the stream's end returns what there was, and from
 * then on the file ends where that read stopped: later reads return 0,
 * and mavo_seek() past that point fails. A read never reads outside the
 * stream, and its work is bounded by @len and the stream's length.
 */
uint32_t mavo_read(mavo_file *f, void *dst, uint32_t len);

/*
 * mavo_seek() - move to any byte of the file, where the next read begins.
 *
 * @f:      a record that mavo_open() set.
 * @offset: the byte, counted from the file's start. The file's size
 *          itself is allowed too: the record is then at the end.
 *
 * Returns 0 when the position is now @offset, or -1 when @offset is past
 * the end of the file: then nothing has changed, the position included.
 * Backwards, forwards and to where the record already is are all allowed.
 *
 * A stored file just takes the offset. A stream is walked by decode_seek()
 * with the entry's seek points when it has them, from the point before
 * @offset, and from the stream's start when it has none: see decode_seek()
 * in <mavo/codec.h> for the cost, about that of decoding one spacing's
 * worth of bytes with points, and of reading every count byte before
 * @offset without. On AVR the reader walks the count bytes in flash the
 * same way. An offset in a part of the file that the stream does not hold
 * (see mavo_read()) leaves the record at the stream's end, where reads
 * return 0.
 */
int mavo_seek(mavo_file *f, uint32_t offset);

/*
 * mavo_tell() - the file offset the next mavo_read() begins at: 0 after
 * mavo_open(), the file's size at its end.
 *
 * @f: a record that mavo_open() set.
 *
 * This and mavo_bytes() are defined here, inline: each is a load or two,
 * less code at the call than a call would be.
 */
static inline uint32_t mavo_tell(const mavo_file *f)
{
    return f->pos;
}

/*
 * mavo_bytes() - a stored file's bytes where they lie, without a copy.
 *
 * @asset: the file's entry, as for mavo_open(). Not null.
 *
 * Returns the entry's `stream` when the entry is stored: the file's
 * stream_size bytes as they are, there for as long as the program runs
 * (a pointer even for an empty file, to no bytes). Returns null for a
 * stream entry, whose bytes only mavo_read() or the codec give.
 *
 * On AVR the pointer is into flash: read what it points to with
 * pgm_read_byte() or memcpy_P(), never through the pointer itself.
 */
static inline const unsigned char *mavo_bytes(const mavo_asset *asset)
{
#if defined(__AVR__)
    return pgm_read_byte(&asset->stored) ? MAVO_ASSETS_BYTES(pgm_read_ptr(&asset->stream))
                                          : MAVO_ASSETS_NONE;
#else
    return asset->stored ? asset->stream : MAVO_ASSETS_NONE;
#endif
}

/*
 * mavo_find_prefix() - the entries of a table whose paths begin with a
 * prefix: every file under a folder ("css/"), a file by its whole path, or
 * with "" the whole table. Tables call it as <name>_find_prefix().
 *
 * @table:       the table's first entry; may be null when @table_count is
 *               0. Its entries must be sorted by path in strcmp() order
 *               (bytes compared as unsigned), as the generator sorts them,
 *               so that the paths that begin with one prefix stand
 *               together.
 * @table_count: how many entries it has.
 * @prefix:      the leading bytes to look for, a string in RAM, compared
 *               byte for byte: "css/" finds "css/site.css" but neither
 *               "css.txt" nor "cssx/a", and "css" finds all three. Null
 *               finds nothing.
 * @count:       receives how many entries begin with @prefix (0 when
 *               none); or null when only the first is wanted.
 *
 * Returns the first entry whose path begins with @prefix, the others
 * following it in path order (first[0 .. *count - 1]); or null, with
 * *count 0, when no path does.
 *
 * Two binary searches over the paths, about 2 log2(@table_count) path
 * comparisons in all, each reading at most strlen(@prefix) + 1 bytes of a
 * path; nothing is allocated. On AVR the table and its paths are read
 * from flash, and the entry returned points into flash.
 */
const mavo_asset *mavo_find_prefix(const mavo_asset *table, uint32_t table_count,
                                   const char *prefix, uint32_t *count);

#ifdef __cplusplus
}
#endif

#endif /* MAVO_ASSETS_H */
