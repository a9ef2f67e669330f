#include "FuelTemperature.h"

namespace vyr {

TFuelTemperatureRange FuelTemperatureRange(TFuelType type) {
  if (LiquidFuelTypes.contains(type))
    // Below about 220 K jet fuels freeze; above 450 K the liquid coking limit
    // is passed and the liquid fit of the specific heat leaves its data.
    return {220.0, 450.0, "the liquid fuel's specific-heat fit, for a liquid under supply pressure"};
  switch (type) {
    case ftNatGas:
    case ftHydrogen:
      // The gas tables start at 200 K; above 1000 K the fuel cracks before it burns.
      return {200.0, 1000.0, "the gas property tables, for a gas below where it cracks"};
    case ftAmmonia:
      // Ammonia boils at 240 K at atmospheric pressure; its record is the gas's.
      return {240.0, 1000.0, "the gas property tables, for ammonia gas below where it cracks"};
    default:
      // A constant specific heat holds near the reference temperature 298.15 K only.
      return {200.0, 600.0, "a constant specific heat, near the reference temperature 298.15 K"};
  }
}

}  // namespace vyr
