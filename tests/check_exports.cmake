# Checks what the built library exports and imports:
#   cmake -DTOOL=nm|objdump -DLIBRARY=libtavik.so|libtavik.dll [-DCRT=msvcrt|ucrt] -P check_exports.cmake
# It must export print_progress_bar alone, under exactly that name (no
# decoration, no C++ standard library symbols). A shared object may import
# only the few C library functions it writes with, so no allocator; a DLL may
# depend only on KERNEL32 and its own flavour's C run-time (CRT), never on
# the other one, whose stdout would not be its host's.
cmake_minimum_required(VERSION 3.16)

function(read_listing out_var)
  execute_process(COMMAND "${TOOL}" ${ARGN} "${LIBRARY}" OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${TOOL} could not read ${LIBRARY}")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${listing}")
  set(${out_var} "${lines}" PARENT_SCOPE)
endfunction()

# The last word of each line, without a symbol version.
function(last_words out_var)
  set(words "")
  foreach(line IN LISTS ARGN)
    string(REGEX REPLACE ".*[ \t]([^ \t]+)$" "\\1" word "${line}")
    string(REGEX REPLACE "@.*" "" word "${word}")
    list(APPEND words "${word}")
  endforeach()
  set(${out_var} "${words}" PARENT_SCOPE)
endfunction()

function(expect_exports exports)
  if(NOT exports STREQUAL "print_progress_bar")
    message(FATAL_ERROR "exports must be exactly print_progress_bar, found: ${exports}")
  endif()
endfunction()

if(LIBRARY MATCHES "\\.dll$")
  read_listing(lines -p)
  set(exports "")
  set(dlls "")
  set(in_name_table FALSE)
  foreach(line IN LISTS lines)
    if(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
      set(in_name_table TRUE)
    elseif(in_name_table AND line MATCHES "^[ \t]+\\[ *[0-9]+\\] (.+)$")
      list(APPEND exports "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^[ \t]*DLL Name: (.+)$")
      set(in_name_table FALSE)
      string(TOLOWER "${CMAKE_MATCH_1}" dll)
      list(APPEND dlls "${dll}")
    endif()
  endforeach()
  expect_exports("${exports}")
  if(CRT STREQUAL "ucrt")
    set(crt_dlls "ucrtbase|api-ms-win-crt-[a-z0-9-]+")
  elseif(CRT STREQUAL "msvcrt")
    set(crt_dlls "msvcrt")
  else()
    message(FATAL_ERROR "CRT must be msvcrt or ucrt for a DLL")
  endif()
  set(crt_found FALSE)
  foreach(dll IN LISTS dlls)
    if(dll MATCHES "^(${crt_dlls})\\.dll$")
      set(crt_found TRUE)
    elseif(NOT dll STREQUAL "kernel32.dll")
      message(FATAL_ERROR "depends on ${dll}, which is not KERNEL32 or the ${CRT} run-time; all: ${dlls}")
    endif()
  endforeach()
  if(NOT crt_found)
    message(FATAL_ERROR "does not import the ${CRT} run-time; all: ${dlls}")
  endif()
  message(STATUS "exports: ${exports}; depends on: ${dlls}")
  return()
endif()

read_listing(lines -D --defined-only)
last_words(exports ${lines})
expect_exports("${exports}")

# Weak symbols the toolchain's start-up files reference in every shared object.
set(toolchain_refs _ITM_deregisterTMCloneTable _ITM_registerTMCloneTable __cxa_finalize __gmon_start__)
# What the library itself may call: stdio for the line (putc_unlocked, which
# optimised builds expand to __overflow), its wide forms for wide-oriented
# streams, <cfenv> in the portable build, and the stack protector where the
# toolchain enables it.
set(allowed fputc fwrite fflush stdout putc_unlocked __overflow fwrite_unlocked __libc_single_threaded fwide fputwc
            fputws feholdexcept fesetenv __stack_chk_fail)
read_listing(lines -D --undefined-only)
last_words(imports ${lines})
foreach(name IN LISTS imports)
  # Sanitizer and coverage builds add their run-time hooks.
  if(name MATCHES "^__(asan|ubsan|tsan|sanitizer|gcov)_")
    continue()
  endif()
  if(NOT name IN_LIST toolchain_refs AND NOT name IN_LIST allowed)
    message(FATAL_ERROR "unexpected import ${name}; all imports: ${imports}")
  endif()
endforeach()
message(STATUS "exports: ${exports}; imports: ${imports}")
