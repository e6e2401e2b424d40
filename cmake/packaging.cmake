# What `cmake --install` puts beside the library (see lib/libtavik for the
# library and its header): the CMake package, the pkg-config file and the man
# page; on Windows also the README, CHANGELOG and LICENSE, and a ZIP of it all
# that CPack makes; elsewhere the Debian packages CPack makes of it.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(tavik_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/tavik)
install(EXPORT tavikTargets NAMESPACE tavik:: DESTINATION ${tavik_cmake_dir} COMPONENT development)
configure_package_config_file(cmake/tavikConfig.cmake.in ${PROJECT_BINARY_DIR}/tavikConfig.cmake
  INSTALL_DESTINATION ${tavik_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/tavikConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/tavikConfig.cmake ${PROJECT_BINARY_DIR}/tavikConfigVersion.cmake
  DESTINATION ${tavik_cmake_dir} COMPONENT development)

# pkg-config paths relative to the file's own folder where they can be, so
# that the file is right wherever --prefix puts the tree.
file(RELATIVE_PATH tavik_pc_to_prefix "${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig" "${CMAKE_INSTALL_PREFIX}")
string(REGEX REPLACE "/$" "" tavik_pc_to_prefix "${tavik_pc_to_prefix}")
set(tavik_pc_prefix "\${pcfiledir}/${tavik_pc_to_prefix}")
foreach(kind libdir includedir)
  string(TOUPPER "${kind}" upper)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${upper}}")
    set(tavik_pc_${kind} "${CMAKE_INSTALL_${upper}}")
  else()
    set(tavik_pc_${kind} "\${prefix}/${CMAKE_INSTALL_${upper}}")
  endif()
endforeach()
get_target_property(tavik_type tavik TYPE)
set(tavik_pc_cflags "")
if(tavik_type STREQUAL "STATIC_LIBRARY")
  set(tavik_pc_cflags " -DTAVIK_STATIC")
endif()
configure_file(cmake/tavik.pc.in ${PROJECT_BINARY_DIR}/tavik.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/tavik.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

configure_file(man/print_progress_bar.3.in ${PROJECT_BINARY_DIR}/print_progress_bar.3 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/print_progress_bar.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3 COMPONENT development)

set(CPACK_PACKAGE_NAME libtavik)
if(WIN32)
  install(FILES README.md CHANGELOG.md LICENSE DESTINATION . COMPONENT development)
  # One ZIP per architecture and C run-time, e.g. libtavik-1.1.0-x86-ucrt.zip.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(tavik_windows_arch x86)
  else()
    set(tavik_windows_arch x64)
  endif()
  if(DEFINED TAVIK_MINGW_CRT)
    set(tavik_windows_crt ${TAVIK_MINGW_CRT})
  else()
    set(tavik_windows_crt ucrt)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_STRIP_FILES ON)
  set(CPACK_PACKAGE_FILE_NAME libtavik-${PROJECT_VERSION}-${tavik_windows_arch}-${tavik_windows_crt})
  include(CPack)
  return()
endif()

# Debian packages: libtavik1 (the shared library) and libtavik-dev (the rest).
set(CPACK_PACKAGE_VENDOR "libtavik developers")
set(CPACK_PACKAGE_CONTACT "libtavik developers <libtavik@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME libtavik${PROJECT_VERSION_MAJOR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
  "text progress bar on standard output, in one C function\n print_progress_bar() draws a 40-cell bar and the percentage on stdout,\n ending in a carriage return so that each call redraws the line.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libtavik-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "libtavik${PROJECT_VERSION_MAJOR} (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
  "text progress bar on standard output (development files)\n The header tavik.h, the CMake package, the pkg-config file and the\n print_progress_bar(3) man page of libtavik.")
include(CPack)
