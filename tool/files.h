// files.h - the files a pass reads and writes, with every failure reported
// instead of being mistaken for the end of the data, and no output ever
// half-written under its name.
#pragma once

#include "platform.h"

#include <cstddef>
#include <cstdio>

// A file the pass only reads. Closed when it goes out of scope.
class input_file {
public:
    input_file() = default;
    input_file(const input_file &) = delete;
    input_file &operator=(const input_file &) = delete;
    ~input_file();

    // Opens the file in untranslated byte mode; false when it cannot be.
    bool open(const native_string &name);

    // Reads up to `size` bytes; returns how many were read, 0 at the end of
    // the file. `failed()` tells a read error from the end.
    size_t read(void *into, size_t size);
    bool failed() const;

    // Which file this is, to keep outputs from leading to it.
    file_identity identity() const;

private:
    std::FILE *file_ = nullptr;
};

// A file the pass creates. It is written under a temporary name beside its
// final one, and commit() moves it over the final name once it is complete:
// until then whatever stood under that name stays as it was. A file that is
// not committed is removed when the object goes out of scope.
class output_file {
public:
    enum class mode { binary, text }; // text: the platform's line ends

    output_file() = default;
    output_file(const output_file &) = delete;
    output_file &operator=(const output_file &) = delete;
    ~output_file();

    // Creates the temporary file for `name`. False when nothing can be
    // written under that name (a directory or a read-only file stands
    // there, or its folder takes no new file).
    bool open(const native_string &name, mode how);

    // Each returns false when the data did not all reach the file.
    bool write(const void *data, size_t size);
    bool flush();

    // Closes the file and moves it over the final name; false when either
    // fails, and the temporary file is then gone.
    bool commit();

    const native_string &name() const { return name_; }

private:
    void discard();

    std::FILE *file_ = nullptr;
    native_string name_;
    native_string temp_name_;
};
