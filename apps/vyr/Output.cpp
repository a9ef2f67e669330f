#include "Output.h"

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include "SysUtils.h"

namespace vyr::cli {

namespace {

std::string UnitOf(const Column& c, TUnitSystem u) {
  if (!c.unit.empty()) return c.unit;
  if (c.type == ptNone) return "";
  return std::string(ParUnitStr[c.type][u]);
}

// Value in the unit system (SI values are stored).
double Converted(const Column& c, TUnitSystem u, double v) {
  if (!c.unit.empty() || c.type == ptNone) return v;
  return v / ParscaleStd[c.type][u];
}

std::string TextOf(const Column& c, TUnitSystem u, const Cell& cell) {
  if (std::holds_alternative<std::monostate>(cell)) return "-";
  if (const auto* s = std::get_if<std::string>(&cell)) return *s;
  const double v = std::get<double>(cell);
  if (c.decimals >= 0) return vyr::Format("%.*f", {c.decimals, Converted(c, u, v)});
  if (!c.unit.empty() || c.type == ptNone) return FloatToStr(v);
  return ParToStr(c.type, u, "", true, v);
}

// Full precision for scripts: 12 significant digits of the converted value.
std::string NumberForScripts(double v) {
  if (!std::isfinite(v)) return FloatToStr(v);
  return vyr::Format("%.12g", {v});
}

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
      const bool left = j == 0 && !t.rows.empty() && std::holds_alternative<std::string>(t.rows[0][0]);
      const std::size_t pad = width[j] - cells[j].size();
      s += left ? cells[j] + std::string(pad, ' ') : std::string(pad, ' ') + cells[j];
    }
    while (!s.empty() && s.back() == ' ') s.pop_back();
    os << s << '\n';
  };
  if (!t.name.empty()) os << t.name << '\n';
  line(head);
  if (std::any_of(unit.begin(), unit.end(), [](const std::string& u) { return !u.empty(); })) line(unit);
  for (const auto& cells : body) line(cells);
}

void WriteCsv(std::ostream& os, const Table& t, TUnitSystem u) {
  if (!t.name.empty()) os << "# " << t.name << '\n';
  for (std::size_t j = 0; j < t.columns.size(); ++j) {
    const std::string un = UnitOf(t.columns[j], u);
    os << (j ? "," : "") << t.columns[j].key << (un.empty() ? "" : " [" + un + "]");
  }
  os << '\n';
  for (const auto& row : t.rows) {
    for (std::size_t j = 0; j < t.columns.size(); ++j) {
      if (j) os << ',';
      const Cell& c = j < row.size() ? row[j] : Cell{};
      if (const auto* s = std::get_if<std::string>(&c)) {
        os << '"' << *s << '"';
      } else if (const auto* v = std::get_if<double>(&c)) {
        os << NumberForScripts(Converted(t.columns[j], u, *v));
      }
    }
    os << '\n';
  }
}

nlohmann::json JsonOf(const Table& t, TUnitSystem u) {
  nlohmann::json rows = nlohmann::json::array();
  for (const auto& row : t.rows) {
    nlohmann::json r = nlohmann::json::object();
    for (std::size_t j = 0; j < t.columns.size(); ++j) {
      const Cell& c = j < row.size() ? row[j] : Cell{};
      if (const auto* s = std::get_if<std::string>(&c)) {
        r[t.columns[j].key] = *s;
      } else if (const auto* v = std::get_if<double>(&c)) {
        const double x = Converted(t.columns[j], u, *v);
        r[t.columns[j].key] = std::isfinite(x) ? nlohmann::json(x) : nlohmann::json(nullptr);
      } else {
        r[t.columns[j].key] = nullptr;
      }
    }
    rows.push_back(std::move(r));
  }
  nlohmann::json units = nlohmann::json::object();
  for (const auto& c : t.columns) {
    const std::string un = UnitOf(c, u);
    if (!un.empty()) units[c.key] = un;
  }
  return {{"rows", rows}, {"units", units}};
}

}  // namespace

void Write(std::ostream& os, const std::vector<Table>& tables, Format format, TUnitSystem units) {
  if (format == Format::Json) {
    nlohmann::json doc = nlohmann::json::object();
    doc["unit_system"] = units == usSI ? "SI" : "imperial";
    for (const auto& t : tables) doc[t.name.empty() ? "table" : t.name] = JsonOf(t, units);
    os << doc.dump(2) << '\n';
    return;
  }
  for (std::size_t i = 0; i < tables.size(); ++i) {
    if (i) os << '\n';
    if (format == Format::Csv)
      WriteCsv(os, tables[i], units);
    else
      WriteText(os, tables[i], units);
  }
}

}  // namespace vyr::cli
