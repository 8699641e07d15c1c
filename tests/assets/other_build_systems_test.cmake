# The examples for build systems other than CMake (examples/make/Makefile,
# examples/meson/meson.build), built in WORK against mavo's build tree
# MAVO_BUILD installed into a fresh prefix, the way their comments say:
# each program must expand its asset byte for byte, and a second build must
# do nothing.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")

set(prefix "${WORK}/prefix")
set(asset "${SOURCE_DIR}/examples/asset.bin")
file(REMOVE_RECURSE "${WORK}")
run("${CMAKE_COMMAND}" --install "${MAVO_BUILD}" --prefix "${prefix}")

function(expect_expanded program)
    run("${program}" "${WORK}/expanded.bin")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${asset}" "${WORK}/expanded.bin"
        RESULT_VARIABLE differ)
    if(differ)
        message(FATAL_ERROR "${program} did not expand ${asset} byte for byte")
    endif()
endfunction()

# make, in a folder of its own.
file(MAKE_DIRECTORY "${WORK}/make")
set(make make -C "${WORK}/make" -f "${SOURCE_DIR}/examples/make/Makefile" "MAVO=${prefix}")
run(${make})
expect_expanded("${WORK}/make/embed_decode")
run(${make})
if(NOT output MATCHES "is up to date")
    message(FATAL_ERROR "a second make did work:\n${output}")
endif()

# Meson, with mavo_embed on the PATH and the codec through pkg-config.
file(GLOB_RECURSE pc_file "${prefix}/*/mavo-codec.pc")
get_filename_component(pc_dir "${pc_file}" DIRECTORY)
set(ENV{PKG_CONFIG_PATH} "${pc_dir}")
set(ENV{PATH} "${prefix}/bin:$ENV{PATH}")
run(meson setup "${WORK}/meson" "${SOURCE_DIR}/examples/meson")
run(meson compile -C "${WORK}/meson")
expect_expanded("${WORK}/meson/embed_decode")
run(meson compile -C "${WORK}/meson")
if(NOT output MATCHES "no work to do")
    message(FATAL_ERROR "a second meson compile did work:\n${output}")
endif()
