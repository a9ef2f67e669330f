// The command "run": the design point of an engine model file. Its work lies
// in the run module (apps/vyr-run/), which needs Qt and the UI library; vyr
// loads the module only when this command runs, so that the other commands
// start without them.
#pragma once

#include <CLI/CLI.hpp>

#include "Commands.h"

namespace vyr::cli {

/// Adds the command "run".
void AddRun(CLI::App& app, Common& common, Action& action);

}  // namespace vyr::cli
