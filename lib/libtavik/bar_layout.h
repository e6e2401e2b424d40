// Arithmetic of one progress line, kept apart from the I/O so that it can be
// checked on its own (every 32-bit percentage, every float boundary).
#ifndef TAVIK_BAR_LAYOUT_H
#define TAVIK_BAR_LAYOUT_H

#include <cstddef>
#include <cstdint>
#include <limits>

namespace tavik {

constexpr std::uint32_t kBarCells = 40;

// Printed for a zero total and for anything that does not fit an int32.
constexpr std::int32_t kUnrepresentablePercentage = std::numeric_limits<std::int32_t>::min();

// Truncates toward zero. The range test comes first because converting a NaN
// or an out-of-range float to an integer is undefined behaviour.
inline std::int32_t truncate_percentage(float scaled) {
  // Both bounds are exact floats: -2^31 and 2^31.
  if (scaled >= -2147483648.0f && scaled < 2147483648.0f) {
    return static_cast<std::int32_t>(scaled);
  }
  return kUnrepresentablePercentage;
}

// Single precision throughout: the quotient and the product are each rounded
// to float in the current rounding direction, so every platform prints the
// same number. The caller must have masked floating-point traps.
inline std::int32_t percentage_of(float start, float end) {
  const float quotient = start / end;
  const float scaled = quotient * 100.0f;
  return truncate_percentage(scaled);
}

// A cell is filled once the percentage passes its lower edge: the smallest n
// with n >= percentage / 2.5, which is ceil(2p / 5). 2p stays below 2^32.
inline std::uint32_t filled_cells(std::int32_t percentage) {
  if (percentage <= 0) {
    return 0;
  }
  const std::uint32_t twice = 2u * static_cast<std::uint32_t>(percentage);
  return twice / 5u + (twice % 5u != 0u ? 1u : 0u);
}

inline std::uint32_t blank_cells(std::uint32_t filled) { return filled < kBarCells ? kBarCells - filled : 0u; }

// "] -2147483648%" is the longest closing text.
constexpr std::size_t kClosingCapacity = 16;

// Writes "] <percentage>%" into `out` without a terminator; returns its length.
inline std::size_t format_closing(char (&out)[kClosingCapacity], std::int32_t percentage) {
  char digits[10];
  std::size_t digit_count = 0;
  // Unsigned magnitude, so that -2^31 needs no special case.
  std::uint32_t magnitude =
      percentage < 0 ? 0u - static_cast<std::uint32_t>(percentage) : static_cast<std::uint32_t>(percentage);
  do {
    digits[digit_count++] = static_cast<char>('0' + magnitude % 10u);
    magnitude /= 10u;
  } while (magnitude != 0u);

  std::size_t length = 0;
  out[length++] = ']';
  out[length++] = ' ';
  if (percentage < 0) {
    out[length++] = '-';
  }
  while (digit_count != 0) {
    out[length++] = digits[--digit_count];
  }
  out[length++] = '%';
  return length;
}

}  // namespace tavik

#endif  // TAVIK_BAR_LAYOUT_H
