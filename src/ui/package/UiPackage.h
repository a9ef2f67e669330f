// Start-up and shut-down of the UI library.
//
// When libvyrcompui is loaded, after the core library has started, its units
// run their start-up in dependency order; at unload their shut-down runs in
// reverse. The units only register their classes with the class registry:
// no widget is created, since a host may load the library before it creates
// its QApplication.
#pragma once

#include "VyrUiExport.h"

namespace vyr {

/// Runs the start-up of every UI unit once (the core's first); further calls do nothing.
VYR_UI_API void UiPackageInitialize();
/// Runs the shut-down of every UI unit in reverse order; does nothing when not started.
VYR_UI_API void UiPackageFinalize();
/// True between UiPackageInitialize and UiPackageFinalize.
VYR_UI_API bool UiPackageInitialized();

}  // namespace vyr
