#!/bin/sh
# Runs a Windows program (32- or 64-bit) under Wine, in a prefix of its own.
# Usage: wine-run.sh PREFIX PROGRAM [ARG...]
# CTest uses it as the cross-compiling emulator; the prefix lies inside the
# build tree, so tests never share the user's ~/.wine or each other's state.
set -eu
prefix=$1
shift
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No Mono or Gecko installer on the first start of a prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Where the kernel cannot run 32-bit x86 code, it runs through qemu-i386 (see
# kelmora_enable_i386 in scripts/lib/common.sh); Wine needs the emulated
# address space reserved up front to place its shared data page.
export QEMU_RESERVED_VA=0xf0000000

# The 64-bit loader sets the prefix up natively and runs 64-bit programs
# itself; it starts the 32-bit loader for 32-bit programs, which matters when
# 32-bit code is emulated.
loader=wine
[ -x /usr/lib/wine/wine64 ] && loader=/usr/lib/wine/wine64

# The first start of a new prefix takes a while; do it once, not in every
# test that starts at the same time.
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    flock "$prefix.lock" sh -c '[ -f "$1/system.reg" ] || "$2" wineboot --init' sh "$prefix" "$loader"
fi
exec "$loader" "$@"
