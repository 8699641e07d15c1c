// main.cpp - the mavo entry function: checks the command line, derives the
// three output names and runs the passes in order.
//
// Exit status: 0 when all three passes completed, 1 on any failure.
#include "messages.h"
#include "passes.h"

#include <csignal>
#include <string>

int main(int argc, char **argv) {
    if (argc < 2) {
        say(msg::usage);
        return 1;
    }
#ifdef SIGXFSZ
    // Past a file size limit, let the write fail and be reported (and the
    // unfinished output removed) rather than have the process killed.
    std::signal(SIGXFSZ, SIG_IGN);
#endif

    // Further arguments are ignored. The names are the whole argument with
    // a suffix, at any length.
    const char *input_name = argv[1];
    const std::string enc_name = std::string(input_name) + ".enc";
    const std::string csv_name = std::string(input_name) + ".csv";
    const std::string dec_name = std::string(input_name) + ".dec";

    work_buffers buffers;
    uint64_t stream_size = 0;
    if (!compress_pass(input_name, enc_name, buffers, stream_size))
        return 1;
    if (!dump_pass(enc_name, csv_name, stream_size, buffers))
        return 1;
    if (!verify_pass(enc_name, dec_name, buffers))
        return 1;
    return 0;
}
