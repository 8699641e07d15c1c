// lean_test.cpp - lean_string and lean_vector give what std::string and
// std::vector give for every call mavo_embed and the platform layer make.
#include "lean.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string std_of(const lean_string &s) { return std::string(s.data(), s.size()); }

// Each text against each needle, through every search and cut.
TEST(Lean, StringSearchesAndCutsAsStdStringDoes) {
    const char *const texts[] = {"", "a", "abcabc", "a/b\\c", "x\xff\x80y", "//", "abc\n\r"};
    const char *const needles[] = {"", "a", "bc", "/\\", "\xff", "abcabcd", "\n\r"};
    for (const char *text : texts) {
        const lean_string lean(text);
        const std::string plain(text);
        SCOPED_TRACE(plain);
        EXPECT_EQ(lean.size(), plain.size());
        EXPECT_STREQ(lean.c_str(), plain.c_str());
        for (const char *needle : needles) {
            SCOPED_TRACE(needle);
            for (size_t pos = 0; pos <= plain.size() + 1; ++pos) {
                EXPECT_EQ(lean.find(needle, pos), plain.find(needle, pos));
                EXPECT_EQ(lean.find_first_of(needle, pos), plain.find_first_of(needle, pos));
                EXPECT_EQ(lean.find_first_not_of(needle, pos),
                          plain.find_first_not_of(needle, pos));
            }
            EXPECT_EQ(lean.find_last_of(needle), plain.find_last_of(needle));
            EXPECT_EQ(lean.find(lean_string(needle) + '\0'), plain.find(std::string(needle) + '\0'));
            const int lean_order = lean.compare(lean_string(needle));
            const int plain_order = plain.compare(needle);
            EXPECT_EQ(lean_order < 0, plain_order < 0);
            EXPECT_EQ(lean_order > 0, plain_order > 0);
            EXPECT_EQ(lean == needle, plain == needle);
            EXPECT_EQ(lean.compare(0, 2, lean_string(needle)) == 0, plain.compare(0, 2, needle) == 0);
        }
        for (size_t pos = 0; pos <= plain.size(); ++pos) {
            EXPECT_EQ(std_of(lean.substr(pos)), plain.substr(pos));
            EXPECT_EQ(std_of(lean.substr(pos, 2)), plain.substr(pos, 2));
            EXPECT_EQ(std_of(lean_string(lean).insert(pos, "<>")),
                      std::string(plain).insert(pos, "<>"));
            EXPECT_EQ(std_of(lean_string().append(lean, pos, 3)), std::string().append(plain, pos, 3));
        }
    }
}

TEST(Lean, StringsGrowJoinAndShrink) {
    lean_string s;
    std::string plain;
    for (int i = 0; i < 300; ++i) {
        s += static_cast<char>('a' + i % 26);
        plain += static_cast<char>('a' + i % 26);
    }
    EXPECT_EQ(std_of(s), plain);
    lean_string twice = s;
    twice += twice; // from its own buffer, which growing replaces
    twice.append(twice.data() + 1, 2);
    EXPECT_EQ(std_of(twice), plain + plain + plain.substr(1, 2));
    EXPECT_EQ(std_of("<" + s + '>' + "!" + lean_string("?")), "<" + plain + ">!?");
    EXPECT_EQ(std_of('/' + s), '/' + plain);
    s.resize(5, 'z');
    s.resize(8, 'z');
    s.pop_back();
    EXPECT_EQ(std_of(s), "abcdezz");
    EXPECT_EQ(s.back(), 'z');
    lean_string moved(static_cast<lean_string &&>(s));
    EXPECT_TRUE(s.empty());
    EXPECT_STREQ(s.c_str(), "");
    s = moved;
    EXPECT_EQ(s, moved);
    EXPECT_EQ(std_of(decimal(0)) + " " + std_of(decimal(18446744073709551615ull)),
              "0 18446744073709551615");
}

// Counts the items alive, so that a vector that loses or doubles one shows.
struct counted {
    static int alive;
    lean_string text;
    explicit counted(const char *t = "") : text(t) { ++alive; }
    counted(const counted &other) : text(other.text) { ++alive; }
    counted(counted &&other) noexcept : text(static_cast<lean_string &&>(other.text)) { ++alive; }
    ~counted() { --alive; }
};
int counted::alive = 0;

TEST(Lean, VectorsKeepEveryItemOnceThroughGrowthCopiesAndMoves) {
    {
        lean_vector<counted> v;
        v.push_back(counted("first"));
        for (int i = 0; i < 100; ++i)
            v.push_back(v[0]); // an item of its own, while it grows
        ASSERT_EQ(v.size(), 101u);
        EXPECT_EQ(v.back().text, "first");
        lean_vector<counted> copy(v);
        lean_vector<counted> moved(static_cast<lean_vector<counted> &&>(v));
        EXPECT_TRUE(v.empty());
        EXPECT_EQ(counted::alive, 202);
        moved.resize(3);
        copy = moved;
        EXPECT_EQ(counted::alive, 6);
        copy.append(moved.data(), moved.size());
        EXPECT_EQ(copy.size(), 6u);
    }
    EXPECT_EQ(counted::alive, 0);
    lean_vector<unsigned> numbers(4);
    EXPECT_EQ(numbers[3], 0u) << "new items are zero, as std::vector's are";
}

} // namespace
