#include "Turbojet.h"

#include <cmath>

#include "Inputs.h"
#include "Solve.h"

namespace vyr::cli {

namespace {

const char* const kId = "Turbojet";
constexpr double kMaxTurbinePR = 100.0;  // highest turbine pressure ratio searched [-]

TGasconditions Total(double W, double Pt, double Tt, const TGasComposition& y, double far) {
  TGasconditions g{};
  g.W = W;
  g.Pt = Pt;
  g.Tt = Tt;
  g.Composition = y;
  g.H = FH(Tt, y);
  g.FARat = far;
  return g;
}

// Design point at a given air flow.
bool Design(const TurbojetInput& in, const Fuel& fuel, double W, TurbojetResult& r) {
  r = TurbojetResult{};
  const double tol = in.tol;

  // Ambient and flight condition (standard atmosphere with the temperature offset).
  TAmbConditions amb{};
  amb.Zp = in.altitude;
  amb.dTs = in.dT;
  amb.Mach = in.mach;
  if (!CalcFlyCon(1, 0, amb)) return false;
  // The gas model iterates between its temperature limits; an ambient state
  // outside them has no free-stream total state.
  if (!(amb.Ts > kIterTmin && amb.Ts < kIterTmax)) {
    ShowMessage(
        Printf("The ambient static temperature %.6g K (offset %.6g K at %.6g m) lies outside the %g K to %g K "
               "of the gas property iterations",
               amb.Ts, in.dT, in.altitude, kIterTmin, kIterTmax));
    return false;
  }
  r.V0 = amb.Vt;

  // Station 0: free stream; total state by the energy equation of the real gas.
  TGasconditions s0 = Total(W, 0, 0, Air, 0);
  s0.Ps = amb.Ps;
  s0.Ts = amb.Ts;
  s0.V = r.V0;
  s0.Mach = in.mach;
  s0.H = FH(amb.Ts, Air) + r.V0 * r.V0 / 2.0;
  if (!GetT(s0.H, Air, tol, s0.Tt, kId)) return false;
  if (!GetPis(amb.Ps, amb.Ts, s0.Tt, Air, tol, s0.Pt, kId)) return false;
  r.stations.push_back({0, s0, true});

  // Station 2: compressor entry after the inlet's pressure loss.
  TGasconditions s2 = Total(W, s0.Pt * in.inletRecovery, s0.Tt, Air, 0);
  r.stations.push_back({2, s2, false});

  // Station 3: compressor exit.
  TGasconditions s3;
  double effC = in.effC, effCpoly = in.effC;
  if (!Compression(s2, in.PR, tol, in.polytropicC, kId, effC, effCpoly, s3)) return false;
  s3.W = W;
  r.effC = effC;
  r.effCpoly = effCpoly;
  r.powerC = W * (s3.H - s2.H);
  r.stations[1].gas = s2;
  r.stations.push_back({3, s3, false});

  // Station 4: burner exit with equilibrium products.
  const double Pt4 = s3.Pt * (1.0 - in.burnerLoss);
  double far = 0.0, T4 = in.T4;
  if (in.far) {
    far = *in.far;
    if (!ExitTemperature(fuel, far, s3.Tt, in.Tfuel, in.effB, Pt4, T4)) return false;
  } else if (!FuelAirRatio(fuel, T4, s3.Tt, in.Tfuel, in.effB, Pt4, far)) {
    return false;
  }
  TGasComposition products;
  if (!EquilibriumProducts(fuel, far, T4, Pt4, products)) return false;
  const double W4 = W * (1.0 + far);
  TGasconditions s4 = Total(W4, Pt4, T4, products, far);
  r.Wf = W * far;
  r.stations.push_back({4, s4, false});

  // Station 5: turbine exit. The shaft power balance fixes the exit enthalpy;
  // the pressure ratio follows from the turbine's expansion with its efficiency.
  const double H5 = s4.H - (r.powerC + in.offtake) / (in.effMech * W4);
  TGasconditions s5;
  double effT = in.effT, effTpoly = in.effT;
  auto residual = [&](double lnPR, double& v) {
    effT = in.effT;
    effTpoly = in.effT;
    if (!TurbineExpansion_PR(s4, std::exp(lnPR), tol, in.polytropicT, kId, effT, effTpoly, s5)) return false;
    v = s5.H - H5;
    return true;
  };
  // The turbine can drive the shaft only while its expansion ends above the
  // ambient pressure; beyond that no nozzle flow and no thrust remain.
  const std::string load = in.offtake > 0 ? "the compressor and the offtake" : "the compressor";
  auto cannotDrive = [&](const std::string& why) {
    ShowMessage(Printf("The turbine cannot drive %s at T4 = %.6g K (fuel-air ratio %.5g): %s", load.c_str(), s4.Tt, far,
                       why.c_str()));
    return false;
  };
  double lnPR = 0.0;
  bool evaluated = true;
  auto tracked = [&](double x, double& v) { return evaluated = residual(x, v); };
  if (!SolveBracketed(tracked, 1e-6, std::log(kMaxTurbinePR), 1e-12, lnPR))
    return evaluated && cannotDrive(Printf("even a turbine pressure ratio of %g does not deliver the %.6g W it needs",
                                           kMaxTurbinePR, r.powerC + in.offtake));
  double check;
  if (!residual(lnPR, check)) return false;
  if (!(s5.Pt > amb.Ps))
    return cannotDrive(
        Printf("its expansion would end at Pt5 = %.6g Pa, below the ambient pressure %.6g Pa", s5.Pt, amb.Ps));
  s5.W = W4;
  r.turbinePR = std::exp(lnPR);
  r.effT = effT;
  r.effTpoly = effTpoly;
  r.powerT = W4 * (s4.H - s5.H);
  r.stations.push_back({5, s5, false});

  // Nozzle: throat 8 and exit 9.
  TGasconditions s8 = s5, s9 = s5;
  double PsOut, Ts, Hs, Mach, V, Wunit, Rho;
  if (in.nozzle == Nozzle::Convergent) {
    // Per unit exit area, then the area that passes the flow.
    if (!ConvDuct(s5.H, s5.Pt, s5.Tt, amb.Ps, 1.0, in.CV, products, tol, PsOut, Ts, Hs, Mach, V, Wunit, Rho, kId))
      return false;
    r.A8 = r.A9 = W4 / Wunit;
    s8.Ps = s9.Ps = PsOut;
    s8.Ts = s9.Ts = Ts;
    s8.Mach = s9.Mach = V / FCs(Ts, products);
    s8.V = s9.V = V;
    s8.A = s9.A = r.A8;
    r.FG = W4 * V + (PsOut - amb.Ps) * r.A9;
  } else {
    // Fully expanded to the ambient pressure; the throat is sonic.
    double Tis, His, Mis, Vis;
    if (!Expansion(s5.H, s5.Pt, s5.Tt, amb.Ps, products, tol, Tis, His, Mis, Vis, kId)) return false;
    V = in.CV * Vis;
    if (!GetT(s5.H - V * V / 2.0, products, tol, Ts, kId)) return false;
    double Ps8, Ts8, V8, A8;
    if (!GetStaticfromM(1.0, s5.Pt, s5.Tt, W4, products, tol, Ps8, Ts8, V8, A8, kId)) return false;
    s8.Ps = Ps8;
    s8.Ts = Ts8;
    s8.Mach = 1.0;
    s8.V = V8;
    s8.A = r.A8 = A8;
    s9.Ps = amb.Ps;
    s9.Ts = Ts;
    s9.V = V;
    s9.Mach = V / FCs(Ts, products);
    r.A9 = W4 * FR(products) * Ts / (amb.Ps * V);
    s9.A = r.A9;
    r.FG = W4 * V;
  }
  r.stations.push_back({8, s8, true});
  r.stations.push_back({9, s9, true});

  r.ramDrag = W * r.V0;
  r.FN = r.FG - r.ramDrag;
  if (!(r.FN > 0)) {
    ShowMessage(
        Printf("The net thrust is %.6g N, not positive: the jet (%.6g m/s) is not faster than the flight "
               "(%.6g m/s) at T4 = %.6g K",
               r.FN, s9.V, r.V0, s4.Tt));
    return false;
  }
  r.TSFC = r.Wf / r.FN;
  r.specificThrust = r.FN / W;
  return true;
}

}  // namespace

bool DesignTurbojet(const TurbojetInput& in, const Fuel& fuel, TurbojetResult& out) {
  if (!in.thrust) return Design(in, fuel, in.W, out);
  // Air flow for the thrust target. Net thrust is nearly proportional to the
  // flow (a fixed power offtake takes a constant share), so the secant method
  // from the given flow and its proportional estimate converges in a few steps.
  const double target = *in.thrust;
  double W0 = in.W;
  if (!Design(in, fuel, W0, out)) return false;
  double F0 = out.FN - target;
  double W1 = W0 * target / out.FN;
  for (int step = 0; step < 50; ++step) {
    if (!(W1 > 0.0) || !std::isfinite(W1)) {
      ShowMessage(Printf("No air flow gives a net thrust of %g N", target));
      return false;
    }
    if (!Design(in, fuel, W1, out)) return false;
    const double F1 = out.FN - target;
    if (std::fabs(F1) <= 1e-9 * target) return true;
    const double W2 = W1 - F1 * (W1 - W0) / (F1 - F0);
    W0 = W1;
    F0 = F1;
    W1 = W2;
  }
  ShowMessage(Printf("No air flow gives a net thrust of %g N", target));
  return false;
}

}  // namespace vyr::cli
