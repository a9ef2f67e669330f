#include "vyrcompf.h"

#include <cmath>

#include <QHBoxLayout>
#include <QLabel>

#include "ClassRegistry.h"
#include "vyrcompl.h"

namespace vyr {

namespace {

const char* const kIDhint = "Component ID string for ouput parameters (if blank, default=Calc.Nr.)";

}  // namespace

TVYRcompform::TVYRcompform(QWidget* owner) : TFieldForm(owner) {
  setObjectName(QStringLiteral("VYRcompform"));
  setWindowTitle(QStringLiteral("VYR component form"));
  resize(513, 379);

  Panel3 = new QWidget(this);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setFixedHeight(36);
  auto* row = new QHBoxLayout(Panel3);
  row->setContentsMargins(4, 2, 4, 2);

  CompName = new TStringFld(Panel3);
  CompName->setObjectName(QStringLiteral("CompName"));
  CompName->SetText("Comp. Name");
  CompName->SetXmlTag(XmlTagAttribute);
  CompName->SetCustomIDstring("Name");

  IDlabel = new QLabel(QStringLiteral("ID string"), Panel3);
  IDlabel->setObjectName(QStringLiteral("IDlabel"));
  IDlabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  IDlabel->setToolTip(QString::fromUtf8(kIDhint));

  ID = new TStringFld(Panel3);
  ID->setObjectName(QStringLiteral("ID"));
  ID->setFixedWidth(49);
  ID->setToolTip(QString::fromUtf8(kIDhint));

  Nr = new TNumFld(Panel3);
  Nr->setObjectName(QStringLiteral("Nr"));
  Nr->SetLabelCaption("Calc.Nr.");
  Nr->SetIntegerOnly(true);
  Nr->SetDecimals(0);
  Nr->SetMin(-32768);
  Nr->SetMax(32767);
  Nr->SetReadOnly(true);
  Nr->SetFontColor(QColor(0, 0, 255));
  Nr->SetXmlTag(XmlTagAttribute);
  Nr->setToolTip(QStringLiteral("Calculation list sequence number"));

  row->addWidget(CompName);
  row->addWidget(IDlabel);
  row->addWidget(ID);
  row->addStretch(1);
  row->addWidget(Nr);
  AddClientWidget(Panel3);
}

TVYRcompform::~TVYRcompform() = default;

std::string TVYRcompform::IDstr() const {
  return "Nr. " + IntToStr(CalcNumber()) + " Component: " + ComponentName();
}

std::string TVYRcompform::ShortIDstr() const {
  if (TVYRcomp* icon = Icon()) return icon->ShortIDstr();
  return ComponentName();
}

TVYRcomp* TVYRcompform::Icon() const { return qobject_cast<TVYRcomp*>(parentWidget()); }

int TVYRcompform::CalcNumber() const { return static_cast<int>(std::lround(Nr->GetValue())); }

void TVYRcompform::SetCalcNumber(int nr) { Nr->SetValue(nr); }

std::string TVYRcompform::ComponentName() const { return CompName->Text(); }

void TVYRcompform::SetComponentName(const std::string& name) { CompName->SetText(name); }

// --- Calculation hooks: the base defaults -------------------------------------

void TVYRcompform::InitializeControlStates() {}
void TVYRcompform::SetDescrLabelCaption() {}
bool TVYRcompform::PropActive(const std::string&) { return true; }
void TVYRcompform::SetDeterioration(TCalcMode) {}
void TVYRcompform::SaveDeterioration() {}
void TVYRcompform::SetAltDescrLabelCaption() {}
void TVYRcompform::AfterLoad() { SetDescrLabelCaption(); }
void TVYRcompform::AfterModelLoad() {}
void TVYRcompform::ResetComp() {}
std::string TVYRcompform::CompParID() const {
  // Placeholder until the full form: the trimmed ID string.
  const std::string text = ID->Text();
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return "_" + text.substr(first, text.find_last_not_of(" \t") - first + 1);
}
void TVYRcompform::CalculationReset() { Calculated = false; }
bool TVYRcompform::CalcInit() {
  ComponentCalcMode = cmInit;
  return true;
}
bool TVYRcompform::DefineStatesAndErrors(TCalcMode) { return true; }
bool TVYRcompform::DefineStatesAndErrorsDP(TCalcMode) { return true; }
bool TVYRcompform::SetStateFromData() { return true; }
void TVYRcompform::BeforeRunSimulation() {}
bool TVYRcompform::CalcStart(TCalcMode) { return true; }
bool TVYRcompform::CalcNewStateStart(TCalcMode) { return true; }
bool TVYRcompform::CalcNewStateBegin(TCalcMode) { return true; }
bool TVYRcompform::CalcNewStateEnd(TCalcMode) { return true; }
bool TVYRcompform::CalcFinish(TCalcMode) { return true; }
bool TVYRcompform::CalcFinally(TCalcMode) { return true; }
bool TVYRcompform::CalcSimulationFinish() { return true; }
bool TVYRcompform::Calc(TCalcMode mode) {
  Calculated = true;
  ComponentCalcMode = mode;
  return true;
}
bool TVYRcompform::CalcEnd(TCalcMode) { return true; }
bool TVYRcompform::CalcListBegin(TCalcMode) { return true; }
bool TVYRcompform::CalcListEnd(TCalcMode) { return true; }
bool TVYRcompform::CalcModelGlobalParameterSums(TCalcMode) { return true; }
bool TVYRcompform::CalcAdditionalOutput(TCalcMode, bool) { return true; }
bool TVYRcompform::CalcAdditionalOutputEnd(TCalcMode, bool) { return true; }
bool TVYRcompform::CalcAdditionalParsEnd(TCalcMode, bool) { return true; }
void TVYRcompform::OutputDataTo(TOutputTarget) {}
bool TVYRcompform::OutputDataToArraysEnd() { return true; }
void TVYRcompform::GeneralDataToLines(std::vector<std::string>&) {}
void TVYRcompform::DesignDataToLines(std::vector<std::string>&) {}
void TVYRcompform::DeteriorationDataToLines(std::vector<std::string>&) {}
void TVYRcompform::TransientDataToLines(std::vector<std::string>&) {}
void TVYRcompform::FormDataToLines(std::vector<std::string>&) {}
bool TVYRcompform::CheckComponent(TCalcMode) { return true; }
void TVYRcompform::StateErrorInfoToLines(std::vector<std::string>&) {}
void TVYRcompform::StateErrorDPInfoToLines(std::vector<std::string>&) {}
void TVYRcompform::AddMeasurementsAndConditions() {}
void TVYRcompform::WriteOPointText(TCalcMode) {}
void TVYRcompform::UpdateVYRcomponentState() { InitializeControlStates(); }
void TVYRcompform::GetProperties_into_ComboBox(QComboBox*, const std::string&) {}
bool TVYRcompform::ValidateInputData() { return true; }
bool TVYRcompform::CheckAllowCompInCfg(bool) { return true; }
bool TVYRcompform::HasLink(TLinktype) const { return false; }
bool TVYRcompform::CheckLinkForOutput(TLinktype type, TGasioLinkPar) const { return HasLink(type); }
bool TVYRcompform::StepTime(double) { return true; }
bool TVYRcompform::InitTransient() { return true; }

void InitVyrcompf() { RegisterClass<TVYRcompform>(); }

void DoneVyrcompf() { UnRegisterClass("TVYRcompform"); }

}  // namespace vyr
