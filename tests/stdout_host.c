/*
 * A host program that sets up its stdout before the first output, as real
 * hosts do, then writes its own text around two bars:
 *
 *     stdout_host full|none|wide|bar-first
 *
 * full and none make the stream fully buffered or unbuffered; wide orients it
 * to wide characters by printing with wprintf first (on Windows, in UTF-16
 * text mode). Whatever the mode, the descriptor must get "A", the 50 % line,
 * "B", the 150 % line and "C", in that order, in the stream's encoding: they
 * arrive so only when the library writes into this very stream. bar-first
 * draws before any other output and leaves out the "A": a library that
 * oriented the fresh stream to wide characters would make the C library drop
 * the host's byte writes after it.
 */
#include <stdio.h>
#include <string.h>
#include <wchar.h>
#ifdef _WIN32
#  include <fcntl.h>
#  include <io.h>
#endif

#include "tavik.h"

static char buffer[BUFSIZ];

static void draw_between_wide_text(void) {
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_U16TEXT);
#endif
  wprintf(L"A");
  print_progress_bar(1, 2);
  wprintf(L"B");
  print_progress_bar(3, 2);
  wprintf(L"C");
}

int main(int argc, char** argv) {
  const char* mode = argc == 2 ? argv[1] : "";
  if (strcmp(mode, "wide") == 0) {
    draw_between_wide_text();
    return 0;
  }
  if (strcmp(mode, "bar-first") == 0) {
    print_progress_bar(1, 2);
    printf("B");
    print_progress_bar(3, 2);
    printf("C");
    return 0;
  }
  if (strcmp(mode, "full") == 0) {
    setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  } else if (strcmp(mode, "none") == 0) {
    setvbuf(stdout, NULL, _IONBF, 0);
  } else {
    fputs("usage: stdout_host full|none|wide|bar-first\n", stderr);
    return 2;
  }
  fputs("A", stdout);
  print_progress_bar(1, 2);
  fputs("B", stdout);
  print_progress_bar(3, 2);
  fputs("C", stdout);
  return 0;
}
