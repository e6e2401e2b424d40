# Run by cpack once it has packed the release tarball: packs the staged files
# again with GNU tar and gzip so that the bytes depend on the files alone.
# CPack's own archive holds them in the order the file system lists them, and
# with the packer's user, group and permission bits.
cmake_minimum_required(VERSION 3.21)
find_program(TAVIK_GNU_TAR NAMES gtar tar)
find_program(TAVIK_GZIP gzip)
execute_process(COMMAND "${TAVIK_GNU_TAR}" --version OUTPUT_VARIABLE tar_version ERROR_QUIET)
if(NOT tar_version MATCHES "GNU tar" OR NOT TAVIK_GZIP)
  message(FATAL_ERROR "The release tarball is packed with GNU tar (1.28 or later) and gzip")
endif()
if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
  message(FATAL_ERROR "No commit time for the release tarball's files (SOURCE_DATE_EPOCH)")
endif()
get_filename_component(top_folder "${CPACK_TEMPORARY_INSTALL_DIRECTORY}" NAME)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  execute_process(
    COMMAND "${TAVIK_GNU_TAR}" --create --format=gnu --sort=name --owner=0 --group=0 --numeric-owner
            --mode=u+rw,go+r,go-w --mtime=@$ENV{SOURCE_DATE_EPOCH} --directory "${CPACK_TOPLEVEL_DIRECTORY}" "${top_folder}"
    COMMAND "${TAVIK_GZIP}" --best --no-name
    OUTPUT_FILE "${package}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
