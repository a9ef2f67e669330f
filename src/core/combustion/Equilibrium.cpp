// Equilibrium combustion: element balances of C, H, O and N closed by seven
// equilibrium constants, reduced to one unknown, the amount of molecular
// oxygen x, which is the fixed point of the oxygen balance g(x) = x. For a
// given x the total amount Nt is found by substitution (it sets the partial
// pressures), and x by a bracketing secant search.
#include "Equilibrium.h"

#include <algorithm>
#include <cmath>

#include "Fuels.h"
#include "GasKernels.h"
#include "GasProperties.h"
#include "Messages.h"
#include "SysUtils.h"

namespace vyr {

// log10 K fits, partial pressures in bar (c0 .. c8, see CalcEqConst).
const Carray9 Pol1CO2 = {-11221.16495004, -13520.46821679, -250.3942668848, 0.4265426923801, 3.238085436098, -0.001852872630411, 1.045167033301e-6, -4.024415573838e-10, 7.084271985488e-14};
const Carray9 Pol2CO2 = {-37946.70996779, -12676.70028431, -441.4742791018, -0.6362551809519, 9.906886296801, 3.468901357567e-5, 1.853500135414e-9, -2.06867687409e-13, -1.751444501344e-18};
const Carray9 Pol1H2O = {13709.59421697, -14284.9696548, 492.551407742, 3.405921517455, -20.09648596909, -0.003859338542814, 1.776032092376e-6, -6.512727218621e-10, 1.134495768668e-13};
const Carray9 Pol2H2O = {-215655.4116114, -5856.713800516, -1193.426553208, -0.3304474424485, 6.61424513315, -8.812351305382e-5, 1.449150888489e-8, -8.913815036608e-13, 1.749577076329e-17};
const Carray9 Pol1O = {1992.152684805, -13036.52986247, 35.45242021603, 0.6109310128343, -0.9775857708143, -0.0002460871931396, -5.563325099534e-8, 6.020183376578e-11, -1.472254482935e-14};
const Carray9 Pol2O = {169564.1995112, -17574.61854293, 826.153432413, 1.045482545824, -5.111152176659, -0.0002306229364186, 1.541846966178e-8, -7.132173942222e-13, 1.481331488629e-17};
const Carray9 Pol1H = {-4427.982729508, -10654.51399261, -173.9172522737, -0.6980635981231, 7.113574795493, 0.001378574850353, -6.346507871144e-7, 2.176648041622e-10, -3.65686068481e-14};
const Carray9 Pol2H = {-60876.2260536, -10085.77218589, -181.7056111548, 0.439736320747, -0.1560594004076, -0.0001359879420291, 1.354081334732e-8, -1.074474550542e-12, 3.916986372204e-17};
const Carray9 Pol1OH = {1293.057020589, 22020.9037718, 29.40883679219, -0.6146885048055, -0.8112940037195, 0.0001120175844032, -1.482013370704e-7, 9.640239420846e-11, -2.12866205875e-14};
const Carray9 Pol2OH = {164039.6870361, 17690.47087358, 773.0021995599, -0.3043713776887, -3.993699828502, 0.000121338829993, -1.349866713799e-8, 1.06795716853e-12, -3.973443318745e-17};
const Carray9 Pol1NO = {-3156.758602371, 8458.860251012, -79.84593853204, -0.6845031993804, 2.293348032638, 0.000126639069013, 1.931585287278e-7, -1.275365488744e-10, 2.79125993869e-14};
const Carray9 Pol2NO = {-72061.022459, 9675.00924495, -243.1342232274, -0.3981213192899, 0.4413048069719, 8.023819382925e-5, -5.746453760569e-9, 1.770815385168e-13, 2.921574054079e-18};
const Carray9 Pol1N2O = {6239.044951568, 7705.819802138, 183.6555469705, -0.8749286504676, -2.458523495711, 0.001681518503173, -6.704799354418e-7, 1.934802216527e-10, -2.656086019626e-14};
const Carray9 Pol2N2O = {-109831.3210528, 10512.46577191, -245.2153124408, -0.1122924971532, -6.377443847648, 0.0001090023079988, -8.779213977733e-9, 5.258075758056e-13, -1.512259607297e-17};
double CalcEqConst(double T, const Carray9& C) {
  const double lnT = std::log(T);
  const double e = C[0] / (T * T) + C[1] / T + C[2] * lnT / T + C[3] * lnT + C[4] + C[5] * T + C[6] * T * T +
                   C[7] * T * T * T + C[8] * T * T * T * T;
  return std::pow(10.0, e);
}

namespace {

constexpr double kTiny = 1.0e-15;

// A failure: message and code.
struct Failure {
  std::string msg;
  int code = 0;
};

// Shared input check of the equilibrium routines: a temperature and pressure
// that are positive and finite, and a composition without negative or
// non-finite fractions that sums to 1 (the rules of CheckComposition).
bool ValidInput(double T, double P, const TGasComposition& x, const char* where, Failure& f) {
  if (!(T > 0.0 && std::isfinite(T)) || !(P > 0.0 && std::isfinite(P))) {
    f = {Format("Invalid temperature (%g K) or pressure (%g Pa) in" + std::string(sLineBreak) + "%s",
                {T, P, std::string(where)}),
         0};
    return false;
  }
  // The species tables, and with them the equilibrium constants, end at
  // T_tablemax: a hotter state has no properties to balance.
  if (T > T_tablemax) {
    f = {Format("Temperature (%g K) above the %g K limit of the property tables in" + std::string(sLineBreak) + "%s",
                {T, T_tablemax, std::string(where)}),
         0};
    return false;
  }
  double sum = 0.0;
  for (int i = 0; i < GasCount; ++i) {
    if (x[i] < -kTiny) {
      f = {std::string(GasNames[i]) + " concentration (" + FloatToStr(x[i]) + ")<0 in " + where, 85514};
      return false;
    }
    sum += x[i];
  }
  if (!(std::fabs(sum - 1.0) <= 1e-4)) {
    f = {"Composition sum (" + FloatToStr(sum) + ") in " + where + " not 1 !", 85515};
    return false;
  }
  return true;
}

// Reports a failure through the out parameters and, when asked, a message box.
bool Fail(const Failure& f, bool ShowMessages, std::string& ErrMsg, int& ErrCode) {
  ErrMsg = f.msg;
  ErrCode = f.code;
  if (ShowMessages && !ErrMsg.empty()) MessageDlg(ErrMsg, mtWarning, {mbOK, mbHelp}, ErrCode);
  return false;
}

// Amounts of the product species per mole of reactants.
struct Products {
  double CO2 = 0, CO = 0, H2O = 0, H2 = 0, O = 0, H = 0, OH = 0, NO = 0, N2O = 0, N2 = 0;
  double Nt = 0;  // total from these amounts
  double g = 0;   // oxygen-balance estimate of molecular oxygen
};

class CombustionEquilibrium {
 public:
  CombustionEquilibrium(double T, double P, double y, double z, const TGasComposition& reactants) : p_(P / 100000.0) {
    TGasComposition n = MoleComposition(reactants, MolarMass_CxHyOz(y, z));
    if (n[gtH2Ol] > kTiny) {  // liquid water takes part as vapour
      n[gtH2Og] += n[gtH2Ol];
      n[gtH2Ol] = 0.0;
    }
    nAr_ = n[gtAr];
    C_ = n[gtCO2] + n[gtCO] + n[gtCH4] + 2 * n[gtC2H6] + 2 * n[gtC2H4] + 3 * n[gtC3H8] + 4 * n[gtC4H10] +
         n[gtCxHyOz];
    H_ = 2 * n[gtH2Og] + 2 * n[gtH2] + n[gtH] + n[gtOH] + 4 * n[gtCH4] + 6 * n[gtC2H6] + 4 * n[gtC2H4] +
         8 * n[gtC3H8] + 10 * n[gtC4H10] + y * n[gtCxHyOz];
    O_ = 2 * n[gtCO2] + n[gtCO] + 2 * n[gtO2] + n[gtOH] + n[gtO] + n[gtH2Og] + n[gtNO] + n[gtN2O] +
         z * n[gtCxHyOz];
    N_ = 2 * n[gtN2] + n[gtNO] + 2 * n[gtN2O];
    const bool low = T <= 1000.0;
    kCO2_ = CalcEqConst(T, low ? Pol1CO2 : Pol2CO2);
    kH2O_ = CalcEqConst(T, low ? Pol1H2O : Pol2H2O);
    kO_ = CalcEqConst(T, low ? Pol1O : Pol2O);
    kH_ = CalcEqConst(T, low ? Pol1H : Pol2H);
    kOH_ = CalcEqConst(T, low ? Pol1OH : Pol2OH);
    kNO_ = CalcEqConst(T, low ? Pol1NO : Pol2NO);
    kN2O_ = CalcEqConst(T, low ? Pol1N2O : Pol2N2O);
  }

  bool Solve(double Tol, TGasComposition& moleFr, Failure& f) {
    // Level 1: start at one mole of oxygen.
    double x0 = 1.0, g0 = 0.0, g1 = 0.0;
    if (!TotalMoles(x0, Tol, g0, 1, f)) return false;

    // Level 2: step down by decades until the fixed point lies above the lower point.
    double x1 = 0.0, xs = 0.0;
    bool bracketed = false;
    for (int pass = 1; pass <= 30 && !bracketed; ++pass) {
      x1 = 0.1 * x0;
      if (!TotalMoles(x1, Tol, g1, 2, f)) return false;
      xs = Secant(x0, g0, x1, g1);
      if (x1 > xs) {
        x0 = x1;
        g0 = g1;
      } else {
        bracketed = true;
      }
    }
    if (!bracketed || x0 < kTiny) {
      f = {"O2 concentration too small", 80001};
      return false;
    }
    x0 = xs;
    double xp = x1;

    // Levels 3 and 4: secant through the current point and a point close to it.
    bool converged = false;
    for (int pass = 1; pass <= 40 && !converged; ++pass) {
      if (!TotalMoles(x0, Tol, g0, 3, f)) return false;
      const double d = 0.1 * (x0 - xp) / std::max(x0, xp);
      x1 = x0 * std::exp(std::fabs(d));
      if (!TotalMoles(x1, Tol, g1, 4, f)) return false;
      xs = Secant(x0, g0, x1, g1);
      xp = x0;
      x0 = xs < kTiny ? 0.85 * x0 : xs;
      converged = std::fabs(xp - x0) / x0 < 0.01 * Tol;
    }
    if (!converged) {
      f = {"No convergence in composition-iteration" + std::string(sLineBreak) + "in CombEquilibrium", 81401};
      return false;
    }

    // Species amounts at the final estimate itself, so that the products hold
    // the reactants' atoms and their fractions sum to one.
    if (!TotalMoles(xs, Tol, g0, 3, f)) return false;
    const Products& a = last_;
    const double Nt = nt_;
    moleFr = TGasComposition{};
    moleFr[gtCO2] = a.CO2 / Nt;
    moleFr[gtCO] = a.CO / Nt;
    moleFr[gtO2] = xs / Nt;
    moleFr[gtAr] = nAr_ / Nt;
    moleFr[gtH2Og] = a.H2O / Nt;
    moleFr[gtH2] = a.H2 / Nt;
    moleFr[gtO] = a.O / Nt;
    moleFr[gtH] = a.H / Nt;
    moleFr[gtOH] = a.OH / Nt;
    if (N_ > 0.0) {
      moleFr[gtNO] = a.NO / Nt;
      moleFr[gtN2O] = a.N2O / Nt;
      moleFr[gtN2] = a.N2 / Nt;
    }
    return true;
  }

 private:
  // Fixed point of g through (xa, ga) and (xb, gb), g taken as linear.
  static double Secant(double xa, double ga, double xb, double gb) {
    const double s = (gb - ga) / (xb - xa);
    return (ga - s * xa) / (1.0 - s);
  }

  // Product amounts for x moles of O2 and an assumed total Nt (partial
  // pressure of a species with amount n: n p / Nt).
  bool Evaluate(double x, double Nt, Products& a, Failure& f) const {
    if (x < 0.0) {
      f = {"nO2in<0 in" + std::string(sLineBreak) + "CombEquilibrium (combustion model)", 85512};
      return false;
    }
    const double root = std::sqrt(x * p_ / Nt);  // sqrt of the O2 partial pressure [bar^1/2]
    const double ra = root / kCO2_;              // nCO2 / nCO
    a.CO = C_ / (1.0 + ra);
    a.CO2 = C_ - a.CO;
    a.O = kO_ * std::sqrt(Nt / p_) * std::sqrt(x);
    // Nitrogen balance 2 nN2 + nNO + 2 nN2O = N for s = sqrt(nN2).
    const double kNO = kNO_ * std::sqrt(p_ / Nt), kN2O = kN2O_ * p_ / Nt;
    const double bN = kNO * a.O;
    const double s = (-bN + std::sqrt(bN * bN + 4.0 * N_ * (2.0 * kN2O * a.O + 2.0))) / (4.0 * kN2O * a.O + 4.0);
    a.N2 = s * s;
    a.N2O = kN2O * a.O * a.N2;
    a.NO = kNO * a.O * s;
    // Hydrogen balance 2 nH2 + 2 nH2O + nH + nOH = H for r = sqrt(nH2).
    const double rb = root / kH2O_;  // nH2O / nH2
    const double kH = kH_ * std::sqrt(Nt / p_), kOH = kOH_ * p_ / Nt;
    const double bH = kH + kH * kOH * a.O;
    const double r = (-bH + std::sqrt(bH * bH + 4.0 * H_ * (2.0 * rb + 2.0))) / (4.0 * rb + 4.0);
    a.H2 = r * r;
    a.H = kH * r;
    a.OH = kOH * a.O * a.H;
    a.H2O = rb * a.H2;
    a.Nt = nAr_ + a.CO2 + a.CO + x + a.H2O + a.H2 + a.O + a.H + a.OH + a.NO + a.N2O + a.N2;
    a.g = (O_ - 2.0 * a.CO2 - a.CO - a.H2O - a.OH - a.O - a.N2O - a.NO) / 2.0;
    return true;
  }

  // Total amount at x by substitution, carried over from the previous call;
  // g is the oxygen estimate of the last evaluation. Fails with the message of
  // the oxygen iteration's level when it does not converge in 30 passes.
  bool TotalMoles(double x, double Tol, double& g, int level, Failure& f) {
    for (int pass = 1; pass <= 30; ++pass) {
      Products a1, a2;
      if (!Evaluate(x, nt_, a1, f)) return false;
      const double N1 = a1.Nt;
      if (!Evaluate(x, N1, a2, f)) return false;
      const double N2 = a2.Nt;
      nt_ = N2;
      last_ = a2;
      g = a2.g;
      if (std::fabs(N2 - N1) / N1 < 1.0e-5 * Tol) return true;
    }
    static const char* const kOrdinal[] = {"1st", "2nd", "3rd", "4th"};
    f = {std::string("TotalMoles ") + kOrdinal[level - 1] + " level iteration not converging" + sLineBreak +
             "in CombEquilibrium",
         81401};
    return false;
  }

  double p_;  // pressure [bar]
  double nAr_ = 0, C_ = 0, H_ = 0, O_ = 0, N_ = 0;
  double kCO2_ = 0, kH2O_ = 0, kO_ = 0, kH_ = 0, kOH_ = 0, kNO_ = 0, kN2O_ = 0;
  double nt_ = 1.0;  // total amount, carried from one substitution to the next
  Products last_;
};

}  // namespace

bool CombEquilibrium(double T, double P, double y, double z, const TGasComposition& Reactants, double Tol,
                     TGasComposition& MoleFr, TGasComposition& MassFr, bool ShowMessages, std::string& ErrMsg,
                     int& ErrCode) {
  ErrMsg.clear();
  Failure f;
  if (!ValidInput(T, P, Reactants, "CombEquilibrium", f)) return Fail(f, ShowMessages, ErrMsg, ErrCode);
  CombustionEquilibrium eq(T, P, y, z, Reactants);
  TGasComposition mole;
  if (!eq.Solve(Tol, mole, f)) return Fail(f, ShowMessages, ErrMsg, ErrCode);
  const TGasComposition mass = MassComposition(mole, 1.0);
  if (!CheckComposition(mass, "CombEquilibrium")) return false;
  MoleFr = mole;
  MassFr = mass;
  return true;
}

namespace {

// Dissociation of CO2 and H2O at a station: the reduced equilibrium with the
// two high-temperature constants, inert nitrogen species and argon.
class StationDissociation {
 public:
  StationDissociation(const TGasconditions& gas) : p_(gas.Ps / 100000.0) {
    n_ = MoleComposition(gas.Composition, 1.0);
    if (n_[gtH2Ol] > kTiny) {  // liquid water returns as vapour
      n_[gtH2Og] += n_[gtH2Ol];
      n_[gtH2Ol] = 0.0;
    }
    I_ = n_[gtAr] + n_[gtNO] + n_[gtN2] + n_[gtN2O];
    C_ = n_[gtCO2] + n_[gtCO];
    H_ = 2 * n_[gtH2Og] + 2 * n_[gtH2] + n_[gtOH] + n_[gtH];
    O_ = 2 * n_[gtCO2] + n_[gtCO] + 2 * n_[gtO2] + n_[gtH2Og] + n_[gtOH] + n_[gtO];
    kCO2_ = CalcEqConst(gas.Ts, Pol2CO2);
    kH2O_ = CalcEqConst(gas.Ts, Pol2H2O);
  }

  bool Solve(double Tol, TGasComposition& moleFr, Failure& f) {
    // Bracketing: step down by decades until the secant estimate is positive.
    double x0 = 1.0, g0 = F(x0), x1 = 0.0, g1 = 0.0, xs = 0.0;
    bool bracketed = false;
    for (int pass = 1; pass <= 15 && !bracketed; ++pass) {
      x1 = 0.1 * x0;
      g1 = F(x1);
      xs = Secant(x0, g0, x1, g1);
      if (xs > 0.0) {
        bracketed = true;
      } else {
        x0 = x1;
        g0 = g1;
      }
    }
    if (!bracketed) {
      f = {"O2 concentration too small", 85513};
      return false;
    }
    x0 = xs;
    double xp = x1;
    bool converged = false;
    for (int pass = 1; pass <= 40 && !converged; ++pass) {
      g0 = F(x0);
      const double d = std::fabs(x0 - xp) / (10.0 * std::max(x0, xp));
      x1 = x0 * std::exp(d);
      g1 = F(x1);
      xs = Secant(x0, g0, x1, g1);
      xp = x0;
      // A secant estimate at or below zero would leave no oxygen: step down instead.
      x0 = xs < kTiny ? 0.85 * x0 : xs;
      converged = std::fabs(xp - x0) / x0 < 0.01 * Tol;
    }
    if (!converged) {
      f = {"No convergence in composition-iteration", 81401};
      return false;
    }
    F(x0);  // amounts at the final estimate, consistent with its oxygen
    moleFr = TGasComposition{};
    moleFr[gtCO2] = nCO2_ / nt_;
    moleFr[gtCO] = nCO_ / nt_;
    moleFr[gtO2] = x0 / nt_;
    moleFr[gtAr] = n_[gtAr] / nt_;
    moleFr[gtH2Og] = nH2O_ / nt_;
    moleFr[gtH2] = nH2_ / nt_;
    moleFr[gtNO] = n_[gtNO] / nt_;
    moleFr[gtN2O] = n_[gtN2O] / nt_;
    moleFr[gtN2] = n_[gtN2] / nt_;
    return true;
  }

 private:
  static double Secant(double xa, double ga, double xb, double gb) {
    const double s = (gb - ga) / (xb - xa);
    return (ga - s * xa) / (1.0 - s);
  }

  // Oxygen-balance estimate of molecular oxygen for x moles of O2; keeps the
  // amounts of this evaluation.
  double F(double x) {
    if (x < 0.0) x = 0.0;
    nt_ = I_ + C_ + H_ / 2.0 + x;
    const double root = std::sqrt(x * p_ / nt_);
    nCO_ = C_ / (1.0 + root / kCO2_);
    nCO2_ = C_ - nCO_;
    nH2_ = (H_ / 2.0) / (1.0 + root / kH2O_);
    nH2O_ = H_ / 2.0 - nH2_;
    return O_ / 2.0 - nCO2_ - nCO_ / 2.0 - nH2O_ / 2.0;
  }

  double p_;  // static pressure [bar]
  TGasComposition n_;
  double I_ = 0, C_ = 0, H_ = 0, O_ = 0, kCO2_ = 0, kH2O_ = 0;
  double nt_ = 0, nCO_ = 0, nCO2_ = 0, nH2_ = 0, nH2O_ = 0;
};

}  // namespace

bool Dissociation(TGasconditions& Gas, double Tol, bool ShowMessages, std::string& ErrMsg, int& ErrCode) {
  ErrMsg.clear();
  Failure f;
  if (!ValidInput(Gas.Ts, Gas.Ps, Gas.Composition, "Dissociation", f)) return Fail(f, ShowMessages, ErrMsg, ErrCode);
  StationDissociation d(Gas);
  TGasComposition mole;
  if (!d.Solve(Tol, mole, f)) return Fail(f, ShowMessages, ErrMsg, ErrCode);
  Gas.Composition = MassComposition(mole, 1.0);
  return true;
}

}  // namespace vyr
