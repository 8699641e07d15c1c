# Toolchain file: bare-metal Cortex-M0 (QEMU's microbit board, an nRF51822)
# with Debian's arm-none-eabi GCC and newlib (see arm-none-eabi.cmake).
set(cpu_flags "-mcpu=cortex-m0 -mthumb")
include("${CMAKE_CURRENT_LIST_DIR}/arm-none-eabi.cmake")
