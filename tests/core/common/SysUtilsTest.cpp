#include "SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>

namespace vyr {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(FloatToStrTest, GeneralFormat) {
  const struct {
    double value;
    const char* want;
  } cases[] = {
      {0.0, "0"},
      {-0.0, "0"},
      {1000.0, "1000"},
      {-2.5, "-2.5"},
      {0.99999989, "0.99999989"},
      {0.9998, "0.9998"},
      {1.0 / 3, "0.333333333333333"},
      {-2.0 / 3, "-0.666666666666667"},
      {0.1 + 0.2, "0.3"},  // 0.30000000000000004 loses its 17th digit
      // Rounding works on the shortest decimal text, half away from zero.
      {0.1234567890123455, "0.123456789012346"},
      {-0.1234567890123455, "-0.123456789012346"},
      {9.999999999999995, "10"},
      {2.675, "2.675"},
      // Fixed notation ends below 1E15 and starts at 0.0001, after rounding.
      {999999999999999.0, "999999999999999"},
      {999999999999999.9, "1E15"},
      {1e15, "1E15"},
      {0.0001, "0.0001"},
      {0.00009999999999999999, "0.0001"},
      {0.00001, "1E-5"},
      {1.5e-5, "1.5E-5"},
      {-1e-14, "-1E-14"},
      {1e20, "1E20"},
      {123456789012345678.0, "1.23456789012346E17"},
      {std::numeric_limits<double>::max(), "1.79769313486232E308"},
      {std::numeric_limits<double>::denorm_min(), "5E-324"},
      {kNaN, "NAN"},
      {-kNaN, "NAN"},
      {kInf, "INF"},
      {-kInf, "-INF"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FloatToStr(c.value), c.want) << "value " << c.value;
  }
}

// Over values from all magnitudes: at most 15 significant digits, and the text
// reads back within the rounding of the 15th digit.
TEST(FloatToStrTest, ReadsBackWithinFifteenDigits) {
  std::mt19937_64 rng(20240611);
  std::uniform_int_distribution<std::uint64_t> bits;
  for (int i = 0; i < 20000; ++i) {
    double value;
    const std::uint64_t b = bits(rng);
    std::memcpy(&value, &b, sizeof value);
    if (!std::isfinite(value) || value == 0.0) continue;
    const std::string text = FloatToStr(value);
    std::size_t significant = 0;
    bool leading = true;
    for (char ch : text) {
      if (ch == 'E') break;
      if (ch < '0' || ch > '9') continue;
      if (ch != '0') leading = false;
      if (!leading) ++significant;
    }
    ASSERT_LE(significant, 15u) << text;
    const double back = std::strtod(text.c_str(), nullptr);
    ASSERT_LE(std::fabs(back - value), 5.1e-15 * std::fabs(value)) << text;
  }
}

TEST(IntToStrTest, Values) {
  const struct {
    std::int64_t value;
    const char* want;
  } cases[] = {
      {0, "0"},
      {-1, "-1"},
      {1234567, "1234567"},
      {std::numeric_limits<std::int64_t>::max(), "9223372036854775807"},
      {std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
  };
  for (const auto& c : cases) EXPECT_EQ(IntToStr(c.value), c.want);
}

struct FormatCase {
  std::string_view format;
  std::initializer_list<TVarRec> args;
  std::string want;
};

TEST(FormatTest, Conversions) {
  const FormatCase cases[] = {
      {"", {}, ""},
      {"plain text", {}, "plain text"},
      {"100%%", {}, "100%"},
      {"%d", {42, 7}, "42"},  // unused arguments are ignored
      {"%d", {-1234567}, "-1234567"},
      {"%d", {std::numeric_limits<long long>::min()}, "-9223372036854775808"},
      {"%d", {4000000000u}, "4000000000"},
      // Precision: zero-padded digits, the sign not counted.
      {"%.*d", {3, -5}, "-005"},
      {"%.*d", {3, 7}, "007"},
      {"%.*d", {2, 12345}, "12345"},
      {"%.*d", {0, 0}, "0"},
      {"%.*d", {-2, 5}, "5"},
      {"%.4d", {12}, "0012"},
      // Fixed: rounding on the decimal text, no sign on a rounded zero.
      {"%.1f", {0.25}, "0.3"},
      {"%.1f", {30.48}, "30.5"},
      {"%.1f", {0.05}, "0.1"},
      {"%.1f", {-0.05}, "-0.1"},
      {"%.1f", {-0.04}, "0.0"},
      {"%.1f", {-0.0}, "0.0"},
      {"%.2f", {2.675}, "2.68"},
      {"%.3f", {9.9996}, "10.000"},
      {"%.0f", {2.5}, "3"},
      {"%.0f", {0.4}, "0"},
      {"%.2f", {1e-300}, "0.00"},
      {"%.1f", {1234567.25}, "1234567.3"},
      {"%.1f", {7}, "7.0"},
      {"%f", {1.005}, "1.01"},
      {"%.1f", {1e300}, "1" + std::string(300, '0') + ".0"},
      {"%.*f", {3, 1.23456}, "1.235"},
      // General: exponent of at least three digits.
      {"%g", {12.5}, "12.5"},
      {"%g", {0.0}, "0"},
      {"%g", {100}, "100"},
      {"%g", {1.0 / 3}, "0.333333333333333"},
      {"%g", {1e-5}, "1E-005"},
      {"%g", {1.5e-7}, "1.5E-007"},
      {"%g", {1e20}, "1E020"},
      {"%g", {-1e15}, "-1E015"},
      {"%g", {1.5e300}, "1.5E300"},
      {"%g", {1e-300}, "1E-300"},
      {"%.3g", {12345.0}, "1.23E004"},
      {"%.3g", {999.5}, "1E003"},
      {"%.3g", {0.00012345}, "0.000123"},
      {"%.0g", {0.25}, "0.3"},
      {"%.1f", {kNaN}, "NAN"},
      {"%.1f", {kInf}, "INF"},
      {"%g", {-kInf}, "-INF"},
      {"%g", {kNaN}, "NAN"},
      // Text.
      {"%s", {"abc"}, "abc"},
      {"%s", {std::string("")}, ""},
      {"[%s]", {std::string_view("a%d")}, "[a%d]"},
      {"%s=%d (%.1f%%)", {"x", 3, 12.34}, "x=3 (12.3%)"},
      // Width pads with spaces, on the left unless "-" asks for the right.
      {"%5d", {42}, "   42"},
      {"%-5d|", {42}, "42   |"},
      {"%2d", {12345}, "12345"},
      {"%-8s|", {"ab"}, "ab      |"},
      {"%10.3f", {3.14159}, "     3.142"},
      {"%6.*d", {3, -5}, "  -005"},
      {"%8g", {1e-5}, "  1E-005"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Format(c.format, c.args), c.want) << "format \"" << c.format << "\"";
  }
}

TEST(FormatTest, BadFormatOrArgumentThrowsNamingTheFormat) {
  const FormatCase cases[] = {
      {"%d", {1.5}, ""},
      {"%d", {"1"}, ""},
      {"%f", {"1"}, ""},
      {"%g", {"1"}, ""},
      {"%s", {1}, ""},
      {"%s", {1.5}, ""},
      {"value %d", {}, ""},
      {"%d and %d", {1}, ""},
      {"%.*d", {1.5, 2}, ""},
      {"%.*d", {3}, ""},
      {"%x", {1}, ""},
      {"%D", {1}, ""},
      {"%.3s", {"abc"}, ""},
      {"%", {}, ""},
      {"tail %", {1}, ""},
      {"%-", {1}, ""},
      {"%5", {1}, ""},
      {"%.d", {1}, ""},
      {"%.1", {1.0}, ""},
      {"%99999999999d", {1}, ""},
      {"%.*f", {100000, 1.0}, ""},
  };
  for (const auto& c : cases) {
    try {
      (void)Format(c.format, c.args);
      ADD_FAILURE() << "no exception for \"" << c.format << "\"";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(c.format), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace vyr

// Messages name long component and file names: the text is never cut.
TEST(Printf, KeepsTextOfAnyLength) {
  const std::string name(3000, 'x');
  EXPECT_EQ(vyr::Printf("%s at %.6g K", name.c_str(), 1400.0), name + " at 1400 K");
  EXPECT_EQ(vyr::Printf("%s", ""), "");
}
