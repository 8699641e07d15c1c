/* cortex_m_startup.c - start-up for the Cortex-M boards (M0 on microbit,
   M3 on mps2-an385): the vector table, and a reset handler that starts the
   program (board_start(), in board_semihosting.c). */
#include "board.h"

extern uint32_t __stack_top[];

void reset_handler(void);

/* Any fault ends the run as a failure at once, rather than by time-out. */
static void fault(void)
{
    board_print("target test: a fault\n");
    board_exit(3);
}

/* The initial stack pointer, then reset, NMI and HardFault. */
struct vector_table {
    uint32_t *stack_top;
    void (*handlers[3])(void);
};

__attribute__((section(".vectors"), used)) static const struct vector_table vectors = {
    __stack_top, {reset_handler, fault, fault},
};

void reset_handler(void)
{
    board_start();
}
