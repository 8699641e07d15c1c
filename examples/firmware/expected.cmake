# Writes OUTPUT, a header with the XXH32 checksum of INPUT, as xxhsum
# (XXHSUM) computes it on the build machine.
execute_process(COMMAND "${XXHSUM}" -H0 "${INPUT}" OUTPUT_VARIABLE line
    RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT line MATCHES "^([0-9a-f]+) ")
    message(FATAL_ERROR "xxhsum could not checksum ${INPUT}")
endif()
set(checksum "${CMAKE_MATCH_1}")
file(WRITE "${OUTPUT}" "/* The original asset, as the firmware must get it back. */
#define ASSET_XXH32 0x${checksum}u
")
