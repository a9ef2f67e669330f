// The subcommands of the vyr program.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <ostream>

#include "Output.h"

namespace vyr::cli {

/// Options every subcommand shares.
struct Common {
  std::string units = "si";
  bool json = false;
  bool csv = false;
  TUnitSystem UnitSystem() const { return units == "imperial" ? usImperial : usSI; }
  Format OutputFormat() const { return json ? Format::Json : csv ? Format::Csv : Format::Text; }
};

/// A subcommand's action: fills the tables, or returns false when the library refused.
using Action = std::function<bool(std::vector<Table>&)>;

/// Adds every subcommand to the program; the one chosen stores its action in `action`.
void AddCommands(CLI::App& app, Common& common, Action& action);

/// Values of a range "start:stop:step" or a single value; throws CLI::ValidationError.
std::vector<double> ParseRange(const std::string& text, const std::string& what);

}  // namespace vyr::cli
