// pass_files.cpp - opening and finishing a pass's files, with the failure
// messages every pass shares.
#include "files.h"
#include "messages.h"
#include "passes.h"

bool open_input(input_file &input, const native_string &name, const char *open_failed) {
    if (!input.open(name)) {
        say(open_failed);
        return false;
    }
    return true;
}

bool open_output(output_file &output, const native_string &name, output_file::mode how,
                 const file_identity &user_input) {
    // An output name that leads to the input (a link, either way round)
    // would replace the user's file: refuse it before writing anything.
    if (names_file(name, user_input) || !output.open(name, how)) {
        say_file(msg::file_open_failed, display_name(name).c_str());
        return false;
    }
    return true;
}

bool report_write_failure(const output_file &output) {
    say_file(msg::file_write_failed, display_name(output.name()).c_str());
    return false;
}

bool finish_output(output_file &output, const void *data, size_t size) {
    if ((size > 0 && !output.write(data, size)) || !output.flush() || !output.commit())
        return report_write_failure(output);
    return true;
}
