# Sanitized builds (presets asan, tsan, fuzz): every target, the plug-in
# included, is instrumented. The plug-in is still linked without any library;
# its calls into the sanitizer runtime bind, like the host functions, from the
# executable that loads it (clang links the runtime into executables only).
set(KELMORA_SANITIZE "" CACHE STRING "clang -fsanitize list applied to every target (empty: none)")
option(KELMORA_FUZZ "Build the libFuzzer targets (clang; instruments every target for coverage)" OFF)

if(KELMORA_SANITIZE OR KELMORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "Sanitized and fuzzing builds need clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-g -fno-omit-frame-pointer)
endif()

if(KELMORA_SANITIZE)
  # A report must fail the test, not scroll past.
  add_compile_options(-fsanitize=${KELMORA_SANITIZE} -fno-sanitize-recover=all)
  # IEEE division by zero is part of the shader's arithmetic (a ray with zero
  # depth projects to infinity or NaN, which the host receives as is). clang
  # leaves this check out of "undefined"; keep it out even if a list names it.
  add_compile_options(-fno-sanitize=float-divide-by-zero)
  add_link_options(-fsanitize=${KELMORA_SANITIZE})
endif()

if(KELMORA_FUZZ)
  # Coverage for libFuzzer in every object, the plug-in's too; only the fuzz
  # targets link libFuzzer itself (-fsanitize=fuzzer).
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
