// print_progress_bar: the percentage under a quiet floating-point
// environment, the layout, one write per piece in the form the host's stdout
// takes, and the flush.
#include "tavik.h"

#include <cstdint>
#include <cstdio>
#include <cwchar>

#if defined(_WIN32)
#  include <fcntl.h>
#  include <io.h>
#endif
// glibc 2.32 and later say whether the process has a single thread.
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 32)
#  define TAVIK_SINGLE_THREAD_FAST_PATH 1
#  include <sys/single_threaded.h>
#endif

#include "bar_layout.h"
#include "quiet_floating_point.h"

namespace {

std::int32_t quiet_percentage(float start, float end) {
  // The volatile copies keep the compiler from moving the arithmetic out of
  // the quiet section: volatile accesses stay in order with the guard.
  const volatile float dividend = start;
  const volatile float divisor = end;
  volatile std::int32_t percentage;
  {
    const tavik::QuietFloatingPoint quiet;
    percentage = tavik::percentage_of(dividend, divisor);
  }
  return percentage;
}

// Every piece is a write of its own, in whatever buffering mode the host
// chose; write failures are the host's stream's business.
struct LockedWrites {
  static void put(std::FILE* out, char piece) { std::fputc(piece, out); }
  static void put(std::FILE* out, const char* piece, std::size_t size) { std::fwrite(piece, 1, size, out); }
};

// A stream that takes wide characters gets the same pieces as wide
// characters: byte writes to it would be dropped (C library orientation) or
// mixed into its UTF-16 text (Windows' Unicode modes).
struct WideWrites {
  static void put(std::FILE* out, char piece) { std::fputwc(static_cast<wchar_t>(piece), out); }
  static void put(std::FILE* out, const char* piece, std::size_t size) {
    wchar_t wide[tavik::kClosingCapacity + 1];
    for (std::size_t i = 0; i < size; ++i) {
      wide[i] = static_cast<wchar_t>(piece[i]);  // ASCII: the same code in every wide encoding
    }
    wide[size] = L'\0';
    std::fputws(wide, out);
  }
};

#if defined(_WIN32)
// Only a binary stream takes bytes; every text mode takes wide characters.
// The run-times have no getter for a descriptor's mode, but _setmode answers
// with the one it replaces, so a duplicate is asked and the host's descriptor
// never changes; docs/windows.md (text modes) gives the whole reasoning.
// When the probe fails (a full descriptor table) wide characters are the
// safe guess: the UCRT ends the process for bytes to a Unicode mode.
bool takes_wide_characters(std::FILE* out) {
  const int descriptor = _fileno(out);
  if (descriptor < 0) {
    return false;  // no console: nothing is written anyway
  }
  const int duplicate = _dup(descriptor);
  if (duplicate < 0) {
    return true;
  }
  const int mode = _setmode(duplicate, _O_BINARY);
  _close(duplicate);
  return mode != _O_BINARY;
}
#else
bool takes_wide_characters(std::FILE* out) { return std::fwide(out, 0) > 0; }
#endif

#if defined(TAVIK_SINGLE_THREAD_FAST_PATH)
// While the process has a single thread nobody else can hold the stream's
// lock, so the C library skips it too; the unlocked forms also inline.
struct UnlockedWrites {
  static void put(std::FILE* out, char piece) { putc_unlocked(piece, out); }
  static void put(std::FILE* out, const char* piece, std::size_t size) { fwrite_unlocked(piece, 1, size, out); }
};
#endif

template <class Writes>
void write_line(std::FILE* out, std::uint32_t filled, std::uint32_t blanks, const char* closing,
                std::size_t closing_length) {
  Writes::put(out, '[');
  for (std::uint32_t cell = 0; cell < filled; ++cell) {
    Writes::put(out, '=');
  }
  Writes::put(out, '>');
  for (std::uint32_t cell = 0; cell < blanks; ++cell) {
    Writes::put(out, ' ');
  }
  Writes::put(out, closing, closing_length);
  Writes::put(out, '\r');
}

}  // namespace

extern "C" TAVIK_API void TAVIK_CALL print_progress_bar(float start, float end) {
  const std::int32_t percentage = quiet_percentage(start, end);
  const std::uint32_t filled = tavik::filled_cells(percentage);
  const std::uint32_t blanks = tavik::blank_cells(filled);
  char closing[tavik::kClosingCapacity];
  const std::size_t closing_length = tavik::format_closing(closing, percentage);

  std::FILE* const out = stdout;
  if (takes_wide_characters(out)) {
    write_line<WideWrites>(out, filled, blanks, closing, closing_length);
#if defined(TAVIK_SINGLE_THREAD_FAST_PATH)
  } else if (__libc_single_threaded) {
    write_line<UnlockedWrites>(out, filled, blanks, closing, closing_length);
#endif
  } else {
    write_line<LockedWrites>(out, filled, blanks, closing, closing_length);
  }
  std::fflush(out);
}
