# bare_metal.cmake - what every bare-metal toolchain file here shares; each
# includes it last, having set
#   CMAKE_SYSTEM_PROCESSOR  the core's family
#   compiler_prefix         what comes before gcc and g++ in the compilers'
#                           names
#   cpu_flags               the core's compile flags
#   link_flags              what the link needs besides the compile flags
#                           that reach it (the core, which C library)
# Only the codec and firmware build with these; the mavo tool they need
# runs on the build machine.
set(CMAKE_SYSTEM_NAME Generic)

set(CMAKE_C_COMPILER ${compiler_prefix}gcc)
set(CMAKE_CXX_COMPILER ${compiler_prefix}g++)

# A section for each function and object, which the link drops when
# nothing uses it; and no C++ runtime, which these C libraries lack.
set(CMAKE_C_FLAGS_INIT "${cpu_flags} -ffunction-sections -fdata-sections")
set(CMAKE_CXX_FLAGS_INIT "${cpu_flags} -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti")
string(STRIP "${link_flags} -Wl,--gc-sections" CMAKE_EXE_LINKER_FLAGS_INIT)
# No operating system to link a test program for: compiler checks build a
# library instead.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
