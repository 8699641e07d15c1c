// embed_decode.cpp - the C example's twin for C++ programs: carry a file
// inside the program as a mavo array dump and expand it at run time into a
// std::vector. See embed_decode.c for the steps.
#include <mavo/codec.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <vector>

#include "asset_bin.h"

namespace {

// Expands a whole stream held in memory: sized first, then in one call.
std::vector<unsigned char> expand(const unsigned char *stream, uint32_t size) {
    std::vector<unsigned char> out(static_cast<size_t>(decoded_size(stream, size)));
    if (out.empty())
        return out;
    codec_state state{};
    uint32_t len = 0;
    decode_block(stream, &state, size, out.data(), static_cast<uint32_t>(out.size()), &len);
    out.resize(len);
    return out;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::cerr << "usage: " << argv[0] << " OUTPUT\n";
        return 1;
    }
    const std::vector<unsigned char> asset = expand(asset_bin, ASSET_BIN_SIZE);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(reinterpret_cast<const char *>(asset.data()),
              static_cast<std::streamsize>(asset.size()));
    out.close();
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    std::cout << asset.size() << " bytes from a " << ASSET_BIN_SIZE << "-byte array\n";
    return 0;
}
