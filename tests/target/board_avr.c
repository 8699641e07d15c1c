/* board_avr.c - the board interface on the ATmega328P under simavr_run:
   text goes out a byte at a time through GPIOR1, the status through GPIOR0,
   and the run ends by sleeping with interrupts off, which stops the
   simulator. Constant data is in program memory. */
#include "board.h"

#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/sleep.h>

int main(void)
{
    board_exit(target_main());
    return 0;
}

void board_print(const char *text)
{
    while (*text)
        GPIOR1 = (uint8_t)*text++;
}

void board_print_text(const char *text)
{
    char c;
    while ((c = (char)pgm_read_byte(text++)) != '\0')
        GPIOR1 = (uint8_t)c;
}

void board_exit(int status)
{
    GPIOR0 = (uint8_t)status;
    cli();
    sleep_enable();
    for (;;)
        sleep_cpu();
}

void board_read_const(void *to, const void *from, size_t n)
{
    memcpy_P(to, from, n);
}
