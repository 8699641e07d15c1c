// main.cpp - expands the asset whole and from a seek, in C++, and compares
// both with the original file.
#include <mavo/codec.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "asset_bin.h"

int main() {
    std::vector<uint8_t> original(ASSET_BIN_DECODED_SIZE + 1);
    std::FILE *file = std::fopen(ORIGINAL, "rb");
    if (!file)
        return 1;
    const size_t size = std::fread(original.data(), 1, original.size(), file);
    std::fclose(file);

    std::vector<uint8_t> whole(ASSET_BIN_DECODED_SIZE);
    codec_state state{};
    uint32_t len = 0;
    decode_block(asset_bin, &state, ASSET_BIN_SIZE, whole.data(), ASSET_BIN_DECODED_SIZE, &len);
    bool ok = size == ASSET_BIN_DECODED_SIZE && len == size &&
              std::memcmp(whole.data(), original.data(), size) == 0 &&
              reinterpret_cast<uintptr_t>(asset_bin) % 32 == 0;

    for (uint32_t offset = 0; offset < size; offset += 333) {
        codec_state seek{};
        const uint32_t p = decode_seek(asset_bin, ASSET_BIN_SIZE, asset_bin_seek,
                                       ASSET_BIN_SEEK_POINTS, ASSET_BIN_SEEK_SPACING, offset, &seek);
        uint8_t part[10];
        uint32_t got = 0;
        decode_block(asset_bin + p, &seek, ASSET_BIN_SIZE - p, part, sizeof part, &got);
        ok = ok && got > 0 && std::memcmp(part, original.data() + offset, got) == 0;
    }
    std::printf("%s\n", ok ? "ok" : "MISMATCH");
    return ok ? 0 : 1;
}
