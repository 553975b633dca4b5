// Hints for the optimiser that only some compilers understand, behind macros
// that are empty elsewhere, so the code stays portable.
//
// KVR_CLONE_FOR_AVX2 before a function asks for an extra copy built for AVX2,
// chosen at load time on processors that have it (GCC and clang on x86-64
// ELF targets).
//
// KVR_LOOP_INDEPENDENT before a loop says its iterations do not depend on
// each other through memory, so it may be vectorised.
#pragma once

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__) && defined(__ELF__)
#define KVR_CLONE_FOR_AVX2 __attribute__((target_clones("avx2", "default")))
#else
#define KVR_CLONE_FOR_AVX2
#endif

// (clang vectorises such loops on its own from the restrict pointers, and its
// explicit hint turns into a warning wherever instrumentation prevents it.)
#if defined(__GNUC__) && !defined(__clang__)
#define KVR_LOOP_INDEPENDENT _Pragma("GCC ivdep")
#else
#define KVR_LOOP_INDEPENDENT
#endif
