// Off-design calculations of the components: the unknowns and errors each
// registers, and its calculation at the unknowns' current values. Compressor
// and turbine run on their scaled maps, the nozzle keeps its design throat
// area, the burner burns to a given exit temperature or fuel flow, the shaft
// balances its power at an unknown speed.
#include <algorithm>
#include <cmath>

#include "EngineComponents.h"
#include "FlightConditions.h"
#include "GasIterations.h"
#include "GasProperties.h"
#include "Processes.h"
#include "Statics.h"
#include "SysUtils.h"

namespace vyr::engine {

namespace {

// Standard-day reference of the corrected quantities.
constexpr double kTref = 288.15;   // [K]
constexpr double kPref = 101325.0; // [Pa]

template <class T>
const T* Named(const std::vector<T>& list, const std::string& name) {
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (it->name == name) return &*it;
  return nullptr;
}

// Runs f with a member temporarily set to v (the design inputs stay as given).
template <class F>
bool With(double& member, double v, F f) {
  const double keep = member;
  member = v;
  const bool ok = f();
  member = keep;
  return ok;
}

// Where a map coordinate leaves its range: the edge in a user's words, or
// empty while it lies inside.
std::string MapEdge(const std::string& who, const char* coordinate, double value, double lo, double hi,
                    const std::string& at) {
  if (value >= lo && value <= hi) return {};
  return Printf("the %s map's %s would be %.6g, %s its range %.4g to %.4g%s", who.c_str(), coordinate, value,
                value < lo ? "below" : "above", lo, hi, at.c_str());
}

}  // namespace

bool TComponent::Unknown(TEngineState& s, const char* what, double& value) const {
  const int i = s.FindState(name, what);
  if (i < 0) return Fail(s, Printf("%s: its unknown %s has not been defined for the point", name.c_str(), what));
  value = s.solverStates[i].value;
  return true;
}

bool TComponent::SetError(TEngineState& s, const char* what, double value) const {
  const int i = s.FindError(name, what);
  if (i < 0) return Fail(s, Printf("%s: its error %s has not been defined for the point", name.c_str(), what));
  s.solverErrors[i].value = value;
  return true;
}

// --- Ambient and inlet -------------------------------------------------------------

bool TAmbient::OffDesign(TEngineState& s) {
  const bool keepStatic = givenStatic;
  givenStatic = false;
  const bool ok = With(altitude, s.point.altitude, [&] {
    return With(mach, s.point.mach, [&] { return With(dT, s.point.dT, [&] { return Design(s); }); });
  });
  givenStatic = keepStatic;
  return ok;
}

bool TAmbient::DefineStatesAndErrors(TEngineState& s) {
  // The design's free stream, from which a cold off-design start moves the
  // design state in corrected terms.
  TAmbConditions amb{};
  amb.Mach = mach;
  bool ok;
  if (givenStatic) {
    amb.Ps = Ps;
    amb.Ts = Ts;
    ok = Ps > 0.0 && CalcFlyCon(2, 0, amb);
  } else {
    amb.Zp = altitude;
    amb.dTs = dT;
    ok = CalcFlyCon(1, 0, amb);
  }
  if (ok && amb.Tt > 0.0 && amb.Pt > 0.0) {
    s.designAmbient = amb;
    s.hasDesignAmbient = true;
  }
  return true;
}

bool TInlet::DefineStatesAndErrors(TEngineState& s) {
  s.AddState({name, "air flow", W, W, 1e-3 * W, 4.0 * W});
  return true;
}

bool TInlet::OffDesign(TEngineState& s) {
  double flow;
  return Unknown(s, "air flow", flow) && With(W, flow, [&] { return Design(s); });
}

// --- Compressor --------------------------------------------------------------------

void TCompressor::KeepDesign(const TEngineState& s) {
  const TStation* in = s.Find(inStation);
  const TStation* out = s.Find(outStation);
  AinDesign = in && in->hasStatic ? in->gas.A : 0.0;
  AoutDesign = out && out->hasStatic ? out->gas.A : 0.0;
}

std::string TCompressor::MissingDesign() const {
  if (!map) return name + " has no map";
  if (!scaled || !(WcDesign > 0.0)) return name + " has no map scalars (its design point has not been calculated)";
  return {};
}

bool TCompressor::DefineStatesAndErrors(TEngineState& s) {
  const double span = map->RMax() - map->RMin();
  s.AddState({name, "R-line", map->designR, 1.0, map->RMin() - 0.5 * span, map->RMax() + 0.5 * span});
  s.AddError({name, "corrected flow", 0.0, WcDesign});
  return true;
}

bool TCompressor::OffDesign(TEngineState& s) {
  const TStation* in = Inlet(s, inStation);
  if (!in) return false;
  const double theta = in->gas.Tt / kTref, delta = in->gas.Pt / kPref;
  const double W = in->gas.W;
  const double N = s.Shaft(shaft).N;
  const double Nc = N / std::sqrt(theta), Nmap = Nc / scalars.sN;
  double R;
  if (!Unknown(s, "R-line", R)) return false;
  std::string edge = MapEdge(name, "speed", Nmap, map->NMin(), map->NMax(), "");
  if (edge.empty()) edge = MapEdge(name, "R-line", R, map->RMin(), map->RMax(), Printf(" at speed %.4g", Nmap));
  if (!edge.empty()) s.mapEdge = edge, s.mapEdgeComponent = name;
  TMapPoint p;
  std::string why;
  if (!map->Lookup(Nmap, R, p, why)) return Fail(s, name + ": " + why);
  const TMapPoint q = ApplyScalars(p, scalars);
  if (!(q.PR >= 1.0))
    return Fail(s, Printf("%s: the map gives a pressure ratio of %.6g at speed %.4g, R-line %.4g", name.c_str(), q.PR,
                          Nmap, R));
  if (!(q.eff > 0.0 && q.eff <= 1.0))
    return Fail(s, Printf("%s: the map gives an efficiency of %.4g at speed %.4g, R-line %.4g", name.c_str(), q.eff,
                          Nmap, R));
  double effIs;
  if (!Compress(s, q.PR, q.eff, false, effIs)) return false;
  if (!FaceAndExitStatics(s, true)) return false;
  const double Wc = W * std::sqrt(theta) / delta;
  if (!SetError(s, "corrected flow", Wc - q.W)) return false;
  TMapResult r{name, false, shaft, N, Nmap, R, Nc, Wc, q.PR, effIs, 0.0, false};
  r.outside = !edge.empty();
  r.NcFrac = Nmap / map->designN;
  if (!map->SurgeMarginAt(Nmap, R, scalars, r.surgeMargin, why)) r.surgeMargin = std::nan("");
  if (!map->SurgeMarginFlowAt(Nmap, R, scalars, r.surgeMarginFlow, why)) r.surgeMarginFlow = std::nan("");
  s.performance.maps.push_back(r);
  return true;
}

// --- Burner ------------------------------------------------------------------------

void TBurner::KeepDesign(const TEngineState& s) {
  if (const TStation* st = s.Find(outStation)) T4Design = st->gas.Tt;
}

bool TBurner::DefineStatesAndErrors(TEngineState& s) {
  const TOffDesignControl c = s.point.control;
  if (c == TOffDesignControl::Thrust || c == TOffDesignControl::Speed) {
    const double T = T4Design > 0.0 ? T4Design : Tt;
    s.AddState({name, "exit temperature", T, T, 0.3 * T, std::min(2.0 * T, T_itermax - 1.0)});
  }
  return true;
}

bool TBurner::OffDesign(TEngineState& s) {
  if (s.FindState(name, "exit temperature") >= 0) {
    double T;
    return Unknown(s, "exit temperature", T) && Burn(s, false, T, 0.0);
  }
  if (s.point.control == TOffDesignControl::ExitTemperature) return Burn(s, false, s.point.value, 0.0);
  const TStation* in = Inlet(s, inStation);
  if (!in) return false;
  const double far = s.point.value / in->gas.W, stoich = StoichiometricFar(fuel);
  if (far > stoich) {
    s.outOfDomain = true;
    return Fail(s, Printf("%s: the fuel flow %.6g kg/s in %.6g kg/s of air is a fuel-air ratio of %.4g, above the "
                          "stoichiometric %.4g: not all of it can burn",
                          name.c_str(), s.point.value, in->gas.W, far, stoich));
  }
  return Burn(s, true, 0.0, far);
}

// --- Turbine -----------------------------------------------------------------------

std::string TTurbine::MissingDesign() const {
  if (!map) return name + " has no map";
  if (!scaled || !(WpDesign > 0.0)) return name + " has no map scalars (its design point has not been calculated)";
  if (!cooling.empty()) return name + " takes cooling flows, which the off-design calculation does not take yet";
  return {};
}

bool TTurbine::DefineStatesAndErrors(TEngineState& s) {
  double lo = map->designPR, hi = map->designPR;
  const int steps = 20;
  for (int k = 0; k <= steps; ++k) {
    const double N = map->NMin() + (map->NMax() - map->NMin()) * k / steps;
    lo = std::min(lo, map->PRMin(N));
    hi = std::max(hi, map->PRMax(N));
  }
  s.AddState({name, "map pressure ratio", map->designPR, map->designPR, lo, hi});
  s.AddError({name, "flow parameter", 0.0, WpDesign});
  return true;
}

bool TTurbine::OffDesign(TEngineState& s) {
  const TStation* in = Inlet(s, inStation);
  if (!in) return false;
  TShaft* driven = DrivenShaft(s);
  if (!driven) return false;
  TShaft& sf = *driven;
  TGasconditions g4 = in->gas;
  const double W4 = g4.W;
  const double N = sf.N, Np = N / std::sqrt(g4.Tt), Nmap = Np / scalars.sN;
  double PRmap;
  if (!Unknown(s, "map pressure ratio", PRmap)) return false;
  std::string edge = MapEdge(name, "speed", Nmap, map->NMin(), map->NMax(), "");
  if (edge.empty())
    edge = MapEdge(name, "pressure ratio", PRmap, map->PRMin(Nmap), map->PRMax(Nmap), Printf(" at speed %.4g", Nmap));
  if (!edge.empty()) s.mapEdge = edge, s.mapEdgeComponent = name;
  TMapPoint p;
  std::string why;
  if (!map->Lookup(Nmap, PRmap, p, why)) return Fail(s, name + ": " + why);
  const TMapPoint q = ApplyScalars(p, scalars);
  if (!(q.PR > 1.0))
    return Fail(s, Printf("%s: the map gives a pressure ratio of %.6g at speed %.4g", name.c_str(), q.PR, Nmap));
  if (!(q.eff > 0.0 && q.eff <= 1.0))
    return Fail(s, Printf("%s: the map gives an efficiency of %.4g at speed %.4g, PRmap %.4g", name.c_str(), q.eff,
                          Nmap, PRmap));
  double effIs = q.eff, effPoly = q.eff;
  TGasconditions g5;
  if (!TurbineExpansion_PR(g4, q.PR, s.tolerance, false, Id(), effIs, effPoly, g5)) return false;
  if (s.hasAmbient && !(g5.Pt > s.ambient.Ps))
    return Fail(s, Printf("The %s would expand to Pt%d = %.6g Pa, below the ambient pressure %.6g Pa", name.c_str(),
                          outStation, g5.Pt, s.ambient.Ps));
  g5.W = W4;
  const double power = W4 * (g4.H - g5.H);
  s.stations[inStation].gas = g4;  // the expansion refreshed the inlet's entropy
  s.Set(outStation, g5);
  sf.delivered += power;
  sf.drivers.push_back(name);
  s.performance.machines.push_back({name, true, shaft, inStation, outStation, q.PR, effIs, effPoly, power, 0.0});
  const double Wp = W4 * std::sqrt(g4.Tt) / g4.Pt;
  if (!SetError(s, "flow parameter", Wp - q.W)) return false;
  TMapResult r{name, true, shaft, N, Nmap, PRmap, Np, Wp, q.PR, effIs, 0.0, false};
  r.outside = !edge.empty();
  r.NcFrac = Nmap / map->designN;
  s.performance.maps.push_back(r);
  return true;
}

// --- Nozzle ------------------------------------------------------------------------

void TNozzle::KeepDesign(const TEngineState& s) {
  if (const TNozzleResult* r = Named(s.performance.nozzles, name)) {
    A8Design = r->A8;
    WDesign = r->W;
  }
}

std::string TNozzle::MissingDesign() const {
  if (!(A8Design > 0.0 && WDesign > 0.0)) return name + " has no design throat area";
  return {};
}

bool TNozzle::DefineStatesAndErrors(TEngineState& s) {
  s.AddError({name, "flow through the throat", 0.0, WDesign});
  return true;
}

// --- Shaft -------------------------------------------------------------------------

void TShaftComponent::KeepDesign(const TEngineState& s) {
  const auto it = s.shafts.find(number);
  if (it != s.shafts.end()) powerDesign = it->second.absorbed + it->second.offtake;
}

std::string TShaftComponent::MissingDesign() const {
  if (!(rpm > 0.0)) return Printf("%s has no design speed", name.c_str());
  if (!(powerDesign > 0.0)) return Printf("%s has no design power (its design point has not been calculated)",
                                          name.c_str());
  return {};
}

bool TShaftComponent::DefineStatesAndErrors(TEngineState& s) {
  const bool fixed = s.point.control == TOffDesignControl::Speed && number == 1;
  if (!fixed) s.AddState({name, "speed", rpm, rpm, 0.05 * rpm, 2.0 * rpm});
  s.AddError({name, "power balance", 0.0, powerDesign});
  return true;
}

bool TShaftComponent::OffDesign(TEngineState& s) {
  if (!Design(s)) return false;
  double N = s.point.value * rpm;
  if (s.FindState(name, "speed") >= 0 && !Unknown(s, "speed", N)) return false;
  s.Shaft(number).N = N;
  return true;
}

bool TShaftComponent::OffDesignEnd(TEngineState& s) {
  return SetError(s, "power balance", s.Shaft(number).Excess());
}

}  // namespace vyr::engine
