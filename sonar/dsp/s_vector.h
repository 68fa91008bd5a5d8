// The per-sample loops of the signal chain are compiled once per level of
// x86-64 vector unit (AVX-512, AVX2, and the SSE2 every such processor
// has); the loader picks the widest the processor offers. Other compilers
// and machines compile them once, and so does the ThreadSanitizer tree:
// the loader runs the choosing code before that runtime is up.
#pragma once

#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_THREAD__)
#define VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define VECTOR_CLONES
#endif
