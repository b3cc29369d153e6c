#pragma once

// Marks a hot loop function to be built twice, for AVX2 and for the x86-64 baseline, the right
// one chosen when the program starts. AVX2 without FMA does the same IEEE operations in the same
// order, only more of them per instruction, so results do not change by a bit. Elsewhere (other
// compilers, processors or systems) the function is built once, as it is.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__linux__)
#define CTIQ_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define CTIQ_VECTOR_CLONES
#endif
