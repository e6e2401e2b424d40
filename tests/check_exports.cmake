# Checks the dynamic symbol table of the built library: it must define
# print_progress_bar and nothing else, and import nothing beyond the few C
# library functions it writes with (in particular no allocator).
#   cmake -DNM=nm -DLIBRARY=libtavik.so -P check_exports.cmake
cmake_minimum_required(VERSION 3.16)

function(dynamic_symbols out_var filter)
  execute_process(COMMAND "${NM}" -D ${filter} "${LIBRARY}"
    OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${listing}")
  set(names "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ".* ([^ ]+)$" "\\1" name "${line}")
    string(REGEX REPLACE "@.*" "" name "${name}")
    list(APPEND names "${name}")
  endforeach()
  set(${out_var} "${names}" PARENT_SCOPE)
endfunction()

dynamic_symbols(defined --defined-only)
if(NOT defined STREQUAL "print_progress_bar")
  message(FATAL_ERROR "exports must be exactly print_progress_bar, found: ${defined}")
endif()

# Weak symbols the toolchain's start-up files reference in every shared object.
set(toolchain_refs _ITM_deregisterTMCloneTable _ITM_registerTMCloneTable __cxa_finalize __gmon_start__)
# What the library itself may call: stdio for the line, <cfenv> in the portable
# build, and the stack protector where the toolchain enables it.
set(allowed fputc fwrite fflush stdout feholdexcept fesetenv __stack_chk_fail)
dynamic_symbols(imported --undefined-only)
foreach(name IN LISTS imported)
  # Sanitizer and coverage builds add their run-time hooks.
  if(name MATCHES "^__(asan|ubsan|tsan|sanitizer|gcov)_")
    continue()
  endif()
  if(NOT name IN_LIST toolchain_refs AND NOT name IN_LIST allowed)
    message(FATAL_ERROR "unexpected import ${name}; all imports: ${imported}")
  endif()
endforeach()
message(STATUS "exports: ${defined}; imports: ${imported}")
