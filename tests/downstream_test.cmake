# Builds and runs tests/downstream, a C99 project using mavo, in WORK:
#   MODE=package       installs mavo's build tree MAVO_BUILD into a fresh
#                      prefix, checks what was installed, and builds the
#                      project with find_package, then with pkg-config alone
#   MODE=subdirectory  builds the project with mavo's sources (SOURCE_DIR)
#                      taken in by add_subdirectory
# GENERATOR is the generator the project is built with.
function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        string(REPLACE ";" " " command "${ARGV}")
        message(FATAL_ERROR "${command} failed (${status}):\n${out}")
    endif()
endfunction()

set(project "${SOURCE_DIR}/tests/downstream")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

if(MODE STREQUAL "package")
    set(prefix "${WORK}/prefix")
    run("${CMAKE_COMMAND}" --install "${MAVO_BUILD}" --prefix "${prefix}")
    # The public header under its package name; nothing of the tool's.
    file(GLOB_RECURSE headers RELATIVE "${prefix}" "${prefix}/include/*")
    if(NOT headers STREQUAL "include/mavo/codec.h")
        message(FATAL_ERROR "installed headers: ${headers}; expected include/mavo/codec.h only")
    endif()
    file(GLOB_RECURSE installed RELATIVE "${prefix}" "${prefix}/*")
    foreach(expected bin/mavo libmavo_codec.a mavoConfig.cmake mavoConfigVersion.cmake
                     mavoTargets.cmake pkgconfig/mavo-codec.pc)
        if(NOT installed MATCHES "(^|;)[^;]*${expected}(;|$)")
            message(FATAL_ERROR "${expected} was not installed: ${installed}")
        endif()
    endforeach()

    run("${CMAKE_COMMAND}" -S "${project}" -B "${WORK}/build" -G "${GENERATOR}"
        "-DCMAKE_PREFIX_PATH=${prefix}")
    run("${CMAKE_COMMAND}" --build "${WORK}/build")
    run("${WORK}/build/consumer")

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
else()
    run("${CMAKE_COMMAND}" -S "${project}" -B "${WORK}/build" -G "${GENERATOR}"
        "-DMAVO_SOURCE_DIR=${SOURCE_DIR}")
    run("${CMAKE_COMMAND}" --build "${WORK}/build")
    run("${WORK}/build/consumer")
endif()
