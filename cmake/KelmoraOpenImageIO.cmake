# OpenImageIO, as a global target for the renderer and its tests. Debian's
# package config names /usr/include/opencv4 even when OpenCV's headers are not
# installed, which CMake refuses; paths that do not exist are dropped.
include_guard(GLOBAL)
find_package(OpenImageIO CONFIG REQUIRED GLOBAL)
foreach(property INTERFACE_INCLUDE_DIRECTORIES INTERFACE_SYSTEM_INCLUDE_DIRECTORIES)
  get_target_property(kelmora_oiio_dirs OpenImageIO::OpenImageIO ${property})
  if(kelmora_oiio_dirs)
    set(kelmora_oiio_existing "")
    foreach(dir IN LISTS kelmora_oiio_dirs)
      if(EXISTS "${dir}")
        list(APPEND kelmora_oiio_existing "${dir}")
      endif()
    endforeach()
    set_target_properties(OpenImageIO::OpenImageIO PROPERTIES ${property} "${kelmora_oiio_existing}")
  endif()
endforeach()
