/* startup.c - the smallest start for a Cortex-M3: the vector table, and a
   reset handler that sets up RAM and semihosting, runs main() and hands its
   result to exit(), which semihosting passes to the host. */
#include <stdint.h>
#include <stdlib.h>

extern uint32_t __data_start[], __data_end[], __data_load[];
extern uint32_t __bss_start[], __bss_end[], __stack_top[];

int main(void);
void reset_handler(void);
void initialise_monitor_handles(void); /* newlib's semihosting (librdimon) */

static void halt(void)
{
    for (;;) {
    }
}

/* Initial stack pointer, reset, then NMI and the faults: any fault halts,
   and the test's time limit reports it. */
__attribute__((section(".vectors"), used)) static void (*const vectors[])(void) = {
    (void (*)(void))__stack_top, reset_handler, halt, halt, halt, halt, halt,
};

void reset_handler(void)
{
    uint32_t *from = __data_load;
    uint32_t *to;
    for (to = __data_start; to < __data_end;)
        *to++ = *from++;
    for (to = __bss_start; to < __bss_end;)
        *to++ = 0;
    initialise_monitor_handles();
    exit(main());
}
