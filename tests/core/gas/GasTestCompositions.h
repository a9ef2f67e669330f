// Compositions shared by the gas and combustion tests.
#pragma once

#include "GasTypes.h"

namespace vyr::test {

// Kerosene combustion products near 2000 K with traces of dissociation (mass fractions).
inline TGasComposition KeroseneProducts() {
  TGasComposition y{};
  y[gtCO2] = 0.0942;
  y[gtH2Og] = 0.0386;
  y[gtO2] = 0.1230;
  y[gtAr] = 0.0125;
  y[gtCO] = 0.0004;
  y[gtNO] = 0.0030;
  y[gtOH] = 0.0008;
  y[gtO] = 0.0001;
  y[gtH] = 0.00001;
  double sum = 0;
  for (double v : y) sum += v;
  y[gtN2] = 1.0 - sum;
  return y;
}

// Moist air carrying liquid water droplets.
inline TGasComposition WetAir() {
  TGasComposition y = Air;
  for (double& v : y) v *= 0.95;
  y[gtH2Og] = 0.02;
  y[gtH2Ol] = 0.03;
  return y;
}

}  // namespace vyr::test
