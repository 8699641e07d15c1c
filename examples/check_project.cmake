# Builds examples/project (PROJECT) in WORK with mavo's source tree
# (SOURCE_DIR) as its README says, runs it, and checks that it printed its
# logo.bin whole.
file(REMOVE_RECURSE "${WORK}")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${PROJECT}" -B "${WORK}" -G Ninja
                        "-DMAVO_SOURCE=${SOURCE_DIR}"
    OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE status)
if(status EQUAL 0)
    execute_process(COMMAND "${CMAKE_COMMAND}" --build "${WORK}"
        OUTPUT_VARIABLE out ERROR_VARIABLE out RESULT_VARIABLE status)
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the project did not build:\n${out}")
endif()
execute_process(COMMAND "${WORK}/hello_logo" OUTPUT_VARIABLE printed RESULT_VARIABLE status)
file(READ "${PROJECT}/logo.bin" logo)
string(FIND "${printed}" "${logo}(" at)
if(NOT status EQUAL 0 OR NOT at EQUAL 0)
    message(FATAL_ERROR "hello_logo gave ${status} and printed:\n${printed}")
endif()
