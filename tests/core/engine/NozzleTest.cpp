// The nozzle and the performance summary as physics: a choked throat is sonic,
// an unchoked jet leaves at the ambient pressure, the jet keeps its total
// enthalpy, the throat passes the flow, gross thrust is the jet's momentum
// plus its pressure term; the efficiencies and the supersonic inlet recovery.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "GasProperties.h"
#include "common/RecordingHandler.h"
#include "engine/Turbojet.h"

namespace vyr::test {
namespace {

using namespace engine;
using TKind = TNozzle::TKind;

struct NozzleCase {
  const char* name;
  std::function<void(Turbojet&)> change;
  bool choked;
};
void PrintTo(const NozzleCase& c, std::ostream* os) { *os << c.name; }

class Nozzles : public testing::TestWithParam<NozzleCase> {};

TEST_P(Nozzles, ThroatExitAndThrust) {
  Turbojet t;
  GetParam().change(t);
  RecordingHandler rec;
  TEngineState s;
  ASSERT_TRUE(t.e.Run(s)) << s.error;
  const TNozzleResult& z = s.performance.nozzles.at(0);
  const TGasconditions &g5 = s.stations.at(5).gas, &g8 = s.stations.at(8).gas, &g9 = s.stations.at(9).gas;
  const double Pamb = s.ambient.Ps, W = g9.W, R = FR(g9.Composition);
  EXPECT_EQ(z.choked, GetParam().choked);
  if (z.choked) {
    // Sonic throat: the velocity is the speed of sound at its static state.
    EXPECT_DOUBLE_EQ(g8.Mach, 1.0);
    EXPECT_NEAR(g8.V / FCs(g8.Ts, g8.Composition), 1.0, 1e-6);
    EXPECT_GT(g8.Ps, Pamb);
  } else {
    EXPECT_LT(g8.Mach, 1.0);
    EXPECT_NEAR(g8.Ps / Pamb, 1.0, 1e-9);
  }
  // The throat passes the flow through its effective area CD A8.
  EXPECT_NEAR(g8.Ps / (R * g8.Ts) * g8.V * t.nozzle->CD * g8.A / W, 1.0, 1e-6);
  // Exit: a fully expanding nozzle ends at the ambient pressure, a convergent
  // (or unchoked) one at the throat's.
  const bool expands = t.nozzle->kind == TKind::ConvergentDivergent && z.choked;
  EXPECT_NEAR(g9.Ps / (expands ? Pamb : g8.Ps), 1.0, 1e-9);
  EXPECT_EQ(g9.Mach > 1.0, expands);
  if (!expands) {
    EXPECT_DOUBLE_EQ(g9.A, g8.A);
  }
  // The jet keeps the total enthalpy of the nozzle's inlet (adiabatic).
  EXPECT_NEAR((FH(g9.Ts, g9.Composition) + g9.V * g9.V / 2) / g5.H, 1.0, 1e-6);
  // Gross thrust from the exit's record: momentum plus pressure term over the
  // effective exit area.
  const double pressure = (g9.Ps - Pamb) * (expands ? g9.A : t.nozzle->CD * g9.A);
  EXPECT_NEAR((W * g9.V + pressure) / s.performance.FG, 1.0, 1e-9);
  EXPECT_NEAR(s.performance.FGpressure, pressure, 1e-9 * s.performance.FG);
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, Nozzles,
    testing::Values(
        NozzleCase{"ConvergentChokedAtSeaLevel", [](Turbojet&) {}, true},
        NozzleCase{"ConvergentChokedDischargeCoefficient", [](Turbojet& t) { t.nozzle->CD = 0.95; }, true},
        NozzleCase{"ConvergentUnchoked", [](Turbojet& t) { t.comp->PR = 1.5, t.burner->Tt = 1000; }, false},
        NozzleCase{"ConvergentDivergentCruise",
                   [](Turbojet& t) {
                     t.nozzle->kind = TKind::ConvergentDivergent;
                     t.amb->altitude = 11000, t.amb->mach = 0.8, t.comp->PR = 15;
                   },
                   true},
        NozzleCase{"ConvergentDivergentBelowCriticalRunsConvergent",
                   [](Turbojet& t) {
                     t.nozzle->kind = TKind::ConvergentDivergent;
                     t.comp->PR = 1.5, t.burner->Tt = 1000;
                   },
                   false}),
    [](const testing::TestParamInfo<NozzleCase>& i) { return std::string(i.param.name); });

// The discharge coefficient sizes the geometric throat as 1/CD at the same
// flow; the velocity coefficient scales the jet velocity and leaves the sonic
// throat (its Mach number and area) alone.
TEST(NozzleCoefficients, CdScalesTheAreaCvTheJet) {
  auto run = [](double CV, double CD, TEngineState& s) {
    Turbojet t;
    t.nozzle->CV = CV;
    t.nozzle->CD = CD;
    return t.e.Run(s);
  };
  TEngineState ideal, discharge, velocity;
  ASSERT_TRUE(run(1.0, 1.0, ideal)) << ideal.error;
  ASSERT_TRUE(run(1.0, 0.9, discharge)) << discharge.error;
  ASSERT_TRUE(run(0.95, 1.0, velocity)) << velocity.error;
  const TNozzleResult &a = ideal.performance.nozzles.at(0), &b = discharge.performance.nozzles.at(0),
                      &c = velocity.performance.nozzles.at(0);
  EXPECT_NEAR(b.A8 * 0.9 / a.A8, 1.0, 1e-12);
  EXPECT_NEAR(b.FG / a.FG, 1.0, 1e-12);
  EXPECT_NEAR(c.V / a.V, 0.95, 1e-12);
  EXPECT_NEAR(c.A8 / a.A8, 1.0, 1e-12);
  EXPECT_DOUBLE_EQ(velocity.stations.at(8).gas.Mach, 1.0);
  EXPECT_LT(c.FG, a.FG);
}

struct EfficiencyCase {
  const char* name;
  double altitude, mach, T4;
  TKind kind;
};
void PrintTo(const EfficiencyCase& c, std::ostream* os) { *os << c.name; }

class Efficiencies : public testing::TestWithParam<EfficiencyCase> {};

// Overall efficiency is the thrust power over the fuel's heat, FN V0 /
// (Wf LHV), and the product of thermal and propulsive efficiency; a fully
// expanded single jet with little fuel has the propulsive efficiency of the
// momentum theory, 2 / (1 + Vj/V0). At zero flight speed no work is done.
TEST_P(Efficiencies, ThermalPropulsiveOverall) {
  const EfficiencyCase& c = GetParam();
  Turbojet t;
  t.amb->altitude = c.altitude, t.amb->mach = c.mach, t.burner->Tt = c.T4, t.nozzle->kind = c.kind;
  t.nozzle->CV = 1.0;
  TEngineState s;
  ASSERT_TRUE(t.e.Run(s)) << s.error;
  const TPerformance& p = s.performance;
  EXPECT_GT(p.effThermal, 0.05);
  EXPECT_LT(p.effThermal, 0.6);
  EXPECT_NEAR(p.effOverall, p.effThermal * p.effPropulsive, 1e-12);
  if (c.mach == 0.0) {
    EXPECT_EQ(p.effPropulsive, 0.0);
    EXPECT_EQ(p.effOverall, 0.0);
    return;
  }
  EXPECT_NEAR(p.effOverall / (p.FN * s.V0 / (p.Wf * t.burner->fuel.LHV)), 1.0, 1e-9);
  EXPECT_GT(p.effPropulsive, 0.0);
  EXPECT_LT(p.effPropulsive, 1.0);
  if (c.kind == TKind::ConvergentDivergent) {
    const double Vj = p.nozzles.at(0).V;
    EXPECT_NEAR(p.effPropulsive, 2.0 / (1.0 + Vj / s.V0), 0.01);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Efficiencies,
    testing::Values(EfficiencyCase{"StaticSeaLevel", 0, 0, 1400, TKind::Convergent},
                    EfficiencyCase{"CruiseConvergent", 11000, 0.8, 1400, TKind::Convergent},
                    EfficiencyCase{"CruiseFullyExpandedLean", 11000, 0.8, 1000, TKind::ConvergentDivergent},
                    EfficiencyCase{"SupersonicFullyExpanded", 15000, 2.0, 1200, TKind::ConvergentDivergent}),
    [](const testing::TestParamInfo<EfficiencyCase>& i) { return std::string(i.param.name); });

// The supersonic recovery schedule: the published relation at Mach 2,
// 1 - 0.075 = 0.925 of the subsonic recovery, and no change up to Mach 1.
TEST(InletRecovery, MilScheduleAboveMachOne) {
  EXPECT_DOUBLE_EQ(MilRecoveryFactor(2.0), 0.925);
  EXPECT_DOUBLE_EQ(MilRecoveryFactor(0.9), 1.0);
  EXPECT_DOUBLE_EQ(MilRecoveryFactor(1.0), 1.0);
  for (const double M : {0.8, 2.0}) {
    Turbojet t;
    t.amb->altitude = 15000, t.amb->mach = M;
    t.inlet->schedule = TRecoverySchedule::MilE5008B;
    t.inlet->recovery = 0.98;
    TEngineState s;
    ASSERT_TRUE(t.e.Run(s)) << s.error;
    EXPECT_NEAR(s.stations.at(2).gas.Pt / s.stations.at(0).gas.Pt, M > 1 ? 0.98 * 0.925 : 0.98, 1e-12) << M;
  }
}

// Station areas sized from their Mach numbers pass the flow at that Mach
// number; the corrected flow at the face is the compressor's.
TEST(StationMach, FaceAndExitSizedFromMach) {
  Turbojet t;
  t.comp->inMach = 0.55, t.comp->outMach = 0.25;
  TEngineState s;
  ASSERT_TRUE(t.e.Run(s)) << s.error;
  for (const auto& [n, M] : {std::pair{2, 0.55}, std::pair{3, 0.25}}) {
    const TStation& st = s.stations.at(n);
    ASSERT_TRUE(st.hasStatic) << n;
    const TGasconditions& g = st.gas;
    EXPECT_DOUBLE_EQ(g.Mach, M);
    EXPECT_NEAR(g.V / FCs(g.Ts, g.Composition), M, 1e-6) << n;
    EXPECT_NEAR(g.Ps / (FR(g.Composition) * g.Ts) * g.V * g.A / g.W, 1.0, 1e-6) << n;
    EXPECT_NEAR((FH(g.Ts, g.Composition) + g.V * g.V / 2) / g.H, 1.0, 1e-6) << n;
  }
  const TGasconditions& g2 = s.stations.at(2).gas;
  EXPECT_NEAR(s.performance.Wc2, g2.W * std::sqrt(g2.Tt / 288.15) / (g2.Pt / 101325.0), 1e-12 * g2.W);
}

}  // namespace
}  // namespace vyr::test
