#include "Numinp.h"

#include <cmath>
#include <stdexcept>

#include "SysUtils.h"

namespace vyr {

namespace {

// Unit sizes in SI, exact by definition.
constexpr double kFoot = 0.3048;                   // [m]
constexpr double kInch = 0.0254;                   // [m]
constexpr double kPound = 0.45359237;              // lbm [kg]
constexpr double kPoundForce = 4.4482216152605;    // lbf = lbm * 9.80665 m/s2 [N]
constexpr double kPsi = 6894.757293168361;         // lbf/in2 [Pa]
constexpr double kRankine = 5.0 / 9.0;             // [K]
constexpr double kHorsepower = 745.69987158227022; // 550 ft lbf/s [W]
constexpr double kBtu = 1055.05585262;             // international-table Btu [J]
constexpr double kBtuPerPound = 2326.0;            // Btu/lbm [J/kg]
constexpr double kBtuPerPoundRankine = 4186.8;     // Btu/(lbm R) [J/(kg K)]
constexpr double kHour = 3600.0;                   // [s]

// One quantity: its member name, and per unit system the unit text, the unit
// size in stored units and the default number of decimals. The decimals are
// chosen so that typical engine values show about five significant digits
// (101325 Pa -> "101325", 14.696 psia; 288.15 K, 518.67 R).
struct TParRow {
  TParType type;
  std::string_view name;
  TUnitSystemArray<std::string_view> unit;
  TUnitSystemArray<double> scale;
  TUnitSystemArray<int> decimals;
};

constexpr TParRow kRows[ParTypeCount] = {
    {ptNone, "ptNone", {"", ""}, {1.0, 1.0}, {4, 4}},
    {ptPressure, "ptPressure", {"Pa", "psia"}, {1.0, kPsi}, {0, 3}},
    {ptTemperature, "ptTemperature", {"K", "R"}, {1.0, kRankine}, {2, 2}},
    {ptTempDiff, "ptTempDiff", {"K", "R"}, {1.0, kRankine}, {2, 2}},
    {ptMassFlow, "ptMassFlow", {"kg/s", "lbm/s"}, {1.0, kPound}, {3, 3}},
    {ptCorrFlow, "ptCorrFlow", {"kg/s", "lbm/s"}, {1.0, kPound}, {3, 3}},
    {ptFuelFlow, "ptFuelFlow", {"kg/s", "lbm/h"}, {1.0, kPound / kHour}, {4, 1}},
    {ptSpecEnthalpy, "ptSpecEnthalpy", {"J/kg", "Btu/lbm"}, {1.0, kBtuPerPound}, {0, 2}},
    {ptSpecEntropy, "ptSpecEntropy", {"J/(kg K)", "Btu/(lbm R)"}, {1.0, kBtuPerPoundRankine}, {2, 5}},
    {ptSpecHeat, "ptSpecHeat", {"J/(kg K)", "Btu/(lbm R)"}, {1.0, kBtuPerPoundRankine}, {2, 5}},
    {ptPower, "ptPower", {"W", "hp"}, {1.0, kHorsepower}, {0, 1}},
    {ptForce, "ptForce", {"N", "lbf"}, {1.0, kPoundForce}, {1, 1}},
    {ptSpecThrust, "ptSpecThrust", {"N s/kg", "lbf s/lbm"}, {1.0, kPoundForce / kPound}, {2, 3}},
    // Thrust-specific fuel consumption shows in g/(kN s), a turbofan's is about 17.
    {ptSFC, "ptSFC", {"g/(kN s)", "lbm/(lbf h)"}, {1e-6, kPound / (kPoundForce * kHour)}, {3, 4}},
    {ptPSFC, "ptPSFC", {"kg/(kW h)", "lbm/(hp h)"}, {1.0 / (1000.0 * kHour), kPound / (kHorsepower * kHour)}, {4, 4}},
    {ptSpeed, "ptSpeed", {"m/s", "ft/s"}, {1.0, kFoot}, {2, 2}},
    {ptRotSpeed, "ptRotSpeed", {"rpm", "rpm"}, {1.0, 1.0}, {1, 1}},
    {ptLength, "ptLength", {"m", "ft"}, {1.0, kFoot}, {4, 3}},
    {ptAltitude, "ptAltitude", {"m", "ft"}, {1.0, kFoot}, {1, 0}},
    {ptArea, "ptArea", {"m2", "in2"}, {1.0, kInch * kInch}, {5, 3}},
    {ptDensity, "ptDensity", {"kg/m3", "lbm/ft3"}, {1.0, kPound / (kFoot * kFoot * kFoot)}, {4, 5}},
    {ptMass, "ptMass", {"kg", "lbm"}, {1.0, kPound}, {2, 2}},
    {ptTime, "ptTime", {"s", "s"}, {1.0, 1.0}, {3, 3}},
    {ptEnergy, "ptEnergy", {"J", "Btu"}, {1.0, kBtu}, {0, 2}},
    {ptTorque, "ptTorque", {"N m", "lbf ft"}, {1.0, kPoundForce * kFoot}, {1, 1}},
    {ptAngle, "ptAngle", {"deg", "deg"}, {1.0, 1.0}, {2, 2}},
};

constexpr bool RowsInOrder() {
  for (int i = 0; i < ParTypeCount; ++i) {
    if (kRows[i].type != i) return false;
  }
  return true;
}
static_assert(RowsInOrder(), "the rows must follow the order of TParType");
static_assert(kRows[ParTypeCount - 1].type == ptAngle, "ParTypeCount must match TParType");

template <typename T, typename Field>
constexpr TParTable<T> Column(Field field) {
  TParTable<T> table{};
  for (int i = 0; i < ParTypeCount; ++i) table[i] = kRows[i].*field;
  return table;
}

constexpr std::string_view kUnitSystemNames[UnitSystemCount] = {"usSI", "usImperial"};

bool InRange(TParType type, TUnitSystem system) { return type < ParTypeCount && system < UnitSystemCount; }

std::string DefaultText(TParType type, TUnitSystem system, double value) {
  return Format("%." + IntToStr(ParDecimalsStd[type][system]) + "f", {value});
}

std::string WithSeparator(std::string number, const TFormatSettings& fmt) {
  for (char& c : number)
    if (c == '.') c = fmt.DecimalSeparator;
  return number;
}

// A format text cut around its one number specifier: "x = %.2f ft." gives
// "x = ", "%.2f" and " ft.". Text without a specifier is all "before" (Format
// then refuses the missing specifier, as it does for the whole text).
struct FormatParts {
  std::string_view before, spec, after;
};

FormatParts SplitFormat(std::string_view format) {
  std::size_t i = 0;
  while (i < format.size()) {
    if (format[i] != '%') {
      ++i;
    } else if (i + 1 < format.size() && format[i + 1] == '%') {
      i += 2;
    } else {
      break;
    }
  }
  if (i >= format.size()) return {format, "", ""};
  std::size_t end = i + 1;
  while (end < format.size() && std::string_view("-+ #0123456789.*").find(format[end]) != std::string_view::npos)
    ++end;
  if (end < format.size()) ++end;  // the conversion letter
  return {format.substr(0, i), format.substr(i, end - i), format.substr(end)};
}

}  // namespace

constexpr TParTable<double> ParscaleStd = Column<double>(&TParRow::scale);
constexpr TParTable<std::string_view> ParUnitStr = Column<std::string_view>(&TParRow::unit);
constexpr TParTable<int> ParDecimalsStd = Column<int>(&TParRow::decimals);

std::string ParToStr(TParType type, TUnitSystem system, std::string_view format, bool convert, double value) {
  return ParToStr(type, system, format, convert, value, USFormatSettings);
}

std::string ParToStr(TParType type, TUnitSystem system, std::string_view format, bool convert, double value,
                     const TFormatSettings& fmt) {
  if (!InRange(type, system)) return WithSeparator(FloatToStr(value), fmt);
  const double shown = convert ? value / ParscaleStd[type][system] : value;
  if (!std::isfinite(shown)) return FloatToStr(shown);
  if (!format.empty()) {
    try {
      // The number alone gets the separator; the format's own text stays.
      const FormatParts parts = SplitFormat(format);
      return Format(parts.before, {}) + WithSeparator(Format(parts.spec, {shown}), fmt) + Format(parts.after, {});
    } catch (const std::invalid_argument&) {
      // A format the formatter cannot apply to one number: show the default.
    }
  }
  return WithSeparator(DefaultText(type, system, shown), fmt);
}

std::string_view ParTypeName(TParType type) { return type < ParTypeCount ? kRows[type].name : std::string_view(); }

std::string_view UnitSystemName(TUnitSystem system) {
  return system < UnitSystemCount ? kUnitSystemNames[system] : std::string_view();
}

}  // namespace vyr
