# Builds projects/cxx_only (a C++ project without C, mavo from
# SOURCE_DIR) in WORK, once with each of EMBEDDINGS (a comma-separated
# list), and runs its program; then once more in a build folder with a `#`
# in its path, where the asset is made while configuring: an edit to it
# must reach the program all the same. With TOOLCHAIN (a toolchain file)
# it is a cross build instead, once with each of EMBEDDINGS, whose program
# RUNNER runs (Wine, for Windows). EXTRA holds further configure arguments
# (compilers, strict warning flags); QUICK leaves out the build folder with
# a `#`.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(asset "${WORK}/asset.bin")
file(COPY_FILE "${SOURCE_DIR}/examples/asset.bin" "${asset}")

set(cross "")
if(TOOLCHAIN)
    set(cross "-DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}")
endif()
function(build_and_run build embedding)
    run("${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/projects/cxx_only" -B "${build}" -G Ninja
        "-DMAVO_SOURCE_DIR=${SOURCE_DIR}" "-DASSET=${asset}" "-DMAVO_ASSET_EMBEDDING=${embedding}"
        ${cross} ${EXTRA})
    run("${CMAKE_COMMAND}" --build "${build}")
    file(GLOB program "${build}/app" "${build}/app.exe")
    run(${RUNNER} "${program}")
endfunction()

string(REPLACE "," ";" embeddings "${EMBEDDINGS}")
foreach(embedding IN LISTS embeddings)
    build_and_run("${WORK}/${embedding}" "${embedding}")
endforeach()

if(TOOLCHAIN OR QUICK)
    return()
endif()
set(build "${WORK}/hash#build")
build_and_run("${build}" incbin)
file(APPEND "${asset}" "edited: a few more bytes")
run("${CMAKE_COMMAND}" --build "${build}")
if(NOT output MATCHES "mavo: asset_bin \\(asset.bin\\): ")
    message(FATAL_ERROR "the edited asset was not made again:\n${output}")
endif()
run("${build}/app")
run("${CMAKE_COMMAND}" --build "${build}")
if(output MATCHES "mavo: |Re-running")
    message(FATAL_ERROR "a build with nothing changed did work:\n${output}")
endif()
