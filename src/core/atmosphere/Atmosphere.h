// Standard atmosphere from 5 km below sea level to 80 km, and the day types.
//
// Altitudes are pressure altitudes in m (geopotential, as in the standard
// atmosphere tables), temperatures in K, pressures in Pa. The standard
// atmosphere is a stack of layers with a constant temperature gradient each;
// the pressure follows from the hydrostatic equation in each layer.
//
// A day type only sets the altitude range in which the standard-atmosphere
// functions accept a request; its temperature profile is data for the host's
// ambient-conditions input. A request outside the range shows a plain message
// box and returns false.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "VyrExport.h"

namespace vyr {

/// Day type: the standard day, non-standard design days and recorded extremes.
enum TDayType : std::uint8_t {
  dtMinRec, dtCold1Pct, dtCold5Pct, dtCold10Pct, dtCold20Pct, dtCold, dtPolar, dtStd, dtTrop, dtHot, dtHot20Pct,
  dtHot10Pct, dtHot5Pct, dtHot1Pct, dtMaxRec, dtCustom
};

/// Number of TDayType members.
inline constexpr int DayTypeCount = 16;

/// Number of points of a day-type profile.
inline constexpr int DayTypeDataCount = 25;

/// One profile of a day type; entries after the last point are 0.
using TDayTypeDataArray = std::array<double, DayTypeDataCount>;

/// Description and temperature profile of one day type.
struct TDayProperties {
  std::string_view DayTypeName;               ///< display name
  std::string_view DayTypeOption;             ///< identifier ("HOT")
  int DayTypeOptionValue;                     ///< number of the day type (0 standard, negative cold) [-]
  TDayTypeDataArray DayTypePressureAltitude;  ///< profile pressure altitudes, ascending [m]
  TDayTypeDataArray DayTypeTemperature;       ///< static temperature at those altitudes [K]
};

/// Texts indexed by TDayType.
using TDayTypeNamesArray = std::array<std::string_view, DayTypeCount>;

/// Day-type records indexed by TDayType.
using TDayTypePropertiesArray = std::array<TDayProperties, DayTypeCount>;

/// Display names of the day types ("Hot Day").
extern VYR_API const TDayTypeNamesArray DayTypeNamesArray;
/// Identifiers of the day types ("HOT").
extern VYR_API const TDayTypeNamesArray DayTypeOptionsArray;
/// Names, identifiers, numbers and temperature profiles of the day types.
extern VYR_API const TDayTypePropertiesArray DayTypeDataArray;

/// Lowest pressure altitude accepted for the day type [m]: -5000 for the
/// standard day, else the first profile altitude (0 without a profile).
VYR_API double getMinAltitude(TDayType DayType);
/// Highest pressure altitude accepted for the day type [m]: 80000 for the
/// standard day, else the largest profile altitude (0 without a profile).
VYR_API double getMaxAltitude(TDayType DayType);

/// Standard static temperature Ts [K] at pressure altitude Zp [m]. Outside the
/// day type's range: message box, false, Ts unchanged. A Zp that fits no layer
/// (NaN) gives Ts = -1 and false without a message.
VYR_API bool GetSTDTsAmbFromPressureAltitude(double Zp, TDayType DayType, double& Ts);
/// Standard static pressure Ps [Pa] at pressure altitude Zp [m]. Outside the
/// day type's range: message box, false, Ps unchanged. A Zp that fits no layer
/// (NaN) gives Ps = -1 and false without a message.
VYR_API bool GetSTDPsAmbFromPressureAltitude(double Zp, TDayType DayType, double& Ps);

/// Name of an atmosphere model number: 0 "ISA", 1 "ISA+C", 2 "Custom", else "unknown".
VYR_API std::string AtmosModelTypeName(int Model);

}  // namespace vyr
