/* libtavik: a text progress bar for console programs. */
#ifndef TAVIK_H
#define TAVIK_H

/* The library's version; the build reads it from here. */
#define TAVIK_VERSION_MAJOR 1
#define TAVIK_VERSION_MINOR 2
#define TAVIK_VERSION_PATCH 0
#define TAVIK_STRINGIFY_(x) #x
#define TAVIK_STRINGIFY(x) TAVIK_STRINGIFY_(x)
#define TAVIK_VERSION_STRING \
  TAVIK_STRINGIFY(TAVIK_VERSION_MAJOR) "." TAVIK_STRINGIFY(TAVIK_VERSION_MINOR) "." TAVIK_STRINGIFY(TAVIK_VERSION_PATCH)
/* For comparisons: TAVIK_VERSION >= TAVIK_MAKE_VERSION(1, 0, 0) */
/* clang-format off */
#define TAVIK_MAKE_VERSION(major, minor, patch) ((major) * 10000L + (minor) * 100L + (patch))
/* clang-format on */
#define TAVIK_VERSION TAVIK_MAKE_VERSION(TAVIK_VERSION_MAJOR, TAVIK_VERSION_MINOR, TAVIK_VERSION_PATCH)

#if defined(_WIN32) || defined(__CYGWIN__)
#  if defined(TAVIK_STATIC)
#    define TAVIK_API
#  elif defined(TAVIK_BUILDING_LIBRARY)
#    define TAVIK_API __declspec(dllexport)
#  else
#    define TAVIK_API __declspec(dllimport)
#  endif
/* Spelled out so that hosts built with another default convention still match the DLL. */
#  define TAVIK_CALL __cdecl
#else
#  if defined(__GNUC__) && __GNUC__ >= 4
#    define TAVIK_API __attribute__((visibility("default")))
#  else
#    define TAVIK_API
#  endif
#  define TAVIK_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/*
 * Draws one progress line on stdout for `start` done out of `end`:
 *
 *     [====================>                    ] 50%\r
 *
 * 40 cells of 2.5 points each, a head, and the percentage truncated toward
 * zero. The line ends in a carriage return (never a line feed), so the next
 * call draws over it; stdout is flushed before the call returns.
 *
 * A zero total or a percentage outside the int range prints -2147483648.
 * Above 100 percent the bar grows past 40 cells.
 *
 * Safe to call from any thread: every piece of the line is its own write to
 * stdout, so lines drawn at the same time may interleave, but no byte is lost.
 * The caller's floating-point environment (rounding, exception masks and
 * flags) is left as it was, and no floating-point trap is raised.
 */
TAVIK_API void TAVIK_CALL print_progress_bar(float start, float end);

#ifdef __cplusplus
}
#endif

#endif /* TAVIK_H */
