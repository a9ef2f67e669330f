// The species tables checked against published thermochemistry and against
// their own consistency, so that a mistyped coefficient shows up.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>

#include "VYRglobal.h"

namespace vyr {
namespace {

// Independent evaluation of Cp/R, H/R and S/R of one interval (plain powers).
double CpR(const TGasCoefArray& c, double T) {
  double v = c[0] / (T * T) + c[1] / T;
  for (int k = 2; k < 8; ++k) v += c[k] * std::pow(T, k - 2);
  return v;
}
double HR(const TGasCoefArray& c, double T) {
  double v = -c[0] / T + c[1] * std::log(T) + c[8];
  for (int k = 2; k < 8; ++k) v += c[k] * std::pow(T, k - 1) / (k - 1);
  return v;
}
double SR(const TGasCoefArray& c, double T) {
  double v = -c[0] / (2 * T * T) - c[1] / T + c[2] * std::log(T) + c[9];
  for (int k = 3; k < 8; ++k) v += c[k] * std::pow(T, k - 2) / (k - 2);
  return v;
}

TEST(GasTables, FormationEnthalpyAgreesWithThePolynomialAt298K) {
  // H(298.15 K) M / 1000 reproduces the tabulated enthalpy of formation within 3 kJ/kmol.
  for (int i = 0; i < GasCount; ++i) {
    if (i == gtCxHyOz) continue;  // placeholder row
    const TGasProperties& p = GasProperties[i];
    EXPECT_NEAR(EnthalpyPerSpecie(298.15, p) * p.Molemass / 1000.0, p.Hformation, 3.0) << GasNames[i];
  }
}

TEST(GasTables, IntervalsJoinAt1000K) {
  // The two polynomials of a species meet at 1000 K (Cp, H and S to fitting accuracy).
  for (int i = 0; i < GasCount; ++i) {
    const TGasProperties& p = GasProperties[i];
    const TGasCoefArray& lo = p.Coefs_below1000;
    const TGasCoefArray& hi = p.Coefs_above1000;
    EXPECT_NEAR(CpR(lo, 1000), CpR(hi, 1000), 1e-5) << GasNames[i];
    EXPECT_NEAR(HR(lo, 1000), HR(hi, 1000), 1e-2) << GasNames[i];
    EXPECT_NEAR(SR(lo, 1000), SR(hi, 1000), 1e-5) << GasNames[i];
    EXPECT_EQ(lo[7], 0.0) << GasNames[i];
    EXPECT_EQ(hi[7], 0.0) << GasNames[i];
  }
}

TEST(GasTables, StandardStateValuesMatchPublishedData) {
  // Cp and S° at 298.15 K and 1 bar, J/(mol K), from the JANAF/CODATA tables;
  // tolerances 0.05 J/(mol K) for Cp and 0.1 J/(mol K) for S° (the sources differ by about that).
  struct Row { TGas gas; double cp, s; };
  const Row rows[] = {
      {gtN2, 29.124, 191.609},  {gtO2, 29.376, 205.147}, {gtCO2, 37.135, 213.785}, {gtH2Og, 33.590, 188.834},
      {gtAr, 20.786, 154.845},  {gtH2, 28.836, 130.680}, {gtCO, 29.142, 197.653},  {gtCH4, 35.695, 186.369},
      {gtNO, 29.845, 210.758},  {gtOH, 29.886, 183.737}, {gtO, 21.912, 161.058},   {gtH, 20.786, 114.716},
  };
  for (const Row& r : rows) {
    const TGasProperties& p = GasProperties[r.gas];
    EXPECT_NEAR(FCpPerSpecie(298.15, p) * p.Molemass / 1000.0, r.cp, 0.05) << GasNames[r.gas];
    EXPECT_NEAR(8.3144621 * FSperSpecie(298.15, p.Coefs_below1000), r.s, 0.1) << GasNames[r.gas];
  }
}

TEST(GasTables, ThermoIntervalSwitchesAbove1000KButViscosityAt1000K) {
  // Exactly 1000 K is the lower polynomial; a hair above it the upper one.
  // CO2's two fits differ by about 1E-9 relative there, which the 1E-13 tolerance resolves.
  const TGasProperties& p = GasProperties[gtCO2];
  const double f = R_u / p.Molemass;
  EXPECT_NEAR(FCpPerSpecie(1000.0, p), f * CpR(p.Coefs_below1000, 1000.0), 1e-13 * f);
  EXPECT_NEAR(FCpPerSpecie(1000.000001, p), f * CpR(p.Coefs_above1000, 1000.000001), 1e-13 * f);
  EXPECT_GT(std::fabs(CpR(p.Coefs_below1000, 1000.0) - CpR(p.Coefs_above1000, 1000.0)), 1e-11);
}

TEST(GasTables, NamesAndStandardCompositions) {
  EXPECT_EQ(GasNames[gtCxHyOz], "CxHyOz");
  EXPECT_EQ(GasNames[gtH2Ol], "H2Ol");
  EXPECT_EQ(GasNames[gtCO2], "CO2");
  EXPECT_EQ(GasNames[gtN2], "N2");
  EXPECT_DOUBLE_EQ(std::accumulate(Air.begin(), Air.end(), 0.0), 0.99999989);
  EXPECT_EQ(std::accumulate(EmptyComposition.begin(), EmptyComposition.end(), 0.0), 0.0);
  for (const TGasComposition* c : {&Watervapour, &Waterliquid, &CxHyOz, &CH4, &H2})
    EXPECT_EQ(std::accumulate(c->begin(), c->end(), 0.0), 1.0);
  EXPECT_EQ(Waterliquid[gtH2Ol], 1.0);
  EXPECT_EQ(GasProperties[gtCxHyOz].Molemass, 1.0);
  EXPECT_EQ(GasProperties[gtCxHyOz].Hformation, 1.0);
  EXPECT_EQ(GasProperties[gtN2].VisCoefs_above1000, GasProperties[gtCO].VisCoefs_above1000);
}

TEST(GasTables, StandardAirIsFilledAtLoad) {
  EXPECT_NEAR(R_st, 287.050, 0.001);
  EXPECT_NEAR(gamma_st, 1.40023, 1e-5);
  EXPECT_NEAR(a_slst, 340.32, 0.01);
  EXPECT_DOUBLE_EQ(Rho_slst, P_slst / R_st / T_slst);
  EXPECT_EQ(StandardAir.Pt, P_slst);
  EXPECT_EQ(StandardAir.Ps, P_slst);
  EXPECT_EQ(StandardAir.Tt, T_slst);
  EXPECT_EQ(StandardAir.Ttis, T_slst);
  EXPECT_EQ(StandardAir.RTtheta, 1.0);
  EXPECT_EQ(StandardAir.Delta, 1.0);
  EXPECT_EQ(StandardAir.H, FH(T_slst, Air));
  EXPECT_EQ(StandardAir.His, StandardAir.H);
  EXPECT_EQ(StandardAir.S, FS(T_slst, P_slst, Air));
  EXPECT_EQ(StandardAir.Cp, FCp(T_slst, Air));
  EXPECT_EQ(StandardAir.Composition, Air);
  EXPECT_EQ(StandardAir.W, 0.0);
  EXPECT_EQ(StandardAir.Mach, 0.0);
}

}  // namespace
}  // namespace vyr
