# Shared part of the MinGW-w64 cross toolchains; include it after setting
# TAVIK_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model, because the tests use std::thread.
set(CMAKE_C_COMPILER ${TAVIK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVIK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVIK_MINGW_TRIPLET}-windres)

# The C run-time that the DLL and every program link, a flavour each, as a DLL
# writes into its host's stdout only when both use the same one: msvcrt, or
# ucrt (the Universal C Runtime of Visual Studio 2015 on and MSYS2's UCRT64).
set(tavik_crt_flags "")
set(tavik_crt_link_flags "")
set(TAVIK_MINGW_CRT msvcrt CACHE STRING "C run-time to link: msvcrt or ucrt")
set_property(CACHE TAVIK_MINGW_CRT PROPERTY STRINGS msvcrt ucrt)
# Try-compile projects read this file again and need the same choice.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TAVIK_MINGW_CRT)
if(TAVIK_MINGW_CRT STREQUAL "ucrt")
  # GCC 12 has no -mcrtdll: its default specs with the UCRT's import library
  # in place of msvcrt's, and the headers told which run-time they describe.
  set(tavik_ucrt_specs ${CMAKE_BINARY_DIR}/${TAVIK_MINGW_TRIPLET}-ucrt.specs)
  if(NOT EXISTS ${tavik_ucrt_specs})
    execute_process(COMMAND ${CMAKE_C_COMPILER} -dumpspecs OUTPUT_VARIABLE tavik_specs COMMAND_ERROR_IS_FATAL ANY)
    string(REPLACE "-lmsvcrt" "-lucrt" tavik_specs "${tavik_specs}")
    file(WRITE ${tavik_ucrt_specs} "${tavik_specs}")
  endif()
  set(tavik_crt_flags "-specs=${tavik_ucrt_specs} -D_UCRT -D__MSVCRT_VERSION__=0xE00")
  if(TAVIK_MINGW_TRIPLET MATCHES "^x86_64")
    # Debian's winpthreads (std::thread) was built for msvcrt and calls its
    # _setjmp, which the UCRT exports under the name __intrinsic_setjmp.
    set(tavik_crt_link_flags "-Wl,--defsym,_setjmp=__intrinsic_setjmp")
  endif()
elseif(NOT TAVIK_MINGW_CRT STREQUAL "msvcrt")
  message(FATAL_ERROR "TAVIK_MINGW_CRT must be msvcrt or ucrt, not '${TAVIK_MINGW_CRT}'")
endif()

set(CMAKE_C_FLAGS_INIT "${tavik_crt_flags}")
set(CMAKE_CXX_FLAGS_INIT "${tavik_crt_flags}")

# Appended, so that -DCMAKE_FIND_ROOT_PATH=<install prefix> finds an installed libtavik.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${TAVIK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No link time in the PE header, so that two builds of one commit give the
# same DLL. The programs link the compiler's run-time statically, as the DLL
# does, to run with what every Windows has (KERNEL32 and the C run-time).
set(tavik_link_flags "-Wl,--no-insert-timestamp ${tavik_crt_link_flags}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static ${tavik_link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${tavik_link_flags}")

# Tests run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
