// reference_codec.h - slow, byte-at-a-time models of the codec that the
// tests and fuzz targets hold the real steps against, the shortest
// stream's length worked out plainly, and small drivers that run a whole
// pass over a chunked input.
#pragma once

#include <mavo/codec.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

using bytes = std::vector<uint8_t>;

// The encoder and decoder rules taken one input byte at a time, straight
// from the stream's definition, with no fast paths. Same contract as
// encode_step() and decode_step().
int reference_encode_step(uint8_t *window, codec_state *state,
                          const uint8_t *src, uint32_t src_len,
                          uint32_t *len_acc);
int reference_decode_step(const uint8_t *src, codec_state *state,
                          uint32_t src_len, uint8_t *window,
                          uint32_t *len_acc);

// The fewest bytes a stream that decodes to the input can have, from the
// input's end, every length of every section tried: O(n * 255).
size_t fewest_stream_bytes(const bytes &input);

// Reads a stream section by section, without any step machinery.
bytes read_stream_directly(const bytes &stream);

// True when every 256-byte window of the stream begins with a count byte,
// so that no section crosses from one window into the next.
bool windows_begin_with_count_bytes(const bytes &stream);

// Gives the length of the next chunk; called until the input is used up.
using chunker = std::function<uint32_t()>;

chunker whole_input();
chunker fixed_chunks(uint32_t size);

// Runs a whole encode or decode pass through encode_step()/decode_step(),
// splitting the input as the chunker says, and returns the output.
bytes encode_all(const bytes &input, const chunker &next_chunk);
bytes decode_all(const bytes &stream, const chunker &next_chunk);
