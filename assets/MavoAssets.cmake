# mavo_add_assets(<target> FILES <file>... [PREFIX <prefix>] [ALIGN <bytes>]
#                 [SECTION <name>] [SEEK_SPACING <bytes>])
#
# Embeds each file in <target> as a mavo stream, made at build time:
#   <symbol>      const unsigned char <symbol>[], the stream
#   <symbol>.h    on the target's include path (PUBLIC): the declaration
#                 (C linkage), <SYMBOL>_SIZE (bytes of stream),
#                 <SYMBOL>_DECODED_SIZE (bytes of the file) and
#                 <SYMBOL>_IN_PROGMEM (1 on AVR, where the stream is in flash)
# and links mavo::codec (for the target's users too, when it is a library).
# ALIGN aligns each array to a power of two, SECTION puts it in the named
# section; SEEK_SPACING adds <symbol>_seek[], the stream's seek points for
# decode_seek(), with <SYMBOL>_SEEK_POINTS and <SYMBOL>_SEEK_SPACING.
#
# The symbol: <prefix> and the file's name (no folders); each character
# beyond ASCII written as `u` and its code point in hex (four digits or
# more; a byte that is not UTF-8 as `x` and two hex digits); every other
# character but a letter, digit or `_` made `_`; and `asset_` in front when
# the result would begin with a digit or `_`, or is a keyword of C or C++ or
# a name the C library or POSIX uses (main, random, ...): img/logo.bin gives
# logo_bin, 2-font.bin asset_2_font_bin, int asset_int, 日本.bin
# u65e5u672c_bin. <SYMBOL> is the symbol in capitals. Assets whose names
# would clash in one program (their symbols, macros or header guards; two
# files of one name in two libraries, say) stop the configure step, naming
# both files and both targets; only separate executables may reuse a name.
#
# The stream goes into the program without any compiler parsing it: with a
# GNU-compatible toolchain the assembler takes it in (.incbin); elsewhere
# `#embed` where the compiler has it, else string literals (C) or a brace
# list (C++). MAVO_ASSET_EMBEDDING (incbin, embed, string or braces) forces
# one. All of a target's streams go into one generated source.
#
# mavo runs on a copy of each file in the build tree, again when the file or
# mavo changes, for that file alone; nothing is written beside the source.
# The step is mavo_asset_step, a small program beside mavo. Where no mavo of
# this build can run on the build machine (a cross build, or mavo built
# in-tree with a multi-configuration generator), it is MAVO_EXECUTABLE, else
# an installed mavo for the build machine or `mavo` on the PATH, else mavo
# built from its source for the build machine as part of the build. In a
# build folder with a `#` in its path, where CMake lets no build step write,
# the steps run while configuring, and an edit to an asset configures again.

set(MAVO_ASSET_EMBEDDING "" CACHE STRING
    "How mavo_add_assets embeds streams: incbin, embed, string or braces (empty: chosen per toolchain)")
set_property(CACHE MAVO_ASSET_EMBEDDING PROPERTY STRINGS "" incbin embed string braces)

# Names a symbol may not have as it stands: keywords of C and C++, and
# names that the C library, POSIX or the program's entry point use.
# (Kept as global properties: the functions run in any folder's scope.)
set_property(GLOBAL PROPERTY MAVO_RESERVED_NAMES
    # C
    auto break case char const continue default do double else enum extern
    float for goto if inline int long register restrict return short signed
    sizeof static struct switch typedef union unsigned void volatile while
    alignas alignof bool constexpr false nullptr static_assert thread_local
    true typeof typeof_unqual
    # C++
    and and_eq asm bitand bitor catch char8_t char16_t char32_t class compl
    concept consteval constinit const_cast co_await co_return co_yield
    decltype delete dynamic_cast explicit export friend mutable namespace new
    noexcept not not_eq operator or or_eq private protected public
    reinterpret_cast requires static_cast template this throw try typeid
    typename using virtual wchar_t xor xor_eq
    # the entry point and the C library's macros and common names
    main errno assert NULL EOF stdin stdout stderr offsetof
    abort abs atexit atof atoi atol bsearch calloc div exit free getenv labs
    ldiv malloc qsort rand realloc srand strtod strtol strtoul system
    memchr memcmp memcpy memmove memset strcat strchr strcmp strcpy strlen
    strncat strncmp strncpy strrchr strstr strtok strerror
    printf fprintf sprintf snprintf scanf fscanf sscanf puts fputs gets fgets
    putc getc putchar getchar fopen fclose fread fwrite fseek ftell rewind
    fflush remove rename tmpfile perror feof ferror clearerr
    isalnum isalpha isdigit islower isupper isspace ispunct isxdigit tolower
    toupper
    acos asin atan atan2 ceil cos cosh exp fabs floor fmod frexp ldexp log
    log10 modf pow sin sinh sqrt tan tanh round trunc
    clock time difftime mktime asctime ctime gmtime localtime strftime
    signal raise setjmp longjmp va_arg va_start va_end
    size_t ptrdiff_t wint_t int8_t int16_t int32_t int64_t uint8_t uint16_t
    uint32_t uint64_t intptr_t uintptr_t intmax_t uintmax_t
    # POSIX
    random srandom index rindex read write open close link unlink select
    poll sleep pipe fork kill wait stat lstat access chdir dup dup2 environ
    optarg optind)

# The symbol for a file, by the rule above. Names that need it are made
# readable first: each character beyond ASCII as its code point.
function(_mavo_asset_symbol name out)
    string(HEX "${name}" hex)
    string(LENGTH "${hex}" length)
    set(symbol "")
    set(i 0)
    while(i LESS length)
        string(SUBSTRING "${hex}" ${i} 2 byte)
        math(EXPR value "0x${byte}")
        math(EXPR i "${i} + 2")
        if(value LESS 128)
            string(ASCII ${value} char)
            if(char MATCHES "[A-Za-z0-9_]")
                string(APPEND symbol "${char}")
            else()
                string(APPEND symbol "_")
            endif()
            continue()
        endif()
        # A UTF-8 lead byte and its continuation bytes, or a stray byte.
        if(value GREATER_EQUAL 240 AND value LESS 248)
            set(more 3)
            math(EXPR code "${value} & 7")
        elseif(value GREATER_EQUAL 224)
            set(more 2)
            math(EXPR code "${value} & 15")
        elseif(value GREATER_EQUAL 192)
            set(more 1)
            math(EXPR code "${value} & 31")
        else()
            set(more 0)
        endif()
        set(valid ${more})
        set(j ${i})
        foreach(k RANGE 1 ${more})
            if(more EQUAL 0 OR j GREATER_EQUAL length)
                set(valid 0)
                break()
            endif()
            string(SUBSTRING "${hex}" ${j} 2 next)
            math(EXPR next "0x${next}")
            if(next LESS 128 OR next GREATER_EQUAL 192)
                set(valid 0)
                break()
            endif()
            math(EXPR code "(${code} << 6) | (${next} & 63)")
            math(EXPR j "${j} + 2")
        endforeach()
        if(valid)
            math(EXPR code "${code}" OUTPUT_FORMAT HEXADECIMAL)
            string(SUBSTRING "${code}" 2 -1 digits)
            string(LENGTH "${digits}" n)
            while(n LESS 4)
                string(PREPEND digits "0")
                math(EXPR n "${n} + 1")
            endwhile()
            string(TOLOWER "${digits}" digits)
            string(APPEND symbol "u${digits}")
            set(i ${j})
        else()
            string(TOLOWER "${byte}" byte)
            string(APPEND symbol "x${byte}")
        endif()
    endwhile()
    get_property(reserved GLOBAL PROPERTY MAVO_RESERVED_NAMES)
    if(symbol MATCHES "^[0-9_]" OR symbol IN_LIST reserved)
        set(symbol "asset_${symbol}")
    endif()
    set(${out} "${symbol}" PARENT_SCOPE)
endfunction()

# Claims the names an asset puts into a program (its symbols, macros,
# header guard and header file, the last without case, as some file systems
# have it) for `file` of `target`. Two different files may share a name
# only when both belong to executables, which never meet in one program.
function(_mavo_claim_names target file symbol seek)
    string(TOUPPER "${symbol}" upper)
    string(TOLOWER "${symbol}.h" header)
    set(names "${symbol}" "${upper}_SIZE" "${upper}_DECODED_SIZE" "${upper}_IN_PROGMEM"
        "MAVO_ASSET_${upper}_H" "header file ${header}")
    if(seek)
        list(APPEND names "${symbol}_seek" "${upper}_SEEK_POINTS" "${upper}_SEEK_SPACING")
    endif()
    get_target_property(type "${target}" TYPE)
    foreach(name IN LISTS names)
        get_property(owner GLOBAL PROPERTY "MAVO_ASSET_NAME ${name}")
        if(NOT owner)
            set_property(GLOBAL PROPERTY "MAVO_ASSET_NAME ${name}" "${target}")
            set_property(GLOBAL PROPERTY "MAVO_ASSET_NAME_FILE ${name}" "${file}")
            set_property(GLOBAL PROPERTY "MAVO_ASSET_NAME_SYMBOL ${name}" "${symbol}")
            continue()
        endif()
        get_property(owner_file GLOBAL PROPERTY "MAVO_ASSET_NAME_FILE ${name}")
        get_property(owner_symbol GLOBAL PROPERTY "MAVO_ASSET_NAME_SYMBOL ${name}")
        get_target_property(owner_type "${owner}" TYPE)
        if(owner STREQUAL target AND owner_file STREQUAL file)
            message(FATAL_ERROR "mavo_add_assets: ${file} is added to ${target} twice")
        endif()
        if(owner_file STREQUAL file AND owner_symbol STREQUAL symbol)
            continue() # the same bytes under the same name: no clash
        endif()
        if(owner_type STREQUAL "EXECUTABLE" AND type STREQUAL "EXECUTABLE"
           AND NOT owner STREQUAL target)
            continue()
        endif()
        if(owner_symbol STREQUAL symbol)
            set(what "both give the symbol ${symbol}")
        else()
            set(what "give the symbols ${owner_symbol} and ${symbol}, which clash in ${name}")
        endif()
        message(FATAL_ERROR "mavo_add_assets: ${owner_file} (target ${owner}) and ${file} "
            "(target ${target}) ${what}; one program could get the wrong bytes. Rename one, "
            "or give them different PREFIXes.")
    endforeach()
endfunction()

# A file named in FILES: relative names are looked for in the current source
# folder, then in the current build folder (where the project's own custom
# commands put their outputs, as CMake's own commands do).
function(_mavo_asset_path file out)
    if(file MATCHES "[\n\r\"]")
        message(FATAL_ERROR "mavo_add_assets: the name of ${file} holds a line end or a quote, "
            "which no build step can pass on")
    endif()
    set(candidates "${file}")
    if(NOT IS_ABSOLUTE "${file}")
        set(candidates "${CMAKE_CURRENT_SOURCE_DIR}/${file}" "${CMAKE_CURRENT_BINARY_DIR}/${file}")
    endif()
    foreach(candidate IN LISTS candidates)
        cmake_path(NORMAL_PATH candidate)
        get_property(generated SOURCE "${candidate}" PROPERTY GENERATED)
        if(IS_DIRECTORY "${candidate}")
            message(FATAL_ERROR "mavo_add_assets: ${candidate} is a directory, not a file")
        endif()
        if(EXISTS "${candidate}" OR generated)
            set(${out} "${candidate}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    string(REPLACE ";" " or " looked "${candidates}")
    message(FATAL_ERROR "mavo_add_assets: ${file} does not exist (looked for ${looked})")
endfunction()

# How mavo and mavo_asset_step are built for the build machine, with its own
# compiler and in Release, as a project of its own inside this build: its
# source (`out_source`), build folder (`out_build`), configure arguments
# (`out_args`) and the folder the programs go to (`out_bin`).
function(_mavo_host_project out_source out_build out_args out_bin)
    # In mavo's source tree (assets/); an installed package has no sources.
    set(assets_dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}")
    if(NOT EXISTS "${assets_dir}/../codec/codec.h")
        message(FATAL_ERROR "mavo_add_assets: no mavo to run on this machine, and this mavo "
            "package has no sources to build one. Install mavo for the build machine and set "
            "MAVO_EXECUTABLE to it, or put it on the PATH.")
    endif()
    cmake_path(GET assets_dir PARENT_PATH source)
    set(bin "${CMAKE_BINARY_DIR}/mavo_host/bin")
    set(${out_source} "${source}" PARENT_SCOPE)
    set(${out_build} "${CMAKE_BINARY_DIR}/mavo_host/build" PARENT_SCOPE)
    set(${out_bin} "${bin}" PARENT_SCOPE)
    set(${out_args} -DCMAKE_BUILD_TYPE=Release -DMAVO_BUILD_TESTS=OFF -DMAVO_BUILD_EXAMPLES=OFF
        -DMAVO_INSTALL=OFF "-DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${bin}"
        "-DCMAKE_RUNTIME_OUTPUT_DIRECTORY_RELEASE=${bin}" PARENT_SCOPE)
endfunction()

# A single-configuration generator for the host project, whatever this
# build uses.
function(_mavo_host_generator out)
    if(CMAKE_GENERATOR MATCHES "Ninja")
        set(${out} Ninja PARENT_SCOPE)
    else()
        set(${out} "${CMAKE_GENERATOR}" PARENT_SCOPE)
    endif()
endfunction()

# mavo's own files that make the host project's programs: its sources and
# the CMake files that build them (each folder's, not recursively: mavo's
# source tree may hold build folders).
function(_mavo_host_inputs source out)
    file(GLOB inputs LIST_DIRECTORIES false "${source}/CMakeLists.txt"
        "${source}/cmake/Mavo*.cmake" "${source}/codec/*" "${source}/tool/*" "${source}/assets/*")
    set(${out} "${inputs}" PARENT_SCOPE)
endfunction()

# Builds the host project as part of the build (an external project), once;
# the programs' folder goes to `out_bin`. Its build step runs again only
# when one of mavo's own files changes, so a build with nothing changed
# runs no step at all.
function(_mavo_host_build out_bin)
    _mavo_host_project(source build args bin)
    set(${out_bin} "${bin}" PARENT_SCOPE)
    if(TARGET mavo_host_tools)
        return()
    endif()
    if(CMAKE_HOST_WIN32)
        set(exe ".exe")
    else()
        set(exe "")
    endif()
    _mavo_host_generator(generator)
    include(ExternalProject)
    ExternalProject_Add(mavo_host_tools
        SOURCE_DIR "${source}"
        PREFIX "${CMAKE_BINARY_DIR}/mavo_host"
        BINARY_DIR "${build}"
        CMAKE_GENERATOR "${generator}"
        CMAKE_ARGS ${args}
        BUILD_COMMAND "${CMAKE_COMMAND}" --build <BINARY_DIR> --config Release
            --target mavo mavo_asset_step
        INSTALL_COMMAND ""
        BUILD_BYPRODUCTS "${bin}/mavo${exe}" "${bin}/mavo_asset_step${exe}"
        USES_TERMINAL_BUILD ON)
    _mavo_host_inputs("${source}" inputs)
    ExternalProject_Add_StepDependencies(mavo_host_tools build ${inputs})
endfunction()

# Builds the host project now, while configuring, once (for assets made
# while configuring); the programs' folder goes to `out_bin`.
function(_mavo_host_build_now out_bin)
    _mavo_host_project(source build args bin)
    set(${out_bin} "${bin}" PARENT_SCOPE)
    get_property(built GLOBAL PROPERTY MAVO_HOST_BUILT_NOW)
    if(built)
        return()
    endif()
    _mavo_host_generator(generator)
    message(STATUS "mavo_add_assets: building mavo for the build machine in ${build}")
    execute_process(COMMAND "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -G "${generator}" ${args}
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(status EQUAL 0)
        execute_process(COMMAND "${CMAKE_COMMAND}" --build "${build}" --config Release
            --target mavo mavo_asset_step RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    endif()
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "mavo_add_assets: building mavo for the build machine failed:\n${out}")
    endif()
    set_property(GLOBAL PROPERTY MAVO_HOST_BUILT_NOW ON)
endfunction()

# Whether mavo::mavo is this build's own target (mavo in-tree).
function(_mavo_in_tree out)
    set(in_tree FALSE)
    if(TARGET mavo::mavo)
        get_target_property(imported mavo::mavo IMPORTED)
        if(NOT imported)
            set(in_tree TRUE)
        endif()
    endif()
    set(${out} ${in_tree} PARENT_SCOPE)
endfunction()

# An installed mavo for the build machine (the package's, found through
# mavo_DIR or CMAKE_PREFIX_PATH) or one on the PATH, past a cross
# toolchain's find root, which would hide both; empty when there is none.
function(_mavo_find_host_mavo out)
    set(hints "")
    if(mavo_DIR)
        list(APPEND hints "${mavo_DIR}/../../../bin")
    endif()
    find_program(MAVO_HOST_EXECUTABLE mavo HINTS ${hints} NO_CMAKE_FIND_ROOT_PATH
        DOC "mavo for the build machine, found by mavo_add_assets")
    if(MAVO_HOST_EXECUTABLE)
        set(${out} "${MAVO_HOST_EXECUTABLE}" PARENT_SCOPE)
    else()
        set(${out} "" PARENT_SCOPE)
    endif()
endfunction()

# The mavo_asset_step that goes with `mavo`: beside it where it is
# installed, in the folder beside mavo's in its own build tree; empty when
# there is none.
function(_mavo_find_step_beside mavo out)
    set(${out} "" PARENT_SCOPE)
    if(NOT mavo)
        return()
    endif()
    get_filename_component(dir "${mavo}" DIRECTORY)
    find_program(MAVO_ASSET_STEP_EXECUTABLE mavo_asset_step HINTS "${dir}" "${dir}/../assets"
        NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH DOC "mavo_add_assets()'s build step, beside mavo")
    if(MAVO_ASSET_STEP_EXECUTABLE)
        set(${out} "${MAVO_ASSET_STEP_EXECUTABLE}" PARENT_SCOPE)
    endif()
endfunction()

# The host project's programs in `bin`: the step (`out_step`), and mavo
# (`out_mavo`) unless one is given.
function(_mavo_host_programs bin mavo out_mavo out_step)
    set(exe "")
    if(CMAKE_HOST_WIN32)
        set(exe ".exe")
    endif()
    if(NOT mavo)
        set(mavo "${bin}/mavo${exe}")
    endif()
    set(${out_mavo} "${mavo}" PARENT_SCOPE)
    set(${out_step} "${bin}/mavo_asset_step${exe}" PARENT_SCOPE)
endfunction()

# The programs as files that can run now, for assets made while
# configuring: MAVO_EXECUTABLE, an installed package's or one on the PATH
# (but for mavo in-tree, whose own version is built), with its step, or
# else both built now.
function(_mavo_tools_now out_mavo out_step)
    _mavo_in_tree(in_tree)
    set(mavo "${MAVO_EXECUTABLE}")
    if(NOT mavo AND NOT in_tree)
        _mavo_find_host_mavo(mavo)
    endif()
    _mavo_find_step_beside("${mavo}" step)
    if(NOT mavo OR NOT step)
        _mavo_host_build_now(bin)
        _mavo_host_programs("${bin}" "${mavo}" mavo step)
    endif()
    set(${out_mavo} "${mavo}" PARENT_SCOPE)
    set(${out_step} "${step}" PARENT_SCOPE)
endfunction()

# Runs one asset's step now, while configuring, unless its outputs are
# newer than the asset and the programs; the asset is a configure
# dependency, so that an edit to it configures again.
function(_mavo_step_now step mavo path name work header symbol embedding seek outputs)
    set(stale FALSE)
    foreach(output IN LISTS outputs)
        foreach(input IN ITEMS "${path}" "${step}" "${mavo}")
            if("${input}" IS_NEWER_THAN "${output}")
                set(stale TRUE)
            endif()
        endforeach()
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${path}")
    if(NOT stale)
        return()
    endif()
    message(STATUS "mavo: ${name} -> ${symbol}")
    execute_process(COMMAND "${step}" "${mavo}" "${path}" "${work}" "${header}" "${symbol}"
                            ${embedding} ${seek}
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${out}")
    endif()
endfunction()

# The programs an asset's build step runs, as commands (`out_mavo`,
# `out_step`), and what the steps depend on: files (`out_files`) and
# targets (`out_targets`).
function(_mavo_asset_tools out_mavo out_step out_files out_targets)
    get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
    _mavo_in_tree(in_tree)
    # This build's programs (in-tree, one configuration) or an installed
    # package's, when they run here: the steps wait for them and rerun when
    # they change. In-tree with several configurations each would have its
    # own mavo, and switching would run every step again: the host build
    # below makes one.
    set(own_tools_run_here FALSE)
    if(TARGET mavo::mavo AND NOT CMAKE_CROSSCOMPILING AND NOT (multi_config AND in_tree))
        set(own_tools_run_here TRUE)
    endif()
    set(targets "")
    set(mavo "")
    if(MAVO_EXECUTABLE)
        if(NOT EXISTS "${MAVO_EXECUTABLE}")
            message(FATAL_ERROR "mavo_add_assets: MAVO_EXECUTABLE is ${MAVO_EXECUTABLE}, which "
                "does not exist; build or install mavo there, or leave MAVO_EXECUTABLE unset")
        endif()
        set(mavo "${MAVO_EXECUTABLE}")
    elseif(own_tools_run_here)
        set(mavo "$<TARGET_FILE:mavo::mavo>")
    elseif(CMAKE_CROSSCOMPILING OR NOT in_tree)
        _mavo_find_host_mavo(mavo)
    endif()

    # A mavo that is a file brings its step along where it has one.
    set(step "")
    string(FIND "${mavo}" "$<" genex_at)
    if(mavo AND NOT genex_at EQUAL 0)
        _mavo_find_step_beside("${mavo}" step)
    endif()
    if(NOT step AND mavo AND own_tools_run_here)
        # This build's step, with this build's mavo or one of the user's (a
        # wrapper, say).
        set(step "$<TARGET_FILE:mavo::asset_step>")
    elseif(NOT step)
        _mavo_host_build(bin)
        _mavo_host_programs("${bin}" "${mavo}" mavo step)
        list(APPEND targets mavo_host_tools)
    endif()
    foreach(tool mavo::mavo mavo::asset_step)
        if(TARGET ${tool})
            get_target_property(aliased ${tool} ALIASED_TARGET)
            if(aliased AND (mavo MATCHES "${tool}" OR step MATCHES "${tool}"))
                list(APPEND targets "${aliased}")
            endif()
        endif()
    endforeach()
    set(${out_mavo} "${mavo}" PARENT_SCOPE)
    set(${out_step} "${step}" PARENT_SCOPE)
    set(${out_files} "${mavo};${step}" PARENT_SCOPE)
    set(${out_targets} "${targets}" PARENT_SCOPE)
endfunction()

# How the streams go into the program (see the top), for the language of
# the generated source.
function(_mavo_embedding lang out)
    if(MAVO_ASSET_EMBEDDING)
        if(NOT MAVO_ASSET_EMBEDDING MATCHES "^(incbin|embed|string|braces)$")
            message(FATAL_ERROR "mavo_add_assets: MAVO_ASSET_EMBEDDING is ${MAVO_ASSET_EMBEDDING}, "
                "not one of incbin, embed, string, braces")
        endif()
        if(lang STREQUAL "CXX" AND MAVO_ASSET_EMBEDDING STREQUAL "string")
            set(${out} braces PARENT_SCOPE) # C++ has no exact-size string rows
        else()
            set(${out} "${MAVO_ASSET_EMBEDDING}" PARENT_SCOPE)
        endif()
        return()
    endif()
    if(CMAKE_${lang}_COMPILER_ID MATCHES "^(GNU|Clang|AppleClang|IntelLLVM)$"
       AND NOT CMAKE_${lang}_COMPILER_FRONTEND_VARIANT STREQUAL "MSVC")
        set(${out} incbin PARENT_SCOPE)
        return()
    endif()
    if(NOT DEFINED MAVO_${lang}_HAS_EMBED)
        include(CheckSourceCompiles)
        check_source_compiles(${lang} "
#if !defined(__has_embed)
#error no #embed
#endif
int main(void) { return 0; }" MAVO_${lang}_HAS_EMBED)
    endif()
    if(MAVO_${lang}_HAS_EMBED)
        set(${out} embed PARENT_SCOPE)
    elseif(lang STREQUAL "C")
        set(${out} string PARENT_SCOPE)
    else()
        set(${out} braces PARENT_SCOPE)
    endif()
endfunction()

# `text` as the inside of a string for the assembler, itself inside a C
# string literal.
function(_mavo_asm_string text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# `text` as the inside of a C string literal.
function(_mavo_c_string text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set_property(GLOBAL PROPERTY MAVO_INCBIN_PRELUDE [=[
/* The assembler takes each stream in with .incbin: no compiler parses its
   bytes. Each array has a section of its own, so that a linker dropping
   unused sections drops unused assets. */
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
]=])

set_property(GLOBAL PROPERTY MAVO_C_PRELUDE [=[
/* The arrays are C objects of C linkage, in flash on AVR. */
#ifdef __cplusplus
#define MAVO_EXTERN extern "C"
#else
#define MAVO_EXTERN
#endif
#if defined(__AVR__)
#define MAVO_IN_FLASH __attribute__((__progmem__))
#else
#define MAVO_IN_FLASH
#endif
#if defined(_MSC_VER) && !defined(__clang__)
#define MAVO_ALIGNED(n) __declspec(align(n))
#define MAVO_IN_SECTION(name) __declspec(allocate(name))
#else
#define MAVO_ALIGNED(n) __attribute__((aligned(n)))
#define MAVO_IN_SECTION(name) __attribute__((section(name)))
#endif
]=])

# The definition of one asset's array in the generated source.
function(_mavo_asset_definition embedding symbol work align section out)
    set(stream "${work}/a.enc")
    if(embedding STREQUAL "incbin")
        if(section)
            _mavo_asm_string("${section}" name)
            set(section_text "\"${name}\"")
        else()
            set(section_text "MAVO_SECTION(\"${symbol}\")")
        endif()
        set(align_text "")
        if(align)
            set(align_text "\".balign ${align}\\n\"\n        ")
        endif()
        _mavo_asm_string("${stream}" path)
        set(${out} "__asm__(MAVO_OPEN(${section_text})
        ${align_text}\".globl \" MAVO_LABEL(\"${symbol}\") \"\\n\"
        MAVO_TYPE(MAVO_LABEL(\"${symbol}\"))
        MAVO_LABEL(\"${symbol}\") \":\\n\"
        \".incbin \\\"${path}\\\"\\n\"
        MAVO_END(MAVO_LABEL(\"${symbol}\")));
" PARENT_SCOPE)
        return()
    endif()

    set(pragma "")
    set(before "")
    set(after "")
    if(align)
        set(before "MAVO_ALIGNED(${align}) ")
    endif()
    if(section)
        _mavo_c_string("${section}" name)
        string(APPEND before "MAVO_IN_SECTION(\"${name}\") ")
        set(pragma "#if defined(_MSC_VER) && !defined(__clang__)\n#pragma section(\"${name}\", read)\n#endif\n")
    else()
        set(after " MAVO_IN_FLASH")
    endif()
    if(embedding STREQUAL "embed")
        _mavo_c_string("${stream}" path)
        set(body "[]${after} = {\n#embed \"${path}\" suffix(,)\n0};")
    elseif(embedding STREQUAL "string")
        _mavo_c_string("${work}/a.str" path)
        set(body "[][4096]${after} = {\n#include \"${path}\"\n\"\"};")
    else()
        _mavo_c_string("${work}/a.csv" path)
        set(body "[]${after} = {\n#include \"${path}\"\n0};")
    endif()
    set(${out} "${pragma}MAVO_EXTERN ${before}const unsigned char ${symbol}${body}\n" PARENT_SCOPE)
endfunction()

# Writes the target's generated source from the assets recorded on it.
function(_mavo_write_assets_source target source embedding)
    get_property(count TARGET "${target}" PROPERTY MAVO_ASSET_COUNT)
    set(text "/* The mavo streams of ${target}'s assets, generated by mavo_add_assets. */\n")
    if(embedding STREQUAL "incbin")
        get_property(prelude GLOBAL PROPERTY MAVO_INCBIN_PRELUDE)
    else()
        get_property(prelude GLOBAL PROPERTY MAVO_C_PRELUDE)
    endif()
    string(APPEND text "${prelude}")
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
        foreach(field SYMBOL WORK ALIGN SECTION)
            get_property(${field} TARGET "${target}" PROPERTY "MAVO_ASSET_${i}_${field}")
        endforeach()
        _mavo_asset_definition("${embedding}" "${SYMBOL}" "${WORK}" "${ALIGN}" "${SECTION}"
            definition)
        string(APPEND text "\n${definition}")
    endforeach()
    _mavo_write_if_changed("${source}" "${text}")
endfunction()

# Writes the target's source of seek points, for the assets that have them
# (SEEK_SPACING); false when none has.
function(_mavo_write_seek_source target source out)
    get_property(count TARGET "${target}" PROPERTY MAVO_ASSET_COUNT)
    set(text "/* The seek points of ${target}'s assets, generated by mavo_add_assets. */\n")
    set(any FALSE)
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
        get_property(seek TARGET "${target}" PROPERTY "MAVO_ASSET_${i}_SEEK")
        if(NOT seek)
            continue()
        endif()
        set(any TRUE)
        get_property(symbol TARGET "${target}" PROPERTY "MAVO_ASSET_${i}_SYMBOL")
        get_property(work TARGET "${target}" PROPERTY "MAVO_ASSET_${i}_WORK")
        _mavo_c_string("${work}/a.seek" path)
        # The header's declaration gives the array C linkage; the point after
        # the stream's own keeps an empty asset's array from being empty.
        string(APPEND text "\n#include \"${symbol}.h\"\n"
            "const codec_seek_point ${symbol}_seek[] = {\n#include \"${path}\"\n{0, 0, 0, 0, 0}};\n")
    endforeach()
    if(any)
        _mavo_write_if_changed("${source}" "${text}")
    endif()
    set(${out} ${any} PARENT_SCOPE)
endfunction()

# Writes `text` to `file` only when it differs, so that a configure step
# alone compiles nothing again.
function(_mavo_write_if_changed file text)
    set(old "")
    if(EXISTS "${file}")
        file(READ "${file}" old)
    endif()
    if(NOT old STREQUAL text)
        file(WRITE "${file}" "${text}")
    endif()
endfunction()

function(mavo_add_assets target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "PREFIX;ALIGN;SECTION;SEEK_SPACING" "FILES")
    if(NOT TARGET "${target}")
        message(FATAL_ERROR "mavo_add_assets: ${target} is not a target")
    endif()
    get_target_property(aliased "${target}" ALIASED_TARGET)
    if(aliased)
        set(target "${aliased}")
    endif()
    get_target_property(type "${target}" TYPE)
    get_target_property(imported "${target}" IMPORTED)
    if(imported)
        message(FATAL_ERROR "mavo_add_assets: ${target} is an imported target; add the assets "
            "to a target this project builds")
    endif()
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
        message(FATAL_ERROR "mavo_add_assets: ${target} is an ${type} target, which compiles "
            "nothing to hold the assets; add them to an executable or a STATIC, SHARED, MODULE "
            "or OBJECT library (an INTERFACE library can link one that holds them)")
    endif()
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "mavo_add_assets: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT arg_FILES)
        message(FATAL_ERROR "mavo_add_assets: no FILES for ${target}")
    endif()
    if(DEFINED arg_ALIGN)
        if(NOT arg_ALIGN MATCHES "^[1-9][0-9]*$")
            message(FATAL_ERROR "mavo_add_assets: ALIGN ${arg_ALIGN} is not a number of bytes")
        endif()
        math(EXPR low_bits "${arg_ALIGN} & (${arg_ALIGN} - 1)")
        if(NOT low_bits EQUAL 0)
            message(FATAL_ERROR "mavo_add_assets: ALIGN ${arg_ALIGN} is not a power of two")
        endif()
    endif()
    if(DEFINED arg_SECTION AND NOT arg_SECTION MATCHES "^[A-Za-z0-9_.$,]+$")
        message(FATAL_ERROR "mavo_add_assets: SECTION \"${arg_SECTION}\" is not a section name "
            "(letters, digits and . _ $ , only)")
    endif()
    if(DEFINED arg_SEEK_SPACING AND NOT arg_SEEK_SPACING MATCHES "^[1-9][0-9]*$")
        message(FATAL_ERROR "mavo_add_assets: SEEK_SPACING ${arg_SEEK_SPACING} is not a number "
            "of bytes")
    endif()

    # The generated source is C where this folder has C, else C++ (a C++
    # project that takes mavo in has C only in mavo's folders).
    if(CMAKE_C_COMPILER_LOADED)
        set(lang C)
        set(suffix c)
    else()
        set(lang CXX)
        set(suffix cpp)
    endif()
    _mavo_embedding(${lang} embedding)

    # Everything of a target's assets lives in one folder of the target's
    # build folder, whichever folder calls this.
    get_target_property(target_binary_dir "${target}" BINARY_DIR)
    set(dir "${target_binary_dir}/mavo_assets/${target}")
    # CMake lets no build step write into a folder with `#` in its path
    # ("OUTPUT containing a '#' is not allowed"): there the assets are made
    # while configuring, and an edit to one configures again.
    set(while_configuring FALSE)
    if(dir MATCHES "#")
        set(while_configuring TRUE)
        _mavo_tools_now(mavo_now step_now)
    else()
        _mavo_asset_tools(mavo_command step_command tool_files tool_targets)
    endif()
    set(include_dir "${dir}/include")
    set(source "${dir}/assets.${suffix}")

    get_property(count TARGET "${target}" PROPERTY MAVO_ASSET_COUNT)
    if(NOT count)
        set(count 0)
    endif()
    set(outputs "")
    foreach(file IN LISTS arg_FILES)
        _mavo_asset_path("${file}" path)
        get_filename_component(name "${path}" NAME)
        _mavo_asset_symbol("${arg_PREFIX}${name}" symbol)
        string(LENGTH "${symbol}.h" header_length)
        if(header_length GREATER 255)
            message(FATAL_ERROR "mavo_add_assets: the symbol of ${path} is ${header_length} "
                "characters with its header's .h, more than a file name may have; rename it")
        endif()
        _mavo_claim_names("${target}" "${path}" "${symbol}" "${arg_SEEK_SPACING}")

        set(work "${dir}/work/${symbol}")
        set(header "${include_dir}/${symbol}.h")
        set(stream "${work}/a.enc")
        set(step_outputs "${header}" "${stream}")
        if(embedding STREQUAL "braces")
            list(APPEND step_outputs "${work}/a.csv")
        elseif(embedding STREQUAL "string")
            list(APPEND step_outputs "${work}/a.str")
        endif()
        if(arg_SEEK_SPACING)
            list(APPEND step_outputs "${work}/a.seek")
        endif()
        if(while_configuring)
            get_property(generated SOURCE "${path}" PROPERTY GENERATED)
            if(generated)
                message(FATAL_ERROR "mavo_add_assets: ${path} is made by the build, but in the "
                    "build folder ${target_binary_dir}, whose path has a `#`, assets are made "
                    "while configuring; build in a folder without `#`")
            endif()
            _mavo_step_now("${step_now}" "${mavo_now}" "${path}" "${name}" "${work}" "${header}"
                "${symbol}" ${embedding} "${arg_SEEK_SPACING}" "${step_outputs}")
        else()
            # A `;` in the name must reach the command as it is, not split it.
            string(REPLACE ";" "\\;" path_argument "${path}")
            add_custom_command(
                OUTPUT ${step_outputs}
                COMMAND "${step_command}" "${mavo_command}" "${path}" "${work}" "${header}"
                        "${symbol}" ${embedding} ${arg_SEEK_SPACING}
                DEPENDS "${path_argument}" ${tool_files} ${tool_targets}
                COMMENT "mavo: ${name} -> ${symbol}"
                VERBATIM)
        endif()
        list(APPEND outputs ${step_outputs})

        set_property(TARGET "${target}" PROPERTY "MAVO_ASSET_${count}_SYMBOL" "${symbol}")
        set_property(TARGET "${target}" PROPERTY "MAVO_ASSET_${count}_WORK" "${work}")
        set_property(TARGET "${target}" PROPERTY "MAVO_ASSET_${count}_ALIGN" "${arg_ALIGN}")
        set_property(TARGET "${target}" PROPERTY "MAVO_ASSET_${count}_SECTION" "${arg_SECTION}")
        set_property(TARGET "${target}" PROPERTY "MAVO_ASSET_${count}_SEEK" "${arg_SEEK_SPACING}")
        math(EXPR count "${count} + 1")
    endforeach()
    set_property(TARGET "${target}" PROPERTY MAVO_ASSET_COUNT ${count})

    # The steps run in this folder's build, where their commands are; the
    # target waits for them, wherever it was made.
    get_property(calls TARGET "${target}" PROPERTY MAVO_ASSET_CALLS)
    if(NOT calls)
        set(calls 0)
    endif()
    math(EXPR calls "${calls} + 1")
    set_property(TARGET "${target}" PROPERTY MAVO_ASSET_CALLS ${calls})
    if(NOT while_configuring)
        set(steps "mavo_assets_${target}_${calls}")
        add_custom_target("${steps}" DEPENDS ${outputs})
        add_dependencies("${target}" "${steps}")
    endif()

    # The one generated source holds every asset of the target, from all
    # calls; it is compiled again when any of their streams changes.
    _mavo_write_assets_source("${target}" "${source}" "${embedding}")
    set_property(SOURCE "${source}" TARGET_DIRECTORY "${target}" APPEND PROPERTY
        OBJECT_DEPENDS ${outputs})
    set(seek_source "${dir}/seek.${suffix}")
    _mavo_write_seek_source("${target}" "${seek_source}" has_seek)
    get_property(seek_added TARGET "${target}" PROPERTY MAVO_ASSET_SEEK_SOURCE)
    if(has_seek)
        set_property(SOURCE "${seek_source}" TARGET_DIRECTORY "${target}" APPEND PROPERTY
            OBJECT_DEPENDS ${outputs})
        if(NOT seek_added)
            target_sources("${target}" PRIVATE "${seek_source}")
            set_property(TARGET "${target}" PROPERTY MAVO_ASSET_SEEK_SOURCE ON)
        endif()
    endif()
    if(calls EQUAL 1)
        target_sources("${target}" PRIVATE "${source}")
        # A generated file is no place for the project's warnings.
        set_property(SOURCE "${source}" TARGET_DIRECTORY "${target}" PROPERTY COMPILE_OPTIONS
            "$<$<${lang}_COMPILER_ID:GNU,Clang,AppleClang,IntelLLVM>:-w>"
            "$<$<${lang}_COMPILER_ID:MSVC>:/w>")
        target_include_directories("${target}" PUBLIC "$<BUILD_INTERFACE:${include_dir}>")
        # Linked through the properties rather than target_link_libraries(),
        # so that it goes with either of that command's signatures.
        set_property(TARGET "${target}" APPEND PROPERTY LINK_LIBRARIES mavo::codec)
        if(NOT type STREQUAL "EXECUTABLE")
            set_property(TARGET "${target}" APPEND PROPERTY INTERFACE_LINK_LIBRARIES mavo::codec)
        endif()
        # Headers of assets dropped since the last configure must not stay
        # on the include path.
        set_property(TARGET "${target}" PROPERTY MAVO_ASSET_INCLUDE_DIR "${include_dir}")
        cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY \"${CMAKE_SOURCE_DIR}\" CALL _mavo_drop_stale_headers \"${target}\")")
    endif()
endfunction()

# At the end of the configure step: removes every header in a target's
# include folder that no asset of it makes any more.
function(_mavo_drop_stale_headers target)
    get_property(count TARGET "${target}" PROPERTY MAVO_ASSET_COUNT)
    get_property(include_dir TARGET "${target}" PROPERTY MAVO_ASSET_INCLUDE_DIR)
    set(current "")
    math(EXPR last "${count} - 1")
    foreach(i RANGE ${last})
        get_property(symbol TARGET "${target}" PROPERTY "MAVO_ASSET_${i}_SYMBOL")
        list(APPEND current "${symbol}.h")
    endforeach()
    file(GLOB headers RELATIVE "${include_dir}" "${include_dir}/*")
    foreach(header IN LISTS headers)
        if(NOT header IN_LIST current)
            file(REMOVE "${include_dir}/${header}")
        endif()
    endforeach()
endfunction()
