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
// messages everywhere identify the component (IDstr); the common pages
// (General, Design, Deterioration, Output, Remarks) in PageControl1; a
// do-nothing or return-true default for every calculation hook; the
// measurement list; property access by name and the data report.
//
// Pages. Each page has a top-aligned QVBoxLayout: a component form adds its
// controls with page->layout()->addWidget(...) in its constructor, makes
// hidden controls or tabs visible there, and may add pages of its own
// (PageControl1->addTab). FormCreate then makes General the active page and
// moves the Output tab to the place before the last and Remarks to the last.
//
// Properties. A component form declares the values the host may list, read and
// write by name as Q_PROPERTYs of a floating-point, integer, bool or Q_ENUM
// type (other kinds are not listed). The names carry their group in a prefix: "_"
// for one group, "__" for design values, whose names hold "des":
//
//   Q_PROPERTY(double _N1 READ N1 WRITE SetN1)
//   Q_PROPERTY(double __PRdes READ PRdes WRITE SetPRdes)
//
// GetPropertyList(list, "_") lists "N1 : Double", GetPropertyValue("N1 : Double")
// reads _N1. A name holding "des" with a single "_", or one with "__" that
// holds no "des", cannot be found again from its list entry; registering the
// class reports such a name (CheckCompformPropertyNames).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <QMetaProperty>
#include <QTabWidget>

#include "ClassRegistry.h"
#include "VYRFldForm.h"
#include "VYRtypes.h"
#include "VyrUiExport.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QPainter;

namespace vyr {

class TVYRcomp;

/// String list that owns the object attached to each string: a component's
/// measurement parameters and conditions, by name.
class VYR_UI_API TStringObjectList {
 public:
  TStringObjectList() = default;
  TStringObjectList(const TStringObjectList&) = delete;
  TStringObjectList& operator=(const TStringObjectList&) = delete;
  ~TStringObjectList();

  /// Appends name with its object (taking ownership); returns its index.
  int Add(std::string name, std::unique_ptr<TObject> object);
  /// Number of entries.
  int Count() const { return static_cast<int>(items_.size()); }
  /// Name at index; throws std::out_of_range outside [0, Count).
  const std::string& Strings(int index) const;
  /// Object at index (owned by the list); throws std::out_of_range outside [0, Count).
  TObject* Objects(int index) const;
  /// Index of the first entry named name (ASCII case ignored), -1 when none.
  int IndexOf(std::string_view name) const;
  /// Frees every object and empties the list.
  void Clear();

 private:
  std::vector<std::pair<std::string, std::unique_ptr<TObject>>> items_;
};

/// Page control of the component forms: a QTabWidget whose page changes by the
/// user (tab click, arrow keys on the tabs, wheel, Ctrl+Tab) can be refused,
/// and whose tabs can be drawn by the form. Changes made by the program are
/// never refused. The arrow keys and Ctrl+Tab pass over hidden tabs.
class VYR_UI_API TVYRPageControl : public QTabWidget {
  Q_OBJECT

 public:
  explicit TVYRPageControl(QWidget* parent = nullptr);

  /// Asked before the user changes the page; false keeps the current page.
  std::function<bool()> OnChanging;
  /// Draws tab index into rect (active: the current tab); null: the style draws.
  std::function<void(QPainter& painter, int index, const QRect& rect, bool active)> OnDrawTab;

  /// True when the page may change now (OnChanging allows or is not set).
  bool AllowChange() const { return !OnChanging || OnChanging(); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // The tab bar's clicks, keys, wheel and painting come here first.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The next shown and enabled tab from the current one in direction step
  // (wrapping round when wrap is set); -1 when none.
  int NextShownTab(int step, bool wrap) const;
  // Goes to tab index when it differs from the current one and the change is allowed.
  void ChangeTo(int index);
};

/// Base of the component data forms.
class VYR_UI_API TVYRcompform : public TVYRFieldForm {
  Q_OBJECT

 public:
  /// The form with its identification controls; owner is the component's icon.
  Q_INVOKABLE explicit TVYRcompform(QWidget* owner = nullptr);
  /// Runs FormDestroy.
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

  // --- Identification, links and measurements -------------------------------

  /// True when a check field on the Output page is checked (directly on the
  /// page or in a group box there other than Onamesgbox).
  bool OutPutSelected() const;
  /// Adds a measurement parameter named name that points at variable (which
  /// must outlive the form's list) to CompPerfParameters.
  void AddMeasurement(const std::string& name, double& variable, TParType parType, TUnitSystem unitSystem);
  /// The form of the model component at the far end of the icon's link of
  /// that type, or null.
  TVYRcompform* OtherModelCompform(TLinktype type) const;

  // --- Property access by name and the data report ----------------------------

  /// Appends "name without prefix : type" for every listed property (double,
  /// float, int, bool or enum; inherited first, then in declaration order)
  /// whose name begins with prefix but not with prefix twice, and for which
  /// PropActive gives true. Types: Double, Single, Integer, Cardinal, Boolean,
  /// or the enumeration's type name. Throws VYRexception "Invalid type
  /// information" when the form's class has no meta-object of its own (a
  /// derived class without Q_OBJECT).
  void GetPropertyList(std::vector<std::string>& list, const std::string& prefix);
  /// The property of that exact name (untrimmed, case-sensitive) among those
  /// declared by TVYRcompform and its descendants; invalid when none, when the
  /// trimmed name is empty, or when the class has no meta-object of its own.
  QMetaProperty GetProperty(const std::string& name) const;
  /// The property name of a list entry: the text up to its first space, with
  /// "_" in front unless empty or beginning with "-", and another "_" in front
  /// when it holds "des" ("PRdes : Double" -> "__PRdes", "N1" -> "_N1").
  static std::string GetPropNameFromStr(const std::string& text);
  /// Value of the property of GetPropNameFromStr(text) as a double; 0 when
  /// there is none. Throws VYRexception "Invalid type information" when the
  /// property is not of a listed kind.
  double GetPropertyValue(const std::string& text) const;
  /// Writes value to the property of GetPropNameFromStr(text); nothing when
  /// there is none. Integer properties take the value rounded, Boolean ones
  /// value != 0, enumerations the rounded value when it is one of theirs.
  /// Throws VYRexception "Invalid type information" when the property is not
  /// of a listed kind.
  void SetPropertyValue(const std::string& text, double value);
  /// The first numeric field of the form whose label caption is caption, or null.
  TNumFld* FindNumFldByCaption(const std::string& caption) const;
  /// Sets every numeric field's error identification to its ID string +
  /// " in " + IDstr, so that a value error names the field and its component.
  void SetNumFldErrorIDstrings();

  // --- Events --------------------------------------------------------------------

  /// Base creation, then: Design page in navy, ModelOpt shown (item 0 selected)
  /// only with items, General page active, Remarks tab last and Output tab
  /// before it (when shown), help file under VYRpath.
  void FormCreate() override;
  /// Base show, then ModelOptClick.
  void FormShow() override;
  /// Frees the measurement parameters and conditions.
  void FormDestroy();
  /// Base OK handling (takes over typed values), then SetDescrLabelCaption.
  void OKbtnClick() override;
  /// Refuses to close with mrOk while ValidateInputData gives false.
  bool FormCloseQuery(int modalResult) override;
  /// True when the page may change: a focused numeric field (or grid) takes
  /// over its typed text and must then hold a valid value.
  bool PageControl1Changing();
  /// Draws one tab of PageControl1: filled and outlined in the menu-bar colour,
  /// the caption at (7, 4) in the highlight colour when active, else at (3, 2)
  /// in the window-text colour.
  void PageControl1DrawTab(QPainter& painter, int index, const QRect& rect, bool active);
  /// While the form is shown: InitializeControlStates.
  void ModelOptClick();
  /// While the form is shown: SetNumFldErrorIDstrings.
  void IDChange();
  /// SetNumFldErrorIDstrings.
  void NrChange();

  /// Mode of the last calculation call.
  TCalcMode ComponentCalcMode = cmNone;
  /// Set by Calc, cleared by CalculationReset.
  bool Calculated = false;
  /// The component's measurement parameters (TParameter), by name.
  TStringObjectList CompPerfParameters;
  /// The component's conditions, filled by component types.
  TStringObjectList Conditions;
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
  QWidget* Panel1 = nullptr;   ///< client area holding PageControl1
  TVYRPageControl* PageControl1 = nullptr;
  QWidget* General = nullptr;  ///< page "General"
  TRadioGrpFld* ModelOpt = nullptr;  ///< "Model Options" (no items, hidden, in the base)
  QWidget* Design = nullptr;   ///< page "Design"
  /// "Downstream calculation": "Core first" / "Duct first" (hidden in the base).
  TRadioGrpFld* DownStrCalcPriorityRGrpFld = nullptr;
  QWidget* DeteriorationTSheet = nullptr;  ///< page "Deterioration" (tab hidden in the base)
  TCheckFld* Deteriorated = nullptr;       ///< "Apply deterioration effects"
  QWidget* OutpTSheet = nullptr;           ///< page "Output"
  QGroupBox* Onamesgbox = nullptr;         ///< "Output names"
  TCheckFld* Ocompnrs = nullptr;           ///< "Add comp. nrs." (checked)
  QWidget* RemarksTSheet = nullptr;        ///< page "Remarks"
  TMemoFld* Remarks = nullptr;             ///< the remarks, filling their page

 private:
  bool HasOwnMetaObject() const;
  int FirstPropertyIndex() const;
};

/// Names of the listed properties (double, float, int, bool, enum) declared by
/// the component form class meta (and its bases from TVYRcompform on) that
/// begin with "_" and cannot be found again from their list entry: a name
/// holding "des" that begins with a single "_", or one beginning with "__"
/// that holds no "des" after it.
VYR_UI_API std::vector<std::string> UnreachablePropertyNames(const QMetaObject& meta);

/// Reports each name of UnreachablePropertyNames(meta) in a warning message
/// naming the class and the property; false when there was one. Runs for every
/// class derived from TVYRcompform when it is registered.
VYR_UI_API bool CheckCompformPropertyNames(const QMetaObject& meta);

/// Registers the component form class T by name (as RegisterClass<T>), which
/// checks its property names. T must derive from TVYRcompform and declare
/// Q_OBJECT (checked when compiling).
template <class T>
bool RegisterCompformClass(std::string_view name = {}) {
  static_assert(std::is_base_of_v<TVYRcompform, T>, "a component form class derives from TVYRcompform");
  static_assert(QtPrivate::HasQ_OBJECT_Macro<T>::Value,
                "a component form class declares Q_OBJECT: its class name and properties come from it");
  return RegisterClass<T>(name);
}

/// Start-up of the unit: registers TVYRcompform by class name.
VYR_UI_API void InitVyrcompf();
/// Shut-down of the unit: unregisters it.
VYR_UI_API void DoneVyrcompf();

}  // namespace vyr
