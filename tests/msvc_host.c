/*
 * A host built as MSVC builds programs: compiled in the MSVC ABI and linked
 * by an MSVC-style linker against tavik.lib. It has no C run-time of its
 * own, so it needs no Windows SDK to build: its entry point draws two bars
 * through the DLL and exits.
 */
#include "tavik.h"

__declspec(dllimport) __declspec(noreturn) void __stdcall ExitProcess(unsigned int exit_code);

/* Defined by a C run-time in programs that use floating point. */
int _fltused;

void __cdecl msvc_host_main(void) {
  print_progress_bar(1.0f, 2.0f);
  print_progress_bar(3.0f, 2.0f);
  ExitProcess(0);
}
