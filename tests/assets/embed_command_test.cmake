# mavo_embed as a command (EMBED), beside the mavo tool (MAVO), in WORK:
#   - with --stream tool its stream is byte for byte what `mavo FILE` writes;
#     by default it is never longer; the header's sizes are the stream's and
#     the file's; for every shape of input, a non-ASCII name included;
#   - it starts no other process (strace, STRACE, where given);
#   - hostile and unlucky runs (an input that is an output, the user's own
#     files beside the outputs, a FIFO, memory that runs out, sizes past 32
#     bits, names that are not UTF-8) exit 1 naming the file and change
#     nothing; so does a table with a file outside its base folder or a
#     path twice; a wrong command line exits 2; --help and --version exit
#     0; --store and --files-from do as they say; the input is never
#     changed.
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

# Hostile and unlucky runs, one case each, every one in a folder of its own
# (`d` below) set up by its shell line (no `;` in it: the cases are a list): the run (arguments split at ^, run
# in `d`) must end with the status given, say each of the texts (split at
# ^), and leave every file in `d` as it was, bytes and times: a failed run
# changes nothing, and a run whose outputs would not change leaves them.
# `earlier` is a run that succeeded before the case's own.
set(earlier "${EMBED} --symbol a --output-dir . in.bin >/dev/null")
set(hostile_cases
    "an input named like the stream|cp in.bin a.enc|--symbol^a^a.enc|1|a.enc: it is ./a.enc^an output of this run"
    "an input named like the source|cp in.bin a.c|--symbol^a^--embedding^braces^a.c|1|a.c: it is ./a.c"
    "an unreadable input named like an output|cp in.bin s.enc && chmod 000 s.enc|--symbol^s^s.enc|1|s.enc: it is ./s.enc"
    "a link to an output|${earlier} && ln -s a.h link.bin|--symbol^a^link.bin|1|link.bin: it is ./a.h"
    "a hard link to an output|${earlier} && ln a.enc hard.bin|--symbol^a^hard.bin|1|hard.bin: it is ./a.enc"
    "a failing run beside the user's sources|mkdir src && echo 'int main(void) { return 0 }' > src/main.c && echo '/* mine */' > src/main.h|--symbol^main^--output-dir^src^in.bin-typo|1|src/main.c: it is there and was not made by mavo_embed"
    "a run over the user's source|mkdir src && echo 'int main(void) { return 0 }' > src/main.c|--symbol^main^--output-dir^src^in.bin|1|src/main.c: it is there and was not made by mavo_embed"
    "a read-only header from an earlier run|${earlier} && chmod 444 a.h|--symbol^a^in.bin|1|a.h: cannot write it: it is a folder, or a file that may not be written"
    "a failing run after one that succeeded|${earlier}|--symbol^a^--output-dir^.^missing.bin|1|missing.bin: cannot open it for reading: No such file"
    "a failing braces run after an incbin run|${earlier}|--symbol^a^--embedding^braces^missing.bin|1|missing.bin: cannot open"
    "the same run again|${earlier}|--symbol^a^--output-dir^.^in.bin|0|mavo: a (in.bin): 1,201 -> "
    "a folder|mkdir folder|--symbol^a^folder|1|folder: it is a folder, not a file"
    "a FIFO|mkfifo pipe|--symbol^a^pipe|1|pipe: it is not a regular file"
    "a name that is not UTF-8|true|--symbol^a^bad-\\377.bin|1|bad-\\xff.bin: cannot open"
    "a symbol beyond ASCII|true|--symbol^é^in.bin|2|--symbol é is not a C identifier"
    "an alignment past 64 KiB|true|--symbol^a^--align^2147483648^in.bin|2|is not a power of two from 1 to 65536"
    "a table entry past 32 bits|truncate -s 4294967296 big.bin|--table^t^--store^always^big.bin|1|big.bin: it is 4,294,967,296 bytes^4 GiB - 1"
    "a file list that cannot be read|true|--table^t^--files-from^no-list|1|no-list: cannot open the file list")
if(NOT SANITIZED)
    # Memory runs out: 300 MB of zeros needs about 1.1 GB, under a 1 GB limit.
    list(APPEND hostile_cases "memory that runs out|truncate -s 300000000 zeros.bin|ULIMIT^--symbol^a^zeros.bin|1|zeros.bin: not enough memory to encode it")
endif()
string(REPEAT "a" 1200 in_bytes) # and a line end: 1,201 bytes
foreach(case IN LISTS hostile_cases)
    string(REPLACE "|" ";" parts "${case}")
    list(POP_FRONT parts what setup arguments expected_status texts)
    string(REPLACE "^" ";" arguments "${arguments}")
    string(REPLACE "^" ";" texts "${texts}")
    string(MAKE_C_IDENTIFIER "${what}" folder)
    set(d "${WORK}/hostile/${folder}")
    file(MAKE_DIRECTORY "${d}")
    file(WRITE "${d}/in.bin" "${in_bytes}\n")
    execute_process(COMMAND sh -c "${setup}" WORKING_DIRECTORY "${d}" COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 0.01)
    set(command "${EMBED}")
    if(arguments MATCHES "^ULIMIT;")
        list(POP_FRONT arguments)
        set(command sh -c "ulimit -v 1000000 && exec \"$0\" \"$@\"" "${EMBED}")
    endif()
    set(listing find . -type f -exec ls -l --time-style=full-iso {} +)
    execute_process(COMMAND ${listing} WORKING_DIRECTORY "${d}" OUTPUT_VARIABLE before)
    # printf turns the octal escapes of a case into the bytes they stand for.
    set(raw "")
    foreach(argument IN LISTS arguments)
        execute_process(COMMAND printf "${argument}" OUTPUT_VARIABLE argument)
        list(APPEND raw "${argument}")
    endforeach()
    execute_process(COMMAND ${command} ${raw} WORKING_DIRECTORY "${d}" TIMEOUT 60
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    execute_process(COMMAND ${listing} WORKING_DIRECTORY "${d}" OUTPUT_VARIABLE after)
    if(NOT status EQUAL expected_status OR NOT before STREQUAL after)
        message(FATAL_ERROR "${what}: status ${status} (wanted ${expected_status}), files before "
            "and after:\n${before}\n${after}\nit said:\n${out}")
    endif()
    foreach(text IN LISTS texts)
        string(FIND "${out}" "${text}" at)
        if(at EQUAL -1)
            message(FATAL_ERROR "${what}: it did not say \"${text}\":\n${out}")
        endif()
    endforeach()
endforeach()

# What goes where the way of embedding changes: a braces run after an
# incbin run removes the stream file that only the old source named.
set(d "${WORK}/hostile/switch")
file(MAKE_DIRECTORY "${d}")
file(WRITE "${d}/in.bin" "${in_bytes}")
run("${EMBED}" --symbol a --output-dir "${d}" "${d}/in.bin")
run("${EMBED}" --symbol a --output-dir "${d}" --embedding braces "${d}/in.bin")
file(READ "${d}/a.c" source)
if(EXISTS "${d}/a.enc" OR NOT source MATCHES "0x")
    message(FATAL_ERROR "the incbin run's stream file stayed, or the source is not braces")
endif()

# STORE: the stream, the file's bytes, or whichever is smaller; a file list
# read with CR LF line ends and names of every sort.
set(smallest "")
foreach(case "never|in.bin|0" "always|in.bin|1" "auto|in.bin|0" "auto|noise.bin|1")
    string(REPLACE "|" ";" parts "${case}")
    list(POP_FRONT parts store file stored)
    set(d "${WORK}/store-${store}-${file}")
    file(WRITE "${d}/in.bin" "${in_bytes}\n")
    file(WRITE "${d}/noise.bin" "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ!#%&'()*+,-./:;<=>?@[]^_`{|}~ ")
    file(WRITE "${d}/list" "${d}/${file}\r\n\r\n")
    run("${EMBED}" --symbol a --store ${store} --output-dir "${d}" --files-from "${d}/list")
    file(READ "${d}/a.h" header)
    file(SIZE "${d}/${file}" size)
    string(REGEX MATCH "#define A_SIZE ([0-9]+)u" unused "${header}")
    set(embedded "${CMAKE_MATCH_1}")
    if(store STREQUAL "never")
        set(smallest "${embedded}")
    endif()
    if(NOT header MATCHES "#define A_STORED ${stored}\n"
       OR (stored AND NOT embedded EQUAL size)
       OR (NOT stored AND NOT (embedded EQUAL smallest AND embedded LESS size)))
        message(FATAL_ERROR "--store ${store} of ${file}: wanted STORED ${stored}:\n${header}")
    endif()
endforeach()
foreach(option --help --version)
    execute_process(COMMAND "${EMBED}" ${option} RESULT_VARIABLE status OUTPUT_VARIABLE out
        ERROR_VARIABLE err)
    if(NOT status EQUAL 0 OR NOT out MATCHES "^(usage: mavo_embed|mavo_embed [0-9]+[.][0-9]+)" OR err)
        message(FATAL_ERROR "mavo_embed ${option}: status ${status}:\n${out}${err}")
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
    "unknown option --frobnicate|--frobnicate^x"
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
