#include "OffDesign.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "FlightConditions.h"
#include "SysUtils.h"

namespace vyr::engine {

namespace {

// Failure of a point that is no single component's.
bool Refuse(TOffDesignResult& r, const std::string& who, const std::string& text) {
  r.ok = false;
  r.component = who;
  r.error = text;
  return false;
}

TOffDesignPoint Between(const TOffDesignPoint& a, const TOffDesignPoint& b, double f) {
  TOffDesignPoint p = b;
  p.altitude = a.altitude + f * (b.altitude - a.altitude);
  p.mach = a.mach + f * (b.mach - a.mach);
  p.dT = a.dT + f * (b.dT - a.dT);
  p.value = a.value + f * (b.value - a.value);
  return p;
}

}  // namespace

const char* ControlName(TOffDesignControl c) {
  switch (c) {
    case TOffDesignControl::Thrust: return "thrust";
    case TOffDesignControl::ExitTemperature: return "T4";
    case TOffDesignControl::FuelFlow: return "Wf";
    case TOffDesignControl::Speed: return "speed";
    case TOffDesignControl::ThrustFraction: return "thrust fraction";
  }
  return "";
}

namespace {

// Unit of a limit's value: its factor to SI and, for temperatures, the offset
// added after the factor (degC: K = C + 273.15).
struct TLimitUnit {
  const char* name;
  double factor;
  double offset;
};

enum class TLimitKind { Temperature, Pressure, Fraction, FuelFlow, Force };

bool UnitOf(TLimitKind kind, const std::string& unit, bool imperial, TLimitUnit& u) {
  static const TLimitUnit temperature[] = {{"K", 1, 0}, {"R", 5.0 / 9.0, 0}, {"degC", 1, 273.15},
                                           {"degF", 5.0 / 9.0, 459.67 * 5.0 / 9.0}};
  static const TLimitUnit pressure[] = {{"Pa", 1, 0},  {"kPa", 1e3, 0},  {"MPa", 1e6, 0},
                                        {"bar", 1e5, 0}, {"psi", 6894.757293168361, 0},
                                        {"psia", 6894.757293168361, 0}};
  static const TLimitUnit fraction[] = {{"%", 0.01, 0}};
  static const TLimitUnit fuel[] = {{"kg/s", 1, 0}, {"lbm/s", 0.45359237, 0}, {"lb/s", 0.45359237, 0},
                                    {"kg/h", 1.0 / 3600.0, 0}, {"lbm/h", 0.45359237 / 3600.0, 0},
                                    {"lb/h", 0.45359237 / 3600.0, 0}};
  static const TLimitUnit force[] = {{"N", 1, 0}, {"kN", 1e3, 0}, {"lbf", 4.4482216152605, 0}};
  const TLimitUnit* first = nullptr;
  std::size_t n = 0;
  switch (kind) {
    case TLimitKind::Temperature: first = temperature, n = std::size(temperature); break;
    case TLimitKind::Pressure: first = pressure, n = std::size(pressure); break;
    case TLimitKind::Fraction: first = fraction, n = std::size(fraction); break;
    case TLimitKind::FuelFlow: first = fuel, n = std::size(fuel); break;
    case TLimitKind::Force: first = force, n = std::size(force); break;
  }
  if (unit.empty()) {
    // Imperial defaults as the unit tables: R, psia, lbm/h, lbf; fractions are plain numbers.
    static const TLimitUnit plain{"", 1, 0};
    u = plain;
    if (!imperial) return true;
    switch (kind) {
      case TLimitKind::Temperature: u = temperature[1]; break;  // R
      case TLimitKind::Pressure: u = pressure[5]; break;        // psia
      case TLimitKind::FuelFlow: u = fuel[4]; break;            // lbm/h
      case TLimitKind::Force: u = force[2]; break;              // lbf
      case TLimitKind::Fraction: break;
    }
    return true;
  }
  for (std::size_t k = 0; k < n; ++k)
    if (unit == first[k].name) {
      u = first[k];
      return true;
    }
  return false;
}

std::string UnitList(TLimitKind kind) {
  switch (kind) {
    case TLimitKind::Temperature: return "K, R, degC or degF";
    case TLimitKind::Pressure: return "Pa, kPa, MPa, bar, psi or psia";
    case TLimitKind::Fraction: return "a plain fraction or %";
    case TLimitKind::FuelFlow: return "kg/s, lbm/s, kg/h or lbm/h";
    case TLimitKind::Force: return "N, kN or lbf";
  }
  return {};
}

}  // namespace

bool ParseLimit(const std::string& text, bool imperial, TOffDesignLimit& limit, std::string& error) {
  std::string t;
  for (char c : text)
    if (!std::isspace(static_cast<unsigned char>(c))) t += c;
  const std::size_t le = t.find("<="), ge = t.find(">=");
  if ((le == std::string::npos) == (ge == std::string::npos)) {
    error = "the limit \"" + text + "\" is no NAME<=VALUE or NAME>=VALUE (e.g. T4<=1600K, N1<=1.02, SM1>=0.1)";
    return false;
  }
  const std::size_t at = le != std::string::npos ? le : ge;
  TOffDesignLimit l;
  l.upper = le != std::string::npos;
  l.name = t.substr(0, at);
  const std::string rest = t.substr(at + 2);

  // The name: a letter prefix and, for most, a number.
  std::size_t digits = l.name.size();
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(l.name[digits - 1]))) --digits;
  const std::string prefix = l.name.substr(0, digits), number = l.name.substr(digits);
  struct TName {
    const char* prefix;
    TLimitQuantity quantity;
    TLimitKind kind;
    bool numbered;
  };
  static const TName names[] = {{"T", TLimitQuantity::StationTt, TLimitKind::Temperature, true},
                                {"Tt", TLimitQuantity::StationTt, TLimitKind::Temperature, true},
                                {"Pt", TLimitQuantity::StationPt, TLimitKind::Pressure, true},
                                {"N", TLimitQuantity::ShaftSpeed, TLimitKind::Fraction, true},
                                {"Nc", TLimitQuantity::CorrectedSpeed, TLimitKind::Fraction, true},
                                {"SM", TLimitQuantity::SurgeMargin, TLimitKind::Fraction, true},
                                {"SMW", TLimitQuantity::SurgeMarginFlow, TLimitKind::Fraction, true},
                                {"Wf", TLimitQuantity::FuelFlow, TLimitKind::FuelFlow, false},
                                {"FN", TLimitQuantity::NetThrust, TLimitKind::Force, false}};
  const TName* found = nullptr;
  for (const TName& n : names)
    if (prefix == n.prefix && (n.numbered ? !number.empty() && number.size() <= 6 : number.empty())) found = &n;
  if (found == nullptr) {
    error = "the limit \"" + text + "\" names no known quantity \"" + l.name +
            "\" (T<station>, Pt<station>, N<shaft>, Nc<compressor>, SM<compressor>, SMW<compressor>, Wf, FN)";
    return false;
  }
  l.quantity = found->quantity;
  l.index = number.empty() ? 0 : std::atoi(number.c_str());
  if (found->numbered && l.index < 1 && l.quantity != TLimitQuantity::StationTt &&
      l.quantity != TLimitQuantity::StationPt) {
    error = "the limit \"" + text + "\": shafts and compressors are counted from 1";
    return false;
  }

  // The value (a decimal point only, in any locale) and its unit after it.
  double v = 0.0;
  const auto [stop, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), v);
  if (ec != std::errc() || !std::isfinite(v)) {
    error = "the limit \"" + text + "\" has no number after " + (l.upper ? "<=" : ">=");
    return false;
  }
  const std::string unit(stop, rest.data() + rest.size());
  TLimitUnit u{};
  if (!UnitOf(found->kind, unit, imperial, u)) {
    error = "the limit \"" + text + "\": \"" + unit + "\" is no unit of " + l.name + " (" + UnitList(found->kind) + ")";
    return false;
  }
  l.value = v * u.factor + u.offset;
  // Temperatures, pressures, fuel flows and speeds are positive; margins and thrust may not be.
  const bool positive = (found->kind != TLimitKind::Fraction && found->kind != TLimitKind::Force) ||
                        l.quantity == TLimitQuantity::ShaftSpeed || l.quantity == TLimitQuantity::CorrectedSpeed;
  if (positive && !(l.value > 0.0)) {
    error = "the limit \"" + text + "\": the value must be positive";
    return false;
  }
  limit = l;
  return true;
}

bool LimitValue(const TEngineState& s, const TOffDesignLimit& l, double& value) {
  // The k-th compressor on a map, in calculation order.
  auto compressor = [&](int k) -> const TMapResult* {
    int n = 0;
    for (const TMapResult& m : s.performance.maps)
      if (!m.turbine && ++n == k) return &m;
    return nullptr;
  };
  switch (l.quantity) {
    case TLimitQuantity::StationTt:
    case TLimitQuantity::StationPt: {
      const TStation* st = s.Find(l.index);
      if (!st) return false;
      value = l.quantity == TLimitQuantity::StationTt ? st->gas.Tt : st->gas.Pt;
      return true;
    }
    case TLimitQuantity::ShaftSpeed: {
      const auto it = s.shafts.find(l.index);
      if (it == s.shafts.end() || !(it->second.rpm > 0.0)) return false;
      value = it->second.N / it->second.rpm;
      return true;
    }
    case TLimitQuantity::CorrectedSpeed:
    case TLimitQuantity::SurgeMargin:
    case TLimitQuantity::SurgeMarginFlow: {
      const TMapResult* m = compressor(l.index);
      if (!m) return false;
      value = l.quantity == TLimitQuantity::CorrectedSpeed ? m->NcFrac
              : l.quantity == TLimitQuantity::SurgeMargin  ? m->surgeMargin
                                                           : m->surgeMarginFlow;
      return std::isfinite(value);
    }
    case TLimitQuantity::FuelFlow: value = s.performance.Wf; return true;
    case TLimitQuantity::NetThrust: value = s.performance.FG - s.performance.ramDrag; return true;
  }
  return false;
}

std::string LimitText(const TOffDesignLimit& l) {
  const char* op = l.upper ? " <= " : " >= ";
  switch (l.quantity) {
    case TLimitQuantity::StationTt: return l.name + op + Printf("%.6g K", l.value);
    case TLimitQuantity::StationPt: return l.name + op + Printf("%.6g Pa", l.value);
    case TLimitQuantity::FuelFlow: return l.name + op + Printf("%.6g kg/s", l.value);
    case TLimitQuantity::NetThrust: return l.name + op + Printf("%.6g N", l.value);
    default: return l.name + op + Printf("%.6g", l.value);
  }
}

std::string TEngineModel::MissingDesign() {
  for (const auto& c : e_.components) {
    std::string why = c->MissingDesign();
    if (!why.empty()) return why;
  }
  return {};
}

bool TEngineModel::DefineStatesAndErrors(TEngineState& s, std::string& who, std::string& why) {
  for (auto& c : e_.components)
    if (!c->DefineStatesAndErrors(s)) {
      who = c->name;
      why = s.error;
      return false;
    }
  return true;
}

bool TEngineModel::Pass(TEngineState& s, std::string& who, std::string& why) {
  s.ClearResults();
  s.offDesign = true;
  TActiveEngineState scope(s);
  for (auto& c : e_.components)
    if (!c->CalcOffDesign(s)) {
      who = s.failedComponent;
      why = s.error;
      return false;
    }
  for (auto& c : e_.components)
    if (!c->OffDesignEnd(s)) {
      who = c->name;
      why = s.error;
      return false;
    }
  return true;
}

namespace {

// Free-stream total state of a flight condition of the standard atmosphere.
bool FreeStream(const TOffDesignPoint& p, double& Tt0, double& Pt0) {
  TAmbConditions a{};
  a.Zp = p.altitude;
  a.dTs = p.dT;
  a.Mach = p.mach;
  if (!CalcFlyCon(1, 0, a) || !(a.Tt > 0.0 && a.Pt > 0.0)) return false;
  Tt0 = a.Tt;
  Pt0 = a.Pt;
  return true;
}

// Exit temperature of the first burner: the first station that carries fuel.
double BurnerExit(const TEngineState& s) {
  for (const auto& [n, st] : s.stations)
    if (st.gas.FARat > 0.0) return st.gas.Tt;
  return 0.0;
}

// The value a solution holds: of its control (as the limit of the same
// quantity; the burner exit temperature by the burner's station), or of its limit.
bool HeldValue(const TEngineState& s, const TOffDesign::THold& h, double& v) {
  if (h.byLimit) return LimitValue(s, h.limit, v);
  TOffDesignLimit q;
  switch (h.point.control) {
    case TOffDesignControl::Thrust: q.quantity = TLimitQuantity::NetThrust; break;
    case TOffDesignControl::FuelFlow: q.quantity = TLimitQuantity::FuelFlow; break;
    case TOffDesignControl::Speed: q.quantity = TLimitQuantity::ShaftSpeed, q.index = 1; break;
    case TOffDesignControl::ExitTemperature: v = BurnerExit(s); return v > 0.0;
    case TOffDesignControl::ThrustFraction: return false;
  }
  return LimitValue(s, q, v);
}

// The hold at a fraction f of the way from the value v0 at flight condition a to the target.
TOffDesign::THold Partway(const TOffDesignPoint& a, double v0, const TOffDesign::THold& target, double f) {
  TOffDesign::THold h = target;
  h.point = Between(a, target.point, f);
  const double v1 = target.byLimit ? target.limit.value : target.point.value;
  const double v = v0 + f * (v1 - v0);
  if (target.byLimit) {
    h.limit.value = v;
    h.point.value = target.point.value;
  } else {
    h.point.value = v;
  }
  return h;
}

// Whether a solved state keeps a limit, within the solution's tolerance.
bool Keeps(const TEngineState& s, const TOffDesignLimit& l) {
  double v;
  if (!LimitValue(s, l, v)) return true;  // a quantity the point lacks bounds nothing
  const double tol = 1e-6 * std::max(std::fabs(l.value), l.quantity == TLimitQuantity::SurgeMargin ||
                                                                  l.quantity == TLimitQuantity::SurgeMarginFlow
                                                              ? 1.0
                                                              : 1e-12);
  return l.upper ? v <= l.value + tol : v >= l.value - tol;
}

// The limits a solved state breaks, by their index.
std::vector<std::size_t> Broken(const TEngineState& s, const std::vector<TOffDesignLimit>& limits) {
  std::vector<std::size_t> out;
  for (std::size_t k = 0; k < limits.size(); ++k)
    if (!Keeps(s, limits[k])) out.push_back(k);
  return out;
}

}  // namespace

void TOffDesign::Restart() {
  hasLast_ = false;
  lastLimiter_.clear();
  last_ = TStart{};
  hasDesign_ = false;
  anchorState_ = 0;
}

TOffDesign::TStart TOffDesign::Snapshot(const TEngineState& s) const {
  TStart t;
  t.states = s.solverStates;
  t.Tt0 = s.ambient.Tt;
  t.Pt0 = s.ambient.Pt;
  t.solved = s;
  t.hasSolved = true;
  return t;
}

bool TOffDesign::Attempt(TEngineState& s, const THold& h, const TStart* from, TOffDesignResult& r) {
  const TOffDesignPoint& p = h.point;
  r = TOffDesignResult{};
  r.point = p;
  s.point = p;
  // A limit is held with the layout of a thrust-controlled point: the burner's
  // exit temperature and every shaft's speed are unknowns.
  if (h.byLimit) s.point.control = TOffDesignControl::Thrust;
  s.solverStates.clear();
  s.solverErrors.clear();
  s.mapEdge.clear();
  std::string who, why;
  if (!m_.DefineStatesAndErrors(s, who, why)) return Refuse(r, who, why);
  if (!hasDesign_) Capture(s);
  if (from == nullptr) from = &design_;
  // The held quantity's error, for a thrust target or a limit.
  double airflow = 0.0;
  for (const TSolverState& x : s.solverStates)
    if (x.name == "air flow") airflow += x.scale;
  int heldError = -1;
  TOffDesignLimit held;
  if (h.byLimit) {
    held = h.limit;
  } else if (p.control == TOffDesignControl::Thrust) {
    held.quantity = TLimitQuantity::NetThrust;
    held.value = p.value;
  }
  if (h.byLimit || p.control == TOffDesignControl::Thrust) {
    double scale = std::fabs(held.value);
    if (held.quantity == TLimitQuantity::NetThrust) scale = std::max(scale, 100.0 * airflow);  // 100 N s/kg
    if (held.quantity == TLimitQuantity::ShaftSpeed || held.quantity == TLimitQuantity::CorrectedSpeed ||
        held.quantity == TLimitQuantity::SurgeMargin || held.quantity == TLimitQuantity::SurgeMarginFlow)
      scale = 1.0;
    if (!(scale > 0.0)) scale = 1.0;
    heldError = s.AddError({"performance", h.byLimit ? held.name : "net thrust", 0.0, scale});
  }
  if (s.solverStates.size() != s.solverErrors.size())
    return Refuse(r, "off design",
                  Printf("The engine has %d off-design unknowns but %d errors", static_cast<int>(s.solverStates.size()),
                         static_cast<int>(s.solverErrors.size())));

  // The start: each unknown from the start point by its owner and name (a
  // speed or exit temperature the start held fixed from its solved state),
  // moved to this flight condition in corrected terms.
  double theta = 1.0, delta = 1.0, Tt0, Pt0;
  if (from->Tt0 > 0.0 && from->Pt0 > 0.0 && FreeStream(p, Tt0, Pt0)) {
    theta = Tt0 / from->Tt0;
    delta = Pt0 / from->Pt0;
  }
  for (TSolverState& x : s.solverStates) {
    bool found = false;
    for (const TSolverState& y : from->states)
      if (y.component == x.component && y.name == x.name) {
        x.value = y.value;
        found = true;
        break;
      }
    if (!found && from->hasSolved) {
      if (x.name == "speed") {
        for (const auto& [n, sh] : from->solved.shafts)
          if (sh.name == x.component && sh.N > 0.0) x.value = sh.N;
      } else if (x.name == "exit temperature" && BurnerExit(from->solved) > 0.0) {
        x.value = BurnerExit(from->solved);
      }
    }
    if (x.name == "air flow") x.value *= delta / std::sqrt(theta);
    if (x.name == "speed") x.value *= std::sqrt(theta);
    if (x.name == "exit temperature") x.value *= theta;
    x.value = std::clamp(x.value, x.lo, x.hi);
  }

  // One pass over the components at the unknowns' values.
  edge_.clear();
  edgeComponent_.clear();
  auto pass = [&](std::string& component, std::string& failure) {
    s.mapEdge.clear();
    const bool ok = m_.Pass(s, component, failure);
    if (!s.mapEdge.empty()) edge_ = s.mapEdge, edgeComponent_ = s.mapEdgeComponent;
    if (!ok) return false;
    if (heldError >= 0) {
      double v;
      if (!LimitValue(s, held, v)) {
        component = "off design";
        failure = "The point has no " + held.name;
        return false;
      }
      s.solverErrors[heldError].value = v - held.value;
    }
    return true;
  };
  TSolverReport rep;
  const bool solved = SolveNewtonBroyden(s.solverStates, s.solverErrors, pass, options, rep);
  r.iterations = rep.iterations;
  r.jacobians = rep.jacobians;
  r.evaluations = rep.evaluations;
  r.residual = rep.residual;
  r.errors = s.solverErrors;
  failRank_ = rep.evaluations > 1 ? 1 : 0;  // 0: not even the start could be calculated
  if (!solved) {
    // A point whose burner cannot do what is asked is outside the domain; else
    // the map edge the solver ran into, or the end of an unknown's range it
    // was held at, is what stops the engine.
    r.outOfDomain = s.outOfDomain;
    // A start that cannot be calculated tells nothing of where the solution lies.
    if (rep.evaluations <= 1) return Refuse(r, rep.component, rep.error);
    if (!s.outOfDomain && !edge_.empty()) {
      failRank_ = 2;
      return Refuse(r, edgeComponent_, "The engine would run outside its maps: " + edge_ + " (" + rep.error + ")");
    }
    if (!s.outOfDomain)
      for (const TSolverState& x : s.solverStates) {
        const bool low = x.value <= x.lo + 1e-9 * std::fabs(x.lo), high = x.value >= x.hi - 1e-9 * std::fabs(x.hi);
        if (!low && !high) continue;
        const bool onMap = x.name == "R-line" || x.name == "map pressure ratio";
        failRank_ = 2;
        return Refuse(r, x.component,
                      Printf("%s: the %s's %s would go %s %.6g, the %s %s (%s)",
                             onMap ? "The engine would run outside its maps" : "No operating point",
                             x.component.c_str(), x.name.c_str(), low ? "below" : "above", low ? x.lo : x.hi,
                             low ? "lowest" : "highest", onMap ? "its map gives" : "the solver allows it",
                             rep.error.c_str()));
      }
    return Refuse(r, rep.component, rep.error);
  }
  // A converged point must be a physical one and lie on the maps.
  if (!Summarize(s)) return Refuse(r, s.failedComponent, s.error);
  if (!s.mapEdge.empty()) {
    failRank_ = 3;
    return Refuse(r, s.mapEdgeComponent, "The point lies outside the maps: " + s.mapEdge);
  }
  r.ok = true;
  r.performance = s.performance;
  r.shafts = s.shafts;
  r.stations = s.stations;
  r.limiter = h.byLimit ? h.limit.name : ControlName(p.control);
  return true;
}

// The unknowns as registered, before any start is applied, are the design's.
void TOffDesign::Capture(const TEngineState& s) {
  design_ = TStart{};
  design_.states = s.solverStates;
  if (s.hasDesignAmbient) {
    design_.Tt0 = s.designAmbient.Tt;
    design_.Pt0 = s.designAmbient.Pt;
  }
  hasDesign_ = true;
}

bool TOffDesign::Anchor(TEngineState& s) {
  if (anchorState_ != 0) return anchorState_ > 0;
  anchorState_ = -1;
  if (!hasDesign_) {
    s.point = TOffDesignPoint{0.0, 0.0, 0.0, TOffDesignControl::Speed, 1.0};
    s.solverStates.clear();
    s.solverErrors.clear();
    std::string who, why;
    if (!m_.DefineStatesAndErrors(s, who, why)) return false;
    Capture(s);
  }
  if (!s.hasDesignAmbient) return false;
  const THold h{{s.designAmbient.Zp, s.designAmbient.Mach, s.designAmbient.dTs, TOffDesignControl::Speed, 1.0},
                false,
                {}};
  TOffDesignResult r;
  if (!Attempt(s, h, &design_, r)) return false;
  anchor_ = Snapshot(s);
  anchorState_ = 1;
  return true;
}

// From a solved start, the flight condition and the held value are stepped
// toward the target together: a step that converges is taken and the next
// made longer, one that fails is halved.
bool TOffDesign::Continue(TEngineState& s, const THold& h, const TStart& from, TOffDesignResult& r, int& budget) {
  double v0;
  if (!from.hasSolved || !HeldValue(from.solved, h, v0)) return false;
  const TOffDesignPoint a = from.solved.point;
  TStart at = from;
  // A short step converges in a few iterations; one that needs many is
  // better halved than pursued.
  const TSolverOptions keep = options;
  options.maxIterations = std::min(options.maxIterations, 25);
  struct TRestore {
    TSolverOptions& o;
    const TSolverOptions& k;
    ~TRestore() { o = k; }
  } restore{options, keep};
  double t = 0.0, step = 0.5;
  int rank = -1;  // of the failure kept: a map edge says most, a start that cannot be calculated least
  // Secant predictor: once two points are solved, the unknowns of the next
  // step are extrapolated along the path (their flight condition included),
  // so that a start stays consistent where the held value moves the engine far.
  TStart before;
  double tBefore = 0.0;
  bool secant = false;
  while (budget-- > 0 && step >= 1.0 / 128.0) {
    const double next = std::min(1.0, t + step);
    TStart predicted;
    const TStart* start = &at;
    if (secant && before.states.size() == at.states.size()) {
      predicted = at;
      predicted.Tt0 = predicted.Pt0 = 0.0;  // moved along the path, not in corrected terms
      const double f = (next - t) / (t - tBefore);
      for (std::size_t i = 0; i < at.states.size(); ++i) {
        TSolverState& x = predicted.states[i];
        if (before.states[i].component != x.component || before.states[i].name != x.name) continue;
        x.value = std::clamp(x.value + f * (x.value - before.states[i].value), x.lo, x.hi);
      }
      start = &predicted;
    }
    TOffDesignResult q;
    if (Attempt(s, Partway(a, v0, h, next), start, q)) {
      before = at;
      tBefore = t;
      secant = true;
      at = Snapshot(s);
      t = next;
      if (t >= 1.0) {
        r = q;
        r.point = h.point;
        return true;
      }
      step = std::min(2.0 * step, 1.0 - t);
    } else {
      if (failRank_ >= rank) {
        r = q;
        r.point = h.point;
        rank = failRank_;
      }
      step /= 2.0;
    }
  }
  return false;
}

bool TOffDesign::Reach(TEngineState& s, const THold& h, TOffDesignResult& r) {
  const std::string missing = m_.MissingDesign();
  if (!missing.empty()) return Refuse(r, "off design", "No off-design run: " + missing);
  auto done = [&] {
    last_ = Snapshot(s);
    hasLast_ = true;
    return true;
  };
  // From the last converged point (or the design), moved to this flight condition.
  if (Attempt(s, h, hasLast_ ? &last_ : nullptr, r)) return done();
  // The point itself converged, off the maps: that is the answer.
  if (failRank_ == 3) return false;
  TOffDesignResult first = r, nearest;
  bool stepped = false;
  int budget = 16;
  if (hasLast_) {
    if (Continue(s, h, last_, r, budget)) return done();
    nearest = r;
    stepped = true;
    // A large jump that failed: from the design point.
    if (hasDesign_ && Attempt(s, h, &design_, r)) return done();
    if (failRank_ == 3) return false;
  }
  budget = 16;
  if (Anchor(s)) {
    if (Continue(s, h, anchor_, r, budget)) return done();
    nearest = r;
    stepped = true;
  }
  // The failure nearest the point names what stops the engine; a fuel flow
  // that no air flow near the design's could burn says so itself.
  const bool tooRich = !h.byLimit && h.point.control == TOffDesignControl::FuelFlow && first.outOfDomain;
  r = stepped && !nearest.error.empty() && !tooRich ? nearest : first;
  r.point = h.point;
  return false;
}

bool TOffDesign::WalkDown(TEngineState& s, const TOffDesignPoint& p, const TEngineState& top, TOffDesignResult& r) {
  const double T0 = BurnerExit(top);
  if (!(T0 > 0.0)) return false;
  std::vector<std::size_t> above = Broken(top, p.limits);
  for (int k = 1; k <= 20; ++k) {
    TOffDesignPoint q = p;
    q.control = TOffDesignControl::ExitTemperature;
    q.value = T0 * (1.0 - 0.02 * k);
    TOffDesignResult at;
    if (!Reach(s, THold{q, false, {}}, at)) return false;
    const std::vector<std::size_t> now = Broken(s, p.limits);
    if (!now.empty()) {
      above = now;
      continue;
    }
    // Every limit kept here: the one broken just above is held in between.
    const TEngineState kept = s;
    const TStart keptStart = last_;
    for (std::size_t l : above) {
      TOffDesignResult h;
      if (Reach(s, THold{p, true, p.limits[l]}, h) && BurnerExit(s) >= q.value * (1.0 - 1e-9) &&
          BurnerExit(s) <= T0 * (1.0 - 0.02 * (k - 1)) * (1.0 + 1e-9) && Broken(s, p.limits).empty()) {
        r = h;
        r.point = p;
        return true;
      }
      s = kept;
      last_ = keptStart;
    }
    return false;
  }
  return false;
}

bool TOffDesign::Limited(TEngineState& s, const TOffDesignPoint& p, bool unbounded, TOffDesignResult& r) {
  const THold demand{p, false, {}};
  if (p.limits.empty()) {
    lastLimiter_.clear();
    return Reach(s, demand, r);
  }
  // Every control asks for more power as it rises (thrust, T4, fuel flow,
  // speed): a limit held in place of the demand is admissible only where the
  // control's quantity stays at or below the demand.
  auto withinDemand = [&](const TEngineState& st) {
    if (unbounded) return true;
    double v;
    if (!HeldValue(st, demand, v)) return false;
    return v <= p.value + 1e-6 * std::max(std::fabs(p.value), 1.0);
  };
  struct TCandidate {
    std::size_t limit;
    TOffDesignResult result;
    TEngineState state;
  };
  auto accept = [&](const TOffDesignResult& q) {
    r = q;
    r.point = p;
    lastLimiter_ = r.limiter;
    return true;
  };
  // Along a rating table the limit that held the last point most often holds
  // this one: held first, it is the answer when it keeps the others and the
  // demand, and the demand (often beyond the maps) is never solved. Only an
  // upper limit, which rises with power and so is met once along the
  // operating line.
  for (const TOffDesignLimit& l : p.limits)
    if (l.upper && l.name == lastLimiter_) {
      TOffDesignResult q;
      if (Reach(s, THold{p, true, l}, q) && withinDemand(s) && Broken(s, p.limits).empty()) return accept(q);
      break;
    }
  std::vector<TCandidate> held;
  std::vector<bool> tried(p.limits.size(), false);
  std::vector<std::size_t> todo;
  TOffDesignResult atDemand;
  if (!unbounded && Reach(s, demand, atDemand)) {
    todo = Broken(s, p.limits);
    if (todo.empty()) return accept(atDemand);
  } else {
    // Full power, or a demand beyond the engine's reach: the upper limits
    // bound it; the lower ones are checked at the point they leave.
    for (std::size_t k = 0; k < p.limits.size(); ++k)
      if (p.limits[k].upper) todo.push_back(k);
  }
  TOffDesignResult failed = atDemand;
  std::string beyond;  // limits held only above the demand
  while (!todo.empty()) {
    for (std::size_t k : todo) {
      if (tried[k]) continue;
      tried[k] = true;
      TOffDesignResult q;
      if (!Reach(s, THold{p, true, p.limits[k]}, q)) {
        if (failed.ok || failed.error.empty()) failed = q;
      } else if (!withinDemand(s)) {
        beyond += (beyond.empty() ? "" : ", ") + LimitText(p.limits[k]);
      } else {
        held.push_back({k, q, s});
      }
    }
    todo.clear();
    // The most restrictive limit leaves the least fuel.
    const TCandidate* best = nullptr;
    for (const TCandidate& c : held)
      if (!best || c.result.performance.Wf < best->result.performance.Wf) best = &c;
    if (!best) break;
    todo = Broken(best->state, p.limits);
    bool fresh = false;
    for (std::size_t k : todo) fresh = fresh || !tried[k];
    if (todo.empty()) {
      s = best->state;
      last_ = Snapshot(s);
      hasLast_ = true;
      return accept(best->result);
    }
    if (!fresh) {
      // A limit that does not fall with power (a surge margin at constant
      // speed dips and rises again along the operating line) is broken where
      // the others are held: the operating line is walked down in burner exit
      // temperature from there until every limit is kept, and the limit broken
      // just above is held between the two.
      std::string broken;
      for (std::size_t k : todo) broken += (broken.empty() ? "" : ", ") + LimitText(p.limits[k]);
      if (WalkDown(s, p, best->state, r)) return accept(r);
      r = TOffDesignResult{};
      r.point = p;
      return Refuse(r, "off design",
                    "The limits cannot all be kept: holding " + p.limits[best->limit].name + " breaks " + broken +
                        ", and no lower power keeps them all");
    }
  }
  r = failed;
  r.point = p;
  if (!beyond.empty())
    return Refuse(r, "off design",
                  "The demand breaks " + beyond + ", which only more power than the demand would keep");
  if (r.error.empty()) return Refuse(r, "off design", "No limit could be held at this point");
  return false;
}

bool TOffDesign::Run(TEngineState& s, const TOffDesignPoint& p, TOffDesignResult& r) {
  r = TOffDesignResult{};
  r.point = p;
  if (!std::isfinite(p.value))
    return Refuse(r, "off design", Printf("The %s control is not a finite number", ControlName(p.control)));
  const bool positive = p.control != TOffDesignControl::Thrust && p.control != TOffDesignControl::ThrustFraction;
  if (positive && !(p.value > 0.0))
    return Refuse(r, "off design", Printf("The %s control %g is not positive", ControlName(p.control), p.value));
  if (p.control == TOffDesignControl::ThrustFraction && !(p.value >= 0.0))
    return Refuse(r, "off design", Printf("The thrust fraction %g is negative", p.value));
  if (p.control != TOffDesignControl::ThrustFraction) {
    const bool ok = Limited(s, p, false, r);
    r.point = p;
    return ok;
  }
  // Full power at this flight condition: the design's burner exit
  // temperature, or as much as the limits allow.
  const std::string missing = m_.MissingDesign();
  if (!missing.empty()) return Refuse(r, "off design", "No off-design run: " + missing);
  if (!Anchor(s)) return Refuse(r, "off design", "The design point cannot be found at its flight condition, so full power is unknown");
  TOffDesignPoint full = p;
  full.control = TOffDesignControl::ExitTemperature;
  full.value = BurnerExit(anchor_.solved);
  TOffDesignResult f;
  if (!Limited(s, full, !p.limits.empty(), f)) {
    r = f;
    r.point = p;
    r.error = "At full power: " + f.error;
    return false;
  }
  TOffDesignPoint part = p;
  part.control = TOffDesignControl::Thrust;
  part.value = p.value * f.performance.FN;
  const bool ok = Limited(s, part, false, r);
  r.point = p;
  r.fullThrust = f.performance.FN;
  if (ok && r.limiter == ControlName(TOffDesignControl::Thrust)) r.limiter = ControlName(p.control);
  return ok;
}

std::vector<TOffDesignResult> TOffDesign::Sweep(TEngineState& s, const std::vector<TOffDesignPoint>& points) {
  std::vector<TOffDesignResult> out;
  out.reserve(points.size());
  for (const TOffDesignPoint& target : points) {
    TOffDesignResult r;
    Run(s, target, r);
    out.push_back(std::move(r));
  }
  return out;
}

}  // namespace vyr::engine
