# mavo_add_assets(<target> FILES <file>... [PREFIX <prefix>] [ALIGN <bytes>]
#                 [SECTION <name>] [SEEK_SPACING <bytes>] [STREAM smallest|tool])
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
# STREAM smallest (the default) embeds the shortest stream the format
# allows; STREAM tool the very stream `mavo FILE` writes.
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
# one. All of a target's streams are compiled as one source.
#
# Each file's step is one run of mavo_embed (MavoAssetProgram.cmake says
# which), again when the file or the program changes, for that file alone;
# it writes the stream, the header and the array's source into the build
# tree, never beside the file. In a build folder with a `#` in its path,
# where CMake lets no build step write, the steps run while configuring,
# and an edit to an asset configures again.

include("${CMAKE_CURRENT_LIST_DIR}/MavoAssetNames.cmake")
include("${CMAKE_CURRENT_LIST_DIR}/MavoAssetProgram.cmake")

set(MAVO_ASSET_EMBEDDING "" CACHE STRING
    "How mavo_add_assets embeds streams: incbin, embed, string or braces (empty: chosen per toolchain)")
set_property(CACHE MAVO_ASSET_EMBEDDING PROPERTY STRINGS "" incbin embed string braces)

# A file named in FILES: relative names are looked for in the current source
# folder, then in the current build folder (where the project's own custom
# commands put their outputs, as CMake's own commands do). A file the build
# makes cannot be an asset made while configuring (the caller's
# `while_configuring`, for its target's build folder `target_binary_dir`).
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
        if(generated AND while_configuring)
            message(FATAL_ERROR "mavo_add_assets: ${candidate} is made by the build, but in the "
                "build folder ${target_binary_dir}, whose path has a `#`, assets are made while "
                "configuring; build in a folder without `#`")
        endif()
        if(EXISTS "${candidate}" OR generated)
            set(${out} "${candidate}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    string(REPLACE ";" " or " looked "${candidates}")
    message(FATAL_ERROR "mavo_add_assets: ${file} does not exist (looked for ${looked})")
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
    file(WRITE "${file}.new" "${text}")
    file(COPY_FILE "${file}.new" "${file}" ONLY_IF_DIFFERENT)
    file(REMOVE "${file}.new")
endfunction()

# Checks the caller's parsed options (arg_*); stops the configure step on
# the first that is wrong.
function(_mavo_check_options target)
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "mavo_add_assets: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT arg_FILES AND NOT arg_DIRECTORY)
        message(FATAL_ERROR "mavo_add_assets: no FILES for ${target}")
    endif()
    if(arg_DIRECTORY AND (arg_FILES OR NOT arg_TABLE OR arg_BASE))
        message(FATAL_ERROR "mavo_add_assets: DIRECTORY goes with TABLE, without FILES or BASE")
    endif()
    if((arg_PATTERNS AND NOT arg_DIRECTORY) OR (arg_BASE AND NOT arg_TABLE)
       OR (arg_TABLE AND DEFINED arg_PREFIX))
        message(FATAL_ERROR "mavo_add_assets: PATTERNS go with DIRECTORY, BASE with TABLE, "
            "and PREFIX with no TABLE")
    endif()
    if(DEFINED arg_TABLE AND NOT arg_TABLE MATCHES "^[A-Za-z_][A-Za-z0-9_]*$")
        message(FATAL_ERROR "mavo_add_assets: TABLE ${arg_TABLE} is not a C identifier")
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
    if(DEFINED arg_STREAM AND NOT arg_STREAM MATCHES "^(smallest|tool)$")
        message(FATAL_ERROR "mavo_add_assets: STREAM ${arg_STREAM} is not smallest or tool")
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
# its inputs and the program; the inputs are configure dependencies, so
# that an edit to one configures again. The command's arguments are the
# caller's `step_command`.
function(_mavo_step_now program inputs comment outputs)
    set(stale FALSE)
    foreach(output IN LISTS outputs)
        foreach(input IN LISTS inputs ITEMS "${program}")
            if(NOT EXISTS "${output}" OR "${input}" IS_NEWER_THAN "${output}")
                set(stale TRUE)
            endif()
        endforeach()
    endforeach()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${inputs})
    if(NOT stale)
        return()
    endif()
    message(STATUS "${comment}")
    execute_process(COMMAND "${program}" ${step_command}
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "mavo_add_assets: ${out}")
    endif()
endfunction()

# One step of the caller's target, which makes `name`.h and `name`.c from
# `inputs` (a list whose names have their `;` escaped) by running the
# program with the arguments in `step_command`. It uses the caller's
# target, program, program_depends, include_dir, streams_dir,
# while_configuring and embedding; its outputs go to the caller's
# `outputs`, its name to the target's list.
macro(_mavo_add_step name inputs comment)
    set(step_outputs "${include_dir}/${name}.h" "${streams_dir}/${name}.c")
    if(embedding MATCHES "^(incbin|embed)$")
        list(APPEND step_outputs "${streams_dir}/${name}.enc")
    endif()
    if(while_configuring)
        _mavo_step_now("${program}" "${inputs}" "${comment}" "${step_outputs}")
    else()
        add_custom_command(OUTPUT ${step_outputs} COMMAND "${program}" ${step_command}
            DEPENDS "${inputs}" ${program_depends} COMMENT "${comment}" VERBATIM)
    endif()
    list(APPEND outputs ${step_outputs})
    set_property(TARGET "${target}" APPEND PROPERTY MAVO_ASSET_SYMBOLS "${name}")
endmacro()

# The files of DIRECTORY `dir` that match `patterns` (every file without),
# looked for again at every build, so that a file added or removed reaches
# the program.
function(_mavo_directory_files dir patterns out)
    cmake_path(ABSOLUTE_PATH dir NORMALIZE)
    if(NOT IS_DIRECTORY "${dir}")
        message(FATAL_ERROR "mavo_add_assets: DIRECTORY ${dir} is not a folder")
    endif()
    if(NOT patterns)
        set(patterns "*")
    endif()
    set(files "")
    foreach(pattern IN LISTS patterns)
        file(GLOB_RECURSE found CONFIGURE_DEPENDS LIST_DIRECTORIES false "${dir}/${pattern}")
        list(APPEND files ${found})
    endforeach()
    list(REMOVE_DUPLICATES files)
    list(SORT files)
    if(NOT files)
        message(FATAL_ERROR "mavo_add_assets: no file in ${dir} matches ${patterns}")
    endif()
    set(${out} "${dir}" "${files}" PARENT_SCOPE)
endfunction()

# The first call for a target adds the generated source, the include
# folder and the codec to it.
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
    # Headers of assets dropped since the last configure must not stay on
    # the include path.
    set_property(TARGET "${target}" PROPERTY MAVO_ASSET_INCLUDE_DIR "${include_dir}")
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY \"${CMAKE_SOURCE_DIR}\" CALL _mavo_drop_stale_headers \"${target}\")")
endfunction()

function(mavo_add_assets target)
    _mavo_asset_target("${target}" target)
    cmake_parse_arguments(PARSE_ARGV 1 arg ""
        "PREFIX;ALIGN;SECTION;SEEK_SPACING;STREAM;TABLE;BASE;DIRECTORY" "FILES;PATTERNS")
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

    # Without STREAM, mavo_embed makes the smallest stream.
    set(options --output-dir "${streams_dir}" --header-dir "${include_dir}"
        --embedding ${embedding})
    foreach(option ALIGN SECTION SEEK_SPACING STREAM)
        if(arg_${option})
            string(TOLOWER "--${option}" flag)
            string(REPLACE "_" "-" flag "${flag}")
            list(APPEND options ${flag} "${arg_${option}}")
        endif()
    endforeach()

    set(paths "")
    if(arg_DIRECTORY)
        _mavo_directory_files("${arg_DIRECTORY}" "${arg_PATTERNS}" paths)
        list(POP_FRONT paths base)
    else()
        foreach(file IN LISTS arg_FILES)
            _mavo_asset_path("${file}" path)
            # A `;` in a name must reach the command as it is, not split it.
            string(REPLACE ";" "\\;" path "${path}")
            list(APPEND paths "${path}")
        endforeach()
        set(base "${CMAKE_CURRENT_SOURCE_DIR}")
        if(arg_BASE)
            cmake_path(ABSOLUTE_PATH arg_BASE OUTPUT_VARIABLE base)
        endif()
    endif()

    set(outputs "")
    if(arg_TABLE)
        _mavo_claim_names("${target}" "${base} (table ${arg_TABLE})" "${arg_TABLE}" TABLE)
        # The list of files is an input of its own: a file dropped from it
        # makes the table again with any generator.
        string(REPLACE ";" "\n" listed "${paths}")
        _mavo_write_if_changed("${dir}/${arg_TABLE}.files" "${listed}\n")
        list(LENGTH paths count)
        set(step_command --table "${arg_TABLE}" --base "${base}" ${options} ${paths})
        _mavo_add_step("${arg_TABLE}" "${paths};${dir}/${arg_TABLE}.files"
            "mavo: ${count} files -> table ${arg_TABLE}")
    else()
        foreach(path IN LISTS paths)
            get_filename_component(name "${path}" NAME)
            _mavo_asset_symbol("${arg_PREFIX}${name}" symbol)
            string(LENGTH "${symbol}.enc" name_length)
            if(name_length GREATER 255)
                message(FATAL_ERROR "mavo_add_assets: the symbol of ${path} is ${name_length} "
                    "characters with its stream's .enc, more than a file name may have; rename it")
            endif()
            _mavo_claim_names("${target}" "${path}" "${symbol}" "${arg_SEEK_SPACING}")
            string(REPLACE ";" "\\;" escaped "${path}")
            set(step_command --symbol "${symbol}" ${options} "${escaped}")
            _mavo_add_step("${symbol}" "${escaped}" "mavo: ${name} -> ${symbol}")
        endforeach()
    endif()

    # The steps run in this folder's build, where their commands are; the
    # target waits for them, wherever it was made.
    # Each call adds an entry; their count numbers this call.
    set_property(TARGET "${target}" APPEND PROPERTY MAVO_ASSET_CALLS call)
    get_property(calls TARGET "${target}" PROPERTY MAVO_ASSET_CALLS)
    list(LENGTH calls calls)
    if(NOT while_configuring)
        add_custom_target("mavo_assets_${target}_${calls}" DEPENDS ${outputs})
        add_dependencies("${target}" "mavo_assets_${target}_${calls}")
    endif()

    # The target's one source includes every asset's and table's, from all
    # calls, and is compiled again when any of them changes.
    get_property(names TARGET "${target}" PROPERTY MAVO_ASSET_SYMBOLS)
    set(text "/* The mavo streams of ${target}'s assets, generated by mavo_add_assets. */\n")
    foreach(name IN LISTS names)
        string(APPEND text "#include \"${streams_dir}/${name}.c\"\n")
    endforeach()
    _mavo_write_if_changed("${source}" "${text}")
    set_property(SOURCE "${source}" TARGET_DIRECTORY "${target}" APPEND PROPERTY
        OBJECT_DEPENDS ${outputs})
    if(calls EQUAL 1)
        _mavo_set_up_target("${target}" ${lang} "${source}" "${include_dir}")
    endif()
endfunction()

# At the end of the configure step: removes every header in a target's
# include folder that no asset of it makes any more.
function(_mavo_drop_stale_headers target)
    get_property(symbols TARGET "${target}" PROPERTY MAVO_ASSET_SYMBOLS)
    get_property(include_dir TARGET "${target}" PROPERTY MAVO_ASSET_INCLUDE_DIR)
    list(TRANSFORM symbols APPEND ".h" OUTPUT_VARIABLE current)
    file(GLOB headers RELATIVE "${include_dir}" "${include_dir}/*")
    foreach(header IN LISTS headers)
        if(NOT header IN_LIST current)
            file(REMOVE "${include_dir}/${header}")
        endif()
    endforeach()
endfunction()
