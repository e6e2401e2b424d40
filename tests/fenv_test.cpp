// The caller's floating-point environment: the result follows its rounding
// direction, traps never fire, and everything is as it was on return.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "capture.h"
#include "tavik.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#  define TAVIK_TEST_X86 1
#elif defined(__GNUC__) && defined(__aarch64__)
#  define TAVIK_TEST_AARCH64 1
#elif defined(__GNUC__) && defined(__arm__) && defined(__ARM_FP)
#  define TAVIK_TEST_ARM_VFP 1
#endif

namespace {

using tavik_test::bar_line;
using tavik_test::capture_stdout;

// The register that holds the flush modes, and the sets of modes a host may
// have chosen that a call must keep (and compute IEEE results under).
#if defined(TAVIK_TEST_X86)
using ControlRegister = unsigned int;  // MXCSR
ControlRegister read_control() {
  ControlRegister csr;
  __asm__ volatile("stmxcsr %0" : "=m"(csr));
  return csr;
}
void write_control(ControlRegister csr) { __asm__ volatile("ldmxcsr %0" : : "m"(csr)); }
constexpr ControlRegister kFlushToZero = 0x8000u;
constexpr ControlRegister kDenormalsAreZero = 0x0040u;
constexpr ControlRegister kHostModeSets[] = {kFlushToZero, kDenormalsAreZero, kFlushToZero | kDenormalsAreZero};
#elif defined(TAVIK_TEST_AARCH64) || defined(TAVIK_TEST_ARM_VFP)
#  if defined(TAVIK_TEST_AARCH64)
using ControlRegister = std::uint64_t;  // FPCR
ControlRegister read_control() {
  ControlRegister fpcr;
  __asm__ volatile("mrs %0, fpcr" : "=r"(fpcr));
  return fpcr;
}
void write_control(ControlRegister fpcr) { __asm__ volatile("msr fpcr, %0" : : "r"(fpcr)); }
#  else
using ControlRegister = std::uint32_t;  // FPSCR, control and flags in one
ControlRegister read_control() {
  ControlRegister fpscr;
  __asm__ volatile("vmrs %0, fpscr" : "=r"(fpscr));
  return fpscr;
}
void write_control(ControlRegister fpscr) { __asm__ volatile("vmsr fpscr, %0" : : "r"(fpscr)); }
#  endif
constexpr ControlRegister kFlushToZero = 1u << 24;
constexpr ControlRegister kDefaultNaN = 1u << 25;
constexpr ControlRegister kHostModeSets[] = {kFlushToZero, kDefaultNaN, kFlushToZero | kDefaultNaN};
#endif

// Everything a call could disturb, down to the raw control and status registers.
struct FpState {
  int rounding;
  int flags;
#if defined(TAVIK_TEST_X86)
  unsigned int mxcsr;
  unsigned short x87_control;
  unsigned short x87_status;
#elif defined(TAVIK_TEST_AARCH64)
  std::uint64_t fpcr;
  std::uint64_t fpsr;
#elif defined(TAVIK_TEST_ARM_VFP)
  std::uint32_t fpscr;
#endif
  bool operator==(const FpState& other) const {
    return rounding == other.rounding && flags == other.flags
#if defined(TAVIK_TEST_X86)
           && mxcsr == other.mxcsr && x87_control == other.x87_control && x87_status == other.x87_status
#elif defined(TAVIK_TEST_AARCH64)
           && fpcr == other.fpcr && fpsr == other.fpsr
#elif defined(TAVIK_TEST_ARM_VFP)
           && fpscr == other.fpscr
#endif
        ;
  }
};

FpState snapshot() {
  FpState state{};
  state.rounding = std::fegetround();
  state.flags = std::fetestexcept(FE_ALL_EXCEPT);
#if defined(TAVIK_TEST_X86)
  state.mxcsr = read_control();
  __asm__ volatile("fnstcw %0" : "=m"(state.x87_control));
  __asm__ volatile("fnstsw %0" : "=m"(state.x87_status));
#elif defined(TAVIK_TEST_AARCH64)
  state.fpcr = read_control();
  __asm__ volatile("mrs %0, fpsr" : "=r"(state.fpsr));
#elif defined(TAVIK_TEST_ARM_VFP)
  state.fpscr = read_control();
#  if defined(TAVIK_USE_CFENV)
  // glibc's fesetenv leaves the NZCV comparison flags as the library's last
  // compare set them; the calling convention does not preserve them anyway.
  state.fpscr &= 0x0FFFFFFFu;
#  endif
#endif
  return state;
}

constexpr int kRoundingModes[] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};
constexpr const char* kRoundingModeNames[] = {"to nearest", "downward", "upward", "toward zero"};

// The float quotients 1/3 and -1/3 as the arithmetic rounds them now.
struct Thirds {
  float plus;
  float minus;
  bool operator==(const Thirds& other) const { return plus == other.plus && minus == other.minus; }
};
Thirds thirds() {
  const volatile float one = 1;
  const volatile float three = 3;
  // Stored to volatiles, so the divisions happen here: compilers that assume
  // the default rounding direction may otherwise move them past fesetround.
  const volatile float plus = one / three;
  const volatile float minus = -one / three;
  return {plus, minus};
}

// Whether float arithmetic here rounds in `mode`: soft-float ARM rounds to
// nearest only (fesetround fails, or sets a register that the compiler's
// arithmetic never reads), and some emulated CPUs ignore writes to the
// rounding bits. Every other direction rounds one of the thirds differently.
bool can_round(int mode) {
  const int previous = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const Thirds nearest = thirds();
  const bool taken =
      std::fesetround(mode) == 0 && std::fegetround() == mode && (mode == FE_TONEAREST || !(thirds() == nearest));
  std::fesetround(previous);
  return taken;
}

#if defined(TAVIK_TEST_X86)
// The x87 precision-control field: 24, 53 and 64-bit significands.
constexpr unsigned short kX87Precisions[] = {0x000, 0x200, 0x300};
// Returns the precision it replaced.
unsigned short set_x87_precision(unsigned short precision) {
  unsigned short control;
  __asm__ volatile("fnstcw %0" : "=m"(control));
  const unsigned short previous = control & 0x300u;
  control = static_cast<unsigned short>((control & ~0x300u) | precision);
  __asm__ volatile("fldcw %0" : : "m"(control));
  return previous;
}
#else
constexpr unsigned short kX87Precisions[] = {0};
unsigned short set_x87_precision(unsigned short) { return 0; }
#endif

// Each pair sits within rounding distance of a whole percentage, so the
// rounding direction decides which one is printed; the x87 precision a host
// may have set (as some graphics libraries do) must not.
TEST(FloatingPoint, PercentageFollowsTheCallersRoundingDirection) {
  const struct {
    float start;
    float end;
    const char* by_mode[4];  // in the order of kRoundingModes
  } cases[] = {
      {29, 100, {"29", "28", "29", "28"}},
      {-29, 100, {"-29", "-29", "-28", "-28"}},
      {53, 100, {"52", "52", "53", "52"}},
      {6653, 779.953125f, {"853", "852", "853", "852"}},
  };
  bool settable[4];
  std::string left_out;
  for (int mode = 0; mode < 4; ++mode) {
    settable[mode] = can_round(kRoundingModes[mode]);
    if (!settable[mode]) left_out += std::string(left_out.empty() ? "" : ", ") + kRoundingModeNames[mode];
  }
  if (!settable[1] && !settable[2] && !settable[3]) {
    GTEST_SKIP() << "skipped: float arithmetic here (or under this emulator) rounds to nearest only";
  }
  if (!left_out.empty()) {
    RecordProperty("rounding_directions_left_out", left_out);
    std::fprintf(stderr, "left out, since this machine cannot round so: %s\n", left_out.c_str());
  }
  for (const unsigned short precision : kX87Precisions) {
    for (int mode = 0; mode < 4; ++mode) {
      if (!settable[mode]) continue;
      for (const auto& c : cases) {
        const unsigned short host_precision = set_x87_precision(precision);
        ASSERT_EQ(std::fesetround(kRoundingModes[mode]), 0);
        const FpState before = snapshot();
        const std::string written = capture_stdout([&] { print_progress_bar(c.start, c.end); });
        const FpState after = snapshot();
        std::fesetround(FE_TONEAREST);
        set_x87_precision(host_precision);

        const std::string expected = "] " + std::string(c.by_mode[mode]) + "%\r";
        ASSERT_GE(written.size(), expected.size());
        EXPECT_EQ(written.substr(written.size() - expected.size()), expected)
            << c.start << "/" << c.end << " mode " << mode << " x87 precision " << precision;
        EXPECT_TRUE(before == after) << "environment changed in mode " << mode << " x87 precision " << precision;
      }
    }
  }
}

#if TAVIK_TEST_FLUSH_MODES
// Subnormal amounts give IEEE percentages with `host_modes` set, and the
// register comes back as the host had it.
void expect_ieee_percentages_with(ControlRegister host_modes) {
  const struct {
    float start;
    float end;
    const char* percentage;
  } cases[] = {{1e-40f, 1e-40f, "100"}, {1e-40f, 2e-40f, "49"}, {5e-39f, 2e-38f, "24"}, {1e-40f, 1, "0"}};
  for (const auto& c : cases) {
    const ControlRegister plain = read_control();
    write_control(plain | host_modes);
    const FpState before = snapshot();
    const std::string written = capture_stdout([&] { print_progress_bar(c.start, c.end); });
    const FpState after = snapshot();
    write_control(plain);

    const std::string expected = "] " + std::string(c.percentage) + "%\r";
    ASSERT_GE(written.size(), expected.size());
    EXPECT_EQ(written.substr(written.size() - expected.size()), expected)
        << c.start << "/" << c.end << " host modes " << std::hex << host_modes;
    EXPECT_TRUE(before == after) << "host modes " << std::hex << host_modes;
  }
}

// A host built with -ffast-math runs with flush-to-zero set (and on x86
// denormals-are-zero; ARM hosts may also choose default-NaN mode).
TEST(FloatingPoint, SubnormalAmountsCountWhateverTheHostsFlushModes) {
  for (const ControlRegister host_modes : kHostModeSets) expect_ieee_percentages_with(host_modes);
}
#endif  // TAVIK_TEST_FLUSH_MODES

#if defined(TAVIK_TEST_AARCH64)
// Cores with FEAT_AFP (Armv8.7) also flush inputs alone, with FPCR.FIZ; on
// others, and under qemu, the bit reads back as 0.
TEST(FloatingPoint, SubnormalAmountsCountWithFlushInputsToZero) {
  constexpr ControlRegister kFlushInputsToZero = 1u << 0;
  const ControlRegister plain = read_control();
  write_control(plain | kFlushInputsToZero);
  const bool implemented = (read_control() & kFlushInputsToZero) != 0;
  write_control(plain);
  if (!implemented) GTEST_SKIP() << "skipped: this core (or its emulator) has no FEAT_AFP, FPCR.FIZ reads back as 0";
  expect_ieee_percentages_with(kFlushInputsToZero);
  expect_ieee_percentages_with(kFlushInputsToZero | kFlushToZero);
}
#endif

TEST(FloatingPoint, RaisesNoFlagAndKeepsThoseAlreadyRaised) {
  for (const int asked : {0, FE_INEXACT, FE_DIVBYZERO | FE_UNDERFLOW, FE_ALL_EXCEPT}) {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(asked);
    // Where overflow and underflow are raised with real arithmetic (glibc on
    // ARM), inexact comes with them, as the C standard allows.
    const int already_raised = std::fetestexcept(FE_ALL_EXCEPT);
    ASSERT_EQ(already_raised & asked, asked);
    const FpState before = snapshot();
    capture_stdout([] {
      print_progress_bar(1, 3);           // inexact
      print_progress_bar(1, 0);           // divide by zero
      print_progress_bar(0, 0);           // invalid
      print_progress_bar(1e38f, 1e-38f);  // overflow
      print_progress_bar(1e-30f, 1e30f);  // underflow
    });
    EXPECT_TRUE(before == snapshot()) << "flags before: " << already_raised;
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), already_raised);
  }
  std::feclearexcept(FE_ALL_EXCEPT);
}

enum class Unmasking : std::uint8_t {
  kDone,
  kUnsupported,   // the unit, or its emulator, has no trap enables
  kFlagsPending,  // refused: an x87 flag was already set (see unmask_only)
};

// Unmasks exactly `excepts`, or none when it is 0.
#if defined(TAVIK_TEST_X86)
// x86's denormal-operand exception (FE_DENORMAL where the C library names
// it), beside the five of C.
constexpr int kDenormalOperand = 0x02;
// In both the SSE and the x87 unit. On x86 each FE_ flag is also the bit of
// its exception in both control words (SSE: << 7). The denormal-operand trap
// only in the SSE unit, where the library computes: the x87 unit would trap
// in this test's own loads of a subnormal argument.
//
// The x87 unit traps at its next waiting instruction when an exception is
// unmasked whose flag is already set, whoever set it: C run-times' printf
// leaves the inexact flag set there. So the flags must be clear before every
// unmasking (std::feclearexcept clears them without waiting), or the trap
// would be blamed on the library; this refuses to unmask otherwise.
Unmasking unmask_only(int excepts) {
  unsigned short status;
  __asm__ volatile("fnstsw %0" : "=m"(status));
  if (excepts != 0 && (status & FE_ALL_EXCEPT) != 0) return Unmasking::kFlagsPending;
  unsigned int csr;
  __asm__ volatile("stmxcsr %0" : "=m"(csr));
  csr = (csr | 0x1F80u) & ~(static_cast<unsigned int>(excepts) << 7);
  __asm__ volatile("ldmxcsr %0" : : "m"(csr));
  unsigned short control;
  __asm__ volatile("fnstcw %0" : "=m"(control));
  control = static_cast<unsigned short>((control | 0x3Fu) & ~static_cast<unsigned int>(excepts & ~kDenormalOperand));
  __asm__ volatile("fldcw %0" : : "m"(control));
  return Unmasking::kDone;
}
#elif defined(__GLIBC__)
// Many ARM cores, and qemu, have no trap enables: feenableexcept fails there.
Unmasking unmask_only(int excepts) {
  fedisableexcept(FE_ALL_EXCEPT);
  return excepts == 0 || feenableexcept(excepts) != -1 ? Unmasking::kDone : Unmasking::kUnsupported;
}
#else
Unmasking unmask_only(int excepts) { return excepts == 0 ? Unmasking::kDone : Unmasking::kUnsupported; }
#endif

// Runs in a child process: a trap that fires kills it with SIGFPE.
TEST(FloatingPointDeathTest, UnmaskedTrapsNeverFireAndStayUnmasked) {
  // From cleared flags, so that the probe itself cannot trap.
  std::feclearexcept(FE_ALL_EXCEPT);
  const Unmasking probe = unmask_only(FE_ALL_EXCEPT);
  unmask_only(0);
  ASSERT_TRUE(probe != Unmasking::kFlagsPending) << "x87 exception flags were set when the probe unmasked";
  if (probe == Unmasking::kUnsupported) {
    GTEST_SKIP() << "skipped: this floating-point unit (or its emulator) cannot unmask traps";
  }
  std::vector<int> traps_to_combine = {FE_DIVBYZERO, FE_INVALID, FE_OVERFLOW, FE_UNDERFLOW, FE_INEXACT};
#if defined(TAVIK_TEST_X86)
  traps_to_combine.push_back(kDenormalOperand);
#endif
  const int trap_count = static_cast<int>(traps_to_combine.size());
  const float signaling_nan = std::numeric_limits<float>::signaling_NaN();
  const struct {
    float start;
    float end;
    std::string line;
  } cases[] = {
      {1, 0, bar_line(0, 40, "-2147483648")},
      {0, 0, bar_line(0, 40, "-2147483648")},
      {1e38f, 1e-38f, bar_line(0, 40, "-2147483648")},
      {signaling_nan, 1, bar_line(0, 40, "-2147483648")},
      {1e-30f, 1e30f, bar_line(0, 40, "0")},
      {1, 8, bar_line(5, 35, "12")},
      {1e-40f, 1, bar_line(0, 40, "0")},  // a subnormal operand
  };
  // Asked before any trap is unmasked: the question is arithmetic.
  std::vector<int> roundable_modes;
  for (const int mode : kRoundingModes) {
    if (can_round(mode)) roundable_modes.push_back(mode);
  }
  EXPECT_EXIT(
      {
        for (int trap_set = 0; trap_set < 1 << trap_count; ++trap_set) {
          int traps = 0;
          for (int bit = 0; bit < trap_count; ++bit) {
            if (trap_set & (1 << bit)) traps |= traps_to_combine[bit];
          }
          for (const int mode : roundable_modes) {
            std::feclearexcept(FE_ALL_EXCEPT);
            if (unmask_only(traps) != Unmasking::kDone) {
              std::fprintf(stderr, "traps %#x could not be unmasked\n", static_cast<unsigned>(traps));
              std::_Exit(1);
            }
            std::fesetround(mode);
            for (const auto& c : cases) {
              const FpState before = snapshot();
              const std::string written = capture_stdout([&] { print_progress_bar(c.start, c.end); });
              if (!(before == snapshot()) || written != c.line) {
                unmask_only(0);  // printing a signaling NaN would trap
                std::fprintf(stderr, "traps %#x mode %#x: %g/%g wrote \"%s\"\n", static_cast<unsigned>(traps),
                             static_cast<unsigned>(mode), c.start, c.end, written.c_str());
                std::_Exit(1);
              }
            }
          }
        }
        unmask_only(0);
        std::exit(0);  // not _Exit: coverage data is written at exit
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
