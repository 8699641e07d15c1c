/* board.h - what each board gives the target test and the benchmark: a
   line of text to the host, the end of the run with a status the emulator
   hands back as its own, and reading constant data wherever the board
   keeps it (program memory on AVR, plain memory elsewhere). */
#ifndef MAVO_TARGET_BOARD_H
#define MAVO_TARGET_BOARD_H

#include <stddef.h>
#include <stdint.h>

#ifdef __AVR__
#include <avr/pgmspace.h>
/* Constant tables and texts of the program's own, kept in program memory
   on AVR, whose 2 KiB of RAM would not hold them beside the asset. */
#define BOARD_CONST_DATA PROGMEM
#define BOARD_TEXT(text) PSTR(text)
#else
#define BOARD_CONST_DATA
#define BOARD_TEXT(text) (text)
#endif

/* Writes a NUL-terminated text to the host's console: one in RAM, or one
   made with BOARD_TEXT(). */
void board_print(const char *text);
void board_print_text(const char *text);

/* Writes n in decimal (board_print.c, the same on every board). */
void board_print_number(uint32_t n);

/* Ends the run: the emulator exits with status (0 when all went well). */
void board_exit(int status);

/* Copies n bytes of a table declared with BOARD_CONST_DATA into RAM. */
void board_read_const(void *to, const void *from, size_t n);

/* The program's entry point, called by each board's start-up code. */
int target_main(void);

/* On the QEMU boards: sets up RAM, runs target_main() and exits with its
   result. */
void board_start(void);

#endif /* MAVO_TARGET_BOARD_H */
