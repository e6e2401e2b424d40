// libFuzzer target: draws the line for arbitrary float pairs, in any rounding
// direction and with any floating-point traps unmasked, and checks every byte
// against a model of the rules worked out independently in double precision,
// and that the caller's floating-point state comes back untouched.
//
// Input: 4 bytes start, 4 bytes end (native float bit patterns, NaN payloads
// and all), 1 byte: rounding direction in bits 0-1, traps to unmask in 2-6.
#include <cfenv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "tavik.h"

namespace {

constexpr int kRoundingModes[] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};
constexpr int kTraps[] = {FE_INVALID, FE_DIVBYZERO, FE_OVERFLOW, FE_UNDERFLOW, FE_INEXACT};

// Longer bars are drawn exactly the same way; capping them keeps runs fast.
// Inputs above the cap are steered below it instead of being rejected.
constexpr std::int64_t kMaxFilledCells = 4000;

std::string written;

ssize_t collect(void*, const char* data, std::size_t size) {
  written.append(data, size);
  return static_cast<ssize_t>(size);
}

// Each operation rounded once to float, as the line promises: a double holds
// the product of two floats exactly, and its quotient closely enough that
// rounding it to float again gives the correctly rounded float quotient.
std::int64_t model_percentage(float start, float end) {
  const float quotient = static_cast<float>(static_cast<double>(start) / static_cast<double>(end));
  const double scaled = static_cast<double>(static_cast<float>(static_cast<double>(quotient) * 100.0));
  const double truncated = std::trunc(scaled);
  if (!(truncated >= -2147483648.0 && truncated <= 2147483647.0)) return INT32_MIN;
  return static_cast<std::int64_t>(truncated);
}

std::int64_t model_filled_cells(std::int64_t percentage) {
  return percentage > 0 ? static_cast<std::int64_t>(std::ceil(static_cast<double>(percentage) / 2.5)) : 0;
}

std::string model_line(std::int64_t percentage) {
  const std::int64_t filled = model_filled_cells(percentage);
  const std::int64_t blanks = filled < 40 ? 40 - filled : 0;
  return "[" + std::string(static_cast<std::size_t>(filled), '=') + ">" +
         std::string(static_cast<std::size_t>(blanks), ' ') + "] " + std::to_string(percentage) + "%\r";
}

struct FpState {
  int flags;
  int rounding;
  int traps;
#if defined(__x86_64__) || defined(__i386__)
  unsigned int mxcsr;
  unsigned short x87_control;
  unsigned short x87_status;
#endif
  bool operator==(const FpState& other) const {
    return flags == other.flags && rounding == other.rounding && traps == other.traps
#if defined(__x86_64__) || defined(__i386__)
           && mxcsr == other.mxcsr && x87_control == other.x87_control && x87_status == other.x87_status
#endif
        ;
  }
};

FpState snapshot() {
  FpState state{};
  state.flags = std::fetestexcept(FE_ALL_EXCEPT);
  state.rounding = std::fegetround();
  state.traps = fegetexcept();
#if defined(__x86_64__) || defined(__i386__)
  __asm__ volatile("stmxcsr %0" : "=m"(state.mxcsr));
  __asm__ volatile("fnstcw %0" : "=m"(state.x87_control));
  __asm__ volatile("fnstsw %0" : "=m"(state.x87_status));
#endif
  return state;
}

[[noreturn]] void fail(const char* what, float start, float end, int mode, int traps, const std::string& expected) {
  fedisableexcept(FE_ALL_EXCEPT);
  std::fprintf(stderr, "%s: start %a end %a rounding %d traps %#x\n  wrote    \"%s\"\n  expected \"%s\"\n", what,
               static_cast<double>(start), static_cast<double>(end), mode, static_cast<unsigned>(traps),
               written.c_str(), expected.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The library writes to whatever stdout is: here, a stream into `written`.
  cookie_io_functions_t io{};
  io.write = collect;
  std::FILE* sink = fopencookie(nullptr, "w", io);
  std::setvbuf(sink, nullptr, _IOFBF, 1 << 16);
  stdout = sink;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t bytes[9] = {};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  float start;
  float end;
  std::memcpy(&start, bytes, 4);
  std::memcpy(&end, bytes + 4, 4);
  const int mode = kRoundingModes[bytes[8] & 3];
  int traps = 0;
  for (int bit = 0; bit < 5; ++bit) {
    if (bytes[8] & (4 << bit)) traps |= kTraps[bit];
  }

  fedisableexcept(FE_ALL_EXCEPT);
  std::fesetround(mode);
  std::int64_t percentage = model_percentage(start, end);
  while (model_filled_cells(percentage) > kMaxFilledCells) {
    start = std::ldexp(start, -16);
    percentage = model_percentage(start, end);
  }
  const std::string expected = model_line(percentage);

  std::feclearexcept(FE_ALL_EXCEPT);
  feenableexcept(traps);
  const FpState before = snapshot();
  written.clear();
  print_progress_bar(start, end);
  const FpState after = snapshot();
  fedisableexcept(FE_ALL_EXCEPT);
  std::fesetround(FE_TONEAREST);

  if (!(before == after)) fail("floating-point state changed", start, end, mode, traps, expected);
  if (written != expected) fail("wrong line", start, end, mode, traps, expected);
  return 0;
}
