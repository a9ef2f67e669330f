#include "RunTestForms.h"

#include <cstdlib>
#include <fstream>
#include <vector>

#include <QLayout>

#include "ClassRegistry.h"
#include "EngineState.h"
#include "vyrcompl.h"

namespace vyr::runtest {

namespace {

TNumFld* AddField(QWidget* page, const char* name) {
  auto* f = new TNumFld(page);
  f->setObjectName(name);
  f->SetLabelCaption(name);
  page->layout()->addWidget(f);
  return f;
}

}  // namespace

TRunTraceForm::TRunTraceForm(QWidget* owner) : TVYRcompform(owner) { Value = AddField(Design, "Value"); }

void TRunTraceForm::Trace(const std::string& text) const {
  const char* file = std::getenv("VYR_RUN_TRACE");
  if (file == nullptr || *file == '\0') return;
  std::ofstream out(file, std::ios::app);
  out << (Icon() ? Icon()->objectName().toStdString() : std::string("?")) << ' ' << text << '\n';
}

// Each hook writes its name, then does what the base does.
#define RUN_TRACE_VOID(hook, args, call) \
  void TRunTraceForm::hook args {        \
    Trace(#hook);                        \
    TVYRcompform::hook call;             \
  }
#define RUN_TRACE_BOOL(hook, args, call) \
  bool TRunTraceForm::hook args {        \
    Trace(#hook);                        \
    return TVYRcompform::hook call;      \
  }

RUN_TRACE_VOID(AfterLoad, (), ())
RUN_TRACE_VOID(AfterModelLoad, (), ())
RUN_TRACE_BOOL(CheckComponent, (TCalcMode m), (m))
RUN_TRACE_BOOL(ValidateInputData, (), ())
RUN_TRACE_VOID(AddMeasurementsAndConditions, (), ())
RUN_TRACE_VOID(BeforeRunSimulation, (), ())
RUN_TRACE_VOID(CalculationReset, (), ())
RUN_TRACE_BOOL(CalcInit, (), ())
RUN_TRACE_BOOL(DefineStatesAndErrorsDP, (TCalcMode m), (m))
RUN_TRACE_BOOL(CalcStart, (TCalcMode m), (m))
RUN_TRACE_BOOL(CalcListBegin, (TCalcMode m), (m))
RUN_TRACE_BOOL(CalcEnd, (TCalcMode m), (m))
RUN_TRACE_BOOL(CalcListEnd, (TCalcMode m), (m))
RUN_TRACE_BOOL(CalcAdditionalOutput, (TCalcMode m, bool f), (m, f))
RUN_TRACE_BOOL(CalcAdditionalOutputEnd, (TCalcMode m, bool f), (m, f))
RUN_TRACE_BOOL(CalcAdditionalParsEnd, (TCalcMode m, bool f), (m, f))
RUN_TRACE_BOOL(CalcFinish, (TCalcMode m), (m))
RUN_TRACE_BOOL(CalcFinally, (TCalcMode m), (m))
RUN_TRACE_VOID(OutputDataTo, (TOutputTarget t), (t))
RUN_TRACE_BOOL(OutputDataToArraysEnd, (), ())
RUN_TRACE_BOOL(CalcSimulationFinish, (), ())

// Each outlet station gets the input as its mass flow, at 1 bar and 300 K.
bool TRunTraceForm::Calc(TCalcMode mode) {
  Trace("Calc");
  const double v = Value->GetValue();
  Trace("Value " + std::to_string(v));
  if (engine::TEngineState* s = engine::ActiveEngineState())
    for (TLinktype t : {ltOut1, ltOut2})
      if (const TVYRLink* l = Icon()->GetLink(t); l && l->Visible()) {
        TGasconditions g{};
        g.W = v;
        g.Pt = 1e5;
        g.Tt = 300.0;
        s->Set(static_cast<int>(l->Station()), g);
      }
  return TVYRcompform::Calc(mode);
}

// The inputs add up to the thrust and the air flow; fuel flow is a hundredth of them.
bool TRunTraceForm::CalcModelGlobalParameterSums(TCalcMode mode) {
  Trace("CalcModelGlobalParameterSums");
  if (engine::TEngineState* s = engine::ActiveEngineState()) {
    engine::TPerformance& p = s->performance;
    const double v = Value->GetValue();
    p.FN += v;
    p.FG += v;
    p.W += v;
    p.Wf += 0.01 * v;
    p.TSFC = p.Wf / p.FN;
    p.specificThrust = p.FN / p.W;
  }
  return TVYRcompform::CalcModelGlobalParameterSums(mode);
}

TRunFailForm::TRunFailForm(QWidget* owner) : TRunTraceForm(owner) {}

bool TRunFailForm::Calc(TCalcMode mode) {
  Trace("Calc");
  TVYRcompform::Calc(mode);
  MessageDlg("No convergence in the test iteration in\r\n" + IDstr(), mtError, {mbOK}, 81401);
  ErrorWarningText = "the test component refuses to calculate";
  return false;
}

TRunNeedForm::TRunNeedForm(QWidget* owner) : TRunTraceForm(owner) { Required = AddField(Design, "Required"); }

bool TRunNeedForm::CustomReadFromXML(TVyrXmlNode node) {
  given_ = static_cast<bool>(node.child("Required"));
  return TRunTraceForm::CustomReadFromXML(node);
}

bool TRunNeedForm::ValidateInputData() {
  Trace("ValidateInputData");
  if (given_) return true;
  ErrorWarningText = "input \"Required\" is missing";
  return false;
}

namespace {

// The classes are registered while the library is loaded.
struct TRegistration {
  std::vector<std::string> names;
  TRegistration() {
    if (RegisterCompformClass<TRunTraceForm>()) names.push_back("TRunTraceForm");
    if (RegisterCompformClass<TRunFailForm>()) names.push_back("TRunFailForm");
    if (RegisterCompformClass<TRunNeedForm>()) names.push_back("TRunNeedForm");
  }
  ~TRegistration() {
    for (const std::string& n : names) UnRegisterClass(n);
  }
  TRegistration(const TRegistration&) = delete;
  TRegistration& operator=(const TRegistration&) = delete;
} registration;

}  // namespace

}  // namespace vyr::runtest
