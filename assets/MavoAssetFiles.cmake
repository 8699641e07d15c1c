# MavoAssetFiles.cmake - the files an asset step reads, whatever their
# names: a folder listed exactly, links followed, special files left out;
# names held in CMake lists without harm; and each file named to the build
# tool in a way it can express. Part of mavo_add_assets().
#
# A CMake list cannot hold every name as it stands (`;` splits it, `[` and
# `]` keep it from splitting, a `\` before the separator escapes it), so the
# functions here hand names around "list-safe": those four characters
# written as //0 //1 //2 //3, which no normalised path holds (it never has
# two slashes in a row). _mavo_real_name() turns one back.

# A path with \ ; [ ] written list-safe.
function(_mavo_list_safe path out)
    string(REPLACE "\\" "//0" path "${path}")
    string(REPLACE ";" "//1" path "${path}")
    string(REPLACE "[" "//2" path "${path}")
    string(REPLACE "]" "//3" path "${path}")
    set(${out} "${path}" PARENT_SCOPE)
endfunction()

# A list-safe path as it really is.
function(_mavo_real_name path out)
    string(REPLACE "//3" "]" path "${path}")
    string(REPLACE "//2" "[" path "${path}")
    string(REPLACE "//1" ";" path "${path}")
    string(REPLACE "//0" "\\" path "${path}")
    set(${out} "${path}" PARENT_SCOPE)
endfunction()

# Characters a build file or a CMake dependency list cannot carry as they
# are: list syntax, Ninja's and make's own (`|`, `:`, a tab), a generator
# expression's `$<`, and control characters. CMake's regular expressions
# have no escapes for bytes, so the class is built from them, once, and
# kept where every folder's calls see it.
function(_mavo_unsafe_pattern)
    set(controls "")
    foreach(code RANGE 1 31)
        string(ASCII ${code} char)
        string(APPEND controls "${char}")
    endforeach()
    string(ASCII 127 delete)
    set_property(GLOBAL PROPERTY MAVO_UNSAFE_NAME "[][;|\\\\:${controls}${delete}]|\\$<")
    # The same over list-safe names, where \ ; [ ] are //0 to //3.
    set_property(GLOBAL PROPERTY MAVO_UNSAFE_LIST_SAFE_NAME "//[0-3]|[|:${controls}${delete}]|\\$<")
endfunction()
_mavo_unsafe_pattern()

# A line end cannot be written into any build file, nor into the file
# list mavo_embed reads: such a name stops the configure step.
function(_mavo_refuse_line_ends path)
    if(path MATCHES "[\n\r]")
        string(REPLACE "\n" "\\n" shown "${path}")
        string(REPLACE "\r" "\\r" shown "${shown}")
        message(FATAL_ERROR "mavo_add_assets: ${shown} has a line end in its name, which no "
            "build file can name; rename it (or leave it out of the folder)")
    endif()
endfunction()

# How the build tool is to name `path` (list-safe) as a dependency: the
# path itself (`;`-escaped for a dependency list) where it can, else a
# link to it with a plain name in `links_dir`, made or mended now (links
# are followed when the build tool checks times, so the link stands for
# the file). On Windows, where links need rights a build rarely has, such
# a name stops the configure step.
function(_mavo_dependency_name path links_dir out)
    _mavo_real_name("${path}" real)
    get_property(unsafe GLOBAL PROPERTY MAVO_UNSAFE_NAME)
    if(NOT real MATCHES "${unsafe}")
        set(${out} "${real}" PARENT_SCOPE)
        return()
    endif()
    if(CMAKE_HOST_WIN32)
        message(FATAL_ERROR "mavo_add_assets: ${real}: its name holds one of [ ] ; $<, "
            "which a build file on Windows cannot name; rename it")
    endif()
    string(SHA1 hash "${real}")
    string(SUBSTRING "${hash}" 0 20 hash)
    set(link "${links_dir}/${hash}")
    if(IS_SYMLINK "${link}")
        file(READ_SYMLINK "${link}" target)
        if(target STREQUAL real)
            set(${out} "${link}" PARENT_SCOPE)
            return()
        endif()
        file(REMOVE "${link}")
    endif()
    file(MAKE_DIRECTORY "${links_dir}")
    file(CREATE_LINK "${real}" "${link}" SYMBOLIC RESULT failed)
    if(failed)
        message(FATAL_ERROR "mavo_add_assets: ${real}: cannot make a link to it in "
            "${links_dir} (${failed}), which its name needs")
    endif()
    set(${out} "${link}" PARENT_SCOPE)
endfunction()

# Makes the configure step run again when the folder `dir` (list-safe)
# gains or loses a file: its time changes then. Nothing is added for a
# folder in the build tree, which every build would touch.
function(_mavo_watch_folder dir links_dir)
    _mavo_real_name("${dir}" real)
    cmake_path(IS_PREFIX CMAKE_BINARY_DIR "${real}" NORMALIZE in_build)
    if(in_build)
        return()
    endif()
    _mavo_dependency_name("${dir}" "${links_dir}" name)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${name}")
endfunction()

# A glob of PATTERNS or EXCLUDE as a regular expression over a list-safe
# path in the table: a glob without `/` matches a file's name in any
# folder; one with `/` matches its folders from the table's top, and then a
# name at any depth below them. `*` and `?` never match a `/`, `**`
# matches any folders, and [...] and [!...] are classes of characters.
function(_mavo_glob_regex glob out)
    # One character of a name: a plain one, or \ ; [ ] written list-safe.
    set(one "([^/]|//[0-3])")
    string(FIND "${glob}" "/" slash)
    if(slash EQUAL -1)
        set(regex "^(.*/)?")
    else()
        set(regex "^")
    endif()
    string(LENGTH "${glob}" length)
    set(i 0)
    set(class FALSE)
    while(i LESS length)
        string(SUBSTRING "${glob}" ${i} 1 c)
        math(EXPR i "${i} + 1")
        if(class)
            if(c STREQUAL "]")
                set(class FALSE)
            elseif(c STREQUAL "\\")
                set(c "\\\\")
            endif()
            string(APPEND regex "${c}")
        elseif(c STREQUAL "*")
            string(SUBSTRING "${glob}" ${i} 1 next)
            if(next STREQUAL "*")
                math(EXPR i "${i} + 1")
                string(APPEND regex ".*")
            else()
                string(APPEND regex "${one}*")
            endif()
        elseif(c STREQUAL "?")
            string(APPEND regex "${one}")
        elseif(c STREQUAL "[")
            set(class TRUE)
            string(APPEND regex "[")
            string(SUBSTRING "${glob}" ${i} 1 next)
            if(next STREQUAL "!")
                math(EXPR i "${i} + 1")
                string(APPEND regex "^")
            endif()
        elseif(c MATCHES "[].+^$(){}|\\]")
            _mavo_list_safe("${c}" safe)
            if(safe STREQUAL c)
                string(APPEND regex "\\${c}")
            else()
                string(APPEND regex "${safe}")
            endif()
        elseif(c STREQUAL ";")
            string(APPEND regex "//1")
        else()
            string(APPEND regex "${c}")
        endif()
    endwhile()
    if(slash EQUAL -1)
        string(APPEND regex "$")
    else()
        string(APPEND regex "(/.*)?$")
    endif()
    set(${out} "${regex}" PARENT_SCOPE)
endfunction()

# The lines of a listing (newline-separated paths) as a list of list-safe
# paths.
function(_mavo_listing_to_list text out)
    _mavo_list_safe("${text}" text)
    string(REGEX REPLACE "\n$" "" text "${text}")
    string(REPLACE "\n" ";" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Everything below the folder `dir`, links followed, as lists of list-safe
# paths: `files_out` the regular files, `folders_out` the folders (the top
# one included), `skipped_out` what is neither (a dangling link or a loop
# of links, a FIFO, a socket, a device) and what could not be walked (a
# loop of folders, a folder that may not be read), as messages. With POSIX
# find on Unix, which names any file exactly; on Windows with CMake's own
# globbing.
function(_mavo_walk_folder dir files_out folders_out skipped_out)
    if(CMAKE_HOST_WIN32)
        file(GLOB_RECURSE found FOLLOW_SYMLINKS LIST_DIRECTORIES true "${dir}/*")
        set(files "")
        set(folders "${dir}")
        foreach(path IN LISTS found)
            if(NOT EXISTS "${path}")
                message(FATAL_ERROR "mavo_add_assets: a name in ${dir} holds `;`, `[` or `]` "
                    "(near ${path}), which CMake cannot list on Windows; rename it")
            elseif(IS_DIRECTORY "${path}")
                list(APPEND folders "${path}")
            else()
                list(APPEND files "${path}")
            endif()
        endforeach()
        set(${files_out} "${files}" PARENT_SCOPE)
        set(${folders_out} "${folders}" PARENT_SCOPE)
        set(${skipped_out} "" PARENT_SCOPE)
        return()
    endif()
    find_program(MAVO_FIND find)
    if(NOT MAVO_FIND)
        message(FATAL_ERROR "mavo_add_assets: DIRECTORY needs the find program, which is not "
            "on the PATH")
    endif()
    execute_process(COMMAND "${MAVO_FIND}" "${dir}" "(" -name "*\n*" -o -name "*\r*" ")" -print
        OUTPUT_VARIABLE broken ERROR_QUIET)
    if(broken)
        string(REGEX REPLACE "\n$" "" broken "${broken}")
        _mavo_refuse_line_ends("${broken}")
    endif()
    execute_process(COMMAND "${MAVO_FIND}" -L "${dir}" -type f -print
        OUTPUT_VARIABLE files ERROR_VARIABLE problems)
    execute_process(COMMAND "${MAVO_FIND}" -L "${dir}" -type d -print
        OUTPUT_VARIABLE folders ERROR_QUIET)
    execute_process(COMMAND "${MAVO_FIND}" -L "${dir}" ! -type f ! -type d -print
        OUTPUT_VARIABLE others ERROR_QUIET)
    _mavo_listing_to_list("${files}" files)
    _mavo_listing_to_list("${folders}" folders)
    _mavo_listing_to_list("${others}" others)
    set(skipped "")
    foreach(path IN LISTS others)
        _mavo_real_name("${path}" real)
        if(IS_SYMLINK "${real}")
            list(APPEND skipped "${path}: a link that leads nowhere (dangling, or a loop)")
        else()
            list(APPEND skipped "${path}: not a regular file (a FIFO, socket or device)")
        endif()
    endforeach()
    # find says, one line each, what it could not walk: a loop of folders,
    # a folder it may not read.
    _mavo_listing_to_list("${problems}" problems)
    foreach(problem IN LISTS problems)
        if(problem MATCHES "^[^:]*: (.*)$")
            set(problem "${CMAKE_MATCH_1}")
        endif()
        list(APPEND skipped "${problem}")
    endforeach()
    set(${files_out} "${files}" PARENT_SCOPE)
    set(${folders_out} "${folders}" PARENT_SCOPE)
    set(${skipped_out} "${skipped}" PARENT_SCOPE)
endfunction()

# The files of DIRECTORY `dir` whose paths in the table match `patterns`
# (every file without) and none of `excludes`, as list-safe paths, sorted;
# `folders_out` every folder walked (the top one included), list-safe. Each
# file left out for what it is gets a warning naming it. Whole lists at a
# time: a folder may hold tens of thousands of files.
function(_mavo_directory_files dir patterns excludes files_out folders_out)
    _mavo_walk_folder("${dir}" files folders skipped)
    foreach(note IN LISTS skipped)
        _mavo_real_name("${note}" note)
        message(WARNING "mavo_add_assets: left out of the table of ${dir}: ${note}")
    endforeach()
    if(patterns OR excludes)
        # Matched as paths in the table: the folder's own path taken off.
        _mavo_list_safe("${dir}/" prefix)
        string(REGEX REPLACE "([.+*?^$()|])" "\\\\\\1" prefix_regex "${prefix}")
        list(TRANSFORM files REPLACE "^${prefix_regex}" "" OUTPUT_VARIABLE relative)
        set(kept "")
        foreach(glob IN LISTS patterns)
            _mavo_glob_regex("${glob}" regex)
            set(matching ${relative})
            list(FILTER matching INCLUDE REGEX "${regex}")
            list(APPEND kept ${matching})
        endforeach()
        if(NOT patterns)
            set(kept ${relative})
        endif()
        foreach(glob IN LISTS excludes)
            _mavo_glob_regex("${glob}" regex)
            list(FILTER kept EXCLUDE REGEX "${regex}")
        endforeach()
        list(REMOVE_DUPLICATES kept)
        list(TRANSFORM kept PREPEND "${prefix}" OUTPUT_VARIABLE files)
    endif()
    list(SORT files)
    set(${files_out} "${files}" PARENT_SCOPE)
    set(${folders_out} "${folders}" PARENT_SCOPE)
endfunction()
