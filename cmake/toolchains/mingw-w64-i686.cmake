# 32-bit Windows, cross-built with Debian's g++-mingw-w64-i686 and run under
# Wine. The posix thread-model compiler is named explicitly, whatever the
# machine-wide alternative says: only it has std::thread, which the tests use.
# Its winpthread runtime is linked statically where anything needs it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(KELMORA_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${KELMORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELMORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KELMORA_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${KELMORA_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${KELMORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# x87 arithmetic carries extra precision in intermediates; SSE2 rounds every
# float and double operation the way the other targets do.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse -ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse -ffp-contract=off")

# Every test program runs under Wine, in a prefix of its own inside the build
# tree (see the wrapper), never in the user's ~/.wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
