/* board_semihosting.c - the board interface on the QEMU boards (Arm and
   RISC-V): text and the exit status go to the host through semihosting,
   and constant data is plain memory. board_start() is where each board's
   start-up code goes once the stack is set. */
#include "board.h"

#include <string.h>

enum {
    SYS_WRITE0 = 0x04,        /* writes a NUL-terminated text */
    SYS_EXIT_EXTENDED = 0x20, /* ends the run with a reason and a status */
    APPLICATION_EXIT = 0x20026
};

/* One semihosting call: the operation in r0 (a0), its argument in r1 (a1),
   raised by the instruction sequence the host watches for. */
static uintptr_t semihost(uintptr_t operation, const void *argument)
{
#if defined(__arm__)
    register uintptr_t r0 __asm__("r0") = operation;
    register const void *r1 __asm__("r1") = argument;
    __asm__ volatile("bkpt 0xab" : "+r"(r0) : "r"(r1) : "memory");
    return r0;
#elif defined(__riscv)
    register uintptr_t a0 __asm__("a0") = operation;
    register const void *a1 __asm__("a1") = argument;
    /* The three instructions must be uncompressed and within one page. */
    __asm__ volatile(".option push\n"
                     ".option norvc\n"
                     ".balign 16\n"
                     "slli x0, x0, 0x1f\n"
                     "ebreak\n"
                     "srai x0, x0, 7\n"
                     ".option pop"
                     : "+r"(a0) : "r"(a1) : "memory");
    return a0;
#else
#error "semihosting on Arm or RISC-V only"
#endif
}

/* The linker script's marks: data's image in flash, its place in RAM, and
   the zeroed data. */
extern uint32_t __data_start[], __data_end[], __data_load[];
extern uint32_t __bss_start[], __bss_end[];

void board_start(void)
{
    const uint32_t *from = __data_load;
    uint32_t *to;
    for (to = __data_start; to < __data_end;)
        *to++ = *from++;
    for (to = __bss_start; to < __bss_end;)
        *to++ = 0;
    board_exit(target_main());
}

void board_print(const char *text)
{
    semihost(SYS_WRITE0, text);
}

void board_print_text(const char *text)
{
    semihost(SYS_WRITE0, text);
}

void board_exit(int status)
{
    const uintptr_t block[2] = {APPLICATION_EXIT, (uintptr_t)status};
    semihost(SYS_EXIT_EXTENDED, block);
    for (;;) {
    }
}

void board_read_const(void *to, const void *from, size_t n)
{
    memcpy(to, from, n);
}
