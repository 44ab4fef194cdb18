# The product target: 32-bit Windows (x86).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(SOMNEL_MINGW_TRIPLET i686-w64-mingw32)
# Floating point in SSE2 registers, as on x86-64. The default for this
# target is the x87 unit, which keeps every intermediate in extended
# precision: GCC does not round a C++ float or double expression to its type
# there, even through casts, so the movie matrix and twips sizes, which are
# defined in single and double precision and truncated, came out a unit
# different from the 64-bit build. SSE2 arithmetic rounds each operation to
# its type on both targets; every x86 processor of the last twenty years has
# it, and the Windows versions that are still supported require it. The
# stack is only 4-byte aligned when Windows or a host calls us: GCC realigns
# it where a function needs more (-mincoming-stack-boundary=2).
# CMakeLists.txt adds these on every configure, so a build folder made
# before them gets them too.
set(SOMNEL_FP_FLAGS -msse2 -mfpmath=sse -mincoming-stack-boundary=2)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
