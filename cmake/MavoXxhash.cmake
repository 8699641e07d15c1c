# mavo_xxhash_header(<var>): finds xxHash's header (Debian: libxxhash-dev)
# on the build machine and copies it into the build tree, so that a cross
# build (Windows, firmware) can use it header-only without the build
# machine's other headers. <var> receives the folder to add to the include
# path.
function(mavo_xxhash_header out)
    find_file(MAVO_XXHASH_HEADER xxhash.h PATHS /usr/include /usr/local/include
        NO_CMAKE_FIND_ROOT_PATH
        DOC "xxHash's header, used header-only")
    if(NOT MAVO_XXHASH_HEADER)
        message(FATAL_ERROR "xxhash.h not found: install xxHash (Debian: libxxhash-dev), "
            "or set MAVO_XXHASH_HEADER to it")
    endif()
    set(dir "${PROJECT_BINARY_DIR}/xxhash")
    configure_file("${MAVO_XXHASH_HEADER}" "${dir}/xxhash.h" COPYONLY)
    set(${out} "${dir}" PARENT_SCOPE)
endfunction()
