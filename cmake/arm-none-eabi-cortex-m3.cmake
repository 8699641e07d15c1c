# Toolchain file: bare-metal Cortex-M3 (QEMU's mps2-an385 board) with
# Debian's arm-none-eabi GCC and newlib (see arm-none-eabi.cmake).
set(cpu_flags "-mcpu=cortex-m3 -mthumb")
include("${CMAKE_CURRENT_LIST_DIR}/arm-none-eabi.cmake")
