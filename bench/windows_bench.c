/*
 * Cost of one print_progress_bar call on Windows, next to the floor measured
 * in the same run and the same mode: one write of the finished line and a
 * fflush, the least any flushing progress bar can cost. stdout must be
 * redirected into a file; it is made fully buffered, then each translation
 * mode is measured in rounds that alternate library and floor. The report
 * goes to stderr: medians per call and the median of the rounds' ratios, and
 * the cost of the library's mode probe (a _dup, a _setmode, a _close) alone.
 *
 *   tavik_windows_bench [calls per round] > file
 */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>
#include <windows.h>

#include "tavik.h"

#define ROUNDS 5

static const char kLine[] = "[====================>                    ] 50%\r";
static const wchar_t kWideLine[] = L"[====================>                    ] 50%\r";
static char stdout_buffer[BUFSIZ];

struct Mode {
  const char* name;
  int mode;
  int wide; /* the mode takes wide characters only */
};
static const struct Mode kModes[] = {{"binary", _O_BINARY, 0}, {"text", _O_TEXT, 0}, {"UTF-16 text", _O_U16TEXT, 1}};

static double now_ns(void) {
  static LARGE_INTEGER frequency;
  LARGE_INTEGER counter;
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return (double)counter.QuadPart * 1e9 / (double)frequency.QuadPart;
}

static double library_ns_per_call(long calls) {
  const double start = now_ns();
  for (long i = 0; i < calls; ++i) print_progress_bar(1, 2);
  return (now_ns() - start) / (double)calls;
}

static double floor_ns_per_call(const struct Mode* mode, long calls) {
  const double start = now_ns();
  for (long i = 0; i < calls; ++i) {
    if (mode->wide) {
      fputws(kWideLine, stdout);
    } else {
      fwrite(kLine, 1, sizeof kLine - 1, stdout);
    }
    fflush(stdout);
  }
  return (now_ns() - start) / (double)calls;
}

/* What the library spends learning the stream's mode, alone. */
static double probe_ns_per_call(long calls) {
  const double start = now_ns();
  for (long i = 0; i < calls; ++i) {
    const int duplicate = _dup(_fileno(stdout));
    _setmode(duplicate, _O_BINARY);
    _close(duplicate);
  }
  return (now_ns() - start) / (double)calls;
}

static int by_value(const void* a, const void* b) {
  const double x = *(const double*)a;
  const double y = *(const double*)b;
  return (x > y) - (x < y);
}

static double median(double* values) {
  qsort(values, ROUNDS, sizeof *values, by_value);
  return values[ROUNDS / 2];
}

int main(int argc, char** argv) {
  long calls = 5000;
  if (argc > 2 || (argc == 2 && (calls = strtol(argv[1], NULL, 10)) <= 0)) {
    fputs("usage: tavik_windows_bench [calls per round] > file\n", stderr);
    return 2;
  }
  if (GetFileType(GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_DISK) {
    fputs("tavik_windows_bench: redirect stdout into a file\n", stderr);
    return 2;
  }
  setvbuf(stdout, stdout_buffer, _IOFBF, sizeof stdout_buffer);
  fprintf(stderr, "%ld calls per round, %d rounds, stdout fully buffered into a file\n", calls, ROUNDS);
  fprintf(stderr, "| mode | library, ns | floor, ns | library / floor | mode probe, ns |\n|---|---|---|---|---|\n");
  for (size_t m = 0; m < sizeof kModes / sizeof kModes[0]; ++m) {
    const struct Mode* mode = &kModes[m];
    double library[ROUNDS];
    double floor[ROUNDS];
    double ratio[ROUNDS];
    double probe[ROUNDS];
    fflush(stdout);
    _setmode(_fileno(stdout), mode->mode);
    for (int round = 0; round < ROUNDS; ++round) {
      library[round] = library_ns_per_call(calls);
      floor[round] = floor_ns_per_call(mode, calls);
      ratio[round] = library[round] / floor[round];
      probe[round] = probe_ns_per_call(calls);
    }
    fprintf(stderr, "| %s | %.0f | %.0f | %.1f | %.0f |\n", mode->name, median(library), median(floor), median(ratio),
            median(probe));
  }
  return 0;
}
