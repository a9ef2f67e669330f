#include "GasProperties.h"

#include <cmath>
#include <string>

#include "GasKernels.h"
#include "Messages.h"
#include "SysUtils.h"

namespace vyr {

using detail::kGasProperties;
using detail::kPresent;
using detail::kRoverM;

double FCpPerSpecie(double T, const TGasProperties& p) {
  return (R_u / p.Molemass) * detail::CpPowers(T).CpR(detail::Interval(p, T).data());
}

double EnthalpyPerSpecie(double T, const TGasProperties& p) {
  return (R_u / p.Molemass) * detail::HPowers(T).HR(detail::Interval(p, T).data());
}

double EnthalpyChange(double T1, double T2, const TGasProperties& p) {
  return EnthalpyPerSpecie(T1, p) - EnthalpyPerSpecie(T2, p);
}

double FSperSpecie(double T, const TGasCoefArray& c) { return detail::SPowers(T).SR(c.data()); }

// The mixture functions weight each present species' coefficient row by
// y_i R_u / M_i and evaluate the summed row once: the same sum as adding the
// species values, with the powers of T formed once per call.

double FH(double T, const TGasComposition& y) {
  const bool above = T > 1000.0;
  detail::MixRow mix;
  for (int i = 0; i < GasCount; ++i) {
    if (y[i] > kPresent) {
      const TGasProperties& p = kGasProperties[i];
      mix.Add(y[i] * kRoverM[i], above ? p.Coefs_above1000 : p.Coefs_below1000);
    }
  }
  return detail::HPowers(T).HR(mix.a);
}

namespace {

// Sum of y_i cp_i over the present species, optionally without liquid water.
// The variable fuel species takes its specific heat from Cp_CxHyOz.
template <bool WithLiquid>
double CpSum(double T, const TGasComposition& y) {
  const bool above = T > 1000.0;
  detail::MixRow mix;
  for (int i = 0; i < GasCount; ++i) {
    if (!WithLiquid && i == gtH2Ol) continue;
    if (i != gtCxHyOz && y[i] > kPresent) {
      const TGasProperties& p = kGasProperties[i];
      mix.Add(y[i] * kRoverM[i], above ? p.Coefs_above1000 : p.Coefs_below1000);
    }
  }
  const double cp = detail::CpPowers(T).CpR(mix.a);
  return y[gtCxHyOz] > kPresent ? cp + y[gtCxHyOz] * Cp_CxHyOz : cp;
}

}  // namespace

double FCp(double T, const TGasComposition& y) { return CpSum<true>(T, y); }

double FCp_gas(double T, const TGasComposition& y) { return CpSum<false>(T, y) / (1.0 - y[gtH2Ol]); }

double FR(const TGasComposition& y) {
  if (!(y[gtH2Ol] <= 0.999999999999999)) return 0.0;
  double n = 0.0;
  for (int i = 0; i < GasCount; ++i)
    if (i != gtH2Ol && y[i] > kPresent) n += y[i] / kGasProperties[i].Molemass;
  return R_u * n / (1.0 - y[gtH2Ol]);
}

double FGm(double T, const TGasComposition& y) {
  const double cp = FCp_gas(T, y);
  if (std::fabs(cp) <= 1e-15) return 0.0;
  return cp / (cp - FR(y));
}

double FCs(double T, const TGasComposition& y) { return std::sqrt(FGm(T, y) * FR(y) * T); }

double FS(double T, double P, const TGasComposition& y) {
  // Moles per kilogram of every present species, liquid water included.
  std::array<double, GasCount> n;
  double N = 0.0;
  for (int i = 0; i < GasCount; ++i) {
    n[i] = y[i] > kPresent ? y[i] / kGasProperties[i].Molemass : 0.0;
    N += n[i];
  }
  if (N == 0.0) return 0.0;  // nothing present: no entropy

  const bool above = T > 1000.0;
  const double xl = n[gtH2Ol] / N;
  const double xg = 1.0 - xl;
  detail::MixRow mix;  // species terms, weighted by mole fraction
  double mixing = 0.0;  // sum of x_i ln(x_i / x_g)
  for (int i = 0; i < GasCount; ++i) {
    if (i == gtH2Ol) continue;
    const double x = n[i] / N;
    if (x > kPresent) {
      const TGasProperties& p = kGasProperties[i];
      mix.Add(x, above ? p.Coefs_above1000 : p.Coefs_below1000);
      mixing += x * std::log(x / xg);
    }
  }
  const detail::SPowers pw(T);
  double s = pw.SR(mix.a) - mixing;
  s -= xg * std::log(P / P_entropy_ref);
  // The liquid adds its pure-substance entropy, without mixing or pressure terms.
  if (xl != 0.0) s += xl * pw.SR(kGasProperties[gtH2Ol].Coefs_below1000.data());
  return R_u * s * N;
}

double FHv(double T) {
  static constexpr double h[9] = {43227630.0,    -278.2402,     -4.6061438,      0.0062231363,  -6.0811655E-6,
                                  3.6939336E-9, -1.3457137E-12, 2.7110868E-16, -2.3271075E-20};
  double v = h[8];
  for (int k = 7; k >= 0; --k) v = v * T + h[k];
  return v + 0.0;
}

namespace {

double MolemassOf(int i, double MolemassCxHyOz) {
  return i == gtCxHyOz ? MolemassCxHyOz : kGasProperties[i].Molemass;
}

// Scales every element by 1/sum; a zero sum (nothing present) gives all zeros.
TGasComposition Normalised(TGasComposition v, double sum) {
  if (sum == 0.0) return TGasComposition{};
  for (double& x : v) x /= sum;
  return v;
}

}  // namespace

TGasComposition MoleComposition(const TGasComposition& y, double MolemassCxHyOz) {
  TGasComposition n{};
  double sum = 0.0;
  for (int i = 0; i < GasCount; ++i) {
    if (y[i] > kPresent) {
      n[i] = y[i] / MolemassOf(i, MolemassCxHyOz);
      sum += n[i];
    }
  }
  return Normalised(n, sum);
}

TGasComposition VolumeComposition(const TGasComposition& y, double MolemassCxHyOz) {
  TGasComposition n{};
  double sumGas = 0.0;
  for (int i = 0; i < GasCount; ++i) {
    if (y[i] > kPresent) {
      n[i] = y[i] / MolemassOf(i, MolemassCxHyOz);
      if (i != gtH2Ol) sumGas += n[i];
    }
  }
  if (std::fabs(sumGas) <= 1e-15) return TGasComposition{};
  return Normalised(n, sumGas);
}

TGasComposition MassComposition(const TGasComposition& x, double MolemassCxHyOz) {
  TGasComposition m{};
  double sum = 0.0;
  for (int i = 0; i < GasCount; ++i) {
    if (x[i] > kPresent) {
      m[i] = x[i] * MolemassOf(i, MolemassCxHyOz);
      sum += m[i];
    }
  }
  return Normalised(m, sum);
}

TGasComposition MixGasComposition(const TGasComposition& C1, const TGasComposition& C2, double w1, double w2) {
  // Two streams without any weight: the plain mean is the only sensible mix.
  if (w1 + w2 == 0.0) w1 = w2 = 1.0;
  TGasComposition r;
  for (int i = 0; i < GasCount; ++i) r[i] = (w1 * C1[i] + w2 * C2[i]) / (w1 + w2);
  return r;
}

TGasconditions AvgGasCondition(const TGasconditions& GC1, const TGasconditions& GC2) {
  TGasconditions r = GC1;
  r.Composition = MixGasComposition(GC1.Composition, GC2.Composition, 1.0, 1.0);
  r.Tt = (GC1.Tt + GC2.Tt) / 2.0;
  r.H = FH(r.Tt, r.Composition);
  r.Pt = (GC1.Pt + GC2.Pt) / 2.0;
  r.W = (GC1.W + GC2.W) / 2.0;
  return r;
}

bool CheckComposition(const TGasComposition& y, std::string_view CallerID) {
  double sum = 0.0;
  for (int i = 0; i < GasCount; ++i) {
    sum += y[i];
    if (y[i] < -1e-15) {
      MessageDlg(std::string(GasNames[i]) + " concentration (" + FloatToStr(y[i]) + ")<0 in " +
                     std::string(CallerID),
                 mtError, {mbOK, mbHelp}, 85514);
      return false;
    }
  }
  // Written so that a NaN sum fails the test as well.
  if (!(std::fabs(sum - 1.0) <= 1e-4)) {
    MessageDlg("Composition sum (" + FloatToStr(sum) + ") in " + std::string(CallerID) + " not 1 !", mtError,
               {mbOK, mbHelp}, 85515);
    return false;
  }
  return true;
}

bool Composition_is_Empty(const TGasComposition& y) {
  double sum = 0.0;
  for (double v : y) sum += v;
  return sum < 1e-15;
}

}  // namespace vyr
