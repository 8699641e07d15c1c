// make_data.cpp - writes benchmark input: make_data random|bitmap SIZE FILE.
#include "bench_data.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_data random|bitmap SIZE FILE\n");
        return 1;
    }
    const bool bitmap = std::strcmp(argv[1], "bitmap") == 0;
    const size_t size = std::strtoull(argv[2], nullptr, 10);
    std::FILE *out = std::fopen(argv[3], "wb");
    if (!out)
        return 1;
    // In slices, so that a gigabyte needs no gigabyte of memory.
    constexpr size_t slice = 16 << 20;
    for (size_t done = 0, part = 0; done < size; done += slice, ++part) {
        const size_t n = size - done < slice ? size - done : slice;
        const std::vector<uint8_t> data =
            bitmap ? make_bitmap_like_data(n, static_cast<unsigned>(part))
                   : make_random_data(n, static_cast<unsigned>(part));
        if (std::fwrite(data.data(), 1, n, out) != n)
            return 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
