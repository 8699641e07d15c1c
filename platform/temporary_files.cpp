// temporary_files.cpp - the registry of the temporary files a signal must
// remove, the same on every system.
#include "temporary_files.h"

namespace {

// At most one file per pass, and the passes run one at a time, so a few
// slots are plenty. A signal handler reads each pointer once; the strings
// they point into live until forgotten.
constexpr int temporary_slots = 4;
const native_char *volatile temporaries[temporary_slots];

} // namespace

bool register_temporary(const native_string &temp_name) {
    for (int i = 0; i < temporary_slots; ++i) {
        if (!temporaries[i]) {
            temporaries[i] = temp_name.c_str();
            return true;
        }
    }
    return false;
}

void forget_temporary(const native_string &temp_name) {
    for (int i = 0; i < temporary_slots; ++i)
        if (temporaries[i] == temp_name.c_str())
            temporaries[i] = nullptr;
}

void remove_temporaries(void (*remove)(const native_char *name)) {
    for (int i = 0; i < temporary_slots; ++i) {
        const native_char *name = temporaries[i];
        if (name)
            remove(name);
    }
}
