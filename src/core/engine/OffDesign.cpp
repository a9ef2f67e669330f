#include "OffDesign.h"

#include <cmath>

#include "SysUtils.h"

namespace vyr::engine {

namespace {

template <class T>
T* First(TEngine& e) {
  for (auto& c : e.components)
    if (auto* t = dynamic_cast<T*>(c.get())) return t;
  return nullptr;
}

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

bool TOffDesign::Design(TEngineState& s) {
  Restart();
  return e_.Run(s);
}

std::string TOffDesign::MissingDesign() const {
  for (const auto& c : e_.components) {
    std::string why = c->MissingDesign();
    if (!why.empty()) return why;
  }
  return {};
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
  const std::string missing = MissingDesign();
  if (!missing.empty()) return Refuse(r, "off design", "No off-design run: " + missing);
  TAmbient* amb = First<TAmbient>(e_);
  TBurner* burner = First<TBurner>(e_);
  TShaftComponent* shaft = First<TShaftComponent>(e_);
  if (!amb || !burner || !shaft)
    return Refuse(r, "off design", "No off-design run: the engine needs an ambient, a shaft and a burner");
  if (!std::isfinite(p.value) || !(p.value > 0.0))
    return Refuse(r, "off design", Printf("The %s control %g is not positive", ControlName(p.control), p.value));
  amb->offAltitude = p.altitude;
  amb->offMach = p.mach;
  amb->offdT = p.dT;
  shaft->fixedSpeed = p.control == TOffDesignControl::Speed;
  shaft->N = shaft->fixedSpeed ? p.value * shaft->rpm : 0.0;
  switch (p.control) {
    case TOffDesignControl::ExitTemperature:
      burner->control = TBurner::TControl::ExitTemperature;
      burner->T4 = p.value;
      break;
    case TOffDesignControl::FuelFlow:
      burner->control = TBurner::TControl::FuelFlow;
      burner->Wf = p.value;
      break;
    case TOffDesignControl::Thrust:
    case TOffDesignControl::Speed:
      burner->control = TBurner::TControl::Unknown;
      break;
  }

  s.solverStates.clear();
  s.solverErrors.clear();
  for (auto& c : e_.components)
    if (!c->DefineStatesAndErrors(s)) return Refuse(r, c->name, "Its unknowns cannot be defined");
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
  auto pass = [&](std::string& who, std::string& why) {
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
    if (thrustError >= 0) s.solverErrors[thrustError].value = s.performance.FG - s.performance.ramDrag - p.value;
    return true;
  };
  TSolverReport rep;
  const bool solved = SolveNewtonBroyden(s.solverStates, s.solverErrors, pass, options, rep);
  r.iterations = rep.iterations;
  r.jacobians = rep.jacobians;
  r.evaluations = rep.evaluations;
  r.residual = rep.residual;
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
    if (Run(s, target, r) || !hasLast_ || last_.control != target.control) {
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
