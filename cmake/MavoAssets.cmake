# mavo_add_assets(<target> FILES <file>... [PREFIX <prefix>])
#
# Embeds each file in <target> as a mavo stream, made at build time:
#   <symbol>      const unsigned char <symbol>[], the stream, compiled in
#   <symbol>.h    on the target's include path: extern "C" declaration,
#                 <SYMBOL>_SIZE (bytes of stream) and <SYMBOL>_DECODED_SIZE
#                 (bytes of the original), both unsigned constant expressions
# and links mavo::codec, so that the program can expand it with
# decode_block() or decode_step().
#
# <symbol> is <prefix> and the file's name (no folders), with every character
# but a letter, digit or underscore replaced by `_`, and `asset_` in front
# when it would begin with a digit: img/logo.bin gives logo_bin, 2-font.bin
# gives asset_2_font_bin. <SYMBOL> is the same in capitals.
#
# mavo runs on a copy of the file in the build tree, whenever the file or
# mavo changes; nothing is written next to the source. The step is the
# program mavo_asset_step where it is built (POSIX), else a CMake script.
# When cross-compiling, mavo must be a program for the build machine:
# MAVO_EXECUTABLE, or `mavo` on the path or beside the mavo package found by
# find_package; mavo_asset_step is looked for beside it
# (MAVO_ASSET_STEP_EXECUTABLE; set it to OFF for the script).

# The symbol for a file, as described above.
function(_mavo_asset_symbol file prefix out)
    get_filename_component(name "${file}" NAME)
    set(symbol "${prefix}${name}")
    # One `_` for each character beyond ASCII: its leading byte and the
    # continuation bytes after it.
    string(ASCII 192 lead_low)
    string(ASCII 255 lead_high)
    string(ASCII 128 next_low)
    string(ASCII 191 next_high)
    string(REGEX REPLACE "[${lead_low}-${lead_high}][${next_low}-${next_high}]*" "_" symbol "${symbol}")
    string(REGEX REPLACE "[^A-Za-z0-9_]" "_" symbol "${symbol}")
    if(symbol MATCHES "^[0-9]")
        set(symbol "asset_${symbol}")
    endif()
    set(${out} "${symbol}" PARENT_SCOPE)
endfunction()

# The programs an asset's build step runs: mavo (`out_mavo`), and the step
# program mavo_asset_step where there is one (`out_step`, else empty: a
# CMake script does the step then), with the files and targets the step
# depends on (`out_depends`).
function(_mavo_asset_tools out_mavo out_step out_depends)
    if(NOT MAVO_EXECUTABLE AND TARGET mavo::mavo AND NOT CMAKE_CROSSCOMPILING)
        set(mavo "$<TARGET_FILE:mavo::mavo>")
        set(depends "$<TARGET_FILE:mavo::mavo>")
        set(step "")
        if(TARGET mavo::asset_step)
            set(step "$<TARGET_FILE:mavo::asset_step>")
            list(APPEND depends "$<TARGET_FILE:mavo::asset_step>")
        endif()
        # Built here: the steps wait for the programs and rerun when they
        # change.
        foreach(target mavo::mavo mavo::asset_step)
            if(TARGET ${target})
                get_target_property(aliased ${target} ALIASED_TARGET)
                if(aliased)
                    list(APPEND depends "${aliased}")
                endif()
            endif()
        endforeach()
    else()
        if(NOT MAVO_EXECUTABLE)
            # A program for the build machine: on the path, or in the
            # installation that the mavo package came from.
            set(hints)
            if(mavo_DIR)
                list(APPEND hints "${mavo_DIR}/../../../bin")
            endif()
            find_program(MAVO_EXECUTABLE mavo HINTS ${hints} NO_CMAKE_FIND_ROOT_PATH
                DOC "mavo for the build machine, run by mavo_add_assets")
        endif()
        if(NOT MAVO_EXECUTABLE)
            message(FATAL_ERROR "mavo_add_assets: no mavo to run on this machine. "
                "Cross-compiling, the assets need mavo built for the build machine: "
                "set MAVO_EXECUTABLE to its path (-DMAVO_EXECUTABLE=/path/to/mavo), "
                "or put it on the PATH.")
        endif()
        get_filename_component(mavo_dir "${MAVO_EXECUTABLE}" DIRECTORY)
        find_program(MAVO_ASSET_STEP_EXECUTABLE mavo_asset_step HINTS "${mavo_dir}"
            NO_CMAKE_FIND_ROOT_PATH DOC "mavo_add_assets()'s build step program")
        set(mavo "${MAVO_EXECUTABLE}")
        set(depends "${MAVO_EXECUTABLE}")
        set(step "")
        if(MAVO_ASSET_STEP_EXECUTABLE)
            set(step "${MAVO_ASSET_STEP_EXECUTABLE}")
            list(APPEND depends "${MAVO_ASSET_STEP_EXECUTABLE}")
        endif()
    endif()
    set(${out_mavo} "${mavo}" PARENT_SCOPE)
    set(${out_step} "${step}" PARENT_SCOPE)
    set(${out_depends} "${depends}" PARENT_SCOPE)
endfunction()

function(mavo_add_assets target)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "PREFIX" "FILES")
    if(NOT TARGET "${target}")
        message(FATAL_ERROR "mavo_add_assets: ${target} is not a target")
    endif()
    if(arg_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "mavo_add_assets: unknown arguments: ${arg_UNPARSED_ARGUMENTS}")
    endif()
    if(NOT arg_FILES)
        message(FATAL_ERROR "mavo_add_assets: no FILES for ${target}")
    endif()

    _mavo_asset_tools(mavo_command step_program tool_depends)
    # The generated source is C where the project has C, else C++.
    get_property(languages GLOBAL PROPERTY ENABLED_LANGUAGES)
    if("C" IN_LIST languages)
        set(source_suffix c)
    else()
        set(source_suffix cpp)
    endif()
    set(dir "${CMAKE_CURRENT_BINARY_DIR}/mavo_assets/${target}")
    set(step "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/MavoAssetStep.cmake")

    # Symbols already taken in this target, by earlier calls too.
    get_property(taken_symbols TARGET "${target}" PROPERTY MAVO_ASSET_SYMBOLS)
    get_property(taken_files TARGET "${target}" PROPERTY MAVO_ASSET_FILES)

    foreach(file IN LISTS arg_FILES)
        get_filename_component(path "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        get_property(generated SOURCE "${path}" PROPERTY GENERATED)
        if(NOT EXISTS "${path}" AND NOT generated)
            message(FATAL_ERROR "mavo_add_assets: ${file} does not exist (looked for ${path})")
        endif()
        _mavo_asset_symbol("${path}" "${arg_PREFIX}" symbol)
        list(FIND taken_symbols "${symbol}" index)
        if(NOT index EQUAL -1)
            list(GET taken_files ${index} other)
            message(FATAL_ERROR "mavo_add_assets: ${other} and ${path} both give the "
                "symbol ${symbol} in ${target}; rename one, or add them with different PREFIXes")
        endif()
        list(APPEND taken_symbols "${symbol}")
        list(APPEND taken_files "${path}")

        set(csv "${dir}/${symbol}.csv")
        set(header "${dir}/${symbol}.h")
        set(source "${dir}/${symbol}.${source_suffix}")
        get_filename_component(name "${path}" NAME)
        if(step_program)
            set(command "${step_program}" "${mavo_command}" "${path}" "${dir}" "${symbol}")
        else()
            set(command "${CMAKE_COMMAND}" "-DMAVO=${mavo_command}" "-DSOURCE=${path}"
                "-DDIR=${dir}" "-DSYMBOL=${symbol}" -P "${step}")
        endif()
        add_custom_command(
            OUTPUT "${csv}" "${header}"
            BYPRODUCTS "${dir}/${symbol}.enc"
            COMMAND ${command}
            DEPENDS "${path}" ${tool_depends} "${step}"
            COMMENT "mavo: ${name} -> ${symbol}"
            VERBATIM)
        # The array around the dump. A zero byte after the stream keeps an
        # empty asset's array from being empty, which C does not allow; the
        # declared size does not count it.
        file(CONFIGURE OUTPUT "${source}" CONTENT
"/* ${symbol}: the mavo stream of ${name}, generated by mavo_add_assets. */
#include \"${symbol}.h\"

const unsigned char ${symbol}[] = {
#include \"${symbol}.csv\"
0};
")
        # A dump whose size is not a multiple of 16 ends without a line end,
        # which clang's -Wpedantic remarks on at the include.
        if(source_suffix STREQUAL "c")
            set(clang "$<C_COMPILER_ID:Clang,AppleClang>")
        else()
            set(clang "$<CXX_COMPILER_ID:Clang,AppleClang>")
        endif()
        set_source_files_properties("${source}" PROPERTIES
            COMPILE_OPTIONS "$<${clang}:-Wno-newline-eof>")
        target_sources("${target}" PRIVATE "${source}" "${header}" "${csv}")
        set_source_files_properties("${csv}" PROPERTIES HEADER_FILE_ONLY ON)
    endforeach()

    set_property(TARGET "${target}" PROPERTY MAVO_ASSET_SYMBOLS "${taken_symbols}")
    set_property(TARGET "${target}" PROPERTY MAVO_ASSET_FILES "${taken_files}")
    target_include_directories("${target}" PUBLIC "$<BUILD_INTERFACE:${dir}>")
    # Linked through the properties rather than target_link_libraries(), so
    # that it goes with either of that command's signatures in the caller.
    set_property(TARGET "${target}" APPEND PROPERTY LINK_LIBRARIES mavo::codec)
    get_target_property(type "${target}" TYPE)
    if(type STREQUAL "STATIC_LIBRARY" OR type STREQUAL "OBJECT_LIBRARY")
        set_property(TARGET "${target}" APPEND PROPERTY INTERFACE_LINK_LIBRARIES mavo::codec)
    endif()
endfunction()
