/* expand.h - what both programs of the SDK app use to check the embedded
   asset: expanding part of it and comparing with the original. */
#ifndef VENDOR_SDK_EXPAND_H
#define VENDOR_SDK_EXPAND_H

#include <mavo/codec.h>

/* Expands up to `count` bytes of the asset from `offset` on (fewer at its
   end) with decode_block() alone, going on from `state` over the `size`
   bytes of stream at `stream`, in small pieces; 1 when every byte is the
   original's. */
int matches_original(const uint8_t *stream, uint32_t size, codec_state *state, uint32_t offset,
                     uint32_t count);

#endif /* VENDOR_SDK_EXPAND_H */
