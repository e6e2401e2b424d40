// The caller's floating-point environment: the result follows its rounding
// direction, traps never fire, and everything is as it was on return.
#include <gtest/gtest.h>

#include <cfenv>
#include <cstdlib>
#include <limits>
#include <string>

#include "capture.h"
#include "tavik.h"

namespace {

using tavik_test::bar_line;
using tavik_test::capture_stdout;

// Everything a call could disturb, down to the raw x86 control registers.
struct FpState {
  int rounding;
  int flags;
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  unsigned int mxcsr;
  unsigned short x87_control;
  unsigned short x87_status;
#endif
  bool operator==(const FpState& other) const {
    return rounding == other.rounding && flags == other.flags
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
           && mxcsr == other.mxcsr && x87_control == other.x87_control && x87_status == other.x87_status
#endif
        ;
  }
};

FpState snapshot() {
  FpState state{};
  state.rounding = std::fegetround();
  state.flags = std::fetestexcept(FE_ALL_EXCEPT);
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __asm__ volatile("stmxcsr %0" : "=m"(state.mxcsr));
  __asm__ volatile("fnstcw %0" : "=m"(state.x87_control));
  __asm__ volatile("fnstsw %0" : "=m"(state.x87_status));
#endif
  return state;
}

constexpr int kRoundingModes[] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
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
  for (const unsigned short precision : kX87Precisions) {
    for (int mode = 0; mode < 4; ++mode) {
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

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// A host built with -ffast-math runs with flush-to-zero and
// denormals-are-zero set; subnormal amounts still give IEEE percentages, and
// the register comes back as the host had it.
TEST(FloatingPoint, SubnormalAmountsCountWhateverTheHostsFlushModes) {
  constexpr unsigned int kFlushToZero = 0x8000u;
  constexpr unsigned int kDenormalsAreZero = 0x0040u;
  const struct {
    float start;
    float end;
    const char* percentage;
  } cases[] = {{1e-40f, 1e-40f, "100"}, {1e-40f, 2e-40f, "49"}, {5e-39f, 2e-38f, "24"}, {1e-40f, 1, "0"}};
  for (const unsigned int flush_modes : {kFlushToZero, kDenormalsAreZero, kFlushToZero | kDenormalsAreZero}) {
    for (const auto& c : cases) {
      unsigned int host_csr;
      __asm__ volatile("stmxcsr %0" : "=m"(host_csr));
      const unsigned int flushing_csr = host_csr | flush_modes;
      __asm__ volatile("ldmxcsr %0" : : "m"(flushing_csr));
      const FpState before = snapshot();
      const std::string written = capture_stdout([&] { print_progress_bar(c.start, c.end); });
      const FpState after = snapshot();
      __asm__ volatile("ldmxcsr %0" : : "m"(host_csr));

      const std::string expected = "] " + std::string(c.percentage) + "%\r";
      ASSERT_GE(written.size(), expected.size());
      EXPECT_EQ(written.substr(written.size() - expected.size()), expected)
          << c.start << "/" << c.end << " flush modes " << std::hex << flush_modes;
      EXPECT_TRUE(before == after) << "flush modes " << std::hex << flush_modes;
    }
  }
}
#endif

TEST(FloatingPoint, RaisesNoFlagAndKeepsThoseAlreadyRaised) {
  for (const int already_raised : {0, FE_INEXACT, FE_DIVBYZERO | FE_UNDERFLOW, FE_ALL_EXCEPT}) {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::feraiseexcept(already_raised);
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

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
constexpr bool kCanUnmaskTraps = true;
// Unmasks exactly `excepts` in both the SSE and the x87 unit. On x86 each FE_
// flag is also the bit of its exception in both control words (SSE: << 7).
void unmask_only(int excepts) {
  unsigned int csr;
  __asm__ volatile("stmxcsr %0" : "=m"(csr));
  csr = (csr | 0x1F80u) & ~(static_cast<unsigned int>(excepts) << 7);
  __asm__ volatile("ldmxcsr %0" : : "m"(csr));
  unsigned short control;
  __asm__ volatile("fnstcw %0" : "=m"(control));
  control = static_cast<unsigned short>((control | 0x3Fu) & ~static_cast<unsigned int>(excepts));
  __asm__ volatile("fldcw %0" : : "m"(control));
}
#elif defined(__GLIBC__)
constexpr bool kCanUnmaskTraps = true;
void unmask_only(int excepts) {
  fedisableexcept(FE_ALL_EXCEPT);
  feenableexcept(excepts);
}
#else
constexpr bool kCanUnmaskTraps = false;
void unmask_only(int) {}
#endif

// Runs in a child process: a trap that fires kills it with SIGFPE.
TEST(FloatingPointDeathTest, UnmaskedTrapsNeverFireAndStayUnmasked) {
  if (!kCanUnmaskTraps) GTEST_SKIP() << "no way to unmask floating-point traps on this platform";
  constexpr int kTraps[] = {FE_DIVBYZERO, FE_INVALID, FE_OVERFLOW, FE_UNDERFLOW, FE_INEXACT};
  const float signaling_nan = std::numeric_limits<float>::signaling_NaN();
  const struct {
    float start;
    float end;
    std::string line;
  } cases[] = {
      {1, 0, bar_line(0, 40, "-2147483648")},          {0, 0, bar_line(0, 40, "-2147483648")},
      {1e38f, 1e-38f, bar_line(0, 40, "-2147483648")}, {signaling_nan, 1, bar_line(0, 40, "-2147483648")},
      {1e-30f, 1e30f, bar_line(0, 40, "0")},           {1, 8, bar_line(5, 35, "12")},
  };
  EXPECT_EXIT(
      {
        for (int trap_set = 0; trap_set < 32; ++trap_set) {
          int traps = 0;
          for (int bit = 0; bit < 5; ++bit) {
            if (trap_set & (1 << bit)) traps |= kTraps[bit];
          }
          for (const int mode : kRoundingModes) {
            std::feclearexcept(FE_ALL_EXCEPT);
            unmask_only(traps);
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
