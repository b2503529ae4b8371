# The medium a vendor ships: the program, its helper, the folder "PPDs", a launcher, an icon
# and a short text, side by side at the top of one folder. The program is never installed
# into the system, so `cmake --install` lays out that folder and CPack makes a tarball of it.

# Without --prefix the medium goes into the build tree, never into /usr/local.
if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
  set(CMAKE_INSTALL_PREFIX "${PROJECT_BINARY_DIR}/medium" CACHE PATH
      "Folder that receives the medium" FORCE)
endif()

# Every library comes from the system. The helper runs as root, so neither it nor the
# program may look for libraries on the medium or in the folder above it.
set_target_properties(ppd-installer ppd-installer-helper PROPERTIES INSTALL_RPATH "")

# File managers start a launcher outside the menus only when it is executable.
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/ppd-installer.desktop DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ppd-installer.svg
              ${PROJECT_SOURCE_DIR}/packaging/README.txt
        DESTINATION .)

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME ppd-installer)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Installs the PPD files of a printer vendor's disc")
set(CPACK_PACKAGE_FILE_NAME "ppd-installer-${PROJECT_VERSION}-medium")
# One folder whose contents go onto the disc as they are.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
