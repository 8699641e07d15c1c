// files.h - the files a pass reads and writes, with every failure reported
// instead of being mistaken for the end of the data.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

// A file the pass only reads. Closed when it goes out of scope.
class input_file {
public:
    input_file() = default;
    input_file(const input_file &) = delete;
    input_file &operator=(const input_file &) = delete;
    ~input_file();

    // Opens the file in untranslated byte mode; false when it cannot be.
    bool open(const char *name);

    // Reads up to `size` bytes; returns how many were read, 0 at the end of
    // the file. `failed()` tells a read error from the end.
    size_t read(void *into, size_t size);
    bool failed() const;

private:
    std::FILE *file_ = nullptr;
};

// A file the pass creates. Unless it is closed successfully, it is removed
// when it goes out of scope: a pass that fails leaves nothing behind that
// looks complete.
class output_file {
public:
    output_file() = default;
    output_file(const output_file &) = delete;
    output_file &operator=(const output_file &) = delete;
    ~output_file();

    // Creates or truncates the file with the given fopen mode; false when it
    // cannot be opened (an existing file is then left as it was).
    bool open(const std::string &name, const char *mode);

    // Each returns false when the data did not all reach the file.
    bool write(const void *data, size_t size);
    bool flush();
    bool close();

    const std::string &name() const { return name_; }

private:
    std::FILE *file_ = nullptr;
    std::string name_;
    bool keep_ = false;
};
