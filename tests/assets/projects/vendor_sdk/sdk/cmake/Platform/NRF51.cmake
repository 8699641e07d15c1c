# The SDK's system NRF51 for CMake: bare metal, static libraries only, and
# programs are .elf files.
include(Platform/Generic)
set(CMAKE_EXECUTABLE_SUFFIX .elf)
