#include "Products.h"

#include "Fuels.h"
#include "GasKernels.h"
#include "GasProperties.h"

namespace vyr {

using detail::kGasProperties;
using detail::kPresent;

namespace {

// Atoms per molecule: carbon, half the hydrogen, oxygen, oxygen demand in O2
// molecules for complete combustion (C + H2/2 - O/2) and half the nitrogen.
struct Atoms {
  double C, H2, O, D, N2;
};

// Indexed by TGas; the variable fuel row is filled per call from y and z.
// O2's demand is not used: its oxygen is counted as mass. N2 passes as mass.
constexpr Atoms kAtoms[GasCount] = {
    {1, 0, 2, 0, 0},       // CO2
    {1, 0, 1, 0.5, 0},     // CO
    {0, 0, 2, -1, 0},      // O2
    {0, 0, 0, 0, 0},       // Ar
    {0, 1, 1, 0, 0},       // H2Og
    {0, 1, 1, 0, 0},       // H2Ol
    {0, 1, 0, 0.5, 0},     // H2
    {1, 2, 0, 2, 0},       // CH4
    {2, 3, 0, 3.5, 0},     // C2H6
    {2, 2, 0, 3, 0},       // C2H4
    {3, 4, 0, 5, 0},       // C3H8
    {4, 5, 0, 6.5, 0},     // C4H10
    {0, 0, 1, -0.5, 0},    // O
    {0, 0.5, 0, 0.25, 0},  // H
    {0, 0.5, 1, -0.25, 0}, // OH
    {0, 0, 1, -0.5, 0.5},  // NO
    {0, 0, 1, -0.5, 1},    // N2O
    {1, 0, 0, 0, 0},       // CxHyOz (per call)
    {0, 0, 0, 0, 0},       // N2
};

struct StreamTotals {
  double demand = 0;  // O2 demand of everything but O2 [kmol/kg]
  double C = 0, H2 = 0, X = 0, N2 = 0;
};

// Moles per kilogram of a stream and their atom sums. The variable fuel
// species counts only in stream 1 (with its molar mass from y and z).
StreamTotals Totals(const TGasComposition& x, bool withFuel, double y, double z) {
  StreamTotals t;
  for (int s = 0; s < GasCount; ++s) {
    if (!(x[s] > kPresent)) continue;
    Atoms a = kAtoms[s];
    double M = kGasProperties[s].Molemass;
    if (s == gtCxHyOz) {
      if (!withFuel) continue;
      M = MolarMass_CxHyOz(y, z);
      a = {1, y / 2, z, 1 + y / 4 - z / 2, 0};
    }
    const double n = x[s] / M;
    if (s != gtO2) t.demand += a.D * n;
    t.C += a.C * n;
    t.H2 += a.H2 * n;
    t.X += (a.O - a.C) * n;
    t.N2 += a.N2 * n;
  }
  return t;
}

}  // namespace

bool ProdfromReact(double W1, double W2, double y, double z, const TGasComposition& x1, const TGasComposition& x2,
                   TGasComposition& xp) {
  xp = TGasComposition{};
  const StreamTotals t1 = Totals(x1, true, y, z), t2 = Totals(x2, false, y, z);
  auto M = [](TGas s) { return kGasProperties[s].Molemass; };

  // Excess oxygen [mass flow] and atom totals [kmol per unit time].
  const double O2ex = W1 * x1[gtO2] + W2 * x2[gtO2] - M(gtO2) * (W1 * t1.demand + W2 * t2.demand);
  const double Ctot = W1 * t1.C + W2 * t2.C;
  const double H2tot = W1 * t1.H2 + W2 * t2.H2;
  const double X = W1 * t1.X + W2 * t2.X;  // oxygen left when all carbon is CO
  const double N2tot = W1 * t1.N2 + W2 * t2.N2;

  if (O2ex > 0.0) {
    xp[gtO2] = O2ex;
    xp[gtCO2] = Ctot * M(gtCO2);
    xp[gtH2Og] = H2tot * M(gtH2Og);
  } else if (X < 0.0) {
    // Not even enough oxygen for carbon monoxide: the carbon left over binds hydrogen as methane.
    const double q = -X;
    xp[gtCH4] = q * M(gtCH4);
    xp[gtCO] = (Ctot - q) * M(gtCO);
    xp[gtH2] = (H2tot - 2 * q) * M(gtH2);
  } else if (Ctot + H2tot > 0.0) {
    // The oxygen beyond CO is shared between CO2 and H2O in proportion to carbon and hydrogen.
    const double f = X / (Ctot + H2tot);
    xp[gtCO2] = f * Ctot * M(gtCO2);
    xp[gtCO] = (1 - f) * Ctot * M(gtCO);
    xp[gtH2Og] = f * H2tot * M(gtH2Og);
    xp[gtH2] = (1 - f) * H2tot * M(gtH2);
  }
  // (Nothing burnable and no oxygen left: no products of combustion.)
  xp[gtAr] = W1 * x1[gtAr] + W2 * x2[gtAr];
  xp[gtN2] = W1 * x1[gtN2] + W2 * x2[gtN2] + M(gtN2) * N2tot;

  const double W = W1 + W2;
  for (double& v : xp) v /= W;
  return CheckComposition(xp, "procedure ProdFromReact");
}

}  // namespace vyr
