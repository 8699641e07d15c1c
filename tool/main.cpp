// main.cpp - the mavo entry function: checks the command line, derives the
// three output names and runs the passes in order.
//
// Exit status: 0 when all three passes completed, 1 on any failure; a run
// ended by a signal ends as that signal says, its temporary files removed.
#include "messages.h"
#include "passes.h"
#include "platform.h"

int main(int argc, char **argv) {
    prepare_process();
    const lean_vector<native_string> args = command_line_arguments(argc, argv);
    if (args.size() < 2) {
        say(msg::usage);
        return 1;
    }

    // Further arguments are ignored. The names are the whole argument with
    // a suffix, at any length.
    const native_string &input_name = args[1];
    const native_string enc_name = with_suffix(input_name, ".enc");
    const native_string csv_name = with_suffix(input_name, ".csv");
    const native_string dec_name = with_suffix(input_name, ".dec");

    work_buffers buffers;
    run_record record;
    if (!compress_pass(input_name, enc_name, buffers, record))
        return 1;
    if (!dump_pass(enc_name, csv_name, record, buffers))
        return 1;
    if (!verify_pass(enc_name, dec_name, record, buffers))
        return 1;
    return 0;
}
