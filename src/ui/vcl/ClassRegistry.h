// Registry of classes by name.
//
// A model file names the classes of its component icons and data forms
// ("FormClassName"). The host and the component libraries register every such
// class here when they are loaded, with a factory that creates an instance, and
// unregister it when they are unloaded; the model framework then creates forms
// and icons from the names it reads. Registering makes no widget, so it is safe
// before the host has created its QApplication.
//
// Names compare without regard to ASCII case, as class names in model files
// have always done. The registry belongs to the user-interface thread.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <QMetaObject>

#include "VyrUiExport.h"

class QObject;
class QWidget;

namespace vyr {

/// Creates an instance of a registered class, owned by parent (may be null).
using TClassFactory = std::function<QObject*(QWidget* parent)>;

/// One registered class.
struct TRegisteredClass {
  std::string ClassName;                ///< name as written in model files ("TVYRcompform")
  const QMetaObject* MetaObject = nullptr;  ///< run-time type of the instances the factory makes
  TClassFactory Create;
};

/// Registers a class under name. Registering the same class again under its name
/// does nothing and returns true; a name that another class holds already is
/// refused (false), so that a second library cannot replace a loaded class.
/// An empty name, a null meta-object or an empty factory is refused too.
VYR_UI_API bool RegisterClass(std::string_view name, const QMetaObject* meta, TClassFactory factory);

/// A check that a unit runs on the classes derived from one of its own when
/// they are registered (for instance a naming convention of their properties).
using TRegistrationCheck = void (*)(const QMetaObject& meta);

/// Runs check on every class registered from now on (newly, not again) whose
/// run-time type inherits base. Adding the same check again does nothing. False
/// when base or check is null or the room for checks (8) is full.
VYR_UI_API bool AddRegistrationCheck(const QMetaObject* base, TRegistrationCheck check);

/// Removes check; false when it was not added.
VYR_UI_API bool RemoveRegistrationCheck(TRegistrationCheck check);

/// The class registered under name, or null.
VYR_UI_API const TRegisteredClass* FindClass(std::string_view name);

/// Removes the class registered under name; false when there is none.
VYR_UI_API bool UnRegisterClass(std::string_view name);

/// Names of all registered classes, in the order of registration.
VYR_UI_API std::vector<std::string> RegisteredClassNames();

/// Creates an instance of the class registered under name, owned by parent.
/// Null when the name is unknown or the instance is not a T.
template <class T>
T* CreateRegisteredClass(std::string_view name, QWidget* parent = nullptr) {
  const TRegisteredClass* c = FindClass(name);
  if (c == nullptr || !c->MetaObject->inherits(&T::staticMetaObject)) return nullptr;
  return qobject_cast<T*>(c->Create(parent));
}

/// Registers T (a QObject with Q_OBJECT and a constructor T(QWidget* parent))
/// under name, by default its class name without namespace.
template <class T>
bool RegisterClass(std::string_view name = {}) {
  std::string n(name);
  if (n.empty()) {
    n = T::staticMetaObject.className();
    if (auto pos = n.rfind("::"); pos != std::string::npos) n.erase(0, pos + 2);
  }
  return RegisterClass(n, &T::staticMetaObject, [](QWidget* parent) -> QObject* { return new T(parent); });
}

}  // namespace vyr
