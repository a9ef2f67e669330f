// Pieces the commands of the vyr program share: columns, the fuel and mixture
// options, failures in the engineer's terms, and the progress of a sweep.
#pragma once

#include <CLI/CLI.hpp>
#include <chrono>
#include <functional>
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
/// A column of a count (iterations): whole numbers, never negative.
Column Count(std::string key, std::string heading);
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

/// The points of a command, one row each in its main table. In a sweep (any
/// option given as a range) a point that fails stays a row: its inputs, empty
/// results, "failed" and its messages; the command then ends with
/// Status::PointsFailed. A single point that fails ends the command: as a
/// failed calculation, or as a bad argument when its inputs lie outside the
/// calculation's domain (PointOutOfDomain).
class Points {
 public:
  /// Adds the columns "status" and "message" to the table of a sweep.
  Points(Table& table, bool sweep);
  /// Computes one point: `point` adds its row (AddRow) and returns false when
  /// it failed, its messages shown. `inputs` is the row of a failed point, its
  /// results left empty. False when the command must stop.
  bool Run(const Row& inputs, const std::function<bool()>& point);
  /// Status of the points so far; shows how many failed.
  Status Result() const;
  bool Sweep() const { return sweep_; }

 private:
  Table& table_;
  bool sweep_;
  std::size_t points_ = 0, failed_ = 0;
};

/// True when any of the options was given as a range.
bool AnyRange(const std::vector<const Number*>& options);

/// What is wrong with an ambient static temperature Ts [K] at a pressure
/// altitude z [m] and temperature offset dT [K]: outside the gas property
/// tables; empty when it lies inside.
std::string AmbientTemperatureProblem(double Ts, double z, double dT, TUnitSystem u);

/// Refuses a fuel temperature outside the range the fuel's property model holds for. Throws BadArgument.
void CheckFuelTemperature(const Fuel& fuel, const Number& Tfuel, TUnitSystem u);

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
