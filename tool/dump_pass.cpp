// dump_pass.cpp - the second pass: .enc stream -> .csv array dump.
#include "files.h"
#include "messages.h"
#include "passes.h"

bool dump_pass(const native_string &enc_name, const native_string &csv_name,
               const run_record &record, work_buffers &buffers) {
    say(msg::dumping);
    // Text mode: on Windows every line end becomes CR LF.
    input_file enc;
    output_file csv;
    if (!open_input(enc, enc_name, msg::compressed_open_failed) ||
        !open_output(csv, csv_name, output_file::mode::text, record.input))
        return false;

    // The header states the size the compress pass wrote.
    char header[dump_header_capacity];
    bool written = csv.write(header, format_dump_header(record.stream_size, header));
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
        return report_write_failure(csv);
    if (enc.failed()) {
        say(msg::compressed_read_failed);
        return false;
    }
    if (!finish_output(csv, header, 0))
        return false;
    say(msg::done);
    return true;
}
