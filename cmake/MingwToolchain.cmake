# What the mingw-w64 toolchain files share. The including file sets
# KELMORA_MINGW_PREFIX (the compiler triplet) and CMAKE_SYSTEM_PROCESSOR.
# The posix thread-model compiler is named explicitly, whatever the
# machine-wide alternative says: only it has std::thread, which the tests use.
# Its winpthread runtime is linked statically where anything needs it.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${KELMORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KELMORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KELMORA_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${KELMORA_MINGW_PREFIX}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${KELMORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every test program runs under Wine, in a prefix of its own inside the build
# tree (see the wrapper), never in the user's ~/.wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${CMAKE_BINARY_DIR}/wineprefix)
