// messages.h - the console messages and the helpers that print them.
//
// Every text is stored as Shift_JIS (code page 932) bytes and written as it
// is, with no conversion: the tool's home is a Japanese Windows console.
#pragma once

#include <cstddef>
#include <cstdint>

namespace msg {

extern const char usage[];
extern const char compressing[];
extern const char dumping[];
extern const char decompressing[];
extern const char done[];
extern const char done_size[];
extern const char input_open_failed[];
extern const char input_read_failed[];
extern const char compressed_open_failed[];
extern const char compressed_read_failed[];
extern const char file_open_failed[];
extern const char file_write_failed[];
extern const char does_not_match[];

} // namespace msg

// Prints a fixed message. Announcements have no line end, so the output is
// flushed at once: the user sees which pass is running.
void say(const char *text);

// Prints a message whose one %s is a file name.
void say_file(const char *format, const char *name);

// Prints a pass's completion message with its byte count.
void say_done_size(uint64_t bytes);
