# Prints the code size of each codec function in each of LIBRARIES (the
# codec at -Os for one CPU each), index_stream and decode_seek among them,
# and fails when the decoders or decode_seek outgrow their budget, or when
# the decoder or the seek calls anything but the C library's memory
# functions (and, for the seek, the decoder's decoded_size).
set(budget_decode_step 192)
set(budget_decode_block 320)
set(budget_decode_seek 256)
set(failed FALSE)
foreach(library IN LISTS LIBRARIES)
    get_filename_component(name "${library}" NAME_WE)
    execute_process(COMMAND "${NM}" --size-sort -S "${library}" OUTPUT_VARIABLE sizes
        COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND "${NM}" -u "${library}" OUTPUT_VARIABLE calls
        COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "[0-9a-f]+ [0-9a-f]+ [Tt] [A-Za-z_0-9]+" entries "${sizes}")
    foreach(entry IN LISTS entries)
        string(REGEX MATCH "^[0-9a-f]+ ([0-9a-f]+) [Tt] (.+)$" ignored "${entry}")
        math(EXPR bytes "0x${CMAKE_MATCH_1}")
        set(function "${CMAKE_MATCH_2}")
        message(STATUS "${name} ${function}: ${bytes} bytes")
        if(DEFINED budget_${function} AND bytes GREATER budget_${function}
           AND name MATCHES "cortex-m0")
            message(SEND_ERROR "${function} is ${bytes} bytes on Cortex-M0, over its ${budget_${function}}")
        endif()
    endforeach()
    # Each object lists its calls apart from the others'.
    foreach(object decoder seek)
        string(REGEX MATCH "${object}[^:]*:([^:]*)" object_calls "${calls}")
        string(REGEX MATCHALL "U [A-Za-z_0-9]+" object_calls "${CMAKE_MATCH_1}")
        message(STATUS "${name} ${object} calls: ${object_calls}")
        foreach(call IN LISTS object_calls)
            if(NOT call MATCHES "^U (memcpy|memset|memmove)$"
               AND NOT (object STREQUAL "seek" AND call STREQUAL "U decoded_size"))
                message(SEND_ERROR "the ${object} calls ${call}")
            endif()
        endforeach()
    endforeach()
endforeach()
