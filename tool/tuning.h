// tuning.h - the one compiler hint the tool uses, spelled for each
// compiler that knows it.
#pragma once

// Keeps a hot loop in a function of its own (see verify_pass.cpp).
#if defined(__GNUC__)
#define MAVO_NOINLINE __attribute__((noinline))
#elif defined(_MSC_VER)
#define MAVO_NOINLINE __declspec(noinline)
#else
#define MAVO_NOINLINE
#endif
