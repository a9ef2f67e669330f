#include "Output.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <stdexcept>

#include "Inputs.h"
#include "Messages.h"
#include "SysUtils.h"

namespace vyr::cli {

namespace {

using Json = nlohmann::ordered_json;  // keys keep the order of the columns

// A number as the column shows it: its decimals, or four significant digits
// where those decimals would round a small value away; never "-0".
std::string TextOf(const Column& c, TUnitSystem u, const Cell& cell) {
  if (std::holds_alternative<std::monostate>(cell)) return "-";
  if (const auto* s = std::get_if<std::string>(&cell)) return *s;
  if (const auto* b = std::get_if<bool>(&cell)) return *b ? "yes" : "no";
  const double v = std::get<double>(cell), x = Shown(c, u, v);
  std::string text;
  if (c.decimals >= 0)
    text = vyr::Format("%.*f", {c.decimals, x});
  else if (c.own)
    text = Printf("%.5g", x);
  else if (!c.unit.empty() || c.type == ptNone)
    text = FloatToStr(v);
  else
    text = ParToStr(c.type, u, "", true, v);
  const double back = std::strtod(text.c_str(), nullptr);
  if (x != 0 && std::isfinite(x) && std::fabs(back - x) > 1e-3 * std::fabs(x)) text = Printf("%.4g", x);
  if (!text.empty() && text[0] == '-' && std::strtod(text.c_str(), nullptr) == 0) text.erase(0, 1);
  return text;
}

// Full precision for scripts: 12 significant digits of the converted value.
std::string NumberForScripts(double v) { return Printf("%.12g", v == 0 ? 0.0 : v); }

void WriteText(std::ostream& os, const Table& t, TUnitSystem u) {
  const std::size_t n = t.columns.size();
  std::vector<std::string> head(n), unit(n);
  std::vector<std::vector<std::string>> body;
  std::vector<std::size_t> width(n, 0);
  for (std::size_t j = 0; j < n; ++j) {
    head[j] = t.columns[j].heading;
    const std::string un = UnitOf(t.columns[j], u);
    unit[j] = un.empty() ? "" : "[" + un + "]";
    width[j] = std::max(head[j].size(), unit[j].size());
  }
  for (const auto& row : t.rows) {
    std::vector<std::string> cells(n);
    for (std::size_t j = 0; j < n && j < row.size(); ++j) {
      cells[j] = TextOf(t.columns[j], u, row[j]);
      width[j] = std::max(width[j], cells[j].size());
    }
    body.push_back(std::move(cells));
  }
  auto line = [&](const std::vector<std::string>& cells) {
    std::string s;
    for (std::size_t j = 0; j < n; ++j) {
      if (j) s += "  ";
      const bool left = !t.rows.empty() && j < t.rows[0].size() && std::holds_alternative<std::string>(t.rows[0][j]);
      const std::size_t pad = width[j] - cells[j].size();
      s += left ? cells[j] + std::string(pad, ' ') : std::string(pad, ' ') + cells[j];
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    os << s << '\n';
  };
  if (!t.name.empty()) os << t.name << '\n';
  line(head);
  if (std::any_of(unit.begin(), unit.end(), [](const std::string& s) { return !s.empty(); })) line(unit);
  for (const auto& cells : body) line(cells);
}

std::string CsvText(const std::string& s) {
  std::string q = "\"";
  for (char c : s) q += c == '"' ? std::string("\"\"") : std::string(1, c);
  return q + '"';
}

void WriteCsv(std::ostream& os, const Table& t, TUnitSystem u) {
  for (std::size_t j = 0; j < t.columns.size(); ++j) {
    const std::string un = UnitOf(t.columns[j], u);
    os << (j ? "," : "") << t.columns[j].key << (un.empty() ? "" : " [" + un + "]");
  }
  os << '\n';
  for (const auto& row : t.rows) {
    for (std::size_t j = 0; j < t.columns.size(); ++j) {
      if (j) os << ',';
      const Cell& c = j < row.size() ? row[j] : Cell{};
      if (const auto* s = std::get_if<std::string>(&c))
        os << CsvText(*s);
      else if (const auto* v = std::get_if<double>(&c))
        os << NumberForScripts(Shown(t.columns[j], u, *v));
      else if (const auto* b = std::get_if<bool>(&c))
        os << (*b ? "true" : "false");
    }
    os << '\n';
  }
}

// A number to 15 significant digits, the most a double keeps of any decimal:
// a value typed with up to 15 digits is written as typed after the unit
// conversions (3500 ft, not 3499.9999999999995), and no sum leaves its binary
// noise (0.30000000000000004).
double Digits15(double x) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, x, std::chars_format::general, 15);
  double y = x;
  if (ec == std::errc()) std::from_chars(text, end, y);
  return y;
}

Json JsonCell(const Column& col, TUnitSystem u, const Cell& c) {
  if (const auto* s = std::get_if<std::string>(&c)) return *s;
  if (const auto* b = std::get_if<bool>(&c)) return *b;
  if (const auto* v = std::get_if<double>(&c)) {
    const double x = Shown(col, u, *v);
    if (col.integer && std::isfinite(x) && std::fabs(x) < 9e15) return static_cast<std::int64_t>(std::llround(x));
    if (std::isfinite(x)) return x == 0 ? 0.0 : Digits15(x);  // no negative zero
  }
  return nullptr;
}

Json JsonOf(const Table& t, TUnitSystem u) {
  Json columns = Json::array(), units = Json::object(), rows = Json::array();
  for (const auto& c : t.columns) {
    columns.push_back(c.key);
    const std::string un = UnitOf(c, u);
    if (!un.empty()) units[c.key] = un;
  }
  for (const auto& row : t.rows) {
    Json r = Json::object();
    for (std::size_t j = 0; j < t.columns.size(); ++j)
      r[t.columns[j].key] = JsonCell(t.columns[j], u, j < row.size() ? row[j] : Cell{});
    rows.push_back(std::move(r));
  }
  return {{"columns", columns}, {"units", units}, {"rows", rows}};
}

Json JsonOf(const std::vector<Echo>& inputs, TUnitSystem u) {
  Json doc = Json::object();
  for (const Echo& e : inputs) {
    Json item = Json::object();
    if (e.values.size() == 1) {
      item["value"] = JsonCell(e.column, u, e.values.front());
    } else {
      Json values = Json::array();
      for (const Cell& c : e.values) values.push_back(JsonCell(e.column, u, c));
      item["value"] = values;
    }
    const std::string un = UnitOf(e.column, u);
    if (!un.empty()) item["unit"] = un;
    doc[e.column.key] = item;
  }
  return doc;
}

const Table& Find(const Report& r, const std::string& name) {
  for (const Table& t : r.tables)
    if (t.name == name) return t;
  std::string names;
  for (const Table& t : r.tables) names += (names.empty() ? "" : ", ") + t.name;
  throw std::invalid_argument("--table: \"" + r.command + "\" has no table \"" + name + "\" (its tables: " + names +
                              ")");
}

}  // namespace

OwnUnit ViscosityUnit() {
  // 1 lbm/(ft s) = 0.45359237 kg / 0.3048 m / s [Pa s]
  return {{"uPa s", "lbm/(ft s)"}, {1e-6, 0.45359237 / 0.3048}};
}

double Shown(const Column& c, TUnitSystem u, double v) {
  if (c.own) return v / c.own->size[u];
  if (!c.unit.empty() || c.type == ptNone) return v;
  return v / ParscaleStd[c.type][u];
}

std::string UnitOf(const Column& c, TUnitSystem u) {
  if (c.own) return c.own->text[u];
  if (!c.unit.empty()) return c.unit;
  if (c.type == ptNone) return "";
  return std::string(ParUnitStr[c.type][u]);
}

std::string RowProblem(const Table& t, const Row& row, TUnitSystem units) {
  for (std::size_t j = 0; j < t.columns.size() && j < row.size(); ++j) {
    const auto* v = std::get_if<double>(&row[j]);
    if (!v) continue;
    const Column& c = t.columns[j];
    const std::string un = UnitOf(c, units);
    if (!std::isfinite(*v)) return c.heading + " is not a finite number";
    const bool bad = (c.sign == Sign::Positive && !(*v > 0)) || (c.sign == Sign::NonNegative && *v < 0);
    if (bad)
      return c.heading + " = " + Printf("%.6g", Shown(c, units, *v)) + (un.empty() ? "" : " " + un) +
             (c.sign == Sign::Positive ? " is not positive" : " is negative");
  }
  return "";
}

bool AddRow(Table& t, Row row, TUnitSystem units) {
  const std::string problem = RowProblem(t, row, units);
  if (!problem.empty()) {
    ShowMessage("Impossible result in " + t.name + ": " + problem);
    return false;
  }
  t.rows.push_back(std::move(row));
  return true;
}

void Write(std::ostream& os, const Report& report, Format format, TUnitSystem units, const std::string& only) {
  std::vector<const Table*> chosen;
  if (!only.empty())
    chosen.push_back(&Find(report, only));
  else if (format == Format::Csv)
    chosen.push_back(&Find(report, report.main));
  else
    for (const Table& t : report.tables) chosen.push_back(&t);

  if (format == Format::Json) {
    Json doc = Json::object();
    doc["schema"] = kJsonSchema;
    doc["command"] = report.command;
    doc["unit_system"] = units == usSI ? "SI" : "imperial";
    doc["inputs"] = JsonOf(report.inputs, units);
    doc["main"] = only.empty() ? report.main : only;  // the table written
    for (const Table* t : chosen) doc[t->name] = JsonOf(*t, units);
    os << doc.dump(2) << '\n';
    return;
  }
  if (format == Format::Csv) {
    WriteCsv(os, *chosen.front(), units);
    return;
  }
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    if (i) os << '\n';
    WriteText(os, *chosen[i], units);
  }
}

}  // namespace vyr::cli
