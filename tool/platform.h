// platform.h - what the tool needs from the operating system beyond the C
// library: file names as the system spells them, files created beside
// their final name and moved over it when complete, file identity, and the
// process set-up that keeps a run's files safe (standard descriptors,
// signals). platform_posix.cpp and platform_windows.cpp implement it, with
// the registry of temporary files that both share (temporary_files.h).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

// A file name as the system takes it: bytes on POSIX, UTF-16 on Windows, so
// that any name the system can hold can be opened.
#ifdef _WIN32
using native_string = std::wstring;
#else
using native_string = std::string;
#endif

// The program's arguments as file names (argv[1] on is what matters).
std::vector<native_string> command_line_arguments(int argc, char **argv);

// `name` with an ASCII suffix such as ".enc" appended.
native_string with_suffix(const native_string &name, const char *suffix);

// The name as the console messages show it: the bytes themselves on POSIX,
// code page 932 on Windows, so that a whole message stays Shift_JIS.
std::string display_name(const native_string &name);

// Opens a file for reading in untranslated byte mode; null on failure.
std::FILE *open_for_reading(const native_string &name);

// Which file an open stream reads, to tell whether an output name leads to
// the same file (device and inode; on Windows volume and file index).
struct file_identity {
    bool known = false;
    unsigned long long volume = 0;
    unsigned long long index = 0;
};
file_identity identity_of(std::FILE *file);

// True when `name`, links followed, is the file `identity` describes.
bool names_file(const native_string &name, const file_identity &identity);

// False when a file could not be written under `name`: a directory stands
// there, or a file the user may not write.
bool may_replace(const native_string &name);

// Creates a new, empty file beside `final_name` (same directory), under a
// name that cannot be taken for a finished output, and opens it for writing
// ("wb", or "w" for text when `text`). Its name goes to `temp_name` and is
// registered for removal should a signal end the run (temporary_files.h:
// forget_temporary() once it is moved or removed). Null on failure.
std::FILE *create_beside(const native_string &final_name, bool text,
                         native_string &temp_name);

// Moves the closed file `temp_name` over `final_name`, replacing whatever
// stood there, in one step. False on failure (nothing is moved then).
bool move_over(const native_string &temp_name, const native_string &final_name);

// Removes a file; failures are ignored.
void remove_file(const native_string &name);

// Run once at start: closed standard descriptors are opened on the null
// device, so that no file of the run can take their place; SIGPIPE is
// ignored (a reader that goes away loses the messages, never the files);
// interrupting or terminating signals (or Ctrl-C on Windows) remove the
// registered temporary files before the process ends as the signal says; a
// file size limit makes writes fail instead of killing the process.
void prepare_process();
