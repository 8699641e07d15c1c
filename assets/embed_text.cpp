// embed_text.cpp - the header and source texts of one embedded asset.
#include "embed_text.h"

namespace {

lean_string upper_case(lean_string s) {
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// `text` as the inside of a C string literal.
lean_string c_string(const lean_string &text) {
    lean_string out;
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

// `text` as the inside of a string for the assembler, itself inside a C
// string literal: escaped once for each.
lean_string asm_string(const lean_string &text) { return c_string(c_string(text)); }

// One byte inside a C string literal: printable ASCII as it is, the rest
// (and what could end or escape the literal, or start a trigraph) as an
// octal escape, which takes at most three digits and so never swallows the
// character after it.
void append_string_byte(lean_string &text, uint8_t byte) {
    if (byte >= 0x20 && byte < 0x7f && byte != '"' && byte != '\\' && byte != '?') {
        text += static_cast<char>(byte);
        return;
    }
    text += '\\';
    text += static_cast<char>('0' + (byte >> 6));
    text += static_cast<char>('0' + ((byte >> 3) & 7));
    text += static_cast<char>('0' + (byte & 7));
}

// Macros every source needs once, however many assets one translation unit
// includes: definitions and declarations of C linkage, in flash on AVR.
const char common_prelude[] = R"(#ifndef MAVO_EMBED_COMMON
#define MAVO_EMBED_COMMON
#ifdef __cplusplus
#define MAVO_EXTERN extern "C"
#define MAVO_DECLARE extern "C"
#else
#define MAVO_EXTERN
#define MAVO_DECLARE extern
#endif
#if defined(__AVR__)
#define MAVO_IN_FLASH __attribute__((__progmem__))
#else
#define MAVO_IN_FLASH
#endif
#endif
)";

// The assembler takes each stream in with .incbin: no compiler parses its
// bytes. Each array has a section of its own, so that a linker dropping
// unused sections drops unused assets.
const char incbin_prelude[] = R"(#ifndef MAVO_EMBED_INCBIN
#define MAVO_EMBED_INCBIN
#define MAVO_QUOTE_(x) #x
#define MAVO_QUOTE(x) MAVO_QUOTE_(x)
#define MAVO_LABEL(symbol) MAVO_QUOTE(__USER_LABEL_PREFIX__) symbol
#if defined(__ELF__)
#if defined(__AVR__)
#define MAVO_SECTION(symbol) ".progmem.data." symbol
#else
#define MAVO_SECTION(symbol) ".rodata." symbol
#endif
#define MAVO_OPEN(section) ".pushsection " section ",\"a\"\n"
#define MAVO_TYPE(label) ".type " label ", %object\n"
#define MAVO_END(label) ".size " label ", . - " label "\n.popsection\n"
#elif defined(__APPLE__)
#define MAVO_SECTION(symbol) "__TEXT,__const"
#define MAVO_OPEN(section) ".section " section "\n"
#define MAVO_TYPE(label) ""
#define MAVO_END(label) ".text\n"
#else
#define MAVO_SECTION(symbol) ".rdata"
#define MAVO_OPEN(section) ".section " section ",\"dr\"\n"
#define MAVO_TYPE(label) ""
#define MAVO_END(label) ".text\n"
#endif
#endif
)";

// Placement for arrays that the compiler defines.
const char c_prelude[] = R"(#ifndef MAVO_EMBED_C
#define MAVO_EMBED_C
#if defined(_MSC_VER) && !defined(__clang__)
#define MAVO_ALIGNED(n) __declspec(align(n))
#define MAVO_IN_SECTION(name) __declspec(allocate(name))
#else
#define MAVO_ALIGNED(n) __attribute__((aligned(n)))
#define MAVO_IN_SECTION(name) __attribute__((section(name)))
#endif
#endif
)";

lean_string incbin_definition(const array_text &a) {
    const lean_string section = a.section.empty()
                                    ? "MAVO_SECTION(\"" + a.symbol + "\")"
                                    : "\"" + asm_string(a.section) + "\"";
    const lean_string label = "MAVO_LABEL(\"" + a.symbol + "\")";
    lean_string text = "__asm__(MAVO_OPEN(" + section + ")\n";
    if (a.align)
        text += "        \".balign " + decimal(a.align) + "\\n\"\n";
    text += "        \".globl \" " + label + " \"\\n\"\n"
            "        MAVO_TYPE(" + label + ")\n"
            "        " + label + " \":\\n\"\n"
            "        \".incbin \\\"" + asm_string(a.stream_path) + "\\\"\\n\"\n"
            "        MAVO_END(" + label + "));\n";
    // Declared for the C code after it (a table's entries point into it).
    return text + "MAVO_DECLARE const unsigned char " + a.symbol + "[];\n";
}

// What stands before the array's initialiser: its placement, its name and
// its type.
lean_string c_declarator(const array_text &a, const char *dimensions) {
    lean_string text;
    lean_string placement;
    if (a.align)
        placement += "MAVO_ALIGNED(" + decimal(a.align) + ") ";
    if (!a.section.empty()) {
        // MSVC places only into sections it was told of.
        text += "#if defined(_MSC_VER) && !defined(__clang__)\n#pragma section(\"" +
                c_string(a.section) + "\", read)\n#endif\n";
        placement += "MAVO_IN_SECTION(\"" + c_string(a.section) + "\") ";
    }
    text += "MAVO_EXTERN " + placement + "const unsigned char " + a.symbol + dimensions;
    if (a.section.empty())
        text += " MAVO_IN_FLASH";
    return text + " = {\n";
}

// The stream as string literals, one of 4096 bytes a row (the last one
// shorter), each exactly as long as a row of the array it initialises, so
// that no terminating zero comes between the rows. Octal escapes, which
// take at most three digits, never swallow the character after them.
void write_string_rows(const uint8_t *stream, uint64_t size, const text_writer &write) {
    constexpr uint64_t row = 4096;
    lean_string text;
    for (uint64_t i = 0; i < size; ++i) {
        if (i % row == 0)
            text += "\"";
        append_string_byte(text, stream[i]);
        if (i % row == row - 1 || i + 1 == size) {
            text += "\",\n";
            write(text);
            text.clear();
        }
    }
}

// The stream as byte values, 16 a line.
void write_byte_list(const uint8_t *stream, uint64_t size, const text_writer &write) {
    static const char digits[] = "0123456789abcdef";
    lean_string text;
    for (uint64_t i = 0; i < size; ++i) {
        const uint8_t byte = stream[i];
        text += "0x";
        text += digits[byte >> 4];
        text += digits[byte & 15];
        text += i % 16 == 15 ? ",\n" : ",";
        if (text.size() >= 64 * 1024) {
            write(text);
            text.clear();
        }
    }
    if (size % 16 != 0)
        text += "\n";
    write(text);
}

// The preludes the array needs, then its definition.
void write_array(const array_text &a, embedding how, const text_writer &write) {
    lean_string text = common_prelude;
    if (how == embedding::incbin) {
        write(text + incbin_prelude + "\n" + incbin_definition(a));
        return;
    }
    text += c_prelude;
    text += "\n";
    // Each initialiser ends with one element more than the stream, so that
    // an empty one is still a legal array; the sizes do not count it.
    switch (how) {
    case embedding::embed:
        write(text + c_declarator(a, "[]") + "#embed \"" + a.stream_path + "\" suffix(,)\n0};\n");
        break;
    case embedding::string:
        write(text + c_declarator(a, "[][4096]"));
        write_string_rows(a.bytes, a.size, write);
        write(a.size == 0 ? "\"\"};\n" : "};\n");
        break;
    default:
        write(text + c_declarator(a, "[]"));
        write_byte_list(a.bytes, a.size, write);
        write("0};\n");
        break;
    }
}

lean_string seek_initialiser(const lean_vector<codec_seek_point> &points) {
    // The point after the stream's own keeps an empty asset's array from
    // being empty.
    lean_string text = " = {\n";
    for (const codec_seek_point &p : points)
        text += "{" + decimal(p.section) + "u, " + decimal(p.last) + ", " +
                decimal(p.into) + ", " + decimal(p.run) + ", 0},\n";
    return text + "{0, 0, 0, 0, 0}};\n";
}

// A path as a C string literal: bytes beyond ASCII as octal escapes, so that
// the source says the same in any character set.
lean_string path_literal(const lean_string &path) {
    lean_string text = "\"";
    for (char c : path)
        append_string_byte(text, static_cast<uint8_t>(c));
    return text + "\"";
}

// The lookup by path: a binary search over the sorted paths, which on AVR
// lie in flash with the table.
const char table_prelude[] = R"(#ifndef MAVO_EMBED_TABLE
#define MAVO_EMBED_TABLE
#include <string.h>
#if defined(__AVR__)
#include <avr/pgmspace.h>
#define MAVO_PATH_OF(entry) ((const char *)pgm_read_ptr(&(entry)->path))
#define MAVO_PATH_ORDER(path, flash_path) strcmp_P(path, flash_path)
#else
#define MAVO_PATH_OF(entry) ((entry)->path)
#define MAVO_PATH_ORDER(path, other) strcmp(path, other)
#endif
#endif
)";

lean_string find_definition(const table_text &t) {
    return "\nMAVO_EXTERN const mavo_asset *" + t.name + "_find(const char *path)\n"
           "{\n"
           "    size_t low = 0;\n"
           "    size_t high = " + decimal(t.entries.size()) + "u;\n"
           "    if (!path)\n"
           "        return 0;\n"
           "    while (low < high) {\n"
           "        size_t middle = low + (high - low) / 2;\n"
           "        int order = MAVO_PATH_ORDER(path, MAVO_PATH_OF(&" + t.name + "[middle]));\n"
           "        if (order == 0)\n"
           "            return &" + t.name + "[middle];\n"
           "        if (order < 0)\n"
           "            high = middle;\n"
           "        else\n"
           "            low = middle + 1;\n"
           "    }\n"
           "    return 0;\n"
           "}\n"
           "\nMAVO_EXTERN const mavo_asset *" + t.name + "_find_prefix(const char *prefix, uint32_t *count)\n"
           "{\n"
           "    return mavo_find_prefix(" + t.name + ", " + decimal(t.entries.size()) + "u, prefix, count);\n"
           "}\n";
}

} // namespace

lean_string header_text(const asset_text &a) {
    const lean_string &symbol = a.array.symbol;
    const lean_string upper = upper_case(symbol);
    const lean_string what = a.stored ? "the bytes of " + a.name + " as they are (stored)"
                                      : "the mavo stream of " + a.name;
    lean_string text =
        "/* " + symbol + ": " + what + ", generated by mavo_embed.\n"
        "   Read it with mavo_open() and mavo_read() from <mavo/assets.h>" +
        (a.no_descriptor.empty() ? " (its descriptor\n   is " + symbol + "_asset)" : "") +
        (a.stored ? "; it is the file itself" : ", or expand it with decode_block() or\n"
                                                "   decode_step() from <mavo/codec.h>") +
        ". */\n"
        "#ifndef MAVO_ASSET_" + upper + "_H\n"
        "#define MAVO_ASSET_" + upper + "_H\n\n"
        "#include <mavo/assets.h>\n\n"
        "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n"
        "/* On AVR the array is in program memory (flash), where only memcpy_P()\n"
        "   and pgm_read_byte() can read it; elsewhere it is ordinary constant data. */\n"
        "#if defined(__AVR__)\n"
        "#define " + upper + "_IN_PROGMEM 1\n"
        "extern const unsigned char " + symbol + "[] __attribute__((__progmem__));\n";
    if (a.no_descriptor.empty())
        text += "extern const mavo_asset " + symbol + "_asset __attribute__((__progmem__));\n";
    text += "#else\n"
            "#define " + upper + "_IN_PROGMEM 0\n"
            "extern const unsigned char " + symbol + "[];\n";
    if (a.no_descriptor.empty())
        text += "extern const mavo_asset " + symbol + "_asset;\n";
    text += "#endif\n";
    if (!a.no_descriptor.empty())
        text += "/* No " + symbol + "_asset: " + a.no_descriptor + ". */\n";
    text +=
        "\n/* Bytes in " + symbol + (a.stored ? ": the file's own. */\n" : ": its stream. */\n") +
        "#define " + upper + "_SIZE " + decimal(a.array.size) + "u\n"
        "/* Bytes of " + a.name + ": what " + symbol + " holds or expands to. */\n"
        "#define " + upper + "_DECODED_SIZE " + decimal(a.decoded_size) + "u\n"
        "/* 1: " + symbol + " holds the file's bytes as they are; 0: a mavo stream. */\n"
        "#define " + upper + "_STORED " + (a.stored ? "1" : "0") + "\n";
    if (a.seek_spacing)
        text += "\n/* Seek points for decode_seek(): one per " + upper +
                "_SEEK_SPACING bytes of output (in flash on AVR, with the stream). */\n"
                "#if defined(__AVR__)\n"
                "extern const codec_seek_point " + symbol + "_seek[] __attribute__((__progmem__));\n"
                "#else\n"
                "extern const codec_seek_point " + symbol + "_seek[];\n"
                "#endif\n"
                "#define " + upper + "_SEEK_POINTS " + decimal(a.seek_points.size()) +
                "u\n"
                "#define " + upper + "_SEEK_SPACING " + decimal(a.seek_spacing) + "u\n";
    text += "\n#ifdef __cplusplus\n}\n#endif\n\n#endif\n";
    return text;
}

void write_source_text(const asset_text &a, embedding how, const text_writer &write) {
    const lean_string &symbol = a.array.symbol;
    write("/* " + symbol + ": " + (a.stored ? "the bytes of " : "the mavo stream of ") + a.name +
          ", generated by mavo_embed. */\n#include <mavo/assets.h>\n");
    write_array(a.array, how, write);
    lean_string text;
    if (a.seek_spacing)
        text += "\nMAVO_EXTERN const codec_seek_point " + symbol + "_seek[] MAVO_IN_FLASH" +
                seek_initialiser(a.seek_points);
    if (a.no_descriptor.empty()) {
        const lean_string seek = a.seek_spacing ? symbol + "_seek, " +
                                                      decimal(a.seek_points.size()) +
                                                      "u, " + decimal(a.seek_spacing) + "u"
                                                : "0, 0, 0";
        text += "\nstatic const char " + symbol + "_asset_path[] MAVO_IN_FLASH = " +
                path_literal(a.name) + ";\n"
                "MAVO_EXTERN const mavo_asset " + symbol + "_asset MAVO_IN_FLASH = {\n" +
                symbol + "_asset_path, " + symbol + ", " + decimal(a.array.size) + "u, " +
                decimal(a.decoded_size) + "u, " + seek + ", " +
                (a.stored ? "1" : "0") + "};\n";
    }
    write(text);
}

lean_string table_header_text(const table_text &t) {
    const lean_string upper = upper_case(t.name);
    return "/* " + t.name + ": a table of " + decimal(t.entries.size()) +
           " files, generated by mavo_embed: their mavo streams or\n"
           "   bytes, sorted by path. Find a file with " + t.name + "_find(), list a folder\n"
           "   with " + t.name + "_find_prefix(), read an entry with mavo_open() and\n"
           "   mavo_read() from <mavo/assets.h>. */\n"
           "#ifndef MAVO_TABLE_" + upper + "_H\n"
           "#define MAVO_TABLE_" + upper + "_H\n\n"
           "#include <mavo/assets.h>\n\n"
           "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n"
           "/* On AVR the table, its paths and its streams are in program memory\n"
           "   (flash): copy an entry with memcpy_P() before using its fields, and\n"
           "   read its path and stream with the _P functions. */\n"
           "#if defined(__AVR__)\n"
           "#define " + upper + "_IN_PROGMEM 1\n"
           "extern const mavo_asset " + t.name + "[] __attribute__((__progmem__));\n"
           "#else\n"
           "#define " + upper + "_IN_PROGMEM 0\n"
           "extern const mavo_asset " + t.name + "[];\n"
           "#endif\n\n"
           "/* Entries in " + t.name + "[]. */\n"
           "#define " + upper + "_COUNT " + decimal(t.entries.size()) + "u\n\n"
           "/* The entry of the file at `path` (relative to the table's folder, `/`\n"
           "   between names, UTF-8), or null when no file has that path. */\n"
           "const mavo_asset *" + t.name + "_find(const char *path);\n\n"
           "/* The first entry whose path begins with `prefix` (\"css/\" lists a folder)\n"
           "   and in *count how many follow it, that one included; null and 0 when none. */\n"
           "const mavo_asset *" + t.name + "_find_prefix(const char *prefix, uint32_t *count);\n"
           "\n#ifdef __cplusplus\n}\n#endif\n\n#endif\n";
}

void write_table_source_text(const table_text &t, embedding how, const text_writer &write) {
    write("/* " + t.name + ": a table of files and their mavo streams, generated by "
          "mavo_embed. */\n#include <mavo/assets.h>\n");
    write_array(t.array, how, write);
    lean_string text = table_prelude;
    text += "\n";
    for (size_t i = 0; i < t.entries.size(); ++i) {
        const lean_string entry = t.name + "_" + decimal(i);
        text += "static const char " + entry + "_path[] MAVO_IN_FLASH = " +
                path_literal(t.entries[i].path) + ";\n";
        if (t.seek_spacing && !t.entries[i].stored)
            text += "static const codec_seek_point " + entry + "_seek[] MAVO_IN_FLASH" +
                    seek_initialiser(t.entries[i].seek_points);
    }
    text += "\nMAVO_EXTERN const mavo_asset " + t.name + "[] MAVO_IN_FLASH = {\n";
    for (size_t i = 0; i < t.entries.size(); ++i) {
        const table_entry &e = t.entries[i];
        const lean_string entry = t.name + "_" + decimal(i);
        text += "{" + entry + "_path, " + t.array.symbol + " + " + decimal(e.offset) +
                "u, " + decimal(e.stream_size) + "u, " + decimal(e.decoded_size) +
                "u, ";
        if (t.seek_spacing && !e.stored)
            text += entry + "_seek, " + decimal(e.seek_points.size()) + "u, " +
                    decimal(t.seek_spacing) + "u, ";
        else
            text += "0, 0, 0, ";
        text += e.stored ? "1},\n" : "0},\n";
    }
    write(text + "};\n" + find_definition(t));
}
