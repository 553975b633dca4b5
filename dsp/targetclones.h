// KVR_CLONE_FOR_AVX2 before a function asks the compiler for an extra copy
// built for AVX2, chosen at load time on processors that have it. Only GCC
// and clang on x86-64 ELF targets can do this; elsewhere the macro is empty
// and the one portable build of the function is used.
#pragma once

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__) && defined(__ELF__)
#define KVR_CLONE_FOR_AVX2 __attribute__((target_clones("avx2", "default")))
#else
#define KVR_CLONE_FOR_AVX2
#endif
