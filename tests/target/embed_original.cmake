# Writes OUTPUT, a header holding INPUT byte for byte as the array NAME[]
# (asset_original[] by default; in program memory on AVR, through
# BOARD_CONST_DATA) and <NAME>_SIZE: what the target test checks its
# expansions against.
if(NOT NAME)
    set(NAME asset_original)
endif()
string(TOUPPER "${NAME}" upper)
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," entries "${bytes}")
# Sixteen entries to a line.
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " entries "${entries}")
file(WRITE "${OUTPUT}.tmp" "/* ${INPUT}, as the target test must get it back. */
#include \"board.h\"
#define ${upper}_SIZE ${size}u
static const uint8_t ${NAME}[${upper}_SIZE] BOARD_CONST_DATA = {
    ${entries}
};
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
