// files.h - the files a run reads and writes, with every failure reported
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

// A file the run creates. It is written under a temporary name beside its
// final one, and commit() (or finish() and move_into_place()) moves it over
// the final name once it is complete: until then whatever stood under that
// name stays as it was. A file that is not moved into place is removed when
// the object goes out of scope. error() says why a call failed.
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

    // Closes the file; false when its data did not all reach it.
    bool finish();
    // After finish(): true when the final name already holds exactly the
    // bytes written, so that moving would change nothing but its time.
    bool unchanged() const;
    // After finish(): moves the file over the final name, or, when
    // `keep_unchanged` and unchanged(), drops it and leaves the final file
    // as it is, its time included (a build then recompiles nothing that
    // depends on it). False when the move fails.
    bool move_into_place(bool keep_unchanged);

    const native_string &name() const { return name_; }
    const lean_string &error() const { return error_; }

private:
    void discard();
    bool fail();

    std::FILE *file_ = nullptr;
    native_string name_;
    native_string temp_name_;
    lean_string error_;
};

// True when both files can be read and hold the same bytes.
bool same_contents(const native_string &a, const native_string &b);
