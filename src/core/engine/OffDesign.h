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
  /// The quantity that held the point: the control's name ("T4", "thrust",
  /// ...), or the name of the limit that became active ("N1").
  std::string limiter;
  /// The failure is a point outside the calculation's domain (a fuel flow
  /// above stoichiometric, a burner asked to cool) rather than one the solver missed.
  bool outOfDomain = false;
  /// Net thrust at full power at the point's flight condition (a thrust-fraction point) [N]; else 0.
  double fullThrust = 0.0;
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
///
/// A point is sought, in turn: from the last converged point, moved to the
/// point's flight condition in corrected terms (air flow W sqrt(theta)/delta,
/// speed N/sqrt(theta), exit temperature T/theta and the map coordinates
/// kept); by continuation from that point, stepping the flight condition and
/// the control together; from the design point moved so; and by continuation
/// from the design point. A point that none of these reaches fails, naming the
/// map edge it would cross where one stopped it.
///
/// With limits the control is the demand: the point runs at the demand unless
/// a limit would be exceeded, then at the most restrictive limit (the one that
/// leaves the least fuel flow). A thrust-fraction point finds the full-power
/// point first (the design burner exit temperature, or the limits when given).
class VYR_API TOffDesign {
 public:
  explicit TOffDesign(TOffDesignModel& model) : m_(model) {}
  TSolverOptions options;

  /// One point. The state holds the point's stations and performance.
  bool Run(TEngineState& s, const TOffDesignPoint& p, TOffDesignResult& r);
  /// Points in order; each starts from the last converged one, and a point
  /// that fails there is retried from the design point before it is given
  /// up (the sweep goes on with the next).
  std::vector<TOffDesignResult> Sweep(TEngineState& s, const std::vector<TOffDesignPoint>& points);
  /// Forgets the last converged point and the design anchor: the next point
  /// starts from the design point.
  void Restart();

  /// A converged point as a start for others: its unknowns, its free stream
  /// and its solved state.
  struct TStart {
    std::vector<TSolverState> states;
    double Tt0 = 0.0, Pt0 = 0.0;  ///< free-stream total temperature [K] and pressure [Pa]
    TEngineState solved;
    bool hasSolved = false;
  };
  /// What a solution holds: the point's control, or one of its limits in
  /// place of the control (the layout of a thrust-controlled point).
  struct THold {
    TOffDesignPoint point;
    bool byLimit = false;
    TOffDesignLimit limit;
  };

 private:
  bool Limited(TEngineState& s, const TOffDesignPoint& p, bool unbounded, TOffDesignResult& r);
  bool WalkDown(TEngineState& s, const TOffDesignPoint& p, const TEngineState& top, TOffDesignResult& r);
  bool Reach(TEngineState& s, const THold& h, TOffDesignResult& r);
  bool Continue(TEngineState& s, const THold& h, const TStart& from, TOffDesignResult& r, int& budget);
  bool Attempt(TEngineState& s, const THold& h, const TStart* from, TOffDesignResult& r);
  bool Anchor(TEngineState& s);
  void Capture(const TEngineState& s);
  TStart Snapshot(const TEngineState& s) const;

  TOffDesignModel& m_;
  TStart last_;
  bool hasLast_ = false;
  TStart design_;        // the unknowns' design values and the design's free stream
  bool hasDesign_ = false;
  TStart anchor_;        // the design point solved at its flight condition
  int anchorState_ = 0;  // 0 not tried, 1 solved, -1 failed
  std::string edge_, edgeComponent_;  // the last map edge met in an attempt
  int failRank_ = 0;  // what the last failed attempt says: 0 its start failed, 1 no convergence, 2 a map edge,
                     // 3 it converged off the maps
  std::string lastLimiter_;           // the limit that held the last point, if one did
};

/// Name of a control for messages and tables ("thrust", "T4", "Wf", "speed", "thrust fraction").
VYR_API const char* ControlName(TOffDesignControl c);

/// Reads a rating limit: a name, "<=" or ">=", a value and an optional unit,
/// without spaces or with them ("T4<=1600K", "N1 <= 1.02", "SM1>=0.10",
/// "Pt3<=2.5MPa", "Wf<=0.9kg/s"). Names: T<n> or Tt<n> (total temperature of
/// station n), Pt<n> (total pressure of station n), N<k> (speed of shaft k,
/// fraction of design), Nc<k> (corrected speed of the k-th compressor,
/// fraction of design), SM<k> (surge margin of the k-th compressor at constant
/// corrected speed), SMW<k> (the same at constant corrected flow), Wf, FN.
/// Units: K, R, degC, degF; Pa, kPa, MPa, bar, psi, psia; kg/s, lbm/s, kg/h,
/// lbm/h; N, kN, lbf; % for fractions and margins. A value without a unit is
/// in SI, or in imperial units (R, psia, lbm/h, lbf) when imperial is set;
/// fractions and margins are plain numbers. False with the reason.
VYR_API bool ParseLimit(const std::string& text, bool imperial, TOffDesignLimit& limit, std::string& error);
/// The limited quantity's value in a solved state; false when the state has
/// no such station, shaft or compressor (or its surge margin is undefined).
VYR_API bool LimitValue(const TEngineState& s, const TOffDesignLimit& limit, double& value);
/// The limit as text in SI, for messages: "T4 <= 1600 K".
VYR_API std::string LimitText(const TOffDesignLimit& limit);

}  // namespace vyr::engine
