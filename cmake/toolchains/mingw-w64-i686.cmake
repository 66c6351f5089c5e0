# 32-bit Windows, cross-built with Debian's g++-mingw-w64-i686 and run under Wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(KELMORA_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/../MingwToolchain.cmake)

# x87 arithmetic carries extra precision in intermediates; SSE2 rounds every
# float and double operation the way the other targets do.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -ffp-contract=off")
