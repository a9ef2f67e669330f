#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "VYRglobal.h"
#include "common/RecordingHandler.h"
#include "gas/GasTestCompositions.h"

namespace vyr {
namespace {

const char* const kCaller = "Nr. 12 Component: HPT";
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct Mixture {
  const char* name;
  TGasComposition y;
};

class Inversions : public testing::TestWithParam<Mixture> {};

TEST_P(Inversions, TemperatureFromEnthalpyAndEntropy) {
  const TGasComposition& y = GetParam().y;
  test::RecordingHandler rec;
  for (double T = 200.0; T <= 2900.0; T += 50.0) {
    double t = 0;
    ASSERT_TRUE(GetT(FH(T, y), y, 1e-6, t, kCaller));
    EXPECT_NEAR(t, T, 1e-4);
    ASSERT_TRUE(GetTfromRH(RH(y, T), y, 1e-6, t, kCaller));
    EXPECT_NEAR(t, T, 1e-4);
    ASSERT_TRUE(GetTfromS(FS(T, 4e5, y), 4e5, y, 1e-6, t, kCaller));
    EXPECT_NEAR(t, T, 1e-3);
  }
  EXPECT_TRUE(rec.messages.empty());
}

TEST_P(Inversions, IsentropicTemperatureAndPressureInvertEachOther) {
  const TGasComposition& y = GetParam().y;
  test::RecordingHandler rec;
  for (double T1 : {230.0, 600.0, 1400.0}) {
    for (double pr : {0.1, 0.5, 2.0, 30.0}) {
      const double P1 = 1.5e5, P2 = P1 * pr;
      double Tis = 0, P2back = 0;
      ASSERT_TRUE(GetTis(P1, T1, P2, y, 1e-6, Tis, kCaller));
      // Isentropic: the end state has the start entropy.
      EXPECT_NEAR(FS(Tis, P2, y), FS(T1, P1, y), 1e-4);
      ASSERT_TRUE(GetPis(P1, T1, Tis, y, 1e-6, P2back, kCaller));
      EXPECT_NEAR(P2back / P2, 1.0, 1e-6);
    }
  }
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Mixtures, Inversions,
                         testing::Values(Mixture{"air", Air}, Mixture{"products", test::KeroseneProducts()}),
                         [](const testing::TestParamInfo<Mixture>& info) { return std::string(info.param.name); });

TEST(GasIterations, WetAirNearAmbient) {
  // The liquid-water polynomial holds near ambient temperatures only.
  const TGasComposition y = test::WetAir();
  test::RecordingHandler rec;
  for (double T = 260.0; T <= 370.0; T += 10.0) {
    double t = 0, Tis = 0;
    ASSERT_TRUE(GetT(FH(T, y), y, 1e-6, t, kCaller));
    EXPECT_NEAR(t, T, 1e-4);
    ASSERT_TRUE(GetTis(1e5, T, 1.2e5, y, 1e-6, Tis, kCaller));
    EXPECT_NEAR(FS(Tis, 1.2e5, y), FS(T, 1e5, y), 1e-4);
  }
  EXPECT_TRUE(rec.messages.empty());
}

TEST(GasIterations, GetTMeetsItsToleranceAt1500K) {
  double T = 0;
  EXPECT_TRUE(GetT(FH(1500.0, Air), Air, 1e-5, T, kCaller));
  EXPECT_NEAR(T, 1500.0, 1e-4);
}

TEST(GasIterations, EnthalpyInversionsClampTo150And3000K) {
  test::RecordingHandler rec;
  double T = 0;
  EXPECT_TRUE(GetT(FH(140.0, Air), Air, 1e-5, T, kCaller));
  EXPECT_EQ(T, 150.0);
  EXPECT_TRUE(GetT(FH(3100.0, Air), Air, 1e-5, T, kCaller));
  EXPECT_EQ(T, 3000.0);
  EXPECT_TRUE(GetTfromRH(RH(Air, 100.0), Air, 1e-5, T, kCaller));
  EXPECT_EQ(T, 150.0);
  EXPECT_TRUE(GetTfromRH(RH(Air, 3500.0), Air, 1e-5, T, kCaller));
  EXPECT_EQ(T, 3000.0);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(GasIterations, EntropyInversionIsNotClamped) {
  double T = 0;
  EXPECT_TRUE(GetTfromS(FS(140.0, 1e5, Air), 1e5, Air, 1e-6, T, kCaller));
  EXPECT_NEAR(T, 140.0, 1e-3);
}

TEST(GasIterations, ZeroTargetConvergesOnAnAbsoluteTest) {
  // Air's enthalpy crosses zero near 302 K, its sensible enthalpy at 298.15 K.
  test::RecordingHandler rec;
  double T = 0;
  ASSERT_TRUE(GetT(0.0, Air, 1e-5, T, kCaller));
  EXPECT_NEAR(FH(T, Air), 0.0, 1e-3);
  ASSERT_TRUE(GetTfromRH(0.0, Air, 1e-5, T, kCaller));
  EXPECT_NEAR(T, 298.15, 1e-4);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(GasIterations, UnchangedPressureOrTemperatureIsAFixedPoint) {
  double Tis = 0, P2 = 0;
  EXPECT_TRUE(GetTis(2e5, 700.0, 2e5, Air, 1e-5, Tis, kCaller));
  EXPECT_DOUBLE_EQ(Tis, 700.0);
  EXPECT_TRUE(GetPis(2e5, 700.0, 700.0, Air, 1e-5, P2, kCaller));
  EXPECT_DOUBLE_EQ(P2, 2e5);
}

// Failures: bad input ends within the pass limits, with the routine's message.
struct Failure {
  const char* name;
  bool (*run)(double& out);
  const char* text;
  double outBefore;
  bool outKept;  // GetTis leaves its output alone; the others hold the last iterate
};

const Failure kFailures[] = {
    {"GetT_nan", [](double& T) { return GetT(kNaN, Air, 1e-5, T, kCaller); },
     "No convergence in GetT iteration in\r\nNr. 12 Component: HPT", -1.0, false},
    {"GetTfromRH_nan", [](double& T) { return GetTfromRH(kNaN, Air, 1e-5, T, kCaller); },
     "No convergence in GetTfromRH iteration in\r\nNr. 12 Component: HPT", -1.0, false},
    // Without any species the enthalpy is zero at every temperature: no
    // temperature has the target, whichever side of zero it lies on.
    {"GetT_empty_gas_above", [](double& T) { return GetT(1000.0, EmptyComposition, 1e-5, T, kCaller); },
     "No convergence in GetT iteration in\r\nNr. 12 Component: HPT", -1.0, true},
    {"GetT_empty_gas_below", [](double& T) { return GetT(-1000.0, EmptyComposition, 1e-5, T, kCaller); },
     "No convergence in GetT iteration in\r\nNr. 12 Component: HPT", -1.0, true},
    {"GetTfromRH_empty_gas", [](double& T) { return GetTfromRH(5e5, EmptyComposition, 1e-5, T, kCaller); },
     "No convergence in GetTfromRH iteration in\r\nNr. 12 Component: HPT", -1.0, true},
    {"GetTfromS_nan_pressure", [](double& T) { return GetTfromS(7000.0, kNaN, Air, 1e-5, T, kCaller); },
     "No convergence in GetTfromS iteration in\r\nNr. 12 Component: HPT", -1.0, false},
    {"GetTfromS_negative_pressure", [](double& T) { return GetTfromS(7000.0, -1e5, Air, 1e-5, T, kCaller); },
     "No convergence in GetTfromS iteration in\r\nNr. 12 Component: HPT", -1.0, false},
    {"GetTis_nan", [](double& T) { return GetTis(1e5, kNaN, 4e5, Air, 1e-5, T, kCaller); },
     "No convergence in GetTis iteration in\r\nNr. 12 Component: HPT", -1.0, true},
    {"GetTis_infinite_pressure", [](double& T) { return GetTis(1e5, 300.0, INFINITY, Air, 1e-5, T, kCaller); },
     "No convergence in GetTis iteration in\r\nNr. 12 Component: HPT", -1.0, true},
    {"GetTis_empty_gas", [](double& T) { return GetTis(1e5, 300.0, 4e5, EmptyComposition, 1e-5, T, kCaller); },
     "No convergence in GetTis iteration in\r\nNr. 12 Component: HPT", -1.0, true},
    {"GetPis_empty_gas", [](double& P) { return GetPis(1e5, 300.0, 400.0, EmptyComposition, 1e-5, P, kCaller); },
     "No convergence in GetPis iteration in\r\nNr. 12 Component: HPT", -1.0, false},
    {"GetTfromS_far_below_150K", [](double& T) { return GetTfromS(FS(100.0, 1e5, Air), 1e5, Air, 1e-5, T, kCaller); },
     "No convergence in GetTfromS iteration in\r\nNr. 12 Component: HPT", -1.0, false},
    {"GetPis_liquid_only", [](double& P) { return GetPis(1e5, 300.0, 400.0, Waterliquid, 1e-5, P, kCaller); },
     "No convergence in GetPis iteration in\r\nNr. 12 Component: HPT", -1.0, false},
};

void PrintTo(const Failure& f, std::ostream* os) { *os << f.name; }
void PrintTo(const Mixture& m, std::ostream* os) { *os << m.name; }

class IterationFailure : public testing::TestWithParam<Failure> {};

TEST_P(IterationFailure, ShowsTheMessageAndReturnsFalse) {
  const Failure& f = GetParam();
  test::RecordingHandler rec;
  double out = f.outBefore;
  EXPECT_FALSE(f.run(out));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, f.text);
  EXPECT_EQ(rec.messages[0].HelpCtx, 81401);
  EXPECT_EQ(rec.messages[0].DlgType, mtError);
  EXPECT_EQ(rec.messages[0].Buttons, (TMsgDlgButtons{mbOK, mbHelp}));
  if (f.outKept) EXPECT_EQ(out, f.outBefore);
  else EXPECT_NE(out, f.outBefore);
}

// A start state without an entropy (pressure or temperature no positive
// number) is refused by name before the iteration, and the output is kept.
TEST(GasIterations, GetPisRefusesAStateWithoutEntropy) {
  const struct {
    double P1, T1, T2;
    const char* text;
  } cases[] = {
      {kNaN, 300.0, 400.0, "Illegal value for pressure (=NAN)\r\nin Nr. 12 Component: HPT"},
      {-1e5, 300.0, 400.0, "Illegal value for pressure (=-100000)\r\nin Nr. 12 Component: HPT"},
      {1e5, kNaN, 400.0, "Illegal value for temperature (=NAN)\r\nin Nr. 12 Component: HPT"},
      {1e5, 300.0, kNaN, "Illegal value for temperature (=NAN)\r\nin Nr. 12 Component: HPT"},
      {1e5, 300.0, 0.0, "Illegal value for temperature (=0)\r\nin Nr. 12 Component: HPT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    test::RecordingHandler rec;
    double P2 = -1.0;
    EXPECT_FALSE(GetPis(c.P1, c.T1, c.T2, Air, 1e-5, P2, kCaller));
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text, c.text);
    EXPECT_EQ(rec.messages[0].DlgType, mtError);
    EXPECT_EQ(P2, -1.0);
  }
}

INSTANTIATE_TEST_SUITE_P(BadInput, IterationFailure, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<Failure>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vyr
