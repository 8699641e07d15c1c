/* board_print.c - console output that is the same on every board, built
   on board_print(). */
#include "board.h"

void board_print_number(uint32_t n)
{
    char text[11];
    int i = 10;
    text[10] = '\0';
    do {
        text[--i] = (char)('0' + n % 10u);
        n /= 10u;
    } while (n != 0);
    board_print(text + i);
}
