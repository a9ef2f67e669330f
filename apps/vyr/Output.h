// Tables of results: aligned text for people, CSV and JSON for scripts, in
// SI or imperial units through the library's unit tables.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "Numinp.h"

namespace vyr::cli {

enum class Format { Text, Csv, Json };

/// A column: its key (JSON and CSV), its heading, and the quantity that sets
/// its unit and conversion; `unit` replaces the unit text of quantities the
/// unit tables do not know (shown as they are in every system).
struct Column {
  std::string key;
  std::string heading;
  TParType type = ptNone;
  std::string unit;
  int decimals = -1;  ///< decimals of the text table; -1: the unit table's default
};

/// A cell: a value in SI units, a text, or nothing.
using Cell = std::variant<std::monostate, double, std::string>;

struct Table {
  std::string name;
  std::vector<Column> columns;
  std::vector<std::vector<Cell>> rows;
};

/// Writes the tables in the chosen form and unit system.
void Write(std::ostream& os, const std::vector<Table>& tables, Format format, TUnitSystem units);

}  // namespace vyr::cli
