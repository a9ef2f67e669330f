#include "StationEquilibrium.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "Equilibrium.h"
#include "Fuels.h"
#include "GasProperties.h"
#include "Messages.h"

namespace vyr {

TAFQUIR* AFQmem = nullptr;
int AFQcode = 0;

namespace {

constexpr double kEps = 1.0e-15;  // coincidence limit of points

}  // namespace

void TAFQUIR::Reset() {
  iter = 0;
  guess = tgFirst;
  ReportError = true;
  ErrorStr.clear();
}

int TAFQUIR::doAFQUIR(double X, double Y, double Ytarget, double Tol, double FirstStep, int MaxIter,
                      std::string_view Name, double& Xnew) {
  const double dy = Y - Ytarget;
  // Relative to a nonzero target (its size: a negative target is no tighter), else absolute.
  const double t = std::fabs(Ytarget) > kEps ? std::fabs(Tol * Ytarget) : Tol;
  if (std::fabs(dy) < t) {
    Xnew = X;
    return 2;
  }
  if (iter > MaxIter) {
    ErrorStr = "No convergence in AFQUIR iteration in" + std::string(sLineBreak) + std::string(Name);
    if (ReportError) MessageDlg(ErrorStr, mtError, {mbOK, mbHelp}, 81401);
    return 3;
  }

  // (Re)start: remember the point and step by the factor FirstStep.
  auto first = [&] {
    P[0] = {X, dy};
    Xnew = std::fabs(X) > kEps ? FirstStep * X : FirstStep;
    guess = tgLinear;
  };
  // Secant through the stored point P[0] and the current point.
  auto linear = [&] {
    P[1] = {X, dy};
    guess = tgQuadratic;
    if (std::fabs(P[0].y - P[1].y) < kEps || std::fabs(P[0].x - P[1].x) < kEps)
      first();
    else
      Xnew = P[0].x - P[0].y * (P[0].x - P[1].x) / (P[0].y - P[1].y);
  };

  switch (guess) {
    case tgFirst:
      first();
      break;
    case tgLinear:
      linear();
      break;
    case tgQuadratic:
      P[2] = {X, dy};
      if (std::fabs(P[1].x - P[2].x) < kEps) {
        if (std::fabs(P[1].y - P[2].y) < kEps)
          first();
        else
          linear();
      } else if (std::fabs(P[1].y - P[2].y) < kEps) {
        linear();
      } else {
        P[0] = P[1];
        if (std::fabs(P[0].x - P[2].x) < kEps) {
          guess = tgLinear;
          Xnew = std::fabs(P[0].x) > kEps ? FirstStep * P[0].x : FirstStep;
        } else {
          linear();  // secant through the previous and the current point
        }
      }
      break;
  }
  ++iter;
  return 1;
}

void InitStationEquilibrium() {
  if (AFQmem == nullptr) AFQmem = new TAFQUIR();
}

void DoneStationEquilibrium() {
  delete AFQmem;
  AFQmem = nullptr;
}

void ResetAFQmem() {
  InitStationEquilibrium();  // only after a shut-down is there nothing to reset
  AFQmem->Reset();
}

int AFQUIR(double X, double Y, double Ytarget, double Tol, double FirstStep, int MaxIter, std::string_view Name,
           double& Xnew) {
  InitStationEquilibrium();
  return AFQmem->doAFQUIR(X, Y, Ytarget, Tol, FirstStep, MaxIter, Name, Xnew);
}

double PmaxH20vapour(double T) {
  const double e = 7.5 * (T - 273.15) / (T - 35.85);
  if (std::isnan(e)) return e;
  if (std::fabs(e) < 200.0) return 611.0 * std::pow(10.0, e);
  return e > 100.0 ? DBL_MAX : DBL_MIN;
}

TGasComposition EquilibriumH2O(double T, double P, const TGasComposition& Comp) {
  if (T > 647.29) {  // above the critical temperature water is vapour
    TGasComposition r = Comp;
    r[gtH2Og] = Comp[gtH2Og] + Comp[gtH2Ol];
    r[gtH2Ol] = 0.0;
    return r;
  }
  const double xmax = PmaxH20vapour(T) / P;  // largest vapour mole fraction of the gas phase
  TGasComposition n = MoleComposition(Comp, 1.0);
  const double w = n[gtH2Og] + n[gtH2Ol];
  if (w <= xmax) {
    n[gtH2Og] = w;
    n[gtH2Ol] = 0.0;
  } else {
    n[gtH2Ol] = (w - xmax) / (1.0 - xmax);
    n[gtH2Og] = w - n[gtH2Ol];
  }
  return MassComposition(n, 1.0);
}

namespace {

// Keeps an estimate of the total temperature in the range the properties
// hold: not above the property tables' upper limit.
double LimitT(double T) {
  if (T < 200.0) return 220.0;
  if (T > T_tablemax) return T_tablemax;
  return T;
}

// Energy error of the current composition at Gas.Tt against the incoming gas:
// sensible plus formation enthalpy, relative to href (absolute when href is 0).
double EnergyError(const TGasconditions& Gas0, const TGasconditions& Gas, double& H0, double& H1) {
  const double dHf = FormationEnthalpy(Gas0.Composition) - FormationEnthalpy(Gas.Composition);
  H0 = RH(Gas0.Composition, Gas0.Tt) + dHf;
  H1 = RH(Gas.Composition, Gas.Tt);
  return H0 - H1;
}

double Relative(double d, double ref) { return ref != 0.0 ? d / ref : d; }

// One pass of the energy iteration: the next total temperature of Gas from the
// energy error at its current one. Returns the code of AFQUIR.
int EnergyStep(TGasconditions& Gas, double err, double Tol, const std::string& name, double& T) {
  T = Gas.Tt;
  const int code = AFQUIR(T, err, 0.0, 0.05 * Tol, AFQmem->iter == 0 ? 0.95 : err, 40, name, T);
  T = LimitT(T);
  Gas.Tt = T;
  return code;
}

}  // namespace

bool SetEquilibriumConditions(std::string_view CallerID, TCalcMode CalcMode, double Tol, TStaticSpecOption SpecOption,
                              double SpecValue, TGasconditions& Gas, bool ShowMessages, std::string& ErrMsg,
                              int& ErrCode) {
  const TGasconditions Gas0 = Gas;
  double T = Gas.Tt;
  auto statics = [&] {
    return SpecOption == ssoNone || CalcStaticProps(CalcMode, SpecOption, SpecValue, Tol, CallerID, Gas);
  };

  // Water: condensation or evaporation at the static state.
  const bool wet = Gas0.Composition[gtH2Ol] > kEps || (Gas0.Composition[gtH2Og] > kEps && T < 647.29);
  if (wet) {
    ResetAFQmem();
    double Href = 0.0;
    const std::string name = std::string(CallerID) + " (H2O)";
    do {
      if (!statics()) return false;
      Gas.Composition = EquilibriumH2O(Gas.Ts, Gas.Ps, Gas.Composition);
      if (AFQmem->iter == 0 && std::fabs(Gas.Composition[gtH2Og] - Gas0.Composition[gtH2Og]) < kEps) {
        AFQcode = 2;
        break;
      }
      double H0, H1;
      const double d = EnergyError(Gas0, Gas, H0, H1);
      if (AFQmem->iter == 0) Href = std::max(std::fabs(H0), std::fabs(H1));
      AFQcode = EnergyStep(Gas, Relative(d, Href), Tol, name, T);
      if (AFQcode == 3) return false;
    } while (AFQcode <= 1);
  }
  const double liquid = 1.0 - Gas.Composition[gtH2Ol];
  Gas.Wgas = liquid * Gas.W;
  Gas.Wgasc = liquid * Gas.Wc;

  // Dissociation of CO2 and H2O, or recombination of radicals.
  const bool hot = T > 1800.0 || Gas0.Composition[gtO] > kEps || Gas0.Composition[gtH] > kEps ||
                   Gas0.Composition[gtOH] > kEps;
  if (hot) {
    ResetAFQmem();
    const std::string name = std::string(CallerID) + " (dissociation)";
    do {
      if (!statics()) return false;
      if (!Dissociation(Gas, Tol, ShowMessages, ErrMsg, ErrCode)) {
        ErrMsg = "Set Equil.Cond. error in " + std::string(CallerID) + sLineBreak + ErrMsg;
        return false;
      }
      if (AFQmem->iter == 0 && std::fabs(Gas.Composition[gtO2] - Gas0.Composition[gtO2]) < kEps) {
        AFQcode = 2;
        break;
      }
      double H0, H1;
      const double d = EnergyError(Gas0, Gas, H0, H1);
      AFQcode = EnergyStep(Gas, Relative(d, std::fabs(H0)), Tol, name, T);
      if (AFQcode == 3) return false;
    } while (AFQcode <= 1);
  }

  if (!CheckComposition(Gas.Composition, "SetEquilibrium")) return false;
  return statics();
}

}  // namespace vyr
