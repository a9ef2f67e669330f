// The fuel temperatures that each fuel type's property model holds for.
#pragma once

#include <string_view>

#include "Fuels.h"
#include "VyrExport.h"

namespace vyr {

/// Fuel temperatures [K] at which a fuel type's sensible enthalpy may be
/// evaluated, and what bounds them.
struct TFuelTemperatureRange {
  double Tmin;
  double Tmax;
  std::string_view basis;  ///< the property model and the state it describes
};

/// The range for a fuel type: liquid fuels as liquids under supply pressure
/// (their specific-heat fit is one of liquid jet fuel), gaseous fuels as
/// gases below where they crack, a user fuel near the reference temperature
/// of its constant specific heat.
VYR_API TFuelTemperatureRange FuelTemperatureRange(TFuelType type);

}  // namespace vyr
