# Builds projects/hostile (mavo from SOURCE_DIR) in WORK with GENERATOR over
# a folder whose files carry every character build files and CMake lists
# treat specially, with links, a FIFO and files EXCLUDE leaves out; with
# MANY_FILES, a second folder of that many files with long paths. Holds:
#   - every regular file, and a linked folder's files under the link's path,
#     read back exactly (check.c), as table entries and single assets;
#   - the dangling link, the loop and the FIFO named in configure warnings,
#     and nothing hangs;
#   - a second build, and a build after configuring again, run nothing; a
#     file touched but not changed recompiles nothing; a changed file
#     compiles only the assets' source again;
#   - a file added to the folder reaches the program; a listed file that
#     is gone, and a name with a line end, stop the configure step naming
#     the file;
#   - no build changes any file of the user's.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")
file(REMOVE_RECURSE "${WORK}")
set(folder "${WORK}/folder")
set(outside "${WORK}/outside")
string(RANDOM LENGTH 700 RANDOM_SEED 7 noise)
string(ASCII 1 one)
string(ASCII 2 two)
string(REPEAT "${one}${one}${one}${one}${one}${one}${two}" 90 runs)

# Half of the files shrink (runs), half do not (noise): tables hold both
# streams and stored files.
set(i 0)
foreach(name "back\\slash.bin" "dq\"uote.bin" "sq'uote.bin" "semi;colon.bin" "pi|pe.bin"
        "open[bracket.bin" "close]bracket.bin" "dol$lar.bin" "var\${x}.bin" "ha#sh.bin"
        "per%cent.bin" "st*ar.bin" "sp ace.bin" "co:lon.bin" "gen$<1:x>.bin" "日本語.bin"
        "sub;dir[1/in sub.bin" "a/b/c/deep.txt" "drafts/left out.bin" "ignored.skip")
    math(EXPR i "${i} + 1")
    math(EXPR odd "${i} % 2")
    if(odd)
        file(WRITE "${folder}/${name}" "${i}${runs}")
    else()
        file(WRITE "${folder}/${name}" "${i}${noise}")
    endif()
endforeach()
string(ASCII 255 stray)
file(WRITE "${folder}/not-utf8-${stray}.bin" "${noise}")
file(WRITE "${folder}/empty.bin" "")
file(WRITE "${outside}/linked.bin" "${runs}")
file(WRITE "${outside}/more/in linked folder.bin" "${noise}")
file(CREATE_LINK "${outside}/linked.bin" "${folder}/link to file.bin" SYMBOLIC)
file(CREATE_LINK "${outside}/more" "${folder}/linked folder" SYMBOLIC)
file(CREATE_LINK "${WORK}/nowhere" "${folder}/.#dangling.bin" SYMBOLIC)
file(CREATE_LINK "loop.bin" "${folder}/loop.bin" SYMBOLIC)
run(mkfifo "${folder}/pipe.fifo")
# In the table: the 20 written but the two EXCLUDE drops, the stray name,
# the empty file, the linked file and the linked folder's file.
set(expected_entries 22)

set(many "")
if(MANY_FILES)
    set(many "${WORK}/many")
    string(REPEAT "long-folder-name-" 4 long)
    execute_process(COMMAND sh -c "i=0; while [ $i -lt 40 ]; do mkdir -p '${many}/${long}'$i; \
i=$((i + 1)); done; i=0; while [ $i -lt ${MANY_FILES} ]; do \
printf 'file %d' $i > '${many}/${long}'$((i % 40))/${long}file-$i.txt; i=$((i + 1)); done"
        COMMAND_ERROR_IS_FATAL ANY)
endif()

# What the user owns: every file below WORK but the build's, with its bytes.
function(fingerprint out)
    execute_process(COMMAND sh -c "find . -path ./build -prune -o -type f -exec cksum {} + \
| LC_ALL=C sort" WORKING_DIRECTORY "${WORK}" OUTPUT_VARIABLE text COMMAND_ERROR_IS_FATAL ANY)
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(build "${WORK}/build")
set(configure "${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/projects/hostile" -B "${build}"
    -G "${GENERATOR}" "-DMAVO_SOURCE_DIR=${SOURCE_DIR}" "-DFOLDER=${folder}" "-DMANY=${many}")
# Builds and runs check with a time limit, so that nothing can hang the test.
function(build_and_check entries)
    run("${CMAKE_COMMAND}" --build "${build}")
    set(built "${output}" PARENT_SCOPE)
    execute_process(COMMAND "${build}/check" "${folder}" "${many}" TIMEOUT 120
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0 OR NOT out MATCHES "folder ${entries}\nlisted 17\n"
       OR NOT out MATCHES "singles 16\n")
        message(FATAL_ERROR "check: status ${status}, wanted ${entries} entries:\n${out}")
    endif()
    if(MANY_FILES AND NOT out MATCHES "many ${MANY_FILES}\n")
        message(FATAL_ERROR "check: wanted ${MANY_FILES} files in many:\n${out}")
    endif()
endfunction()
# The build tool's lines that compile or link anything.
function(expect_no_work what)
    if(built MATCHES "Building|Linking|mavo: ")
        message(FATAL_ERROR "${what}, the build did work:\n${built}")
    endif()
endfunction()

fingerprint(before)
run(${configure})
foreach(left_out ".#dangling.bin" "loop.bin" "pipe.fifo")
    string(FIND "${output}" "${left_out}" at)
    if(at EQUAL -1 OR NOT output MATCHES "left out of the table")
        message(FATAL_ERROR "configuring said nothing of ${left_out}:\n${output}")
    endif()
endforeach()
build_and_check(${expected_entries})
build_and_check(${expected_entries})
expect_no_work("with nothing changed")
run(${configure})
build_and_check(${expected_entries})
expect_no_work("after configuring again")
fingerprint(after)
if(NOT before STREQUAL after)
    message(FATAL_ERROR "the build changed the user's files:\n${before}\n---\n${after}")
endif()

# Touched but not changed; then changed.
execute_process(COMMAND "${CMAKE_COMMAND}" -E sleep 1.1)
file(TOUCH "${folder}/sp ace.bin")
build_and_check(${expected_entries})
if(built MATCHES "Building|Linking")
    message(FATAL_ERROR "a file touched but not changed compiled something:\n${built}")
endif()
file(APPEND "${folder}/sq'uote.bin" "more")
build_and_check(${expected_entries})
if(built MATCHES "check.c" OR NOT built MATCHES "assets.c")
    message(FATAL_ERROR "a changed file compiled the wrong sources again:\n${built}")
endif()

# A file added reaches the program; a listed file that goes stops the
# configure step, naming it.
file(WRITE "${folder}/added later.bin" "${noise}")
math(EXPR expected_entries "${expected_entries} + 1")
build_and_check(${expected_entries})
file(RENAME "${folder}/semi;colon.bin" "${WORK}/semi;colon.bin")
expect_failure("a listed file removed" "semi;colon.bin does not exist"
    "${CMAKE_COMMAND}" --build "${build}")
file(RENAME "${WORK}/semi;colon.bin" "${folder}/semi;colon.bin")
file(WRITE "${folder}/line\nend.bin" "x")
expect_failure("a name with a line end" "line\\nend.bin has a line end in its name" ${configure})
file(REMOVE "${folder}/line\nend.bin")
build_and_check(${expected_entries})
