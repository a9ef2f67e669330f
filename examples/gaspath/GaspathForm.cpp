#include "GaspathForm.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QLabel>
#include <QLayout>
#include <QScrollArea>
#include <QVBoxLayout>

#include "Messages.h"
#include "Numinp.h"
#include "vyrcompl.h"

namespace vyr::gaspath {

std::string ValueText(double value, TParType type) {
  std::string text = ParToStr(type, usSI, "", true, value);
  if (type != ptNone) text += " " + std::string(ParUnitStr[type][usSI]);
  return text;
}

// The inputs stand in a scrolling box on the Design page: a compressor's
// bleeds or a burner's fuels need more room than the form's height.
namespace {

// An input as its field shows it, with its unit.
std::string InputText(const TNumFld* f) {
  const std::string unit = f->UnitLabel() != nullptr ? f->UnitLabel()->text().toStdString() : "";
  return f->DisplayText() + (unit.empty() ? "" : " " + unit);
}

}  // namespace

TGasPathForm::TGasPathForm(QWidget* owner) : TVYRcompform(owner) {
  auto* scroll = new QScrollArea(Design);
  scroll->setObjectName(QStringLiteral("InputsBox"));
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  inputsPanel_ = new QWidget(scroll);
  inputsPanel_->setObjectName(QStringLiteral("InputsPanel"));
  auto* column = new QVBoxLayout(inputsPanel_);
  column->setContentsMargins(0, 0, 0, 0);
  column->setAlignment(Qt::AlignTop);
  scroll->setWidget(inputsPanel_);
  Design->layout()->addWidget(scroll);
}

TNumFld* TGasPathForm::AddNumFld(const char* name, const char* caption, TParType type, double value, double min,
                                 double max, const char* hint) {
  auto* f = new TNumFld(inputsPanel_);
  f->setObjectName(QString::fromUtf8(name));
  f->SetLabelCaption(caption);
  f->SetParType(type);
  f->SetMin(min);
  f->SetMax(max);
  if (type == ptNone) f->SetDecimals(5);
  f->SetValue(value);
  if (hint != nullptr) f->setToolTip(QString::fromUtf8(hint));
  inputsPanel_->layout()->addWidget(f);
  inputs_.push_back(f);
  return f;
}

void TGasPathForm::AddMapScalars(TRadioGrpFld*& source, TNumFld*& sN, TNumFld*& sW, TNumFld*& sPR, TNumFld*& sEff) {
  const double inf = std::numeric_limits<double>::infinity();
  // A calibrated map keeps the scalars it was fitted with, whatever the design point gives.
  source = AddRadioGrp("MapScalars", "Map scalars", {"From the design point", "Fixed (calibrated map)"}, 0);
  source->setToolTip(QStringLiteral("From the design point: every design run scales the map to it anew. "
                                    "Fixed: the scalars below stay as given, at design and off design"));
  const char* hint = "Map scalar (N = Nmap sN, W = Wmap sW, PR = (PRmap - 1) sPR + 1, eff = effmap sEff)";
  sN = AddNumFld("MapsN", "Map scalar sN", ptNone, 0.0, 0.0, inf, hint);
  sW = AddNumFld("MapsW", "Map scalar sW", ptNone, 0.0, 0.0, inf, hint);
  sPR = AddNumFld("MapsPR", "Map scalar sPR", ptNone, 0.0, 0.0, inf, hint);
  sEff = AddNumFld("MapsEff", "Map scalar sEff", ptNone, 0.0, 0.0, inf, hint);
}

TStringFld* TGasPathForm::AddStringFld(const char* name, const char* caption, const char* hint, bool modelFile) {
  auto* f = new TStringFld(inputsPanel_);
  if (modelFile) f->setProperty("modelFile", true);
  f->setObjectName(QString::fromUtf8(name));
  f->setPlaceholderText(QString::fromUtf8(caption));
  f->setToolTip(QString::fromUtf8(hint));
  inputsPanel_->layout()->addWidget(f);
  texts_.emplace_back(f, caption);
  return f;
}

TRadioGrpFld* TGasPathForm::AddRadioGrp(const char* name, const char* caption, const std::vector<std::string>& items,
                                         int index) {
  auto* g = new TRadioGrpFld(inputsPanel_);
  g->setObjectName(QString::fromUtf8(name));
  g->setTitle(QString::fromUtf8(caption));
  g->SetItems(items);
  g->SetItemIndex(index);
  inputsPanel_->layout()->addWidget(g);
  options_.push_back(g);
  return g;
}

bool TGasPathForm::InputActive(const TNumFld*) const { return true; }

bool TGasPathForm::PropActive(const std::string& propName) {
  const std::string name = propName.substr(std::min(propName.find_first_not_of('_'), propName.size()));
  for (const TNumFld* f : inputs_)
    if (f->objectName().toStdString() == name) return InputActive(f);
  return TVYRcompform::PropActive(propName);
}

bool TGasPathForm::ValidateInputData() {
  std::string problem;
  for (const TNumFld* f : inputs_) {
    if (!InputActive(f)) continue;
    const double v = f->GetValue();
    if (!(v >= f->Min() && v <= f->Max())) {
      problem = f->LabelCaption() + " = " + ValueText(v, f->ParType()) + " lies outside " +
                ValueText(f->Min(), f->ParType()) + " to " + ValueText(f->Max(), f->ParType());
      break;
    }
  }
  for (const TRadioGrpFld* g : options_) {
    if (problem.empty() && (g->ItemIndex() < 0 || g->ItemIndex() >= g->Count()))
      problem = g->title().toStdString() + ": no option selected";
  }
  if (problem.empty()) problem = InputProblem();
  if (problem.empty()) return true;
  Fail(problem);
  MessageDlg(ErrorWarningText, mtError, {mbOK}, 0);
  return false;
}

void TGasPathForm::DesignDataToLines(std::vector<std::string>& lines) {
  TVYRcompform::DesignDataToLines(lines);
  for (const TNumFld* f : inputs_)
    if (InputActive(f)) lines.push_back(f->LabelCaption() + " : " + InputText(f));
  for (const TRadioGrpFld* g : options_) {
    const std::vector<std::string> items = g->Items();
    const int i = g->ItemIndex();
    lines.push_back(g->title().toStdString() + " : " + (i >= 0 && i < static_cast<int>(items.size()) ? items[i] : "-"));
  }
  for (const auto& [f, caption] : texts_)
    if (!f->Text().empty()) lines.push_back(caption + " : " + f->Text());
  if (!Calculated) return;
  lines.push_back("Results:");
  for (const TResult& r : Results()) lines.push_back(std::string(r.name) + " : " + ValueText(*r.value, r.type));
}

void TGasPathForm::AddMeasurementsAndConditions() {
  TVYRcompform::AddMeasurementsAndConditions();
  // Once per name: a host may ask again for every simulation.
  const std::string suffix = CompParID();
  for (const TResult& r : Results())
    if (CompPerfParameters.IndexOf(r.name + suffix) < 0)
      AddMeasurement(r.name + suffix, const_cast<double&>(*r.value), r.type, usSI);
}

bool TGasPathForm::CalcStart(TCalcMode mode) {
  ErrorWarningText.clear();
  Calculated = false;
  return TVYRcompform::CalcStart(mode);
}

bool TGasPathForm::Station(TLinktype type, int& station) {
  TVYRcomp* icon = Icon();
  const double nr = icon != nullptr ? icon->LinkStationNr(type) : -11.0;
  if (nr < -0.1) {
    if (nr < -10) return Fail("The component has no " + LinktypeName(type).substr(2) + " link");
    return Fail("The " + LinktypeName(type).substr(2) + " link has no station number");
  }
  station = static_cast<int>(std::lround(nr));
  return true;
}

bool TGasPathForm::Fail(const std::string& text) {
  ErrorWarningText = text + sLineBreak + IDstr();
  return false;
}


}  // namespace vyr::gaspath
