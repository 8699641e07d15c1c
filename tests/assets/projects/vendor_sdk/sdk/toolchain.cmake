# The board SDK's toolchain file, as vendor SDKs have them: a system name of
# the SDK's own (NRF51, not Generic) with its platform module beside this
# file (cmake/Platform/NRF51.cmake), Debian's arm-none-eabi GCC, and every
# find confined to the SDK's sysroot. The board's options are not here but
# on the runtime library that programs link (board_sdk.cmake), save the
# core: the compiler must know it for everything it builds, also libraries
# the SDK knows nothing of, which link no runtime (without it they would be
# ARM code, which the linker takes and a Cortex-M0 cannot run).
set(CMAKE_SYSTEM_NAME NRF51)
set(CMAKE_SYSTEM_PROCESSOR cortex-m0)
list(APPEND CMAKE_MODULE_PATH "${CMAKE_CURRENT_LIST_DIR}/cmake")

set(CMAKE_C_COMPILER arm-none-eabi-gcc)
set(CMAKE_CXX_COMPILER arm-none-eabi-g++)
set(CMAKE_ASM_COMPILER arm-none-eabi-gcc)
foreach(lang C CXX ASM)
    set(CMAKE_${lang}_FLAGS_INIT "-mcpu=cortex-m0 -mthumb")
endforeach()
# No operating system to link a test program for.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(CMAKE_FIND_ROOT_PATH "${CMAKE_CURRENT_LIST_DIR}/sysroot")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
