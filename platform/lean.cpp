// lean.cpp - the parts of lean.h that are not templates.
#include "lean.h"

#include <cstring>

void *lean_copied(const void *old, size_t kept, size_t bytes) {
    void *fresh = ::operator new(bytes);
    if (kept > 0)
        std::memcpy(fresh, old, kept);
    return fresh;
}

lean_string decimal(unsigned long long n) {
    char digits[24];
    size_t start = sizeof digits;
    do {
        digits[--start] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n > 0);
    return lean_string(digits + start, sizeof digits - start);
}
