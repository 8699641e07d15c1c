# Cross-builds projects/vendor_sdk/app with the stand-in board SDK
# beside it (its own system name, finds confined to its sysroot, the
# board's options on a runtime library) in WORK, taking mavo in one way,
# MODE, with the README's lines alone:
#   subdirectory  mavo's source tree SOURCE_DIR, by add_subdirectory
#   fetch         FetchContent from a git repository of SOURCE_DIR's files
#                 as they are now, made in WORK
#   package       the mavo build INSTALL_FROM installed into WORK/prefix,
#                 found through mavo_DIR (the SDK's sysroot hides it from
#                 CMAKE_PREFIX_PATH, as checked); its installed mavo runs
#                 the steps
# Both programs must pass on QEMU's microbit board (RUN, the command that
# runs a program there: mavo_qemu_command in cmake/MavoQemu.cmake), the one
# that calls decode_block() alone must carry no other codec function, and
# a second build must run nothing. With `fetch`, an edit to one of mavo's
# sources builds the build machine's mavo again, and then nothing runs
# again.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")

set(fixture "${CMAKE_CURRENT_LIST_DIR}/projects/vendor_sdk")
set(build "${WORK}/build")
file(REMOVE_RECURSE "${WORK}")

# A git repository holding SOURCE_DIR's files as they are (committed or
# not), for FetchContent to clone as it would clone mavo's own; its commit
# goes to `out_commit`.
function(make_repository repository out_commit)
    find_program(GIT git REQUIRED)
    run("${GIT}" -C "${SOURCE_DIR}" ls-files --cached --others --exclude-standard)
    string(REGEX REPLACE "\n$" "" files "${output}")
    string(REPLACE "\n" ";" files "${files}")
    foreach(file IN LISTS files)
        if(EXISTS "${SOURCE_DIR}/${file}")
            get_filename_component(dir "${repository}/${file}" DIRECTORY)
            file(COPY "${SOURCE_DIR}/${file}" DESTINATION "${dir}")
        endif()
    endforeach()
    set(git "${GIT}" -C "${repository}" -c user.name=mavo-test -c user.email=mavo-test@localhost
        -c commit.gpgsign=false)
    run(${git} init --quiet)
    run(${git} add --all)
    run(${git} commit --quiet -m "mavo as the test found it")
    run(${git} rev-parse HEAD)
    string(STRIP "${output}" commit)
    set(${out_commit} "${commit}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "subdirectory")
    set(use_mavo "-DMAVO_SOURCE_DIR=${SOURCE_DIR}")
elseif(MODE STREQUAL "fetch")
    make_repository("${WORK}/mavo.git" commit)
    set(use_mavo "-DMAVO_REPOSITORY=${WORK}/mavo.git" "-DMAVO_TAG=${commit}")
elseif(MODE STREQUAL "package")
    set(prefix "${WORK}/prefix")
    run("${CMAKE_COMMAND}" --install "${INSTALL_FROM}" --prefix "${prefix}")
    file(GLOB_RECURSE config "${prefix}/*/mavoConfig.cmake")
    get_filename_component(config_dir "${config}" DIRECTORY)
    set(use_mavo "-Dmavo_DIR=${config_dir}")
else()
    message(FATAL_ERROR "MODE must be subdirectory, fetch or package, not '${MODE}'")
endif()

set(configure "${CMAKE_COMMAND}" -S "${fixture}/app" -G Ninja -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
    "-DCMAKE_TOOLCHAIN_FILE=${fixture}/sdk/toolchain.cmake" -DCMAKE_BUILD_TYPE=MinSizeRel
    -DMAVO_FROM=${MODE} "-DASSET=${SOURCE_DIR}/examples/asset.bin")
# The SDK's sysroot is all its finds see: the prefix alone finds no mavo.
if(MODE STREQUAL "package")
    expect_failure("find_package past the SDK's sysroot" "mavoConfig.cmake"
        ${configure} -B "${WORK}/prefix-path" "-DCMAKE_PREFIX_PATH=${prefix}")
endif()
run(${configure} -B "${build}" ${use_mavo})
run("${CMAKE_COMMAND}" --build "${build}")
if(MODE STREQUAL "package" AND EXISTS "${build}/mavo_host")
    message(FATAL_ERROR "the package's own mavo was not used: mavo was built again")
endif()

# The board's options library, handed to the codec by the project's last
# line, reaches every source of the codec.
file(READ "${build}/compile_commands.json" commands)
string(JSON count LENGTH "${commands}")
math(EXPR last "${count} - 1")
set(codec_sources 0)
foreach(i RANGE ${last})
    string(JSON file GET "${commands}" ${i} file)
    string(JSON command GET "${commands}" ${i} command)
    if(file MATCHES "/(decoder|encoder|seek|smallest|reader)\\.cpp$")
        math(EXPR codec_sources "${codec_sources} + 1")
        if(NOT command MATCHES "-DBOARD_NRF51822=1")
            message(FATAL_ERROR "the codec's ${file} is compiled without the board's options:\n"
                "${command}")
        endif()
    endif()
endforeach()
if(codec_sources LESS 5)
    message(FATAL_ERROR "the codec's sources are not among the compile commands:\n${commands}")
endif()

foreach(program app block_only)
    run(${RUN} "${build}/${program}.elf")
    message(STATUS "${output}")
endforeach()

# What block_only carries of the codec: decode_block(), and none of the
# functions it never calls.
find_program(NM arm-none-eabi-nm REQUIRED)
run("${NM}" --print-size --size-sort "${build}/block_only.elf")
set(symbols "${output}")
if(NOT symbols MATCHES " [Tt] decode_block\n")
    message(FATAL_ERROR "block_only has no decode_block:\n${symbols}")
endif()
foreach(uncalled decode_step encode_step index_stream decode_seek decoded_size)
    if(symbols MATCHES " [Tt] ${uncalled}\n")
        message(FATAL_ERROR "block_only never calls ${uncalled}, but its link holds it:\n${symbols}")
    endif()
endforeach()
string(REGEX MATCH "([0-9a-f]+) [Tt] decode_block" _ "${symbols}")
math(EXPR size "0x${CMAKE_MATCH_1}")
message(STATUS "block_only carries decode_block (${size} bytes) and nothing else of the codec")

# Nothing changed: nothing runs, not even the build machine's mavo's step.
function(expect_no_work what)
    run("${CMAKE_COMMAND}" --build "${build}")
    string(STRIP "${output}" said)
    if(NOT said STREQUAL "ninja: no work to do.")
        message(FATAL_ERROR "${what} ran something:\n${output}")
    endif()
endfunction()
expect_no_work("a second build")

# One of mavo_embed's sources edited: its mavo_embed for the build machine
# is built again, and after that nothing runs again; a source of the mavo
# command alone builds nothing.
if(MODE STREQUAL "fetch")
    file(TOUCH "${build}/_deps/mavo-src/platform/files.cpp")
    run("${CMAKE_COMMAND}" --build "${build}")
    if(NOT output MATCHES "Performing build step for 'mavo_host_tools'" OR
       NOT output MATCHES "Linking CXX executable[^\n]*mavo_embed")
        message(FATAL_ERROR "an edit to mavo's platform/files.cpp did not build mavo_embed "
            "again:\n${output}")
    endif()
    file(TOUCH "${build}/_deps/mavo-src/tool/messages.cpp")
    expect_no_work("a build after mavo_embed was built again and the command's source edited")
endif()
