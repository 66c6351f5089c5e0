# Native builds use Debian's packaged GoogleTest; cross builds compile it from
# Debian's source package for the target.
if(CMAKE_CROSSCOMPILING)
  set(KELMORA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  if(NOT EXISTS ${KELMORA_GTEST_SOURCE}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${KELMORA_GTEST_SOURCE} "
                        "(Debian package googletest)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  # Its CMake project defines the GTest::gtest and GTest::gtest_main aliases.
  add_subdirectory(${KELMORA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL)
else()
  find_package(GTest REQUIRED)
endif()
include(GoogleTest)
