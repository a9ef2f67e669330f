// The host of a model: loads a model file, builds the effective model of the
// chosen configuration and case, creates the component icons and their data
// forms offscreen, links them, checks the model and orders its components,
// then calls the components' calculation hooks in the phases of a design point.
//
// Configurations and cases. The base configuration ("BaseCfg", or the older
// "ReferenceModel") holds the model. A "Config" element (found by its "ID"
// anywhere below the base through nested "Config" elements) is a variant of
// the model, a "Case" element (a child of the chosen configuration, or of the
// base) a variant of its configuration. Each may hold a "Components" element
// with "TVYRcomp" elements that carry only what differs: the effective model is
// the base's "Components" with each level's "Components" copied over it in turn
// (CopyNodesByID: components matched by "ID", their values by element name and
// "ID"; what a level does not mention stays). A configuration may add
// components; a case changes components of its configuration and adds none.
//
// Calculation order. Model components (the connector lines are no part of the
// calculation) are ordered by the calculation-order priority of their icon
// (copFirst, then copNone, then copLast), then by calculation number (Nr);
// two components with one calculation number make the model invalid.
//
// Hooks. Every phase calls one hook on every component in calculation order
// before the next phase begins.
//   Simulation start: AfterLoad, AfterModelLoad, CheckComponent(cmDesign),
//     ValidateInputData, AddMeasurementsAndConditions, BeforeRunSimulation.
//     CheckComponent and ValidateInputData check the model: their failure
//     makes it invalid.
//   Design point: CalculationReset, CalcInit, DefineStatesAndErrorsDP,
//     CalcStart, CalcListBegin, Calc, CalcEnd, CalcListEnd,
//     CalcModelGlobalParameterSums, CalcAdditionalOutput,
//     CalcAdditionalOutputEnd, CalcAdditionalParsEnd, CalcFinish (mode
//     cmDesign; the flag of the CalcAdditional hooks is true: the output of
//     the final point is wanted); then CalcFinally, which every component gets
//     even when the point failed; then, for a point that succeeded,
//     OutputDataTo(otOutpArrays) and OutputDataToArraysEnd.
//   Simulation end: CalcSimulationFinish.
//   Off-design run: the simulation start, then the design point from the
//     model's design inputs, which writes what off design needs into the
//     forms (map scalars unless a form keeps them fixed, design areas, the
//     throat area, shaft powers); a design point that fails fails every
//     off-design point with its reason. Then the points.
//   Off-design point (mode cmSteadyState):
//     CalcInit, CalcNewStateStart, DefineStatesAndErrors once; then for every
//     pass of the Newton-Broyden solver CalculationReset, CalcNewStateBegin,
//     CalcStart, CalcListBegin, Calc, CalcEnd, CalcListEnd, CalcFinish,
//     CalcNewStateEnd; then CalcFinally. The solver takes the unknowns and
//     errors the components registered in the engine state; a sweep starts
//     each point from the last converged one.
// A hook that returns false (or throws) stops the point; the failure names the
// component (IDstr), the hook, and the component's ErrorWarningText together
// with the messages the library showed during that hook.
//
// The host collects every message of the library while it lives (nothing is
// shown), and answers any question (a station number, a modal form) with
// Cancel, so that nothing waits for a user. Everything runs on the thread of
// the QApplication, which the caller creates first.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "EngineState.h"
#include "Messages.h"
#include "OffDesign.h"
#include "RunModule.h"
#include "VYRtypes.h"

class QWidget;

namespace vyr {
class TVYRcomp;
class TVYRcompform;
}  // namespace vyr

namespace vyr::run {

/// When in a run a hook is called.
enum class THookStage { SimulationStart, Point, PointFinally, PointOutput, SimulationEnd };

/// One phase: a hook called on every component in calculation order.
struct THookPhase {
  const char* name;  ///< the hook's name ("Calc")
  THookStage stage;
  bool checksModel;  ///< a failure makes the model invalid rather than failing the point
  bool (*call)(TVYRcompform& form);
};

/// The phases of a design point in the order the host calls them.
const std::vector<THookPhase>& DesignPointPhases();
/// The phases of an off-design point: its start (stage SimulationStart here:
/// once a point), a pass of the solver (Point), its end (PointFinally).
const std::vector<THookPhase>& OffDesignPhases();

class TModelHost {
 public:
  /// A host without a model; installs its message collection and refuses questions.
  TModelHost();
  /// Destroys the icons and forms, then restores the message and question handlers.
  ~TModelHost();
  TModelHost(const TModelHost&) = delete;
  TModelHost& operator=(const TModelHost&) = delete;

  /// Loads the model file, selects the configuration config and the case caseID
  /// (empty: none) and creates, links, checks and orders the components. False,
  /// with the reasons in Errors(), when the model is not valid.
  bool Load(const std::string& fileName, const std::string& config, const std::string& caseID);
  /// Load from the bytes of a model file; sourceName names it in messages.
  bool LoadFromString(std::string_view bytes, std::string_view sourceName, const std::string& config,
                      const std::string& caseID);

  /// The whole design point inside a TActiveEngineState scope over state:
  /// simulation start, the point, simulation end.
  TRunStatus Run(engine::TEngineState& state);

  /// Off-design points inside a TActiveEngineState scope over state:
  /// simulation start, the design point from the design inputs, the points
  /// as a sweep (each from the last converged one), simulation end. Failed
  /// when a point failed (its reason in its result); results has a row per
  /// point.
  TRunStatus RunOffDesign(engine::TEngineState& state, const std::vector<engine::TOffDesignPoint>& points,
                          std::vector<engine::TOffDesignResult>& results, const engine::TSolverOptions& options = {});

  /// The simulation-start phases (inside an active engine state).
  TRunStatus StartSimulation();
  /// The design-point phases (inside an active engine state).
  TRunStatus RunPoint();
  /// The simulation-end phase (inside an active engine state).
  TRunStatus FinishSimulation();

  /// Model components in calculation order.
  const std::vector<TVYRcomp*>& CalcOrder() const { return order_; }
  /// Reasons of the failure or invalidity, one per line.
  const std::vector<std::string>& Errors() const { return errors_; }
  /// Messages that did not stop the run, one per line.
  std::vector<std::string> Warnings() const;
  /// ID path of the configuration or case that was loaded ("/Model/BaseCfg/Case:hot").
  const std::string& ConfigPath() const { return configPath_; }
  /// Whether the last design point (of Run or RunOffDesign) succeeded.
  bool DesignDone() const { return designDone_; }
  /// Writes the model file as loaded, with the forms' values (after a design
  /// point: its map scalars, design areas and powers) in the base
  /// configuration's components, to fileName. A file name a form gives
  /// relative to the model file's folder (a string field with the dynamic
  /// property "modelFile") is rewritten relative to fileName's folder. Only
  /// for the base configuration: the values of a configuration or case are
  /// not the base's. False with the reason.
  bool SaveModel(const std::string& fileName, std::string& error);

 private:
  struct Impl;
  bool Invalid(std::string text);
  bool Parsed(bool loaded, std::string_view sourceName, const std::string& config, const std::string& caseID,
              std::size_t mark);
  bool Build(const std::string& config, const std::string& caseID);
  bool CreateComponents();
  bool LinkAndCheck();
  bool CheckGasPath();
  bool Order();
  TRunStatus RunPhases(THookStage stage);
  TRunStatus Phase(const THookPhase& phase);
  bool Call(const THookPhase& phase, TVYRcomp* icon, std::string& failure);
  std::string ComponentPath(const TVYRcomp* icon) const;
  /// One phase over every component; false with the failure text.
  bool TryPhase(const THookPhase& phase, std::string& who, std::string& failure);
  friend class THostModel;

  std::unique_ptr<Impl> impl_;
  std::vector<TVYRcomp*> comps_;  // every icon, in file order
  std::vector<TVYRcomp*> order_;  // model components in calculation order
  std::vector<std::string> errors_;
  std::vector<TMessage> messages_;
  std::vector<bool> used_;  // messages taken into a failure
  std::string configPath_;
  std::string source_;
  std::string modelDir_;  // folder of the model file
  bool pointFailed_ = false;
  bool designDone_ = false;
  std::string failedWho_;  // IDstr of the component whose hook failed last
};

}  // namespace vyr::run
