# MavoAssetProgram.cmake - mavo_embed for the build machine, the one program
# that mavo_add_assets() runs for each asset: where it is found, or how it
# is built. Part of mavo_add_assets().
#
# In this order: MAVO_EMBED_EXECUTABLE; mavo_embed beside MAVO_EXECUTABLE
# (an installed mavo); this build's own, where it runs on the build machine
# with one configuration; an installed package's or one on the PATH (past a
# cross toolchain's find root, which would hide both); else mavo_embed built
# from mavo's sources for the build machine, in Release, as a project of its
# own inside this build (again only when those sources change).

set(MAVO_EMBED_EXECUTABLE "" CACHE FILEPATH
    "mavo_embed for the build machine, for mavo_add_assets (empty: found or built)")

# Whether mavo::embed is this build's own target (mavo in-tree).
function(_mavo_in_tree out)
    set(in_tree FALSE)
    if(TARGET mavo::embed)
        get_target_property(imported mavo::embed IMPORTED)
        if(NOT imported)
            set(in_tree TRUE)
        endif()
    endif()
    set(${out} ${in_tree} PARENT_SCOPE)
endfunction()

# A file the user named for a program, which must exist.
function(_mavo_given_program variable what)
    if(${variable} AND NOT EXISTS "${${variable}}")
        message(FATAL_ERROR "mavo_add_assets: ${variable} is ${${variable}}, which does not "
            "exist; build or install ${what} there, or leave ${variable} unset")
    endif()
endfunction()

# mavo_embed as a file given or installed; empty when there is none. With
# `installed`, the package's (through mavo_DIR) and the PATH are searched.
function(_mavo_find_program installed out)
    _mavo_given_program(MAVO_EMBED_EXECUTABLE mavo_embed)
    _mavo_given_program(MAVO_EXECUTABLE mavo)
    set(${out} "${MAVO_EMBED_EXECUTABLE}" PARENT_SCOPE)
    if(MAVO_EMBED_EXECUTABLE)
        return()
    endif()
    if(MAVO_EXECUTABLE)
        get_filename_component(dir "${MAVO_EXECUTABLE}" DIRECTORY)
        find_program(MAVO_EMBED_BESIDE_MAVO mavo_embed HINTS "${dir}" "${dir}/../assets"
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH DOC "mavo_embed beside MAVO_EXECUTABLE")
        if(MAVO_EMBED_BESIDE_MAVO)
            set(${out} "${MAVO_EMBED_BESIDE_MAVO}" PARENT_SCOPE)
            return()
        endif()
    endif()
    if(installed)
        set(hints "")
        if(mavo_DIR)
            list(APPEND hints "${mavo_DIR}/../../../bin")
        endif()
        find_program(MAVO_EMBED_FOUND mavo_embed HINTS ${hints} NO_CMAKE_FIND_ROOT_PATH
            DOC "mavo_embed for the build machine, found by mavo_add_assets")
        if(MAVO_EMBED_FOUND)
            set(${out} "${MAVO_EMBED_FOUND}" PARENT_SCOPE)
        endif()
    endif()
endfunction()

# The project that builds mavo_embed for the build machine: its source,
# build folder, configure arguments and the program it makes.
function(_mavo_host_project out_source out_build out_args out_program)
    # In mavo's source tree (assets/); an installed package has no sources.
    set(assets_dir "${CMAKE_CURRENT_FUNCTION_LIST_DIR}")
    if(NOT EXISTS "${assets_dir}/../codec/codec.h")
        message(FATAL_ERROR "mavo_add_assets: no mavo_embed to run on this machine, and this "
            "mavo package has no sources to build one. Install mavo for the build machine and "
            "set MAVO_EMBED_EXECUTABLE to its mavo_embed, or put it on the PATH.")
    endif()
    cmake_path(GET assets_dir PARENT_PATH source)
    set(bin "${CMAKE_BINARY_DIR}/mavo_host/bin")
    set(exe "")
    if(CMAKE_HOST_WIN32)
        set(exe ".exe")
    endif()
    set(${out_source} "${source}" PARENT_SCOPE)
    set(${out_build} "${CMAKE_BINARY_DIR}/mavo_host/build" PARENT_SCOPE)
    set(${out_program} "${bin}/mavo_embed${exe}" PARENT_SCOPE)
    # The tool for the build machine, whatever this build is for.
    set(${out_args} -DCMAKE_BUILD_TYPE=Release -DMAVO_BUILD_TESTS=OFF -DMAVO_BUILD_EXAMPLES=OFF
        -DMAVO_BUILD_TOOL=ON -DMAVO_INSTALL=OFF "-DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${bin}"
        "-DCMAKE_RUNTIME_OUTPUT_DIRECTORY_RELEASE=${bin}" PARENT_SCOPE)
endfunction()

# A single-configuration generator for the host project, whatever this
# build uses.
function(_mavo_host_generator out)
    if(CMAKE_GENERATOR MATCHES "Ninja")
        set(${out} Ninja PARENT_SCOPE)
    else()
        set(${out} "${CMAKE_GENERATOR}" PARENT_SCOPE)
    endif()
endfunction()

# Builds the host project as part of the build (an external project), once;
# the program goes to `out_program`.
function(_mavo_host_build out_program)
    _mavo_host_project(source build args program)
    set(${out_program} "${program}" PARENT_SCOPE)
    if(TARGET mavo_host_tools)
        return()
    endif()
    _mavo_host_generator(generator)
    include(ExternalProject)
    ExternalProject_Add(mavo_host_tools
        SOURCE_DIR "${source}"
        PREFIX "${CMAKE_BINARY_DIR}/mavo_host"
        BINARY_DIR "${build}"
        CMAKE_GENERATOR "${generator}"
        CMAKE_ARGS ${args}
        BUILD_COMMAND "${CMAKE_COMMAND}" --build <BINARY_DIR> --config Release --target mavo_embed
        INSTALL_COMMAND ""
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS "${program}"
        USES_TERMINAL_BUILD ON)
endfunction()

# Builds the host project now, while configuring, once; the program goes to
# `out_program`.
function(_mavo_host_build_now out_program)
    _mavo_host_project(source build args program)
    set(${out_program} "${program}" PARENT_SCOPE)
    get_property(built GLOBAL PROPERTY MAVO_HOST_BUILT_NOW)
    if(built)
        return()
    endif()
    _mavo_host_generator(generator)
    message(STATUS "mavo_add_assets: building mavo_embed for the build machine in ${build}")
    execute_process(COMMAND "${CMAKE_COMMAND}" -S "${source}" -B "${build}" -G "${generator}" ${args}
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(status EQUAL 0)
        execute_process(COMMAND "${CMAKE_COMMAND}" --build "${build}" --config Release
            --target mavo_embed RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    endif()
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "mavo_add_assets: building mavo_embed for the build machine failed:\n${out}")
    endif()
    set_property(GLOBAL PROPERTY MAVO_HOST_BUILT_NOW ON)
endfunction()

# The program as a file that runs now, for assets made while configuring.
function(_mavo_program_now out)
    _mavo_in_tree(in_tree)
    if(in_tree)
        _mavo_find_program(FALSE program)
    else()
        _mavo_find_program(TRUE program)
    endif()
    if(NOT program)
        _mavo_host_build_now(program)
    endif()
    set(${out} "${program}" PARENT_SCOPE)
endfunction()

# The program as the build steps run it (`out_command`), and what they wait
# for: the file, and the target that makes it, if any (`out_depends`).
function(_mavo_program out_command out_depends)
    get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
    _mavo_in_tree(in_tree)
    # In-tree with several configurations each would have its own
    # mavo_embed, and switching would run every step again: the host build
    # makes one.
    set(own_runs_here FALSE)
    if(TARGET mavo::embed AND NOT CMAKE_CROSSCOMPILING AND NOT (multi_config AND in_tree))
        set(own_runs_here TRUE)
    endif()
    set(look_installed FALSE)
    if(NOT own_runs_here AND (CMAKE_CROSSCOMPILING OR NOT in_tree))
        set(look_installed TRUE)
    endif()
    _mavo_find_program(${look_installed} program)
    set(depends "${program}")
    if(NOT program AND own_runs_here)
        set(program "$<TARGET_FILE:mavo::embed>")
        get_target_property(aliased mavo::embed ALIASED_TARGET)
        set(depends "${program}")
        if(aliased)
            list(APPEND depends "${aliased}")
        endif()
    elseif(NOT program)
        _mavo_host_build(program)
        set(depends "${program}" mavo_host_tools)
    endif()
    set(${out_command} "${program}" PARENT_SCOPE)
    set(${out_depends} "${depends}" PARENT_SCOPE)
endfunction()
