// The bytes of one line, for the documented values and the float edge cases,
// and the arithmetic behind them at its boundaries.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "bar_layout.h"
#include "capture.h"
#include "tavik.h"

// The version string that hosts print spells the version the build read from
// tavik.h's three numbers.
static_assert(std::string_view(TAVIK_VERSION_STRING) == TAVIK_BUILD_VERSION);

namespace {

using tavik_test::bar_line;
using tavik_test::capture_stdout;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct LineCase {
  float start;
  float end;
  std::size_t filled;
  std::size_t blanks;
  const char* percentage;
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.start << " of " << c.end << " -> " << c.percentage << "%";
}

class LineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineTest, WritesExactlyTheLine) {
  const LineCase& c = GetParam();
  const std::string written = capture_stdout([&] { print_progress_bar(c.start, c.end); });
  EXPECT_EQ(written, bar_line(c.filled, c.blanks, c.percentage));
}

INSTANTIATE_TEST_SUITE_P(DocumentedValues, LineTest,
                         ::testing::Values(LineCase{0, 100, 0, 40, "0"}, LineCase{1, 100, 1, 39, "1"},
                                           LineCase{2, 100, 1, 39, "2"}, LineCase{3, 100, 2, 38, "3"},
                                           LineCase{1, 8, 5, 35, "12"}, LineCase{1, 3, 14, 26, "33"},
                                           LineCase{1, 2, 20, 20, "50"}, LineCase{2, 3, 27, 13, "66"},
                                           LineCase{97, 100, 39, 1, "97"}, LineCase{98, 100, 40, 0, "98"},
                                           LineCase{99, 100, 40, 0, "99"}, LineCase{1, 1, 40, 0, "100"},
                                           LineCase{3, 2, 60, 0, "150"}, LineCase{-1, 20, 0, 40, "-5"}));

INSTANTIATE_TEST_SUITE_P(SignsAndLargeValues, LineTest,
                         ::testing::Values(LineCase{-1, 3, 0, 40, "-33"}, LineCase{1, -3, 0, 40, "-33"},
                                           LineCase{-1, -2, 20, 20, "50"}, LineCase{-0.0f, 1, 0, 40, "0"},
                                           LineCase{1, kInf, 0, 40, "0"}, LineCase{1e-45f, 1, 0, 40, "0"},
                                           LineCase{10, 1, 400, 0, "1000"}, LineCase{10000, 1, 400000, 0, "1000000"}));

// Single precision: each operation is rounded to float, so these differ from
// what double or x87 extended evaluation would print (28, 53, 852, 681).
INSTANTIATE_TEST_SUITE_P(SinglePrecision, LineTest,
                         ::testing::Values(LineCase{29, 100, 12, 28, "29"}, LineCase{53, 100, 21, 19, "52"},
                                           LineCase{6653, 779.953125f, 342, 0, "853"},
                                           LineCase{19718.75f, 2891.3125f, 273, 0, "682"}));

INSTANTIATE_TEST_SUITE_P(
    Unrepresentable, LineTest,
    ::testing::Values(LineCase{0, 0, 0, 40, "-2147483648"}, LineCase{1, 0, 0, 40, "-2147483648"},
                      LineCase{-1, 0, 0, 40, "-2147483648"}, LineCase{1, -0.0f, 0, 40, "-2147483648"},
                      LineCase{1e9f, 1, 0, 40, "-2147483648"}, LineCase{-1e9f, 1, 0, 40, "-2147483648"},
                      LineCase{1e38f, 1e-38f, 0, 40, "-2147483648"}, LineCase{kNaN, 1, 0, 40, "-2147483648"},
                      LineCase{1, kNaN, 0, 40, "-2147483648"}, LineCase{kInf, 1, 0, 40, "-2147483648"},
                      LineCase{-kInf, 1, 0, 40, "-2147483648"}, LineCase{kInf, kInf, 0, 40, "-2147483648"}));

TEST(Line, SuccessiveCallsRedrawOneLineWithoutLineFeeds) {
  const std::string written = capture_stdout([] {
    print_progress_bar(1, 3);
    print_progress_bar(3, 2);
    print_progress_bar(1, 1);
  });
  EXPECT_EQ(written, bar_line(14, 26, "33") + bar_line(60, 0, "150") + bar_line(40, 0, "100"));
  EXPECT_EQ(written.find('\n'), std::string::npos);
}

// Conversions of the scaled value at the edges of the int32 range, where a
// plain cast would be undefined.
TEST(Layout, TruncatesTowardZeroInsideTheInt32Range) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const struct {
    float scaled;
    std::int32_t expected;
  } cases[] = {
      {0.99f, 0},
      {-0.99f, 0},
      {-1.5f, -1},
      {2147483520.0f, 2147483520},
      {-2147483520.0f, -2147483520},
      {2147483648.0f, kMin},
      {-2147483648.0f, kMin},
      {-2147483904.0f, kMin},
      {kInf, kMin},
      {-kInf, kMin},
      {kNaN, kMin},
      {-kNaN, kMin},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tavik::truncate_percentage(c.scaled), c.expected) << c.scaled;
  }
}

TEST(Layout, FillsEveryCellWhoseLowerEdgeIsPassed) {
  const struct {
    std::int32_t percentage;
    std::uint32_t filled;
    std::uint32_t blanks;
  } cases[] = {
      {std::numeric_limits<std::int32_t>::min(), 0, 40},
      {-1, 0, 40},
      {0, 0, 40},
      {1, 1, 39},
      {5, 2, 38},
      {6, 3, 37},
      {97, 39, 1},
      {98, 40, 0},
      {101, 41, 0},
      {2147483645, 858993458, 0},
      {2147483646, 858993459, 0},
      {std::numeric_limits<std::int32_t>::max(), 858993459, 0},
  };
  for (const auto& c : cases) {
    const std::uint32_t filled = tavik::filled_cells(c.percentage);
    EXPECT_EQ(filled, c.filled) << c.percentage;
    EXPECT_EQ(tavik::blank_cells(filled), c.blanks) << c.percentage;
  }
}

// Every 32-bit percentage against the rule itself: the least n with
// 5n >= 2p filled cells (none from 0 down), and blanks up to 40 cells.
TEST(Exhaustive, CellRuleHoldsForEveryInt32Percentage) {
  std::uint64_t mismatches = 0;
  std::int64_t first_mismatch = 0;
  for (std::int64_t p = std::numeric_limits<std::int32_t>::min(); p <= std::numeric_limits<std::int32_t>::max(); ++p) {
    const std::int64_t filled = tavik::filled_cells(static_cast<std::int32_t>(p));
    const std::int64_t blanks = tavik::blank_cells(static_cast<std::uint32_t>(filled));
    const bool filled_right = p <= 0 ? filled == 0 : 5 * filled >= 2 * p && 5 * (filled - 1) < 2 * p;
    const bool blanks_right = filled + blanks == (filled < 40 ? 40 : filled);
    if (!(filled_right && blanks_right) && mismatches++ == 0) first_mismatch = p;
  }
  EXPECT_EQ(mismatches, 0u) << "first wrong at percentage " << first_mismatch;
}

TEST(Layout, ClosingTextMatchesPrintfAtEveryDigitCount) {
  std::int32_t samples[64];
  std::size_t count = 0;
  samples[count++] = std::numeric_limits<std::int32_t>::min();
  samples[count++] = std::numeric_limits<std::int32_t>::max();
  for (std::int64_t power = 1; power <= 1000000000; power *= 10) {
    for (const std::int64_t value : {power - 1, power, -power, -power + 1}) {
      samples[count++] = static_cast<std::int32_t>(value);
    }
  }
  for (std::size_t i = 0; i < count; ++i) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "] %" PRId32 "%%", samples[i]);
    char closing[tavik::kClosingCapacity];
    const std::size_t length = tavik::format_closing(closing, samples[i]);
    EXPECT_EQ(std::string(closing, length), expected);
  }
}

}  // namespace
