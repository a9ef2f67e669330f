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
  /// The errors at the end of the solution, each with its scale: those of a
  /// point that did not converge show where the engine failed to balance.
  std::vector<TSolverError> errors;
  TPerformance performance;
  std::map<int, TShaft> shafts;
  std::map<int, TStation> stations;
};

/// What an off-design solution needs of an engine, whoever holds its
/// components: the engine layer's TEngine, or a model's component forms.
class VYR_API TOffDesignModel {
 public:
  virtual ~TOffDesignModel() = default;
  /// Empty when every component has what off design needs, else the first missing.
  virtual std::string MissingDesign() = 0;
  /// Registers the components' unknowns and errors for s.point (the registry
  /// is empty on entry); false with who and why.
  virtual bool DefineStatesAndErrors(TEngineState& s, std::string& who, std::string& why) = 0;
  /// One pass over the components at the unknowns' current values, filling
  /// the errors and the performance (FG, ram drag); false with who and why.
  virtual bool Pass(TEngineState& s, std::string& who, std::string& why) = 0;
};

/// The engine layer's engine as an off-design model.
class VYR_API TEngineModel : public TOffDesignModel {
 public:
  explicit TEngineModel(TEngine& e) : e_(e) {}
  std::string MissingDesign() override;
  bool DefineStatesAndErrors(TEngineState& s, std::string& who, std::string& why) override;
  bool Pass(TEngineState& s, std::string& who, std::string& why) override;

 private:
  TEngine& e_;
};

/// Runs a model off design. Its components keep what off design needs from a
/// design point (map scalars, throat area, design power): from a design run,
/// or set from a model file.
class VYR_API TOffDesign {
 public:
  explicit TOffDesign(TOffDesignModel& model) : m_(model) {}
  TSolverOptions options;

  /// One point, from the last converged point (or the design point). The
  /// state holds the point's stations and performance.
  bool Run(TEngineState& s, const TOffDesignPoint& p, TOffDesignResult& r);
  /// Points in order; each starts from the last converged one, and a point
  /// that fails is approached by halving the step toward it before it is
  /// given up (the sweep goes on with the next); a speed with no converged
  /// point before it is approached from the design speed.
  std::vector<TOffDesignResult> Sweep(TEngineState& s, const std::vector<TOffDesignPoint>& points);
  /// Forgets the last converged point: the next starts from the design point.
  void Restart() {
    warm_.clear();
    hasLast_ = false;
  }

 private:
  bool Solve(TEngineState& s, const TOffDesignPoint& p, TOffDesignResult& r);
  TOffDesignModel& m_;
  std::vector<TSolverState> warm_;
  TOffDesignPoint last_;
  bool hasLast_ = false;
};

/// Name of a control for messages and tables ("thrust", "T4", "Wf", "speed").
VYR_API const char* ControlName(TOffDesignControl c);

}  // namespace vyr::engine
