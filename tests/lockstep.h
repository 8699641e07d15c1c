// lockstep.h - drives the real steps and the byte-at-a-time model over the
// same chunks and compares result, reported length, state and window after
// every call. A difference fails the running GoogleTest test.
#pragma once

#include "reference_codec.h"

// Encodes the input and returns the stream.
bytes encode_in_lockstep(const bytes &input, const chunker &next_chunk);

// Decodes the stream and returns the output; also fails the test when the
// decoder writes past window[0] or produces more than the stream can hold.
bytes decode_in_lockstep(const bytes &stream, const chunker &next_chunk);
