// Off-design operation of an engine sized at its design point: each point's
// flight condition and control, the unknowns and errors the components
// register, and their solution by Newton-Broyden; sweeps that start each
// point from the last converged one.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "Engine.h"
#include "EngineState.h"
#include "NewtonSolver.h"
#include "VyrExport.h"

namespace vyr::engine {

/// What holds the engine at its point.
enum class TOffDesignControl {
  Thrust,            ///< net thrust [N]; the burner exit temperature is an unknown
  ExitTemperature,   ///< burner exit temperature [K]
  FuelFlow,          ///< fuel flow [kg/s]
  Speed              ///< speed of the first shaft as a fraction of its design speed; exit temperature unknown
};

/// One off-design point: flight condition (standard atmosphere) and control.
struct TOffDesignPoint {
  double altitude = 0.0;  ///< pressure altitude [m]
  double mach = 0.0;      ///< flight Mach number [-]
  double dT = 0.0;        ///< offset from the standard temperature [K]
  TOffDesignControl control = TOffDesignControl::ExitTemperature;
  double value = 0.0;     ///< of the control, in its unit above
};

/// The outcome of a point: its performance, shafts and stations on success;
/// else the component, the reason and the solver's figures.
struct TOffDesignResult {
  TOffDesignPoint point;
  bool ok = false;
  std::string component;
  std::string error;
  int iterations = 0;
  int jacobians = 0;
  int evaluations = 0;
  double residual = 0.0;  ///< largest normalised error at the end
  TPerformance performance;
  std::map<int, TShaft> shafts;
  std::map<int, TStation> stations;
};

/// Runs an engine off design. The engine's components keep what off design
/// needs from a design point (map scalars, throat area, design power): from
/// a design run (Design) or set from a model file.
class VYR_API TOffDesign {
 public:
  explicit TOffDesign(TEngine& engine) : e_(engine) {}
  TSolverOptions options;

  /// Design point; the components keep what off design needs.
  bool Design(TEngineState& s);
  /// Empty when every component has its design data, else the first missing.
  std::string MissingDesign() const;
  /// One point, from the last converged point (or the design point). The
  /// state holds the point's stations and performance.
  bool Run(TEngineState& s, const TOffDesignPoint& p, TOffDesignResult& r);
  /// Points in order; each starts from the last converged one, and a point
  /// that fails is approached by halving the step toward it before it is
  /// given up (the sweep goes on with the next).
  std::vector<TOffDesignResult> Sweep(TEngineState& s, const std::vector<TOffDesignPoint>& points);
  /// Forgets the last converged point: the next starts from the design point.
  void Restart() { warm_.clear(); hasLast_ = false; }

 private:
  bool Solve(TEngineState& s, const TOffDesignPoint& p, TOffDesignResult& r);
  TEngine& e_;
  std::vector<TSolverState> warm_;
  TOffDesignPoint last_;
  bool hasLast_ = false;
};

/// Name of a control for messages and tables ("thrust", "T4", "Wf", "speed").
VYR_API const char* ControlName(TOffDesignControl c);

}  // namespace vyr::engine
