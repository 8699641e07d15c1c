# The Windows build of mavo_embed (EMBED, run under Wine, WINE) on the
# sample asset (ASSET) in WORK: with --stream tool it must give the stream
# of this machine's mavo (NATIVE_MAVO), by default the stream of this
# machine's mavo_embed (NATIVE_EMBED), each with a header of its sizes; a
# missing asset, and one that is an output, must fail, naming it, and
# change nothing.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/native")
file(COPY_FILE "${ASSET}" "${WORK}/native/asset.bin")
execute_process(COMMAND "${NATIVE_MAVO}" asset.bin WORKING_DIRECTORY "${WORK}/native"
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${NATIVE_EMBED}" --symbol asset_bin --output-dir "${WORK}/native"
    "${ASSET}" COMMAND_ERROR_IS_FATAL ANY)

file(SIZE "${ASSET}" decoded_size)
foreach(stream tool smallest)
    if(stream STREQUAL "tool")
        set(expected "${WORK}/native/asset.bin.enc")
    else()
        set(expected "${WORK}/native/asset_bin.enc")
    endif()
    set(out_dir "${WORK}/${stream}")
    execute_process(COMMAND "${WINE}" "${EMBED}" --symbol asset_bin --stream ${stream}
                            --output-dir "Z:${out_dir}" "Z:${ASSET}"
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "mavo_embed --stream ${stream} failed (${status}):\n${out}")
    endif()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${out_dir}/asset_bin.enc"
                            "${expected}" RESULT_VARIABLE differ)
    file(SIZE "${expected}" stream_size)
    file(READ "${out_dir}/asset_bin.h" text)
    if(differ OR NOT text MATCHES "#define ASSET_BIN_SIZE ${stream_size}u"
       OR NOT text MATCHES "#define ASSET_BIN_DECODED_SIZE ${decoded_size}u")
        message(FATAL_ERROR "the ${stream} stream or its header is wrong:\n${text}")
    endif()
    file(GLOB made RELATIVE "${out_dir}" "${out_dir}/*")
    if(NOT made STREQUAL "asset_bin.c;asset_bin.enc;asset_bin.h")
        message(FATAL_ERROR "mavo_embed made ${made}")
    endif()
endforeach()

# Failing runs leave every output of the run before as it was: a missing
# asset, and an asset that is one of the outputs (the file identity the
# Windows platform layer reads).
set(out_dir "${WORK}/smallest")
file(GLOB outputs "${out_dir}/*")
set(before "")
foreach(file IN LISTS outputs)
    file(SHA256 "${file}" hash)
    list(APPEND before "${hash}")
endforeach()
foreach(case "missing.bin|Z:${WORK}/missing.bin|cannot open it"
             "asset_bin.enc|Z:${out_dir}/asset_bin.enc|an output of this run")
    string(REPLACE "|" ";" parts "${case}")
    list(POP_FRONT parts name input expected)
    execute_process(COMMAND "${WINE}" "${EMBED}" --symbol asset_bin --output-dir "Z:${out_dir}"
                            "${input}"
        RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
    set(after "")
    foreach(file IN LISTS outputs)
        file(SHA256 "${file}" hash)
        list(APPEND after "${hash}")
    endforeach()
    if(NOT status EQUAL 1 OR NOT out MATCHES "${name}" OR NOT out MATCHES "${expected}"
       OR NOT before STREQUAL after)
        message(FATAL_ERROR "${name}: did not fail cleanly (${status}):\n${out}")
    endif()
endforeach()
