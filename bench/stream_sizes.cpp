// stream_sizes.cpp - stream sizes of real files, for bench/run:
//
//   stream_sizes FILE...
//
// prints one line per file, "name bytes tool_stream smallest_stream": the
// name as given, the file's size, the length of the stream that the mavo
// tool writes for it and the length of the shortest one that the format
// allows, from encode_smallest(). Each stream is decoded and compared with
// the file; a file that cannot be read, or a stream that does not give the
// file back, ends the run with status 1, naming the file.
#include "streams.h"
#include <mavo/codec.h>

#include <cstdio>
#include <limits>
#include <optional>

namespace {

std::optional<bytes> read_whole_file(const char *name) {
    std::FILE *in = std::fopen(name, "rb");
    if (!in)
        return std::nullopt;
    bytes data;
    uint8_t chunk[64 * 1024];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        data.insert(data.end(), chunk, chunk + n);
    // A directory opens, and fails at the first read.
    const bool failed = std::ferror(in) != 0;
    std::fclose(in);
    if (failed)
        return std::nullopt;
    return data;
}

bytes smallest_stream(const bytes &data) {
    bytes stream(ENCODE_BOUND(data.size()));
    bytes scratch(ENCODE_SMALLEST_SCRATCH(data.size()));
    stream.resize(encode_smallest(data.data(), data.size(), stream.data(), stream.size(),
                                  scratch.data()));
    return stream;
}

bool fail(const char *name, const char *what) {
    std::fprintf(stderr, "stream_sizes: %s: %s\n", name, what);
    return false;
}

bool measure(const char *name) {
    const std::optional<bytes> data = read_whole_file(name);
    if (!data)
        return fail(name, "cannot be read");
    // Both streams, up to half as long again as the file, go to the
    // decoder in one chunk, which has a 32-bit length.
    if (data->size() >= std::numeric_limits<uint32_t>::max() / 2)
        return fail(name, "too large (2 GiB or more)");
    const bytes tool = tool_stream(data->data(), data->size());
    const bytes smallest = smallest_stream(*data);
    // encode_smallest() gives 0 for an empty file, and for no room, which
    // ENCODE_BOUND leaves only to a fault.
    if (smallest.empty() && !data->empty())
        return fail(name, "encode_smallest() found no room");
    if (!decodes_to(tool.data(), tool.size(), data->data(), data->size()))
        return fail(name, "the tool's stream does not decode back to the file");
    if (!decodes_to(smallest.data(), smallest.size(), data->data(), data->size()))
        return fail(name, "the smallest stream does not decode back to the file");
    std::printf("%s %zu %zu %zu\n", name, data->size(), tool.size(), smallest.size());
    return true;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: stream_sizes FILE...\n");
        return 1;
    }
    for (int i = 1; i < argc; ++i)
        if (!measure(argv[i]))
            return 1;
    return 0;
}
