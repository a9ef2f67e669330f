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
#include <vector>

#include "Fldform.h"
#include "VYRtypes.h"
#include "VyrUiExport.h"

class QComboBox;
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

  // --- Calculation hooks ----------------------------------------------------
  // The host's solver calls these on every component, in the phases of its
  // calculation; a component type overrides what it uses. The base does nothing
  // or returns true, except where noted. A hook that fails returns false and
  // leaves its text in ErrorWarningText.

  virtual void InitializeControlStates();
  /// Sets the icon's description label (the child label of tag 1) to the component name.
  virtual void SetDescrLabelCaption();
  virtual bool PropActive(const std::string& propName);
  virtual void SetDeterioration(TCalcMode mode);
  /// Checks Deteriorated.
  virtual void SaveDeterioration();
  virtual void SetAltDescrLabelCaption();
  /// SetDescrLabelCaption, then SetNumFldErrorIDstrings.
  virtual void AfterLoad();
  virtual void AfterModelLoad();
  virtual void ResetComp();
  /// Suffix of the output parameter names: "_" + ID, else "_" + Nr with
  /// "Add comp. nrs." checked, else empty.
  virtual std::string CompParID() const;
  /// Calculated := false.
  virtual void CalculationReset();
  /// ComponentCalcMode := cmInit.
  virtual bool CalcInit();
  virtual bool DefineStatesAndErrors(TCalcMode mode);
  virtual bool DefineStatesAndErrorsDP(TCalcMode mode);
  virtual bool SetStateFromData();
  virtual void BeforeRunSimulation();
  virtual bool CalcStart(TCalcMode mode);
  virtual bool CalcNewStateStart(TCalcMode mode);
  virtual bool CalcNewStateBegin(TCalcMode mode);
  virtual bool CalcNewStateEnd(TCalcMode mode);
  virtual bool CalcFinish(TCalcMode mode);
  virtual bool CalcFinally(TCalcMode mode);
  virtual bool CalcSimulationFinish();
  /// Calculated := true; ComponentCalcMode := mode.
  virtual bool Calc(TCalcMode mode);
  virtual bool CalcEnd(TCalcMode mode);
  virtual bool CalcListBegin(TCalcMode mode);
  virtual bool CalcListEnd(TCalcMode mode);
  virtual bool CalcModelGlobalParameterSums(TCalcMode mode);
  virtual bool CalcAdditionalOutput(TCalcMode mode, bool flag);
  virtual bool CalcAdditionalOutputEnd(TCalcMode mode, bool flag);
  virtual bool CalcAdditionalParsEnd(TCalcMode mode, bool flag);
  virtual void OutputDataTo(TOutputTarget target);
  virtual bool OutputDataToArraysEnd();
  /// Sections of the data report; each appends to lines.
  virtual void GeneralDataToLines(std::vector<std::string>& lines);
  virtual void DesignDataToLines(std::vector<std::string>& lines);
  virtual void DeteriorationDataToLines(std::vector<std::string>& lines);
  virtual void TransientDataToLines(std::vector<std::string>& lines);
  /// The whole data report: heading, remarks, then the sections.
  virtual void FormDataToLines(std::vector<std::string>& lines);
  /// Sets the calculation-order priority of the icon's outlets from the
  /// downstream group when it is shown; true.
  virtual bool CheckComponent(TCalcMode mode);
  virtual void StateErrorInfoToLines(std::vector<std::string>& lines);
  virtual void StateErrorDPInfoToLines(std::vector<std::string>& lines);
  virtual void AddMeasurementsAndConditions();
  virtual void WriteOPointText(TCalcMode mode);
  /// InitializeControlStates.
  virtual void UpdateVYRcomponentState();
  virtual void GetProperties_into_ComboBox(QComboBox* box, const std::string& prefix);
  virtual bool ValidateInputData();
  virtual bool CheckAllowCompInCfg(bool flag);
  /// True when the icon has a link of that type (shown or not).
  virtual bool HasLink(TLinktype type) const;
  virtual bool CheckLinkForOutput(TLinktype type, TGasioLinkPar par) const;
  virtual bool StepTime(double dt);
  virtual bool InitTransient();

  /// Mode of the last calculation call.
  TCalcMode ComponentCalcMode = cmNone;
  /// Set by Calc, cleared by CalculationReset.
  bool Calculated = false;
  /// Text and help context of the component's last error or warning, for the host.
  std::string ErrorWarningText;
  int ErrorWarningHelpContext = 0;
  /// Range of this component's entries in the host's output data arrays.
  int OutputDataArrayFirst = 0;
  int OutputDataArrayLast = 0;

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
