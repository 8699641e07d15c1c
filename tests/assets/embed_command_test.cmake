# mavo_embed as a command (EMBED), beside the mavo tool (MAVO), in WORK:
#   - with --stream tool its stream is byte for byte what `mavo FILE` writes;
#     by default it is never longer; the header's sizes are the stream's and
#     the file's; for every shape of input, a non-ASCII name included;
#   - it starts no other process (strace, STRACE, where given);
#   - a failure exits 1 naming the file, and leaves none of its outputs, not
#     even those of an earlier run; so does a table with a file outside its
#     base folder or a path twice; a wrong command line exits 2; the input
#     is never changed.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/in")

# Inputs of every shape: name and content as hex pairs (written as bytes).
string(REPEAT "41" 300 long_run)
string(REPEAT "00" 40 zeros)
string(REPEAT "4142" 200 pairs)
string(REPEAT "0a0a0b0c0c0c0d" 90 mixed)
set(digits 0 1 2 3 4 5 6 7 8 9 a b c d e f)
set(ascending "")
foreach(high IN LISTS digits)
    foreach(low IN LISTS digits)
        string(APPEND ascending "${high}${low}")
    endforeach()
endforeach()
set(cases "empty.bin=" "one.bin=41" "long_run.bin=${long_run}" "zeros.bin=${zeros}"
    "pairs.bin=${pairs}" "ascending.bin=${ascending}${ascending}" "日本語.bin=${mixed}")

foreach(case IN LISTS cases)
    string(REGEX MATCH "^([^=]*)=(.*)$" unused "${case}")
    set(name "${CMAKE_MATCH_1}")
    set(hex "${CMAKE_MATCH_2}")
    set(file "${WORK}/in/${name}")
    string(REGEX REPLACE "(..)" "\\\\x\\1" escaped "${hex}")
    execute_process(COMMAND printf "${escaped}" OUTPUT_FILE "${file}" COMMAND_ERROR_IS_FATAL ANY)
    file(SIZE "${file}" size)
    file(SHA256 "${file}" before)

    run("${MAVO}" "${file}")
    run("${EMBED}" --symbol s --stream tool --output-dir "${WORK}/tool" "${file}")
    run("${EMBED}" --symbol s --output-dir "${WORK}/smallest" "${file}")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${file}.enc" "${WORK}/tool/s.enc"
        RESULT_VARIABLE differ)
    if(differ)
        message(FATAL_ERROR "${name}: --stream tool is not mavo's stream")
    endif()
    file(SIZE "${WORK}/tool/s.enc" tool_size)
    file(SIZE "${WORK}/smallest/s.enc" smallest_size)
    file(READ "${WORK}/smallest/s.h" header)
    if(smallest_size GREATER tool_size OR NOT header MATCHES "#define S_SIZE ${smallest_size}u"
       OR NOT header MATCHES "#define S_DECODED_SIZE ${size}u")
        message(FATAL_ERROR "${name}: a stream of ${smallest_size} bytes (mavo's: ${tool_size}), "
            "and the header says:\n${header}")
    endif()
    file(SHA256 "${file}" after)
    if(NOT before STREQUAL after)
        message(FATAL_ERROR "${name} was changed")
    endif()
endforeach()

if(STRACE)
    run("${STRACE}" -f -qq -e trace=fork,vfork,clone,clone3,execve "${EMBED}" --symbol s
        --output-dir "${WORK}/traced" "${WORK}/in/pairs.bin")
    string(REGEX MATCHALL "(fork|clone3?|execve)\\(" calls "${output}")
    list(LENGTH calls n)
    if(NOT n EQUAL 1) # its own execve
        message(FATAL_ERROR "mavo_embed started another process:\n${output}")
    endif()
endif()

# Failures: a missing file and a folder, each after a run that succeeded.
foreach(input missing.bin in)
    run("${EMBED}" --symbol s --output-dir "${WORK}/fail" "${WORK}/in/one.bin")
    execute_process(COMMAND "${EMBED}" --symbol s --output-dir "${WORK}/fail" "${WORK}/${input}"
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    file(GLOB left "${WORK}/fail/*")
    if(NOT status EQUAL 1 OR NOT out MATCHES "mavo_embed: ${WORK}/${input}: " OR left)
        message(FATAL_ERROR "${input}: status ${status}, left [${left}]:\n${out}")
    endif()
endforeach()

# Tables that cannot be: a file outside the base folder, one file twice.
foreach(case "does not lie inside the table's folder|${WORK}/in" "two files have the path one.bin|${WORK}/in")
    string(REPLACE "|" ";" parts "${case}")
    list(POP_FRONT parts expected base)
    set(files "${WORK}/in/one.bin" "${WORK}/in/one.bin")
    if(expected MATCHES "inside")
        set(files "${WORK}/in/one.bin" "${file}.enc")
        set(base "${WORK}/in/sub")
    endif()
    execute_process(COMMAND "${EMBED}" --table t --base "${base}" --output-dir "${WORK}/table" ${files}
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 1 OR NOT out MATCHES "${expected}" OR EXISTS "${WORK}/table/t.h")
        message(FATAL_ERROR "a table of ${files}: status ${status}, wanted 1 and [${expected}]:\n${out}")
    endif()
endforeach()

# Command lines that are wrong (arguments split at ^), and what each must
# say.
set(wrong "give --symbol for one FILE or --table|${WORK}/in/one.bin"
    "no FILE|--symbol^s"
    "is not a C identifier|--symbol^2x^${WORK}/in/one.bin"
    "give --symbol for one FILE or --table|--symbol^s^--table^t^${WORK}/in/one.bin"
    "is not a power of two|--symbol^s^--align^3^${WORK}/in/one.bin"
    "is not a section name|--symbol^s^--section^a b^${WORK}/in/one.bin"
    "is not a number of bytes|--symbol^s^--seek-spacing^0^${WORK}/in/one.bin"
    "is not incbin, embed, string or braces|--symbol^s^--embedding^hex^${WORK}/in/one.bin"
    "is not smallest or tool|--symbol^s^--stream^fast^${WORK}/in/one.bin"
    "unknown option --help|--help"
    "more than one FILE for --symbol|--symbol^s^${WORK}/in/one.bin^${WORK}/in/one.bin")
foreach(case IN LISTS wrong)
    string(REPLACE "|" ";" parts "${case}")
    string(REPLACE "^" ";" parts "${parts}")
    list(POP_FRONT parts expected)
    execute_process(COMMAND "${EMBED}" ${parts} --output-dir "${WORK}/wrong"
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 2 OR NOT out MATCHES "${expected}" OR NOT out MATCHES "usage:"
       OR EXISTS "${WORK}/wrong")
        message(FATAL_ERROR "mavo_embed ${parts}: status ${status}, wanted 2 and [${expected}]:\n${out}")
    endif()
endforeach()
