// dump_pass.cpp - the second pass: .enc stream -> .csv array dump.
#include "files.h"
#include "messages.h"
#include "passes.h"

bool dump_pass(const std::string &enc_name, const std::string &csv_name,
               uint64_t stream_size, work_buffers &buffers) {
    say(msg::dumping);
    // Text mode: on Windows every line end becomes CR LF.
    input_file enc;
    output_file csv;
    if (!open_pass_files(enc, enc_name.c_str(), msg::compressed_open_failed, csv,
                         csv_name, "wt"))
        return false;

    char header[dump_header_capacity];
    bool written = csv.write(header, format_dump_header(stream_size, header));
    uint64_t index = 0;
    while (written) {
        const size_t n = enc.read(buffers.in.data(), buffers.in.size());
        if (n == 0)
            break;
        const size_t text_size = format_dump_entries(buffers.in.data(), n, index,
                                                     buffers.text.data());
        written = csv.write(buffers.text.data(), text_size);
        index += n;
    }
    if (!written)
        return write_failed(csv);
    if (enc.failed()) {
        say(msg::compressed_read_failed);
        return false;
    }
    if (!csv.flush())
        return write_failed(csv);
    say(msg::done);
    return close_output(csv);
}
