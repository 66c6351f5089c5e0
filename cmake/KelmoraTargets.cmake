# Warnings are errors in project code only (not in GoogleTest or other
# third-party sources built alongside).
function(kelmora_project_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wdouble-promotion -Werror)
endfunction()

# Where ctest finds the plug-in binary the tests load.
set(KELMORA_PLUGIN_DIR ${CMAKE_BINARY_DIR})
