# The codec's footprint on one core: compiles every codec source (SOURCES)
# at -Os with the core's compiler (CXX, FLAGS) and the warning set of small
# targets as errors, then prints each function's code bytes (NM -S) and
# stack bytes (-fstack-usage) and what each object calls, and fails when
#   - a source does not compile warning-free,
#   - a function outgrows its budget on this CORE (the table below),
#   - the AVR decoder (every function of decoder.cpp) outgrows 1 KiB,
#   - the reader's calls on a file (reader.cpp's mavo_open, mavo_read and
#     mavo_seek, which firmware takes together; mavo_tell and mavo_bytes are
#     inline in assets.h) outgrow their budget on this CORE,
#   - decoder.cpp calls anything but memcpy, memset or memmove, or seek.cpp
#     anything but those, decoded_size and (on AVR) 64-bit helpers,
#   - decoder.cpp or encoder.cpp calls a 64-bit helper routine on AVR (other
#     sources' calls are printed, for their authors to judge).
# WORK is a folder for the objects.
set(budget_cortex-m0_decode_step 192)
set(budget_cortex-m0_decode_block 320)
set(budget_cortex-m0_decode_seek 256)
set(budget_rv32imac_decode_step 240)
set(budget_rv32imac_decode_block 320)
set(budget_avr_decode_step 320)
set(budget_avr_decode_block 560)
set(budget_avr_decoder 1024)
set(budget_cortex-m0_reader 160)
set(reader_calls mavo_open mavo_read mavo_seek)

set(warnings -Wall -Wextra -Wconversion -Wsign-conversion -Wshadow -Werror)
file(MAKE_DIRECTORY "${WORK}")
# The reader includes <mavo/codec.h> as programs do: a header of that name
# in WORK leads to the codec's.
foreach(source IN LISTS SOURCES)
    get_filename_component(folder "${source}" DIRECTORY)
    if(EXISTS "${folder}/codec.h")
        file(CONFIGURE OUTPUT "${WORK}/include/mavo/codec.h"
            CONTENT "#include \"${folder}/codec.h\"\n")
    endif()
endforeach()
set(failed FALSE)
foreach(source IN LISTS SOURCES)
    get_filename_component(name "${source}" NAME_WE)
    set(object "${WORK}/${name}.o")
    execute_process(
        COMMAND "${CXX}" ${FLAGS} -std=c++17 -Os -ffunction-sections -fstack-usage
                -fno-exceptions -fno-rtti ${warnings} "-I${WORK}/include" -c "${source}"
                -o "${object}"
        RESULT_VARIABLE status ERROR_VARIABLE diagnostics)
    if(NOT status EQUAL 0)
        message(SEND_ERROR "${CORE}: ${name}.cpp does not build warning-free:\n${diagnostics}")
        continue()
    endif()

    # Stack bytes per function, by its plain name, from the .su beside the
    # object ("file:line:column:signature<TAB>bytes<TAB>kind").
    file(STRINGS "${WORK}/${name}.su" stack_lines)
    foreach(line IN LISTS stack_lines)
        if(line MATCHES "([A-Za-z_0-9]+)\\([^\t]*\t([0-9]+)\t")
            set(stack_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
        endif()
    endforeach()

    execute_process(COMMAND "${NM}" --size-sort -S "${object}" OUTPUT_VARIABLE sizes
        COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "[0-9a-f]+ [0-9a-f]+ [Tt] [^\n]+" entries "${sizes}")
    set(total 0)
    set(reader_total 0)
    foreach(entry IN LISTS entries)
        string(REGEX MATCH "^[0-9a-f]+ ([0-9a-f]+) [Tt] (.+)$" ignored "${entry}")
        math(EXPR bytes "0x${CMAKE_MATCH_1}")
        set(function "${CMAKE_MATCH_2}")
        math(EXPR total "${total} + ${bytes}")
        # A local function's symbol is mangled; its stack line has its name.
        set(plain "${function}")
        if(function MATCHES "^_Z.*[0-9]([A-Za-z_]+)E[^E]*$")
            set(plain "${CMAKE_MATCH_1}")
        endif()
        set(stack "?")
        if(DEFINED stack_${plain})
            set(stack ${stack_${plain}})
        endif()
        message(STATUS "${CORE} ${function}: ${bytes} bytes, stack ${stack}")
        list(FIND reader_calls "${function}" call_index)
        if(name STREQUAL "reader" AND call_index GREATER -1)
            math(EXPR reader_total "${reader_total} + ${bytes}")
        endif()
        set(budget "${budget_${CORE}_${function}}")
        if(budget AND bytes GREATER budget)
            message(SEND_ERROR "${CORE}: ${function} is ${bytes} bytes, over its ${budget}")
        endif()
    endforeach()
    message(STATUS "${CORE} ${name}.cpp: ${total} bytes in all")
    if(name STREQUAL "decoder" AND budget_${CORE}_decoder AND total GREATER budget_${CORE}_decoder)
        message(SEND_ERROR "${CORE}: the decoder is ${total} bytes, over its ${budget_${CORE}_decoder}")
    endif()
    if(name STREQUAL "reader")
        message(STATUS "${CORE} the reader's calls on a file: ${reader_total} bytes")
        if(budget_${CORE}_reader AND reader_total GREATER budget_${CORE}_reader)
            message(SEND_ERROR "${CORE}: the reader's calls on a file are ${reader_total} bytes,"
                " over their ${budget_${CORE}_reader}")
        endif()
    endif()

    execute_process(COMMAND "${NM}" -u "${object}" OUTPUT_VARIABLE calls COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "U [^\n]+" calls "${calls}")
    message(STATUS "${CORE} ${name}.cpp calls: ${calls}")
    foreach(call IN LISTS calls)
        if(name STREQUAL "decoder" AND NOT call MATCHES "^U (memcpy|memset|memmove)$")
            message(SEND_ERROR "${CORE}: the decoder calls ${call}")
        endif()
        # The seek's offsets are 64-bit: on AVR its adds and compares are
        # helper routines.
        if(name STREQUAL "seek" AND NOT call MATCHES "^U (memcpy|memset|memmove|decoded_size)$"
           AND NOT (CORE STREQUAL "avr" AND call MATCHES "^U __[a-z]+di[0-9]"))
            message(SEND_ERROR "${CORE}: the seek calls ${call}")
        endif()
        # 64-bit helpers: libgcc's __*di* routines.
        if(CORE STREQUAL "avr" AND name MATCHES "^(decoder|encoder)$"
           AND call MATCHES "^U __[a-z]+di[0-9]")
            message(SEND_ERROR "${CORE}: ${name}.cpp calls the 64-bit helper ${call}")
        endif()
    endforeach()
endforeach()
