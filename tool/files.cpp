// files.cpp - input_file and output_file.
#include "files.h"

input_file::~input_file() {
    if (file_)
        std::fclose(file_);
}

bool input_file::open(const char *name) {
    file_ = std::fopen(name, "rb");
    return file_ != nullptr;
}

size_t input_file::read(void *into, size_t size) {
    return std::fread(into, 1, size, file_);
}

bool input_file::failed() const { return std::ferror(file_) != 0; }

output_file::~output_file() {
    if (file_)
        std::fclose(file_);
    if (!name_.empty() && !keep_)
        std::remove(name_.c_str());
}

bool output_file::open(const std::string &name, const char *mode) {
    file_ = std::fopen(name.c_str(), mode);
    if (!file_)
        return false;
    name_ = name;
    return true;
}

bool output_file::write(const void *data, size_t size) {
    return std::fwrite(data, 1, size, file_) == size;
}

bool output_file::flush() { return std::fflush(file_) == 0; }

bool output_file::close() {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    keep_ = closed;
    return closed;
}
