# 32-bit big-endian PowerPC, cross-built with Debian's g++-12-powerpc-linux-gnu
# and run under qemu-user against the cross sysroot.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR powerpc)

set(KELMORA_PPC_SYSROOT /usr/powerpc-linux-gnu)
set(CMAKE_C_COMPILER powerpc-linux-gnu-gcc-12)
set(CMAKE_CXX_COMPILER powerpc-linux-gnu-g++-12)
set(CMAKE_READELF powerpc-linux-gnu-readelf)

set(CMAKE_FIND_ROOT_PATH ${KELMORA_PPC_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC fuses multiply-adds on PowerPC unless told not to; that changes result bits.
set(CMAKE_C_FLAGS_INIT "-ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-ffp-contract=off")

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-ppc -L ${KELMORA_PPC_SYSROOT})
