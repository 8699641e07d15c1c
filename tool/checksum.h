// checksum.h - the 64-bit checksum that ties the verify pass's expansion to
// the input the compress pass read: XXH3 (xxHash), fed as the data passes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class checksum {
public:
    checksum();
    ~checksum();
    checksum(const checksum &) = delete;
    checksum &operator=(const checksum &) = delete;

    void add(const void *data, size_t size);
    uint64_t value() const;

private:
    struct state;
    std::unique_ptr<state> state_;
};
