/* mavo.h - the Arduino library's header: the mavo codec, whose manual is
   codec.h beside it (copied there from the project's codec/ when the
   library is made). */
#ifndef MAVO_ARDUINO_H
#define MAVO_ARDUINO_H

#include "codec.h"

#endif
