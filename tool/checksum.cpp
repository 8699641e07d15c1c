// checksum.cpp - checksum, on xxHash used header-only: nothing to link, on
// any platform the tool builds for.
#include "checksum.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

struct checksum::state {
    XXH3_state_t xxh3;
};

checksum::checksum() : state_(new state) { XXH3_64bits_reset(&state_->xxh3); }

checksum::~checksum() = default;

void checksum::add(const void *data, size_t size) {
    XXH3_64bits_update(&state_->xxh3, data, size);
}

uint64_t checksum::value() const { return XXH3_64bits_digest(&state_->xxh3); }
