# Toolchain file: the ATmega328P (the Arduino Uno's chip), run under simavr,
# with Debian's avr-gcc and avr-libc (packages gcc-avr, avr-libc).
set(CMAKE_SYSTEM_PROCESSOR avr)
set(compiler_prefix avr-)
set(cpu_flags "-mmcu=atmega328p")
set(link_flags "${cpu_flags}")
include("${CMAKE_CURRENT_LIST_DIR}/bare_metal.cmake")
