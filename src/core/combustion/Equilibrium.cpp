// Equilibrium combustion: element balances of C, H, O and N closed by seven
// equilibrium constants. The carbon, hydrogen and nitrogen balances are solved
// in closed form for a given O2 partial pressure and total amount; the oxygen
// balance, taken as the departure from complete combustion, and the total are
// then found by Newton's method, started from complete combustion.
#include "Equilibrium.h"

#include <algorithm>
#include <cmath>
#include <limits>

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
namespace {

// K of a fit at T, with lnT = ln T: 10^(log10 K) as e^(ln 10 log10 K).
double EqConst(double T, double lnT, const Carray9& C) {
  constexpr double kLn10 = 2.302585092994046;
  const double u = 1.0 / T;
  const double e = (C[0] * u + C[1] + C[2] * lnT) * u + C[3] * lnT + C[4] + T * (C[5] + T * (C[6] + T * (C[7] + T * C[8])));
  return std::exp(kLn10 * e);
}

}  // namespace

double CalcEqConst(double T, const Carray9& C) { return EqConst(T, std::log(T), C); }

namespace {

constexpr double kTiny = 1.0e-15;
constexpr double kEquilibriumTmin = 200.0;  // lower end of the species tables [K]

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

// Amounts of the product species per mole of reactants at one estimate,
// their total, the residuals of the oxygen balance F and of the total G, and
// the derivatives of F and G with respect to w = ln sqrt(p_O2) and L = ln nu.
struct Products {
  double x = 0, CO2 = 0, CO = 0, H2O = 0, H2 = 0, O = 0, H = 0, OH = 0, NO = 0, N2O = 0, N2 = 0;
  double Nt = 0;
  double F = 0, G = 0, Fw = 0, FL = 0, Gw = 0, GL = 0;
};

// The equilibrium in two unknowns: the square root of the O2 partial pressure
// root [bar^1/2] and nu = Nt / p, the total amount per bar [mol/bar]. At a
// given (root, nu) the carbon, nitrogen and hydrogen balances are closed in
// closed form (CO/CO2 from one constant, a quadratic each for sqrt(nN2) and
// sqrt(nH2)); what remains are the oxygen balance and the total amount, solved
// by Newton's method in w = ln root and L = ln nu.
//
// The oxygen balance is written as the departure from complete combustion:
// with every carbon in CO2 and every hydrogen in H2O, E moles of O2 are left
// (E < 0 rich), and
//   F = 2 nO2 + nO + nNO + nN2O + nOH/2 - nCO - nH2 - nH/2 - 2E = 0.
// Every term is a small amount in its own right, so the balance holds its
// precision however little dissociates: in a cool lean mixture F reduces to
// nO2 = E, the complete-combustion answer, and the traces of CO, H2, O, NO...
// follow from the constants; at stoichiometric the O2 left by dissociation is
// found even where it is 1e-20 of the mixture.
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
    E_ = 0.5 * O_ - C_ - 0.25 * H_;
    Nbase_ = nAr_ + C_ + 0.5 * (H_ + N_);
    const bool low = T <= 1000.0;
    const double lnT = std::log(T);
    kCO2_ = EqConst(T, lnT, low ? Pol1CO2 : Pol2CO2);
    kH2O_ = EqConst(T, lnT, low ? Pol1H2O : Pol2H2O);
    kO_ = EqConst(T, lnT, low ? Pol1O : Pol2O);
    kH_ = EqConst(T, lnT, low ? Pol1H : Pol2H);
    kOHO_ = EqConst(T, lnT, low ? Pol1OH : Pol2OH) * kO_;  // O + H = OH times 1/2 O2 = O: no overflow in the cold
    kNO_ = EqConst(T, lnT, low ? Pol1NO : Pol2NO);
    kN2O_ = EqConst(T, lnT, low ? Pol1N2O : Pol2N2O);
  }

  bool Solve(double Tol, TGasComposition& moleFr, Failure& f) {
    // Not even the oxygen to burn every carbon to CO: no equilibrium among these species.
    if (!(O_ > C_)) return TooLittleOxygen(f);
    Products a;
    // Pure oxygen: O2 and O alone fill the pressure.
    if (!(Nbase_ > 0.0)) {
      const double root = RootMax();
      Evaluate(root, O_ / (root * (2.0 * root + kO_)), false, a);
      Output(a, moleFr);
      return true;
    }

    // The O2 partial pressure lies below the root where O2 and O alone would
    // fill the pressure, and F rises with it: Newton's method in w, kept
    // inside the bracket [lo, hi] of the signs of F found so far.
    double lo = -std::numeric_limits<double>::infinity(), hi = std::log(RootMax());
    double L = std::log((Nbase_ + std::max(E_, 0.0)) / p_);
    const bool rich = E_ < -kRoundOff * O_;
    if (rich) {
      // A rich mixture whose equilibrium holds less than kMinO2 of O2 fails.
      lo = 0.5 * std::log(kMinO2 * p_ / Nbase_);
      if (lo >= hi || !TotalAt(lo, L, 1.0e-5 * Tol, a)) return TooLittleOxygen(f);
      if (a.F >= 0.0) return TooLittleOxygen(f);
    }
    // Start: O2 from the complete-combustion excess and the traces of CO and
    // H2 it leaves (see StartRoot), inside the bracket.
    double w = std::log(StartRoot(std::exp(L)));
    if (!(w < hi - kStartGap) || !std::isfinite(w)) w = hi - kStartGap;
    if (!(w > lo)) w = lo + 0.5 * std::min(hi - lo, kMaxStepW);

    double dwOld = hi - lo;
    for (int pass = 1; pass <= kMaxPasses; ++pass) {
      if (!TotalAt(w, L, kLooseL, a)) {
        // No total at w: O2 and O (nearly) fill the pressure there, beyond the solution.
        hi = w;
        dwOld = hi - lo;
        w = std::isfinite(lo) ? 0.5 * (lo + hi) : w - kMaxStepW;
        continue;
      }
      // The total is only roughly solved: its rest dLg is carried to first
      // order, which makes the step in (w, L) Newton's in both unknowns.
      const double dLg = -a.G / a.GL, F = a.F + a.FL * dLg;
      (F > 0.0 ? hi : lo) = w;
      // Along G = 0: dL/dw = -G_w / G_L, dF/dw = F_w + F_L dL/dw.
      const double dLdw = -a.Gw / a.GL, dFdw = a.Fw + a.FL * dLdw;
      const double step = -std::clamp(F / dFdw, -kMaxStepW, kMaxStepW);
      L += dLg;
      // A small Newton step ends the search where the oxygen balance holds
      // (near the upper end of the bracket F is steep and its steps are small
      // anywhere).
      if (std::fabs(step) < 0.005 * Tol && std::fabs(dLg) < 0.005 * Tol && std::fabs(F) <= 0.05 * Tol * O_) {
        w += step;
        L += dLdw * step;
        // Species at the final estimate itself, so that the products hold
        // the reactants' atoms and their fractions sum to one.
        Evaluate(std::exp(w), std::exp(L), false, a);
        if (rich && a.x < kMinO2) return TooLittleOxygen(f);
        Output(a, moleFr);
        return true;
      }
      // Otherwise a Newton step that stays inside the bracket and at least
      // halves the last step, or else the bracket's midpoint.
      double wNew = w + step;
      const bool newton = wNew > lo && wNew < hi && std::fabs(step) <= 0.5 * std::fabs(dwOld);
      if (!newton) wNew = std::isfinite(lo) ? 0.5 * (lo + hi) : w - kMaxStepW;
      dwOld = wNew - w;
      L += dLdw * dwOld;
      w = wNew;
    }
    f = {"No convergence in composition-iteration" + std::string(sLineBreak) + "in CombEquilibrium", 81401};
    return false;
  }

 private:
  // Relative size of the round-off in the oxygen excess E: a mixture within
  // it of stoichiometric counts as stoichiometric, not rich.
  static constexpr double kRoundOff = 1.0e-9;
  // Least O2 [mol per mol of reactants] of a rich mixture's equilibrium;
  // below it the mixture would form carbon and methane, which are not among
  // the products.
  static constexpr double kMinO2 = 1.0e-15;
  static constexpr int kMaxPasses = 60;
  // Largest step in w: a factor of 10 in sqrt(p_O2).
  static constexpr double kMaxStepW = 2.302585092994046;
  // Least distance of the start below the upper end of the bracket in w.
  static constexpr double kStartGap = 0.5;
  // How closely the total is solved at each estimate of w (in ln nu).
  static constexpr double kLooseL = 1.0e-3;

  static bool TooLittleOxygen(Failure& f) {
    f = {"O2 concentration too small", 80001};
    return false;
  }

  // The root [bar^1/2] at which O2 and O alone have the pressure:
  // root^2 + K_O root = p.
  double RootMax() const { return 2.0 * p_ / (kO_ + std::sqrt(kO_ * kO_ + 4.0 * p_)); }

  // Solves the total G = 0 for L = ln nu at w by Newton's method, inside the
  // bounds that the balances set: the amounts without O2 and O lie between
  // Nbase and Nbase + (H + N)/2, and fill the pressure left by O2 and O.
  // Leaves the products of the last evaluation in a.
  bool TotalAt(double w, double& L, double tolL, Products& a) const {
    const double root = std::exp(w), rest = p_ - root * (root + kO_);
    if (!(rest > 0.0)) return false;
    double Llo = std::log(Nbase_ / rest), Lhi = std::log((Nbase_ + 0.5 * (H_ + N_)) / rest);
    L = std::clamp(L, Llo, Lhi);
    for (int pass = 1; pass <= kMaxPasses; ++pass) {
      Evaluate(root, std::exp(L), true, a);
      (a.G > 0.0 ? Llo : Lhi) = L;  // G falls with L
      const double dL = -a.G / a.GL;
      if (std::fabs(dL) < tolL) return true;
      L += dL;
      if (!(L > Llo && L < Lhi)) L = 0.5 * (Llo + Lhi);
    }
    return false;
  }

  void Output(const Products& a, TGasComposition& moleFr) const {
    const double Nt = a.Nt;
    moleFr = TGasComposition{};
    moleFr[gtCO2] = a.CO2 / Nt;
    moleFr[gtCO] = a.CO / Nt;
    moleFr[gtO2] = a.x / Nt;
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
  }

  // Start value of root = sqrt(p_O2) [bar^1/2] at the total nu: with CO and H2
  // taken as traces (nCO = C K_CO2 / root, nH2 = H/2 K_H2O / root) the oxygen
  // balance is the cubic 2 nu r^3 - 2 E r - D = 0, D = C K_CO2 + H/2 K_H2O.
  // It is convex and rises for r > 0; sqrt(E+/nu) + cbrt(D/(2 nu)) lies above
  // its positive root, so Newton's method from there descends onto it. Lean it
  // gives the complete-combustion O2, near stoichiometric the O2 of
  // dissociation, rich the O2 that leaves the CO and H2 of the O2 deficit.
  double StartRoot(double nu) const {
    const double D = C_ * kCO2_ + 0.5 * H_ * kH2O_;
    double r = std::sqrt(std::max(E_, 0.0) / nu) + std::cbrt(D / (2.0 * nu));
    for (int i = 0; i < 60; ++i) {
      // The Newton step r - phi/phi' written without the difference, which
      // would cancel where the root is far below r.
      const double rNew = (4.0 * nu * r * r * r + D) / (6.0 * nu * r * r - 2.0 * E_);
      if (!(rNew < r)) break;  // at the root, or round-off
      const bool close = r - rNew < 1e-3 * rNew;
      r = rNew;
      if (close) break;
    }
    return r;
  }

  // Product amounts at root = sqrt(p_O2) [bar^1/2] and nu = Nt / p [mol/bar]
  // (the amount of a species of partial pressure p_i is p_i nu), with the two
  // residuals and, if asked, their derivatives in w = ln root and L = ln nu.
  void Evaluate(double root, double nu, bool derivatives, Products& a) const {
    const double sqnu = std::sqrt(nu);
    a.x = root * root * nu;
    // Carbon: nCO2 / nCO = root / K_CO2.
    const double ra = root / kCO2_, fCO2 = ra / (1.0 + ra);
    a.CO = C_ / (1.0 + ra);
    a.CO2 = C_ * fCO2;
    a.O = kO_ * root * nu;
    // Nitrogen: 2 nN2 + nNO + 2 nN2O = N with nNO = an s, nN2O = bn s^2, s = sqrt(nN2).
    const double an = kNO_ * kO_ * root * sqnu, bn = kN2O_ * kO_ * root;
    double s = 0.0, denN = 1.0;
    if (N_ > 0.0) {
      const double A = 2.0 * (1.0 + bn);
      s = 2.0 * N_ / (an + std::sqrt(an * an + 4.0 * A * N_));
      denN = 2.0 * A * s + an;
    }
    a.N2 = s * s;
    a.NO = an * s;
    a.N2O = bn * a.N2;
    // Hydrogen: 2 nH2 + 2 nH2O + nH + nOH = H with nH2O = rb nH2, nH = h r,
    // nOH = q r, r = sqrt(nH2).
    const double rb = root / kH2O_, h = kH_ * sqnu, q = kOHO_ * kH_ * root * sqnu, c = h + q;
    double r = 0.0, denH = 1.0;
    if (H_ > 0.0) {
      const double A = 2.0 * (1.0 + rb);
      r = 2.0 * H_ / (c + std::sqrt(c * c + 4.0 * A * H_));
      denH = 2.0 * A * r + c;
    }
    a.H2 = r * r;
    a.H2O = rb * a.H2;
    a.H = h * r;
    a.OH = q * r;
    a.Nt = nAr_ + a.CO2 + a.CO + a.x + a.H2O + a.H2 + a.O + a.H + a.OH + a.NO + a.N2O + a.N2;
    a.F = 2.0 * a.x + a.O + a.NO + a.N2O + 0.5 * a.OH - a.CO - a.H2 - 0.5 * a.H - 2.0 * E_;
    // The total from the balances: nAr + C + H/2 + N/2 + nO2 + nO + (nH + nOH + nNO)/2.
    a.G = Nbase_ + a.x + a.O + 0.5 * (a.H + a.OH + a.NO) - p_ * nu;
    if (!derivatives) return;
    // Implicit derivatives of s and r from their quadratics.
    const double s_w = -(2.0 * a.N2O + a.NO) / denN, s_L = -0.5 * a.NO / denN;
    const double r_w = -(2.0 * a.H2O + a.OH) / denH, r_L = -0.5 * (a.H + a.OH) / denH;
    const double NO_w = a.NO + an * s_w, NO_L = 0.5 * a.NO + an * s_L;
    const double N2O_w = a.N2O + 2.0 * bn * s * s_w, N2O_L = 2.0 * bn * s * s_L;
    const double H2_w = 2.0 * r * r_w, H2_L = 2.0 * r * r_L;
    const double H_w = h * r_w, H_L = 0.5 * a.H + h * r_L;
    const double OH_w = a.OH + q * r_w, OH_L = 0.5 * a.OH + q * r_L;
    const double CO_w = -a.CO * fCO2;
    a.Fw = 4.0 * a.x + a.O + NO_w + N2O_w + 0.5 * OH_w - CO_w - H2_w - 0.5 * H_w;
    a.FL = 2.0 * a.x + a.O + NO_L + N2O_L + 0.5 * OH_L - H2_L - 0.5 * H_L;
    a.Gw = 2.0 * a.x + a.O + 0.5 * (H_w + OH_w + NO_w);
    a.GL = a.x + a.O + 0.5 * (H_L + OH_L + NO_L) - p_ * nu;
  }

  double p_;  // pressure [bar]
  double nAr_ = 0, C_ = 0, H_ = 0, O_ = 0, N_ = 0;
  double E_ = 0;      // O2 left by complete combustion (negative: the O2 missing)
  double Nbase_ = 0;  // total amount of the products without O2 and radicals
  double kCO2_ = 0, kH2O_ = 0, kO_ = 0, kH_ = 0, kOHO_ = 0, kNO_ = 0, kN2O_ = 0;
};

}  // namespace

bool CombEquilibrium(double T, double P, double y, double z, const TGasComposition& Reactants, double Tol,
                     TGasComposition& MoleFr, TGasComposition& MassFr, bool ShowMessages, std::string& ErrMsg,
                     int& ErrCode) {
  ErrMsg.clear();
  Failure f;
  if (!ValidInput(T, P, Reactants, "CombEquilibrium", f)) return Fail(f, ShowMessages, ErrMsg, ErrCode);
  // The species tables, whose Gibbs energies the constants fit, begin at 200 K.
  if (T < kEquilibriumTmin) {
    f = {Format("Temperature (%g K) below the %g K limit of the property tables in" + std::string(sLineBreak) +
                    "CombEquilibrium",
                {T, kEquilibriumTmin}),
         0};
    return Fail(f, ShowMessages, ErrMsg, ErrCode);
  }
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
