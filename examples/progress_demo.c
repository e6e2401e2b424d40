/* A host with a long task: it calls print_progress_bar after every step.
 *
 * usage: progress_demo [steps [delay_ms]]   (defaults: 120 steps, 25 ms each)
 */
#include <stdio.h>
#include <stdlib.h>

#include "tavik.h"

#ifdef _WIN32
#  include <windows.h>
static void sleep_ms(long ms) { Sleep((DWORD)ms); }
#else
#  include <time.h>
static void sleep_ms(long ms) {
  struct timespec pause;
  pause.tv_sec = ms / 1000;
  pause.tv_nsec = (ms % 1000) * 1000000L;
  nanosleep(&pause, NULL);
}
#endif

static long parse_count(const char* text, const char* what) {
  char* rest = NULL;
  long value = strtol(text, &rest, 10);
  if (rest == text || *rest != '\0' || value < 0) {
    fprintf(stderr, "progress_demo: %s must be a whole number >= 0, not '%s'\n", what, text);
    exit(2);
  }
  return value;
}

int main(int argc, char** argv) {
  long steps = 120;
  long delay_ms = 25;
  long step;

  if (argc > 3) {
    fprintf(stderr, "usage: progress_demo [steps [delay_ms]]\n");
    return 2;
  }
  if (argc > 1) steps = parse_count(argv[1], "steps");
  if (argc > 2) delay_ms = parse_count(argv[2], "delay_ms");

  for (step = 0; step <= steps; ++step) {
    print_progress_bar((float)step, (float)steps);
    if (step < steps) sleep_ms(delay_ms);
  }
  /* The bar ends in a carriage return; the host finishes the line. */
  putchar('\n');
  return 0;
}
