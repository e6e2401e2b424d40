# With TAVIK_INSTALL, what `cmake --install` puts beside the library and header
# (lib/libtavik): the CMake and pkg-config packages, the man page, and on Windows
# the README, docs/, CHANGELOG and LICENSE. For the top level alone, CPack: a ZIP
# on Windows, and the release's source tarball (the .debs come from debian/).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# The suite reads the man page from the build folder.
configure_file(man/print_progress_bar.3.in ${PROJECT_BINARY_DIR}/print_progress_bar.3 @ONLY)
if(TAVIK_INSTALL)
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
  set(tavik_pc_cflags "")
  if(tavik_type STREQUAL "STATIC_LIBRARY")
    set(tavik_pc_cflags " -DTAVIK_STATIC")
  endif()
  configure_file(cmake/tavik.pc.in ${PROJECT_BINARY_DIR}/tavik.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/tavik.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)

  install(FILES ${PROJECT_BINARY_DIR}/print_progress_bar.3 DESTINATION ${CMAKE_INSTALL_MANDIR}/man3 COMPONENT development)
  if(WIN32)
    # docs/ beside the README, so that its links hold in the ZIP.
    install(FILES README.md CHANGELOG.md LICENSE DESTINATION . COMPONENT development)
    install(DIRECTORY docs/ DESTINATION docs COMPONENT development)
  endif()
endif()

if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

if(WIN32)
  # One ZIP per architecture and C run-time, e.g. libtavik-1.2.0-x86-ucrt.zip,
  # by its name in tests/ (CPack's variable names the tarball after CPack).
  set(CPACK_GENERATOR ZIP)
  set(CPACK_STRIP_FILES ON)
  set(tavik_zip_name libtavik-${PROJECT_VERSION}-${tavik_windows_arch}-${tavik_windows_crt})
  set(CPACK_PACKAGE_FILE_NAME ${tavik_zip_name})
  # A MinGW DLL's tavik.lib comes from llvm-dlltool (see lib/libtavik); cpack
  # refuses to pack a ZIP without it.
  get_target_property(tavik_msvc_import_library tavik TAVIK_MSVC_IMPORT_LIBRARY)
  set(tavik_lacks_msvc_import_library OFF)
  if(MINGW AND tavik_type STREQUAL "SHARED_LIBRARY" AND NOT tavik_msvc_import_library)
    set(tavik_lacks_msvc_import_library ON)
  endif()
endif()

# The release tarball, libtavik-<version>.tar.gz with one top folder:
# `cmake --build <build> --target package_source`, in a git checkout. Build
# folders in the tree are not even copied; cmake/source-package-files.cmake
# then keeps exactly the files git tracks and adds the record of the commit's
# time, and cmake/source-package-archive.cmake packs them in a fixed order.
set(CPACK_PACKAGE_NAME libtavik)
# The values below reach cpack as written here, regular expressions included.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_PACKAGE_FILE_NAME libtavik-${PROJECT_VERSION})
string(REGEX REPLACE "([][+.*()^$?|\\\\])" "\\\\\\1" tavik_source_dir_regex "${PROJECT_SOURCE_DIR}")
set(CPACK_SOURCE_IGNORE_FILES "^${tavik_source_dir_regex}/(\\.git|build[^/]*|obj-[^/]*)/")
find_package(Git QUIET)
configure_file(cmake/cpack-project-config.cmake.in ${PROJECT_BINARY_DIR}/cpack-project-config.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/cpack-project-config.cmake)
include(CPack)
