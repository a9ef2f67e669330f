// Transport properties: species and mixture viscosity (Wilke's mixing rule)
// and the Reynolds number index used to correct component maps.
#pragma once

#include "GasTypes.h"
#include "VyrExport.h"

namespace vyr {

/// Viscosity of one species from one interval's fit [micropoise]; a zero row gives 1.
VYR_API double ViscosityPerSpecie(double T, const TVisCoefArray& c);
/// Wilke's interaction factor phi_ij from molar masses [kg/kmol] and viscosities (any one unit).
VYR_API double PhiIJ(double Mi, double Mj, double MuI, double MuJ);
/// Dynamic viscosity of a mixture [Pa s]; 0 for (almost) all liquid water.
VYR_API double DynViscosity_Mu(double T, const TGasComposition& y);
/// Reynolds number index at P [Pa] and T [K]: 1 for sea-level standard air; 0 without viscosity.
VYR_API double ReynoldsNumberIndex(double P, double T, const TGasComposition& y);

}  // namespace vyr
