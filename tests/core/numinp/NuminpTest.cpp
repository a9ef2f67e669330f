#include "Numinp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <string>

namespace vyr {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(NuminpTest, ScalesAreTheDefinedUnitSizes) {
  const struct {
    TParType type;
    double size;  // imperial unit in SI
  } cases[] = {
      {ptLength, 0.3048},          {ptAltitude, 0.3048},           {ptSpeed, 0.3048},
      {ptPressure, 6894.757293168}, {ptMassFlow, 0.45359237},       {ptTemperature, 1.0 / 1.8},
      {ptTempDiff, 1.0 / 1.8},      {ptForce, 4.4482216152605},     {ptPower, 745.69987158227},
      {ptSpecEnthalpy, 2326.0},     {ptSpecHeat, 4186.8},           {ptArea, 0.00064516},
      {ptSpecThrust, 9.80665},      {ptFuelFlow, 0.45359237 / 3600}, {ptDensity, 16.01846337396},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(ParscaleStd[c.type][usImperial], c.size, 1e-12 * c.size) << ParTypeName(c.type);
  }
  EXPECT_EQ(ParscaleStd[ptLength][usImperial], 0.3048);
  EXPECT_EQ(ParscaleStd[ptSFC][usSI], 1e-6);  // g/(kN s) in kg/(N s)
  for (int t = 0; t < ParTypeCount; ++t) {
    for (int s = 0; s < UnitSystemCount; ++s) {
      EXPECT_TRUE(std::isfinite(ParscaleStd[t][s]) && ParscaleStd[t][s] > 0) << t << " " << s;
      EXPECT_EQ(ParUnitStr[t][s].empty(), t == ptNone) << t << " " << s;
    }
  }
}

TEST(NuminpTest, UnitTexts) {
  EXPECT_EQ(ParUnitStr[ptPressure][usSI], "Pa");
  EXPECT_EQ(ParUnitStr[ptPressure][usImperial], "psia");
  EXPECT_EQ(ParUnitStr[ptTemperature][usSI], "K");
  EXPECT_EQ(ParUnitStr[ptTemperature][usImperial], "R");
  EXPECT_EQ(ParUnitStr[ptMassFlow][usImperial], "lbm/s");
  EXPECT_EQ(ParUnitStr[ptAltitude][usImperial], "ft");
}

TEST(NuminpTest, ParToStr) {
  const struct {
    TParType type;
    TUnitSystem system;
    const char* format;
    bool convert;
    double value;
    const char* want;
  } cases[] = {
      {ptPressure, usSI, "", true, 101325.0, "101325"},
      {ptPressure, usImperial, "", true, 101325.0, "14.696"},
      {ptTemperature, usSI, "", true, 288.15, "288.15"},
      {ptTemperature, usImperial, "", true, 288.15, "518.67"},
      {ptLength, usImperial, "", true, 0.3048, "1.000"},
      {ptAltitude, usImperial, "", true, 11000.0, "36089"},
      // Already in the target unit.
      {ptPressure, usImperial, "", false, 14.7, "14.700"},
      // A format of the caller, with text around the number.
      {ptLength, usImperial, "%.1f ft", true, 0.9144, "3.0 ft"},
      {ptMassFlow, usSI, "%g", true, 100.0, "100"},
      // Formats that cannot take one number fall back to the default.
      {ptPressure, usImperial, "%d", true, 101325.0, "14.696"},
      {ptPressure, usImperial, "%s", true, 101325.0, "14.696"},
      {ptPressure, usImperial, "%.", true, 101325.0, "14.696"},
      {ptPressure, usImperial, "%f%f", true, 101325.0, "14.696"},
      // Non-finite values print as FloatToStr.
      {ptPressure, usImperial, "", true, kNaN, "NAN"},
      {ptTemperature, usImperial, "%.3f", true, kInf, "INF"},
      {ptForce, usSI, "", true, -kInf, "-INF"},
      // Out of range: the value unscaled in the general format.
      {static_cast<TParType>(200), usImperial, "", true, 1.25, "1.25"},
      {ptPressure, static_cast<TUnitSystem>(7), "", true, 101325.0, "101325"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParToStr(c.type, c.system, c.format, c.convert, c.value), c.want)
        << ParTypeName(c.type) << " " << UnitSystemName(c.system) << " \"" << c.format << "\" " << c.value;
  }
}

// The format settings change the number's decimal separator only: a format's
// own text keeps its points, and the five-argument form is the US one.
TEST(NuminpTest, ParToStrWithFormatSettings) {
  constexpr TFormatSettings german{',', '.'};
  const struct {
    const char* name;
    TParType type;
    TUnitSystem system;
    const char* format;
    double value;
    const char* want;
  } cases[] = {
      {"DefaultDecimals", ptTemperature, usSI, "", 288.15, "288,15"},
      {"NoDecimals", ptPressure, usSI, "", 101325.0, "101325"},
      {"FormatTextKeepsItsPoints", ptLength, usImperial, "%.1f ft.", 0.9144, "3,0 ft."},
      {"PercentSignsAroundTheNumber", ptNone, usSI, "%%%.2f%%", 0.5, "%0,50%"},
      {"BadFormatFallsBack", ptPressure, usImperial, "%f%f", 101325.0, "14,696"},
      {"NaNHasNoSeparator", ptPressure, usSI, "", kNaN, "NAN"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParToStr(c.type, c.system, c.format, true, c.value, german), c.want) << c.name;
    std::string us = c.want;
    for (char& ch : us)
      if (ch == ',') ch = '.';
    EXPECT_EQ(ParToStr(c.type, c.system, c.format, true, c.value), us) << c.name;
    EXPECT_EQ(ParToStr(c.type, c.system, c.format, true, c.value, USFormatSettings), us) << c.name;
  }
}

TEST(NuminpTest, RoundTripThroughImperial) {
  const struct {
    TParType type;
    double value;  // SI
  } cases[] = {
      {ptPressure, 101325.0},  {ptTemperature, 1650.0},     {ptMassFlow, 123.4}, {ptSpecEnthalpy, 1.2e6},
      {ptPower, 2.5e7},        {ptForce, 110000.0},         {ptSFC, 1.7e-5},     {ptFuelFlow, 1.35},
      {ptDensity, 1.225},      {ptSpecEntropy, 6850.0},     {ptArea, 0.2534},    {ptPSFC, 8.0e-8},
  };
  for (const auto& c : cases) {
    const std::string text = ParToStr(c.type, usImperial, "%.15g", true, c.value);
    const double back = std::stod(text) * ParscaleStd[c.type][usImperial];
    EXPECT_NEAR(back, c.value, 1e-12 * c.value) << ParTypeName(c.type) << " " << text;
  }
}

TEST(NuminpTest, MemberNames) {
  EXPECT_EQ(ParTypeName(ptNone), "ptNone");
  EXPECT_EQ(ParTypeName(ptPressure), "ptPressure");
  EXPECT_EQ(ParTypeName(ptAngle), "ptAngle");
  EXPECT_EQ(UnitSystemName(usSI), "usSI");
  EXPECT_EQ(UnitSystemName(usImperial), "usImperial");
  std::set<std::string_view> names;
  for (int t = 0; t < ParTypeCount; ++t) {
    const std::string_view name = ParTypeName(static_cast<TParType>(t));
    EXPECT_EQ(name.substr(0, 2), "pt") << t;
    names.insert(name);
  }
  EXPECT_EQ(names.size(), static_cast<std::size_t>(ParTypeCount));
  EXPECT_EQ(ParTypeName(static_cast<TParType>(ParTypeCount)), "");
  EXPECT_EQ(UnitSystemName(static_cast<TUnitSystem>(UnitSystemCount)), "");
}

}  // namespace
}  // namespace vyr
