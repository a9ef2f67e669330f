// Products of complete combustion of two reactant streams by atom balance,
// without dissociation.
#pragma once

#include "GasTypes.h"
#include "VyrExport.h"

namespace vyr {

/// Product mass fractions xp of burning stream 1 (flow W1, may hold the
/// variable fuel species with atom ratios y = H/C and z = O/C) with stream 2
/// (flow W2). Lean: CO2, H2O and the excess O2; rich: CO, H2 and, without
/// oxygen even for CO, CH4. Ar and N2 pass; NO and N2O return as N2.
/// Returns the verdict of CheckComposition on xp.
VYR_API bool ProdfromReact(double W1, double W2, double y, double z, const TGasComposition& x1,
                           const TGasComposition& x2, TGasComposition& xp);

}  // namespace vyr
