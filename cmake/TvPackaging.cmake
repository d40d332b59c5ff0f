# Install rules and release packages (scripts/package runs CPack).
#
# Linux: an install-prefix layout, bin/zv30to31 and bin/zvtool, the README and the licence in
# share/doc/zv30to31; packaged as a Debian package and a tar.gz of the same tree.
# Windows: ZV30TO31.exe, zvtool.exe, README.md and LICENSE.txt side by side in one zip, so the
# exe can be copied beside the messenger's Zorvane.exe as it is.

# Packaging builds only the programs (scripts/package names them), never the whole test tree.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  set(tv_bin_dir .)
  set(tv_doc_dir .)
else()
  include(GNUInstallDirs)
  set(tv_bin_dir ${CMAKE_INSTALL_BINDIR})
  set(tv_doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/zv30to31)
endif()

set(tv_programs zv30to31)
if(TARGET zvtool)
  list(APPEND tv_programs zvtool)
endif()
install(TARGETS ${tv_programs} RUNTIME DESTINATION ${tv_bin_dir})
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/LICENSE.txt
  DESTINATION ${tv_doc_dir})

set(CPACK_PACKAGE_NAME zv30to31)
set(CPACK_PACKAGE_VENDOR "Tarvo software")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Zorvane database tool: converts a user data folder from the 3.0 to the 3.1 formats")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE.txt)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_SOURCE_DIR}/dist)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x64)
  # The files at the top of the zip, no folder around them.
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  set(CPACK_GENERATOR "DEB;TGZ")
  set(CPACK_SYSTEM_NAME linux-x86_64)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tarvo software")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  find_program(TV_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(TV_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
  endif()
endif()
include(CPack)
