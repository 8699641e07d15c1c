# The Windows build of mavo_add_assets()'s step (STEP, run with mavo.exe,
# MAVO, under Wine, WINE) on the sample asset (ASSET) in WORK: it must give
# the same stream as this machine's mavo (NATIVE_MAVO) and a header with its
# sizes, and a missing asset must fail, naming it, leaving nothing behind.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/native")
file(COPY_FILE "${ASSET}" "${WORK}/native/asset.bin")
execute_process(COMMAND "${NATIVE_MAVO}" asset.bin WORKING_DIRECTORY "${WORK}/native"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

set(header "${WORK}/include/asset_bin.h")
execute_process(COMMAND "${WINE}" "${STEP}" "${MAVO}" "Z:${ASSET}" "Z:${WORK}/work" "Z:${header}"
                        asset_bin incbin
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the step failed (${status}):\n${out}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/work/a.enc"
                        "${WORK}/native/asset.bin.enc" RESULT_VARIABLE differ)
file(SIZE "${WORK}/native/asset.bin.enc" stream_size)
file(SIZE "${ASSET}" decoded_size)
file(READ "${header}" text)
if(differ OR NOT text MATCHES "#define ASSET_BIN_SIZE ${stream_size}u"
   OR NOT text MATCHES "#define ASSET_BIN_DECODED_SIZE ${decoded_size}u")
    message(FATAL_ERROR "the step's stream or header is wrong:\n${text}")
endif()
file(GLOB left RELATIVE "${WORK}/work" "${WORK}/work/*")
if(NOT left STREQUAL "a.enc")
    message(FATAL_ERROR "the step left ${left} in its folder")
endif()

execute_process(COMMAND "${WINE}" "${STEP}" "${MAVO}" "Z:${WORK}/missing.bin" "Z:${WORK}/work"
                        "Z:${header}" asset_bin incbin
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(status EQUAL 0 OR NOT out MATCHES "missing.bin" OR EXISTS "${header}"
   OR EXISTS "${WORK}/work/a.enc")
    message(FATAL_ERROR "a missing asset did not fail cleanly (${status}):\n${out}")
endif()
