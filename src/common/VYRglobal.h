// The library's main public unit: the gas model, fuels and combustion,
// messages and number text. Later units (atmosphere, flight conditions,
// parameters and enumerations) are gathered here as they arrive.
#pragma once

#include "Fuels.h"
#include "GasIterations.h"
#include "GasProperties.h"
#include "GasTypes.h"
#include "Messages.h"
#include "SysUtils.h"
#include "VyrExport.h"

namespace vyr {

/// Start-up of this unit: standard-air constants and StandardAir. Called by the package start-up.
VYR_API void InitVYRglobal();
/// Shut-down of this unit, the reverse of InitVYRglobal.
VYR_API void DoneVYRglobal();

}  // namespace vyr
