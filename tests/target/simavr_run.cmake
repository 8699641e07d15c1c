# simavr_run, the host program that runs an AVR program under simavr, built
# with the build machine's C compiler (this build's compiler is avr-gcc) and
# linked with libsimavr, found through pkg-config (packages libsimavr-dev,
# libelf-dev, pkgconf): this build's own search paths are avr-gcc's.
# Sets SIMAVR_RUN.
find_program(MAVO_HOST_CC NAMES cc gcc clang REQUIRED
    DOC "the build machine's C compiler, for simavr_run")
find_program(MAVO_PKG_CONFIG NAMES pkg-config pkgconf REQUIRED)
execute_process(COMMAND "${MAVO_PKG_CONFIG}" --cflags --libs simavr
    OUTPUT_VARIABLE simavr_flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "pkg-config finds no simavr: install libsimavr-dev and libelf-dev")
endif()
separate_arguments(simavr_flags UNIX_COMMAND "${simavr_flags}")
set(SIMAVR_RUN "${CMAKE_CURRENT_BINARY_DIR}/simavr_run")
add_custom_command(
    OUTPUT "${SIMAVR_RUN}"
    COMMAND "${MAVO_HOST_CC}" -O2 -Wall -Wextra "${CMAKE_CURRENT_LIST_DIR}/simavr_run.c"
            -o "${SIMAVR_RUN}" ${simavr_flags} -lelf
    DEPENDS "${CMAKE_CURRENT_LIST_DIR}/simavr_run.c"
    COMMENT "Building simavr_run for the build machine"
    VERBATIM)
add_custom_target(simavr_runner ALL DEPENDS "${SIMAVR_RUN}")
