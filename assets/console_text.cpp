// console_text.cpp - console_text_as_utf8(): the kana and kanji that mavo's
// messages use, from their Shift_JIS codes to Unicode. mavo prints nothing
// else but ASCII (the step runs it on a copy with an ASCII name), so a table
// of these characters is all the conversion a build step needs, without a
// converter library that a static program cannot load.
#include "console_text.h"

#include <cstdint>
#include <cstdio>
#include <iterator>

namespace {

struct kanji {
    uint16_t shift_jis;
    uint16_t unicode;
};

// Sorted by Shift_JIS code.
constexpr kanji message_characters[] = {
    {0x82aa, 0x304c}, {0x82ab, 0x304d}, {0x82af, 0x3051}, {0x82b5, 0x3057},
    {0x82b9, 0x305b}, {0x82bd, 0x305f}, {0x82c5, 0x3067}, {0x82c6, 0x3068},
    {0x82cc, 0x306e}, {0x82dc, 0x307e}, {0x82df, 0x3081}, {0x82f1, 0x3093},
    {0x8340, 0x30a1}, {0x8343, 0x30a4}, {0x8374, 0x30d5}, {0x838b, 0x30eb},
    {0x88b3, 0x5727}, {0x88ea, 0x4e00}, {0x89bb, 0x5316}, {0x89f0, 0x89e3},
    {0x8a4a, 0x958b}, {0x8aae, 0x5b8c}, {0x8cb3, 0x5143}, {0x8d9e, 0x8fbc},
    {0x8f6b, 0x7e2e}, {0x8f91, 0x66f8}, {0x9276, 0x81f4}, {0x9286, 0x4e2d},
    {0x9380, 0x51cd}, {0x93c7, 0x8aad}, {0x93fc, 0x5165}, {0x96bc, 0x540d},
    {0x97b9, 0x4e86}, {0x97cd, 0x529b},
};

// The Unicode character for a Shift_JIS pair, or 0 when it is not one of
// the messages' characters.
uint16_t unicode_of(uint16_t code) {
    for (const kanji &k : message_characters)
        if (k.shift_jis == code)
            return k.unicode;
    return 0;
}

// Characters of the Basic Multilingual Plane, at most three UTF-8 bytes.
void append_utf8(std::string &out, uint16_t c) {
    if (c < 0x800) {
        out += static_cast<char>(0xc0 | (c >> 6));
    } else {
        out += static_cast<char>(0xe0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3f));
    }
    out += static_cast<char>(0x80 | (c & 0x3f));
}

void append_escape(std::string &out, unsigned char byte) {
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02X", byte);
    out += escape;
}

} // namespace

std::string console_text_as_utf8(const std::string &text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            continue;
        }
        if (i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            const uint16_t c = unicode_of(static_cast<uint16_t>(byte << 8 | next));
            if (c != 0) {
                append_utf8(out, c);
                ++i;
                continue;
            }
        }
        append_escape(out, byte);
    }
    return out;
}
