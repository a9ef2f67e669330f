#include "ClassRegistry.h"

#include <algorithm>
#include <memory>
#include <new>

#include "SysUtils.h"

namespace vyr {

namespace {

// Few classes, looked up when a form or icon is created: a list in
// registration order is enough. Entries are held by pointer so that a
// TRegisteredClass handed out stays valid while others come and go.
using TRegistryList = std::vector<std::unique_ptr<TRegisteredClass>>;

// The list is never destroyed: libraries unregister their classes from their
// unload hooks, which may run after the static destructors at process exit.
// Its storage is given back when the last class leaves.
TRegistryList& Registry() {
  alignas(TRegistryList) static unsigned char storage[sizeof(TRegistryList)];
  static TRegistryList* registry = new (storage) TRegistryList();
  return *registry;
}

// Checks of newly registered classes: plain data, so that they stay usable
// from unload hooks that run after the static destructors.
struct TCheckEntry {
  const QMetaObject* Base;
  TRegistrationCheck Check;
};
constexpr int kMaxChecks = 8;
TCheckEntry gChecks[kMaxChecks] = {};

auto FindEntry(std::string_view name) {
  auto& r = Registry();
  return std::find_if(r.begin(), r.end(), [&](const auto& c) { return SameAsciiText(c->ClassName, name); });
}

}  // namespace

bool RegisterClass(std::string_view name, const QMetaObject* meta, TClassFactory factory) {
  if (name.empty() || meta == nullptr || !factory) return false;
  if (auto it = FindEntry(name); it != Registry().end()) return (*it)->MetaObject == meta;
  Registry().push_back(std::make_unique<TRegisteredClass>(TRegisteredClass{std::string(name), meta, std::move(factory)}));
  for (const TCheckEntry& e : gChecks)
    if (e.Check != nullptr && meta->inherits(e.Base)) e.Check(*meta);
  return true;
}

bool AddRegistrationCheck(const QMetaObject* base, TRegistrationCheck check) {
  if (base == nullptr || check == nullptr) return false;
  TCheckEntry* free = nullptr;
  for (TCheckEntry& e : gChecks) {
    if (e.Check == check) return true;
    if (e.Check == nullptr && free == nullptr) free = &e;
  }
  if (free == nullptr) return false;
  *free = {base, check};
  return true;
}

bool RemoveRegistrationCheck(TRegistrationCheck check) {
  for (TCheckEntry& e : gChecks)
    if (check != nullptr && e.Check == check) {
      e = {};
      return true;
    }
  return false;
}

const TRegisteredClass* FindClass(std::string_view name) {
  auto it = FindEntry(name);
  return it == Registry().end() ? nullptr : it->get();
}

bool UnRegisterClass(std::string_view name) {
  auto it = FindEntry(name);
  if (it == Registry().end()) return false;
  Registry().erase(it);
  if (Registry().empty()) TRegistryList().swap(Registry());
  return true;
}

std::vector<std::string> RegisteredClassNames() {
  std::vector<std::string> names;
  for (const auto& c : Registry()) names.push_back(c->ClassName);
  return names;
}

}  // namespace vyr
