#include "GasIterations.h"

#include <cmath>
#include <string>

#include "GasKernels.h"
#include "GasMixture.h"
#include "GasProperties.h"
#include "Messages.h"
#include "SysUtils.h"

namespace vyr {

namespace detail {

void IllegalValue(const char* what, double value, std::string_view CallerID) {
  MessageDlg(Format(std::string("Illegal value for ") + what + " (=%g)" + sLineBreak + "in %s", {value, CallerID}),
             mtError, {mbOK}, 0);
}

}  // namespace detail

namespace {

constexpr double kTlow = T_itermin;   // lower start point and clamp [K]
constexpr double kThigh = T_itermax;  // upper clamp [K]
constexpr double kTstart = 2070.0;  // second start point of the secant [K]
constexpr int kSecantPasses = 121;
constexpr int kNewtonPasses = 26;

void NoConvergence(const char* routine, std::string_view CallerID) {
  MessageDlg(std::string("No convergence in ") + routine + " iteration in" + sLineBreak + std::string(CallerID),
             mtError, {mbOK, mbHelp}, 81401);
}

using detail::RelativeResidual;

// Secant method from the fixed start pair 150 K / 2070 K. F is evaluated at
// most 2 + 121 times; f150 is F(150) when the caller already has it.
template <class Fn>
bool Secant(Fn&& F, double X, double f150, double tol, double& T, const char* routine,
            std::string_view CallerID) {
  double Ta = kTlow, fa = f150 - X;
  double Tb = kTstart, fb = F(kTstart) - X;
  double Tn = Ta, fn = fa;
  int count = 0;
  bool converged = false;
  while (!converged && count < kSecantPasses) {
    ++count;
    Tn = Ta - (Ta - Tb) * fa / (fa - fb);
    fn = F(Tn) - X;
    T = Tn;
    Tb = Ta;
    fb = fa;
    Ta = Tn;
    fa = fn;
    converged = std::isfinite(Tn) && (RelativeResidual(fn, X) < 0.01 * tol || std::fabs(Tn - Tb) < 10.0 * tol);
  }
  if (converged && count < kSecantPasses) return true;
  if (std::isfinite(Tn) && (RelativeResidual(fn, X) <= 1e-4 || std::fabs(Tn - Tb) <= 1.0)) return true;
  NoConvergence(routine, CallerID);
  return false;
}

// Clamp of the enthalpy inversions to [150, 3000] K, then the secant method.
// An enthalpy that does not rise with temperature (a composition without any
// species) has no temperature to find: that is a failure, not a clamp.
template <class Fn>
bool ClampedSecant(Fn&& F, double X, double tol, double& T, const char* routine, std::string_view CallerID) {
  const double f150 = F(kTlow);
  const double f3000 = F(kThigh);
  if (!(f3000 > f150)) {
    NoConvergence(routine, CallerID);
    return false;
  }
  if (X < f150) {
    T = kTlow;
    return true;
  }
  if (X > f3000) {
    T = kThigh;
    return true;
  }
  return Secant(F, X, f150, tol, T, routine, CallerID);
}

}  // namespace

// The iterations evaluate one composition many times: it is prepared once
// (same values as the property functions, less work per evaluation).
using detail::PreparedMixture;

bool GetT(double H, const TGasComposition& y, double tol, double& T, std::string_view CallerID) {
  const PreparedMixture m(y, PreparedMixture::kH);
  return ClampedSecant([&m](double t) { return m.H(t); }, H, tol, T, "GetT", CallerID);
}

bool GetTfromRH(double RHtarget, const TGasComposition& y, double tol, double& T, std::string_view CallerID) {
  const PreparedMixture m(y, PreparedMixture::kRH);
  return ClampedSecant([&m](double t) { return m.RH(t); }, RHtarget, tol, T, "GetTfromRH", CallerID);
}

bool GetTfromS(double S, double P, const TGasComposition& y, double tol, double& T, std::string_view CallerID) {
  const PreparedMixture m(y, PreparedMixture::kS);
  auto F = [&m, P](double t) { return m.S(t, P); };
  return Secant(F, S, F(kTlow), tol, T, "GetTfromS", CallerID);
}

bool GetTis(double P1, double T1, double P2, const TGasComposition& y, double tol, double& Tis,
            std::string_view CallerID) {
  const PreparedMixture m(y, PreparedMixture::kS | PreparedMixture::kCp);
  const double S1 = m.S(T1, P1);
  double t = T1 * std::pow(P2 / P1, 0.25);
  double dS = 0.0;
  int passedAt = 0;
  for (int pass = 1; pass <= kNewtonPasses; ++pass) {
    const double S2 = m.S(t, P2);
    dS = S1 - S2;
    t *= std::exp(dS / m.Cp(t));
    // A zero entropy sum (an empty gas) would pass on 0/0; a non-finite
    // iterate never counts as converged.
    if (std::isfinite(t) && RelativeResidual(dS, S1 + S2) < 0.01 * tol) {
      passedAt = pass;
      break;
    }
  }
  if (passedAt > 0 && passedAt < kNewtonPasses) {
    Tis = t;
    return true;
  }
  // Written so that a NaN residual fails as well.
  if (!std::isfinite(t) || !(std::fabs(dS) < 1e-4 * S1)) {
    NoConvergence("GetTis", CallerID);
    return false;
  }
  // Close enough: finish with a linear step between 0.99 and 1.01 of the last iterate.
  const double Ta = 0.99 * t, Tb = 1.01 * t;
  const double Sa = m.S(Ta, P2), Sb = m.S(Tb, P2);
  Tis = Ta + 0.02 * t * (S1 - Sa) / (Sb - Sa);
  return true;
}

bool GetPis(double P1, double T1, double T2, const TGasComposition& y, double tol, double& P2,
            std::string_view CallerID) {
  // A pressure or temperature that is no positive number has no entropy:
  // refused by name rather than left to fail the iteration.
  if (!(P1 > 0.0 && std::isfinite(P1))) {
    detail::IllegalValue("pressure", P1, CallerID);
    return false;
  }
  if (!(T1 > 0.0 && std::isfinite(T1)) || !(T2 > 0.0 && std::isfinite(T2))) {
    detail::IllegalValue("temperature", std::isfinite(T1) && T1 > 0.0 ? T2 : T1, CallerID);
    return false;
  }
  const PreparedMixture m(y, PreparedMixture::kS);
  const double S1 = m.S(T1, P1);
  const double R = FR(y);
  double p = P1 * std::pow(T2 / T1, 4.0);
  P2 = p;
  for (int pass = 1; pass <= kNewtonPasses; ++pass) {
    const double S2 = m.S(T2, p);
    const double dS = S2 - S1;
    p *= std::exp(dS / R);
    P2 = p;
    if (std::isfinite(p) && RelativeResidual(dS, S2 + S1) < 0.01 * tol) {
      if (pass < kNewtonPasses) return true;
      break;
    }
  }
  NoConvergence("GetPis", CallerID);
  return false;
}

}  // namespace vyr
