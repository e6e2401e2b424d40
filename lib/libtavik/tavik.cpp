#include "tavik.h"

#include <cfloat>
#include <cstdint>
#include <cstdio>
#include <cwchar>

#if defined(_WIN32)
#  include <fcntl.h>
#  include <io.h>
#endif

#include "bar_layout.h"

#if defined(__GNUC__) && FLT_EVAL_METHOD != 0
#  error "libtavik must evaluate float arithmetic in single precision; build with SSE math (-msse2 -mfpmath=sse)"
#endif
// GCC links start-up code that sets flush-to-zero into every -ffast-math
// shared object, which would change the arithmetic of the whole host process.
#if defined(__FAST_MATH__)
#  error "libtavik must not be built with -ffast-math: it would set flush-to-zero in every process that loads it"
#endif

#if defined(__GLIBC__) && defined(__has_include)
#  if __has_include(<sys/single_threaded.h>)
#    define TAVIK_SINGLE_THREAD_FAST_PATH 1
#    include <sys/single_threaded.h>
#  endif
#endif

#if defined(__SSE_MATH__) || defined(_M_X64)
#  include <xmmintrin.h>
#  if !defined(TAVIK_USE_CFENV)
#    define TAVIK_SSE_CONTROL_REGISTER 1
#  endif
#endif
#if !defined(TAVIK_SSE_CONTROL_REGISTER)
#  include <cfenv>
#endif

namespace {

#if defined(__SSE_MATH__) || defined(_M_X64)
// Flush-to-zero and denormals-are-zero in the SSE control register: a host
// built with -ffast-math runs with both set, and would get other percentages
// for subnormal amounts (1e-40 of 1e-40 as 0/0) than IEEE arithmetic gives.
constexpr unsigned int kSseFlushToZero = _MM_FLUSH_ZERO_MASK;
constexpr unsigned int kSseDenormalsAreZero = 0x0040u;
constexpr unsigned int kSseFlushModes = kSseFlushToZero | kSseDenormalsAreZero;
#endif

// While alive, every floating-point exception is masked and subnormals are
// not flushed to zero; on destruction the caller's environment comes back
// exactly, which also drops the flags raised meanwhile. The rounding
// direction is never changed.
class QuietFloatingPoint {
 public:
#if defined(TAVIK_SSE_CONTROL_REGISTER)
  // Float arithmetic only touches the SSE unit, so its control and status
  // register is the whole environment. The register is loaded only when
  // something must change: traps to mask, flush modes to clear, or flags the
  // arithmetic raised.
  QuietFloatingPoint() : caller_csr_(_mm_getcsr()) {
    const unsigned int quiet_csr = (caller_csr_ | _MM_MASK_MASK) & ~kSseFlushModes;
    if (quiet_csr != caller_csr_) {
      _mm_setcsr(quiet_csr);
    }
  }
  ~QuietFloatingPoint() {
    if (_mm_getcsr() != caller_csr_) {
      _mm_setcsr(caller_csr_);
    }
  }
#else
  QuietFloatingPoint() {
    std::feholdexcept(&caller_env_);
#  if defined(__SSE_MATH__) || defined(_M_X64)
    // <cfenv> has no word for the flush modes; the saved environment holds them.
    _mm_setcsr(_mm_getcsr() & ~kSseFlushModes);
#  endif
  }
  ~QuietFloatingPoint() { std::fesetenv(&caller_env_); }
#endif
  QuietFloatingPoint(const QuietFloatingPoint&) = delete;
  QuietFloatingPoint& operator=(const QuietFloatingPoint&) = delete;

 private:
#if defined(TAVIK_SSE_CONTROL_REGISTER)
  unsigned int caller_csr_;
#else
  std::fenv_t caller_env_;
#endif
};

std::int32_t quiet_percentage(float start, float end) {
  // The volatile copies keep the compiler from moving the arithmetic out of
  // the quiet section: volatile accesses stay in order with the guard.
  volatile float dividend = start;
  volatile float divisor = end;
  volatile std::int32_t percentage;
  {
    const QuietFloatingPoint quiet;
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
// A Windows stream in text mode converts wide characters into its own
// encoding (the locale's code page, UTF-8 or UTF-16), and one in a Unicode
// mode takes nothing else; only a binary stream needs bytes. The run-times
// keep the mode per descriptor and have no getter for it, but _setmode
// answers with the mode it replaces: so it asks a duplicate descriptor,
// which starts in the same mode, and the host's own is never touched.
bool takes_wide_characters(std::FILE* out) {
  const int descriptor = _fileno(out);
  if (descriptor < 0) {
    return false;  // no console: nothing is written anyway
  }
  const int duplicate = _dup(descriptor);
  if (duplicate < 0) {
    return false;
  }
  const int mode = _setmode(duplicate, _O_BINARY);
  _close(duplicate);
  return mode != -1 && mode != _O_BINARY;
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
