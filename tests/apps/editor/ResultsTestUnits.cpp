// The editor's unit conversions against the published sizes of the imperial
// units, and number text that no locale changes.
#include <gtest/gtest.h>

#include <QLocale>

#include <clocale>
#include <cmath>
#include <string>

#include "Units.h"

namespace vyr::editor {
namespace {

// One imperial unit: its quantity and its published size in SI units.
struct UnitCase {
  const char* name;
  TParType type;
  double size;  // SI units in one imperial unit
  const char* unit;
};

// Sizes by definition: the international pound and foot, the standard
// gravity, 1 Btu/lbm = 2326 J/kg, 1 hp = 550 ft lbf/s; the Rankine is 5/9 K.
constexpr double kLbf = 4.4482216152605, kLbm = 0.45359237, kPsi = 6894.757293168, kHp = 745.69987158227;
const UnitCase kUnits[] = {
    {"force_lbf", ptForce, kLbf, "lbf"},
    {"mass_flow_lbm_per_s", ptMassFlow, kLbm, "lbm/s"},
    {"corrected_flow_lbm_per_s", ptCorrFlow, kLbm, "lbm/s"},
    {"pressure_psia", ptPressure, kPsi, "psia"},
    {"temperature_rankine", ptTemperature, 1.0 / 1.8, "R"},
    {"power_hp", ptPower, kHp, "hp"},
    {"enthalpy_btu_per_lbm", ptSpecEnthalpy, 2326.0, "Btu/lbm"},
    {"area_in2", ptArea, 0.0254 * 0.0254, "in2"},
    {"tsfc_lbm_per_lbf_h", ptSFC, kLbm / (kLbf * 3600.0), "lbm/(lbf h)"},
    {"specific_thrust_lbf_s_per_lbm", ptSpecThrust, kLbf / kLbm, "lbf s/lbm"},
};

class ImperialUnit : public ::testing::TestWithParam<UnitCase> {};

TEST_P(ImperialUnit, ShowsTheSIValueInPublishedUnits) {
  const UnitCase& c = GetParam();
  // 37.5 imperial units, stored in SI.
  const double si = 37.5 * c.size;
  EXPECT_NEAR(FromSI(c.type, TUnitSystem::Imperial, si), 37.5, 37.5 * 1e-12);
  EXPECT_EQ(UnitName(c.type, TUnitSystem::Imperial), c.unit);
  // Back to SI gives the stored value.
  EXPECT_NEAR(ToSI(c.type, TUnitSystem::Imperial, FromSI(c.type, TUnitSystem::Imperial, si)), si,
              std::fabs(si) * 1e-14);
}

INSTANTIATE_TEST_SUITE_P(Published, ImperialUnit, ::testing::ValuesIn(kUnits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Units, SeaLevelStandardDayInBothSystems) {
  EXPECT_EQ(ValueWithUnit(ptTemperature, TUnitSystem::SI, 288.15), "288.15 K");
  EXPECT_EQ(ValueWithUnit(ptTemperature, TUnitSystem::Imperial, 288.15), "518.67 R");
  EXPECT_EQ(ValueWithUnit(ptPressure, TUnitSystem::SI, 101325.0), "101325 Pa");
  EXPECT_EQ(ValueWithUnit(ptPressure, TUnitSystem::Imperial, 101325.0), "14.696 psia");
}

struct TextCase {
  const char* name;
  double value;
  int decimals;
  const char* text;
};

const TextCase kTexts[] = {
    {"fixed_decimals", 1234.5, 2, "1234.50"},
    {"rounds_to_nearest", 2.71828, 3, "2.718"},
    {"no_negative_zero", -0.0, 2, "0.00"},
    {"small_value_not_rounded_away", -0.0004, 2, "-0.0004"},
    {"small_value_keeps_four_digits", 0.00012346, 3, "0.0001235"},
    {"tiny_value_in_exponent_form", 1.5e-7, 3, "1.5e-07"},
    {"four_significant_by_default", 0.0123456, -1, "0.01235"},
    {"large_value_by_default", 123456.0, -1, "123456"},
    {"not_a_number", std::nan(""), 2, "nan"},
};

class NumberTextCase : public ::testing::TestWithParam<TextCase> {};

// A German locale (decimal comma) changes nothing: the C library's and Qt's.
TEST_P(NumberTextCase, SameInEveryLocale) {
  const TextCase& c = GetParam();
  const std::string before = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const std::string text = NumberText(c.value, c.decimals);
  std::setlocale(LC_NUMERIC, before.c_str());
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(text, c.text);
  double back = 0;
  if (std::isfinite(c.value)) {
    ASSERT_TRUE(ParseNumber(text, back)) << text;
    EXPECT_NEAR(back, c.value, std::fabs(c.value) * 1e-3 + 0.5 * std::pow(10.0, -std::max(c.decimals, 0)));
  }
}

INSTANTIATE_TEST_SUITE_P(Texts, NumberTextCase, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Units, ParseRefusesWhatIsNoNumber) {
  double v = 7;
  for (const char* bad : {"", "1,5", "12 kg", "abc", "+"}) {
    EXPECT_FALSE(ParseNumber(bad, v)) << bad;
    EXPECT_EQ(v, 7);
  }
}

}  // namespace
}  // namespace vyr::editor
