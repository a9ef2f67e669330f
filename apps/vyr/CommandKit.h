// Pieces the commands of the vyr program share: columns, the fuel and mixture
// options, failures in the engineer's terms, and the progress of a sweep.
#pragma once

#include <CLI/CLI.hpp>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "Commands.h"
#include "Fuel.h"
#include "Inputs.h"
#include "Output.h"

namespace vyr::cli {

/// Caller identification of the library routines the commands call, for their messages.
inline const char* const kId = "vyr";
/// Tolerance factor of the library's iterations.
inline constexpr double kTol = 1e-6;

/// A column of a quantity with its sign; `unit` and `decimals` as in Column.
Column Col(std::string key, std::string heading, TParType t, Sign sign = Sign::Any, std::string unit = "",
           int decimals = -1);
/// A column of a plain number shown with `decimals` decimals.
Column Ratio(std::string key, std::string heading, int decimals, Sign sign = Sign::Any);
/// A column of text.
Column Text(std::string key, std::string heading);
/// Echo of a text input.
Echo TextEcho(const std::string& key, const std::string& value);

/// Shows the failure of a calculation in the engineer's terms; returns false.
bool Fail(const std::string& text);
/// Shows the failure of a calculation in the engineer's terms; returns Status::Failed.
Status Failure(const std::string& text);

/// The fuel and, for gases, the mixture: air, products of the fuel, or mass fractions.
struct MixOptions {
  std::string mix = "air";
  std::string fuel = "avtur";
  CLI::Option* mixOpt = nullptr;  ///< null for commands that take a fuel only
  CLI::Option* fuelOpt = nullptr;
  Number* far = nullptr;
  Number *hc = nullptr, *oc = nullptr, *lhv = nullptr, *hf = nullptr;

  /// Adds --mix, the fuel options and --far (the products' fuel-air ratio).
  void Add(CLI::App* cmd, Numbers& n, const std::string& defaultMix);
  /// Adds --fuel and the user fuel's --hc, --oc, --lhv and --hf.
  void AddFuel(CLI::App* cmd, Numbers& n);
  /// Refuses options that the chosen fuel or mixture ignores; the products'
  /// fuel-air ratio counts only for products. Throws BadArgument.
  void CheckApplicable();
  Fuel MakeTheFuel() const;
  std::vector<Echo> Echoes() const;
  /// The mixture's mass fractions; throws BadArgument for one it cannot read or
  /// that is no composition, false when the library refused the products.
  bool Composition(TGasComposition& y) const;
};

/// Progress of a long sweep on standard error, only when that is a terminal.
class Progress {
 public:
  explicit Progress(std::size_t total);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;
  /// Shows "point done of total" after the first second, five times a second at most.
  void Step(std::size_t done);

 private:
  std::size_t total_;
  bool terminal_, shown_ = false;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now(), last_{};
};

// The commands, each in its own file (GasCommand.cpp, ...).
void AddGas(CLI::App& app, Common& common, Action& action);
void AddProcess(CLI::App& app, Common& common, Action& action);
void AddStatic(CLI::App& app, Common& common, Action& action);
void AddBurn(CLI::App& app, Common& common, Action& action);
void AddAtmosphere(CLI::App& app, Common& common, Action& action);
void AddFlight(CLI::App& app, Common& common, Action& action);
/// The command "cycle turbojet": one design point, or a sweep of them.
void AddCycle(CLI::App& app, Common& common, Action& action);

}  // namespace vyr::cli
