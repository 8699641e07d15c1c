# Toolchain file: bare-metal Cortex-M0 (QEMU's microbit board, an
# nRF51822) with Debian's arm-none-eabi GCC and newlib (packages
# gcc-arm-none-eabi, libnewlib-arm-none-eabi).
set(CMAKE_SYSTEM_PROCESSOR arm)
set(compiler_prefix arm-none-eabi-)
set(cpu_flags "-mcpu=cortex-m0 -mthumb")
set(link_flags "${cpu_flags} --specs=nano.specs")
include("${CMAKE_CURRENT_LIST_DIR}/bare_metal.cmake")
