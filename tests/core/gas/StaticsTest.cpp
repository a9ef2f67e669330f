#include <gtest/gtest.h>

#include <cmath>

#include "VYRglobal.h"
#include "common/RecordingHandler.h"
#include "gas/GasTestCompositions.h"

namespace vyr {
namespace {

const char* const kCaller = "Nr. 9 Component: Nozzle";
constexpr double kPt = 2.5e5, kTt = 800.0, kW = 30.0;

// Area at which the flow is sonic.
double ChokeArea(const TGasComposition& y) {
  double Ps, Ts, V, A;
  EXPECT_TRUE(GetStaticfromM(1.0, kPt, kTt, kW, y, 1e-6, Ps, Ts, V, A, kCaller));
  return A;
}

TEST(Statics, AreaGivenSubsonicStateSatisfiesEnergyAndContinuity) {
  test::RecordingHandler rec;
  for (const TGasComposition& y : {Air, test::KeroseneProducts()}) {
    const double A = 1.6 * ChokeArea(y);
    double Ps, Ts, Mach, V;
    ASSERT_TRUE(GetStatic(kW, kPt, kTt, A, y, 1e-5, Ps, Ts, Mach, V, kCaller));
    EXPECT_LT(Mach, 1.0);
    EXPECT_GT(Mach, 0.3);
    EXPECT_LT(Ts, kTt);
    EXPECT_NEAR(FH(kTt, y) - FH(Ts, y), V * V / 2, 2e-2);               // energy
    EXPECT_NEAR(Ps / (FR(y) * Ts) * V * A, kW, 1e-9 * kW);                // continuity
    EXPECT_NEAR(FS(Ts, Ps, y), FS(kTt, kPt, y), 1e-4);                    // isentropic
    EXPECT_NEAR(Mach, V / FCs(Ts, y), 1e-12);
  }
  EXPECT_TRUE(rec.messages.empty());
}

TEST(Statics, MachAndVelocityGivenAreInverse) {
  double Ps, Ts, V, A;
  ASSERT_TRUE(GetStaticfromM(0.55, kPt, kTt, kW, Air, 1e-6, Ps, Ts, V, A, kCaller));
  double Ps2, Ts2, Mach2, A2;
  ASSERT_TRUE(GetStaticfromV(V, kPt, kTt, kW, Air, 1e-6, Ps2, Ts2, Mach2, A2, kCaller));
  EXPECT_NEAR(Mach2, 0.55, 1e-6);
  EXPECT_NEAR(Ts2, Ts, 1e-5);
  EXPECT_NEAR(A2, A, 1e-6 * A);
  // The area-given solution at that area finds the same state.
  double Ps3, Ts3, Mach3, V3;
  ASSERT_TRUE(GetStatic(kW, kPt, kTt, A, Air, 1e-6, Ps3, Ts3, Mach3, V3, kCaller));
  EXPECT_NEAR(Mach3, 0.55, 1e-3);
}

TEST(Statics, AreaAroundTheChokeArea) {
  test::RecordingHandler rec;
  const double Astar = ChokeArea(Air);
  double Ps, Ts, Mach, V;
  ASSERT_TRUE(GetStatic(kW, kPt, kTt, 1.002 * Astar, Air, 1e-6, Ps, Ts, Mach, V, kCaller));
  EXPECT_LT(Mach, 1.0);
  ASSERT_TRUE(GetStatic(kW, kPt, kTt, 0.95 * Astar, Air, 1e-6, Ps, Ts, Mach, V, kCaller));
  EXPECT_GE(Mach, 1.0);
  EXPECT_TRUE(rec.messages.empty());

  // Off design the stored area governs: too small an area is refused.
  TGasconditions g = StandardAir;
  g.Pt = kPt;
  g.Tt = kTt;
  g.W = kW;
  g.A = 0.95 * Astar;
  EXPECT_FALSE(CalcStaticProps(cmSteadyState, ssoMach, 0.3, 1e-6, kCaller, g));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text.rfind("Illegal value for Mach (=1.", 0), 0u) << rec.messages[0].Text;
  EXPECT_NE(rec.messages[0].Text.find(std::string(")\r\nin ") + kCaller), std::string::npos);
  EXPECT_EQ(rec.messages[0].Buttons, TMsgDlgButtons{mbOK});
  EXPECT_EQ(rec.messages[0].HelpCtx, 0);
  EXPECT_EQ(rec.messages[0].DlgType, mtError);
}

TEST(Statics, NoFlowMeansStaticIsTotal) {
  for (double W : {0.0, 1e-16, -1e-16, 1e-15}) {
    double Ps = -1, Ts = -1, Mach = -1, V = -1;
    ASSERT_TRUE(GetStatic(W, kPt, kTt, 0.1, Air, 1e-6, Ps, Ts, Mach, V, kCaller));
    EXPECT_EQ(Ps, kPt);
    EXPECT_EQ(Ts, kTt);
    EXPECT_EQ(V, 0.0);
    EXPECT_EQ(Mach, 0.0);

    TGasconditions g = StandardAir;
    g.W = W;
    g.Mach = 0.5;
    g.V = 10.0;
    ASSERT_TRUE(GetStaticfromOption(g, ssoMach, 1e-6, kCaller, true)) << W;
    EXPECT_EQ(g.Ps, g.Pt);
    EXPECT_EQ(g.Ts, g.Tt);
    EXPECT_EQ(g.V, 0.0);
    EXPECT_EQ(g.Mach, 0.0);
  }
}

TEST(Statics, AbsentAreaOrMachNumber) {
  TGasconditions g = StandardAir;
  g.W = 5.0;
  g.A = 0.0;
  ASSERT_TRUE(GetStaticfromOption(g, ssoArea, 1e-6, kCaller, true));
  EXPECT_EQ(g.Ps, 0.0);
  EXPECT_EQ(g.Ts, 0.0);
  EXPECT_EQ(g.Mach, 0.0);
  EXPECT_EQ(g.V, 0.0);
  ASSERT_TRUE(CalcStaticProps(cmSteadyState, ssoNone, 0.0, 1e-6, kCaller, g));
  EXPECT_EQ(g.Ts, g.Tt);
  EXPECT_EQ(g.Ps, g.Pt);

  g.Mach = 0.0;
  g.A = 3.0;
  ASSERT_TRUE(GetStaticfromOption(g, ssoMach, 1e-6, kCaller, true));
  EXPECT_EQ(g.Ps, g.Pt);
  EXPECT_EQ(g.V, 0.0);
  EXPECT_EQ(g.A, 0.0);
}

TEST(Statics, DesignPointTakesTheGivenValue) {
  test::RecordingHandler rec;
  TGasconditions g = StandardAir;
  g.Pt = kPt;
  g.Tt = kTt;
  g.W = kW;
  EXPECT_FALSE(CalcStaticProps(cmDesign, ssoMach, 1.2, 1e-6, kCaller, g));
  EXPECT_EQ(g.Mach, 1.2);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, std::string("Illegal value for Mach (=1.2)\r\nin ") + kCaller);
  EXPECT_EQ(g.Ps, StandardAir.Ps);  // no statics computed

  ASSERT_TRUE(CalcStaticProps(cmDesign, ssoMach, 0.4, 1e-6, kCaller, g));
  EXPECT_NEAR(g.Mach, 0.4, 1e-15);
  EXPECT_GT(g.A, 0.0);
  const double Adesign = g.A;
  // Off design the option and value are ignored: the stored area gives the same Mach.
  ASSERT_TRUE(CalcStaticProps(cmSteadyState, ssoVelocity, 999.0, 1e-6, kCaller, g));
  EXPECT_EQ(g.A, Adesign);
  EXPECT_NEAR(g.Mach, 0.4, 1e-3);
  EXPECT_EQ(rec.messages.size(), 1u);
}

TEST(Statics, ChokeTemperatureBelowTheFloorHasNoValidState) {
  // The choke search does not go below 200 K. Where the sonic temperature of
  // the flow (about Tt / 1.2) lies below that floor, a choked result, or a
  // subsonic one below the floor, would break the energy balance: failure with
  // a message that names the floor, whether the flow is choked (0.9) or
  // subsonic (1.05). States above the floor still solve.
  const struct {
    double Tt, areaRatio;  // area / sonic area
    bool solves;
  } cases[] = {{210.0, 0.9, false}, {210.0, 1.0, false}, {210.0, 1.05, false}, {210.0, 3.0, true},
               {230.0, 0.9, false}, {230.0, 1.05, true},  {230.0, 3.0, true},   {245.0, 0.9, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "Tt=" << c.Tt << " A/A*=" << c.areaRatio);
    double Ps, Ts, V, Astar, Mach = -1;
    ASSERT_TRUE(GetStaticfromM(1.0, kPt, c.Tt, kW, Air, 1e-8, Ps, Ts, V, Astar, kCaller));
    test::RecordingHandler rec;
    const double A = c.areaRatio * Astar;
    const bool ok = GetStatic(kW, kPt, c.Tt, A, Air, 1e-6, Ps, Ts, Mach, V, kCaller);
    EXPECT_EQ(ok, c.solves);
    if (!ok) {
      ASSERT_EQ(rec.messages.size(), 1u);
      EXPECT_EQ(rec.messages[0].Text, std::string("Static temperature below 200 K in GetStatic iteration in\r\n") + kCaller);
      EXPECT_EQ(rec.messages[0].HelpCtx, 81406);
      EXPECT_EQ(Mach, -1);  // not written
      continue;
    }
    EXPECT_TRUE(rec.messages.empty());
    EXPECT_GE(Ts, 200.0);
    if (Mach < 1.0) {
      EXPECT_NEAR(FH(c.Tt, Air) - FH(Ts, Air), V * V / 2, 1e-2);    // energy
      EXPECT_NEAR(Ps / (FR(Air) * Ts) * V * A, kW, 1e-9 * kW);       // continuity
    } else {
      const double a = FCs(Ts, Air);  // choked: the sonic state balances energy
      EXPECT_NEAR(FH(c.Tt, Air) - FH(Ts, Air), a * a / 2, 1e-2);
    }
  }
}

TEST(Statics, HotStationsUpToTheTablesLimit) {
  // Subsonic and choked states of stations far above any combustor exit, up
  // to the upper limit of the property tables.
  const TGasComposition y = test::KeroseneProducts();
  for (double Tt : {3900.0, 4500.0, 5500.0}) {
    for (double areaRatio : {0.9, 1.6}) {
      SCOPED_TRACE(testing::Message() << "Tt=" << Tt << " A/A*=" << areaRatio);
      test::RecordingHandler rec;
      double Ps, Ts, V, Astar, Mach;
      ASSERT_TRUE(GetStaticfromM(1.0, kPt, Tt, kW, y, 1e-8, Ps, Ts, V, Astar, kCaller));
      const double A = areaRatio * Astar;
      ASSERT_TRUE(GetStatic(kW, kPt, Tt, A, y, 1e-6, Ps, Ts, Mach, V, kCaller));
      EXPECT_TRUE(rec.messages.empty());
      EXPECT_EQ(Mach >= 1.0, areaRatio < 1.0);
      const double Vsonic = FCs(Ts, y);
      const double Vbalance = Mach < 1.0 ? V : Vsonic;
      EXPECT_NEAR(FH(Tt, y) - FH(Ts, y), Vbalance * Vbalance / 2, 1e-2);  // energy
      EXPECT_NEAR(Ps / (FR(y) * Ts) * V * A, kW, 1e-9 * kW);                // continuity
    }
  }
}

// Choked air far above any combustor exit, up to the tables' limit, down to
// a third of the sonic area: the secant must not step past Tt. The result is
// the sonic state, which balances energy, and its continuity velocity marks
// Mach >= 1.
TEST(Statics, HotChokedAirConvergesAndBalancesEnergy) {
  const double Pt = 2e5;
  for (double Tt : {4500.0, 5000.0, 5200.0, 5300.0, 5600.0, 6000.0}) {
    double Ps, Ts, V, Astar, Mach;
    ASSERT_TRUE(GetStaticfromM(1.0, Pt, Tt, kW, Air, 1e-8, Ps, Ts, V, Astar, kCaller));
    for (double areaRatio : {0.3, 0.4, 0.5, 0.7, 0.9}) {
      SCOPED_TRACE(testing::Message() << "Tt=" << Tt << " A/A*=" << areaRatio);
      test::RecordingHandler rec;
      ASSERT_TRUE(GetStatic(kW, Pt, Tt, areaRatio * Astar, Air, 1e-6, Ps, Ts, Mach, V, kCaller));
      EXPECT_TRUE(rec.messages.empty());
      EXPECT_GE(Mach, 1.0);
      const double a = FCs(Ts, Air);
      EXPECT_NEAR(FH(Tt, Air) - FH(Ts, Air), a * a / 2, 1e-2);  // energy
      EXPECT_NEAR(FS(Ts, Ps, Air), FS(Tt, Pt, Air), 1e-4);         // isentropic
    }
  }
}

// Off design the stored area governs; a stored area that is no number is
// refused by name (it is not an absent area, which means static = total).
TEST(Statics, StoredAreaThatIsNoNumberIsRefused) {
  for (double A : {std::nan(""), double(INFINITY)}) {
    test::RecordingHandler rec;
    TGasconditions g = StandardAir;
    g.Pt = kPt;
    g.Tt = kTt;
    g.W = kW;
    g.A = A;
    g.Ps = g.Ts = -1.0;
    EXPECT_FALSE(CalcStaticProps(cmSteadyState, ssoArea, 0.0, 1e-6, kCaller, g)) << A;
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text, "Illegal value for area (=" + FloatToStr(A) + ")\r\nin " + kCaller);
    EXPECT_EQ(g.Ts, -1.0);
  }
}

TEST(Statics, NoAreaForAFlowIsAFailure) {
  for (double A : {0.0, -0.1, std::nan("")}) {
    test::RecordingHandler rec;
    double Ps = -1, Ts = -1, Mach = -1, V = -1;
    EXPECT_FALSE(GetStatic(kW, kPt, kTt, A, Air, 1e-6, Ps, Ts, Mach, V, kCaller)) << A;
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text, "Illegal value for area (=" + FloatToStr(A) + ")\r\nin " + kCaller);
    EXPECT_EQ(rec.messages[0].DlgType, mtError);
    EXPECT_EQ(Mach, -1);
    EXPECT_EQ(V, -1);
  }
}

TEST(Statics, DesignValueMustBeANonNegativeNumber) {
  const double nan = std::nan("");
  const struct {
    TStaticSpecOption option;
    double value;
    const char* text;
  } cases[] = {{ssoMach, nan, "Illegal value for Mach (=NAN)"},
               {ssoMach, -0.3, "Illegal value for Mach (=-0.3)"},
               {ssoVelocity, nan, "Illegal value for velocity (=NAN)"},
               {ssoVelocity, -50.0, "Illegal value for velocity (=-50)"},
               {ssoArea, nan, "Illegal value for area (=NAN)"},
               {ssoArea, -0.2, "Illegal value for area (=-0.2)"}};
  for (const auto& c : cases) {
    TGasconditions g = StandardAir;
    g.Pt = kPt;
    g.Tt = kTt;
    g.W = kW;
    g.Mach = 0.25;
    g.V = 80.0;
    g.A = 0.5;
    const TGasconditions before = g;
    test::RecordingHandler rec;
    EXPECT_FALSE(CalcStaticProps(cmDesign, c.option, c.value, 1e-6, kCaller, g)) << c.text;
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text, std::string(c.text) + "\r\nin " + kCaller);
    // The record keeps what it had.
    EXPECT_EQ(g.Mach, before.Mach);
    EXPECT_EQ(g.V, before.V);
    EXPECT_EQ(g.A, before.A);
    EXPECT_EQ(g.Ps, before.Ps);
    EXPECT_EQ(g.Ts, before.Ts);
  }
}

TEST(Statics, DesignValueStaysAtZeroFlow) {
  test::RecordingHandler rec;
  const struct {
    TStaticSpecOption option;
    double value;
  } cases[] = {{ssoMach, 0.4}, {ssoVelocity, 120.0}};
  for (double W : {0.0, 1e-16}) {
    for (const auto& c : cases) {
      TGasconditions g = StandardAir;
      g.Pt = kPt;
      g.Tt = kTt;
      g.W = W;
      ASSERT_TRUE(CalcStaticProps(cmDesign, c.option, c.value, 1e-6, kCaller, g));
      EXPECT_EQ(c.option == ssoMach ? g.Mach : g.V, c.value);
      EXPECT_EQ(g.Ps, kPt);  // nothing flows: static is total
      EXPECT_EQ(g.Ts, kTt);
    }
  }
  EXPECT_TRUE(rec.messages.empty());
}

TEST(Statics, ConvergentDuct) {
  test::RecordingHandler rec;
  const double Ht = FH(kTt, Air), A = 0.1;
  double PsOut, Ts, Hs, Mach, V, W, Rho;
  // Above the critical pressure: subsonic, exit at the back pressure.
  ASSERT_TRUE(ConvDuct(Ht, kPt, kTt, 0.8 * kPt, A, 1.0, Air, 1e-6, PsOut, Ts, Hs, Mach, V, W, Rho, kCaller));
  EXPECT_EQ(PsOut, 0.8 * kPt);
  EXPECT_LT(Mach, 1.0);
  double Tx, Hx, Mx, Vis;
  ASSERT_TRUE(Expansion(Ht, kPt, kTt, 0.8 * kPt, Air, 1e-6, Tx, Hx, Mx, Vis, kCaller));
  EXPECT_DOUBLE_EQ(V, Vis);
  EXPECT_DOUBLE_EQ(W, Rho * V * A);

  // Below it: choked. The throat is sonic (the enthalpy drop is half the square
  // of the speed of sound) at the isentropic pressure of that state.
  ASSERT_TRUE(ConvDuct(Ht, kPt, kTt, 0.3 * kPt, A, 1.0, Air, 1e-6, PsOut, Ts, Hs, Mach, V, W, Rho, kCaller));
  EXPECT_EQ(Mach, 1.0);
  EXPECT_NEAR(V, FCs(Ts, Air), 1e-3);
  EXPECT_NEAR(Ht - FH(Ts, Air), V * V / 2, 1e-2);
  EXPECT_NEAR(FS(Ts, PsOut, Air), FS(kTt, kPt, Air), 1e-4);
  EXPECT_NEAR(PsOut / kPt, 0.534, 0.003);  // critical pressure ratio, gamma about 1.365 here
  const double Vsonic = V, PsThroat = PsOut;
  // A velocity coefficient scales the velocity; the throat pressure stays.
  const double CV = 0.98;
  ASSERT_TRUE(ConvDuct(Ht, kPt, kTt, 0.3 * kPt, A, CV, Air, 1e-6, PsOut, Ts, Hs, Mach, V, W, Rho, kCaller));
  EXPECT_EQ(Mach, 1.0);
  EXPECT_DOUBLE_EQ(V, CV * Vsonic);
  EXPECT_DOUBLE_EQ(PsOut, PsThroat);
  EXPECT_DOUBLE_EQ(W, Rho * V * A);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(Statics, AdditionalStationParameters) {
  TGasconditions g = StandardAir;
  g.Tt = 600.0;
  g.Pt = 4e5;
  SetAddStationpars(g);
  EXPECT_EQ(g.S, FS(600.0, 4e5, Air));
  EXPECT_EQ(g.Cp, FCp(600.0, Air));
  EXPECT_EQ(g.RNI, ReynoldsNumberIndex(4e5, 600.0, Air));
}

TEST(Statics, BadInputEndsWithAMessage) {
  test::RecordingHandler rec;
  const double nan = std::nan("");
  double Ps, Ts, Mach, V, A;
  EXPECT_FALSE(GetStatic(kW, kPt, nan, 0.1, Air, 1e-6, Ps, Ts, Mach, V, kCaller));
  EXPECT_FALSE(GetStaticfromM(0.5, kPt, nan, kW, Air, 1e-6, Ps, Ts, V, A, kCaller));
  EXPECT_FALSE(GetStaticfromV(100.0, kPt, kTt, kW, Air, nan, Ps, Ts, Mach, A, kCaller));
  ASSERT_EQ(rec.messages.size(), 3u);
  EXPECT_EQ(rec.messages[0].Text, std::string("Illegal value for temperature (=NAN)\r\nin ") + kCaller);
  EXPECT_EQ(rec.messages[1].Text, std::string("No convergence in GetStaticfromM iteration in\r\n") + kCaller);
  EXPECT_EQ(rec.messages[2].Text, std::string("No convergence in GetStaticfromV iteration in\r\n") + kCaller);
  EXPECT_EQ(rec.messages[1].HelpCtx, 81401);
}

}  // namespace
}  // namespace vyr
