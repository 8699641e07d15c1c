# Cross-builds projects/firmware for Cortex-M3 with mavo from its source
# tree (SOURCE_DIR) and no mavo_embed for the build machine given, in WORK,
# and runs it on QEMU's mps2-an385 board (RUN, the command that runs a
# program there: mavo_qemu_command in cmake/MavoQemu.cmake). PREFIX, when
# set, is where the mavo build INSTALL_FROM is installed for the build
# machine first: that mavo must be found instead of one being built; with
# PACKAGE set, the firmware takes that package (find_package) instead of
# mavo's sources.
include("${CMAKE_CURRENT_LIST_DIR}/script_helpers.cmake")

file(REMOVE_RECURSE "${WORK}")
set(build "${WORK}/build")
set(use_mavo "-DMAVO_SOURCE_DIR=${SOURCE_DIR}")
if(PACKAGE)
    set(use_mavo "")
endif()
set(find_host "")
if(PREFIX)
    file(REMOVE_RECURSE "${PREFIX}")
    run("${CMAKE_COMMAND}" --install "${INSTALL_FROM}" --prefix "${PREFIX}")
    set(find_host "-DCMAKE_PREFIX_PATH=${PREFIX}")
endif()
run("${CMAKE_COMMAND}" -S "${CMAKE_CURRENT_LIST_DIR}/projects/firmware" -B "${build}" -G Ninja
    "-DCMAKE_TOOLCHAIN_FILE=${SOURCE_DIR}/cmake/toolchains/arm-none-eabi-cortex-m3.cmake"
    -DCMAKE_BUILD_TYPE=MinSizeRel ${use_mavo}
    "-DASSET=${SOURCE_DIR}/examples/asset.bin"
    "-DSTARTUP=${SOURCE_DIR}/examples/firmware/startup.c" ${find_host})
run("${CMAKE_COMMAND}" --build "${build}")
if(PREFIX AND EXISTS "${build}/mavo_host")
    message(FATAL_ERROR "the installed mavo in ${PREFIX} was not used: mavo was built again")
elseif(NOT PREFIX AND NOT EXISTS "${build}/mavo_host/bin/mavo_embed")
    message(FATAL_ERROR "no mavo_embed was built for the build machine:\n${output}")
elseif(NOT PREFIX AND EXISTS "${build}/mavo_host/bin/mavo")
    message(FATAL_ERROR "the mavo command was built for the build machine, which the assets "
        "never run:\n${output}")
endif()
run(${RUN} "${build}/fw.elf")
message(STATUS "${output}")
