/* riscv_startup.c - start-up for the sifive_e board (RV32IMAC): sets the
   stack and global pointers and starts the program (board_start(), in
   board_semihosting.c). */
#include "board.h"

void _start(void);

/* The reset vector jumps here: no stack yet, so no C until it is set. */
__attribute__((naked, section(".text.start"))) void _start(void)
{
    __asm__ volatile(".option push\n"
                     ".option norelax\n"
                     "la gp, __global_pointer$\n"
                     ".option pop\n"
                     "la sp, __stack_top\n"
                     "j board_start");
}
