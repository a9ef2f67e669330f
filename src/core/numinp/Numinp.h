// Physical quantities, unit systems and the text of a value in a unit.
//
// Values are stored in SI units (Pa, K, kg/s, J/kg, J/(kg K), W, N, m, m/s,
// kg/m3, kg/(N s)); rotor speed and angles keep their customary units (rpm,
// degrees) in both systems. Every conversion is a pure scale: the imperial
// temperature unit is the Rankine, so no offset is ever applied.
//
//   shown value = stored value / ParscaleStd[type][system]
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "SysUtils.h"
#include "VyrExport.h"

namespace vyr {

/// Physical quantity of a parameter; selects its unit and scale.
enum TParType : std::uint8_t {
  ptNone,          ///< dimensionless number or ratio [-]
  ptPressure,      ///< pressure [Pa]
  ptTemperature,   ///< absolute temperature [K]
  ptTempDiff,      ///< temperature difference [K]
  ptMassFlow,      ///< mass flow [kg/s]
  ptCorrFlow,      ///< corrected mass flow [kg/s]
  ptFuelFlow,      ///< fuel mass flow [kg/s]
  ptSpecEnthalpy,  ///< specific enthalpy, heating value [J/kg]
  ptSpecEntropy,   ///< specific entropy [J/(kg K)]
  ptSpecHeat,      ///< specific heat, gas constant [J/(kg K)]
  ptPower,         ///< power [W]
  ptForce,         ///< force, thrust [N]
  ptSpecThrust,    ///< thrust per unit air flow [N/(kg/s)]
  ptSFC,           ///< thrust-specific fuel consumption [kg/(N s)]
  ptPSFC,          ///< power-specific fuel consumption [kg/J]
  ptSpeed,         ///< velocity [m/s]
  ptRotSpeed,      ///< rotational speed [rpm]
  ptLength,        ///< length [m]
  ptAltitude,      ///< altitude [m]
  ptArea,          ///< area [m2]
  ptDensity,       ///< density [kg/m3]
  ptMass,          ///< mass [kg]
  ptTime,          ///< time [s]
  ptEnergy,        ///< energy [J]
  ptTorque,        ///< torque [N m]
  ptAngle          ///< angle [deg]
};

/// Number of TParType members.
inline constexpr int ParTypeCount = 26;

/// Unit system in which a value is shown.
enum TUnitSystem : std::uint8_t {
  usSI,       ///< SI units
  usImperial  ///< British and US customary units (psia, R, lbm/s, ft, ...)
};

/// Number of TUnitSystem members.
inline constexpr int UnitSystemCount = 2;

/// A table with one entry per unit system, indexed by TUnitSystem.
template <typename T>
using TUnitSystemArray = std::array<T, UnitSystemCount>;

/// A table indexed by [TParType][TUnitSystem].
template <typename T>
using TParTable = std::array<TUnitSystemArray<T>, ParTypeCount>;

/// Size of each display unit in stored units, e.g. [ptLength][usImperial] = 0.3048 (m per ft).
extern VYR_API const TParTable<double> ParscaleStd;

/// Unit text of each display unit ("Pa", "psia", "K", "R", "kg/s", "lbm/s", ...).
extern VYR_API const TParTable<std::string_view> ParUnitStr;

/// Decimals that ParToStr uses when no format is given [-].
extern VYR_API const TParTable<int> ParDecimalsStd;

/// The value as text in the unit of (type, system). With convert false the value
/// is taken as already in that unit. An empty format gives fixed notation with
/// ParDecimalsStd decimals (half away from zero); otherwise format is a Format
/// text with one number argument, and a format that Format rejects falls back
/// to the default. NaN and infinities print as FloatToStr; a type or system out
/// of range prints the value unscaled with FloatToStr.
VYR_API std::string ParToStr(TParType type, TUnitSystem system, std::string_view format, bool convert,
                             double value);

/// As above, with the number's decimal separator taken from fmt (a German
/// setting shows "1,5"). Only the number changes: text of the format around it
/// ("%.1f ft.") is kept as written. The five-argument form uses USFormatSettings.
VYR_API std::string ParToStr(TParType type, TUnitSystem system, std::string_view format, bool convert, double value,
                             const TFormatSettings& fmt);

/// Member name of a TParType as spelled in the code ("ptPressure"); "" when out of range.
VYR_API std::string_view ParTypeName(TParType type);

/// Member name of a TUnitSystem as spelled in the code ("usImperial"); "" when out of range.
VYR_API std::string_view UnitSystemName(TUnitSystem system);

}  // namespace vyr
