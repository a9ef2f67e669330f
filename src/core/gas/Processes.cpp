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
// errors swamp it (1e-5 at |ln PR| = 1e-3 with tol = 1e-6, nonsense below).
// Below this |ln PR| the relation between the two efficiencies of a gas of
// constant cp is used instead; over the small temperature change there the
// variation of cp changes it by less than 1e-7.
constexpr double kSmallLogPR = 1e-2;

// Isentropic exponent k = R/cp of the small step, cp at the mean of the inlet
// and outlet temperatures.
double SmallStepExponent(const TGasconditions& GCin, const TGasconditions& GCout, double R) {
  const double cp = FCp(0.5 * (GCin.Tt + GCout.Tt), GCin.Composition);
  return cp > 0.0 ? R / cp : 0.0;
}

// Constant-cp relations with a = k ln PR (PR taken in the direction of the
// process, above 1 for a compressor and a turbine alike):
//   compressor  eta_is = (PR^k - 1) / (PR^(k/eta_p) - 1)
//   turbine     eta_is = (1 - PR^(-k eta_p)) / (1 - PR^(-k))
// written with expm1/log1p so that they hold down to PR = 1, where both
// efficiencies become equal (the result is continuous there).
double IsentropicFromPolytropic(bool turbine, double EffPoly, double a) {
  if (a == 0.0) return EffPoly;
  return turbine ? std::expm1(-a * EffPoly) / std::expm1(-a) : std::expm1(a) / std::expm1(a / EffPoly);
}

double PolytropicFromIsentropic(bool turbine, double Eff, double a) {
  if (a == 0.0) return Eff;
  return turbine ? -std::log1p(Eff * std::expm1(-a)) / a : a / std::log1p(std::expm1(a) / Eff);
}

// A given efficiency in (0, 1] implies the other in (0, 1] as well (no
// process creates work from nothing); the iteration noise of the end states
// must not carry an ideal machine's other efficiency past 1.
double NoMoreThanIdeal(double given, double other) {
  return given > 0.0 && given <= 1.0 && other > 1.0 ? 1.0 : other;
}

// The efficiency that is not given: fromStates (from the end states) or,
// within kSmallLogPR of PR = 1, the constant-cp relation.
double OtherEfficiency(bool turbine, bool givenPolytropic, double given, double fromStates, double lnPR,
                       const TGasconditions& GCin, const TGasconditions& GCout, double R) {
  double other = fromStates;
  if (std::fabs(lnPR) < kSmallLogPR) {
    const double a = SmallStepExponent(GCin, GCout, R) * lnPR;
    other = givenPolytropic ? IsentropicFromPolytropic(turbine, given, a) : PolytropicFromIsentropic(turbine, given, a);
  }
  return NoMoreThanIdeal(given, other);
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
  const double lnPR = std::log(PR);
  if (!Polytropic) {
    GCout.H = GCin.H + (GCout.His - GCin.H) / Eff;
    if (!GetT(GCout.H, y, tol, GCout.Tt, CallerID)) return false;
    GCout.S = FS(GCout.Tt, GCout.Pt, y);
    EffPoly = OtherEfficiency(false, false, Eff, 1.0 / (1.0 + (GCout.S - GCin.S) / (lnPR * R)), lnPR, GCin, GCout, R);
  } else {
    GCout.S = GCin.S + lnPR * R * (1.0 / EffPoly - 1.0);
    if (!EndStateFromEntropy(GCout, tol, CallerID)) return false;
    Eff = OtherEfficiency(false, true, EffPoly, (GCout.His - GCin.H) / (GCout.H - GCin.H), lnPR, GCin, GCout, R);
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
  const double lnPR = std::log(PR);
  if (!Polytropic) {
    GCout.H = GCin.H - (GCin.H - GCout.His) * Eff;
    if (!GetT(GCout.H, y, tol, GCout.Tt, CallerID)) return false;
    GCout.S = FS(GCout.Tt, GCout.Pt, y);
    EffPoly = OtherEfficiency(true, false, Eff, 1.0 + (GCin.S - GCout.S) / (lnPR * R), lnPR, GCin, GCout, R);
  } else {
    GCout.S = GCin.S - (EffPoly - 1.0) * lnPR * R;
    if (!EndStateFromEntropy(GCout, tol, CallerID)) return false;
    Eff = OtherEfficiency(true, true, EffPoly, (GCin.H - GCout.H) / (GCin.H - GCout.His), lnPR, GCin, GCout, R);
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
