// files.cpp - input_file and output_file.
#include "files.h"
#include "temporary_files.h"

input_file::~input_file() {
    if (file_)
        std::fclose(file_);
}

bool input_file::open(const native_string &name) {
    file_ = open_for_reading(name);
    return file_ != nullptr;
}

size_t input_file::read(void *into, size_t size) {
    return std::fread(into, 1, size, file_);
}

bool input_file::failed() const { return std::ferror(file_) != 0; }

file_identity input_file::identity() const { return identity_of(file_); }

output_file::~output_file() { discard(); }

bool output_file::open(const native_string &name, mode how) {
    name_ = name;
    if (!may_replace(name))
        return false;
    file_ = create_beside(name, how == mode::text, temp_name_);
    return file_ != nullptr;
}

bool output_file::write(const void *data, size_t size) {
    return std::fwrite(data, 1, size, file_) == size;
}

bool output_file::flush() { return std::fflush(file_) == 0; }

bool output_file::commit() {
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed || !move_over(temp_name_, name_)) {
        discard();
        return false;
    }
    forget_temporary(temp_name_);
    temp_name_.clear();
    return true;
}

void output_file::discard() {
    if (file_) {
        std::fclose(file_);
        file_ = nullptr;
    }
    if (!temp_name_.empty()) {
        remove_file(temp_name_);
        forget_temporary(temp_name_);
        temp_name_.clear();
    }
}
