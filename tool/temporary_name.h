// temporary_name.h - the name a pass writes its output under until the
// output is complete: beside the final name, never taken for a finished
// output, and never longer than the final name where a longer one would
// not fit in a file name.
#pragma once

#include <cstddef>

// The longest file name (one path component) the file systems mavo writes
// to take: 255 bytes on POSIX systems, 255 UTF-16 units on Windows.
constexpr size_t longest_file_name = 255;

// `final_name` with `marker` appended ("NAME.enc.mavo-XXXXXX") when its last
// component stays within longest_file_name; otherwise the last component's
// tail is replaced by the marker, so that the temporary name is as long as
// the final one, which fits. Works on std::string and std::wstring alike.
template <class String>
String temporary_name(const String &final_name, const String &marker) {
    const size_t slash = final_name.find_last_of(String(1, '/') + String(1, '\\'));
    const size_t start = slash == String::npos ? 0 : slash + 1;
    const size_t component = final_name.size() - start;
    if (component + marker.size() <= longest_file_name || component < marker.size())
        return final_name + marker;
    return final_name.substr(0, final_name.size() - marker.size()) + marker;
}
