# cycle_ratio.cmake - runs the cycle benchmark (avr_cycles.c) under
# simavr_run and fails when decode_block() into a 256-byte buffer costs more
# than LIMIT_PERCENT percent of the memory function that moves the same
# bytes in 256-byte pieces: memcpy() for random literals, memset() for long
# runs. simavr counts every cycle and the program does the same work on
# every run, so the ratio is exact, not a timing.
#
#   COMMAND        simavr_run and the benchmark's ELF (a list)
#   LIMIT_PERCENT  the highest ratio allowed, in percent
#   PAIRS          "measured:baseline" line names from the benchmark
execute_process(COMMAND ${COMMAND} RESULT_VARIABLE status OUTPUT_VARIABLE lines
    ERROR_VARIABLE errors TIMEOUT 50)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the benchmark failed (status ${status}):\n${lines}${errors}")
endif()

# Each line reads "name bytes cycles".
function(read_measurement name bytes_var cycles_var)
    string(REGEX MATCH "(^|\n)${name} ([0-9]+) ([0-9]+)" found "${lines}")
    if(NOT found)
        message(FATAL_ERROR "the benchmark printed no line for ${name}:\n${lines}")
    endif()
    set(${bytes_var} ${CMAKE_MATCH_2} PARENT_SCOPE)
    set(${cycles_var} ${CMAKE_MATCH_3} PARENT_SCOPE)
endfunction()

foreach(pair IN LISTS PAIRS)
    string(REPLACE ":" ";" names "${pair}")
    list(GET names 0 measured)
    list(GET names 1 baseline)
    read_measurement("${measured}" measured_bytes measured_cycles)
    read_measurement("${baseline}" baseline_bytes baseline_cycles)
    # Cycles per byte compared in integers: the ratio in tenths of a
    # percent, rounded up, and the limit checked without rounding.
    math(EXPR tenths "(${measured_cycles} * ${baseline_bytes} * 1000 + ${measured_bytes} * ${baseline_cycles} - 1) / (${measured_bytes} * ${baseline_cycles})")
    math(EXPR whole "${tenths} / 10")
    math(EXPR fraction "${tenths} % 10")
    math(EXPR limit_scaled "${LIMIT_PERCENT} * ${measured_bytes} * ${baseline_cycles}")
    math(EXPR measured_scaled "${measured_cycles} * ${baseline_bytes} * 100")
    set(summary "${measured}: ${whole}.${fraction}% of ${baseline} (${measured_cycles} cycles for ${measured_bytes} bytes, ${baseline} ${baseline_cycles} for ${baseline_bytes})")
    if(measured_scaled GREATER limit_scaled)
        message(SEND_ERROR "${summary}, over ${LIMIT_PERCENT}%")
    else()
        message(STATUS "${summary}, within ${LIMIT_PERCENT}%")
    endif()
endforeach()
