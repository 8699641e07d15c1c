# Runs an embedding example and checks that it gave the original file back.
execute_process(COMMAND "${PROGRAM}" "${EXPANDED}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} failed: ${status}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${EXPANDED}" "${ORIGINAL}"
    RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${EXPANDED} differs from ${ORIGINAL}")
endif()
