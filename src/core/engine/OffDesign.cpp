#include "OffDesign.h"

#include <cmath>

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

bool SameLayout(const std::vector<TSolverState>& a, const std::vector<TSolverState>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].component != b[i].component || a[i].name != b[i].name) return false;
  return true;
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
  }
  return "";
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

bool TOffDesign::Run(TEngineState& s, const TOffDesignPoint& p, TOffDesignResult& r) {
  r = TOffDesignResult{};
  r.point = p;
  const bool ok = Solve(s, p, r);
  if (ok) {
    warm_ = s.solverStates;
    last_ = p;
    hasLast_ = true;
  }
  return ok;
}

bool TOffDesign::Solve(TEngineState& s, const TOffDesignPoint& p, TOffDesignResult& r) {
  const std::string missing = m_.MissingDesign();
  if (!missing.empty()) return Refuse(r, "off design", "No off-design run: " + missing);
  if (!std::isfinite(p.value) || !(p.value > 0.0))
    return Refuse(r, "off design", Printf("The %s control %g is not positive", ControlName(p.control), p.value));
  s.point = p;
  s.solverStates.clear();
  s.solverErrors.clear();
  std::string who, why;
  if (!m_.DefineStatesAndErrors(s, who, why)) return Refuse(r, who, why);
  int thrustError = -1;
  if (p.control == TOffDesignControl::Thrust)
    thrustError = s.AddError({"performance", "net thrust", 0.0, p.value});
  if (SameLayout(warm_, s.solverStates))
    for (std::size_t i = 0; i < warm_.size(); ++i) s.solverStates[i].value = warm_[i].value;
  if (s.solverStates.size() != s.solverErrors.size())
    return Refuse(r, "off design",
                  Printf("The engine has %d off-design unknowns but %d errors", static_cast<int>(s.solverStates.size()),
                         static_cast<int>(s.solverErrors.size())));

  // One pass over the components at the unknowns' values.
  auto pass = [&](std::string& component, std::string& failure) {
    if (!m_.Pass(s, component, failure)) return false;
    if (thrustError >= 0) s.solverErrors[thrustError].value = s.performance.FG - s.performance.ramDrag - p.value;
    return true;
  };
  TSolverReport rep;
  const bool solved = SolveNewtonBroyden(s.solverStates, s.solverErrors, pass, options, rep);
  r.iterations = rep.iterations;
  r.jacobians = rep.jacobians;
  r.evaluations = rep.evaluations;
  r.residual = rep.residual;
  r.errors = s.solverErrors;
  if (!solved) return Refuse(r, rep.component, rep.error);
  // A converged point must be a physical one and lie on the maps.
  if (!Summarize(s)) return Refuse(r, s.failedComponent, s.error);
  for (const TMapResult& m : s.performance.maps)
    if (m.outside)
      return Refuse(r, m.name,
                    Printf("%s: the point lies outside its map (speed %.4g, %s %.4g)", m.name.c_str(), m.Nmap,
                           m.turbine ? "PRmap" : "R-line", m.beta));
  r.ok = true;
  r.performance = s.performance;
  r.shafts = s.shafts;
  r.stations = s.stations;
  return true;
}

std::vector<TOffDesignResult> TOffDesign::Sweep(TEngineState& s, const std::vector<TOffDesignPoint>& points) {
  std::vector<TOffDesignResult> out;
  for (const TOffDesignPoint& target : points) {
    TOffDesignResult r;
    if (Run(s, target, r)) {
      out.push_back(r);
      continue;
    }
    // A speed without a converged point before it is approached from the
    // design speed at its flight condition.
    if (!hasLast_ && target.control == TOffDesignControl::Speed) {
      TOffDesignPoint anchor = target;
      anchor.value = 1.0;
      TOffDesignResult a;
      Run(s, anchor, a);
    }
    if (!hasLast_ || last_.control != target.control) {
      out.push_back(r);
      continue;
    }
    // Halve the step from the last converged point toward the target until
    // a point converges, then go on toward the target from there.
    const std::vector<TSolverState> keepWarm = warm_;
    const TOffDesignPoint keepLast = last_;
    double h = 0.5;
    bool reached = false;
    for (int attempt = 0; attempt < 24 && h >= 1.0 / 64.0; ++attempt) {
      TOffDesignResult step;
      if (Run(s, Between(last_, target, h), step)) {
        if (Run(s, target, r)) {
          reached = true;
          break;
        }
        continue;  // from the nearer point, halve again
      }
      h /= 2.0;
    }
    if (!reached) {
      // Give the point up and continue from the last point that belongs to the sweep.
      warm_ = keepWarm;
      last_ = keepLast;
      r.point = target;
    }
    out.push_back(r);
  }
  return out;
}

}  // namespace vyr::engine
