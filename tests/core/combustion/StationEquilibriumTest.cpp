#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "VYRglobal.h"
#include "combustion/AtomBalance.h"
#include "common/RecordingHandler.h"

namespace vyr {
namespace {

const char* const kCaller = "Nr. 5 Component: Burner";

TEST(WaterVapour, SaturationPressure) {
  EXPECT_DOUBLE_EQ(PmaxH20vapour(273.15), 611.0);
  EXPECT_NEAR(PmaxH20vapour(373.15), 1.022e5, 0.001e5);
  EXPECT_EQ(PmaxH20vapour(35.84), DBL_MAX);  // either side of the fit's pole
  EXPECT_EQ(PmaxH20vapour(35.86), DBL_MIN);
  EXPECT_TRUE(std::isnan(PmaxH20vapour(std::nan(""))));
}

TEST(WaterVapour, PhaseSplit) {
  TGasComposition wet = Air;
  for (double& v : wet) v *= 0.95;
  wet[gtH2Og] = 0.04;
  wet[gtH2Ol] = 0.01;
  // Above the critical temperature everything is vapour, the rest untouched.
  const TGasComposition hot = EquilibriumH2O(700.0, 1e5, wet);
  EXPECT_DOUBLE_EQ(hot[gtH2Og], 0.05);
  EXPECT_EQ(hot[gtH2Ol], 0.0);
  EXPECT_EQ(hot[gtN2], wet[gtN2]);
  // At 300 K and 1 bar the gas holds vapour up to the saturation mole fraction.
  const TGasComposition cold = EquilibriumH2O(300.0, 1e5, wet);
  const TGasComposition n = MoleComposition(cold, 1.0);
  EXPECT_NEAR(n[gtH2Og] / (1.0 - n[gtH2Ol]), PmaxH20vapour(300.0) / 1e5, 1e-12);
  EXPECT_GT(cold[gtH2Ol], 0.01);
  // Warm enough: the liquid evaporates.
  const TGasComposition warm = EquilibriumH2O(340.0, 1e5, wet);
  EXPECT_EQ(warm[gtH2Ol], 0.0);
  EXPECT_NEAR(warm[gtH2Og], 0.05, 1e-8);  // renormalised: the air sums to 0.99999989
}

TEST(SecantMemory, StartConvergeAndGiveUp) {
  test::RecordingHandler rec;
  ResetAFQmem();
  double Xnew = 0;
  EXPECT_EQ(AFQUIR(300.0, 10.0, 0.0, 1e-6, 0.95, 40, "T", Xnew), 1);
  EXPECT_DOUBLE_EQ(Xnew, 285.0);
  EXPECT_EQ(AFQmem->iter, 1);
  EXPECT_EQ(AFQUIR(300.0, 1e-9, 0.0, 1e-6, 0.95, 40, "T", Xnew), 2);  // within tolerance
  EXPECT_EQ(Xnew, 300.0);
  EXPECT_EQ(AFQmem->iter, 1);

  // Driven by its caller, the memory finds the root of x^2 - 2.
  ResetAFQmem();
  double x = 1.0;
  int code = 1, calls = 0;
  while (code == 1 && calls < 50) {
    code = AFQUIR(x, x * x, 2.0, 1e-12, 1.1, 40, "root", x);
    ++calls;
  }
  EXPECT_EQ(code, 2);
  EXPECT_NEAR(x, std::sqrt(2.0), 1e-9);
  EXPECT_LT(calls, 15);

  // A negative target converges too (the tolerance is its size).
  ResetAFQmem();
  x = 1.0;
  code = 1;
  calls = 0;
  while (code == 1 && calls < 50) {
    code = AFQUIR(x, -x * x, -2.0, 1e-12, 1.1, 40, "negative", x);
    ++calls;
  }
  EXPECT_EQ(code, 2);
  EXPECT_NEAR(x, std::sqrt(2.0), 1e-9);
  EXPECT_TRUE(rec.messages.empty());

  // Without convergence the 42nd call with MaxIter 40 gives up, naming the caller.
  ResetAFQmem();
  x = 1.0;
  for (int call = 1; call <= 41; ++call) ASSERT_EQ(AFQUIR(x, 1.0 + call, 0.0, 1e-9, 0.95, 40, "stuck", x), 1);
  const double before = x;
  EXPECT_EQ(AFQUIR(x, 50.0, 0.0, 1e-9, 0.95, 40, "stuck", x), 3);
  EXPECT_EQ(x, before);
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, "No convergence in AFQUIR iteration in\r\nstuck");
  EXPECT_EQ(rec.messages[0].HelpCtx, 81401);
  EXPECT_EQ(rec.messages[0].DlgType, mtError);
  AFQmem->ReportError = false;
  EXPECT_EQ(AFQUIR(x, 50.0, 0.0, 1e-9, 0.95, 40, "stuck", x), 3);
  EXPECT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(AFQmem->ErrorStr, "No convergence in AFQUIR iteration in\r\nstuck");
  ResetAFQmem();
  EXPECT_TRUE(AFQmem->ReportError);
}

// Total enthalpy: sensible plus formation [J/kg].
double TotalEnthalpy(const TGasconditions& g) { return RH(g.Composition, g.Tt) + FormationEnthalpy(g.Composition); }

TGasconditions Station(const TGasComposition& y, double T, double P) {
  TGasconditions g = StandardAir;
  g.Composition = y;
  g.Tt = g.Ts = T;
  g.Pt = g.Ps = P;
  g.W = 10.0;
  g.Wc = 9.0;
  return g;
}

TEST(SetEquilibriumConditions, CondensationKeepsTheTotalEnthalpy) {
  test::RecordingHandler rec;
  TGasComposition y = Air;
  for (double& v : y) v *= 0.95;
  y[gtH2Og] = 0.05;  // well above saturation at 300 K and 1 bar
  TGasconditions g = Station(y, 300.0, 1e5);
  const double h0 = TotalEnthalpy(g);
  std::string msg;
  int code = 0;
  ASSERT_TRUE(SetEquilibriumConditions(kCaller, cmDesign, 1e-4, ssoNone, 0.0, g, false, msg, code)) << msg;
  EXPECT_GT(g.Composition[gtH2Ol], 0.01);
  EXPECT_GT(g.Tt, 300.0);  // latent heat
  EXPECT_NEAR(TotalEnthalpy(g), h0, 1e-5 * std::fabs(h0));
  EXPECT_DOUBLE_EQ(g.Wgas, (1 - g.Composition[gtH2Ol]) * 10.0);
  EXPECT_DOUBLE_EQ(g.Wgasc, (1 - g.Composition[gtH2Ol]) * 9.0);
  EXPECT_EQ(AFQcode, 2);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(SetEquilibriumConditions, DissociationOfHotProductsKeepsTheTotalEnthalpy) {
  test::RecordingHandler rec;
  TGasComposition products;
  ASSERT_TRUE(ProdfromReact(0.03, 1.0, 1.9167, 0, CxHyOz, Air, products));
  TGasconditions g = Station(products, 2200.0, 20e5);
  const double h0 = TotalEnthalpy(g);
  std::string msg;
  int code = 0;
  ASSERT_TRUE(SetEquilibriumConditions(kCaller, cmDesign, 1e-4, ssoMach, 0.2, g, false, msg, code)) << msg;
  EXPECT_GT(g.Composition[gtCO], 1e-5);
  EXPECT_LT(g.Tt, 2200.0);  // dissociation takes heat
  EXPECT_NEAR(TotalEnthalpy(g), h0, 1e-5 * std::fabs(h0));
  EXPECT_NEAR(g.Mach, 0.2, 1e-12);
  EXPECT_LT(g.Ts, g.Tt);
  EXPECT_LT(test::WorstImbalance(products, 0, 0, g.Composition), 1e-9);
  EXPECT_TRUE(rec.messages.empty());
}

// Partial pressure [bar] of species s in a mass composition at P [Pa].
double PartialPressure(const TGasComposition& mass, TGas s, double P) {
  return MoleComposition(mass, 1.0)[s] * P / 1e5;
}

TEST(SetEquilibriumConditions, VeryHotProductsUpToTheTablesLimit) {
  // Kerosene products brought to equilibrium from starts far above any
  // combustor exit: the total enthalpy holds, the atoms stay, dissociation
  // takes heat, and CO2 and H2O meet their equilibrium constants at the
  // static state.
  TGasComposition products;
  ASSERT_TRUE(ProdfromReact(0.03, 1.0, 1.9167, 0, CxHyOz, Air, products));
  const struct {
    TStaticSpecOption option;
    double value;
  } statics[] = {{ssoMach, 0.2}, {ssoArea, 0.05}};
  for (const auto& spec : statics) {
    for (double T : {2500.0, 3500.0, 4500.0, 5000.0, 5500.0}) {
      SCOPED_TRACE(testing::Message() << "start " << T << " K, " << (spec.option == ssoMach ? "Mach" : "area"));
      test::RecordingHandler rec;
      TGasconditions g = Station(products, T, 20e5);
      const double h0 = TotalEnthalpy(g);
      std::string msg;
      int code = 0;
      ASSERT_TRUE(SetEquilibriumConditions(kCaller, cmDesign, 1e-4, spec.option, spec.value, g, false, msg, code))
          << msg;
      EXPECT_LT(g.Mach, 1.0);
      EXPECT_LT(g.Ts, g.Tt);
      EXPECT_TRUE(rec.messages.empty());
      EXPECT_NEAR(TotalEnthalpy(g), h0, 1e-5 * std::fabs(h0));
      EXPECT_LT(g.Tt, T);
      EXPECT_LT(test::WorstImbalance(products, 0, 0, g.Composition), 1e-9);
      const TGasComposition& y = g.Composition;
      const double pO2 = PartialPressure(y, gtO2, g.Ps);
      EXPECT_NEAR(PartialPressure(y, gtCO, g.Ps) * std::sqrt(pO2) / PartialPressure(y, gtCO2, g.Ps) /
                      CalcEqConst(g.Ts, Pol2CO2),
                  1.0, 1e-6);
      EXPECT_NEAR(PartialPressure(y, gtH2, g.Ps) * std::sqrt(pO2) / PartialPressure(y, gtH2Og, g.Ps) /
                      CalcEqConst(g.Ts, Pol2H2O),
                  1.0, 1e-6);
    }
  }
}

TEST(SetEquilibriumConditions, DryColdGasPassesUntouched) {
  for (double T : {500.0, 700.0}) {
    TGasComposition y = Air;
    if (T > 647.29) {  // vapour above the critical temperature: no water phase
      for (double& v : y) v *= 0.98;
      y[gtH2Og] = 0.02;
    }
    TGasconditions g = Station(y, T, 3e5);
    std::string msg;
    int code = 0;
    ASSERT_TRUE(SetEquilibriumConditions(kCaller, cmDesign, 1e-4, ssoMach, 0.3, g, false, msg, code));
    EXPECT_EQ(g.Composition, y);
    EXPECT_EQ(g.Tt, T);
    EXPECT_EQ(g.Wgas, g.W);
    EXPECT_EQ(g.Wgasc, g.Wc);
    EXPECT_NEAR(g.Mach, 0.3, 1e-12);  // statics recomputed
    EXPECT_LT(g.Ps, g.Pt);
  }
}

TEST(SetEquilibriumConditions, DissociationFailureNamesTheCaller) {
  TGasComposition n2{};
  n2[gtN2] = 1.0;
  TGasconditions g = Station(n2, 2000.0, 1e5);
  std::string msg;
  int code = 0;
  test::RecordingHandler rec;
  EXPECT_FALSE(SetEquilibriumConditions(kCaller, cmDesign, 1e-4, ssoNone, 0.0, g, true, msg, code));
  EXPECT_EQ(msg, std::string("Set Equil.Cond. error in ") + kCaller + "\r\nO2 concentration too small");
  EXPECT_EQ(code, 85513);
  ASSERT_EQ(rec.messages.size(), 1u);  // Dissociation's own box
  EXPECT_EQ(rec.messages[0].Text, "O2 concentration too small");
}

}  // namespace
}  // namespace vyr
