// Mixture viscosity by Wilke's rule:
//   mu = sum_i x_i mu_i / (x_i + sum_{j != i} phi_ij x_j),
//   phi_ij = (1 + sqrt(mu_i / mu_j) (M_j / M_i)^(1/4))^2 / sqrt(8 (1 + M_i / M_j)).
// Species fits: ln(mu [micropoise]) = A ln T + B / T + C / T^2 + D.
#include "Transport.h"

#include <cmath>

#include "GasKernels.h"
#include "GasProperties.h"

namespace vyr {

using detail::kGasProperties;
using detail::kPresent;

double ViscosityPerSpecie(double T, const TVisCoefArray& c) {
  return std::exp(c[0] * std::log(T) + c[1] / T + c[2] / (T * T) + c[3]);
}

double PhiIJ(double Mi, double Mj, double MuI, double MuJ) {
  const double a = 1.0 + std::sqrt(MuI / MuJ) * std::sqrt(std::sqrt(Mj / Mi));
  return a * a * 0.25 * std::sqrt(2.0 * Mj / (Mi + Mj));
}

namespace {

// The molar-mass factors of phi_ij for every pair of species:
// (M_j / M_i)^(1/4) and 0.25 sqrt(2 M_j / (M_i + M_j)), formed as PhiIJ forms them.
struct PairFactors {
  double root4[GasCount][GasCount];
  double scale[GasCount][GasCount];
};

const PairFactors& Pairs() {
  static const PairFactors table = [] {
    PairFactors t{};
    for (int i = 0; i < GasCount; ++i) {
      for (int j = 0; j < GasCount; ++j) {
        const double Mi = kGasProperties[i].Molemass, Mj = kGasProperties[j].Molemass;
        t.root4[i][j] = std::sqrt(std::sqrt(Mj / Mi));
        t.scale[i][j] = 0.25 * std::sqrt(2.0 * Mj / (Mi + Mj));
      }
    }
    return t;
  }();
  return table;
}

}  // namespace

double DynViscosity_Mu(double T, const TGasComposition& y) {
  if (y[gtH2Ol] > 0.999999999999999) return 0.0;
  TGasComposition x = MoleComposition(y, 1.0);
  if (x[gtH2Ol] > kPresent) {
    // Fractions relative to the gas phase; the liquid keeps its share on that scale.
    const double g = 1.0 - x[gtH2Ol];
    for (double& v : x) v /= g;
  }
  // Present species only, with their viscosities at T. Exactly 1000 K takes the upper fits.
  int idx[GasCount];
  double mu[GasCount];
  int n = 0;
  const double lnT = std::log(T), invT = 1.0 / T;
  const bool upper = !(T < 1000.0);
  for (int i = 0; i < GasCount; ++i) {
    if (x[i] > kPresent) {
      const TVisCoefArray& c = upper ? kGasProperties[i].VisCoefs_above1000 : kGasProperties[i].VisCoefs_below1000;
      idx[n] = i;
      mu[n] = std::exp(c[0] * lnT + c[1] * invT + c[2] * invT * invT + c[3]);
      ++n;
    }
  }
  const PairFactors& pf = Pairs();
  double sum = 0.0;
  for (int a = 0; a < n; ++a) {
    const int i = idx[a];
    double denom = x[i];
    for (int b = 0; b < n; ++b) {
      if (b == a) continue;
      const int j = idx[b];
      // PhiIJ(M_i, M_j, mu_i, mu_j) with its molar-mass factors from the table.
      const double f = 1.0 + std::sqrt(mu[a] / mu[b]) * pf.root4[i][j];
      denom += f * f * pf.scale[i][j] * x[j];
    }
    sum += 1e-7 * x[i] * mu[a] / denom;  // micropoise to Pa s
  }
  return sum;
}

double ReynoldsNumberIndex(double P, double T, const TGasComposition& y) {
  // Viscosity of standard air at 288.15 K [Pa s], the reference of the index.
  constexpr double kMuStd = 1.7977237926E-5;
  const double mu = DynViscosity_Mu(T, y);
  if (mu < 1e-15) return 0.0;
  return kMuStd * (P / P_slst) * std::sqrt((R_st * T_slst / FR(y)) / T) / mu;
}

}  // namespace vyr
