// temporary_files_test.cpp - the registry of temporary files that a signal
// empties, and the rule that names them, on both platforms' code path.
#include "temporary_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Names as UTF-8 text, in order, to compare sets of them.
std::vector<std::string> removed;

void record_removal(const native_char *name) {
    removed.emplace_back(utf8_name(native_string(name)).c_str());
}

std::vector<std::string> removed_now() {
    removed.clear();
    remove_temporaries(record_removal);
    std::sort(removed.begin(), removed.end());
    return removed;
}

std::vector<std::string> texts(const std::vector<native_string> &names) {
    std::vector<std::string> out;
    for (const native_string &n : names)
        out.emplace_back(utf8_name(n).c_str());
    return out;
}

native_string name(const char *text) { return with_suffix(native_string(), text); }

TEST(TemporaryFiles, TheRegistryHoldsFourNamesAndRemovesEachOnceUntilForgotten) {
    std::vector<native_string> names = {name("a.mavo-1"), name("b.mavo-2"), name("c.mavo-3"),
                                        name("d.mavo-4")};
    const native_string fifth = name("e.mavo-5");
    for (const native_string &n : names)
        ASSERT_TRUE(register_temporary(n));
    EXPECT_FALSE(register_temporary(fifth)) << "a fifth name found room";
    EXPECT_EQ(removed_now(), texts(names));

    // A name that was never registered, though equal to one that was, is
    // not the registered string: forgetting it frees nothing.
    forget_temporary(name("b.mavo-2"));
    EXPECT_EQ(removed_now(), texts(names));

    forget_temporary(names[1]);
    ASSERT_TRUE(register_temporary(fifth)) << "a forgotten name's room stays taken";
    EXPECT_EQ(removed_now(), texts({names[0], names[2], names[3], fifth}));

    // The name may change in place (mkstemp() fills it in): the registry
    // sees the change.
    names[0][0] = 'z';
    EXPECT_EQ(removed_now(), texts({names[2], names[3], fifth, names[0]}));

    for (const native_string &n : names)
        forget_temporary(n);
    forget_temporary(fifth);
    EXPECT_TRUE(removed_now().empty());
}

TEST(TemporaryFiles, ANameTooLongForTheMarkerKeepsTheFinalNamesLength) {
    const std::string marker = ".mavo-XXXXXX";
    const struct {
        std::string final_name;
        std::string expected;
    } cases[] = {
        {"in.bin.enc", "in.bin.enc.mavo-XXXXXX"},
        {"dir/in.enc", "dir/in.enc.mavo-XXXXXX"},
        {std::string(243, 'a'), std::string(243, 'a') + marker},
        {std::string(244, 'a'), std::string(232, 'a') + marker},
        {"dir/" + std::string(255, 'b'), "dir/" + std::string(243, 'b') + marker},
        {"dir\\" + std::string(250, 'c'), "dir\\" + std::string(238, 'c') + marker},
        // A folder's long name is no file name: only the last one counts.
        {std::string(300, 'd') + "/x", std::string(300, 'd') + "/x" + marker},
    };
    for (const auto &c : cases)
        EXPECT_EQ(temporary_name(c.final_name, marker), c.expected) << c.final_name;
}

} // namespace
