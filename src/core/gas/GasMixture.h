// Mixture sums of the property functions, and a composition prepared once
// for the many evaluations of an iteration. Both paths do the same
// arithmetic in the same order, so a prepared mixture returns exactly what
// FH, FCp, FS and RH return.
#pragma once

#include <cmath>

#include "GasKernels.h"

namespace vyr::detail {

inline int IntervalOf(double T) { return T > 1000.0 ? 1 : 0; }

/// Enthalpy row of the mixture for interval k [J/kg].
inline Row HRow(const TGasComposition& y, int k) {
  MixRow mix;
  VYR_UNROLL_SPECIES
  for (int i = 0; i < GasCount; ++i)
    if (y[i] > kPresent) mix.Add(y[i], kHRows[k][i]);
  return mix.Sum();
}

/// Sensible-enthalpy row: the enthalpy row without the variable fuel species.
inline Row RHRow(const TGasComposition& y, int k) {
  MixRow mix;
  VYR_UNROLL_SPECIES
  for (int i = 0; i < GasCount; ++i)
    if (i != gtCxHyOz && y[i] > kPresent) mix.Add(y[i], kHRows[k][i]);
  return mix.Sum();
}

/// Cp row without the variable fuel species (whose Cp is a run-time value),
/// with or without liquid water [J/(kg K)].
template <bool WithLiquid>
Row CpRow(const TGasComposition& y, int k) {
  MixRow mix;
  VYR_UNROLL_SPECIES
  for (int i = 0; i < GasCount; ++i) {
    if (!WithLiquid && i == gtH2Ol) continue;
    if (i != gtCxHyOz && y[i] > kPresent) mix.Add(y[i], kCpRows[k][i]);
  }
  return mix.Sum();
}

/// Cp sum at T from a Cp row, adding the variable fuel species' share.
inline double CpFromRow(double T, const Row& r, const TGasComposition& y, double cpFuel) {
  const double cp = CpPowers(T).Eval(r.c);
  return y[gtCxHyOz] > kPresent ? cp + y[gtCxHyOz] * cpFuel : cp;
}

/// The composition part of the entropy: moles per kilogram N, the liquid and
/// gas mole fractions and the mixing term sum x_i ln(x_i / x_g).
struct SComposition {
  double N = 0.0, xl = 0.0, xg = 1.0, mixing = 0.0;
};

/// Prepares the entropy of a composition and, in the same pass, the S°/R rows
/// (weighted by mole fraction) of the intervals asked for: interval k alone,
/// or both (rows[0] and rows[1]) with Both. The liquid adds its pure-substance entropy (its one
/// polynomial) without mixing or pressure terms.
template <bool Both>
SComposition PrepareS(const TGasComposition& y, int k, Row rows[2]) {
  SComposition c;
  std::array<double, GasCount> n;
  VYR_UNROLL_SPECIES
  for (int i = 0; i < GasCount; ++i) {
    n[i] = y[i] > kPresent ? y[i] * kInvMolemass[i] : 0.0;
    c.N += n[i];
  }
  if (c.N == 0.0) return c;  // nothing present
  const double invN = 1.0 / c.N;
  c.xl = n[gtH2Ol] * invN;
  c.xg = 1.0 - c.xl;
  const int first = Both ? 0 : k;
  MixRow mix0, mix1;
  VYR_UNROLL_SPECIES
  for (int i = 0; i < GasCount; ++i) {
    if (i == gtH2Ol) continue;
    const double x = n[i] * invN;
    if (x > kPresent) {
      mix0.Add(x, kSRows[first][i]);
      if (Both) mix1.Add(x, kSRows[1][i]);
      c.mixing += x * std::log(x / c.xg);
    }
  }
  if (c.xl != 0.0) {
    mix0.Add(c.xl, kSRows[0][gtH2Ol]);
    if (Both) mix1.Add(c.xl, kSRows[0][gtH2Ol]);
  }
  rows[0] = mix0.Sum();
  if (Both) rows[1] = mix1.Sum();
  return c;
}

/// Entropy [J/(kg K)] at (T, P) from the composition part and the row of T's interval.
inline double SFromRow(double T, double P, const Row& r, const SComposition& c) {
  if (c.N == 0.0) return 0.0;  // nothing present: no entropy
  const double s = SPowers(T).Eval(r.c) - c.mixing - c.xg * std::log(P / P_entropy_ref);
  return R_u * s * c.N;
}

/// A composition prepared for repeated evaluation of the properties asked for.
class PreparedMixture {
 public:
  enum : unsigned { kH = 1, kCp = 2, kS = 4, kRH = 8 };

  PreparedMixture(const TGasComposition& y, unsigned what) : y_(y) {
    for (int k = 0; k < 2; ++k) {
      if (what & kH) h_[k] = HRow(y, k);
      if (what & kCp) cp_[k] = CpRow<true>(y, k);
      if (what & kRH) rh_[k] = RHRow(y, k);
    }
    if (what & kS) s_ = PrepareS<true>(y, 0, srow_);
    if (what & kRH) rhRef_ = HPowers(T_ref).Eval(rh_[0].c);
  }

  double H(double T) const { return HPowers(T).Eval(h_[IntervalOf(T)].c); }
  double RH(double T) const { return HPowers(T).Eval(rh_[IntervalOf(T)].c) - rhRef_; }
  double Cp(double T) const { return CpFromRow(T, cp_[IntervalOf(T)], y_, Cp_CxHyOz); }
  double S(double T, double P) const { return SFromRow(T, P, srow_[IntervalOf(T)], s_); }

 private:
  const TGasComposition& y_;
  Row h_[2]{}, cp_[2]{}, rh_[2]{}, srow_[2]{};
  SComposition s_;
  double rhRef_ = 0.0;
};

}  // namespace vyr::detail
