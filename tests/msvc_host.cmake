# Builds msvc_host.c with clang in the MSVC ABI, links it with lld-link
# against tavik.lib, runs it beside libtavik.dll and compares its output:
#   cmake -DCLANG=clang -DLLD_LINK=lld-link -DTRIPLE=i686-pc-windows-msvc
#         -DINCLUDE_DIR=... -DIMPORT_LIBRARY=tavik.lib -DKERNEL32=libkernel32.a
#         -DDLL_DIR=<folder of libtavik.dll> [-DEMULATOR=wine-run] -P msvc_host.cmake
cmake_minimum_required(VERSION 3.21)

set(object ${DLL_DIR}/msvc_host.obj)
set(program ${DLL_DIR}/msvc_host.exe)
execute_process(
  COMMAND "${CLANG}" --target=${TRIPLE} -O2 -Wall -Werror -ffreestanding -I${INCLUDE_DIR}
          -c ${CMAKE_CURRENT_LIST_DIR}/msvc_host.c -o ${object}
  COMMAND_ERROR_IS_FATAL ANY)
set(link_options /nologo /nodefaultlib /subsystem:console /entry:msvc_host_main)
if(TRIPLE MATCHES "^i686")
  # MinGW's kernel32 import library carries no SafeSEH table.
  list(APPEND link_options /safeseh:no)
endif()
execute_process(
  COMMAND "${LLD_LINK}" ${link_options} /out:${program} ${object} ${IMPORT_LIBRARY} ${KERNEL32}
  COMMAND_ERROR_IS_FATAL ANY)

string(REPLACE "|" ";" emulator "${EMULATOR}")
set(output ${program}.out)
execute_process(COMMAND ${emulator} ${program} OUTPUT_FILE ${output} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "msvc_host exited with ${status}")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/expected_bars.cmake)
expect_written(${output} msvc_host "${bar_50}${bar_150}")
message(STATUS "msvc_host (${TRIPLE}, lld-link, tavik.lib) drew both bars")
