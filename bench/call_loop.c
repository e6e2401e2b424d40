/*
 * A host that calls print_progress_bar(1, 2) N times into a fully buffered
 * stdout, for counting instructions per call with callgrind:
 *
 *   call_loop N > /dev/null          (bench/instructions-per-call.sh runs it)
 */
#include <stdio.h>
#include <stdlib.h>

#include "tavik.h"

static char buffer[BUFSIZ];

int main(int argc, char** argv) {
  const long calls = argc == 2 ? strtol(argv[1], NULL, 10) : -1;
  if (calls < 0) {
    fputs("usage: call_loop N\n", stderr);
    return 2;
  }
  setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  for (long i = 0; i < calls; ++i) print_progress_bar(1, 2);
  return 0;
}
