# 32-bit x86 targets: floating point in SSE2 registers, never on the x87 unit.
# x87 arithmetic keeps 80-bit intermediates whose rounding depends on register
# spills, so the same render would differ from the 64-bit builds by a level
# here and there. Such builds need a processor with SSE2 (Pentium 4, Athlon 64
# or later). The project itself sets the same options (and -ffp-contract=off)
# for its own code whatever its cache holds; this file gives them to the
# dependencies built with the toolchain files.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
