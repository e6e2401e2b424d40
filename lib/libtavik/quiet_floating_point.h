// The floating-point guard of a call: while a QuietFloatingPoint lives, every
// floating-point exception is masked and, on the CPUs whose registers this
// file knows (x86's SSE unit, aarch64, 32-bit ARM with a floating-point
// unit), subnormals are not flushed to zero; on destruction the caller's
// environment comes back exactly, which also drops the flags raised
// meanwhile. The rounding direction is never changed.
//
// Those registers are read and written directly, since <cfenv> has no word
// for the flush modes (a host built with -ffast-math runs with them set, and
// would get other percentages for subnormal amounts, 1e-40 of 1e-40 as 0/0,
// than IEEE arithmetic gives). Elsewhere, or with TAVIK_USE_CFENV, the guard
// is <cfenv>'s feholdexcept and fesetenv, and other CPUs' flush modes (MIPS's
// FCSR.FS, POWER's FPSCR.NI) stay as the caller set them.
#ifndef TAVIK_QUIET_FLOATING_POINT_H
#define TAVIK_QUIET_FLOATING_POINT_H

#include <cfloat>
#include <cstdint>

#if defined(__GNUC__) && FLT_EVAL_METHOD != 0
#  error "libtavik must evaluate float arithmetic in single precision; build with SSE math (-msse2 -mfpmath=sse)"
#endif
// GCC links start-up code that sets flush-to-zero into every -ffast-math
// shared object, which would change the arithmetic of the whole host process.
#if defined(__FAST_MATH__)
#  error "libtavik must not be built with -ffast-math: it would set flush-to-zero in every process that loads it"
#endif

// fp::Registers, read, quieted and write_changed, for the CPU at hand.
#if defined(__SSE_MATH__) || defined(_M_X64)
#  define TAVIK_FP_REGISTERS 1
#  include <xmmintrin.h>
namespace tavik::fp {
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
}  // namespace tavik::fp

#elif defined(__GNUC__) && defined(__aarch64__)
#  define TAVIK_FP_REGISTERS 1
namespace tavik::fp {
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
}  // namespace tavik::fp

#elif defined(__GNUC__) && defined(__arm__) && defined(__ARM_FP)
#  define TAVIK_FP_REGISTERS 1
namespace tavik::fp {
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
}  // namespace tavik::fp
#endif

// The guard, chosen once.
#if defined(TAVIK_FP_REGISTERS) && !defined(TAVIK_USE_CFENV)
namespace tavik {
// The registers themselves, written only when something must change: traps
// to mask, flush modes to clear, or flags the arithmetic raised.
class QuietFloatingPoint {
 public:
  QuietFloatingPoint() : caller_(fp::read()) { fp::write_changed(caller_, fp::quieted(caller_)); }
  ~QuietFloatingPoint() { fp::write_changed(fp::read(), caller_); }
  QuietFloatingPoint(const QuietFloatingPoint&) = delete;
  QuietFloatingPoint& operator=(const QuietFloatingPoint&) = delete;

 private:
  fp::Registers caller_;
};
}  // namespace tavik

#else
#  include <cfenv>
namespace tavik {
// The portable <cfenv> guard; where the registers are known it also clears
// the flush modes, which the saved environment holds.
class QuietFloatingPoint {
 public:
  QuietFloatingPoint() {
    std::feholdexcept(&caller_);
#  if defined(TAVIK_FP_REGISTERS)
    const fp::Registers held = fp::read();
    fp::write_changed(held, fp::quieted(held));
#  endif
  }
  ~QuietFloatingPoint() { std::fesetenv(&caller_); }
  QuietFloatingPoint(const QuietFloatingPoint&) = delete;
  QuietFloatingPoint& operator=(const QuietFloatingPoint&) = delete;

 private:
  std::fenv_t caller_;
};
}  // namespace tavik
#endif

#endif  // TAVIK_QUIET_FLOATING_POINT_H
