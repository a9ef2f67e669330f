// Model files for the Python module. A model runs through the model host of
// "vyr run" (component icons and data forms, offscreen), and Qt wants every
// widget on the thread of its QApplication. Python may call from any thread
// (a Dask worker runs its tasks on threads of its own), so the module keeps
// one thread for the host: it creates the QApplication (no display),
// loads the component libraries, and creates, runs and destroys every model.
// The calls below hand their work to that thread and wait for it; they touch
// no Python object, so the caller releases the GIL around them.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "EngineState.h"
#include "EngineSweep.h"
#include "OffDesign.h"
#include "RunModule.h"

namespace vyr::python {

/// What a design point or an off-design run of a model gives.
struct TModelOutcome {
  run::TRunStatus status = run::TRunStatus::Invalid;
  std::vector<std::string> errors;    ///< why it failed, one line each
  std::vector<std::string> warnings;  ///< messages that did not stop it
  engine::TEngineState state;         ///< the state after the point (valid when Ok)
};

/// One loaded model on the host thread.
class TModelSession {
 public:
  /// Loads the component libraries (files, or folders of *.so; each once per
  /// process), then the model from the bytes of its file; source names it in
  /// messages, and the files the model names (maps) are looked for beside it.
  /// Throws std::invalid_argument with the reasons when the model is not valid.
  TModelSession(const std::string& bytes, const std::string& source, const std::string& config,
                const std::string& caseID, const std::vector<std::string>& complibs);
  /// Destroys the model on the host thread.
  ~TModelSession();
  TModelSession(const TModelSession&) = delete;
  TModelSession& operator=(const TModelSession&) = delete;

  /// ID path of the configuration or case that was loaded.
  std::string ConfigPath() const;
  /// The design inputs: "<component ID>.<property>" ("Compressor.PRdes") and
  /// their values, in calculation order.
  std::vector<std::pair<std::string, double>> Inputs();
  /// The names of the components' results ("Compressor.PW"), in calculation order.
  std::vector<std::string> Outputs();
  /// Value of an input or a result by name. Throws std::out_of_range for a
  /// name that is none (the message lists what there is).
  double Get(const std::string& name);
  /// Sets an input by name. Throws std::out_of_range for a name that is no input.
  void Set(const std::string& name, double value);

  /// The design point.
  TModelOutcome Design();
  /// Off-design points as a sweep, each from the last converged one.
  TModelOutcome OffDesign(const std::vector<engine::TOffDesignPoint>& points,
                          std::vector<engine::TOffDesignResult>& results);
  /// Design points over a grid: point i sets inputs[k] to values[i *
  /// inputs.size() + k]; the results named in outputs land in
  /// outputValues[i * outputs.size() + j] (NaN in a failed row). The inputs
  /// are as before afterwards. Throws std::out_of_range for an unknown name.
  TSweepRows Sweep(const std::vector<std::string>& inputs, const double* values, std::size_t points,
                   const std::vector<std::string>& outputs, std::vector<double>& outputValues);

  struct Impl;

 private:
  std::shared_ptr<Impl> impl_;
};

/// Destroys every model still loaded, unloads the component libraries and the
/// QApplication the module created, and ends the host thread (at interpreter
/// exit). Later model calls fail with a message.
void ShutdownModelHost();

}  // namespace vyr::python
