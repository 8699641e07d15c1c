// temporary_files.h - the files a pass writes its output to until the
// output is complete: their names (beside the final name, never taken for a
// finished output, never longer than the final name where a longer one
// would not fit in a file name), and the registry of those that exist, which
// a signal or a Ctrl-C empties before the process ends. The registry is the
// same on every system; platform_posix.cpp and platform_windows.cpp only
// create and remove the files.
#pragma once

#include "platform.h"

#include <cstddef>

// The longest file name (one path component) the file systems mavo writes
// to take: 255 bytes on POSIX systems, 255 UTF-16 units on Windows.
constexpr size_t longest_file_name = 255;

// `final_name` with `marker` appended ("NAME.enc.mavo-XXXXXX") when its last
// component stays within longest_file_name; otherwise the last component's
// tail is replaced by the marker, so that the temporary name is as long as
// the final one, which fits. Works on any string type
// with std::string's find_last_of(), substr() and +.
template <class String>
String temporary_name(const String &final_name, const String &marker) {
    const size_t slash = final_name.find_last_of(String(1, '/') + String(1, '\\'));
    const size_t start = slash == String::npos ? 0 : slash + 1;
    const size_t component = final_name.size() - start;
    if (component + marker.size() <= longest_file_name || component < marker.size())
        return final_name + marker;
    return final_name.substr(0, final_name.size() - marker.size()) + marker;
}

// A character of a native file name.
using native_char = native_string::value_type;

// Registers `temp_name` for removal should the run be ended from outside,
// before the file exists, so that no signal can fall between its creation
// and its registration. The registry keeps temp_name.c_str(): the string
// must stay where it is, its characters may change in place, until
// forget_temporary(). False when the registry is full (nothing registered).
bool register_temporary(const native_string &temp_name);

// Forgets a registered name, once its file is moved or removed.
void forget_temporary(const native_string &temp_name);

// Removes every registered file with `remove`. Safe in a signal handler:
// it only reads the registry and calls `remove`.
void remove_temporaries(void (*remove)(const native_char *name));
