# Toolchain file: bare-metal RV32IMAC (QEMU's sifive_e board) with Debian's
# riscv64-unknown-elf GCC, which builds for 32-bit cores too, and picolibc
# (packages gcc-riscv64-unknown-elf, picolibc-riscv64-unknown-elf).
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR riscv32)

set(CMAKE_C_COMPILER riscv64-unknown-elf-gcc)
set(CMAKE_CXX_COMPILER riscv64-unknown-elf-g++)

set(cpu_flags "-march=rv32imac -mabi=ilp32 --specs=picolibc.specs")
set(CMAKE_C_FLAGS_INIT "${cpu_flags} -ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "${cpu_flags} -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti")
# The compile flags, picolibc's among them, reach the link as well.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,--gc-sections")
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
