# The helpers of the test scripts that build projects (run with cmake -P).

# run(COMMAND...): runs a command, failing the test with its output when it
# fails; its output goes to `output` in the caller.
function(run)
    execute_process(COMMAND ${ARGV} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        string(REPLACE ";" " " command "${ARGV}")
        message(FATAL_ERROR "${command} failed (${status}):\n${out}")
    endif()
    set(output "${out}" PARENT_SCOPE)
endfunction()

# expect_failure(WHAT TEXTS COMMAND...): the command must fail, and its
# output (lines joined, spaces squeezed) must hold each of TEXTS; the output
# goes to `output` in the caller.
function(expect_failure what expected_text)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(status EQUAL 0)
        message(FATAL_ERROR "${what} did not fail:\n${out}")
    endif()
    string(REPLACE "\n" " " flat "${out}")
    string(REGEX REPLACE " +" " " flat "${flat}")
    foreach(text IN LISTS expected_text)
        string(FIND "${flat}" "${text}" found)
        if(found EQUAL -1)
            message(FATAL_ERROR "${what} failed without naming ${text}:\n${out}")
        endif()
    endforeach()
    set(output "${out}" PARENT_SCOPE)
endfunction()
