// codec_bench.cpp - micro-benchmarks of the codec steps and the dump text,
// driven the way the tool drives them: 64 KiB input chunks, the output
// block filled in place; encode_smallest() beside that encode_step() loop
// on 32 MiB inputs; random access: a seek with and without seek points
// beside decoding as many bytes as lie between two points; and reading an
// embedded file through a 256-byte buffer, mavo_read() beside the
// decode_block() calls it makes.
#include "bench_data.h"
#include <mavo/assets.h>
#include <mavo/codec.h>
#include "dump_format.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace {

constexpr size_t chunk_size = 64 * 1024;
constexpr size_t input_size = 8 << 20;

// Encodes the whole input; returns the stream's size.
size_t encode_into(const std::vector<uint8_t> &input, std::vector<uint8_t> &stream) {
    codec_state state{};
    size_t filled = 0;
    uint32_t len = 0;
    for (size_t pos = 0; pos < input.size(); pos += chunk_size) {
        const uint32_t n = static_cast<uint32_t>(std::min(chunk_size, input.size() - pos));
        for (;;) {
            len = 0;
            if (encode_step(stream.data() + filled, &state, input.data() + pos, n, &len) ==
                STEP_NEED_INPUT)
                break;
            filled += ENCODE_WINDOW_SIZE;
        }
    }
    return filled + len;
}

// The loop every decode_step() caller writes: one call per output byte.
size_t decode_by_steps(const uint8_t *stream, size_t size, std::vector<uint8_t> &out) {
    codec_state state{};
    size_t filled = 0;
    for (size_t pos = 0; pos < size; pos += chunk_size) {
        const uint32_t n = static_cast<uint32_t>(std::min(chunk_size, size - pos));
        for (;;) {
            uint32_t len = 0;
            const int result = decode_step(stream + pos, &state, n, out.data() + filled, &len);
            filled += len;
            if (result == STEP_NEED_INPUT)
                break;
        }
    }
    return filled;
}

// The same through decode_block(), into an output block of the tool's size.
size_t decode_by_blocks(const uint8_t *stream, size_t size, std::vector<uint8_t> &out) {
    codec_state state{};
    size_t filled = 0;
    for (size_t pos = 0; pos < size; pos += chunk_size) {
        const uint32_t n = static_cast<uint32_t>(std::min(chunk_size, size - pos));
        for (;;) {
            uint32_t len = 0;
            const uint32_t room = static_cast<uint32_t>(std::min(chunk_size, out.size() - filled));
            const int result = decode_block(stream + pos, &state, n, out.data() + filled,
                                            room, &len);
            filled += len;
            if (result == STEP_NEED_INPUT)
                break;
        }
    }
    return filled;
}

enum data_kind { random_bytes, bitmap_like, equal_pairs };

// Pairs of equal bytes, AABBCC..: the shortest sections there are.
std::vector<uint8_t> make_pairs(size_t size) {
    std::vector<uint8_t> out(size);
    for (size_t i = 0; i < size; ++i)
        out[i] = static_cast<uint8_t>(i / 2);
    return out;
}

std::vector<uint8_t> make_input(data_kind kind, size_t size = input_size) {
    switch (kind) {
    case random_bytes: return make_random_data(size);
    case bitmap_like: return make_bitmap_like_data(size);
    default: return make_pairs(size);
    }
}

void encode_sized(benchmark::State &bench, data_kind kind, size_t size) {
    const std::vector<uint8_t> input = make_input(kind, size);
    std::vector<uint8_t> stream(input.size() * 2 + 1024);
    for (auto _ : bench)
        benchmark::DoNotOptimize(encode_into(input, stream));
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(input.size()));
}

void encode(benchmark::State &bench, data_kind kind) { encode_sized(bench, kind, input_size); }

// The shortest stream is measured on larger inputs, where its plan (two
// bytes per input byte) is far out of the caches, beside the encode_step()
// loop on the same ones.
constexpr size_t smallest_input_size = 32 << 20;

// Both report both streams' sizes: a CSV report takes only the counters
// that its first row has.
void report_stream_sizes(benchmark::State &bench, size_t step_size, size_t size) {
    bench.counters["stream_bytes"] = static_cast<double>(size);
    bench.counters["step_stream_bytes"] = static_cast<double>(step_size);
}

void encode_step_32MiB(benchmark::State &bench, data_kind kind) {
    encode_sized(bench, kind, smallest_input_size);
    const std::vector<uint8_t> input = make_input(kind, smallest_input_size);
    std::vector<uint8_t> stream(input.size() * 2 + 1024);
    const size_t size = encode_into(input, stream);
    report_stream_sizes(bench, size, size);
}

// The whole input in one call.
void smallest(benchmark::State &bench, data_kind kind) {
    const std::vector<uint8_t> input = make_input(kind, smallest_input_size);
    std::vector<uint8_t> stream(ENCODE_BOUND(input.size()));
    std::vector<uint8_t> scratch(ENCODE_SMALLEST_SCRATCH(input.size()));
    size_t size = 0;
    for (auto _ : bench) {
        size = encode_smallest(input.data(), input.size(), stream.data(), stream.size(),
                               scratch.data());
        benchmark::DoNotOptimize(size);
    }
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(input.size()));
    report_stream_sizes(bench, encode_into(input, stream), size);
}

using decoder = size_t (*)(const uint8_t *, size_t, std::vector<uint8_t> &);

// Bytes per second of output.
void decode(benchmark::State &bench, data_kind kind, decoder decode_all) {
    const std::vector<uint8_t> input = make_input(kind);
    std::vector<uint8_t> stream(input.size() * 2 + 1024);
    stream.resize(encode_into(input, stream));
    std::vector<uint8_t> out(input.size() + ENCODE_WINDOW_SIZE);
    for (auto _ : bench)
        benchmark::DoNotOptimize(decode_all(stream.data(), stream.size(), out));
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(input.size()));
}

void decode_steps(benchmark::State &bench, data_kind kind) { decode(bench, kind, decode_by_steps); }
void decode_blocks(benchmark::State &bench, data_kind kind) { decode(bench, kind, decode_by_blocks); }

// Bytes per second of text.
void dump_text(benchmark::State &bench) {
    const std::vector<uint8_t> stream = make_random_data(input_size);
    std::vector<char> text(dump_text_capacity(chunk_size));
    size_t text_size = 0;
    for (auto _ : bench) {
        text_size = 0;
        for (size_t pos = 0; pos < stream.size(); pos += chunk_size)
            text_size += format_dump_entries(stream.data() + pos, chunk_size, pos, text.data());
        benchmark::DoNotOptimize(text.data());
    }
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(text_size));
}

// Random access into 16 MiB of bitmap-like output, at offsets spread over
// all of it, the same ones for every benchmark.
constexpr size_t seek_output_size = 16 << 20;
constexpr uint32_t seek_spacing = 4096;
constexpr size_t seek_offsets = 1024;

struct seek_data {
    std::vector<uint8_t> stream;
    std::vector<codec_seek_point> points;
    std::vector<uint64_t> offsets;
};

const seek_data &seek_setup() {
    static const seek_data data = [] {
        seek_data d;
        const std::vector<uint8_t> input = make_bitmap_like_data(seek_output_size);
        d.stream.resize(input.size() * 2 + 1024);
        d.stream.resize(encode_into(input, d.stream));
        const uint32_t len = static_cast<uint32_t>(d.stream.size());
        d.points.resize(index_stream(d.stream.data(), len, seek_spacing, nullptr, 0));
        index_stream(d.stream.data(), len, seek_spacing, d.points.data(),
                     static_cast<uint32_t>(d.points.size()));
        std::mt19937 rng(18);
        for (size_t i = 0; i < seek_offsets; ++i)
            d.offsets.push_back(rng() % seek_output_size);
        return d;
    }();
    return data;
}

// One decode_seek() per iteration; with_points false scans from the start.
void seek(benchmark::State &bench, bool with_points) {
    const seek_data &d = seek_setup();
    const uint32_t len = static_cast<uint32_t>(d.stream.size());
    const uint32_t n = with_points ? static_cast<uint32_t>(d.points.size()) : 0;
    size_t i = 0;
    for (auto _ : bench) {
        codec_state state;
        benchmark::DoNotOptimize(decode_seek(d.stream.data(), len, n ? d.points.data() : nullptr,
                                             n, seek_spacing, d.offsets[i++ % seek_offsets],
                                             &state));
        benchmark::DoNotOptimize(state);
    }
    bench.counters["index_bytes"] = static_cast<double>(d.points.size() * sizeof(codec_seek_point));
    bench.counters["stream_bytes"] = static_cast<double>(d.stream.size());
}

// decode_block() of one spacing's worth of bytes from the same offsets, the
// seek done beforehand: the work that a seek with points is to stay under.
void decode_spacing(benchmark::State &bench) {
    const seek_data &d = seek_setup();
    const uint32_t len = static_cast<uint32_t>(d.stream.size());
    std::vector<codec_state> states(seek_offsets);
    std::vector<uint32_t> starts(seek_offsets);
    for (size_t k = 0; k < seek_offsets; ++k)
        starts[k] = decode_seek(d.stream.data(), len, d.points.data(),
                                static_cast<uint32_t>(d.points.size()), seek_spacing,
                                d.offsets[k], &states[k]);
    std::vector<uint8_t> out(seek_spacing);
    size_t i = 0;
    for (auto _ : bench) {
        const size_t k = i++ % seek_offsets;
        codec_state state = states[k];
        benchmark::DoNotOptimize(decode_block(d.stream.data() + starts[k], &state, len - starts[k],
                                              out.data(), seek_spacing, nullptr));
        benchmark::ClobberMemory();
    }
    bench.SetBytesProcessed(bench.iterations() * int64_t{seek_spacing});
}

void index_whole_stream(benchmark::State &bench) {
    const seek_data &d = seek_setup();
    std::vector<codec_seek_point> points(d.points.size());
    for (auto _ : bench)
        benchmark::DoNotOptimize(index_stream(d.stream.data(), static_cast<uint32_t>(d.stream.size()),
                                              seek_spacing, points.data(),
                                              static_cast<uint32_t>(points.size())));
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(seek_output_size));
}

// An embedded file read through a 256-byte buffer, as firmware serves one:
// decode_block() called directly, and mavo_read() on an entry of the same
// stream, whose calls add their bookkeeping to each 256 bytes. Bytes per
// second of output.
constexpr uint32_t small_buffer = 256;

struct embedded_file {
    std::vector<uint8_t> input;
    std::vector<uint8_t> stream;
    mavo_asset entry;
};

embedded_file embed(data_kind kind) {
    embedded_file file;
    file.input = make_input(kind);
    file.stream.resize(file.input.size() * 2 + 1024);
    file.stream.resize(encode_into(file.input, file.stream));
    file.entry = mavo_asset{"file", file.stream.data(), static_cast<uint32_t>(file.stream.size()),
                            file.input.size(), nullptr, 0, 0, 0};
    return file;
}

void decode_block_256(benchmark::State &bench, data_kind kind) {
    const embedded_file file = embed(kind);
    const uint32_t len = file.entry.stream_size;
    uint8_t buffer[small_buffer];
    for (auto _ : bench) {
        codec_state state{};
        uint32_t total = 0;
        int result;
        do {
            uint32_t got = 0;
            result = decode_block(file.stream.data(), &state, len, buffer, sizeof buffer, &got);
            total += got;
            benchmark::ClobberMemory();
        } while (result == STEP_OUTPUT_READY);
        benchmark::DoNotOptimize(total);
    }
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(file.input.size()));
}

void mavo_read_256(benchmark::State &bench, data_kind kind) {
    const embedded_file file = embed(kind);
    uint8_t buffer[small_buffer];
    for (auto _ : bench) {
        mavo_file f;
        mavo_open(&f, &file.entry);
        uint32_t total = 0;
        uint32_t got;
        while ((got = mavo_read(&f, buffer, sizeof buffer)) > 0) {
            total += got;
            benchmark::ClobberMemory();
        }
        benchmark::DoNotOptimize(total);
    }
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(file.input.size()));
}

} // namespace

BENCHMARK_CAPTURE(encode, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encode, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
// The shortest stream beside the encode_step() loop, and on pairs, where its
// plan has a choice to make at every byte.
BENCHMARK_CAPTURE(encode_step_32MiB, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(smallest, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encode_step_32MiB, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(smallest, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(smallest, pairs, equal_pairs)->Unit(benchmark::kMillisecond);
// The two decoders side by side on the same streams.
BENCHMARK_CAPTURE(decode_steps, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_blocks, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_steps, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_blocks, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_steps, pairs, equal_pairs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_blocks, pairs, equal_pairs)->Unit(benchmark::kMillisecond);
BENCHMARK(dump_text)->Unit(benchmark::kMillisecond);
// Random access: a seek with points at 4096, decoding 4096 bytes, a seek
// that scans from the start, and making the index.
BENCHMARK_CAPTURE(seek, points_4096, true)->Unit(benchmark::kNanosecond);
BENCHMARK(decode_spacing)->Unit(benchmark::kNanosecond);
BENCHMARK_CAPTURE(seek, from_start, false)->Unit(benchmark::kMicrosecond);
BENCHMARK(index_whole_stream)->Unit(benchmark::kMillisecond);
// Through a 256-byte buffer: the codec's calls, then the reader's, on the
// same streams.
BENCHMARK_CAPTURE(decode_block_256, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(mavo_read_256, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_block_256, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(mavo_read_256, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_block_256, pairs, equal_pairs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(mavo_read_256, pairs, equal_pairs)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
