// Numeric inputs of the commands. A value may carry its unit ("518.67R",
// "14.696psia", "35000ft", "250kt"); without one it is read in the unit system
// of the run. Some options take a range start:stop:step. Every value is
// checked against the physical domain of its quantity before anything is
// computed, and NaN and infinities are refused everywhere.
#pragma once

#include <CLI/CLI.hpp>
#include <deque>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Output.h"
#include "GasTypes.h"
#include "SysUtils.h"

namespace vyr::cli {

/// A bad argument: the program exits with status 2 and this message.
struct BadArgument : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

/// Most values one range may give, and most rows the ranges of one run may give together.
inline constexpr std::size_t kMaxRangeValues = 10000;
inline constexpr std::size_t kMaxRows = 100000;

/// Valid values of a quantity [SI units], and the reason for its limits.
struct Domain {
  double lo = -std::numeric_limits<double>::infinity();
  double hi = std::numeric_limits<double>::infinity();
  bool loOpen = false, hiOpen = false;
  std::string reason;  ///< why the limits are where they are; may be empty

  static Domain Any() { return {}; }
  static Domain Positive(std::string why = "") { return {0.0, Domain{}.hi, true, false, std::move(why)}; }
  static Domain AtLeast(double lo, std::string why = "") { return {lo, Domain{}.hi, false, false, std::move(why)}; }
  static Domain Between(double lo, double hi, std::string why = "") { return {lo, hi, false, false, std::move(why)}; }
  /// Between lo (excluded) and hi (included).
  static Domain Above(double lo, double hi, std::string why = "") { return {lo, hi, true, false, std::move(why)}; }
  /// A pressure of the ideal-gas model: above 0, at most kPressureMax.
  static Domain Pressure();
  /// A mass flow: above 0, at most kMassFlowMax.
  static Domain MassFlow();

  bool Contains(double v) const;
  /// "must be greater than 0 Pa", "must lie between 200 K and 6000 K" in the unit system.
  std::string Text(TParType type, TUnitSystem u) const;
};

/// Highest pressure [Pa] an input may have: the gas model is an ideal gas,
/// which departs from real air by more than a per cent above about 100 MPa.
inline constexpr double kPressureMax = 1e8;
/// Highest mass flow [kg/s] an input may have: ten times the air flow of the
/// largest engines.
inline constexpr double kMassFlowMax = 1e4;
/// Highest net thrust [N] a target may have: what the highest mass flow gives
/// at a specific thrust of 1000 N s/kg.
inline constexpr double kThrustMax = 1e7;

/// Temperatures that the gas property tables cover [K].
inline constexpr double kTableTmin = 200.0, kTableTmax = 6000.0;
/// Temperatures between which the library's temperature iterations stay [K].
inline constexpr double kIterTmin = T_itermin, kIterTmax = T_itermax;

/// One numeric option of a command.
struct Number {
  std::string name;          ///< option name for messages ("--T4")
  std::string key;           ///< key of the JSON echo ("T4")
  std::string what;          ///< quantity in words ("burner exit temperature")
  TParType type = ptNone;
  Domain domain;
  bool range = false;        ///< accepts start:stop:step
  std::string text;          ///< as given on the command line
  std::optional<double> fallback;  ///< the value when the option is not given [SI]
  CLI::Option* option = nullptr;
  std::vector<double> values;      ///< after Numbers::Read [SI]

  bool Given() const { return option && option->count() > 0; }
  /// The option was given as a range (even one of a single value).
  bool IsRange() const { return Given() && text.find(':') != std::string::npos; }
  bool Has() const { return !values.empty(); }
  double Value() const { return values.front(); }
};

/// The numeric options of one command.
class Numbers {
 public:
  /// Adds an option "flags" (CLI11 names, e.g. "-T,--temperature") to the command.
  Number& Add(CLI::App* cmd, const std::string& flags, const std::string& what, TParType type,
              std::optional<double> fallback, Domain domain, bool range = false);
  /// Parses every option in the unit system (for values without a unit); throws BadArgument.
  void Read(TUnitSystem u);
  /// Echo of every option that has a value, in the order they were added.
  std::vector<Echo> Echoes() const;
  /// Number of rows the ranges of these options give together; throws BadArgument above kMaxRows.
  std::size_t Rows(const std::vector<const Number*>& ranged) const;

 private:
  std::deque<Number> numbers_;  // stable addresses for the CLI options
};

/// Value of text such as "35000ft" in SI units for a quantity; a text without
/// a unit is in the unit system u. Throws BadArgument naming the option.
double ReadValue(const std::string& text, TParType type, TUnitSystem u, const std::string& option);

/// Values of a range "start:stop:step" or a single value (each with an optional unit) [SI].
std::vector<double> ReadValues(const std::string& text, TParType type, TUnitSystem u, const std::string& option);

/// Refuses an option that the chosen model or method ignores.
void NotApplicable(const CLI::Option* option, bool applies, const std::string& because);

/// printf-formatted text, for messages with numbers in C notation ("1e+09").
using vyr::Printf;

/// Message text of a value in the unit system: "700 K", "0.5".
std::string Quantity(double si, TParType type, TUnitSystem u);

/// Text the user gave, as a message echoes it: at most 60 characters.
std::string Echoed(const std::string& text);

/// A point of a sweep whose inputs lie outside the domain of the calculation
/// (an ambient temperature below the property tables): the point fails; a
/// single point exits as a bad argument.
struct PointOutOfDomain : BadArgument {
  using BadArgument::BadArgument;
};

}  // namespace vyr::cli
