# The part of the Cortex-M toolchain files that is the same for every core
# (included by arm-none-eabi-cortex-m0.cmake and -m3.cmake, which set
# cpu_flags): Debian's arm-none-eabi GCC and newlib (packages
# gcc-arm-none-eabi, libnewlib-arm-none-eabi). Only the codec and firmware
# build here; the mavo tool they need runs on the build machine.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_CXX_COMPILER arm-none-eabi-g++)

set(CMAKE_C_FLAGS_INIT "${cpu_flags} -ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "${cpu_flags} -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${cpu_flags} --specs=nano.specs -Wl,--gc-sections")
# No operating system to link a test program for: compiler checks build a
# library instead.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
