# The board SDK's runtime for the microbit board (nRF51822, Cortex-M0), as
# an INTERFACE library a program links, the way SDKs carry a board's
# options: the start-up code and semihosting console (mavo's own board
# files in tests/target), the core, a section for each function and object
# with --gc-sections to drop the unused ones, and the linker script. None
# of it reaches a library that does not link it.
set(board_files "${CMAKE_CURRENT_LIST_DIR}/../../../../target")
cmake_path(NORMAL_PATH board_files)
add_library(board_runtime INTERFACE)
target_sources(board_runtime INTERFACE "${board_files}/cortex_m_startup.c"
    "${board_files}/board_semihosting.c" "${board_files}/board_print.c")
target_include_directories(board_runtime INTERFACE "${board_files}")
target_compile_options(board_runtime INTERFACE -mcpu=cortex-m0 -mthumb
    -ffunction-sections -fdata-sections)
target_link_options(board_runtime INTERFACE -mcpu=cortex-m0 -mthumb --specs=nano.specs
    -nostartfiles "LINKER:--gc-sections" "-T${board_files}/microbit.ld")
set_property(TARGET board_runtime PROPERTY INTERFACE_LINK_DEPENDS "${board_files}/microbit.ld")

# The board's compile options on a library of their own, as some SDKs keep
# them (the core again, and a definition the SDK's headers test), for
# libraries that want them without the runtime.
add_library(board_options INTERFACE)
target_compile_options(board_options INTERFACE -mcpu=cortex-m0 -mthumb)
target_compile_definitions(board_options INTERFACE BOARD_NRF51822=1)
