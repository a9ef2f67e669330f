#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "VYRglobal.h"
#include "common/RecordingHandler.h"
#include "gas/GasTestCompositions.h"

namespace vyr {
namespace {

const char* const kCaller = "Nr. 4 Component: HPC";

TGasconditions Station(double Pt, double Tt, const TGasComposition& y) {
  TGasconditions g{};
  g.Pt = Pt;
  g.Tt = Tt;
  g.Composition = y;
  g.H = FH(Tt, y);
  g.W = 10.0;
  return g;
}

TEST(Processes, CompressionThenExpansionAtUnitEfficiencyReturnsToTheStart) {
  test::RecordingHandler rec;
  for (const TGasComposition& y : {Air, test::KeroseneProducts()}) {
    for (double pr : {1.5, 4.0, 25.0}) {
      TGasconditions in = Station(1e5, 288.15, y), mid, out;
      double eff = 1.0, effPoly = 0.0;
      ASSERT_TRUE(Compression(in, pr, 1e-6, false, kCaller, eff, effPoly, mid));
      EXPECT_NEAR(mid.Tt, mid.Ttis, 1e-3);
      EXPECT_NEAR(effPoly, 1.0, 1e-5);
      EXPECT_DOUBLE_EQ(mid.Pt, pr * 1e5);
      double eff2 = 1.0, effPoly2 = 0.0;
      ASSERT_TRUE(TurbineExpansion_PR(mid, pr, 1e-6, false, kCaller, eff2, effPoly2, out));
      EXPECT_NEAR(out.Tt, 288.15, 1e-3) << pr;
      EXPECT_NEAR(out.Pt, 1e5, 1e-6);
    }
  }
  EXPECT_TRUE(rec.messages.empty());
}

TEST(Processes, PolytropicAndIsentropicEfficienciesAreConsistent) {
  // Compression: isentropic below polytropic; expansion: above.
  TGasconditions in = Station(1e5, 300.0, Air), out;
  double eff = 0.0, effPoly = 0.9;
  ASSERT_TRUE(Compression(in, 10.0, 1e-6, true, kCaller, eff, effPoly, out));
  EXPECT_LT(eff, 0.9);
  EXPECT_GT(eff, 0.8);
  // The isentropic branch with that efficiency gives the same end state and back the polytropic one.
  TGasconditions out2;
  double effPoly2 = 0.0;
  ASSERT_TRUE(Compression(in, 10.0, 1e-7, false, kCaller, eff, effPoly2, out2));
  EXPECT_NEAR(out2.Tt, out.Tt, 1e-3);
  EXPECT_NEAR(effPoly2, 0.9, 1e-5);

  TGasconditions hot = Station(20e5, 1600.0, test::KeroseneProducts()), exp;
  double teff = 0.0, teffPoly = 0.9;
  ASSERT_TRUE(TurbineExpansion_PR(hot, 5.0, 1e-6, true, kCaller, teff, teffPoly, exp));
  EXPECT_GT(teff, 0.9);
  EXPECT_NEAR(exp.Pt, 4e5, 1e-6);
  double teffPoly2 = 0.0;
  ASSERT_TRUE(TurbineExpansion_PR(hot, 5.0, 1e-7, false, kCaller, teff, teffPoly2, exp));
  EXPECT_NEAR(teffPoly2, 0.9, 1e-5);
}

TEST(Processes, NoPressureChangeKeepsTheInletState) {
  // Compression and turbine alike: without a pressure change the outlet is the
  // inlet, and the efficiency that is not given takes the given one's value
  // (their common limit as PR goes to 1), in both branches.
  test::RecordingHandler rec;
  for (bool turbine : {false, true}) {
    for (double pr : {1.0, 1.0000000000000004, 0.9999999999999996}) {
      for (bool polytropic : {false, true}) {
        TGasconditions in = Station(2e5, turbine ? 1200.0 : 500.0, Air), out;
        double eff = 0.87, effPoly = 0.91;
        if (turbine) {
          ASSERT_TRUE(TurbineExpansion_PR(in, pr, 1e-6, polytropic, kCaller, eff, effPoly, out));
        } else {
          ASSERT_TRUE(Compression(in, pr, 1e-6, polytropic, kCaller, eff, effPoly, out));
        }
        SCOPED_TRACE(testing::Message() << (turbine ? "turbine" : "compression") << " PR=" << pr
                                        << (polytropic ? " polytropic" : " isentropic"));
        EXPECT_EQ(out.Tt, in.Tt);
        EXPECT_EQ(out.Ttis, in.Tt);
        EXPECT_EQ(out.H, in.H);
        EXPECT_EQ(out.His, in.H);
        EXPECT_NEAR(out.Pt, in.Pt, pr == 1.0 ? 0.0 : 1e-15 * in.Pt);
        EXPECT_EQ(out.S, in.S);
        EXPECT_EQ(eff, polytropic ? 0.91 : 0.87);
        EXPECT_EQ(effPoly, polytropic ? 0.91 : 0.87);
      }
    }
  }
  EXPECT_TRUE(rec.messages.empty());
}

// Both machines, both given efficiencies: the efficiency that is computed
// tends to the given one as PR goes to 1 (both are ratios of vanishing
// differences with a common limit). Its departure from the given one is of
// first order in ln PR, (R/cp) ln PR (1 - eta)/2 for a gas of nearly constant
// cp, so near PR = 1 it stays within that bound, is continuous down to and at
// PR = 1 and stays within (0, 1].
struct NearUnitPRCase {
  const char* name;
  bool turbine;
  bool polytropic;
  double eff;
};

void PrintTo(const NearUnitPRCase& c, std::ostream* os) { *os << c.name; }

class EfficiencyNearUnitPR : public testing::TestWithParam<NearUnitPRCase> {};

TEST_P(EfficiencyNearUnitPR, IsContinuousAndWithinZeroAndOne) {
  const NearUnitPRCase& c = GetParam();
  test::RecordingHandler rec;
  const double Tin = c.turbine ? 1400.0 : 300.0;
  const double k = FR(Air) / FCp(Tin, Air);
  auto other = [&](double pr) {
    TGasconditions in = Station(2e5, Tin, Air), out;
    double eff = c.polytropic ? 0.0 : c.eff, effPoly = c.polytropic ? c.eff : 0.0;
    const bool ok = c.turbine ? TurbineExpansion_PR(in, pr, 1e-6, c.polytropic, kCaller, eff, effPoly, out)
                              : Compression(in, pr, 1e-6, c.polytropic, kCaller, eff, effPoly, out);
    EXPECT_TRUE(ok) << "PR = " << pr;
    return c.polytropic ? eff : effPoly;
  };
  std::vector<double> steps = {3e-2, 1.02e-2, 0.98e-2};
  for (double d = 1e-3; d > 5e-16; d /= 10.0) steps.push_back(d);
  steps.push_back(0.0);
  double previous = NAN, previousLog = 0.0;
  for (double d : steps) {
    const double x = std::log1p(d), value = other(1.0 + d);
    SCOPED_TRACE(testing::Message() << "PR - 1 = " << d << ": " << value);
    EXPECT_GT(value, 0.0);
    EXPECT_LE(value, 1.0);
    // Departure from the given efficiency and change from the previous step
    // both within 1.2 times the first-order slope (R/cp)(1 - eta)/2.
    const double slope = 0.5 * k * (1.0 - c.eff);
    EXPECT_LE(std::fabs(value - c.eff), 1.2 * slope * x + 1e-9);
    if (!std::isnan(previous)) {
      EXPECT_LE(std::fabs(value - previous), 1.2 * slope * (previousLog - x) + 2e-7);
    }
    previous = value;
    previousLog = x;
  }
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Processes, EfficiencyNearUnitPR,
    testing::Values(NearUnitPRCase{"CompressorIsentropicGiven", false, false, 0.85},
                    NearUnitPRCase{"CompressorPolytropicGiven", false, true, 0.88},
                    NearUnitPRCase{"TurbineIsentropicGiven", true, false, 0.9},
                    NearUnitPRCase{"TurbinePolytropicGiven", true, true, 0.87},
                    NearUnitPRCase{"CompressorIdealMachine", false, false, 1.0},
                    NearUnitPRCase{"TurbineLowEfficiency", true, true, 0.3}),
    [](const testing::TestParamInfo<NearUnitPRCase>& info) { return std::string(info.param.name); });

TEST(Processes, ExpansionToStaticConditions) {
  const double Tt = 900.0, Pt = 3e5, Ht = FH(Tt, Air);
  double Ts = 0, Hs = 0, Mach = -1, V = -1;
  ASSERT_TRUE(Expansion(Ht, Pt, Tt, Pt, Air, 1e-6, Ts, Hs, Mach, V, kCaller));
  EXPECT_NEAR(Ts, Tt, 1e-9);
  EXPECT_NEAR(V, 0.0, 1e-3);
  EXPECT_NEAR(Mach, 0.0, 1e-5);

  ASSERT_TRUE(Expansion(Ht, Pt, Tt, 2e5, Air, 1e-6, Ts, Hs, Mach, V, kCaller));
  EXPECT_NEAR(Ht - Hs, V * V / 2, 1e-6);  // energy
  EXPECT_NEAR(FS(Ts, 2e5, Air), FS(Tt, Pt, Air), 1e-4);  // isentropic
  EXPECT_NEAR(Mach, V / FCs(Ts, Air), 1e-12);

  double Ps = 0, W = 0;
  const double R = FR(Air), A = 0.05;
  ASSERT_TRUE(Expansion_to_Ts(Ht, Pt, Tt, R, A, Ts, Air, 1e-6, Ps, Hs, V, W, kCaller));
  EXPECT_NEAR(Ps, 2e5, 1.0);
  EXPECT_DOUBLE_EQ(W, A * V * Ps / (R * Ts));  // continuity
}

TEST(Processes, CorrectionFactorsOfStandardAirAreOne) {
  for (bool gammaCorrection : {false, true}) {
    TGasconditions g = StandardAir;
    g.W = 20.0;
    CalcCorrectionParameters(g, gammaCorrection);
    EXPECT_DOUBLE_EQ(g.RTtheta, 1.0);
    EXPECT_DOUBLE_EQ(g.Delta, 1.0);
    EXPECT_DOUBLE_EQ(g.FlowCorrectionFactor, 1.0);
    EXPECT_DOUBLE_EQ(g.RotorspeedCorrectionFactor, 1.0);
    EXPECT_NEAR(g.RNI, 1.0, 1e-6);
    EXPECT_DOUBLE_EQ(g.Wc, 20.0);
    EXPECT_DOUBLE_EQ(g.Wgasc, 20.0);
  }
  TGasconditions wet = Station(2 * P_slst, 4 * T_slst, test::WetAir());
  CalcCorrectionParameters(wet, false);
  EXPECT_DOUBLE_EQ(wet.FlowCorrectionFactor, 1.0);  // sqrt(4) / 2
  EXPECT_DOUBLE_EQ(wet.Wgas, 0.97 * wet.W);
}

TEST(Processes, BadInputEndsWithTheIterationMessage) {
  test::RecordingHandler rec;
  TGasconditions in = Station(1e5, std::nan(""), Air), out;
  double eff = 0.85, effPoly = 0.0;
  EXPECT_FALSE(Compression(in, 4.0, 1e-6, false, kCaller, eff, effPoly, out));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, std::string("No convergence in GetTis iteration in\r\n") + kCaller);

  rec.messages.clear();
  in = Station(1e5, 300.0, Air);
  effPoly = std::nan("");
  EXPECT_FALSE(Compression(in, 4.0, 1e-6, true, kCaller, eff, effPoly, out));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, std::string("No convergence in GetTfromS iteration in\r\n") + kCaller);

  rec.messages.clear();
  eff = std::nan("");
  EXPECT_FALSE(TurbineExpansion_PR(in, 2.0, 1e-6, false, kCaller, eff, effPoly, out));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, std::string("No convergence in GetT iteration in\r\n") + kCaller);
}

}  // namespace
}  // namespace vyr
