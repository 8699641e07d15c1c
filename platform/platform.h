// platform.h - what the mavo command and mavo_embed need from the
// operating system beyond the C library: file names as the system spells
// them, inputs mapped into memory, files created beside their final name
// and moved over it when complete, file identity, the system's reasons for
// failures, and the process set-up that keeps a run's files safe (standard
// descriptors, signals). platform_posix.cpp and platform_windows.cpp
// implement it, with the registry of temporary files that both share
// (temporary_files.h).
#pragma once

#include "lean.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

// A file name as the system takes it: bytes on POSIX, UTF-16 on Windows, so
// that any name the system can hold can be opened.
#ifdef _WIN32
using native_string = basic_lean_string<wchar_t>;
#else
using native_string = lean_string;
#endif

// The program's arguments as file names (argv[1] on is what matters).
lean_vector<native_string> command_line_arguments(int argc, char **argv);

// `name` with an ASCII suffix such as ".enc" appended.
native_string with_suffix(const native_string &name, const char *suffix);

// Paths, taken apart and put together as the system spells them, without
// <filesystem> (whose header alone costs a build more than all of this).
//   join_path("out", "a.c")   "out/a.c" ("out\\a.c" on Windows)
//   base_name("img/logo.bin") "logo.bin"
//   absolute_path("x/../y")   "/cwd/y": from the current folder, with "."
//                             and ".." taken lexically and `/` between names
//                             (on Windows "C:/cwd/y"); empty when the
//                             current folder is not known
native_string join_path(const native_string &dir, const native_string &name);
native_string base_name(const native_string &path);
native_string absolute_path(const native_string &path);

// Makes the folder `dir` and every missing one above it; false when one
// cannot be made.
bool make_folders(const native_string &dir);

// The name as the console messages show it: the bytes themselves on POSIX,
// code page 932 on Windows, so that a whole message stays Shift_JIS.
lean_string display_name(const native_string &name);

// The name as valid UTF-8, for messages in UTF-8: what is not UTF-8 (a
// stray byte on POSIX, a lone surrogate on Windows) is shown escaped as
// \xHH or \uHHHH, so a message never carries bytes a terminal cannot show.
lean_string message_name(const native_string &name);

// The name as UTF-8 for the text a program is built from (a table's paths):
// on POSIX the bytes as they are, which is UTF-8 wherever names are; on
// Windows converted from UTF-16, a lone surrogate as U+FFFD.
lean_string utf8_name(const native_string &name);

// A name given as UTF-8 text (a line of a file list) as the system spells
// it: the bytes as they are on POSIX, UTF-16 on Windows.
native_string name_from_utf8(const lean_string &text);

// Why the last failed system call failed, as text for a message (errno's
// text; on Windows the system's own message, in UTF-8). Call it right
// after the failure, before anything else can change the reason.
lean_string last_error_text();

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

// The identity of the file `name` leads to, links followed; not known when
// nothing is there. It needs no right to read the file.
file_identity identity_of_name(const native_string &name);

// A whole input file for reading, mapped into memory where it is not empty,
// so that no copy of it is made. Only a regular file (links followed) is
// taken: a folder, a FIFO, a socket or a device is refused without being
// read, so nothing can wait on one.
class mapped_input {
public:
    mapped_input() = default;
    mapped_input(const mapped_input &) = delete;
    mapped_input &operator=(const mapped_input &) = delete;
    ~mapped_input();

    // False, with `why` set, when the file cannot be opened or mapped or is
    // not a regular file.
    bool open(const native_string &name, lean_string &why);
    const uint8_t *data() const { return data_; }
    size_t size() const { return size_; }

private:
    const uint8_t *data_ = nullptr;
    size_t size_ = 0;
};

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

// While one lives, the signals that end the process (on Windows Ctrl-C and
// the console's closing) wait: several outputs are moved into place
// together, never only some of them.
class signal_hold {
public:
    signal_hold();
    signal_hold(const signal_hold &) = delete;
    signal_hold &operator=(const signal_hold &) = delete;
    ~signal_hold();
};

// Run once at start: closed standard descriptors are opened on the null
// device, so that no file of the run can take their place; SIGPIPE is
// ignored (a reader that goes away loses the messages, never the files);
// every signal that would end the process (interrupt, hang-up, quit,
// terminate, alarms, the user signals, CPU limits; Ctrl-C and the console's
// closing on Windows) removes the registered temporary files before the
// process ends as the signal says; a file size limit makes writes fail
// instead of killing the process. A crash's own signals (SIGSEGV, SIGBUS,
// SIGILL, SIGFPE) are left to the system and to sanitizers.
void prepare_process();
