// passes.h - the tool's three passes and what they share.
//
// Each pass announces itself, does its work and completes its console line.
// A pass returns false after any failure, once it has said what failed; its
// own output is then not written, and the file under the output's name
// stays as it was.
#pragma once

#include "dump_format.h"
#include "files.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Input is read in chunks of this size; output leaves in blocks of it.
// A multiple of the codec's window, so full windows fill it exactly.
constexpr size_t io_chunk_size = 256 * 1024;

// A buffer whose bytes start undefined: a pass fills what it uses, and the
// pages a small run never touches cost it nothing.
template <typename T>
class scratch_buffer {
public:
    explicit scratch_buffer(size_t size) : data_(new T[size]), size_(size) {}
    T *data() const { return data_.get(); }
    size_t size() const { return size_; }

private:
    std::unique_ptr<T[]> data_;
    size_t size_;
};

// Working storage for the whole run, owned by the entry function. Its size
// does not depend on the input's.
struct work_buffers {
    scratch_buffer<uint8_t> in{io_chunk_size};
    scratch_buffer<uint8_t> out{io_chunk_size};
    scratch_buffer<char> text{dump_text_capacity(io_chunk_size)};
};

// What the compress pass learns for the later ones: which file the input
// is (no output may lead to it), and what the verify pass must find again.
struct run_record {
    file_identity input;
    uint64_t input_size = 0;
    uint64_t input_checksum = 0;
    uint64_t stream_size = 0;
};

// Compresses the input file into the .enc file, filling in `record`.
bool compress_pass(const native_string &input_name, const native_string &enc_name,
                   work_buffers &buffers, run_record &record);

// Writes the .enc file as an array dump into the .csv file.
bool dump_pass(const native_string &enc_name, const native_string &csv_name,
               const run_record &record, work_buffers &buffers);

// Expands the .enc file into the .dec file, and checks that the stream and
// its expansion are what the compress pass wrote and read.
bool verify_pass(const native_string &enc_name, const native_string &dec_name,
                 const run_record &record, work_buffers &buffers);

// Helpers the passes share. Each says what failed before returning false.

// Opens the pass's input; `open_failed` is the pass's own message for an
// input it cannot open.
bool open_input(input_file &input, const native_string &name, const char *open_failed);

// Creates the pass's output, unless its name leads to the user's input.
bool open_output(output_file &output, const native_string &name, output_file::mode how,
                 const file_identity &user_input);

// Says that the output could not be written; returns false.
bool report_write_failure(const output_file &output);

// Writes the output's last bytes, then closes it and puts it in place under
// its name, so that every write error is known before the pass reports
// completion.
bool finish_output(output_file &output, const void *data, size_t size);
