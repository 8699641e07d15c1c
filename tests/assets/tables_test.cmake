# Builds projects/tables (mavo from SOURCE_DIR) in WORK with
# GENERATOR, over a web folder (nested folders, a name with a space and one
# beyond ASCII, two files of one name, an empty file) and a font folder of
# which PATTERNS take some files. The C and C++ programs must find and
# expand every file by its path; a file added and one removed must reach
# them with a plain build; a folder without a matching file and a missing
# folder must stop the configure step, naming the folder.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")

set(web "${WORK}/web")
set(fonts "${WORK}/fonts")
file(REMOVE_RECURSE "${WORK}")
string(REPEAT "body { margin: 0 } " 40 css)
file(WRITE "${web}/index.html" "<html><body>mavo</body></html>")
file(WRITE "${web}/css/site.css" "${css}")
file(WRITE "${web}/print/site.css" "@media print { body { color: black } }")
file(WRITE "${web}/img/logo copy.svg" "<svg></svg>")
file(WRITE "${web}/日本語/説明.txt" "説明")
file(WRITE "${web}/empty.txt" "")
string(REPEAT "\x01\x01\x01\x02" 300 glyphs)
file(WRITE "${fonts}/6x13.bdf" "STARTFONT 2.1\n${glyphs}")
file(WRITE "${fonts}/latin/Lat15.psf" "${glyphs}${glyphs}")
file(WRITE "${fonts}/README" "not a font")
file(WRITE "${fonts}/fonts.dir" "not a font either")

set(build "${WORK}/build")
set(configure "${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/projects/tables" -B "${build}"
    -G "${GENERATOR}" "-DMAVO_SOURCE_DIR=${SOURCE_DIR}" "-DWEB=${web}" "-DFONTS=${fonts}")
function(build_and_check web_count fonts_count)
    run("${CMAKE_COMMAND}" --build "${build}")
    foreach(program tables_c tables_cpp)
        run("${build}/${program}" "${web}" ${web_count} "${fonts}" ${fonts_count})
    endforeach()
endfunction()
run(${configure})
build_and_check(6 2)

# A file added, then one removed: a plain build follows both.
file(WRITE "${web}/js/app.js" "console.log('mavo')")
build_and_check(7 2)
file(REMOVE "${fonts}/6x13.bdf")
file(WRITE "${fonts}/more/Uni2.psf" "${glyphs}")
build_and_check(7 2)
file(REMOVE "${web}/print/site.css")
build_and_check(6 2)
run("${CMAKE_COMMAND}" --build "${build}")
if(output MATCHES "mavo: ")
    message(FATAL_ERROR "a build with nothing changed made a table again:\n${output}")
endif()

# Folders that cannot make a table.
file(MAKE_DIRECTORY "${WORK}/no-fonts")
file(WRITE "${WORK}/no-fonts/README" "no font here")
expect_failure("a folder with no matching file" "no file in ${WORK}/no-fonts matches"
    "${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/projects/tables" -B "${WORK}/fail-1"
    -G "${GENERATOR}" "-DMAVO_SOURCE_DIR=${SOURCE_DIR}" "-DWEB=${web}" "-DFONTS=${WORK}/no-fonts")
expect_failure("a missing folder" "DIRECTORY ${WORK}/missing is not a folder"
    "${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/projects/tables" -B "${WORK}/fail-2"
    -G "${GENERATOR}" "-DMAVO_SOURCE_DIR=${SOURCE_DIR}" "-DWEB=${WORK}/missing" "-DFONTS=${fonts}")
