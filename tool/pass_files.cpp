// pass_files.cpp - opening and finishing a pass's files, with the failure
// messages every pass shares.
#include "files.h"
#include "messages.h"
#include "passes.h"

bool open_pass_files(input_file &input, const char *input_name,
                     const char *input_open_failed, output_file &output,
                     const std::string &output_name, const char *mode) {
    if (!input.open(input_name)) {
        say(input_open_failed);
        return false;
    }
    if (!output.open(output_name, mode)) {
        say_file(msg::file_open_failed, output_name.c_str());
        return false;
    }
    return true;
}

bool write_failed(const output_file &output) {
    say_file(msg::file_write_failed, output.name().c_str());
    return false;
}

bool write_last(output_file &output, const void *data, size_t size) {
    if (!output.write(data, size) || !output.flush())
        return write_failed(output);
    return true;
}

bool close_output(output_file &output) {
    if (!output.close())
        return write_failed(output);
    return true;
}
