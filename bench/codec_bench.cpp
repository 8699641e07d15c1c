// codec_bench.cpp - micro-benchmarks of the codec steps and the dump text,
// driven the way the tool drives them: 64 KiB input chunks, the output
// block filled in place.
#include "bench_data.h"
#include <mavo/codec.h>
#include "dump_format.h"

#include <benchmark/benchmark.h>

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

std::vector<uint8_t> make_input(data_kind kind) {
    switch (kind) {
    case random_bytes: return make_random_data(input_size);
    case bitmap_like: return make_bitmap_like_data(input_size);
    default: return make_pairs(input_size);
    }
}

void encode(benchmark::State &bench, data_kind kind) {
    const std::vector<uint8_t> input = make_input(kind);
    std::vector<uint8_t> stream(input.size() * 2 + 1024);
    for (auto _ : bench)
        benchmark::DoNotOptimize(encode_into(input, stream));
    bench.SetBytesProcessed(bench.iterations() * static_cast<int64_t>(input.size()));
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

} // namespace

BENCHMARK_CAPTURE(encode, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encode, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
// The two decoders side by side on the same streams.
BENCHMARK_CAPTURE(decode_steps, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_blocks, random, random_bytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_steps, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_blocks, bitmap, bitmap_like)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_steps, pairs, equal_pairs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decode_blocks, pairs, equal_pairs)->Unit(benchmark::kMillisecond);
BENCHMARK(dump_text)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
