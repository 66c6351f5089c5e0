# 64-bit Windows, cross-built with Debian's g++-mingw-w64-x86-64 and run under
# Wine's 64-bit loader, natively. It builds the same DLL sources as the 32-bit
# target; it is where the threaded tests run when 32-bit x86 code has to be
# emulated (see tests/CMakeLists.txt). The posix thread-model compiler is named
# explicitly, whatever the machine-wide alternative says: only it has
# std::thread, which the tests use. Its winpthread runtime is linked statically
# where anything needs it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KELMORA_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KELMORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELMORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KELMORA_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${KELMORA_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${KELMORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# x86-64 does its float and double arithmetic in SSE registers already.
set(CMAKE_C_FLAGS_INIT "-ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-ffp-contract=off")

# Every test program runs under Wine, in a prefix of its own inside the build
# tree (see the wrapper), never in the user's ~/.wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
