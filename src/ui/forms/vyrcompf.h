// Component data form: the base of the data form of every component type.
//
// Every component of a model has a data form, created by its icon by class
// name (TVYRcomp::CompformCreate) and owned by it. Component libraries derive
// their forms from TVYRcompform and register each class by name with the class
// registry (vyr::RegisterClass<T>()), so that a model file's "FormClassName"
// creates the right form.
//
// This base supplies the identification of the component: its name
// (CompName), its ID string (ID) and its calculation number (Nr), from which
// messages everywhere identify the component (IDstr).
#pragma once

#include <string>

#include "Fldform.h"
#include "VyrUiExport.h"

class QLabel;

namespace vyr {

class TVYRcomp;

/// Base of the component data forms.
class VYR_UI_API TVYRcompform : public TFieldForm {
  Q_OBJECT

 public:
  /// The form with its identification controls; owner is the component's icon.
  Q_INVOKABLE explicit TVYRcompform(QWidget* owner = nullptr);
  ~TVYRcompform() override;

  /// "Nr. " + calculation number (rounded) + " Component: " + component name.
  std::string IDstr() const override;
  /// The icon's ShortIDstr (the component name); the component name without an icon.
  std::string ShortIDstr() const;
  /// The owning icon, or null.
  TVYRcomp* Icon() const;

  /// Calculation number (the value of Nr, rounded).
  int CalcNumber() const;
  /// Sets the calculation number shown in Nr.
  void SetCalcNumber(int nr);
  /// Text of CompName.
  std::string ComponentName() const;
  /// Sets the text of CompName.
  void SetComponentName(const std::string& name);

  QWidget* Panel3 = nullptr;   ///< top panel with the identification fields
  TStringFld* CompName = nullptr;  ///< component name ("Name" in the model file)
  QLabel* IDlabel = nullptr;   ///< caption of ID
  TStringFld* ID = nullptr;    ///< ID string for output parameters
  TNumFld* Nr = nullptr;       ///< calculation list sequence number (read-only)
};

/// Start-up of the unit: registers TVYRcompform by class name.
VYR_UI_API void InitVyrcompf();
/// Shut-down of the unit: unregisters it.
VYR_UI_API void DoneVyrcompf();

}  // namespace vyr
