# Toolchain file: bare-metal RV32IMAC (QEMU's sifive_e board) with Debian's
# riscv64-unknown-elf GCC, which builds for 32-bit cores too, and picolibc
# (packages gcc-riscv64-unknown-elf, picolibc-riscv64-unknown-elf).
set(CMAKE_SYSTEM_PROCESSOR riscv32)
set(compiler_prefix riscv64-unknown-elf-)
set(cpu_flags "-march=rv32imac -mabi=ilp32 --specs=picolibc.specs")
# The compile flags, picolibc's among them, reach the link as well.
set(link_flags "")
include("${CMAKE_CURRENT_LIST_DIR}/bare_metal.cmake")
