// tables.cpp - the checks of tables.c from C++: every file of the tables
// web and fonts found by its path and read through a small buffer by
// <mavo/assets.h>'s reader, stored and stream entries alike.
//   tables_cpp WEB_DIR WEB_COUNT FONTS_DIR FONTS_COUNT
#include <mavo/assets.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "fonts.h"
#include "site_css.h"
#include "web.h"

namespace {

std::string expand(const mavo_asset &entry) {
    std::string out;
    mavo_file file;
    uint8_t buffer[77];
    mavo_open(&file, &entry);
    while (const uint32_t len = mavo_read(&file, buffer, sizeof buffer))
        out.append(reinterpret_cast<const char *>(buffer), len);
    return out;
}

bool check(const mavo_asset *table, unsigned count, const char *expected_count,
           const mavo_asset *(*find)(const char *), const std::string &dir) {
    bool ok = count == static_cast<unsigned>(std::atoi(expected_count));
    for (unsigned i = 0; i < count; ++i) {
        const mavo_asset &entry = table[i];
        std::ifstream file(dir + "/" + entry.path, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), {}};
        const bool sorted = i == 0 || std::strcmp(table[i - 1].path, entry.path) < 0;
        if (!sorted || find(entry.path) != &entry || expand(entry) != bytes ||
            entry.size != bytes.size()) {
            std::cerr << "wrong: " << entry.path << "\n";
            ok = false;
        }
    }
    for (const char *not_file : {"", "css", "./index.html", "nothing.txt"})
        if (find(not_file)) {
            std::cerr << "found what is no file: " << not_file << "\n";
            ok = false;
        }
    return ok;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 5)
        return 1;
    const bool web_ok = check(web, WEB_COUNT, argv[2], web_find, argv[1]);
    const bool fonts_ok = check(fonts, FONTS_COUNT, argv[4], fonts_find, argv[3]);
    const mavo_asset *site = web_find("css/site.css");
    const bool same = site && site->size == SITE_CSS_DECODED_SIZE;
    std::cout << WEB_COUNT << " web files, " << FONTS_COUNT << " fonts\n";
    return web_ok && fonts_ok && same ? 0 : 1;
}
