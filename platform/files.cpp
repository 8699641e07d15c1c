// files.cpp - input_file and output_file.
#include "files.h"
#include "temporary_files.h"

#include <cstring>

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
    if (!may_replace(name)) {
        error_ = "it is a folder, or a file that may not be written";
        return false;
    }
    file_ = create_beside(name, how == mode::text, temp_name_);
    if (!file_)
        error_ = last_error_text();
    return file_ != nullptr;
}

bool output_file::write(const void *data, size_t size) {
    return std::fwrite(data, 1, size, file_) == size || fail();
}

bool output_file::flush() { return std::fflush(file_) == 0 || fail(); }

bool output_file::fail() {
    if (error_.empty())
        error_ = last_error_text();
    return false;
}

bool output_file::commit() { return finish() && move_into_place(false); }

bool output_file::finish() {
    const bool written = std::ferror(file_) == 0;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed)
        fail();
    if (!written || !closed) {
        discard();
        return false;
    }
    return true;
}

bool output_file::unchanged() const { return same_contents(temp_name_, name_); }

bool output_file::move_into_place(bool keep_unchanged) {
    if (keep_unchanged && unchanged()) {
        discard();
        return true;
    }
    if (!move_over(temp_name_, name_)) {
        fail();
        discard();
        return false;
    }
    forget_temporary(temp_name_);
    temp_name_.clear();
    return true;
}

bool same_contents(const native_string &a, const native_string &b) {
    input_file first;
    input_file second;
    if (!first.open(a) || !second.open(b))
        return false;
    constexpr size_t piece = 64 * 1024;
    lean_vector<unsigned char> buffer(2 * piece);
    unsigned char *one = buffer.data();
    unsigned char *other = one + piece;
    for (;;) {
        const size_t n = first.read(one, piece);
        const size_t m = second.read(other, piece);
        if (n != m || std::memcmp(one, other, n) != 0 || first.failed() || second.failed())
            return false;
        if (n == 0)
            return true;
    }
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
