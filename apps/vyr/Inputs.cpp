#include "Inputs.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <sstream>

#include "SysUtils.h"

namespace vyr::cli {

namespace {

struct Unit {
  std::string_view text;
  double size;  // in SI units
};

// Units in common use that the unit tables do not list, by quantity.
std::vector<Unit> ExtraUnits(TParType type) {
  switch (type) {
    case ptPressure:
      return {{"psi", ParscaleStd[ptPressure][usImperial]}, {"kPa", 1e3}, {"MPa", 1e6}, {"bar", 1e5}};
    case ptSpeed:
      return {{"kt", 1852.0 / 3600.0}, {"km/h", 1.0 / 3.6}};
    case ptAltitude:
    case ptLength:
      return {{"km", 1e3}};
    case ptForce:
      return {{"kN", 1e3}};
    case ptPower:
      return {{"kW", 1e3}, {"MW", 1e6}};
    default:
      return {};
  }
}

std::vector<Unit> UnitsOf(TParType type) {
  std::vector<Unit> units;
  if (type == ptNone) return units;
  for (int s = 0; s < UnitSystemCount; ++s) units.push_back({ParUnitStr[type][s], ParscaleStd[type][s]});
  for (const Unit& u : ExtraUnits(type)) units.push_back(u);
  return units;
}

std::string UnitList(TParType type) {
  std::string list;
  for (const Unit& u : UnitsOf(type)) {
    if (list.find(std::string(u.text)) != std::string::npos) continue;
    list += (list.empty() ? "" : ", ") + std::string(u.text);
  }
  return list;
}

std::string Trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  const auto e = s.find_last_not_of(" \t");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// Splits "14.696psia" into the number and the unit; false if there is no number in front.
bool SplitNumber(const std::string& text, double& value, std::string& unit) {
  // Digits, one point, an exponent: the plain decimal forms only (no hex, no "nan", no "inf").
  std::size_t i = 0;
  const std::string s = Trim(text);
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) {
      while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
      i = j;
    }
  }
  value = std::strtod(s.substr(0, i).c_str(), nullptr);
  unit = Trim(s.substr(i));
  return true;
}

// Decimals of a typed number: "0.25" 2, "1e-3" 3, "2.5e1" 0, "5000" 0.
int DecimalsOf(const std::string& text) {
  const std::string s = Trim(text);
  int decimals = 0;
  const std::size_t point = s.find('.');
  if (point != std::string::npos)
    for (std::size_t i = point + 1; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) ++decimals;
  const std::size_t e = s.find_first_of("eE");
  if (e != std::string::npos) decimals -= static_cast<int>(std::strtol(s.c_str() + e + 1, nullptr, 10));
  return std::max(decimals, 0);
}

std::string Number3(double v) { return Printf("%.6g", v == 0 ? 0.0 : v); }

// A value with as many digits as set it apart from the limits it is compared
// with: 100.0000001 beside 100, not rounded onto it.
std::string QuantityApart(double si, TParType type, TUnitSystem u, const Domain& d) {
  const double scale = type == ptNone ? 1.0 : ParscaleStd[type][u];
  const double v = si / scale;
  std::string text = Printf("%.6g", v);
  for (int digits = 7; digits <= 17; ++digits) {
    bool apart = true;
    for (double limit : {d.lo, d.hi})
      if (std::isfinite(limit) && v != limit / scale &&
          Printf("%.*g", digits - 1, v) == Printf("%.*g", digits - 1, limit / scale))
        apart = false;
    if (apart) break;
    text = Printf("%.*g", digits, v);
  }
  return type == ptNone ? text : text + " " + std::string(ParUnitStr[type][u]);
}

}  // namespace

std::string Quantity(double si, TParType type, TUnitSystem u) {
  if (type == ptNone) return Number3(si);
  return Number3(si / ParscaleStd[type][u]) + " " + std::string(ParUnitStr[type][u]);
}

std::string Echoed(const std::string& text) { return text.size() <= 60 ? text : text.substr(0, 57) + "..."; }

Domain Domain::Pressure() { return Above(0.0, kPressureMax, "an ideal gas: real gases depart from it above"); }

Domain Domain::MassFlow() { return Above(0.0, kMassFlowMax, "ten times the flow of the largest engines"); }

bool Domain::Contains(double v) const {
  if (!std::isfinite(v)) return false;
  if (loOpen ? !(v > lo) : !(v >= lo)) return false;
  if (hiOpen ? !(v < hi) : !(v <= hi)) return false;
  return true;
}

std::string Domain::Text(TParType type, TUnitSystem u) const {
  const bool hasLo = std::isfinite(lo), hasHi = std::isfinite(hi);
  std::string s;
  if (hasLo && hasHi && !loOpen && !hiOpen)
    s = "must lie between " + Quantity(lo, type, u) + " and " + Quantity(hi, type, u);
  else if (hasLo && hasHi)
    s = "must be greater than " + Quantity(lo, type, u) + " and at most " + Quantity(hi, type, u);
  else if (hasLo)
    s = (loOpen ? "must be greater than " : "must be at least ") + Quantity(lo, type, u);
  else if (hasHi)
    s = (hiOpen ? "must be less than " : "must be at most ") + Quantity(hi, type, u);
  else
    s = "must be a finite number";
  if (!reason.empty()) s += " (" + reason + ")";
  return s;
}

double ReadValue(const std::string& text, TParType type, TUnitSystem u, const std::string& option) {
  double v = 0;
  std::string unit;
  const bool read = SplitNumber(text, v, unit);
  if (read || text.find(',') != std::string::npos) {
    // "1,5": a decimal comma
    const std::string rest = read ? unit : Trim(text);
    if (!rest.empty() && rest[0] == ',' && rest.size() > 1 && std::isdigit(static_cast<unsigned char>(rest[1])))
      throw BadArgument(option + ": \"" + Echoed(text) + "\" is not a number: the decimal separator is a point");
  }
  if (!read)
    throw BadArgument(option + ": \"" + Echoed(text) + "\" is not a number" +
                      (type == ptNone ? "" : " with an optional unit"));
  if (!std::isfinite(v)) throw BadArgument(option + ": \"" + Echoed(text) + "\" is not a finite number");
  if (unit.empty()) return type == ptNone ? v : v * ParscaleStd[type][u];
  if (type == ptNone) throw BadArgument(option + ": \"" + Echoed(text) + "\" is a plain number and takes no unit");
  for (const Unit& un : UnitsOf(type))
    if (un.text == unit) return v * un.size;
  throw BadArgument(option + ": the unit \"" + Echoed(unit) +
                    "\" does not fit this quantity (units: " + UnitList(type) + ")");
}

std::vector<double> ReadValues(const std::string& text, TParType type, TUnitSystem u, const std::string& option) {
  std::vector<std::string> parts;
  std::stringstream ss(text);
  for (std::string p; std::getline(ss, p, ':');) parts.push_back(p);
  if (!text.empty() && text.back() == ':') parts.push_back("");
  if (parts.size() == 1) return {ReadValue(parts[0], type, u, option)};
  if (parts.size() != 3) throw BadArgument(option + ": a range is start:stop:step, not \"" + Echoed(text) + "\"");
  // One unit given in the range ("0:35000:5000ft") holds for its parts without one.
  std::string shared;
  for (const std::string& p : parts) {
    double v;
    std::string unit;
    if (!SplitNumber(p, v, unit) || unit.empty()) continue;
    if (!shared.empty() && unit != shared) {
      shared.clear();
      break;
    }
    shared = unit;
  }
  for (std::string& p : parts) {
    double v;
    std::string unit;
    if (!shared.empty() && SplitNumber(p, v, unit) && unit.empty()) p = Trim(p) + shared;
  }
  const double a = ReadValue(parts[0], type, u, option), b = ReadValue(parts[1], type, u, option),
               step = ReadValue(parts[2], type, u, option);
  if (step == 0 || (b - a) / step < 0)
    throw BadArgument(option + ": the step of \"" + Echoed(text) + "\" does not lead from start to stop");
  const double n = std::floor((b - a) / step + 1e-9);
  if (n + 1 > double(kMaxRangeValues))
    throw BadArgument(option + ": the range \"" + Echoed(text) + "\" has more than " + std::to_string(kMaxRangeValues) +
                      " values");
  // Each value as if typed: start + i step in the decimals of start and step
  // and in their unit, so that 0:0.9:0.1 gives 0.3 and not 0.30000000000000004.
  double ta = 0, tb = 0, ts = 0;
  std::string ua, ub, us;
  const bool alike = SplitNumber(parts[0], ta, ua) && SplitNumber(parts[1], tb, ub) && SplitNumber(parts[2], ts, us) &&
                     ua == ub && ua == us;
  const int decimals = std::max(DecimalsOf(parts[0]), DecimalsOf(parts[2]));
  std::vector<double> v{a};
  for (int i = 1; i <= static_cast<int>(n); ++i) {
    char text[400];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, ta + i * ts, std::chars_format::fixed, decimals);
    v.push_back(alike && ec == std::errc() ? ReadValue(std::string(text, end) + ua, type, u, option) + 0.0
                                           : a + i * step);
  }
  return v;
}

void NotApplicable(const CLI::Option* option, bool applies, const std::string& because) {
  if (option && option->count() > 0 && !applies) throw BadArgument(option->get_name() + " does not apply " + because);
}

Number& Numbers::Add(CLI::App* cmd, const std::string& flags, const std::string& what, TParType type,
                     std::optional<double> fallback, Domain domain, bool range) {
  Number& n = numbers_.emplace_back();
  n.what = what;
  n.type = type;
  n.domain = std::move(domain);
  n.range = range;
  n.fallback = fallback;
  const std::string unit = type == ptNone ? "" : " [" + std::string(ParUnitStr[type][usSI]) + "]";
  std::string help = what + unit;
  if (!help.empty()) help[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(help[0])));
  if (range) help += ", or a range start:stop:step";
  n.option = cmd->add_option(flags, n.text, help)->type_name(range ? "VALUE|RANGE" : "VALUE");
  if (fallback) n.option->default_str(FloatToStr(*fallback));
  n.name = n.option->get_name();
  n.key = n.name.substr(n.name.find_first_not_of('-'));
  return n;
}

void Numbers::Read(TUnitSystem u) {
  for (Number& n : numbers_) {
    n.values.clear();
    if (!n.Given()) {
      if (n.fallback) n.values = {*n.fallback};
      continue;
    }
    n.values =
        n.range ? ReadValues(n.text, n.type, u, n.name) : std::vector<double>{ReadValue(n.text, n.type, u, n.name)};
    for (double v : n.values)
      if (!n.domain.Contains(v))
        throw BadArgument(n.name + " (" + n.what + ") = " + QuantityApart(v, n.type, u, n.domain) + ": " +
                          n.domain.Text(n.type, u));
  }
}

std::vector<Echo> Numbers::Echoes() const {
  std::vector<Echo> echoes;
  for (const Number& n : numbers_) {
    if (n.values.empty()) continue;
    Echo e;
    e.column.key = n.key;
    e.column.heading = n.what;
    e.column.type = n.type;
    for (double v : n.values) e.values.emplace_back(v);
    echoes.push_back(std::move(e));
  }
  return echoes;
}

std::size_t Numbers::Rows(const std::vector<const Number*>& ranged) const {
  double rows = 1;
  std::string product;
  for (const Number* n : ranged) {
    rows *= double(std::max<std::size_t>(n->values.size(), 1));
    product += (product.empty() ? "" : " x ") + std::to_string(n->values.size());
  }
  if (rows > double(kMaxRows))
    throw BadArgument("the ranges give " + product + " = " + Printf("%.0f", rows) + " rows, more than the " +
                      std::to_string(kMaxRows) + " that one run computes; use coarser steps");
  return static_cast<std::size_t>(rows);
}

}  // namespace vyr::cli
