# Checks that a host linked with libtavik's import library ahead of the C
# run-time's imports the conversion functions from libtavik.dll, and that
# they work there (crt_forwarders_host.c):
#   cmake -DPYTHON=python3 -DPROGRAM=crt_forwarders_host.exe [-DEMULATOR=wine-run] -P check_forwarders.cmake
cmake_minimum_required(VERSION 3.21)
include(${CMAKE_CURRENT_LIST_DIR}/pe_tables.cmake)

pe_tables("${PYTHON}" "${PROGRAM}")
foreach(name mbrlen mbrtowc)
  if(NOT name IN_LIST pe_imports_libtavik.dll)
    message(FATAL_ERROR "the host does not import ${name} from libtavik.dll; "
                        "it imports from libtavik.dll: ${pe_imports_libtavik.dll}")
  endif()
endforeach()

string(REPLACE "|" ";" emulator "${EMULATOR}")
execute_process(COMMAND ${emulator} "${PROGRAM}" OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE status)
set(expected "mbrlen 1 mbrtowc 1 U+005A")
string(STRIP "${output}" output)
if(NOT status EQUAL 0 OR NOT output STREQUAL expected)
  message(FATAL_ERROR "the host exited with ${status} and printed \"${output}\" instead of \"${expected}\"\n${errors}")
endif()
message(STATUS "imports from libtavik.dll: ${pe_imports_libtavik.dll}; ${output}")
