#include "Package.h"

#include <iterator>

#include "VYRglobal.h"

namespace vyr {

namespace {

bool gInitialized = false;

// The units that do work at start-up, in dependency order. Shut-down walks
// the list backwards.
struct UnitEntry {
  void (*init)();
  void (*done)();
};
constexpr UnitEntry kUnits[] = {
    {&InitVYRglobal, &DoneVYRglobal},
};

}  // namespace

void PackageInitialize() {
  if (gInitialized) return;
  for (const UnitEntry& u : kUnits) u.init();
  gInitialized = true;
}

void PackageFinalize() {
  if (!gInitialized) return;
  for (auto it = std::rbegin(kUnits); it != std::rend(kUnits); ++it) it->done();
  gInitialized = false;
}

bool PackageInitialized() { return gInitialized; }

namespace {

// Load and unload hooks of the shared library: the one place from which the
// units start, never the unordered static initialisers of separate files.
__attribute__((constructor)) void OnLibraryLoad() { PackageInitialize(); }
__attribute__((destructor)) void OnLibraryUnload() { PackageFinalize(); }

}  // namespace

}  // namespace vyr
