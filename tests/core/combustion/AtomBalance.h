// Element amounts of a composition, for balance checks.
#pragma once

#include <array>
#include <cmath>

#include "VYRglobal.h"

namespace vyr::test {

struct Elements {
  double C = 0, H = 0, O = 0, N = 0;
};

// Atoms C, H, O, N per molecule of every species; the variable fuel species
// carries y hydrogen and z oxygen atoms per carbon.
inline Elements AtomsOf(int s, double y, double z) {
  static constexpr double kAtoms[GasCount][4] = {
      {1, 0, 2, 0}, {1, 0, 1, 0}, {0, 0, 2, 0}, {0, 0, 0, 0}, {0, 2, 1, 0}, {0, 2, 1, 0}, {0, 2, 0, 0},
      {1, 4, 0, 0}, {2, 6, 0, 0}, {2, 4, 0, 0}, {3, 8, 0, 0}, {4, 10, 0, 0}, {0, 0, 1, 0}, {0, 1, 0, 0},
      {0, 1, 1, 0}, {0, 0, 1, 1}, {0, 0, 1, 2}, {1, 0, 0, 0}, {0, 0, 0, 2}};
  if (s == gtCxHyOz) return {1, y, z, 0};
  return {kAtoms[s][0], kAtoms[s][1], kAtoms[s][2], kAtoms[s][3]};
}

// Element amounts per kilogram [kmol/kg] of a mass composition, normalised to a sum of 1.
inline Elements ElementsPerKg(const TGasComposition& mass, double y = 0, double z = 0) {
  double sum = 0;
  for (double v : mass) sum += v;
  Elements e;
  for (int s = 0; s < GasCount; ++s) {
    if (mass[s] <= 0) continue;
    const double M = s == gtCxHyOz ? MolarMass_CxHyOz(y, z) : GasProperties[s].Molemass;
    const double n = mass[s] / sum / M;
    const Elements a = AtomsOf(s, y, z);
    e.C += a.C * n;
    e.H += a.H * n;
    e.O += a.O * n;
    e.N += a.N * n;
  }
  return e;
}

// The share of each element in all atoms: independent of the mass basis, so
// it compares reactants and products even where the table's molar masses are
// not exact sums of atomic masses.
inline Elements AtomShares(const Elements& e) {
  const double all = e.C + e.H + e.O + e.N;
  return {e.C / all, e.H / all, e.O / all, e.N / all};
}

// Relative difference of the element shares (0 where an element is absent from both).
inline double WorstImbalance(const TGasComposition& reactants, double y, double z, const TGasComposition& products) {
  const Elements a = AtomShares(ElementsPerKg(reactants, y, z)), b = AtomShares(ElementsPerKg(products));
  double worst = 0;
  const double pa[] = {a.C, a.H, a.O, a.N}, pb[] = {b.C, b.H, b.O, b.N};
  for (int k = 0; k < 4; ++k) {
    if (pa[k] == 0 && pb[k] == 0) continue;
    const double d = std::fabs(pb[k] - pa[k]) / pa[k];
    if (!(d <= worst)) worst = d;  // NaN counts as worst
  }
  return worst;
}

// Reactants: fuel (the variable species with ratio y, or methane) in air at a fuel-air ratio.
inline TGasComposition FuelInAir(bool kerosene, double far) {
  const TGasComposition fuel = kerosene ? CxHyOz : CH4;
  TGasComposition r = MixGasComposition(Air, fuel, 1.0, far);
  double sum = 0;
  for (double v : r) sum += v;
  for (double& v : r) v /= sum;
  return r;
}

}  // namespace vyr::test
