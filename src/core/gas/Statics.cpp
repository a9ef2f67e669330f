#include "Statics.h"

#include <cmath>
#include <string>

#include "GasIterations.h"
#include "GasKernels.h"
#include "GasProperties.h"
#include "Messages.h"
#include "Processes.h"
#include "SysUtils.h"
#include "Transport.h"

namespace vyr {

namespace {

constexpr double kAbsent = 1e-15;  // a given area, Mach number or velocity not above this counts as absent

void NoConvergence(const std::string& what, std::string_view CallerID) {
  MessageDlg("No convergence in " + what + " iteration in" + sLineBreak + std::string(CallerID), mtError,
             {mbOK, mbHelp}, 81401);
}

using detail::IllegalValue;

void IllegalMach(double Mach, std::string_view CallerID) { IllegalValue("Mach", Mach, CallerID); }

// The choke search stops at the 200 K floor of the property range: the
// state the flow needs (sonic or subsonic) lies below it.
void BelowFloorError(std::string_view CallerID) {
  MessageDlg("Static temperature below 200 K in GetStatic iteration in" + std::string(sLineBreak) +
                 std::string(CallerID),
             mtError, {mbOK, mbHelp}, 81406);
}

void ChokedFlowError(std::string_view CallerID) {
  MessageDlg("Error in GetStatic iteration (choked flow case) in" + std::string(sLineBreak) + std::string(CallerID) +
                 sLineBreak + "Contact ORB",
             mtError, {mbOK, mbHelp}, 81406);
}

// Energy balance Ht = H(Ts) + V^2/2 that a static state must meet, as a
// temperature error in units of the secant's temperature tolerance tol [K]:
// the secant ends within tol of the root, so the residual of its result is
// below cp tol; the factor leaves room for the last step.
constexpr double kEnergyTolerance = 2.0;

using detail::RelativeResidual;

void StaticIsTotal(double Pt, double Tt, double& Ps, double& Ts) {
  Ps = Pt;
  Ts = Tt;
}

}  // namespace

bool GetStatic(double W, double Pt, double Tt, double A, const TGasComposition& y, double tol, double& Ps,
               double& Ts, double& Mach, double& V, std::string_view CallerID) {
  if (std::fabs(W) <= kAbsent) {  // no flow: nothing moves, static is total
    StaticIsTotal(Pt, Tt, Ps, Ts);
    V = 0.0;
    Mach = 0.0;
    return true;
  }
  if (!(A > 0.0)) {  // no flow passes through no area (nor a NaN one)
    IllegalValue("area", A, CallerID);
    return false;
  }
  const double Ht = FH(Tt, y);
  const double R = FR(y);
  const double K = A / (R * W);

  // Energy residual at a trial static temperature; sets Ps and V as it goes.
  bool pisFailed = false;
  auto f = [&](double T) {
    if (!GetPis(Pt, Tt, T, y, tol, Ps, CallerID)) {
      pisFailed = true;
      return 0.0;
    }
    V = T / Ps / K;
    return Ht - FH(T, y) - V * V / 2.0;
  };

  // Sonic (choke) temperature: the static temperature at which the flow
  // velocity equals the speed of sound.
  double Tstar = 0.8 * Tt;
  int passedAt = 0;
  for (int pass = 1; pass <= 36; ++pass) {
    const double a = FCs(Tstar, y);
    const double dH = Ht - FH(Tstar, y) - a * a / 2.0;
    Tstar += dH / FCp(Tstar, y);
    if (Tstar < 200.0) Tstar = 200.0;
    if (RelativeResidual(dH, Ht) < 0.001 * tol) {
      passedAt = pass;
      break;
    }
  }
  if (!(passedAt > 0 && passedAt < 36) && Tstar > 201.0) Tstar = 0.9 * Tt;
  const bool atFloor = Tstar <= 200.0;
  auto chokedOrFloorError = [&] {
    if (atFloor)
      BelowFloorError(CallerID);
    else
      ChokedFlowError(CallerID);
  };

  // Secant on the energy residual between the choke temperature and Tt,
  // never below the choke temperature (that is the supersonic branch).
  double Ta = Tstar, Tb = Tt;
  int count = 0;
  bool converged = false, choked = false;
  // The mass flux is largest at the sonic state: where the continuity
  // velocity at the choke temperature already reaches the energy limit
  // (residual not positive) the area is at or below the sonic one and no
  // subsonic state exists. The flow is choked; the secant is not needed (its
  // step would leave [Tstar, Tt] upwards, as the residual is negative at both
  // ends).
  const double fStar = f(Tstar);
  if (pisFailed) return false;
  if (fStar <= 0.0) {
    Ts = Tstar;
    choked = converged = true;
  }
  while (!converged && count <= 100) {
    ++count;
    const double fa = count == 1 ? fStar : f(Ta);  // the first pass starts at Tstar
    if (pisFailed) return false;
    double fb = f(Tb);
    if (pisFailed) return false;
    Ts = Ta;
    if (std::fabs(fa - fb) > 1e-15) Ta = Ta + (Tb - Ta) * fa / (fa - fb);
    if (Ta < Tstar) {
      Ta = Tstar;
      Ts = Tstar;
      fb = f(Tstar);
      if (pisFailed) return false;
      if (fb > 0.0) {
        chokedOrFloorError();
        return false;
      }
      V = FCs(Tstar, y);
      choked = true;
    }
    // A static temperature above the total one has a negative kinetic
    // energy: a step past Tt (the secant overshoots on the flat energy curve
    // of hot choked flow) goes halfway from the last iterate to Tt instead.
    if (Ta > Tt) Ta = 0.5 * (Ts + Tt);
    if (Ta > T_tablemax) Ta = T_tablemax;  // no step beyond the property tables
    Tb = Ts;
    converged = std::fabs(Ta - Tb) < tol;
  }
  if (!converged || count > 100) {
    NoConvergence("GetStatic", CallerID);
    return false;
  }
  f(Ts);
  if (pisFailed) return false;
  // A result must balance energy: a subsonic state with its own velocity, a
  // choked one as the sonic state at the choke temperature (its continuity
  // velocity then only signals Mach >= 1). A choke temperature held at the
  // 200 K floor, or the fallback after a failed choke search, is no sonic
  // state: below the floor there is no valid state.
  const double limit = kEnergyTolerance * tol * FCp(Ts, y);
  const double Vbalance = choked ? FCs(Tstar, y) : V;
  if (!(std::fabs(Ht - FH(Ts, y) - Vbalance * Vbalance / 2.0) <= limit)) {
    if (choked || atFloor)
      chokedOrFloorError();
    else
      NoConvergence("GetStatic", CallerID);
    return false;
  }
  Mach = V / FCs(Ts, y);
  return true;
}

namespace {

// Fixed-point iteration Ts = Tt / (1 + (gamma - 1)/2 Mach^2) of GetStaticfromM
// and GetStaticfromV; with a velocity given the Mach number follows each pass.
// Returns false (after the message) unless it converges within 24 passes.
bool StaticTemperatureIteration(bool fromVelocity, double Tt, const TGasComposition& y, double tol, double V,
                                double& Mach, double& Ts, double& gamma, const char* routine,
                                std::string_view CallerID) {
  double Tx = Tt;
  int passedAt = 0;
  for (int pass = 1; pass <= 25; ++pass) {
    Ts = Tx;
    gamma = FGm(Ts, y);
    if (fromVelocity) Mach = V / FCs(Ts, y);
    Tx = Tt / (1.0 + (gamma - 1.0) / 2.0 * Mach * Mach);
    if (std::fabs(Ts - Tx) < tol) {
      passedAt = pass;
      break;
    }
  }
  if (passedAt > 0 && passedAt < 25) return true;
  NoConvergence(routine, CallerID);
  return false;
}

// Static pressure and flow area that go with a converged static state.
void PressureAndArea(double Pt, double W, double V, double Mach, double gamma, double& Ps, double& A) {
  const double m = 1.0 + (gamma - 1.0) / 2.0 * Mach * Mach;
  Ps = Pt / std::pow(m, gamma / (gamma - 1.0));
  // A = W / (rho V) = W V / (Mach^2 gamma Ps); at rest there is no finite area.
  A = Mach != 0.0 ? W * V / (Mach * Mach * gamma * Ps) : 0.0;
}

}  // namespace

bool GetStaticfromM(double Mach, double Pt, double Tt, double W, const TGasComposition& y, double tol, double& Ps,
                    double& Ts, double& V, double& A, std::string_view CallerID) {
  double gamma = 0.0;
  if (!StaticTemperatureIteration(false, Tt, y, tol, 0.0, Mach, Ts, gamma, "GetStaticfromM", CallerID))
    return false;
  V = FCs(Ts, y) * Mach;
  PressureAndArea(Pt, W, V, Mach, gamma, Ps, A);
  return true;
}

bool GetStaticfromV(double V, double Pt, double Tt, double W, const TGasComposition& y, double tol, double& Ps,
                    double& Ts, double& Mach, double& A, std::string_view CallerID) {
  double gamma = 0.0;
  if (!StaticTemperatureIteration(true, Tt, y, tol, V, Mach, Ts, gamma, "GetStaticfromV", CallerID)) return false;
  PressureAndArea(Pt, W, V, Mach, gamma, Ps, A);
  return true;
}

bool GetStaticfromOption(TGasconditions& GC, TStaticSpecOption Option, double tol, std::string_view CallerID,
                         bool MachWarning) {
  if (std::fabs(GC.W) <= kAbsent) {  // no flow
    StaticIsTotal(GC.Pt, GC.Tt, GC.Ps, GC.Ts);
    GC.V = 0.0;
    GC.Mach = 0.0;
  } else {
    // A stored size that is no number (NaN, infinite) would pass for absent
    // or reach the iteration: refused by name.
    const double given[] = {GC.A, GC.Mach, GC.V};
    const char* const names[] = {"area", "Mach", "velocity"};
    if (Option <= ssoVelocity && !std::isfinite(given[Option])) {
      IllegalValue(names[Option], given[Option], CallerID);
      return false;
    }
    switch (Option) {
      case ssoArea:
        if (GC.A > kAbsent) {
          if (!GetStatic(GC.W, GC.Pt, GC.Tt, GC.A, GC.Composition, tol, GC.Ps, GC.Ts, GC.Mach, GC.V, CallerID))
            return false;
        } else {
          GC.Ps = GC.Ts = GC.Mach = GC.V = 0.0;
        }
        break;
      case ssoMach:
        if (GC.Mach > kAbsent) {
          if (!GetStaticfromM(GC.Mach, GC.Pt, GC.Tt, GC.W, GC.Composition, tol, GC.Ps, GC.Ts, GC.V, GC.A, CallerID))
            return false;
        } else {
          StaticIsTotal(GC.Pt, GC.Tt, GC.Ps, GC.Ts);
          GC.V = 0.0;
          GC.A = 0.0;
        }
        break;
      case ssoVelocity:
        if (GC.V > kAbsent) {
          if (!GetStaticfromV(GC.V, GC.Pt, GC.Tt, GC.W, GC.Composition, tol, GC.Ps, GC.Ts, GC.Mach, GC.A, CallerID))
            return false;
        } else {
          StaticIsTotal(GC.Pt, GC.Tt, GC.Ps, GC.Ts);
          GC.Mach = 0.0;
          GC.A = 0.0;
        }
        break;
      case ssoNone:
        break;
    }
  }
  if (MachWarning && GC.Mach > 1.0) {
    IllegalMach(GC.Mach, CallerID);
    return false;
  }
  return true;
}

bool CalcStaticProps(TCalcMode CalcMode, TStaticSpecOption Option, double SpecValue, double tol,
                     std::string_view CallerID, TGasconditions& GC) {
  bool ok;
  if (CalcMode == cmDesign) {
    // A design area, Mach number or velocity is a size: zero means not given,
    // a negative or NaN value is refused before it reaches the record.
    const char* const names[] = {"area", "Mach", "velocity"};
    if (Option <= ssoVelocity && !(SpecValue >= 0.0)) {
      IllegalValue(names[Option], SpecValue, CallerID);
      return false;
    }
    switch (Option) {
      case ssoArea:
        GC.A = SpecValue;
        break;
      case ssoMach:
        GC.Mach = SpecValue;
        if (GC.Mach > 1.0) {
          IllegalMach(GC.Mach, CallerID);
          return false;
        }
        break;
      case ssoVelocity:
        GC.V = SpecValue;
        break;
      case ssoNone:
        break;
    }
    ok = GetStaticfromOption(GC, Option, tol, CallerID, true);
    // Without flow the static state is the total one, and the Mach number or
    // velocity given for the design point stays as given.
    if (ok && std::fabs(GC.W) <= kAbsent) {
      if (Option == ssoMach) GC.Mach = SpecValue;
      if (Option == ssoVelocity) GC.V = SpecValue;
    }
  } else {
    // Off design the area fixed at the design point governs.
    ok = GetStaticfromOption(GC, ssoArea, tol, CallerID, true);
  }
  if (!ok) return false;
  if (GC.Ts < 1e-15) GC.Ts = GC.Tt;
  if (GC.Ps < 1e-15) GC.Ps = GC.Pt;
  return true;
}

bool ConvDuct(double Ht, double Pt, double Tt, double Ps, double A, double CV, const TGasComposition& y, double tol,
              double& PsOut, double& Ts, double& Hs, double& Mach, double& V, double& W, double& Rho,
              std::string_view CallerID) {
  double Tx = 0.0, Hx = 0.0, Vis = 0.0;
  if (!Expansion(Ht, Pt, Tt, Ps, y, tol, Tx, Hx, Mach, Vis, CallerID)) return false;
  Mach = Vis / FCs(Tx, y);
  if (Mach > 1.0) {
    // Choked: the throat is sonic. Find the static temperature at which the
    // enthalpy drop equals half the square of the speed of sound.
    int passedAt = 0;
    double dH = 0.0;
    for (int pass = 1; pass <= 26; ++pass) {
      Hx = FH(Tx, y);
      const double a = FCs(Tx, y);
      dH = (Ht - a * a / 2.0) - Hx;
      Tx += dH / FCp(Tx, y);
      if (RelativeResidual(dH, Hx) < 0.002 * tol) {
        passedAt = pass;
        break;
      }
    }
    // Written so that a NaN step fails as well.
    if (!(passedAt > 0 && passedAt < 26) && !(std::fabs(dH / FCp(Tx, y)) <= 0.1)) {
      MessageDlg("No convergence in Convergent Duct Hsoutis" + std::string(sLineBreak) + "iteration in " +
                     std::string(CallerID),
                 mtError, {mbOK, mbHelp}, 81401);
      return false;
    }
    if (!GetT(Hx, y, tol, Tx, CallerID)) return false;
    Vis = FCs(Tx, y);
    Mach = 1.0;
    if (!GetPis(Pt, Tt, Tx, y, tol, PsOut, CallerID)) return false;
  } else {
    PsOut = Ps;
  }
  V = Vis * CV;
  Hs = Ht - V * V / 2.0;
  if (!GetT(Hs, y, tol, Ts, CallerID)) return false;
  Rho = PsOut / FR(y) / Ts;
  W = Rho * V * A;
  return true;
}

void SetAddStationpars(TGasconditions& GC) {
  GC.S = FS(GC.Tt, GC.Pt, GC.Composition);
  GC.Cp = FCp(GC.Tt, GC.Composition);
  GC.RNI = ReynoldsNumberIndex(GC.Pt, GC.Tt, GC.Composition);
}

}  // namespace vyr
