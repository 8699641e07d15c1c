# Runs an example and checks that it gave ORIGINAL back (or, with OFFSET
# and LENGTH, that part of it). PROGRAM writes the file EXPANDED that it is
# given; COMMAND (a list) writes to its standard output, which goes to
# EXPANDED. With MAVO, ORIGINAL is compressed first into STREAM_DIR (the
# command's stream is STREAM_DIR/<ORIGINAL's name>.enc).
if(MAVO)
    file(REMOVE_RECURSE "${STREAM_DIR}")
    file(COPY "${ORIGINAL}" DESTINATION "${STREAM_DIR}")
    get_filename_component(name "${ORIGINAL}" NAME)
    execute_process(COMMAND "${MAVO}" "${name}" WORKING_DIRECTORY "${STREAM_DIR}"
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
if(PROGRAM)
    execute_process(COMMAND "${PROGRAM}" "${EXPANDED}" RESULT_VARIABLE status)
else()
    execute_process(COMMAND ${COMMAND} OUTPUT_FILE "${EXPANDED}" RESULT_VARIABLE status)
endif()
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM}${COMMAND} failed: ${status}")
endif()
if(DEFINED OFFSET)
    file(READ "${ORIGINAL}" expected OFFSET ${OFFSET} LIMIT ${LENGTH} HEX)
    file(READ "${EXPANDED}" got HEX)
    if(NOT got STREQUAL expected)
        message(FATAL_ERROR "${EXPANDED} is not bytes ${OFFSET}.. of ${ORIGINAL}")
    endif()
    return()
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${EXPANDED}" "${ORIGINAL}"
    RESULT_VARIABLE differ)
if(NOT differ EQUAL 0)
    message(FATAL_ERROR "${EXPANDED} differs from ${ORIGINAL}")
endif()
