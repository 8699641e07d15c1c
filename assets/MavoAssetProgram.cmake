# MavoAssetProgram.cmake - mavo_embed for the build machine, the one program
# that mavo_add_assets() runs for each asset: where it is found, or how it
# is built. Part of mavo_add_assets().
#
# In this order: MAVO_EMBED_EXECUTABLE; mavo_embed beside MAVO_EXECUTABLE
# (an installed mavo); this build's own, where it runs on the build machine
# with one configuration; an installed package's or one on the PATH (past a
# cross toolchain's find root, which would hide both); else mavo_embed built
# from mavo's sources for the build machine, in Release, as a project of its
# own inside this build, again only when one of those sources changes.

set(MAVO_EMBED_EXECUTABLE "" CACHE FILEPATH
    "mavo_embed for the build machine, for mavo_add_assets (empty: found or built)")

# mavo_embed as a file given or installed; false (empty or NOTFOUND) when
# there is none. With `installed`, the package's (through mavo_DIR) and the
# PATH are searched.
function(_mavo_find_program installed out)
    foreach(given MAVO_EMBED_EXECUTABLE MAVO_EXECUTABLE)
        if(${given} AND NOT EXISTS "${${given}}")
            message(FATAL_ERROR "mavo_add_assets: ${given} is ${${given}}, which does not "
                "exist; build or install mavo there, or leave ${given} unset")
        endif()
    endforeach()
    set(${out} "${MAVO_EMBED_EXECUTABLE}" PARENT_SCOPE)
    if(MAVO_EMBED_EXECUTABLE)
        return()
    endif()
    set(where NO_DEFAULT_PATH)
    set(hints "")
    if(MAVO_EXECUTABLE)
        get_filename_component(dir "${MAVO_EXECUTABLE}" DIRECTORY)
        set(hints "${dir}" "${dir}/../assets")
    elseif(installed)
        set(where "")
        if(mavo_DIR)
            set(hints "${mavo_DIR}/../../../bin")
        endif()
    else()
        return()
    endif()
    find_program(MAVO_EMBED_FOUND mavo_embed HINTS ${hints} ${where} NO_CMAKE_FIND_ROOT_PATH
        DOC "mavo_embed for the build machine, found by mavo_add_assets")
    set(${out} "${MAVO_EMBED_FOUND}" PARENT_SCOPE)
endfunction()

# mavo_embed built from mavo's source tree (the folder above this one) for
# the build machine, in a folder of this
# build, as part of the build (an external project), or, `now`, while
# configuring; mavo_embed goes to `out`. The same project and programs serve
# every call.
function(_mavo_host_build now out)
    # An installed package has no sources.
    cmake_path(GET CMAKE_CURRENT_FUNCTION_LIST_DIR PARENT_PATH host_source)
    if(NOT EXISTS "${host_source}/codec/codec.h")
        message(FATAL_ERROR "mavo_add_assets: no mavo_embed to run on this machine, and this "
            "mavo package has no sources to build one. Install mavo for the build machine and "
            "set MAVO_EMBED_EXECUTABLE to its mavo_embed, or put it on the PATH.")
    endif()
    set(bin "${CMAKE_BINARY_DIR}/mavo_host/bin")
    set(host_build "${CMAKE_BINARY_DIR}/mavo_host/build")
    set(host_program "${bin}/mavo_embed${CMAKE_HOST_EXECUTABLE_SUFFIX}")
    set(${out} "${host_program}" PARENT_SCOPE)
    # A single-configuration generator whatever this build uses, and the
    # tool for the build machine whatever this build is for.
    string(REPLACE "Ninja Multi-Config" "Ninja" host_generator "${CMAKE_GENERATOR}")
    set(host_args -DCMAKE_BUILD_TYPE=Release -DMAVO_BUILD_TESTS=OFF -DMAVO_BUILD_EXAMPLES=OFF
        -DMAVO_BUILD_TOOL=OFF -DMAVO_QUICK_EMBED=ON -DMAVO_INSTALL=OFF "-DCMAKE_RUNTIME_OUTPUT_DIRECTORY=${bin}"
        "-DCMAKE_RUNTIME_OUTPUT_DIRECTORY_RELEASE=${bin}")
    get_property(built GLOBAL PROPERTY MAVO_HOST_BUILT_NOW)
    if(now AND NOT built)
        message(STATUS "mavo_add_assets: building mavo_embed for the build machine in ${host_build}")
        execute_process(COMMAND "${CMAKE_COMMAND}" -S "${host_source}" -B "${host_build}"
                                -G "${host_generator}" ${host_args}
            RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
        if(status EQUAL 0)
            execute_process(COMMAND "${CMAKE_COMMAND}" --build "${host_build}" --config Release
                --target mavo_embed RESULT_VARIABLE status OUTPUT_VARIABLE log
                ERROR_VARIABLE log)
        endif()
        if(NOT status EQUAL 0)
            message(FATAL_ERROR "mavo_add_assets: building mavo_embed for the build machine "
                "failed:\n${log}")
        endif()
        set_property(GLOBAL PROPERTY MAVO_HOST_BUILT_NOW ON)
    elseif(NOT now AND NOT TARGET mavo_host_tools)
        include(ExternalProject)
        ExternalProject_Add(mavo_host_tools
            SOURCE_DIR "${host_source}"
            PREFIX "${CMAKE_BINARY_DIR}/mavo_host"
            BINARY_DIR "${host_build}"
            CMAKE_GENERATOR "${host_generator}"
            CMAKE_ARGS ${host_args}
            BUILD_COMMAND "${CMAKE_COMMAND}" --build <BINARY_DIR> --config Release
                --target mavo_embed
            INSTALL_COMMAND ""
            BUILD_BYPRODUCTS "${host_program}"
            USES_TERMINAL_BUILD ON)
        # mavo's own files that make the program: its sources and the CMake
        # files that build them (each folder's, not recursively: the source
        # tree may hold build folders). Nothing else reruns the build step,
        # so a build with nothing changed runs no step at all.
        file(GLOB inputs LIST_DIRECTORIES false "${host_source}/CMakeLists.txt"
            "${host_source}/cmake/*.cmake" "${host_source}/cmake/package/*.cmake"
            "${host_source}/codec/*" "${host_source}/reader/*" "${host_source}/platform/*"
            "${host_source}/assets/*")
        ExternalProject_Add_StepDependencies(mavo_host_tools build ${inputs})
    endif()
endfunction()

# The program as the steps run it (`out_command`), and what they wait for:
# the file, and the target that makes it, if any (`out_depends`). `now`:
# as a file that runs now, for assets made while configuring.
function(_mavo_program now out_command out_depends)
    get_property(multi_config GLOBAL PROPERTY GENERATOR_IS_MULTI_CONFIG)
    # mavo_embed is this build's own when it is a target not imported.
    set(imported TRUE)
    if(TARGET mavo::embed)
        get_target_property(imported mavo::embed IMPORTED)
    endif()
    # In-tree with several configurations each would have its own
    # mavo_embed, and switching would run every step again: the host build
    # makes one.
    set(own_runs_here FALSE)
    if(NOT now AND TARGET mavo::embed AND NOT CMAKE_CROSSCOMPILING
       AND NOT (multi_config AND NOT imported))
        set(own_runs_here TRUE)
    endif()
    set(installed FALSE)
    if(NOT own_runs_here AND (CMAKE_CROSSCOMPILING OR imported))
        set(installed TRUE)
    endif()
    _mavo_find_program(${installed} program)
    set(depends "${program}")
    if(NOT program AND own_runs_here)
        set(program "$<TARGET_FILE:mavo::embed>")
        set(depends "${program}")
        get_target_property(aliased mavo::embed ALIASED_TARGET)
        if(aliased)
            list(APPEND depends "${aliased}")
        endif()
    elseif(NOT program)
        _mavo_host_build("${now}" program)
        set(depends "${program}" mavo_host_tools)
    endif()
    set(${out_command} "${program}" PARENT_SCOPE)
    set(${out_depends} "${depends}" PARENT_SCOPE)
endfunction()
