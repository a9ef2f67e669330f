#include "Processes.h"

#include <cmath>

#include "GasIterations.h"
#include "GasProperties.h"
#include "Transport.h"

namespace vyr {

namespace {

// Polytropic end state from its entropy: GetTfromS shows its own message on
// failure and its last iterate is used; only an unusable (non-finite)
// temperature ends the process with false.
bool EndStateFromEntropy(TGasconditions& GCout, double tol, std::string_view CallerID) {
  GetTfromS(GCout.S, GCout.Pt, GCout.Composition, tol, GCout.Tt, CallerID);
  if (!std::isfinite(GCout.Tt)) return false;
  GCout.S = FS(GCout.Tt, GCout.Pt, GCout.Composition);
  GCout.H = FH(GCout.Tt, GCout.Composition);
  return true;
}

// No pressure change: the outlet is the inlet state. Both efficiencies are
// 0/0 there; the given one is kept and the other takes its value (their
// common limit as PR goes to 1).
void OutletIsInlet(const TGasconditions& GCin, bool Polytropic, double& Eff, double& EffPoly, TGasconditions& GCout) {
  GCout.Ttis = GCout.Tt = GCin.Tt;
  GCout.His = GCout.H = GCin.H;
  GCout.S = GCin.S;
  if (Polytropic)
    Eff = EffPoly;
  else
    EffPoly = Eff;
}

bool NoPressureChange(double PR) { return std::fabs(PR - 1.0) < 1e-15; }

// Near PR = 1 the efficiency that is computed is a quotient of two small
// differences of iterated states (enthalpies or entropies): their iteration
// errors swamp it. Below this |ln PR| the first-order expansion in ln PR of
// the relation between the two efficiencies is used instead; its neglected
// second-order term, (ln PR R/cp)^2, is below 1e-7 there.
constexpr double kSmallLogPR = 1e-3;

// First-order relation between isentropic and polytropic efficiency for a
// small pressure change, with k = R/cp at the inlet and x = ln PR > 0 taken
// in the direction of the process (PR of a compressor, of a turbine alike):
//   compressor  eta_is = eta_p + (k x / 2) (eta_p - 1)
//   turbine     eta_is = eta_p + (k x / 2) (1 - eta_p) eta_p
// (from eta_is = (PR^k - 1)/(PR^(k/eta_p) - 1) and
// (1 - PR^(-k eta_p))/(1 - PR^(-k)) of a gas of constant cp).
// Both tend to eta_p as x goes to 0, so the result is continuous at PR = 1.
double SmallStepFactor(const TGasconditions& GCin, double R, double lnPR) {
  const double cp = FCp(GCin.Tt, GCin.Composition);
  return cp > 0.0 ? 0.5 * lnPR * R / cp : 0.0;
}

double IsentropicFromPolytropic(bool turbine, double EffPoly, double c) {
  return turbine ? EffPoly + c * (1.0 - EffPoly) * EffPoly : EffPoly + c * (EffPoly - 1.0);
}

// A given efficiency in (0, 1] implies the other in (0, 1] as well (no
// process creates work from nothing); the iteration noise of the end states
// must not carry an ideal machine's other efficiency past 1.
double NoMoreThanIdeal(double given, double other) { return given > 0.0 && given <= 1.0 && other > 1.0 ? 1.0 : other; }

// The inverse of IsentropicFromPolytropic to the same (first) order.
double PolytropicFromIsentropic(bool turbine, double Eff, double c) {
  return turbine ? Eff - c * (1.0 - Eff) * Eff : Eff - c * (Eff - 1.0);
}

}  // namespace

bool Compression(TGasconditions& GCin, double PR, double tol, bool Polytropic, std::string_view CallerID,
                 double& Eff, double& EffPoly, TGasconditions& GCout) {
  GCin.S = FS(GCin.Tt, GCin.Pt, GCin.Composition);
  GCout.Pt = PR * GCin.Pt;
  GCout.FARat = GCin.FARat;
  GCout.Composition = GCin.Composition;
  const TGasComposition& y = GCout.Composition;

  if (NoPressureChange(PR)) {
    OutletIsInlet(GCin, Polytropic, Eff, EffPoly, GCout);
    return true;
  }

  if (!GetTis(GCin.Pt, GCin.Tt, GCout.Pt, y, tol, GCout.Ttis, CallerID)) return false;
  GCout.His = FH(GCout.Ttis, y);
  const double R = FR(y);
  if (!Polytropic) {
    GCout.H = GCin.H + (GCout.His - GCin.H) / Eff;
    if (!GetT(GCout.H, y, tol, GCout.Tt, CallerID)) return false;
    GCout.S = FS(GCout.Tt, GCout.Pt, y);
    if (std::fabs(std::log(PR)) < kSmallLogPR)
      EffPoly = PolytropicFromIsentropic(false, Eff, SmallStepFactor(GCin, R, std::log(PR)));
    else
      EffPoly = NoMoreThanIdeal(Eff, 1.0 / (1.0 + (GCout.S - GCin.S) / (std::log(PR) * R)));
  } else {
    GCout.S = GCin.S + std::log(PR) * R * (1.0 / EffPoly - 1.0);
    if (!EndStateFromEntropy(GCout, tol, CallerID)) return false;
    if (std::fabs(std::log(PR)) < kSmallLogPR)
      Eff = IsentropicFromPolytropic(false, EffPoly, SmallStepFactor(GCin, R, std::log(PR)));
    else
      Eff = NoMoreThanIdeal(EffPoly, (GCout.His - GCin.H) / (GCout.H - GCin.H));
  }
  return true;
}

bool TurbineExpansion_PR(TGasconditions& GCin, double PR, double tol, bool Polytropic, std::string_view CallerID,
                         double& Eff, double& EffPoly, TGasconditions& GCout) {
  GCin.S = FS(GCin.Tt, GCin.Pt, GCin.Composition);
  GCout.Pt = GCin.Pt / PR;
  GCout.FARat = GCin.FARat;
  GCout.Composition = GCin.Composition;
  const TGasComposition& y = GCout.Composition;

  // Without a pressure drop ln PR and the enthalpy drop are zero, and either
  // efficiency is 0/0: the outlet is the inlet, as in Compression.
  if (NoPressureChange(PR)) {
    OutletIsInlet(GCin, Polytropic, Eff, EffPoly, GCout);
    return true;
  }

  if (!GetTis(GCin.Pt, GCin.Tt, GCout.Pt, y, tol, GCout.Ttis, CallerID)) return false;
  GCout.His = FH(GCout.Ttis, y);
  const double R = FR(y);
  if (!Polytropic) {
    GCout.H = GCin.H - (GCin.H - GCout.His) * Eff;
    if (!GetT(GCout.H, y, tol, GCout.Tt, CallerID)) return false;
    GCout.S = FS(GCout.Tt, GCout.Pt, y);
    if (std::fabs(std::log(PR)) < kSmallLogPR)
      EffPoly = PolytropicFromIsentropic(true, Eff, SmallStepFactor(GCin, R, std::log(PR)));
    else
      EffPoly = NoMoreThanIdeal(Eff, 1.0 + (GCin.S - GCout.S) / (std::log(PR) * R));
  } else {
    GCout.S = GCin.S - (EffPoly - 1.0) * std::log(PR) * R;
    if (!EndStateFromEntropy(GCout, tol, CallerID)) return false;
    if (std::fabs(std::log(PR)) < kSmallLogPR)
      Eff = IsentropicFromPolytropic(true, EffPoly, SmallStepFactor(GCin, R, std::log(PR)));
    else
      Eff = NoMoreThanIdeal(EffPoly, (GCin.H - GCout.H) / (GCin.H - GCout.His));
  }
  return true;
}

namespace {

// Velocity from the enthalpy drop, negative when the static enthalpy exceeds the total.
double VelocityFromDrop(double Ht, double Hs) {
  const double V = std::sqrt(2.0 * std::fabs(Ht - Hs));
  return Hs > Ht ? -V : V;
}

}  // namespace

bool Expansion(double Ht, double Pt, double Tt, double Ps, const TGasComposition& y, double tol, double& Ts,
               double& Hs, double& Mach, double& V, std::string_view CallerID) {
  if (!GetTis(Pt, Tt, Ps, y, tol, Ts, CallerID)) return false;
  Hs = FH(Ts, y);
  V = VelocityFromDrop(Ht, Hs);
  Mach = V / FCs(Ts, y);
  return true;
}

bool Expansion_to_Ts(double Ht, double Pt, double Tt, double R, double A, double Ts, const TGasComposition& y,
                     double tol, double& Ps, double& Hs, double& V, double& W, std::string_view CallerID) {
  if (!GetPis(Pt, Tt, Ts, y, tol, Ps, CallerID)) return false;
  Hs = FH(Ts, y);
  V = VelocityFromDrop(Ht, Hs);
  W = A * V * Ps / (R * Ts);
  return true;
}

void CalcCorrectionFactors(TGasconditions& GC, bool GammaCorrection) {
  GC.RTtheta = std::sqrt(GC.Tt / T_slst);
  GC.Delta = GC.Pt / P_slst;
  GC.FlowCorrectionFactor = GC.RTtheta / GC.Delta;
  GC.RotorspeedCorrectionFactor = GC.RTtheta;
  if (GammaCorrection) {
    const double gamma = FGm(GC.Tt, GC.Composition);
    const double R = FR(GC.Composition);
    GC.FlowCorrectionFactor *= std::sqrt(R * gamma_st / R_st / gamma);
    GC.RotorspeedCorrectionFactor *= std::sqrt(R * gamma / R_st / gamma_st);
  }
  GC.RNI = ReynoldsNumberIndex(GC.Pt, GC.Tt, GC.Composition);
}

void CalcCorrectionParameters(TGasconditions& GC, bool GammaCorrection) {
  CalcCorrectionFactors(GC, GammaCorrection);
  GC.Wgas = (1.0 - GC.Composition[gtH2Ol]) * GC.W;
  GC.Wc = GC.W * GC.FlowCorrectionFactor;
  GC.Wgasc = GC.Wgas * GC.FlowCorrectionFactor;
}

}  // namespace vyr
