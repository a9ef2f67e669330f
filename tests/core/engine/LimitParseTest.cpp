// Rating limits as the user types them: the quantity, its index, the side and
// the value in SI, from every unit the limits take, and a reason for every text
// that is no limit.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "OffDesign.h"

namespace vyr::engine {
namespace {

using Q = TLimitQuantity;

struct Read {
  const char* name;
  const char* text;
  bool imperial;
  Q quantity;
  int index;
  bool upper;
  double value;  // SI
  const char* shown;  // the limit's own name
};
void PrintTo(const Read& r, std::ostream* os) { *os << r.text; }

class LimitRead : public testing::TestWithParam<Read> {};

TEST_P(LimitRead, GivesQuantityIndexSideAndSIValue) {
  const Read& c = GetParam();
  TOffDesignLimit l;
  std::string why;
  ASSERT_TRUE(ParseLimit(c.text, c.imperial, l, why)) << why;
  EXPECT_EQ(l.quantity, c.quantity);
  EXPECT_EQ(l.index, c.index);
  EXPECT_EQ(l.upper, c.upper);
  EXPECT_NEAR(l.value, c.value, 1e-12 * std::fabs(c.value));
  EXPECT_EQ(l.name, c.shown);
}

// 1 psi = 6894.757293168361 Pa; 1 R = 5/9 K; 1 lbm = 0.45359237 kg; 1 lbf = 4.4482216152605 N.
INSTANTIATE_TEST_SUITE_P(
    Limits, LimitRead,
    testing::Values(
        Read{"BurnerExitKelvin", "T4<=1600K", false, Q::StationTt, 4, true, 1600.0, "T4"},
        Read{"StationTtCelsius", "Tt45 <= 1200degC", false, Q::StationTt, 45, true, 1473.15, "Tt45"},
        Read{"StationTtFahrenheit", "T4<=2420.33degF", false, Q::StationTt, 4, true, (2420.33 + 459.67) * 5.0 / 9.0,
             "T4"},
        Read{"TemperatureWithoutUnitIsKelvin", "T4<=1600", false, Q::StationTt, 4, true, 1600.0, "T4"},
        Read{"TemperatureWithoutUnitImperialIsRankine", "T4<=2880", true, Q::StationTt, 4, true, 1600.0, "T4"},
        Read{"ImperialTakesAGivenUnit", "T4<=1600K", true, Q::StationTt, 4, true, 1600.0, "T4"},
        Read{"PressureMegapascal", "Pt3<=2.5MPa", false, Q::StationPt, 3, true, 2.5e6, "Pt3"},
        Read{"PressureBar", "Pt3<=25bar", false, Q::StationPt, 3, true, 2.5e6, "Pt3"},
        Read{"PressureExponent", "Pt3<=2.5e6", false, Q::StationPt, 3, true, 2.5e6, "Pt3"},
        Read{"PressureWithoutUnitImperialIsPsia", "Pt3<=300", true, Q::StationPt, 3, true, 300 * 6894.757293168361,
             "Pt3"},
        Read{"ShaftSpeed", "N1<=1.02", false, Q::ShaftSpeed, 1, true, 1.02, "N1"},
        Read{"ShaftSpeedPercent", "N2<=102%", false, Q::ShaftSpeed, 2, true, 1.02, "N2"},
        Read{"CorrectedSpeed", "Nc1<=1.05", false, Q::CorrectedSpeed, 1, true, 1.05, "Nc1"},
        Read{"SurgeMarginAtConstantSpeed", "SM1>=0.10", false, Q::SurgeMargin, 1, false, 0.10, "SM1"},
        Read{"SurgeMarginAtConstantFlowPercent", "SMW2 >= 12.5%", false, Q::SurgeMarginFlow, 2, false, 0.125,
             "SMW2"},
        Read{"SurgeMarginMayBeNegative", "SM1>=-0.05", false, Q::SurgeMargin, 1, false, -0.05, "SM1"},
        Read{"FuelFlowPerHour", "Wf<=3600kg/h", false, Q::FuelFlow, 0, true, 1.0, "Wf"},
        // as --wf: the unit tables' imperial fuel flow is lbm/h
        Read{"FuelFlowWithoutUnitImperialIsLbmPerHour", "Wf<=7200", true, Q::FuelFlow, 0, true, 2 * 0.45359237, "Wf"},
        Read{"NetThrustKilonewton", "FN<=50kN", false, Q::NetThrust, 0, true, 5e4, "FN"},
        Read{"NetThrustLowerAndNegative", "FN>=-1000lbf", false, Q::NetThrust, 0, false, -4448.2216152605, "FN"}),
    [](const testing::TestParamInfo<Read>& i) { return std::string(i.param.name); });

struct Bad {
  const char* name;
  const char* text;
  const char* reason;  // part of the message
};
void PrintTo(const Bad& b, std::ostream* os) { *os << b.text; }

class LimitRefused : public testing::TestWithParam<Bad> {};

TEST_P(LimitRefused, SaysWhy) {
  TOffDesignLimit l;
  l.name = "untouched";
  std::string why;
  EXPECT_FALSE(ParseLimit(GetParam().text, false, l, why));
  EXPECT_NE(why.find(GetParam().reason), std::string::npos) << why;
  EXPECT_EQ(l.name, "untouched");  // a refused text leaves the limit as it was
}

INSTANTIATE_TEST_SUITE_P(
    Limits, LimitRefused,
    testing::Values(Bad{"Empty", "", "is no NAME<=VALUE or NAME>=VALUE"},
                    Bad{"StrictLess", "T4<1600K", "is no NAME<=VALUE or NAME>=VALUE"},
                    Bad{"Equals", "T4=1600K", "is no NAME<=VALUE or NAME>=VALUE"},
                    Bad{"RangeOfTwoSides", "1000<=T4<=1600", "names no known quantity \"1000\""},
                    Bad{"UnknownName", "X4<=1600", "names no known quantity \"X4\""},
                    Bad{"StationMissing", "T<=1600", "names no known quantity \"T\""},
                    Bad{"FuelFlowNumbered", "Wf1<=1", "names no known quantity \"Wf1\""},
                    Bad{"ShaftZero", "N0<=1.02", "counted from 1"},
                    Bad{"NoValue", "T4<=", "has no number after <="},
                    Bad{"WordValue", "T4<=hot", "has no number after <="},
                    Bad{"DecimalComma", "N1<=1,02", "\",02\" is no unit of N1"},
                    Bad{"OverflowingValue", "T4<=1e999", "has no number"},
                    Bad{"UnitOfAnotherQuantity", "T4<=16bar", "\"bar\" is no unit of T4 (K, R, degC or degF)"},
                    Bad{"UnitOnAFraction", "N1<=1.02K", "\"K\" is no unit of N1"},
                    Bad{"TemperatureBelowZero", "T4<=-300degC", "the value must be positive"},
                    Bad{"SpeedZero", "N1<=0", "the value must be positive"},
                    Bad{"PressureZero", "Pt3<=0MPa", "the value must be positive"}),
    [](const testing::TestParamInfo<Bad>& i) { return std::string(i.param.name); });

// The limit as messages show it, in SI whatever was typed.
TEST(LimitText, ShowsNameSideAndSIValue) {
  TOffDesignLimit l;
  std::string why;
  ASSERT_TRUE(ParseLimit("Pt3 <= 25bar", false, l, why)) << why;
  EXPECT_EQ(LimitText(l), "Pt3 <= 2.5e+06 Pa");
  ASSERT_TRUE(ParseLimit("SM1>=10%", false, l, why)) << why;
  EXPECT_EQ(LimitText(l), "SM1 >= 0.1");
}

}  // namespace
}  // namespace vyr::engine
