#include "GasProperties.h"

#include <cmath>
#include <string>

#include "GasKernels.h"
#include "GasMixture.h"
#include "Messages.h"
#include "SysUtils.h"

namespace vyr {

using detail::kGasProperties;
using detail::kPresent;
using detail::kRoverM;

double FCpPerSpecie(double T, const TGasProperties& p) {
  // The Cp row of a species is its coefficients a1..a8 as they stand.
  return (R_u / p.Molemass) * detail::CpPowers(T).Eval(detail::Interval(p, T).data());
}

double EnthalpyPerSpecie(double T, const TGasProperties& p) {
  const TGasCoefArray& c = detail::Interval(p, T);
  const double T2 = T * T, T3 = T2 * T, T4 = T2 * T2;
  return (R_u / p.Molemass) * (-c[0] / T + c[1] * std::log(T) + c[2] * T + c[3] * T2 / 2.0 + c[4] * T3 / 3.0 +
                               c[5] * T4 / 4.0 + c[6] * T4 * T / 5.0 + c[7] * T3 * T3 / 6.0 + c[8]);
}

double EnthalpyChange(double T1, double T2, const TGasProperties& p) {
  return EnthalpyPerSpecie(T1, p) - EnthalpyPerSpecie(T2, p);
}

double FSperSpecie(double T, const TGasCoefArray& c) {
  const double T2 = T * T, T3 = T2 * T, T4 = T2 * T2;
  return -c[0] / (2.0 * T2) - c[1] / T + c[2] * std::log(T) + c[3] * T + c[4] * T2 / 2.0 + c[5] * T3 / 3.0 +
         c[6] * T4 / 4.0 + c[7] * T4 * T / 5.0 + c[9];
}

// The mixture functions sum the prepared rows of the present species,
// weighted by their fractions, and evaluate the sum once: the same sum as
// adding the species values, with the powers of T formed once per call.

double FH(double T, const TGasComposition& y) {
  return detail::HPowers(T).Eval(detail::HRow(y, detail::IntervalOf(T)).c);
}

double FCp(double T, const TGasComposition& y) {
  return detail::CpFromRow(T, detail::CpRow<true>(y, detail::IntervalOf(T)), y, Cp_CxHyOz);
}

double FCp_gas(double T, const TGasComposition& y) {
  return detail::CpFromRow(T, detail::CpRow<false>(y, detail::IntervalOf(T)), y, Cp_CxHyOz) / (1.0 - y[gtH2Ol]);
}

double FR(const TGasComposition& y) {
  if (!(y[gtH2Ol] <= 0.999999999999999)) return 0.0;
  double n = 0.0;
  for (int i = 0; i < GasCount; ++i)
    if (i != gtH2Ol && y[i] > kPresent) n += y[i] * detail::kInvMolemass[i];
  return R_u * n / (1.0 - y[gtH2Ol]);
}

double FGm(double T, const TGasComposition& y) {
  const double cp = FCp_gas(T, y);
  if (std::fabs(cp) <= 1e-15) return 0.0;
  return cp / (cp - FR(y));
}

double FCs(double T, const TGasComposition& y) { return std::sqrt(FGm(T, y) * FR(y) * T); }

double FS(double T, double P, const TGasComposition& y) {
  detail::Row row[2];
  const detail::SComposition c = detail::PrepareS<false>(y, detail::IntervalOf(T), row);
  return detail::SFromRow(T, P, row[0], c);
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
