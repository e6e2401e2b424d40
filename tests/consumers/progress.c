/* A host program as a user of the installed library writes it; valid C89. */
#include <stdio.h>
#include <string.h>

#include <tavik.h>

int main(int argc, char** argv) {
  /* With an argument, print the version the header declares (to stderr). */
  if (argc > 1 && strcmp(argv[1], "--version") == 0) {
    fprintf(stderr, "%s\n", TAVIK_VERSION_STRING);
  }
  print_progress_bar(1.0f, 2.0f);
  print_progress_bar(3.0f, 2.0f);
  return 0;
}
