# Builds and runs projects/consumer, a C99 project using mavo, in WORK:
#   MODE=package       installs mavo's build tree MAVO_BUILD into a fresh
#                      prefix, checks what was installed, and builds the
#                      project with find_package, then with pkg-config alone
#   MODE=subdirectory  builds the project with mavo's sources (SOURCE_DIR)
#                      taken in by add_subdirectory
# In both, mavo_add_assets() embeds assets made here: they must come back
# byte for byte, a second build must do nothing, an edited asset must be
# dumped again alone, and bad calls must fail at configure time. In package
# mode a failing mavo must fail the build, saying so readably, and leave no
# generated file.
# GENERATOR is the generator the project is built with.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")

# The assets: bitmap-like rows, an empty file, a name with a leading digit
# and a dash, and a second logo.bin elsewhere (for the clash).
function(make_assets dir)
    set(rows "")
    foreach(i RANGE 40)
        string(REPEAT "A" ${i} run)
        string(APPEND rows "${run}xyz${i}")
    endforeach()
    file(WRITE "${dir}/logo.bin" "${rows}")
    file(WRITE "${dir}/empty.bin" "")
    string(REPEAT "font" 50 font)
    file(WRITE "${dir}/2-font.bin" "${font}")
    file(WRITE "${dir}/more/logo.bin" "other")
endfunction()

# The lines of a build's output that say mavo ran.
function(dumps_in output out)
    string(REGEX MATCHALL "mavo: [^\n]*" lines "${output}")
    set(${out} "${lines}" PARENT_SCOPE)
endfunction()

set(project "${CMAKE_CURRENT_LIST_DIR}/projects/consumer")
set(assets "${WORK}/assets")
set(build "${WORK}/build")
file(REMOVE_RECURSE "${WORK}")
make_assets("${assets}")

if(MODE STREQUAL "package")
    set(prefix "${WORK}/prefix")
    run("${CMAKE_COMMAND}" --install "${MAVO_BUILD}" --prefix "${prefix}")
    # The public headers under their package name; nothing of the tool's.
    file(GLOB_RECURSE headers RELATIVE "${prefix}" "${prefix}/include/*")
    if(NOT headers STREQUAL "include/mavo/assets.h;include/mavo/codec.h")
        message(FATAL_ERROR "installed headers: ${headers}; expected include/mavo/assets.h and codec.h only")
    endif()
    file(GLOB_RECURSE installed RELATIVE "${prefix}" "${prefix}/*")
    foreach(expected bin/mavo bin/mavo_embed libmavo_codec.a mavoConfig.cmake mavoConfigVersion.cmake
                     mavoTargets.cmake MavoAssets.cmake pkgconfig/mavo-codec.pc)
        if(NOT installed MATCHES "(^|;)[^;]*${expected}(;|$)")
            message(FATAL_ERROR "${expected} was not installed: ${installed}")
        endif()
    endforeach()
    set(use_mavo "-DCMAKE_PREFIX_PATH=${prefix}")
else()
    # Taken in, mavo needs no xxHash: a header that is not there must not
    # matter (the command's build would stop on it).
    set(use_mavo "-DMAVO_SOURCE_DIR=${SOURCE_DIR}" "-DMAVO_XXHASH_HEADER=${WORK}/no/xxhash.h")
endif()

set(configure "${CMAKE_COMMAND}" -S "${project}" -G "${GENERATOR}" "${use_mavo}"
    "-DASSET_DIR=${assets}")
run(${configure} -B "${build}")
run("${CMAKE_COMMAND}" --build "${build}")
run("${build}/consumer")
run("${build}/assets" "${assets}")
# Taken in, mavo builds what the assets need and no mavo command.
file(GLOB_RECURSE commands "${build}/mavo${CMAKE_EXECUTABLE_SUFFIX}")
if(commands)
    message(FATAL_ERROR "a project that takes mavo in built the mavo command: ${commands}")
endif()

# Nothing changed: nothing to do.
run("${CMAKE_COMMAND}" --build "${build}")
dumps_in("${output}" dumps)
if(dumps OR output MATCHES "Building")
    message(FATAL_ERROR "a build with nothing changed did work:\n${output}")
endif()

# One asset edited: that one is dumped again, alone.
file(APPEND "${assets}/logo.bin" "edited")
run("${CMAKE_COMMAND}" --build "${build}")
dumps_in("${output}" dumps)
if(NOT dumps MATCHES "^mavo: logo_bin \\(logo.bin\\): [0-9,]+ -> [0-9,]+ bytes$")
    message(FATAL_ERROR "editing logo.bin dumped [${dumps}]:\n${output}")
endif()
run("${build}/assets" "${assets}")

# Calls that must fail at configure time, naming the files.
expect_failure("an asset that does not exist" "${assets}/missing.bin"
    ${configure} -B "${WORK}/missing" -DBREAK=missing)
expect_failure("two assets with one symbol" "${assets}/logo.bin;${assets}/more/logo.bin"
    ${configure} -B "${WORK}/duplicate" -DBREAK=duplicate)

if(MODE STREQUAL "package")
    # Without CMake: the compiler and pkg-config alone.
    find_program(PKG_CONFIG pkg-config REQUIRED)
    file(GLOB_RECURSE pc_file "${prefix}/*/mavo-codec.pc")
    get_filename_component(pc_dir "${pc_file}" DIRECTORY)
    set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
    execute_process(COMMAND "${PKG_CONFIG}" --cflags --libs mavo-codec
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(flags UNIX_COMMAND "${flags}")
    run("${C_COMPILER}" -std=c99 "${project}/consumer.c" -o "${WORK}/pkg-consumer" ${flags})
    run("${WORK}/pkg-consumer")

    # mavo_embed failing (here a file size limit stops its writes, and the
    # edited asset must be made again): the build fails, naming the file
    # in UTF-8, leaves every stream and header as the last good build made
    # it, and recovers once mavo_embed works.
    set(wrapper "${WORK}/limited-mavo_embed")
    file(WRITE "${wrapper}" "#!/bin/sh\nulimit -f 1\nexec '${prefix}/bin/mavo_embed' \"$@\"\n")
    file(CHMOD "${wrapper}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
    run(${configure} -B "${build}" "-DMAVO_EMBED_EXECUTABLE=${wrapper}")
    file(GLOB_RECURSE made "${build}/mavo_assets/*.h" "${build}/mavo_assets/*.c"
        "${build}/mavo_assets/*.enc")
    set(before "")
    foreach(file IN LISTS made)
        file(SHA256 "${file}" hash)
        list(APPEND before "${file}=${hash}")
    endforeach()
    string(REPEAT "font" 300 more)
    file(APPEND "${assets}/2-font.bin" "${more}")
    expect_failure("a build whose mavo_embed fails"
        "mavo_embed: ${build}/mavo_assets/;cannot write it: File too large"
        "${CMAKE_COMMAND}" --build "${build}")
    set(after "")
    foreach(file IN LISTS made)
        file(SHA256 "${file}" hash)
        list(APPEND after "${file}=${hash}")
    endforeach()
    if(NOT before STREQUAL after)
        message(FATAL_ERROR "a failed step changed what the last good build made")
    endif()
    run(${configure} -B "${build}" "-DMAVO_EMBED_EXECUTABLE=${prefix}/bin/mavo_embed")
    run("${CMAKE_COMMAND}" --build "${build}")
    run("${build}/assets" "${assets}")
endif()
