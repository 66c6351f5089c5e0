# Installing and packaging the plug-in: `cmake --install` puts it in a
# conventional place, and CPack makes one archive per target (.tar.gz for the
# ELF targets, .zip for Windows) with the plug-in, the README and the
# parameter reference.
if(WIN32)
  set(KELMORA_PLUGIN_INSTALL_DIR bin)
  set(KELMORA_DOC_INSTALL_DIR doc)
  set(CPACK_GENERATOR ZIP)
else()
  set(KELMORA_PLUGIN_INSTALL_DIR lib/kelmora)
  set(KELMORA_DOC_INSTALL_DIR share/doc/kelmora)
  set(CPACK_GENERATOR TGZ)
endif()

# A MODULE library installs as a LIBRARY on every platform, the DLL included.
install(TARGETS kelmora LIBRARY DESTINATION ${KELMORA_PLUGIN_INSTALL_DIR} COMPONENT plugin)
install(FILES README.md docs/parameters.md DESTINATION ${KELMORA_DOC_INSTALL_DIR}
        COMPONENT plugin)
# The picture of the effect is rendered by kelmora-render; ship it when it is there.
install(FILES docs/fisheye.png DESTINATION ${KELMORA_DOC_INSTALL_DIR} COMPONENT plugin OPTIONAL)

string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" kelmora_package_target)
set(KELMORA_PACKAGE_TARGET ${kelmora_package_target}
    CACHE STRING "Target name in the package file name")
set(CPACK_PACKAGE_NAME kelmora)
set(CPACK_PACKAGE_VENDOR kelmora)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Circular fisheye lens shader plug-in")
set(CPACK_PACKAGE_FILE_NAME "kelmora-${PROJECT_VERSION}-${KELMORA_PACKAGE_TARGET}")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# Only the plug-in and its documents, whatever else the tree installs.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL plugin)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
