// Start-up and shut-down of the library.
//
// When the shared library is loaded, PackageInitialize runs the start-up of
// every unit in dependency order; when it is unloaded, PackageFinalize runs
// their shut-down in reverse order. Both are idempotent and may also be called
// explicitly (for example to start again after a shut-down).
#pragma once

#include "VyrExport.h"

namespace vyr {

/// Runs the start-up of every unit once; further calls do nothing.
VYR_API void PackageInitialize();
/// Runs the shut-down of every unit in reverse order; does nothing when not started.
VYR_API void PackageFinalize();
/// True between PackageInitialize and PackageFinalize.
VYR_API bool PackageInitialized();

}  // namespace vyr
