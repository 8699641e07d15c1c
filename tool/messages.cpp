// messages.cpp - the message table, as Shift_JIS byte escapes, and the
// printing helpers. A hex escape takes every hex digit after it, so a
// literal is split wherever a letter or digit follows an escape.
#include "messages.h"

#include <cinttypes>
#include <cstdio>

namespace msg {

// "mavo.exe ファイル名[Enter]\n": usage, the program, a file name, then Enter.
const char usage[] = "mavo.exe \x83\x74\x83\x40\x83\x43\x83\x8b\x96\xbc[Enter]\n";

// "圧縮中: ": compressing.
const char compressing[] = "\x88\xb3\x8f\x6b\x92\x86: ";

// "CSV化: ": converting to CSV.
const char dumping[] = "CSV\x89\xbb: ";

// "解凍中: ": decompressing.
const char decompressing[] = "\x89\xf0\x93\x80\x92\x86: ";

// "完了\n": done.
const char done[] = "\x8a\xae\x97\xb9\n";

// "完了 %ubyte(%uKB)\n": done, byte count, whole kilobytes. The counts are
// 64-bit so that inputs of 4 GiB and more report their true sizes.
const char done_size[] = "\x8a\xae\x97\xb9 %" PRIu64 "byte(%" PRIu64 "KB)\n";

// "入力ファイルが開けません\n": cannot open the input file.
const char input_open_failed[] =
    "\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8a\x4a\x82\xaf"
    "\x82\xdc\x82\xb9\x82\xf1\n";

// "入力ファイルが読めません\n": cannot read the input file.
const char input_read_failed[] =
    "\x93\xfc\x97\xcd\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x93\xc7\x82\xdf"
    "\x82\xdc\x82\xb9\x82\xf1\n";

// "圧縮ファイルが開けません\n": cannot open the compressed file.
const char compressed_open_failed[] =
    "\x88\xb3\x8f\x6b\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x8a\x4a\x82\xaf"
    "\x82\xdc\x82\xb9\x82\xf1\n";

// "圧縮ファイルが読めません\n": cannot read the compressed file.
const char compressed_read_failed[] =
    "\x88\xb3\x8f\x6b\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x93\xc7\x82\xdf"
    "\x82\xdc\x82\xb9\x82\xf1\n";

// "%s 開けませんでした\n": %s could not be opened (created).
const char file_open_failed[] =
    "%s \x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\n";

// "%s 書き込めませんでした\n": %s could not be written.
const char file_write_failed[] =
    "%s \x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5"
    "\x82\xbd\n";

// "元のファイルと一致しません\n": does not match the original file.
const char does_not_match[] =
    "\x8c\xb3\x82\xcc\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xc6\x88\xea\x92\x76"
    "\x82\xb5\x82\xdc\x82\xb9\x82\xf1\n";

} // namespace msg

void say(const char *text) {
    std::fputs(text, stdout);
    std::fflush(stdout);
}

void say_file(const char *format, const char *name) {
    std::printf(format, name);
    std::fflush(stdout);
}

void say_done_size(uint64_t bytes) {
    std::printf(msg::done_size, bytes, bytes / 1024);
    std::fflush(stdout);
}
