// streams.h - the two sides of a stream-size measurement: the stream that
// the mavo tool writes for a file, and the check that a stream gives the
// file back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using bytes = std::vector<uint8_t>;

// The stream that mavo writes into FILE.enc for a file holding
// data[0 .. size - 1]: encode_step() driven as the compress pass drives
// it, the input in the tool's read chunks, each full window appended as it
// is reported and the open window's reported part at the end.
bytes tool_stream(const uint8_t *data, size_t size);

// True when the stream decodes (decode_block()) to exactly data[0 .. size
// - 1]: no byte more, none fewer, none other. Both lengths must be below
// 4 GiB, the decoder's chunk and buffer limit.
bool decodes_to(const uint8_t *stream, size_t stream_size, const uint8_t *data, size_t size);
