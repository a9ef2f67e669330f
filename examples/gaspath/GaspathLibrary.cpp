// Load and unload of the component library: its icon and form classes are
// registered by name while it is loaded, so that model files naming them
// create them, and are gone once it is unloaded.
#include <string>
#include <vector>

#include "ClassRegistry.h"
#include "GaspathForms.h"
#include "GaspathIcons.h"

namespace vyr::gaspath {

namespace {

// Class name without its namespace, as written in model files.
template <class T>
std::string ShortName() {
  std::string n = T::staticMetaObject.className();
  if (auto pos = n.rfind("::"); pos != std::string::npos) n.erase(0, pos + 2);
  return n;
}

// Names this library registered (a name another library holds stays theirs).
std::vector<std::string>* gRegistered = nullptr;

template <class Icon, class Form>
void RegisterPair() {
  if (RegisterClass<Icon>()) gRegistered->push_back(ShortName<Icon>());
  if (RegisterCompformClass<Form>()) gRegistered->push_back(ShortName<Form>());
}

void RegisterLibrary() {
  gRegistered = new std::vector<std::string>();
  RegisterPair<TAmbientComp, TAmbientForm>();
  RegisterPair<TInletComp, TInletForm>();
  RegisterPair<TDuctComp, TDuctForm>();
  RegisterPair<TCompressorComp, TCompressorForm>();
  RegisterPair<TSplitterComp, TSplitterForm>();
  RegisterPair<TBurnerComp, TBurnerForm>();
  RegisterPair<TTurbineComp, TTurbineForm>();
  RegisterPair<TNozzleComp, TNozzleForm>();
  RegisterPair<TShaftComp, TShaftForm>();
}

void UnregisterLibrary() {
  if (gRegistered == nullptr) return;
  for (auto it = gRegistered->rbegin(); it != gRegistered->rend(); ++it) UnRegisterClass(*it);
  delete gRegistered;
  gRegistered = nullptr;
}

// The registry outlives static destructors, so unregistering at unload is
// safe at process exit too.
struct TLibraryRegistration {
  TLibraryRegistration() { RegisterLibrary(); }
  ~TLibraryRegistration() { UnregisterLibrary(); }
  TLibraryRegistration(const TLibraryRegistration&) = delete;
  TLibraryRegistration& operator=(const TLibraryRegistration&) = delete;
};

const TLibraryRegistration gRegistration;

}  // namespace

}  // namespace vyr::gaspath

