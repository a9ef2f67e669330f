// Component forms of the host tests: a form that writes every hook call to a
// trace file, one that fails in Calc with a message, and one that needs an
// input the model file may lack. The trace file is named by the environment
// variable VYR_RUN_TRACE; one line per call: "<component ID> <hook>", and
// "<component ID> Value <value>" when Calc reads its input. In a run, Calc
// writes the input as the mass flow of the component's outlet stations, and
// the inputs add up to the performance (thrust, air flow, fuel flow).
#pragma once

#include <string>

#include "vyrcompf.h"

namespace vyr::runtest {

class TRunTraceForm : public TVYRcompform {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TRunTraceForm(QWidget* owner = nullptr);

  void AfterLoad() override;
  void AfterModelLoad() override;
  bool CheckComponent(TCalcMode mode) override;
  bool ValidateInputData() override;
  void AddMeasurementsAndConditions() override;
  void BeforeRunSimulation() override;
  void CalculationReset() override;
  bool CalcInit() override;
  bool DefineStatesAndErrorsDP(TCalcMode mode) override;
  bool CalcStart(TCalcMode mode) override;
  bool CalcListBegin(TCalcMode mode) override;
  bool Calc(TCalcMode mode) override;
  bool CalcEnd(TCalcMode mode) override;
  bool CalcListEnd(TCalcMode mode) override;
  bool CalcModelGlobalParameterSums(TCalcMode mode) override;
  bool CalcAdditionalOutput(TCalcMode mode, bool flag) override;
  bool CalcAdditionalOutputEnd(TCalcMode mode, bool flag) override;
  bool CalcAdditionalParsEnd(TCalcMode mode, bool flag) override;
  bool CalcFinish(TCalcMode mode) override;
  bool CalcFinally(TCalcMode mode) override;
  void OutputDataTo(TOutputTarget target) override;
  bool OutputDataToArraysEnd() override;
  bool CalcSimulationFinish() override;

 protected:
  /// Appends "<component ID> <text>" to the trace file.
  void Trace(const std::string& text) const;

  TNumFld* Value = nullptr;  ///< the component's input, traced by Calc
};

/// Fails in Calc: ErrorWarningText, and an error message shown during the hook.
class TRunFailForm : public TRunTraceForm {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TRunFailForm(QWidget* owner = nullptr);
  bool Calc(TCalcMode mode) override;
};

/// Needs the input "Required": without it in the model file, ValidateInputData fails.
class TRunNeedForm : public TRunTraceForm {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TRunNeedForm(QWidget* owner = nullptr);
  bool CustomReadFromXML(TVyrXmlNode node) override;
  bool ValidateInputData() override;

 private:
  TNumFld* Required = nullptr;
  bool given_ = false;
};

}  // namespace vyr::runtest
