/* simavr_run.c - runs an ATmega328P program under simavr and exits with the
   status the program reports, which simavr alone never does.

     simavr_run [--max-cycles N] PROGRAM.elf

   The program writes its status to GPIOR0 and then sleeps with interrupts
   off, which ends the simulation. Bytes written to GPIOR1 are its console.
   What it sends through UART0 (Serial, on an Arduino) is printed as well.
   GPIOR2 brackets a measurement: 1 starts it, 2 pauses it, 3 resumes it
   and 0 stops it, printing to the console the cycles counted while it ran
   (so that work between pieces, such as checking them, is left out). A
   program
   that ends without a status, crashes or runs past N cycles (100 million
   unless told) fails with status 125. A host program, built with the host's
   C compiler and linked with libsimavr. */
#include <inttypes.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <avr_uart.h>
#include <sim_avr.h>
#include <sim_elf.h>
#include <sim_io.h>
#include <sim_irq.h>

enum {
    GPIOR0_ADDRESS = 0x3e, /* data-space addresses on the ATmega328P */
    GPIOR1_ADDRESS = 0x4a,
    GPIOR2_ADDRESS = 0x4b,
    NO_STATUS = 125
};

/* What a program writes to GPIOR2. */
enum { MEASURE_STOP = 0, MEASURE_START = 1, MEASURE_PAUSE = 2, MEASURE_RESUME = 3 };

struct run {
    int has_status;
    uint8_t status;
    int measuring;             /* counting cycles now, not paused */
    avr_cycle_count_t mark;    /* where the counting last (re)started */
    avr_cycle_count_t counted; /* cycles counted before the last pause */
};

static void status_written(avr_t *avr, avr_io_addr_t addr, uint8_t value, void *param)
{
    struct run *run = param;
    avr->data[addr] = value;
    run->has_status = 1;
    run->status = value;
}

static void console_written(avr_t *avr, avr_io_addr_t addr, uint8_t value, void *param)
{
    (void)param;
    avr->data[addr] = value;
    putchar(value);
}

static void pause_counting(struct run *run, avr_cycle_count_t now)
{
    if (run->measuring)
        run->counted += now - run->mark;
    run->measuring = 0;
}

static void mark_written(avr_t *avr, avr_io_addr_t addr, uint8_t value, void *param)
{
    struct run *run = param;
    avr->data[addr] = value;
    switch (value) {
    case MEASURE_START:
        run->counted = 0;
        /* fall through */
    case MEASURE_RESUME:
        run->measuring = 1;
        run->mark = avr->cycle;
        break;
    case MEASURE_PAUSE:
        pause_counting(run, avr->cycle);
        break;
    case MEASURE_STOP:
        pause_counting(run, avr->cycle);
        printf("%" PRIu64, (uint64_t)run->counted);
        break;
    default:
        break;
    }
}

static void uart_sent(struct avr_irq_t *irq, uint32_t value, void *param)
{
    (void)irq;
    (void)param;
    putchar((int)(value & 0xFFu));
}

/* simavr's own messages: errors only, to stderr, so that the program's
   console is all that stdout holds. */
static void quiet_logger(avr_t *avr, const int level, const char *format, va_list arguments)
{
    (void)avr;
    if (level <= LOG_ERROR)
        vfprintf(stderr, format, arguments);
}

int main(int argc, char **argv)
{
    unsigned long long max_cycles = 100000000ull;
    const char *program = NULL;
    elf_firmware_t firmware;
    struct run run = {0, 0, 0, 0, 0};
    avr_t *avr;
    int state = cpu_Running;
    int i;

    for (i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--max-cycles") == 0 && i + 1 < argc)
            max_cycles = strtoull(argv[++i], NULL, 10);
        else
            program = argv[i];
    }
    if (program == NULL) {
        fprintf(stderr, "usage: simavr_run [--max-cycles N] PROGRAM.elf\n");
        return 2;
    }
    avr_global_logger_set(quiet_logger);
    memset(&firmware, 0, sizeof firmware);
    if (elf_read_firmware(program, &firmware) != 0) {
        fprintf(stderr, "simavr_run: cannot read %s\n", program);
        return 2;
    }
    avr = avr_make_mcu_by_name("atmega328p");
    if (avr == NULL || avr_init(avr) != 0) {
        fprintf(stderr, "simavr_run: simavr has no atmega328p\n");
        return 2;
    }
    avr->frequency = 16000000;
    avr->log = LOG_ERROR;
    avr_load_firmware(avr, &firmware);
    avr_register_io_write(avr, GPIOR0_ADDRESS, status_written, &run);
    avr_register_io_write(avr, GPIOR1_ADDRESS, console_written, &run);
    avr_register_io_write(avr, GPIOR2_ADDRESS, mark_written, &run);
    {
        /* The UART's bytes as they are, not simavr's coloured lines. */
        uint32_t flags = 0;
        avr_ioctl(avr, AVR_IOCTL_UART_GET_FLAGS('0'), &flags);
        flags &= ~(uint32_t)AVR_UART_FLAG_STDIO;
        avr_ioctl(avr, AVR_IOCTL_UART_SET_FLAGS('0'), &flags);
        avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT),
                                uart_sent, NULL);
    }

    while (state != cpu_Done && state != cpu_Crashed && avr->cycle < max_cycles)
        state = avr_run(avr);
    fflush(stdout);
    if (state != cpu_Done) {
        fprintf(stderr, "simavr_run: %s after %" PRIu64 " cycles\n",
                state == cpu_Crashed ? "crashed" : "still running", (uint64_t)avr->cycle);
        return NO_STATUS;
    }
    if (!run.has_status) {
        fprintf(stderr, "simavr_run: the program stopped without a status\n");
        return NO_STATUS;
    }
    return run.status;
}
