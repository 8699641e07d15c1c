# Builds projects/layouts (mavo from SOURCE_DIR, taken in by
# add_subdirectory) in WORK with GENERATOR, and holds it to what a real
# project needs:
#   - every asset comes back byte for byte (the program checks them);
#   - a second build does nothing, and with several configurations,
#     switching between them runs no asset step and compiles no dump;
#   - an edited asset is dumped again alone;
#   - dropping an asset or changing a PREFIX leaves no header behind;
#   - the project's libraries install and export, with mavo's package;
#   - calls that cannot work stop the configure step, naming the files (and,
#     for a clash, both targets).
# EXTRA holds further configure arguments (compilers, strict warning flags);
# QUICK leaves out everything after the first build.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")

# The lines of a build's output that say mavo ran, and whether it compiled.
function(expect_no_work what)
    string(REGEX MATCHALL "mavo: [^\n]*" dumps "${output}")
    if(dumps OR output MATCHES "Building C")
        message(FATAL_ERROR "${what} did work:\n${output}")
    endif()
endfunction()

set(assets "${WORK}/assets")
file(REMOVE_RECURSE "${WORK}")
file(WRITE "${assets}/first/icon.bin" "the first library's icon")
file(WRITE "${assets}/second/icon.bin" "the second library's icon, another one")
string(REPEAT "shared " 100 text)
file(WRITE "${assets}/shared.bin" "${text}")
file(WRITE "${assets}/objects.bin" "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAABBBB")
file(WRITE "${assets}/nested.bin" "")
string(REPEAT "L" 247 long)
foreach(name int main random 日本語.bin 中国語.bin Sub.bin "${long}.bin")
    file(WRITE "${assets}/names/${name}" "the file named ${name}")
endforeach()
file(WRITE "${assets}/names/semi;colon.bin" "a semicolon in the name")

set(build "${WORK}/build")
set(project "${CMAKE_CURRENT_LIST_DIR}/projects/layouts")
# Make cannot name a file with a `;` in a rule: that asset only where the
# generator can.
if(GENERATOR MATCHES "Makefiles")
    list(APPEND EXTRA -DSEMICOLON=OFF)
endif()
set(configure "${CMAKE_COMMAND}" -S "${project}" -G "${GENERATOR}"
    "-DMAVO_SOURCE_DIR=${SOURCE_DIR}" "-DASSET_DIR=${assets}" ${EXTRA})
if(GENERATOR MATCHES "Multi-Config")
    set(configs Release Debug)
    set(one_config --config Release)
    set(app "${build}/Release/app")
else()
    set(configs "")
    set(one_config "")
    set(app "${build}/app")
endif()

run(${configure} -B "${build}")
if(configs)
    run("${CMAKE_COMMAND}" --build "${build}" --config Release)
else()
    run("${CMAKE_COMMAND}" --build "${build}")
endif()
run("${app}")
if(QUICK)
    return()
endif()

# The libraries install with their export set, mavo's codec beside them.
run("${CMAKE_COMMAND}" --install "${build}" --prefix "${WORK}/prefix" ${one_config})
file(GLOB_RECURSE installed RELATIVE "${WORK}/prefix" "${WORK}/prefix/*")
foreach(expected layoutsTargets.cmake libfirst.a libmavo_codec.a mavoConfig.cmake)
    if(NOT installed MATCHES "(^|;)[^;]*${expected}(;|$)")
        message(FATAL_ERROR "${expected} was not installed: ${installed}")
    endif()
endforeach()

# Nothing changed: nothing to do; with configurations, each built once,
# then switched back and forth.
if(configs)
    run("${CMAKE_COMMAND}" --build "${build}" --config Debug)
    foreach(config Release Debug Release)
        run("${CMAKE_COMMAND}" --build "${build}" --config ${config})
        expect_no_work("switching to ${config}")
    endforeach()
else()
    run("${CMAKE_COMMAND}" --build "${build}")
    expect_no_work("a build with nothing changed")
endif()

# One asset edited: that one is dumped again, alone.
file(APPEND "${assets}/shared.bin" "edited")
run("${CMAKE_COMMAND}" --build "${build}" ${one_config})
string(REGEX MATCHALL "mavo: [^\n]*" dumps "${output}")
if(NOT dumps MATCHES "^mavo: shared_bin \\(shared.bin\\): [0-9,]+ -> [0-9,]+ bytes$")
    message(FATAL_ERROR "editing shared.bin dumped [${dumps}]:\n${output}")
endif()
run("${app}")

# An asset dropped and a PREFIX changed: their headers are gone.
run(${configure} -B "${build}" -DDROP=ON)
file(GLOB_RECURSE left "${build}/*/asset_random.h" "${build}/*/second_icon_bin.h")
if(left)
    message(FATAL_ERROR "dropped assets left their headers: ${left}")
endif()
run("${CMAKE_COMMAND}" --build "${build}" ${one_config})
run("${app}")

# Calls that must fail at configure time, and what they must name.
expect_failure("two files of one name in two libraries"
    "${assets}/first/icon.bin (target first);${assets}/second/icon.bin (target third)"
    ${configure} -B "${WORK}/clash" -DBREAK=clash)
expect_failure("names that differ only in case" "${assets}/names/Sub.bin;sub.bin"
    ${configure} -B "${WORK}/case" -DBREAK=case)
expect_failure("a directory" "${assets}/first is a directory"
    ${configure} -B "${WORK}/directory" -DBREAK=directory)
expect_failure("a missing file" "missing.bin does not exist"
    ${configure} -B "${WORK}/missing" -DBREAK=missing)
# (Make itself cannot build in a folder with a `#`.)
if(GENERATOR MATCHES "Ninja")
    expect_failure("a generated asset in a build folder with a #"
        "generated.bin is made by the build;whose path has a `#`" ${configure} -B "${WORK}/build#1")
endif()
expect_failure("an INTERFACE library" "headers is an INTERFACE_LIBRARY target"
    ${configure} -B "${WORK}/interface" -DBREAK=interface)
