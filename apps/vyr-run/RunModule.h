// The run module: the command "vyr run MODEL.xml" in a shared library that the
// vyr program loads only for that command, so that its other commands start
// without Qt and the UI library.
//
// vyr looks for the module at <folder of the executable>/../<module folder>
// (lib/vyrcomp in the build tree and in an installed tree), loads it with
// dlopen and calls the entry point kRunEntryName, a function of type
// TRunEntry. The module creates a QApplication without display, loads the
// component libraries, runs the model's design point (or its off-design
// points) and hands back the engine state with the messages; vyr turns the
// state into its tables.
#pragma once

#include <string>
#include <vector>

#include "EngineState.h"
#include "OffDesign.h"

namespace vyr::run {

/// What "vyr run" was asked to do.
struct TRunRequest {
  std::string model;                  ///< the model file
  std::string config;                 ///< ID of a "Config" below the base configuration; empty: the base
  std::string caseID;                 ///< ID of a "Case" below the selected configuration; empty: none
  std::string complibDir;             ///< folder whose *.so component libraries are loaded; may not exist
  std::vector<std::string> complibs;  ///< further component libraries: files, or folders of *.so
  /// Off-design points (a sweep in this order); empty: the design point.
  std::vector<engine::TOffDesignPoint> offDesign;
  /// Writes the model with the data of its design point (map scalars, design
  /// areas and powers) to this file after the run; empty: nothing is written.
  std::string saveDesign;
};

/// How the run ended, as the exit status of vyr.
enum class TRunStatus : int {
  Ok = 0,       ///< the design point was calculated
  Failed = 1,   ///< a hook of a component failed: the point stopped
  Invalid = 2,  ///< the file is not a valid model, or an option names nothing in it
};

/// What the run gives back.
struct TRunResult {
  TRunStatus status = TRunStatus::Invalid;
  /// Why the run failed or the model is invalid, one line per reason; empty on success.
  std::vector<std::string> errors;
  /// Messages of the run that did not stop it: the library's and the components' warnings.
  std::vector<std::string> warnings;
  /// ID path of the configuration (or case) that was run, from the root element ("/Model/BaseCfg/Config:A").
  std::string configPath;
  /// The engine state after the design point (valid when status is Ok).
  engine::TEngineState state;
  /// Off design: a result per point, in the request's order.
  std::vector<engine::TOffDesignResult> points;
  /// Why the file of TRunRequest::saveDesign could not be written after a
  /// design point that succeeded; empty when it was written or not asked for.
  /// (When the design point failed, nothing is written and a warning says so.)
  std::string saveError;
};

/// The entry point: runs the request and fills the result. Throws nothing.
using TRunEntry = void (*)(const TRunRequest& request, TRunResult& result);

/// Name of the entry point in the module.
inline constexpr const char* kRunEntryName = "vyr_run_model";

/// File name of the module.
inline constexpr const char* kRunModuleFile = "libvyrrun.so";

}  // namespace vyr::run
