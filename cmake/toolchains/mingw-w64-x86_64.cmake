# 64-bit Windows, cross-built with Debian's g++-mingw-w64-x86-64 and run under
# Wine's 64-bit loader, natively. It builds the same DLL sources as the 32-bit
# target; it is where the threaded tests run when 32-bit x86 code has to be
# emulated (see tests/CMakeLists.txt).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KELMORA_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/../MingwToolchain.cmake)

# x86-64 does its float and double arithmetic in SSE registers already.
set(CMAKE_C_FLAGS_INIT "-ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-ffp-contract=off")
