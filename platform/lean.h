// lean.h - lean_string and lean_vector: the parts of std::string and
// std::vector that mavo_embed and the platform layer use, with the same
// names and meanings, and nothing else.
//
// Why not the standard ones: a project that takes mavo in compiles
// mavo_embed before its first asset can be made, and <string> and
// <vector> alone (their headers, and the layers of templates each use
// instantiates) took three quarters of that compile. These are plain: one
// buffer each, no small-string storage, no allocator. A buffer that cannot
// grow throws std::bad_alloc, as the standard ones do, and a lean_string's
// characters stay where they are until it changes (the registry of
// temporary files keeps a pointer to them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

// `bytes` newly allocated, the first `kept` of them copied from `old`. Out
// of line, so that no optimiser takes the loops that fill it for writes
// past an allocation it thinks it knows the size of.
void *lean_copied(const void *old, size_t kept, size_t bytes);

template <class Char>
class basic_lean_string {
public:
    using value_type = Char;
    static constexpr size_t npos = static_cast<size_t>(-1);

    basic_lean_string() = default;
    basic_lean_string(const Char *s) { append(s, length_of(s)); } // NOLINT: as std::string
    basic_lean_string(const Char *s, size_t n) { append(s, n); }
    basic_lean_string(size_t n, Char c) { resize(n, c); }
    basic_lean_string(const basic_lean_string &other) { append(other.data(), other.size()); }
    basic_lean_string(basic_lean_string &&other) noexcept { take(other); }
    basic_lean_string &operator=(const basic_lean_string &other) {
        if (this != &other) {
            basic_lean_string copy(other);
            swap(copy);
        }
        return *this;
    }
    basic_lean_string &operator=(basic_lean_string &&other) noexcept {
        swap(other);
        return *this;
    }
    ~basic_lean_string() { ::operator delete(chars_); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const Char *c_str() const { return chars_ ? chars_ : nothing(); }
    const Char *data() const { return c_str(); }
    Char *data() { return chars_ ? chars_ : const_cast<Char *>(nothing()); }
    Char &operator[](size_t i) { return chars_[i]; }
    const Char &operator[](size_t i) const { return chars_[i]; }
    Char back() const { return chars_[size_ - 1]; }
    const Char *begin() const { return data(); }
    const Char *end() const { return data() + size_; }
    Char *begin() { return data(); }
    Char *end() { return data() + size_; }

    void clear() { set_size(0); }
    void pop_back() { set_size(size_ - 1); }
    void resize(size_t n, Char c = Char()) {
        reserve(n);
        for (size_t i = size_; i < n; ++i)
            chars_[i] = c;
        set_size(n);
    }
    void reserve(size_t n) { ::operator delete(grow(n)); }

    basic_lean_string &append(const Char *s, size_t n) {
        if (n == 0)
            return *this;
        // `s` may point into this string: its old buffer goes only once
        // copied from.
        Char *old = grow(size_ + n);
        for (size_t i = 0; i < n; ++i)
            chars_[size_ + i] = s[i];
        set_size(size_ + n);
        ::operator delete(old);
        return *this;
    }
    basic_lean_string &append(const basic_lean_string &s, size_t pos, size_t n) {
        return append(s.data() + pos, clamp(s.size(), pos, n));
    }
    basic_lean_string &operator+=(Char c) { return append(&c, 1); }
    basic_lean_string &operator+=(const Char *s) { return append(s, length_of(s)); }
    basic_lean_string &operator+=(const basic_lean_string &s) { return append(s.data(), s.size()); }
    basic_lean_string &insert(size_t pos, const Char *s) {
        basic_lean_string out(data(), pos);
        out += s;
        out.append(*this, pos, npos);
        swap(out);
        return *this;
    }

    basic_lean_string substr(size_t pos, size_t n = npos) const {
        return basic_lean_string(data() + pos, clamp(size_, pos, n));
    }

    size_t find(Char c, size_t pos = 0) const {
        for (size_t i = pos; i < size_; ++i)
            if (chars_[i] == c)
                return i;
        return npos;
    }
    size_t find(const Char *s, size_t pos = 0) const { return find_range(s, length_of(s), pos); }
    size_t find(const basic_lean_string &s, size_t pos = 0) const {
        return find_range(s.data(), s.size(), pos);
    }
    size_t find_first_of(const Char *set, size_t pos = 0) const {
        for (size_t i = pos; i < size_; ++i)
            if (holds(set, chars_[i]))
                return i;
        return npos;
    }
    size_t find_first_not_of(const Char *set, size_t pos = 0) const {
        for (size_t i = pos; i < size_; ++i)
            if (!holds(set, chars_[i]))
                return i;
        return npos;
    }
    size_t find_last_of(const Char *set) const {
        for (size_t i = size_; i > 0; --i)
            if (holds(set, chars_[i - 1]))
                return i - 1;
        return npos;
    }
    size_t find_last_of(const basic_lean_string &set) const { return find_last_of(set.c_str()); }
    size_t find_last_of(Char c) const {
        const Char set[2] = {c, Char()};
        return find_last_of(set);
    }

    // As std::string's: characters compared as unsigned values, so that
    // UTF-8 sorts by code point.
    int compare(const basic_lean_string &other) const {
        return compare_range(data(), size_, other.data(), other.size());
    }
    int compare(size_t pos, size_t n, const basic_lean_string &other) const {
        return compare_range(data() + pos, clamp(size_, pos, n), other.data(), other.size());
    }

    void swap(basic_lean_string &other) noexcept {
        Char *chars = chars_;
        const size_t size = size_, capacity = capacity_;
        chars_ = other.chars_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.chars_ = chars;
        other.size_ = size;
        other.capacity_ = capacity;
    }

    static size_t length_of(const Char *s) {
        size_t n = 0;
        while (s[n] != Char())
            ++n;
        return n;
    }

private:
    static const Char *nothing() {
        static const Char empty[1] = {};
        return empty;
    }
    // How many of n characters from pos on there are (none past the end,
    // where std::string would throw).
    static size_t clamp(size_t size, size_t pos, size_t n) {
        if (pos >= size)
            return 0;
        return n > size - pos ? size - pos : n;
    }
    // Room for n characters: returns the buffer it replaced, for the caller
    // to free, or null when there was room.
    Char *grow(size_t n) {
        if (n <= capacity_)
            return nullptr;
        const size_t capacity = n < 2 * capacity_ ? 2 * capacity_ : n;
        if (capacity >= static_cast<size_t>(-1) / sizeof(Char))
            throw std::bad_alloc();
        const size_t kept = chars_ ? (size_ + 1) * sizeof(Char) : 0;
        Char *old = chars_;
        chars_ = static_cast<Char *>(lean_copied(old, kept, (capacity + 1) * sizeof(Char)));
        capacity_ = capacity;
        chars_[size_] = Char();
        return old;
    }
    size_t find_range(const Char *s, size_t n, size_t pos) const {
        for (size_t i = pos; i + n <= size_; ++i)
            if (same(data() + i, s, n))
                return i;
        return npos;
    }
    static bool same(const Char *a, const Char *b, size_t n) {
        for (size_t i = 0; i < n; ++i)
            if (a[i] != b[i])
                return false;
        return true;
    }
    static bool holds(const Char *set, Char c) {
        for (; *set != Char(); ++set)
            if (*set == c)
                return true;
        return false;
    }
    static uint32_t value(Char c) {
        return sizeof(Char) == 1 ? static_cast<uint32_t>(static_cast<unsigned char>(c))
                                 : static_cast<uint32_t>(c);
    }
    static int compare_range(const Char *a, size_t n, const Char *b, size_t m) {
        for (size_t i = 0; i < n && i < m; ++i)
            if (a[i] != b[i])
                return value(a[i]) < value(b[i]) ? -1 : 1;
        return n < m ? -1 : n > m ? 1 : 0;
    }
    void set_size(size_t n) {
        size_ = n;
        if (chars_)
            chars_[n] = Char();
    }
    void take(basic_lean_string &other) {
        chars_ = other.chars_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.chars_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }

    Char *chars_ = nullptr; // capacity_ + 1 characters, null-terminated
    size_t size_ = 0;
    size_t capacity_ = 0;
};

template <class Char>
bool operator==(const basic_lean_string<Char> &a, const basic_lean_string<Char> &b) {
    return a.compare(b) == 0;
}
template <class Char>
bool operator==(const basic_lean_string<Char> &a, const Char *b) {
    return a.compare(basic_lean_string<Char>(b)) == 0;
}
template <class Char>
bool operator!=(const basic_lean_string<Char> &a, const basic_lean_string<Char> &b) {
    return !(a == b);
}
template <class Char>
bool operator!=(const basic_lean_string<Char> &a, const Char *b) {
    return !(a == b);
}

template <class Char>
basic_lean_string<Char> operator+(basic_lean_string<Char> a, const basic_lean_string<Char> &b) {
    return static_cast<basic_lean_string<Char> &&>(a += b);
}
template <class Char>
basic_lean_string<Char> operator+(basic_lean_string<Char> a, const Char *b) {
    return static_cast<basic_lean_string<Char> &&>(a += b);
}
template <class Char>
basic_lean_string<Char> operator+(basic_lean_string<Char> a, Char b) {
    return static_cast<basic_lean_string<Char> &&>(a += b);
}
template <class Char>
basic_lean_string<Char> operator+(const Char *a, const basic_lean_string<Char> &b) {
    basic_lean_string<Char> out(a);
    out += b;
    return out;
}
template <class Char>
basic_lean_string<Char> operator+(Char a, const basic_lean_string<Char> &b) {
    basic_lean_string<Char> out(1, a);
    out += b;
    return out;
}

using lean_string = basic_lean_string<char>;

// n in decimal, as std::to_string gives it.
lean_string decimal(unsigned long long n);

// A growable array of T: what std::vector is to mavo_embed. Its items move
// when it grows.
template <class T>
class lean_vector {
public:
    lean_vector() = default;
    explicit lean_vector(size_t n) { resize(n); }
    lean_vector(const lean_vector &other) {
        reserve(other.size_);
        for (const T &item : other)
            push_back(item);
    }
    lean_vector(lean_vector &&other) noexcept { swap(other); }
    lean_vector &operator=(const lean_vector &other) {
        if (this != &other) {
            lean_vector copy(other);
            swap(copy);
        }
        return *this;
    }
    lean_vector &operator=(lean_vector &&other) noexcept {
        swap(other);
        return *this;
    }
    ~lean_vector() {
        clear();
        ::operator delete(items_);
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T *data() { return items_; }
    const T *data() const { return items_; }
    T &operator[](size_t i) { return items_[i]; }
    const T &operator[](size_t i) const { return items_[i]; }
    T &front() { return items_[0]; }
    const T &front() const { return items_[0]; }
    T &back() { return items_[size_ - 1]; }
    T *begin() { return items_; }
    T *end() { return items_ + size_; }
    const T *begin() const { return items_; }
    const T *end() const { return items_ + size_; }

    void push_back(const T &item) {
        if (size_ == capacity_) {
            T copy(item); // `item` may be one of ours, which growing moves
            grow(size_ + 1);
            new (items_ + size_) T(static_cast<T &&>(copy));
        } else {
            new (items_ + size_) T(item);
        }
        ++size_;
    }
    void push_back(T &&item) {
        if (size_ == capacity_) {
            T moved(static_cast<T &&>(item));
            grow(size_ + 1);
            new (items_ + size_) T(static_cast<T &&>(moved));
        } else {
            new (items_ + size_) T(static_cast<T &&>(item));
        }
        ++size_;
    }
    // Appends `n` items copied from `items`, which must not be this
    // vector's own.
    void append(const T *items, size_t n) {
        reserve(size_ + n);
        for (size_t i = 0; i < n; ++i)
            new (items_ + size_ + i) T(items[i]);
        size_ += n;
    }
    void pop_back() { items_[--size_].~T(); }
    void clear() {
        while (size_ > 0)
            pop_back();
    }
    void resize(size_t n) {
        reserve(n);
        while (size_ < n)
            new (items_ + size_++) T();
        while (size_ > n)
            pop_back();
    }
    void reserve(size_t n) {
        if (n > capacity_)
            grow(n);
    }

    void swap(lean_vector &other) noexcept {
        T *items = items_;
        const size_t size = size_, capacity = capacity_;
        items_ = other.items_;
        size_ = other.size_;
        capacity_ = other.capacity_;
        other.items_ = items;
        other.size_ = size;
        other.capacity_ = capacity;
    }

private:
    // Room for at least n items; the items move over (moves that throw
    // nothing: every T here is a number, a pointer or made of these).
    void grow(size_t n) {
        size_t capacity = capacity_ ? 2 * capacity_ : 4;
        if (capacity < n)
            capacity = n;
        if (capacity > static_cast<size_t>(-1) / sizeof(T))
            throw std::bad_alloc();
        T *items = static_cast<T *>(::operator new(capacity * sizeof(T)));
        for (size_t i = 0; i < size_; ++i) {
            new (items + i) T(static_cast<T &&>(items_[i]));
            items_[i].~T();
        }
        ::operator delete(items_);
        items_ = items;
        capacity_ = capacity;
    }

    T *items_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
