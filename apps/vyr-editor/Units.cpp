#include "Units.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace vyr::editor {

namespace {

bool Known(TParType type) { return type < ParTypeCount; }

// Text of a value that is no number.
std::string NotANumberText(double v) { return std::isnan(v) ? "nan" : v > 0 ? "inf" : "-inf"; }

// "-0", "-0.00" and the like lose their sign: a value that rounds to zero has none.
std::string WithoutNegativeZero(std::string text) {
  if (text.empty() || text[0] != '-') return text;
  for (char c : text.substr(1))
    if (c >= '1' && c <= '9') return text;
  return text.substr(1);
}

}  // namespace

vyr::TUnitSystem LibraryUnits(TUnitSystem units) { return units == TUnitSystem::Imperial ? usImperial : usSI; }

double FromSI(TParType type, TUnitSystem units, double si) {
  return Known(type) ? si / ParscaleStd[type][LibraryUnits(units)] : si;
}

double ToSI(TParType type, TUnitSystem units, double shown) {
  return Known(type) ? shown * ParscaleStd[type][LibraryUnits(units)] : shown;
}

std::string UnitName(TParType type, TUnitSystem units) {
  return Known(type) ? std::string(ParUnitStr[type][LibraryUnits(units)]) : std::string();
}

int DefaultDecimals(TParType type, TUnitSystem units) {
  return Known(type) ? ParDecimalsStd[type][LibraryUnits(units)] : 4;
}

std::string FixedText(double value, int decimals) {
  if (!std::isfinite(value)) return NotANumberText(value);
  if (decimals < 0) decimals = 0;
  if (decimals > 17) decimals = 17;
  char buf[400];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
  if (r.ec != std::errc()) return SignificantText(value, 6);
  return WithoutNegativeZero(std::string(buf, r.ptr));
}

std::string SignificantText(double value, int digits) {
  if (!std::isfinite(value)) return NotANumberText(value);
  if (digits < 1) digits = 1;
  if (digits > 17) digits = 17;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
  if (r.ec != std::errc()) return "?";
  return WithoutNegativeZero(std::string(buf, r.ptr));
}

std::string NumberText(double value, int decimals) {
  if (!std::isfinite(value)) return NotANumberText(value);
  if (decimals < 0) {
    // Four significant digits: decimals from the value's magnitude.
    const int magnitude = value == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::fabs(value))));
    decimals = magnitude >= 3 ? 0 : 3 - magnitude;
    if (decimals > 12) return SignificantText(value, 4);
  }
  std::string text = FixedText(value, decimals);
  double back = 0;
  if (value != 0 && (!ParseNumber(text, back) || std::fabs(back - value) > 1e-3 * std::fabs(value)))
    text = SignificantText(value, 4);
  return text;
}

std::string ValueText(TParType type, TUnitSystem units, double si, int decimals) {
  return NumberText(FromSI(type, units, si), decimals >= 0 ? decimals : DefaultDecimals(type, units));
}

std::string ValueWithUnit(TParType type, TUnitSystem units, double si, int decimals) {
  const std::string unit = UnitName(type, units);
  const std::string number = ValueText(type, units, si, decimals);
  return unit.empty() ? number : number + " " + unit;
}

bool ParseNumber(const std::string& text, double& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  if (first == last) return false;
  double v = 0;
  const auto r = std::from_chars(first, last, v);
  if (r.ec != std::errc() || r.ptr != last) return false;
  value = v;
  return true;
}

}  // namespace vyr::editor
