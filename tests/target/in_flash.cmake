# Checks that the ATmega328P program ELF keeps the stream SYMBOL, which
# mavo_add_assets embedded, in flash: avr-nm (NM) gives data addresses from
# 0x800000 on and flash addresses below.
execute_process(COMMAND "${NM}" "${ELF}" OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
if(NOT symbols MATCHES "(^|\n)([0-9a-f]+) [A-Za-z] ${SYMBOL}\n")
    message(FATAL_ERROR "${ELF} has no ${SYMBOL}")
endif()
math(EXPR address "0x${CMAKE_MATCH_2}")
if(address GREATER_EQUAL 8388608)
    message(FATAL_ERROR "${SYMBOL} is at 0x${CMAKE_MATCH_2}, in RAM, not in flash")
endif()
message(STATUS "${SYMBOL} is at 0x${CMAKE_MATCH_2}, in flash")
