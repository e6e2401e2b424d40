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
#  define TAVIK_FP_REGISTERS_SSE 1
#elif defined(__GNUC__) && defined(__aarch64__)
#  define TAVIK_FP_REGISTERS_AARCH64 1
#elif defined(__GNUC__) && defined(__arm__) && defined(__ARM_FP)
#  define TAVIK_FP_REGISTERS_ARM_VFP 1
#endif
#if defined(TAVIK_FP_REGISTERS_SSE) || defined(TAVIK_FP_REGISTERS_AARCH64) || defined(TAVIK_FP_REGISTERS_ARM_VFP)
#  define TAVIK_FP_REGISTERS 1
#endif
#if defined(TAVIK_USE_CFENV) || !defined(TAVIK_FP_REGISTERS)
#  define TAVIK_GUARD_WITH_CFENV 1
#  include <cfenv>
#endif

namespace {

#if defined(TAVIK_FP_REGISTERS)
// The registers that hold the whole floating-point state float arithmetic
// touches: rounding, trap enables, flush modes and the sticky flags. Read and
// written directly, since <cfenv> has no word for the flush modes (a host
// built with -ffast-math runs with them set, and would get other percentages
// for subnormal amounts, 1e-40 of 1e-40 as 0/0, than IEEE arithmetic gives).
namespace fp {
#  if defined(TAVIK_FP_REGISTERS_SSE)
// SSE's control and status register, MXCSR.
struct Registers {
  unsigned int csr;
};
constexpr unsigned int kFlushToZero = _MM_FLUSH_ZERO_MASK;
constexpr unsigned int kDenormalsAreZero = 0x0040u;
inline Registers read() { return {_mm_getcsr()}; }
// Every trap masked, no flushing; the rounding direction stays.
inline Registers quieted(Registers caller) {
  return {(caller.csr | _MM_MASK_MASK) & ~(kFlushToZero | kDenormalsAreZero)};
}
// Loads only what differs: loading the register costs more than comparing.
inline void write_changed(Registers current, Registers wanted) {
  if (current.csr != wanted.csr) _mm_setcsr(wanted.csr);
}
#  elif defined(TAVIK_FP_REGISTERS_AARCH64)
// FPCR (control) and FPSR (flags).
struct Registers {
  std::uint64_t fpcr;
  std::uint64_t fpsr;
};
// The IOE, DZE, OFE, UFE, IXE and IDE trap enables; FZ (bit 24), which
// flushes outputs and inputs, and FIZ (bit 0, FEAT_AFP), which flushes inputs.
// AH (bit 1, FEAT_AFP) stays as the caller set it: with FZ and FIZ clear no
// operand is flushed under either handling, and what else it changes (when
// underflow is detected, which NaN propagates) reaches only the flags, which
// come back as the caller had them, and NaN payloads, which give the same
// percentage. Without FEAT_AFP bits 0 and 1 are reserved and read as 0.
constexpr std::uint64_t kTrapEnables = 0x9F00u;
constexpr std::uint64_t kFlushToZero = 1u << 24;
constexpr std::uint64_t kFlushInputsToZero = 1u << 0;
constexpr std::uint64_t kFlushModes = kFlushToZero | kFlushInputsToZero;
inline Registers read() {
  Registers registers;
  __asm__ volatile("mrs %0, fpcr" : "=r"(registers.fpcr));
  __asm__ volatile("mrs %0, fpsr" : "=r"(registers.fpsr));
  return registers;
}
inline Registers quieted(Registers caller) { return {caller.fpcr & ~(kTrapEnables | kFlushModes), caller.fpsr}; }
inline void write_changed(Registers current, Registers wanted) {
  if (current.fpcr != wanted.fpcr) __asm__ volatile("msr fpcr, %0" : : "r"(wanted.fpcr));
  if (current.fpsr != wanted.fpsr) __asm__ volatile("msr fpsr, %0" : : "r"(wanted.fpsr));
}
#  else
// FPSCR, control and flags in one register. Restored bit for bit, its NZCV
// comparison flags included, although callers may not rely on those.
struct Registers {
  std::uint32_t fpscr;
};
// The IOE, DZE, OFE, UFE, IXE and IDE trap enables; FZ.
constexpr std::uint32_t kTrapEnables = 0x9F00u;
constexpr std::uint32_t kFlushToZero = 1u << 24;
inline Registers read() {
  Registers registers;
  __asm__ volatile("vmrs %0, fpscr" : "=r"(registers.fpscr));
  return registers;
}
inline Registers quieted(Registers caller) { return {caller.fpscr & ~(kTrapEnables | kFlushToZero)}; }
inline void write_changed(Registers current, Registers wanted) {
  if (current.fpscr != wanted.fpscr) __asm__ volatile("vmsr fpscr, %0" : : "r"(wanted.fpscr));
}
#  endif
}  // namespace fp
#endif

// While alive, every floating-point exception is masked and subnormals are
// not flushed to zero; on destruction the caller's environment comes back
// exactly, which also drops the flags raised meanwhile. The rounding
// direction is never changed.
class QuietFloatingPoint {
 public:
#if !defined(TAVIK_GUARD_WITH_CFENV)
  // Written only when something must change: traps to mask, flush modes to
  // clear, or flags the arithmetic raised.
  QuietFloatingPoint() : caller_(fp::read()) { fp::write_changed(caller_, fp::quieted(caller_)); }
  ~QuietFloatingPoint() { fp::write_changed(fp::read(), caller_); }
#else
  QuietFloatingPoint() {
    std::feholdexcept(&caller_env_);
#  if defined(TAVIK_FP_REGISTERS)
    // <cfenv> has no word for the flush modes; the saved environment holds them.
    const fp::Registers held = fp::read();
    fp::write_changed(held, fp::quieted(held));
#  endif
  }
  ~QuietFloatingPoint() { std::fesetenv(&caller_env_); }
#endif
  QuietFloatingPoint(const QuietFloatingPoint&) = delete;
  QuietFloatingPoint& operator=(const QuietFloatingPoint&) = delete;

 private:
#if !defined(TAVIK_GUARD_WITH_CFENV)
  fp::Registers caller_;
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
// answers with the mode it replaces: so it asks a duplicate descriptor, and
// the host's own is never touched, not even for a moment. A duplicate keeps
// text or binary, though not always which text (under Wine's msvcrt.dll one
// of a _O_U16TEXT descriptor answers _O_TEXT), so every text mode gets wide
// characters. That costs a handle duplication and a close per call, which
// nothing documented avoids (fwide is not implemented there), and the host
// may change the mode between calls, so it is never remembered.
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
