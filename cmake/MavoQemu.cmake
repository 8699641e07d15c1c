# mavo_qemu_command(<board> <out>): the command line that runs a bare-metal
# program on one of QEMU's boards (microbit and mps2-an385 in
# qemu-system-arm, sifive_e in qemu-system-riscv32), the program's file to
# follow. The program's console and exit status come through semihosting,
# so its status is the command's. <out> is empty where that QEMU is not
# installed.
function(mavo_qemu_command board out)
    if(board STREQUAL "sifive_e")
        find_program(QEMU_SYSTEM_RISCV32 qemu-system-riscv32)
        set(qemu "${QEMU_SYSTEM_RISCV32}")
    else()
        find_program(QEMU_SYSTEM_ARM qemu-system-arm)
        set(qemu "${QEMU_SYSTEM_ARM}")
    endif()
    set(${out} "" PARENT_SCOPE)
    if(qemu)
        set(${out} "${qemu}" -machine ${board} -nographic -monitor none
            -semihosting-config enable=on,target=native -kernel PARENT_SCOPE)
    endif()
endfunction()
