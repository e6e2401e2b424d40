# Checks what the built library exports and imports:
#   cmake -DNM=nm -DLIBRARY=libtavik.so -P check_exports.cmake
#   cmake -DPYTHON=python3 -DLIBRARY=libtavik.dll -DCRT=msvcrt|ucrt -P check_exports.cmake
# It must export print_progress_bar under exactly that name (no decoration,
# no C++ standard library symbols); a shared object exports it alone, a DLL
# also forwards the C run-time's conversion functions. A shared object may
# import only the few C library functions it writes with and the compiler's
# own arithmetic helpers, so no allocator; a DLL may depend only on KERNEL32
# and its own flavour's C run-time (CRT), never on the other one, whose stdout
# would not be its host's.
cmake_minimum_required(VERSION 3.21)

# The last word of each line that `NM <options> LIBRARY` prints, without a
# symbol version.
function(listed_names out_var)
  execute_process(COMMAND "${NM}" ${ARGN} "${LIBRARY}" OUTPUT_VARIABLE listing RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "${NM} could not read ${LIBRARY}")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${listing}")
  set(words "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ".*[ \t]([^ \t]+)$" "\\1" word "${line}")
    string(REGEX REPLACE "@.*" "" word "${word}")
    list(APPEND words "${word}")
  endforeach()
  set(${out_var} "${words}" PARENT_SCOPE)
endfunction()

if(LIBRARY MATCHES "\\.dll$")
  include(${CMAKE_CURRENT_LIST_DIR}/pe_tables.cmake)
  pe_tables("${PYTHON}" "${LIBRARY}")
  if(CRT STREQUAL "ucrt")
    set(crt_dlls "ucrtbase|api-ms-win-crt-[a-z0-9-]+")
    set(forwarded_to ucrtbase)
  elseif(CRT STREQUAL "msvcrt")
    set(crt_dlls "msvcrt")
    set(forwarded_to msvcrt)
  else()
    message(FATAL_ERROR "CRT must be msvcrt or ucrt for a DLL")
  endif()
  # The C run-time's conversion functions, forwarded to the DLL's own run-time.
  set(conversions mbrlen mbrtowc mbsrtowcs wcrtomb wcsrtombs)
  set(expected_exports ${conversions} print_progress_bar)
  list(SORT expected_exports)
  list(SORT pe_exports)
  list(SORT pe_forwarders)
  if(NOT pe_exports STREQUAL expected_exports)
    message(FATAL_ERROR "exports must be exactly ${expected_exports}, found: ${pe_exports}")
  endif()
  set(expected_forwarders "")
  foreach(name IN LISTS conversions)
    list(APPEND expected_forwarders "${name}=${forwarded_to}.${name}")
  endforeach()
  if(NOT pe_forwarders STREQUAL expected_forwarders)
    message(FATAL_ERROR "forwarders must be ${expected_forwarders}, found: ${pe_forwarders}")
  endif()
  set(crt_found FALSE)
  foreach(dll IN LISTS pe_dlls)
    if(dll MATCHES "^(${crt_dlls})\\.dll$")
      set(crt_found TRUE)
    elseif(NOT dll STREQUAL "kernel32.dll")
      message(FATAL_ERROR "depends on ${dll}, which is not KERNEL32 or the ${CRT} run-time; all: ${pe_dlls}")
    endif()
  endforeach()
  if(NOT crt_found)
    message(FATAL_ERROR "does not import the ${CRT} run-time; all: ${pe_dlls}")
  endif()
  message(STATUS "exports: ${pe_exports}; forwarders: ${pe_forwarders}; depends on: ${pe_dlls}")
  return()
endif()

listed_names(exports -D --defined-only)
# Instrumented builds (the fuzz preset's): clang's -fsanitize=function adds the
# type information of the library's function types (_ZTIFvffE, its name
# _ZTSFvffE, ...), which it compares at indirect calls, and
# -fsanitize=fuzzer-no-link the bounds of its coverage sections.
list(FILTER exports EXCLUDE REGEX "^(_ZT[IS]F|__(start|stop)___sancov_)")
if(NOT exports STREQUAL "print_progress_bar")
  message(FATAL_ERROR "exports must be exactly print_progress_bar, found: ${exports}")
endif()

# Weak symbols the toolchain's start-up files reference in every shared object.
set(toolchain_refs _ITM_deregisterTMCloneTable _ITM_registerTMCloneTable __cxa_finalize __gmon_start__)
# What the library itself may call: stdio for the line (putc_unlocked, which
# optimised builds expand to __overflow), its wide forms for wide-oriented
# streams, <cfenv> in the portable build, and the stack protector where the
# toolchain enables it.
set(allowed fputc fwrite fflush stdout putc_unlocked __overflow fwrite_unlocked __libc_single_threaded fwide fputwc
            fputws feholdexcept fesetenv __stack_chk_fail)
# The compiler's own run-time (libgcc), where the CPU has no instruction for
# float arithmetic: soft-float ARM's __aeabi_ functions for float division,
# multiplication, comparison and conversion to int.
set(compiler_helpers "^__aeabi_(f(add|sub|rsub|mul|div|cmp(eq|lt|le|ge|gt|un))|f2iz|i2f)$")
# Sanitizer, fuzzer and coverage builds add their run-time hooks; -fsanitize=function
# also the C++ run-time's vtable of function type information.
set(instrument_hooks "^(__(asan|ubsan|tsan|sanitizer|sancov|gcov)_|_ZTVN10__cxxabiv120__function_type_infoE$)")
listed_names(imports -D --undefined-only)
foreach(name IN LISTS imports)
  if(NOT name IN_LIST toolchain_refs AND NOT name IN_LIST allowed AND NOT name MATCHES "${compiler_helpers}"
     AND NOT name MATCHES "${instrument_hooks}")
    message(FATAL_ERROR "unexpected import ${name}; all imports: ${imports}")
  endif()
endforeach()
message(STATUS "exports: ${exports}; imports: ${imports}")
