#include "EngineComponents.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "EngineSolve.h"
#include "SysUtils.h"
#include "FlightConditions.h"
#include "GasIterations.h"
#include "GasProperties.h"
#include "Messages.h"
#include "Processes.h"
#include "Statics.h"

namespace vyr::engine {


namespace {

// A total state with the enthalpy at Tt.
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

// The total state of a station alone (no statics, no process data).
TGasconditions TotalOf(const TGasconditions& in) {
  TGasconditions g{};
  g.W = in.W;
  g.Pt = in.Pt;
  g.Tt = in.Tt;
  g.H = in.H;
  g.FARat = in.FARat;
  g.Composition = in.Composition;
  return g;
}

// Fuel flow carried by a flow of fuel-air ratio far [kg/s].
double FuelIn(const TGasconditions& g) { return g.W * g.FARat / (1.0 + g.FARat); }

// Adiabatic mix of flows at the pressure of the first: mass, fuel and
// enthalpy add; the temperature follows from the mixed enthalpy.
bool Mix(const TGasconditions& main, const std::vector<const TGasconditions*>& added, double tol,
         const std::string& id, TGasconditions& out) {
  out = TotalOf(main);
  double W = main.W, WH = main.W * main.H, fuel = FuelIn(main);
  TGasComposition y = main.Composition;
  for (const TGasconditions* a : added) {
    y = MixGasComposition(y, a->Composition, W, a->W);
    W += a->W;
    WH += a->W * a->H;
    fuel += FuelIn(*a);
  }
  out.W = W;
  out.H = WH / W;
  out.Composition = y;
  out.FARat = fuel / (W - fuel);
  return GetT(out.H, y, tol, out.Tt, id);
}

// Collects the messages of the library while a component calculates.
class TCollect {
 public:
  TCollect()
      : previous_(SetMessageHandler([this](const TMessage& m) {
          messages.push_back(m);
          return static_cast<int>(mrOk);
        })) {}
  ~TCollect() { SetMessageHandler(std::move(previous_)); }
  TCollect(const TCollect&) = delete;
  TCollect& operator=(const TCollect&) = delete;
  std::vector<TMessage> messages;

 private:
  TMessageHandler previous_;
};

bool Between(double v, double lo, double hi) { return v >= lo && v <= hi; }

// Temperatures the gas property tables cover [K]: the species' polynomials
// start at 200 K and end at 6000 K.
constexpr double kTableTmin = 200.0, kTableTmax = T_tablemax;

// Corrected flow at a station: W sqrt(Tt/288.15 K) / (Pt/101325 Pa) [kg/s].
double CorrectedFlow(const TGasconditions& g) { return g.W * std::sqrt(g.Tt / T_slst) / (g.Pt / P_slst); }

// What is wrong with a temperature of a station: outside the property tables;
// empty when it lies within them.
std::string TemperatureProblem(const char* what, int station, double T) {
  if (T >= kTableTmin && T <= kTableTmax) return {};
  return Printf("the %s temperature at station %d, %.6g K, lies %s the %g K of the gas property tables", what, station,
                T, T < kTableTmin ? "below" : "above", T < kTableTmin ? kTableTmin : kTableTmax);
}

}  // namespace

bool TComponent::Calc(TEngineState& s) { return Collected(s, false); }

bool TComponent::CalcOffDesign(TEngineState& s) { return Collected(s, true); }

bool TComponent::Collected(TEngineState& s, bool offDesign) {
  bool ok;
  std::vector<TMessage> messages;
  {
    TCollect collect;
    ok = offDesign ? OffDesign(s) : Design(s);
    if (ok) ok = StationsInTables(s);
    messages = std::move(collect.messages);
  }
  if (ok) {
    // Notes of a successful step reach the handler as they would have.
    for (const TMessage& m : messages)
      m.Plain ? ShowMessage(m.Text) : static_cast<void>(MessageDlg(m.Text, m.DlgType, m.Buttons, m.HelpCtx));
    return true;
  }
  s.failedComponent = name;
  s.messages = std::move(messages);
  if (s.messages.empty()) {
    TMessage m;
    m.Text = "The calculation of " + name + " failed";
    m.Plain = true;
    s.messages.push_back(m);
  }
  s.error.clear();
  for (const TMessage& m : s.messages) s.error += (s.error.empty() ? "" : "; ") + m.Text;
  return false;
}

bool TComponent::Fail(TEngineState&, const std::string& text) const {
  ShowMessage(text);
  return false;
}

// Every station's total temperature, and its static one where it has one,
// within the property tables: beyond them the gas properties are
// extrapolations.
bool TComponent::StationsInTables(TEngineState& s) const {
  for (const auto& [n, st] : s.stations) {
    std::string why = TemperatureProblem("total", n, st.gas.Tt);
    if (why.empty() && st.hasStatic) why = TemperatureProblem("static", n, st.gas.Ts);
    if (!why.empty()) {
      s.outOfDomain = true;
      return Fail(s, name + ": " + why);
    }
  }
  return true;
}

const TStation* TComponent::Inlet(TEngineState& s, int number) const {
  const TStation* st = s.Find(number);
  if (!st) Fail(s, Printf("%s: station %d has no flow yet (no component before it sets it)", name.c_str(), number));
  return st;
}

// ---------------------------------------------------------------------------

bool TAmbient::Design(TEngineState& s) {
  if (!Between(mach, 0.0, 10.0)) return Fail(s, Printf("%s: flight Mach number %g outside 0 to 10", name.c_str(), mach));
  TAmbConditions amb{};
  amb.Mach = mach;
  if (givenStatic) {
    if (!(Ps > 0.0)) return Fail(s, Printf("%s: ambient static pressure %g Pa is not positive", name.c_str(), Ps));
    amb.Ps = Ps;
    amb.Ts = Ts;
    if (!CalcFlyCon(2, 0, amb)) return false;
  } else {
    amb.Zp = altitude;
    amb.dTs = dT;
    if (!CalcFlyCon(1, 0, amb)) return false;
  }
  amb.Composition = Air;
  // The gas model iterates between its temperature limits; an ambient state
  // outside them has no free-stream total state.
  if (!(amb.Ts > T_itermin && amb.Ts < T_itermax)) {
    if (givenStatic)
      return Fail(s, Printf("The ambient static temperature %.6g K lies outside the %g K to %g K of the gas property "
                            "iterations",
                            amb.Ts, T_itermin, T_itermax));
    return Fail(s, Printf("The ambient static temperature %.6g K (offset %.6g K at %.6g m) lies outside the %g K to "
                          "%g K of the gas property iterations",
                          amb.Ts, dT, altitude, T_itermin, T_itermax));
  }
  s.ambient = amb;
  s.hasAmbient = true;
  s.V0 = s.performance.V0 = amb.Vt;

  // Free stream; total state by the energy equation of the real gas. The
  // inlet sets its flow.
  TGasconditions g{};
  g.Composition = Air;
  g.Ps = amb.Ps;
  g.Ts = amb.Ts;
  g.V = s.V0;
  g.Mach = mach;
  g.H = FH(amb.Ts, Air) + s.V0 * s.V0 / 2.0;
  if (!GetT(g.H, Air, s.tolerance, g.Tt, Id())) return false;
  if (!GetPis(amb.Ps, amb.Ts, g.Tt, Air, s.tolerance, g.Pt, Id())) return false;
  s.Set(outStation, g, true);
  return true;
}

double MilRecoveryFactor(double M) { return M > 1.0 ? 1.0 - 0.075 * std::pow(M - 1.0, 1.35) : 1.0; }

bool TInlet::Design(TEngineState& s) {
  if (!(W > 0.0) || !std::isfinite(W)) return Fail(s, Printf("%s: air flow %g kg/s is not positive", name.c_str(), W));
  if (!(recovery > 0.0 && recovery <= 1.0))
    return Fail(s, Printf("%s: pressure recovery %g outside 0 to 1", name.c_str(), recovery));
  TStation* in = s.Find(inStation);
  if (!in) return Inlet(s, inStation) != nullptr;
  double r = recovery;
  if (schedule == TRecoverySchedule::MilE5008B) {
    const double M = s.hasAmbient ? s.ambient.Mach : 0.0;
    r *= MilRecoveryFactor(M);
    if (!(r > 0.0))
      return Fail(s, Printf("%s: the supersonic recovery schedule leaves no pressure at Mach %g", name.c_str(), M));
  }
  in->gas.W = W;
  s.Set(outStation, Total(W, in->gas.Pt * r, in->gas.Tt, in->gas.Composition, in->gas.FARat));
  s.performance.W += W;
  s.performance.ramDrag += W * s.V0;
  return true;
}

bool TDuct::Design(TEngineState& s) {
  if (!(loss >= 0.0 && loss < 1.0))
    return Fail(s, Printf("%s: relative pressure loss %g outside 0 to 1", name.c_str(), loss));
  const TStation* in = Inlet(s, inStation);
  if (!in) return false;
  TGasconditions g = TotalOf(in->gas);
  g.Pt *= 1.0 - loss;
  s.Set(outStation, g);
  return true;
}

bool TCompressor::Design(TEngineState& s) {
  if (!(PR >= 1.0) || !std::isfinite(PR))
    return Fail(s, Printf("%s: pressure ratio %g is below 1", name.c_str(), PR));
  if (!(eff > 0.0 && eff <= 1.0)) return Fail(s, Printf("%s: efficiency %g outside 0 to 1", name.c_str(), eff));
  double taken = 0.0;
  for (const TBleedOfftake& b : bleeds) {
    if (b.name.empty()) return Fail(s, name + ": a bleed has no name");
    if (s.bleeds.count(b.name)) return Fail(s, Printf("%s: a bleed named \"%s\" exists already", name.c_str(), b.name.c_str()));
    if (!(b.flowFraction >= 0.0) || !Between(b.enthalpyFraction, 0.0, 1.0))
      return Fail(s, Printf("%s: bleed \"%s\" needs a flow fraction of at least 0 and an enthalpy fraction of 0 to 1",
                            name.c_str(), b.name.c_str()));
    taken += b.flowFraction;
  }
  if (!(taken < 1.0))
    return Fail(s, Printf("%s: the bleeds take %g of the inlet flow, nothing would leave the compressor", name.c_str(),
                          taken));
  if (!Between(inMach, 0.0, 1.0) || !Between(outMach, 0.0, 1.0))
    return Fail(s, Printf("%s: face and exit Mach numbers %g and %g must lie between 0 and 1", name.c_str(), inMach,
                          outMach));
  double effIs = eff;
  if (!Compress(s, PR, eff, polytropic, effIs)) return false;
  if (!FaceAndExitStatics(s, false)) return false;
  if (map) {
    // The map's design node is this point: its scalars.
    TMapPoint node;
    std::string why;
    const TGasconditions& g = s.stations[inStation].gas;
    const double theta = g.Tt / 288.15, delta = g.Pt / 101325.0;
    const double N = s.Shaft(shaft).rpm;
    if (!(N > 0.0)) return Fail(s, Printf("%s: a compressor on a map needs the speed of shaft %d", name.c_str(), shaft));
    if (!map->Lookup(map->designN, map->designR, node, why)) return Fail(s, name + ": " + why);
    const double Wc = g.W * std::sqrt(theta) / delta, Nc = N / std::sqrt(theta);
    if (!ScaleToDesign(node, map->designN, Nc, Wc, PR, effIs, scalars, why)) return Fail(s, name + ": " + why);
    scaled = true;
    WcDesign = Wc;
    TMapResult r{name, false, shaft, N, map->designN, map->designR, Nc, Wc, PR, effIs, 0.0, false};
    if (!map->SurgeMarginAt(map->designN, map->designR, scalars, r.surgeMargin, why)) return Fail(s, name + ": " + why);
    s.performance.maps.push_back(r);
  }
  return true;
}

bool TCompressor::Compress(TEngineState& s, double pr, double effIn, bool poly, double& effIs) {
  TStation* in = s.Find(inStation);
  if (!in) return Inlet(s, inStation) != nullptr;
  TGasconditions& gin = in->gas;  // the compression refreshes its entropy
  const double PR = pr;
  effIs = effIn;
  double effPoly = effIn;
  const bool polytropic = poly;
  TGasconditions out;
  if (!Compression(gin, PR, s.tolerance, polytropic, Id(), effIs, effPoly, out)) return false;
  const double W = gin.W;
  out.W = W;
  double power = W * (out.H - gin.H);
  // A bleed leaves at its share of the enthalpy rise and takes no further work.
  for (const TBleedOfftake& b : bleeds) {
    TBleed bl;
    bl.name = b.name;
    bl.source = name;
    bl.fromStation = inStation;
    const double Wb = b.flowFraction * W;
    const double Hb = gin.H + b.enthalpyFraction * (out.H - gin.H);
    double Tb = out.Tt;
    if (b.enthalpyFraction < 1.0 && !GetT(Hb, gin.Composition, s.tolerance, Tb, Id())) return false;
    const double Pb = b.enthalpyFraction < 1.0 ? gin.Pt * std::pow(PR, b.enthalpyFraction) : out.Pt;
    bl.gas = Total(Wb, Pb, Tb, gin.Composition, gin.FARat);
    bl.gas.H = Hb;
    power -= Wb * (out.H - Hb);
    out.W -= Wb;
    s.bleeds[b.name] = bl;
  }
  s.Set(outStation, out);
  TShaft& sh = s.Shaft(shaft);
  sh.absorbed += power;
  sh.loads.push_back(name);
  const double Wc = CorrectedFlow(gin);
  s.performance.machines.push_back({name, false, shaft, inStation, outStation, PR, effIs, effPoly, power, Wc});
  if (s.performance.Wc2 == 0.0) s.performance.Wc2 = Wc;
  return true;
}

namespace {

// The static state of a station at a Mach number by the real gas's energy
// equation, H(Ts) + (M a(Ts))^2/2 = Ht, and the isentropic pressure at Ts; the
// area passes the flow. False when the iteration does not settle.
bool StaticAtMach(TGasconditions& g, double M, double tol, const std::string& id) {
  const TGasComposition& y = g.Composition;
  double T = g.Tt / (1.0 + 0.2 * M * M);
  bool settled = false;
  for (int pass = 0; pass < 50 && !settled; ++pass) {
    const double a = FCs(T, y);
    const double dH = g.H - FH(T, y) - 0.5 * M * M * a * a;
    // d/dT of the residual is about -cp (1 + (gamma - 1) M^2 / 2); -cp is near enough for Newton.
    const double step = dH / FCp(T, y);
    T += step;
    settled = std::fabs(step) < 1e-9 * g.Tt;
  }
  if (!settled || !GetPis(g.Pt, g.Tt, T, y, tol, g.Ps, id)) return false;
  g.Ts = T;
  g.Mach = M;
  g.V = M * FCs(T, y);
  g.A = g.W * FR(y) * T / (g.Ps * g.V);
  return true;
}

}  // namespace

bool TCompressor::FaceAndExitStatics(TEngineState& s, bool offDesign) {
  for (const auto& [number, mach, area] : {std::tuple{inStation, inMach, AinDesign},
                                           std::tuple{outStation, outMach, AoutDesign}}) {
    TStation* st = s.Find(number);
    if (!st) continue;
    TGasconditions& g = st->gas;
    if (!offDesign) {
      if (!(mach > 0.0)) continue;
      if (!StaticAtMach(g, mach, s.tolerance, Id())) return Fail(s, Printf("%s: no static state at station %d for Mach %g",
                                                                      name.c_str(), number, mach));
      st->hasStatic = true;
      continue;
    }
    // Off design the design area gives the Mach number; a point whose flow
    // the area cannot pass subsonic leaves the statics out (the map, not the
    // duct, governs the flow).
    if (!(area > 0.0)) continue;
    TGasconditions t = g;
    t.A = area;
    bool ok;
    {
      TCollect quiet;
      ok = GetStaticfromOption(t, ssoArea, s.tolerance, Id(), true);
    }
    if (ok && t.Mach < 1.0) {
      g = t;
      st->hasStatic = true;
    }
  }
  return true;
}

bool TSplitter::Design(TEngineState& s) {
  if (!(BPR >= 0.0) || !std::isfinite(BPR))
    return Fail(s, Printf("%s: bypass ratio %g is negative", name.c_str(), BPR));
  if (coreStation == bypassStation)
    return Fail(s, Printf("%s: core and bypass need two station numbers", name.c_str()));
  const TStation* in = Inlet(s, inStation);
  if (!in) return false;
  // An outlet may carry the inlet's number (the fan exit in the bypass): it replaces it.
  TGasconditions core = TotalOf(in->gas), bypass = core;
  core.W = in->gas.W / (1.0 + BPR);
  bypass.W = in->gas.W - core.W;
  s.Set(coreStation, core);
  s.Set(bypassStation, bypass);
  return true;
}

bool TBurner::Design(TEngineState& s) {
  if (!(loss >= 0.0 && loss < 1.0))
    return Fail(s, Printf("%s: relative pressure loss %g outside 0 to 1", name.c_str(), loss));
  if (!(eff > 0.0 && eff <= 1.0)) return Fail(s, Printf("%s: efficiency %g outside 0 to 1", name.c_str(), eff));
  if (givenFar && !(FAR > 0.0)) return Fail(s, Printf("%s: fuel-air ratio %g is not positive", name.c_str(), FAR));
  return Burn(s, givenFar, Tt, FAR);
}

bool TBurner::Burn(TEngineState& s, bool givenFar, double Tt, double FAR) {
  const TStation* in = Inlet(s, inStation);
  if (!in) return false;
  const TGasconditions& g3 = in->gas;

  if (givenFar && !(FAR > 0.0))
    return Fail(s, Printf("%s: fuel-air ratio %g is not positive (fuel flow %g kg/s)", name.c_str(), FAR, FAR * g3.W));
  if (g3.FARat != 0.0)
    return Fail(s, Printf("%s: the burner takes air only, its inlet carries a fuel-air ratio of %g", name.c_str(),
                          g3.FARat));
  if (!givenFar && !(Tt > g3.Tt)) {
    s.outOfDomain = true;
    return Fail(s, Printf("%s: the exit temperature T%d = %.6g K is not above the inlet temperature T%d = %.6g K: a "
                          "burner only heats the flow",
                          name.c_str(), outStation, Tt, inStation, g3.Tt));
  }
  const double Pt4 = g3.Pt * (1.0 - loss);
  double far = 0.0, T4 = Tt;
  if (givenFar) {
    far = FAR;
    if (!ExitTemperature(fuel, far, g3.Tt, Tfuel, eff, Pt4, T4, products)) return false;
  } else if (!FuelAirRatio(fuel, T4, g3.Tt, Tfuel, eff, Pt4, far, products)) {
    return false;
  }
  TGasComposition y;
  if (products == TProducts::Complete ? !CompleteProducts(fuel, far, y) : !EquilibriumProducts(fuel, far, T4, Pt4, y))
    return false;
  const double W = g3.W;
  s.Set(outStation, Total(W * (1.0 + far), Pt4, T4, y, far));
  s.performance.Wf += W * far;
  s.performance.heatInput += W * far * fuel.LHV;
  return true;
}

TShaft* TTurbine::DrivenShaft(TEngineState& s) const {
  const auto sh = s.shafts.find(shaft);
  if (sh != s.shafts.end() && !sh->second.loads.empty()) return &sh->second;
  Fail(s, Printf("The %s drives shaft %d, on which no compressor has been calculated before it", name.c_str(), shaft));
  return nullptr;
}

bool TTurbine::Design(TEngineState& s) {
  if (!(eff > 0.0 && eff <= 1.0)) return Fail(s, Printf("%s: efficiency %g outside 0 to 1", name.c_str(), eff));
  if (!(maxPR > 1.0)) return Fail(s, Printf("%s: highest pressure ratio %g is not above 1", name.c_str(), maxPR));
  const TStation* in = Inlet(s, inStation);
  if (!in) return false;
  TShaft* driven = DrivenShaft(s);
  if (!driven) return false;
  TShaft& sf = *driven;

  // Cooling air: mixed before the rotor (doing work in it) or after it (doing none).
  std::vector<const TGasconditions*> before, after;
  for (const TCoolingFlow& c : cooling) {
    const auto b = s.bleeds.find(c.bleed);
    if (b == s.bleeds.end())
      return Fail(s, Printf("%s: no bleed named \"%s\" has been taken before it", name.c_str(), c.bleed.c_str()));
    const bool twice = std::count_if(cooling.begin(), cooling.end(),
                                     [&](const TCoolingFlow& o) { return o.bleed == c.bleed; }) > 1;
    if (!b->second.usedBy.empty() || twice)
      return Fail(s, Printf("%s: bleed \"%s\" is taken in by %s already", name.c_str(), c.bleed.c_str(),
                            twice ? name.c_str() : b->second.usedBy.c_str()));
    if (!(b->second.gas.Pt > in->gas.Pt) && c.atInlet)
      return Fail(s, Printf("%s: bleed \"%s\" at %.6g Pa cannot enter the turbine inlet at %.6g Pa", name.c_str(),
                            c.bleed.c_str(), b->second.gas.Pt, in->gas.Pt));
    (c.atInlet ? before : after).push_back(&b->second.gas);
  }
  TGasconditions g4 = in->gas;
  if (!before.empty()) {
    if (!Mix(in->gas, before, s.tolerance, Id(), g4)) return false;
    if (rotorInStation != 0) s.Set(rotorInStation, g4);
  }
  const double W4 = g4.W;

  // The shaft's power balance fixes the exit enthalpy; the pressure ratio
  // follows from the expansion with the turbine's efficiency.
  const double demand = sf.absorbed + sf.offtake - sf.delivered * sf.effMech;
  std::string load;
  for (std::size_t k = 0; k < sf.loads.size(); ++k) load += (k ? " and the " : "the ") + sf.loads[k];
  if (sf.offtake > 0) load += " and the offtake";
  const int exitNumber = rotorExitStation != 0 && !after.empty() ? rotorExitStation : outStation;
  auto cannotDrive = [&](const std::string& why) {
    return Fail(s, Printf("The %s cannot drive %s at T%d = %.6g K (fuel-air ratio %.5g): %s", name.c_str(),
                          load.c_str(), inStation, g4.Tt, g4.FARat, why.c_str()));
  };
  if (!(demand > 0.0)) return cannotDrive(Printf("the shaft needs no power (%.6g W)", demand));
  const double H5 = g4.H - demand / (sf.effMech * W4);
  TGasconditions g5;
  double effIs = eff, effPoly = eff;
  auto residual = [&](double lnPR, double& v) {
    effIs = eff;
    effPoly = eff;
    if (!TurbineExpansion_PR(g4, std::exp(lnPR), s.tolerance, polytropic, Id(), effIs, effPoly, g5)) return false;
    v = g5.H - H5;
    return true;
  };
  double lnPR = 0.0;
  bool evaluated = true;
  auto tracked = [&](double x, double& v) { return evaluated = residual(x, v); };
  if (!SolveBracketed(tracked, 1e-6, std::log(maxPR), 1e-12, lnPR))
    return evaluated && cannotDrive(Printf("even a turbine pressure ratio of %g does not deliver the %.6g W it needs",
                                           maxPR, demand));
  double check;
  if (!residual(lnPR, check)) return false;
  // The expansion must end above the ambient pressure: beyond that no nozzle
  // flow and no thrust remain.
  if (s.hasAmbient && !(g5.Pt > s.ambient.Ps))
    return cannotDrive(Printf("its expansion would end at Pt%d = %.6g Pa, below the ambient pressure %.6g Pa",
                              exitNumber, g5.Pt, s.ambient.Ps));
  g5.W = W4;
  const double power = W4 * (g4.H - g5.H);
  TGasconditions out = g5;
  if (!after.empty()) {
    if (rotorExitStation != 0) s.Set(rotorExitStation, g5);
    if (!Mix(g5, after, s.tolerance, Id(), out)) return false;
  }
  if (before.empty()) s.stations[inStation].gas = g4;  // the expansion refreshed the inlet's entropy
  s.Set(outStation, out);
  for (const TCoolingFlow& c : cooling) s.bleeds[c.bleed].usedBy = name;
  sf.delivered += power;
  sf.drivers.push_back(name);
  s.performance.machines.push_back(
      {name, true, shaft, inStation, outStation, std::exp(lnPR), effIs, effPoly, power, 0.0});
  if (map) {
    TMapPoint node;
    std::string why;
    const double N = sf.rpm;
    if (!(N > 0.0)) return Fail(s, Printf("%s: a turbine on a map needs the speed of shaft %d", name.c_str(), shaft));
    if (!map->Lookup(map->designN, map->designPR, node, why)) return Fail(s, name + ": " + why);
    const double Wp = W4 * std::sqrt(g4.Tt) / g4.Pt, Np = N / std::sqrt(g4.Tt);
    if (!ScaleToDesign(node, map->designN, Np, Wp, std::exp(lnPR), effIs, scalars, why))
      return Fail(s, name + ": " + why);
    scaled = true;
    WpDesign = Wp;
    s.performance.maps.push_back({name, true, shaft, N, map->designN, map->designPR, Np, Wp, std::exp(lnPR), effIs, 0.0,
                                  false});
  }
  return true;
}

bool TNozzle::Design(TEngineState& s) { return Exhaust(s, false); }

bool TNozzle::OffDesign(TEngineState& s) { return Exhaust(s, true); }

// At design the throat area follows from the flow; off design it stays the
// design's, and the flow it passes at the inlet's total state is the other
// side of the nozzle's error. The thrust follows alike.
bool TNozzle::Exhaust(TEngineState& s, bool offDesign) {
  if (!(CV > 0.0 && CV <= 1.0))
    return Fail(s, Printf("%s: velocity coefficient %g outside 0 to 1", name.c_str(), CV));
  if (!(CD > 0.0 && CD <= 1.0))
    return Fail(s, Printf("%s: discharge coefficient %g outside 0 to 1", name.c_str(), CD));
  if (!s.hasAmbient) return Fail(s, name + ": no ambient condition to exhaust to");
  const TStation* in = Inlet(s, inStation);
  if (!in) return false;
  const TGasconditions g5 = in->gas;
  const double Pamb = s.ambient.Ps, W = g5.W;
  const TGasComposition& y = g5.Composition;
  if (!(g5.Pt > Pamb))
    return Fail(s, Printf("The flow of the %s cannot pass: its total pressure %.6g Pa is not above the ambient "
                          "pressure %.6g Pa",
                          name.c_str(), g5.Pt, Pamb));
  const double tol = s.tolerance;
  TNozzleResult r;
  r.name = name;
  r.inStation = inStation;
  r.throatStation = throatStation;
  r.exitStation = exitStation;
  r.W = W;
  r.CD = CD;

  // Throat: the isentropic flow to the ambient pressure, or the sonic state
  // where that would be supersonic (per unit effective area).
  double Ps8, Ts8, Hs8, M8, V8, Wunit, Rho8;
  if (!ConvDuct(g5.H, g5.Pt, g5.Tt, Pamb, 1.0, 1.0, y, tol, Ps8, Ts8, Hs8, M8, V8, Wunit, Rho8, Id())) return false;
  if (!(Wunit > 0.0)) return Fail(s, Printf("The flow of the %s cannot pass: no flow per unit area", name.c_str()));
  r.choked = M8 >= 1.0;
  r.Aeff8 = offDesign ? CD * A8Design : W / Wunit;
  r.A8 = r.Aeff8 / CD;
  const double capacity = Wunit * r.Aeff8;  // flow the throat passes (off design)
  TGasconditions s8 = g5, s9 = g5;
  s8.Ps = Ps8;
  s8.Ts = Ts8;
  s8.Mach = M8;
  s8.V = V8;
  s8.A = r.A8;

  // Exit: the jet at the velocity coefficient times the isentropic velocity
  // to the exit pressure; the loss leaves it hotter at that pressure.
  double Vis = V8, Ps9 = Ps8, Aeff9 = r.Aeff8;
  const bool expands = kind == TKind::ConvergentDivergent && r.choked;
  if (expands) {
    double Tis, His, Mis;
    if (!Expansion(g5.H, g5.Pt, g5.Tt, Pamb, y, tol, Tis, His, Mis, Vis, Id())) return false;
    const std::string why = TemperatureProblem("isentropic exit", exitStation, Tis);
    if (!why.empty()) {
      s.outOfDomain = true;
      return Fail(s, name + ": " + why);
    }
    Ps9 = Pamb;
  }
  const double V = CV * Vis;
  double Ts9;
  if (!GetT(g5.H - V * V / 2.0, y, tol, Ts9, Id())) return false;
  if (expands) Aeff9 = W * FR(y) * Ts9 / (Pamb * V);
  s9.Ps = Ps9;
  s9.Ts = Ts9;
  s9.V = V;
  s9.Mach = V / FCs(Ts9, y);
  r.A9 = expands ? Aeff9 : r.A8;
  s9.A = r.A9;
  r.V = V;
  r.FGpressure = (Ps9 - Pamb) * Aeff9;
  r.FG = W * V + r.FGpressure;
  if (!(r.FG > 0.0) || !std::isfinite(r.FG))
    return Fail(s, Printf("The %s gives a gross thrust of %.6g N, not positive", name.c_str(), r.FG));
  if (offDesign && !SetError(s, "flow through the throat", W - capacity)) return false;
  s.Set(throatStation, s8, true);
  s.Set(exitStation, s9, true);
  s.performance.FG += r.FG;
  s.performance.FGpressure += r.FGpressure;
  s.performance.nozzles.push_back(r);
  return true;
}

bool TShaftComponent::Design(TEngineState& s) {
  if (!(effMech > 0.0 && effMech <= 1.0))
    return Fail(s, Printf("%s: mechanical efficiency %g outside 0 to 1", name.c_str(), effMech));
  if (!(offtake >= 0.0)) return Fail(s, Printf("%s: power offtake %g W is negative", name.c_str(), offtake));
  if (!(rpm >= 0.0)) return Fail(s, Printf("%s: speed %g rpm is negative", name.c_str(), rpm));
  TShaft& sh = s.Shaft(number);
  sh.name = name;
  sh.rpm = rpm;
  sh.effMech = effMech;
  sh.offtake = offtake;
  sh.N = rpm;
  return true;
}

}  // namespace vyr::engine
