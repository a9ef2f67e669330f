// The flight-condition form of the vyr-flight demo: ten numeric fields of the
// ambient record, the atmosphere model and the speed given, recomputed with
// CalcFlyCon whenever a given value changes, shown in SI or imperial units,
// saved to and loaded from XML.
#pragma once

#include <array>
#include <string>

#include "Fldform.h"
#include "FlightConditions.h"

namespace vyr::demo {

class TFlightForm : public TFieldForm {
  Q_OBJECT
 public:
  explicit TFlightForm(QWidget* owner = nullptr);

  void FormCreate() override;

  /// Recomputes the record from the given fields and shows it; false when
  /// CalcFlyCon refused the altitude (the fields then keep their values).
  bool Recalculate();
  /// Saves the form's fields to an XML file; false when it cannot be written.
  bool SaveXml(const std::string& fileName) const;
  /// Loads the form's fields from an XML file written by SaveXml. Values a
  /// field refuses are kept out and listed in one warning, each with its line
  /// and column; false then.
  bool LoadXml(const std::string& fileName);
  /// Types text into the field named fieldName and takes it over, as Enter
  /// would; false when refused (the field then shows why) or no such field.
  bool TypeEntry(const std::string& fieldName, const std::string& text);

  /// The ten fields in SetFields order: Zp, dTs, Ps, Ts, Rho, Pt, Tt, Mach, Vt, Vc.
  std::array<TNumFld*, 10> Fields10() const { return fields_; }
  TRadioGrpFld* AtmosModel() const { return model_; }
  TRadioGrpFld* SpeedOption() const { return speed_; }
  TRadioGrpFld* Units() const { return units_; }

 private:
  void UpdateInputs();
  std::array<TNumFld*, 10> fields_{};
  TRadioGrpFld* model_ = nullptr;
  TRadioGrpFld* speed_ = nullptr;
  TRadioGrpFld* units_ = nullptr;
  bool updating_ = false;
};

}  // namespace vyr::demo
