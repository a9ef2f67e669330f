// Tables of results: aligned text for people, CSV and JSON for scripts, in
// SI or imperial units through the library's unit tables. Every row is checked
// against the physical domain of its columns before it is kept.
#pragma once

#include <array>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "Numinp.h"

namespace vyr::cli {

enum class Format { Text, Csv, Json };

/// Version of the JSON document's layout; raised when a key changes meaning or goes away.
inline constexpr int kJsonSchema = 1;

/// Sign that physics demands of a column's values.
enum class Sign { Any, Positive, NonNegative };

/// A unit outside the library's unit tables: its text and size in SI units, per unit system.
struct OwnUnit {
  std::array<std::string, 2> text;  ///< indexed by TUnitSystem
  std::array<double, 2> size;       ///< stored value / size = shown value
};

/// Dynamic viscosity: micropascal seconds, or pounds mass per foot second [Pa s].
OwnUnit ViscosityUnit();

/// A column: its key (JSON and CSV), its heading, and the quantity that sets
/// its unit and conversion; `unit` replaces the unit text of quantities the
/// unit tables do not know (shown as they are in every system).
struct Column {
  std::string key;
  std::string heading;
  TParType type = ptNone;
  std::string unit;
  int decimals = -1;  ///< decimals of the text table; -1: the unit table's default
  Sign sign = Sign::Any;
  std::optional<OwnUnit> own;  ///< a quantity without a TParType
  bool integer = false;        ///< a count: whole numbers, integers in JSON
};

/// A cell: nothing (not applicable), a value in SI units, a text, or a flag.
using Cell = std::variant<std::monostate, double, std::string, bool>;
using Row = std::vector<Cell>;

struct Table {
  std::string name;
  std::vector<Column> columns;
  std::vector<Row> rows;
};

/// What is wrong with a row: a value that is not finite, or has a sign that
/// physics forbids ("Ts = -83.85 K is not positive"); empty when it is sound.
std::string RowProblem(const Table& t, const Row& row, TUnitSystem units);

/// Appends the row if it is sound; otherwise shows the problem as a message and returns false.
bool AddRow(Table& t, Row row, TUnitSystem units);

/// One input of the command as the run used it, echoed in the JSON document.
struct Echo {
  Column column;             ///< key, quantity and unit
  std::vector<Cell> values;  ///< one value, or the values of a range
};

/// Everything a command reports.
struct Report {
  std::string command;       ///< "cycle turbojet"
  std::vector<Echo> inputs;
  std::vector<Table> tables;
  std::string main;          ///< the table that CSV writes unless another is chosen
};

/// Value of a column as shown in the unit system.
double Shown(const Column& c, TUnitSystem u, double v);
/// Unit text of a column in the unit system ("" for a plain number).
std::string UnitOf(const Column& c, TUnitSystem u);

/// Writes the report in the chosen form and unit system: every table, or only
/// `only` when it is not empty; CSV writes one table, `only` or the main one.
/// Throws std::invalid_argument for a table the report does not have.
void Write(std::ostream& os, const Report& report, Format format, TUnitSystem units, const std::string& only);

}  // namespace vyr::cli
