#include "UiPackage.h"

#include <iterator>

#include "Package.h"
#include "vyrcompf.h"
#include "vyrcompl.h"
#include "complibfrm.h"

namespace vyr {

namespace {

bool gUiInitialized = false;

// The UI units that do work at start-up, in dependency order (forms before
// icons, which create forms; the component library window last). Shut-down
// walks the list backwards.
struct UiUnitEntry {
  void (*init)();
  void (*done)();
};
constexpr UiUnitEntry kUiUnits[] = {
    {&InitVyrcompf, &DoneVyrcompf},      // vyrcompf: TVYRcompform
    {&InitVyrcompl, &DoneVyrcompl},      // vyrcompl: TVYRcomp, TVYRLink
    {&InitComplibfrm, &DoneComplibfrm},
};

}  // namespace

void UiPackageInitialize() {
  if (gUiInitialized) return;
  PackageInitialize();
  for (const UiUnitEntry& u : kUiUnits)
    u.init();
  gUiInitialized = true;
}

void UiPackageFinalize() {
  if (!gUiInitialized) return;
  for (auto it = std::rbegin(kUiUnits); it != std::rend(kUiUnits); ++it)
    it->done();
  gUiInitialized = false;
}

bool UiPackageInitialized() { return gUiInitialized; }

namespace {

// Load and unload hooks of libvyrcompui. The dynamic loader runs the core's
// constructor first, since this library depends on it.
__attribute__((constructor)) void OnUiLibraryLoad() { UiPackageInitialize(); }
__attribute__((destructor)) void OnUiLibraryUnload() { UiPackageFinalize(); }

}  // namespace

}  // namespace vyr
