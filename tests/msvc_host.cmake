# Runs the commands that docs/windows.md shows after <!-- msvc_host_links_tavik_lib -->,
# as they stand but for their first line: clang in the MSVC ABI builds
# msvc_host.c, lld-link links it against tavik.lib, and it runs beside
# libtavik.dll, in a folder laid out as the ZIP is; then its output is compared:
#   cmake -DPAGE=docs/windows.md -DSOURCE_DIR=... -DTRIPLE=i686-pc-windows-msvc -DKERNEL32=libkernel32.a
#         -DHEADER=tavik.h -DIMPORT_LIBRARY=tavik.lib -DDLL=libtavik.dll -DWORK=<folder> -P msvc_host.cmake
cmake_minimum_required(VERSION 3.21)

file(READ "${PAGE}" page)
if(NOT page MATCHES "\n<!-- msvc_host_links_tavik_lib -->\n```sh\nzip=[^ ]+ target=[^ ]+ kernel32=[^ \n]+\n([^`]*)```")
  message(FATAL_ERROR "${PAGE} has no sh block after <!-- msvc_host_links_tavik_lib --> that starts with "
                      "zip=... target=... kernel32=...")
endif()
set(commands "${CMAKE_MATCH_1}")

# What the block takes from the source folder, and the ZIP's files.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(CREATE_LINK ${SOURCE_DIR}/tests ${WORK}/tests SYMBOLIC)
file(CREATE_LINK ${SOURCE_DIR}/scripts ${WORK}/scripts SYMBOLIC)
file(COPY ${HEADER} DESTINATION ${WORK}/zip/include)
file(COPY ${IMPORT_LIBRARY} DESTINATION ${WORK}/zip/lib)
file(COPY ${DLL} DESTINATION ${WORK}/zip/bin)
file(WRITE ${WORK}/commands.sh "set -e\nzip=zip target=${TRIPLE} kernel32=${KERNEL32}\n${commands}")
execute_process(COMMAND bash -x commands.sh WORKING_DIRECTORY ${WORK} OUTPUT_FILE ${WORK}/output
                COMMAND_ERROR_IS_FATAL ANY)

include(${CMAKE_CURRENT_LIST_DIR}/expected_bars.cmake)
expect_written(${WORK}/output msvc_host "${bar_50}${bar_150}")
message(STATUS "msvc_host (${TRIPLE}, lld-link, tavik.lib), built and run by ${PAGE}'s commands, drew both bars")
