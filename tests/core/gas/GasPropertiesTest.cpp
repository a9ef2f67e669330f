#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "VYRglobal.h"
#include "common/RecordingHandler.h"
#include "gas/GasTestCompositions.h"

namespace vyr {
namespace {

TEST(GasProperties, AirAtSeaLevelStandard) {
  EXPECT_NEAR(FCp(288.15, Air), 1004.27, 0.01);
  EXPECT_NEAR(FR(Air), 287.050, 0.001);
  EXPECT_NEAR(FGm(288.15, Air), 1.40023, 1e-5);
  EXPECT_NEAR(FCs(288.15, Air), 340.32, 0.01);
  EXPECT_NEAR(FH(288.15, Air), -14379, 1.0);
}

// Defining conditions over a set of states on both sides of 1000 K:
// Cp = dH/dT, (dS/dT)_P = Cp/T, (dS/dlnP)_T = -R (gas phase only).
struct State {
  const char* name;
  TGasComposition y;
  double T;
};

void PrintTo(const State& s, std::ostream* os) { *os << s.name; }

class GasIdentities : public testing::TestWithParam<State> {};

TEST_P(GasIdentities, DerivativesMatch) {
  const State& s = GetParam();
  const double h = 1e-3;  // K
  const double dHdT = (FH(s.T + h, s.y) - FH(s.T - h, s.y)) / (2 * h);
  EXPECT_NEAR(dHdT, FCp(s.T, s.y), 1e-5 * FCp(s.T, s.y));
  const double P = 3.0e5;
  const double dSdT = (FS(s.T + h, P, s.y) - FS(s.T - h, P, s.y)) / (2 * h);
  EXPECT_NEAR(dSdT, FCp(s.T, s.y) / s.T, 1e-5 * FCp(s.T, s.y) / s.T);
  const double gasFraction = 1.0 - s.y[gtH2Ol];
  EXPECT_NEAR(FS(s.T, 2 * P, s.y) - FS(s.T, P, s.y), -FR(s.y) * gasFraction * std::log(2.0), 1e-9);
  // Gas-phase Cp excludes the liquid and refers to the gas mass.
  const double cpLiquid = s.y[gtH2Ol] > 0 ? s.y[gtH2Ol] * FCpPerSpecie(s.T, GasProperties[gtH2Ol]) : 0.0;
  EXPECT_NEAR(FCp_gas(s.T, s.y) * gasFraction + cpLiquid, FCp(s.T, s.y), 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    States, GasIdentities,
    testing::Values(State{"air_250", Air, 250.0}, State{"air_999", Air, 999.0}, State{"air_1500", Air, 1500.0},
                    State{"products_600", test::KeroseneProducts(), 600.0},
                    State{"products_2200", test::KeroseneProducts(), 2200.0},
                    State{"wet_air_300", test::WetAir(), 300.0}, State{"methane_800", CH4, 800.0}),
    [](const testing::TestParamInfo<State>& info) { return std::string(info.param.name); });

TEST(GasProperties, EnthalpyChangeIsAntisymmetric) {
  const TGasProperties& p = GasProperties[gtH2Og];
  EXPECT_EQ(EnthalpyChange(700.0, 700.0, p), 0.0);
  EXPECT_DOUBLE_EQ(EnthalpyChange(400.0, 1600.0, p), -EnthalpyChange(1600.0, 400.0, p));
}

TEST(GasProperties, VariableFuelTakesItsSpecificHeatFromTheGlobal) {
  TGasComposition y = Air;
  for (double& v : y) v *= 0.9;
  y[gtCxHyOz] = 0.1;
  const double saved = Cp_CxHyOz;
  Cp_CxHyOz = 0.0;
  const double without = FCp(500.0, y);
  Cp_CxHyOz = 2000.0;
  EXPECT_NEAR(FCp(500.0, y) - without, 0.1 * 2000.0, 1e-9);
  EXPECT_NEAR(FCp_gas(500.0, y) - without, 0.1 * 2000.0, 1e-9);
  Cp_CxHyOz = saved;
  EXPECT_DOUBLE_EQ(without, 0.9 * FCp(500.0, Air));
  EXPECT_DOUBLE_EQ(FH(500.0, y), 0.9 * FH(500.0, Air));  // zero coefficients: no enthalpy
}

TEST(GasProperties, DegenerateCompositions) {
  EXPECT_EQ(FR(Waterliquid), 0.0);
  EXPECT_EQ(FGm(300.0, EmptyComposition), 0.0);
  EXPECT_EQ(FH(300.0, EmptyComposition), 0.0);
  EXPECT_EQ(FS(300.0, 1e5, EmptyComposition), 0.0);
  EXPECT_EQ(VolumeComposition(Waterliquid, 1.0), EmptyComposition);
  EXPECT_EQ(MoleComposition(EmptyComposition, 1.0), EmptyComposition);
  EXPECT_EQ(MassComposition(EmptyComposition, 1.0), EmptyComposition);
}

TEST(GasProperties, CompositionConversionsRoundTrip) {
  TGasComposition y = test::KeroseneProducts();
  y[gtCxHyOz] = 0.001;
  y[gtN2] -= 0.001;
  const double Mx = 13.9;  // CH1.9167
  const TGasComposition x = MoleComposition(y, Mx);
  EXPECT_NEAR(std::accumulate(x.begin(), x.end(), 0.0), 1.0, 1e-14);
  const TGasComposition back = MassComposition(x, Mx);
  for (int i = 0; i < GasCount; ++i) EXPECT_NEAR(back[i], y[i], 1e-15) << GasNames[i];
  // Mole fraction of N2 in air: 78.08 % including argon and CO2 in the total.
  EXPECT_NEAR(MoleComposition(Air, 1.0)[gtN2], 0.7808, 1e-4);
}

TEST(GasProperties, VolumeCompositionReferstoTheGasPhase) {
  const TGasComposition y = test::WetAir();
  const TGasComposition v = VolumeComposition(y, 1.0);
  double gasSum = 0;
  for (int i = 0; i < GasCount; ++i)
    if (i != gtH2Ol) gasSum += v[i];
  EXPECT_NEAR(gasSum, 1.0, 1e-14);
  EXPECT_GT(v[gtH2Ol], 0.0);
}

TEST(GasProperties, MixingAndAveraging) {
  const TGasComposition p = test::KeroseneProducts();
  const TGasComposition mean = MixGasComposition(Air, p, 2.0, 2.0);
  for (int i = 0; i < GasCount; ++i) EXPECT_DOUBLE_EQ(mean[i], (Air[i] + p[i]) / 2) << GasNames[i];
  EXPECT_EQ(MixGasComposition(Air, p, 3.0, 0.0), Air);
  EXPECT_EQ(MixGasComposition(Air, p, 0.0, 0.0), MixGasComposition(Air, p, 1.0, 1.0));

  TGasconditions a = StandardAir, b = StandardAir;
  b.Tt = 900.0;
  b.Pt = 3e5;
  b.W = 4.0;
  b.Ps = 1.0;
  b.Composition = p;
  a.W = 2.0;
  const TGasconditions avg = AvgGasCondition(a, b);
  EXPECT_EQ(avg.Tt, (a.Tt + 900.0) / 2);
  EXPECT_EQ(avg.Pt, (a.Pt + 3e5) / 2);
  EXPECT_EQ(avg.W, 3.0);
  EXPECT_EQ(avg.Composition, MixGasComposition(Air, p, 1, 1));
  EXPECT_EQ(avg.H, FH(avg.Tt, avg.Composition));
  EXPECT_EQ(avg.Ps, a.Ps);  // every other field is GC1's
  EXPECT_EQ(avg.S, a.S);
}

TEST(GasProperties, HeatingValuePolynomial) {
  const double h[] = {43227630.0,    -278.2402,      -4.6061438,    0.0062231363, -6.0811655E-6,
                      3.6939336E-9, -1.3457137E-12, 2.7110868E-16, -2.3271075E-20};
  for (double T : {298.15, 800.0}) {
    double direct = 0;
    for (int k = 0; k < 9; ++k) direct += h[k] * std::pow(T, k);
    EXPECT_NEAR(FHv(T), direct, 1e-6);
  }
}

TEST(GasProperties, EmptyComposition) {
  EXPECT_TRUE(Composition_is_Empty(EmptyComposition));
  TGasComposition trace{};
  trace[gtO2] = 1e-14;
  EXPECT_FALSE(Composition_is_Empty(trace));
}

// CheckComposition: one row per case, with the message it must show (if any).
struct CheckCase {
  const char* name;
  TGasComposition y;
  bool ok;
  const char* text;
  int help;
};

TGasComposition With(TGasComposition c, TGas gas, double v) {
  c[gas] = v;
  return c;
}

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class CheckCompositionTest : public testing::TestWithParam<CheckCase> {};

TEST_P(CheckCompositionTest, ReportsWithTheRightMessage) {
  const CheckCase& c = GetParam();
  test::RecordingHandler rec;
  EXPECT_EQ(CheckComposition(c.y, "Nr. 7 Component: Burner"), c.ok);
  if (c.ok) {
    EXPECT_TRUE(rec.messages.empty());
    return;
  }
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, c.text);
  EXPECT_EQ(rec.messages[0].HelpCtx, c.help);
  EXPECT_EQ(rec.messages[0].DlgType, mtError);
  EXPECT_EQ(rec.messages[0].Buttons, (TMsgDlgButtons{mbOK, mbHelp}));
}

const double kNaN = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckCompositionTest,
    testing::Values(
        CheckCase{"air_sums_to_0_99999989", Air, true, "", 0},
        CheckCase{"sum_exactly_within_1e_4", With(EmptyComposition, gtN2, 1.0001), true, "", 0},
        CheckCase{"negative_fraction", With(Air, gtO2, -1e-14), false,
                  "O2 concentration (-1E-14)<0 in Nr. 7 Component: Burner", 85514},
        CheckCase{"first_negative_is_named", With(With(Air, gtCO, -0.5), gtN2, -0.25), false,
                  "CO concentration (-0.5)<0 in Nr. 7 Component: Burner", 85514},
        CheckCase{"sum_too_small", With(EmptyComposition, gtN2, 0.9998), false,
                  "Composition sum (0.9998) in Nr. 7 Component: Burner not 1 !", 85515},
        CheckCase{"nan_fraction", With(Air, gtAr, kNaN), false,
                  "Composition sum (NAN) in Nr. 7 Component: Burner not 1 !", 85515},
        CheckCase{"infinite_fraction", With(Air, gtAr, INFINITY), false,
                  "Composition sum (INF) in Nr. 7 Component: Burner not 1 !", 85515},
        CheckCase{"minus_infinity", With(Air, gtAr, -INFINITY), false,
                  "Ar concentration (-INF)<0 in Nr. 7 Component: Burner", 85514},
        CheckCase{"empty", EmptyComposition, false, "Composition sum (0) in Nr. 7 Component: Burner not 1 !",
                  85515}),
    [](const testing::TestParamInfo<CheckCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vyr
