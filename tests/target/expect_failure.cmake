# Runs COMMAND (a list), the target test built to fail, and passes when it
# ends with status 1 and its output names the check made to fail.
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE output
    ERROR_VARIABLE errors TIMEOUT 50)
message("${output}${errors}")
if(NOT status STREQUAL "1")
    message(FATAL_ERROR "the broken build ended with '${status}', not 1")
endif()
if(NOT "${output}${errors}" MATCHES "FAILED: AAAA")
    message(FATAL_ERROR "the broken build did not report the AAAA stream")
endif()
