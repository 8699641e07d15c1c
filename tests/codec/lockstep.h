// lockstep.h - drives the real steps and the byte-at-a-time model over the
// same chunks and compares result, reported length, state and window after
// every call. A difference fails the running GoogleTest test.
#pragma once

#include "reference_codec.h"

// Encodes the input and returns the stream.
bytes encode_in_lockstep(const bytes &input, const chunker &next_chunk);

// Decodes the stream and returns the output; also fails the test when the
// decoder writes past window[0] or produces more than the stream can hold.
// decode_block() with a one-byte buffer runs alongside and must do exactly
// what decode_step() does.
bytes decode_in_lockstep(const bytes &stream, const chunker &next_chunk);

// Gives the capacity of the next decode_block() call's buffer (at least 1).
using capacity_plan = std::function<uint32_t()>;

// Decodes the stream with decode_block(), each call into a buffer of the
// capacity the plan gives; a capacity of 1 alternates decode_step() and
// decode_block(), so the two are mixed in one pass. Fails the test when a
// call writes past its capacity, returns a result that does not fit what it
// wrote, or leaves a chunk in another state than the model does.
bytes decode_in_blocks(const bytes &stream, const chunker &next_chunk,
                       const capacity_plan &next_capacity);
