/* library.c - a library's own code beside its assets. */
int library_function(void);
int library_function(void) { return 1; }
