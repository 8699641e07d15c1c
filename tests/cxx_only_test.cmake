# Builds tests/downstream/cxx_only (a C++ project without C, mavo from
# SOURCE_DIR) in WORK, once with each of EMBEDDINGS (a comma-separated
# list), and runs its program.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")
file(REMOVE_RECURSE "${WORK}")
string(REPLACE "," ";" embeddings "${EMBEDDINGS}")
foreach(embedding IN LISTS embeddings)
    set(build "${WORK}/${embedding}")
    run("${CMAKE_COMMAND}" -S "${SOURCE_DIR}/tests/downstream/cxx_only" -B "${build}" -G Ninja
        "-DMAVO_SOURCE_DIR=${SOURCE_DIR}" "-DASSET=${SOURCE_DIR}/examples/asset.bin"
        "-DMAVO_ASSET_EMBEDDING=${embedding}")
    run("${CMAKE_COMMAND}" --build "${build}")
    run("${build}/app")
endforeach()
