// Base of the gas-path component forms: design inputs as numeric fields and
// radio groups on the Design page, results as plain values, the station
// numbers of the icon's links, the run's engine state, the data report and the
// range check of the inputs.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "vyrcompf.h"

namespace vyr::engine {
class TComponent;
class TEngineState;
}

namespace vyr::gaspath {

/// Read and write access to a numeric field's value, for a Q_PROPERTY of it:
/// GP_FIELD_ACCESS(PRdes) gives GetPRdes() and SetPRdes(double).
#define GP_FIELD_ACCESS(fld)                               \
  double Get##fld() const { return fld->GetValue(); }      \
  void Set##fld(double v) { fld->SetValue(v); }

/// One result of a component: name (as in measurements), value and quantity.
struct TResult {
  const char* name;
  const double* value;
  TParType type;
};

class TGasPathForm : public TVYRcompform {
  Q_OBJECT
 public:
  explicit TGasPathForm(QWidget* owner = nullptr);

  /// Every numeric input within its range (and a component's own rules); else
  /// the first violation in ErrorWarningText and an error message, and false.
  bool ValidateInputData() override;
  /// The inputs and, once calculated, the results.
  void DesignDataToLines(std::vector<std::string>& lines) override;
  /// The results as measurements, named with CompParID.
  void AddMeasurementsAndConditions() override;
  /// Clears ErrorWarningText before a calculation.
  bool CalcStart(TCalcMode mode) override;

  /// A property of an input that the current options make meaningless is not
  /// listed: PropActive("__HCdes") is false while the burner burns a table fuel.
  bool PropActive(const std::string& propName) override;
  /// Whether an input field means something with the current options; an
  /// inactive one is neither checked nor reported.
  virtual bool InputActive(const TNumFld* field) const;

  /// The results in report order.
  virtual std::vector<TResult> Results() const { return {}; }
  /// A rule among the inputs beyond their ranges; the problem, or "" when none.
  virtual std::string InputProblem() const { return {}; }

  /// Station number of the icon's link of that type; false (with the failure
  /// recorded) when the icon has no such link or it is not numbered.
  bool Station(TLinktype type, int& station);

 protected:
  /// A numeric field on the Design page, with its value, range and unit.
  TNumFld* AddNumFld(const char* name, const char* caption, TParType type, double value, double min, double max,
                     const char* hint = nullptr);
  /// Where the map's scalars come from ("Map scalars": from the design point,
  /// or fixed for a calibrated map) and the four scalars that fit the map,
  /// kept for off design.
  void AddMapScalars(TRadioGrpFld*& source, TNumFld*& sN, TNumFld*& sW, TNumFld*& sPR, TNumFld*& sEff);
  /// A text field on the Design page. A file name relative to the model
  /// file's folder (modelFile) is rebased when the model is saved elsewhere:
  /// the field carries the dynamic property "modelFile".
  TStringFld* AddStringFld(const char* name, const char* caption, const char* hint, bool modelFile = false);
  /// A radio group on the Design page.
  TRadioGrpFld* AddRadioGrp(const char* name, const char* caption, const std::vector<std::string>& items,
                            int index);

  /// The state of the run in progress; null (with the failure recorded) outside a run.
  engine::TEngineState* State();
  /// False (with the failure recorded) when another component has set the
  /// outlet station already: two components give one station number.
  bool FreshStation(const engine::TEngineState& state, int station);
  /// Runs a component of the engine layer, named after this component, on
  /// the state (off design when the state says so); false with the layer's
  /// failure text recorded.
  bool RunComponent(engine::TComponent& component, engine::TEngineState& state);
  /// Off design: registers the component's unknowns and errors in the state,
  /// named after this component; false when it lacks its design data. The
  /// component then serves every pass of the point's solution (PointComponent).
  bool DefineComponent(const std::shared_ptr<engine::TComponent>& component, engine::TEngineState& state);
  /// Off design, the component DefineComponent registered for the point in
  /// progress, built once from the fields, the stations and the map, so that
  /// a pass of the solver reads no field; null at design or before.
  template <class C>
  C* PointComponent(const engine::TEngineState& state) const;
  /// Off design: builds the form's component with build (from the fields,
  /// the stations and the map) and registers it for the point (DefineComponent).
  template <class F, class C>
  bool DefinePoint(F* form, bool (F::*build)(C&, const engine::TEngineState&));
  /// The component a calculation runs: off design the point's, else design
  /// built by build; null (failure recorded) when it cannot be built.
  template <class F, class C>
  C* CalcComponent(engine::TEngineState& s, C& design, F* form, bool (F::*build)(C&, const engine::TEngineState&));
  /// A file the model names, relative to the model file's folder.
  std::string ModelFile(const engine::TEngineState& state, const std::string& name) const;
  /// Records a failure: text, a line break and the component's identification
  /// in ErrorWarningText; false.
  bool Fail(const std::string& text);

  /// Holds the inputs on the Design page.
  QWidget* inputsPanel_ = nullptr;
  /// Numeric input fields of this component type, in report order.
  std::vector<TNumFld*> inputs_;
  /// Radio groups of this component type, in report order.
  std::vector<TRadioGrpFld*> options_;
  /// Text fields of this component type and their captions, in report order.
  std::vector<std::pair<TStringFld*, std::string>> texts_;
  /// The component of the off-design point in progress (see PointComponent).
  std::shared_ptr<engine::TComponent> point_;
};

/// Text of a value in SI with its unit ("101325.000 Pa"); ratios without unit.
std::string ValueText(double value, TParType type);

}  // namespace vyr::gaspath
