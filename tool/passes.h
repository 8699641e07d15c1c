// passes.h - the tool's three passes and the buffers they share.
//
// Each pass announces itself, does its work and completes its console line.
// A pass returns false after any failure, once it has said what failed and
// removed its own unfinished output; the run then ends.
#pragma once

#include "dump_format.h"
#include "files.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Input is read in chunks of this size; output leaves in blocks of it.
// A multiple of the codec's window, so full windows fill it exactly.
constexpr size_t io_chunk_size = 64 * 1024;

// Working storage for the whole run, owned by the entry function. Its size
// does not depend on the input's.
struct work_buffers {
    std::vector<uint8_t> in = std::vector<uint8_t>(io_chunk_size);
    std::vector<uint8_t> out = std::vector<uint8_t>(io_chunk_size);
    std::vector<char> text = std::vector<char>(dump_text_capacity(io_chunk_size));
};

// Compresses the input file into the .enc file; `stream_size` receives the
// number of bytes written.
bool compress_pass(const char *input_name, const std::string &enc_name,
                   work_buffers &buffers, uint64_t &stream_size);

// Writes the .enc file as an array dump into the .csv file, headed by
// `stream_size`.
bool dump_pass(const std::string &enc_name, const std::string &csv_name,
               uint64_t stream_size, work_buffers &buffers);

// Expands the .enc file into the .dec file.
bool verify_pass(const std::string &enc_name, const std::string &dec_name,
                 work_buffers &buffers);

// Helpers the passes share. Each says what failed before returning false.

// Opens the pass's input, then its output with the given fopen mode.
// `input_open_failed` is the pass's own message for an input it cannot open.
bool open_pass_files(input_file &input, const char *input_name,
                     const char *input_open_failed, output_file &output,
                     const std::string &output_name, const char *mode);

// Says that the output could not be written; returns false.
bool write_failed(const output_file &output);

// Writes the output's last bytes and flushes it, so that every write error
// is known before the pass reports completion.
bool write_last(output_file &output, const void *data, size_t size);

// Closes the output; once closed it is kept.
bool close_output(output_file &output);
