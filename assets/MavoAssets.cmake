# mavo_add_assets(<target> FILES <file>... [PREFIX <prefix>] [options])
# mavo_add_assets(<target> FILES <file>... TABLE <name> [BASE <dir>] [options])
# mavo_add_assets(<target> DIRECTORY <dir> [PATTERNS <glob>...] [EXCLUDE <glob>...]
#                 TABLE <name> [options])
# options: [STORE auto|never|always] [STREAM smallest|tool] [ALIGN <bytes>]
#          [SECTION <name>] [SEEK_SPACING <bytes>]
# mavo_compile_codec_with(<library>...)    (at the end of this file)
#
# Embeds each file in <target> as a mavo stream (or its own bytes), made at
# build time:
#   <symbol>        const unsigned char <symbol>[], the stream
#   <symbol>_asset  its descriptor for <mavo/assets.h>'s reader
#   <symbol>.h      on the target's include path (PUBLIC): the declarations
#                   (C linkage), <SYMBOL>_SIZE (bytes in the array),
#                   <SYMBOL>_DECODED_SIZE (bytes of the file), <SYMBOL>_STORED
#                   (1 when the array is the file's bytes) and
#                   <SYMBOL>_IN_PROGMEM (1 on AVR, where it is in flash)
# or, with TABLE, one table of all the files (DIRECTORY: every file below
# the folder, links followed) sorted by path, with <name>_find() and
# <name>_find_prefix(); and links mavo::codec (for the target's users too,
# when it is a library). STORE never (single assets' default) embeds the
# stream, always the file's bytes, auto (tables' default) whichever is
# smaller. ALIGN aligns each array to a power of two up to 65536, SECTION
# puts it in the named section; SEEK_SPACING adds <symbol>_seek[], the
# stream's seek points for decode_seek(), with <SYMBOL>_SEEK_POINTS and
# <SYMBOL>_SEEK_SPACING. STREAM smallest (the default) embeds the shortest
# stream the format allows; STREAM tool the very stream `mavo FILE` writes.
# PATTERNS and EXCLUDE take globs matched against the paths in the table:
# without a `/`, a file's name in any folder; with one, folders from the
# top and any file below them.
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
# Any name a file system allows works, in FILES (each argument is taken as
# it stands) and in folders; a name no build file can hold (a line end)
# stops the configure step, naming it. In a folder, links to files and
# folders are followed; dangling links, loops, FIFOs, sockets and devices
# are left out with a warning naming each.
#
# The stream goes into the program without any compiler parsing it: with a
# GNU-compatible toolchain the assembler takes it in (.incbin); elsewhere
# `#embed` where the compiler has it, else string literals (C) or a brace
# list (C++). MAVO_ASSET_EMBEDDING (incbin, embed, string or braces) forces
# one. All of a target's streams are compiled as one source.
#
# Each file's step (a table's: the table's) is one run of mavo_embed
# (MavoAssetProgram.cmake says which), given its files in a list, again
# when a file or the program changes, for that step alone; it writes the
# stream, the header and the array's source into the build tree, never
# beside the file, and leaves each that would not change as it is, so that
# nothing is compiled again for a file touched but not changed. A file
# added to a folder, or removed from it or from FILES, configures again. In
# a build folder with a `#` in its path, where CMake lets no build step
# write, the steps run while configuring, and an edit to an asset
# configures again.

include("${CMAKE_CURRENT_LIST_DIR}/MavoAssetFiles.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/MavoAssetNames.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/MavoAssetProgram.cmake")

set(MAVO_ASSET_EMBEDDING "" CACHE STRING
    "How mavo_add_assets embeds streams: incbin, embed, string or braces (empty: chosen per toolchain)")
set_property(CACHE MAVO_ASSET_EMBEDDING PROPERTY STRINGS "" incbin embed string braces)

# A file named in FILES (as it stands, list-safe): relative names are
# looked for in the current source folder, then in the current build
# folder (where the project's own custom commands put their outputs, as
# CMake's own commands do); list-safe too. A file the build makes cannot be
# an asset made while configuring (the caller's `while_configuring`, for
# its target's build folder `target_binary_dir`). The folder of a file that
# is there is watched: should the file go, the next build configures
# again, and stops here, naming it.
function(_mavo_asset_path file links_dir out)
    _mavo_real_name("${file}" real)
    _mavo_refuse_line_ends("${real}")
    if(IS_ABSOLUTE "${real}")
        set(candidates "${file}")
    else()
        _mavo_list_safe("${CMAKE_CURRENT_SOURCE_DIR}/" source_dir)
        _mavo_list_safe("${CMAKE_CURRENT_BINARY_DIR}/" binary_dir)
        set(candidates "${source_dir}${file}" "${binary_dir}${file}")
    endif()
    set(looked "")
    foreach(candidate IN LISTS candidates)
        _mavo_real_name("${candidate}" candidate)
        cmake_path(NORMAL_PATH candidate)
        get_property(generated SOURCE "${candidate}" PROPERTY GENERATED)
        if(IS_DIRECTORY "${candidate}")
            message(FATAL_ERROR "mavo_add_assets: ${candidate} is a directory, not a file")
        endif()
        if(generated AND while_configuring)
            message(FATAL_ERROR "mavo_add_assets: ${candidate} is made by the build, but in the "
                "build folder ${target_binary_dir}, whose path has a `#`, assets are made while "
                "configuring; build in a folder without `#`")
        endif()
        if(EXISTS "${candidate}" OR generated)
            _mavo_list_safe("${candidate}" safe)
            if(NOT generated)
                cmake_path(GET candidate PARENT_PATH folder)
                _mavo_list_safe("${folder}" folder)
                _mavo_watch_folder("${folder}" "${links_dir}")
            endif()
            set(${out} "${safe}" PARENT_SCOPE)
            return()
        endif()
        if(looked)
            string(APPEND looked " or ")
        endif()
        string(APPEND looked "${candidate}")
    endforeach()
    message(FATAL_ERROR "mavo_add_assets: ${real} does not exist (looked for ${looked})")
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

# Writes `text` to `file` only when it differs, so that a configure step
# alone compiles nothing again.
function(_mavo_write_if_changed file text)
    if(EXISTS "${file}")
        file(READ "${file}" old)
        if(old STREQUAL text)
            return()
        endif()
    endif()
    file(WRITE "${file}.new" "${text}")
    file(RENAME "${file}.new" "${file}")
endfunction()

# Checks the caller's parsed options (arg_*); stops the configure step on
# the first that is wrong.
function(_mavo_check_options target)
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "mavo_add_assets: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT files AND NOT arg_DIRECTORY)
        message(FATAL_ERROR "mavo_add_assets: no FILES for ${target}")
    endif()
    if(arg_DIRECTORY AND (files OR NOT arg_TABLE OR arg_BASE))
        message(FATAL_ERROR "mavo_add_assets: DIRECTORY goes with TABLE, without FILES or BASE")
    endif()
    if(((arg_PATTERNS OR arg_EXCLUDE) AND NOT arg_DIRECTORY) OR (arg_BASE AND NOT arg_TABLE)
       OR (arg_TABLE AND DEFINED arg_PREFIX))
        message(FATAL_ERROR "mavo_add_assets: PATTERNS and EXCLUDE go with DIRECTORY, BASE with "
            "TABLE, and PREFIX with no TABLE")
    endif()
    if(DEFINED arg_TABLE AND NOT arg_TABLE MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
        message(FATAL_ERROR "mavo_add_assets: TABLE ${arg_TABLE} is not a C identifier")
    endif()
    if(DEFINED arg_ALIGN)
        if(NOT arg_ALIGN MATCHES "^[1-9][0-9]?[0-9]?[0-9]?[0-9]?$" OR arg_ALIGN GREATER 65536)
            message(FATAL_ERROR "mavo_add_assets: ALIGN ${arg_ALIGN} is not a number of bytes "
                "from 1 to 65536")
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
    if(DEFINED arg_STREAM AND NOT arg_STREAM MATCHES "^(smallest|tool)$")
        message(FATAL_ERROR "mavo_add_assets: STREAM ${arg_STREAM} is not smallest or tool")
    endif()
    if(DEFINED arg_STORE AND NOT arg_STORE MATCHES "^(auto|never|always)$")
        message(FATAL_ERROR "mavo_add_assets: STORE ${arg_STORE} is not auto, never or always")
    endif()
endfunction()

# The target that holds the assets (an alias's real one), checked to be one
# that compiles sources.
function(_mavo_asset_target target out)
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
    set(${out} "${target}" PARENT_SCOPE)
endfunction()

# Runs one step now, while configuring, unless its outputs are newer than
# its inputs (`depends`) and the program; the inputs are configure
# dependencies, so that an edit to one configures again. The command's
# arguments are the caller's, as _mavo_add_step() gives them.
function(_mavo_step_now program depends comment outputs)
    set(stale FALSE)
    foreach(output IN LISTS outputs)
        foreach(input IN LISTS depends ITEMS "${program}")
            if(NOT EXISTS "${output}" OR "${input}" IS_NEWER_THAN "${output}")
                set(stale TRUE)
            endif()
        endforeach()
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${depends})
    if(NOT stale)
        return()
    endif()
    message(STATUS "${comment}")
    execute_process(COMMAND "${program}" ${options} --output-dir "${streams_dir}"
                            --header-dir "${include_dir}" --base "${base}"
                            --files-from "${list_file}"
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "mavo_add_assets: ${out}")
    endif()
    string(STRIP "${out}" out)
    message(STATUS "${out}")
endfunction()

# One step of the caller's target, which makes `name`.h and `name`.c (and
# `name`.enc) from the files (list-safe) in `inputs`, handed to the program
# in the list file lists/`name`, a table's paths relative to `base`, by
# running the program with the caller's `options` (flags and plain values;
# every path goes as an argument of its own, so that no `;` or `[` in it
# can split or join arguments). It uses the caller's target, dir, program,
# program_depends, include_dir, streams_dir, while_configuring and
# embedding; what the target's source must wait for goes to the caller's
# `outputs`, the step's stamp to its `stamps`, its name to the target's
# list.
function(_mavo_add_step name inputs base comment)
    set(made "${include_dir}/${name}.h" "${streams_dir}/${name}.c")
    if(embedding MATCHES "^(incbin|embed)$")
        list(APPEND made "${streams_dir}/${name}.enc")
    endif()
    # The list, one name a line as it really is; a table's may be long, so
    # it is made as one string, not name by name.
    set(list_file "${dir}/lists/${name}")
    string(REPLACE ";" "\n" listed "${inputs}")
    _mavo_real_name("${listed}\n" listed)
    _mavo_write_if_changed("${list_file}" "${listed}")
    # Configuring writes the list: should it go, configuring again makes it.
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${list_file}")
    # Names a build file can hold go in as they are; the others by links.
    get_property(unsafe GLOBAL PROPERTY MAVO_UNSAFE_LIST_SAFE_NAME)
    set(depends ${inputs})
    list(FILTER depends EXCLUDE REGEX "${unsafe}")
    set(linked ${inputs})
    list(FILTER linked INCLUDE REGEX "${unsafe}")
    foreach(input IN LISTS linked)
        _mavo_dependency_name("${input}" "${dir}/links" dependency)
        list(APPEND depends "${dependency}")
    endforeach()
    list(APPEND depends "${list_file}")
    # The stamp tells a build tool that judges by times that the step ran;
    # the outputs themselves keep their times when their bytes stay.
    set(stamp "${dir}/stamps/${name}")
    file(MAKE_DIRECTORY "${dir}/stamps")
    if(while_configuring)
        _mavo_step_now("${program}" "${depends}" "${comment}" "${made}")
    else()
        add_custom_command(OUTPUT "${stamp}" BYPRODUCTS ${made}
            COMMAND "${program}" ${options} --output-dir "${streams_dir}"
                    --header-dir "${include_dir}" --base "${base}" --files-from "${list_file}"
            COMMAND "${CMAKE_COMMAND}" -E touch "${stamp}"
            DEPENDS ${depends} ${program_depends} COMMENT "${comment}" VERBATIM)
        list(APPEND stamps "${stamp}")
    endif()
    list(APPEND outputs ${made})
    set_property(TARGET "${target}" APPEND PROPERTY MAVO_ASSET_SYMBOLS "${name}")
    set(outputs "${outputs}" PARENT_SCOPE)
    set(stamps "${stamps}" PARENT_SCOPE)
endfunction()

# The first call for a target adds the generated source, the include
# folder and the codec to it, and has the source written, and stale
# headers dropped, once every call has been made.
function(_mavo_set_up_target target lang source include_dir)
    target_sources("${target}" PRIVATE "${source}")
    # A generated file is no place for the project's warnings.
    set_property(SOURCE "${source}" TARGET_DIRECTORY "${target}" PROPERTY COMPILE_OPTIONS
        "$<$<${lang}_COMPILER_ID:GNU,Clang,AppleClang,IntelLLVM>:-w>"
        "$<$<${lang}_COMPILER_ID:MSVC>:/w>")
    target_include_directories("${target}" PUBLIC "$<BUILD_INTERFACE:${include_dir}>")
    # Linked through the properties rather than target_link_libraries(), so
    # that it goes with either of that command's signatures.
    set_property(TARGET "${target}" APPEND PROPERTY LINK_LIBRARIES mavo::codec)
    get_target_property(type "${target}" TYPE)
    if(NOT type STREQUAL "EXECUTABLE")
        set_property(TARGET "${target}" APPEND PROPERTY INTERFACE_LINK_LIBRARIES mavo::codec)
    endif()
    set_property(TARGET "${target}" PROPERTY MAVO_ASSET_INCLUDE_DIR "${include_dir}")
    set_property(TARGET "${target}" PROPERTY MAVO_ASSET_SOURCE "${source}")
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY \"${CMAKE_SOURCE_DIR}\" CALL _mavo_finish_target \"${target}\")")
endfunction()

function(mavo_add_assets target)
    _mavo_asset_target("${target}" target)
    set(one_value PREFIX ALIGN SECTION SEEK_SPACING STREAM STORE TABLE BASE DIRECTORY)
    set(many_values FILES PATTERNS EXCLUDE)
    # FILES, each argument exactly as given: ARGV read by number, never split
    # at a `;` nor kept whole by a `[` as cmake_parse_arguments() would.
    set(files "")
    set(in_files FALSE)
    math(EXPR last "${ARGC} - 1")
    foreach(i RANGE 1 ${last})
        set(arg "${ARGV${i}}")
        if(arg IN_LIST one_value OR arg IN_LIST many_values)
            set(in_files FALSE)
            if(arg STREQUAL "FILES")
                set(in_files TRUE)
            endif()
        elseif(in_files)
            # `\;` is CMake's own way to write a `;` in a list, and stands
            # for one here too.
            string(REPLACE "\\;" ";" arg "${arg}")
            _mavo_list_safe("${arg}" arg)
            list(APPEND files "${arg}")
        endif()
    endforeach()
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "${one_value}" "${many_values}")
    _mavo_check_options("${target}")

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
    set(include_dir "${dir}/include")
    set(streams_dir "${dir}/streams")
    set(source "${dir}/assets.${suffix}")
    # CMake lets no build step write into a folder with `#` in its path
    # ("OUTPUT containing a '#' is not allowed"): there the assets are made
    # while configuring, and an edit to one configures again.
    set(while_configuring FALSE)
    if(dir MATCHES "#")
        set(while_configuring TRUE)
    endif()
    _mavo_program(${while_configuring} program program_depends)

    # Without STREAM, mavo_embed makes the smallest stream; without STORE,
    # a table stores what its stream would not shrink, a single asset never.
    set(options --embedding ${embedding})
    foreach(option ALIGN SECTION SEEK_SPACING STREAM STORE)
        if(arg_${option})
            string(TOLOWER "--${option}" flag)
            string(REPLACE "_" "-" flag "${flag}")
            list(APPEND options ${flag} "${arg_${option}}")
        endif()
    endforeach()

    set(paths "")
    if(arg_DIRECTORY)
        set(base "${arg_DIRECTORY}")
        cmake_path(ABSOLUTE_PATH base NORMALIZE)
        string(REGEX REPLACE "(.)/$" "\\1" base "${base}")
        if(NOT IS_DIRECTORY "${base}")
            message(FATAL_ERROR "mavo_add_assets: DIRECTORY ${base} is not a folder")
        endif()
        _mavo_directory_files("${base}" "${arg_PATTERNS}" "${arg_EXCLUDE}" paths folders)
        if(NOT paths)
            message(FATAL_ERROR "mavo_add_assets: no file in ${base} matches "
                "${arg_PATTERNS} (EXCLUDE ${arg_EXCLUDE})")
        endif()
        foreach(folder IN LISTS folders)
            _mavo_watch_folder("${folder}" "${dir}/links")
        endforeach()
    else()
        foreach(file IN LISTS files)
            _mavo_asset_path("${file}" "${dir}/links" path)
            list(APPEND paths "${path}")
        endforeach()
        set(base "${CMAKE_CURRENT_SOURCE_DIR}")
        if(arg_BASE)
            cmake_path(ABSOLUTE_PATH arg_BASE OUTPUT_VARIABLE base)
        endif()
    endif()

    set(outputs "")
    set(stamps "")
    if(arg_TABLE)
        _mavo_claim_names("${target}" "${base} (table ${arg_TABLE})" "${arg_TABLE}" TABLE)
        list(LENGTH paths count)
        list(APPEND options --table ${arg_TABLE})
        _mavo_add_step("${arg_TABLE}" "${paths}" "${base}"
            "Embedding ${count} files as the table ${arg_TABLE}")
    else()
        set(common_options ${options})
        foreach(path IN LISTS paths)
            _mavo_real_name("${path}" real)
            cmake_path(GET real FILENAME name)
            _mavo_asset_symbol("${arg_PREFIX}${name}" symbol)
            string(LENGTH "${symbol}.enc" name_length)
            if(name_length GREATER 255)
                message(FATAL_ERROR "mavo_add_assets: the symbol of ${real} is ${name_length} "
                    "characters with its stream's .enc, more than a file name may have; rename it")
            endif()
            _mavo_claim_names("${target}" "${real}" "${symbol}" "${arg_SEEK_SPACING}")
            set(options ${common_options} --symbol ${symbol})
            _mavo_add_step("${symbol}" "${path}" "${base}" "Embedding ${name} as ${symbol}")
        endforeach()
    endif()

    # The steps run in this folder's build, where their commands are; the
    # target waits for them, wherever it was made.
    # Each call adds an entry; their count numbers this call.
    set_property(TARGET "${target}" APPEND PROPERTY MAVO_ASSET_CALLS call)
    get_property(calls TARGET "${target}" PROPERTY MAVO_ASSET_CALLS)
    list(LENGTH calls calls)
    if(NOT while_configuring)
        add_custom_target("mavo_assets_${target}_${calls}" DEPENDS ${stamps})
        add_dependencies("${target}" "mavo_assets_${target}_${calls}")
    endif()
    # The target's one source includes every asset's and table's, from all
    # calls (written once they are all made), and is compiled again when
    # any of them changes.
    set_property(SOURCE "${source}" TARGET_DIRECTORY "${target}" APPEND PROPERTY
        OBJECT_DEPENDS ${outputs})
    if(calls EQUAL 1)
        _mavo_set_up_target("${target}" ${lang} "${source}" "${include_dir}")
    endif()
endfunction()

# mavo_compile_codec_with(<library>...): compiles mavo's codec with what
# each <library> gives the sources of a program that links it (compile
# options, definitions, include folders, and those of the libraries it
# links in turn): an SDK's INTERFACE library of the board's CPU options,
# say. It works however mavo came in, from any folder, after the lines that
# take mavo in or at the end of the project; the libraries need not exist
# yet when it is called. They reach no install or export of mavo's, and
# nothing of the program's link. An installed package's codec built for
# this very machine is compiled already: there a warning says the call
# changes nothing.
function(mavo_compile_codec_with)
    set(codec "")
    foreach(candidate mavo_codec mavo_codec_from_package)
        if(TARGET ${candidate})
            get_target_property(imported ${candidate} IMPORTED)
            if(NOT imported)
                set(codec ${candidate})
                break()
            endif()
        endif()
    endforeach()
    if(NOT codec)
        message(WARNING "mavo_compile_codec_with: this mavo package's codec is compiled already "
            "(for the machine the package was built on); ${ARGN} cannot reach it")
        return()
    endif()
    foreach(library IN LISTS ARGN)
        target_link_libraries(${codec} PRIVATE "$<BUILD_INTERFACE:${library}>")
    endforeach()
endfunction()

# At the end of the configure step, once every call has been made: writes
# the target's source, which includes every asset's and table's (only when
# it changes, so that a configure step alone compiles nothing again), and
# removes every header in its include folder that no asset of it makes any
# more.
function(_mavo_finish_target target)
    get_property(names TARGET "${target}" PROPERTY MAVO_ASSET_SYMBOLS)
    get_property(source TARGET "${target}" PROPERTY MAVO_ASSET_SOURCE)
    get_property(include_dir TARGET "${target}" PROPERTY MAVO_ASSET_INCLUDE_DIR)
    cmake_path(GET include_dir PARENT_PATH dir)
    set(text "/* The mavo streams of ${target}'s assets, generated by mavo_add_assets. */\n")
    foreach(name IN LISTS names)
        string(APPEND text "#include \"${dir}/streams/${name}.c\"\n")
    endforeach()
    _mavo_write_if_changed("${source}" "${text}")

    list(TRANSFORM names APPEND ".h" OUTPUT_VARIABLE current)
    file(GLOB headers RELATIVE "${include_dir}" "${include_dir}/*")
    foreach(header IN LISTS headers)
        if(NOT header IN_LIST current)
            file(REMOVE "${include_dir}/${header}")
        endif()
    endforeach()
endfunction()
