/* riscv_startup.c - start-up for the sifive_e board (RV32IMAC): sets the
   stack and global pointers and the trap vector, and starts the program
   (board_start(), in board_semihosting.c). */
#include "board.h"

void _start(void);
void trap(void);

/* Any trap (a fault: the program takes no interrupts) ends the run as a
   failure at once, rather than by time-out. mtvec needs 4-byte alignment. */
__attribute__((aligned(4))) void trap(void)
{
    board_print("target test: a trap\n");
    board_exit(3);
}

/* The reset vector jumps here: no stack yet, so no C until it is set. */
__attribute__((naked, section(".text.start"))) void _start(void)
{
    __asm__ volatile(".option push\n"
                     ".option norelax\n"
                     "la gp, __global_pointer$\n"
                     ".option pop\n"
                     "la sp, __stack_top\n"
                     "la t0, trap\n"
                     ".option push\n"
                     ".option arch, +zicsr\n"
                     "csrw mtvec, t0\n"
                     ".option pop\n"
                     "j board_start");
}
