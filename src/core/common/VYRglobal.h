// The library's main public unit: the gas model (species, mixture
// properties, inverse iterations, processes, static states, transport
// properties), fuels and combustion, the standard atmosphere and flight
// conditions, the shared vocabulary of parameters, configurations and cases,
// string protection and statistics helpers, messages and number text.
#pragma once

#include "Atmosphere.h"
#include "Equilibrium.h"
#include "FlightConditions.h"
#include "Fuels.h"
#include "GasIterations.h"
#include "GasProperties.h"
#include "GasTypes.h"
#include "Messages.h"
#include "Processes.h"
#include "Products.h"
#include "StationEquilibrium.h"
#include "StringProtection.h"
#include "Statics.h"
#include "SysUtils.h"
#include "Transport.h"
#include "VYRtypes.h"
#include "VyrExport.h"

namespace vyr {

/// Start-up of this unit, in order: the clipboard list, the application
/// folders, the standard-air constants and StandardAir, the iteration memory
/// AFQmem. Called by the package start-up.
VYR_API void InitVYRglobal();
/// Shut-down of this unit: frees AFQmem and the clipboard list's items and clears the global strings.
VYR_API void DoneVYRglobal();

}  // namespace vyr
