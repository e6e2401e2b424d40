/*
 * A host that converts text with the C run-time's restartable functions and
 * is linked with libtavik's import library ahead of the run-time's, so the
 * linker takes mbrlen and mbrtowc from libtavik.dll, which must forward them.
 * Prints what they returned; exits with 0 only when that is the C standard's
 * answer.
 */
#include <stdio.h>
#include <string.h>
#include <wchar.h>

int main(void) {
  mbstate_t state;
  wchar_t wide = 0;
  size_t length;
  size_t converted;

  memset(&state, 0, sizeof state);
  length = mbrlen("ab", 2, &state);
  memset(&state, 0, sizeof state);
  converted = mbrtowc(&wide, "Z", 1, &state);
  printf("mbrlen %u mbrtowc %u U+%04X\n", (unsigned)length, (unsigned)converted, (unsigned)wide);
  return length == 1 && converted == 1 && wide == L'Z' ? 0 : 1;
}
