#include "FlightForm.h"

#include <fstream>
#include <iterator>

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "Atmosphere.h"
#include "FlightConditionFields.h"
#include "VYRutils.h"

namespace vyr::demo {

namespace {

struct FieldDef {
  const char* name;
  const char* caption;
  TParType type;
  int decimals;
};

// In SetFields order: F8 is Mach, then the two airspeeds.
constexpr std::array<FieldDef, 10> kFields{{
    {"Zp", "Pressure altitude", ptAltitude, 1},
    {"dTs", "Temperature offset", ptTempDiff, 2},
    {"Ps", "Static pressure", ptPressure, 1},
    {"Ts", "Static temperature", ptTemperature, 2},
    {"Rho", "Density", ptDensity, 5},
    {"Pt", "Total pressure", ptPressure, 1},
    {"Tt", "Total temperature", ptTemperature, 2},
    {"Mach", "Mach number", ptNone, 4},
    {"Vt", "True airspeed", ptSpeed, 2},
    {"Vc", "Calibrated airspeed", ptSpeed, 2},
}};

enum { fZp, fdTs, fPs, fTs, fRho, fPt, fTt, fMach, fVt, fVc };

bool ReadFileText(const std::string& fileName, std::string& text) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

TFlightForm::TFlightForm(QWidget* owner) : TFieldForm(owner) {
  setWindowTitle("Flight conditions");

  auto* options = new QWidget(this);
  auto* optionsLayout = new QHBoxLayout(options);
  optionsLayout->setContentsMargins(0, 0, 0, 0);
  model_ = new TRadioGrpFld(options);
  model_->setObjectName("AtmosModel");
  model_->setTitle("Atmosphere");
  model_->SetItems({AtmosModelTypeName(0), AtmosModelTypeName(1), AtmosModelTypeName(2) + " (Ps, Ts given)",
                    "Ts given"});
  speed_ = new TRadioGrpFld(options);
  speed_->setObjectName("SpeedOption");
  speed_->setTitle("Speed given");
  speed_->SetItems({"Mach number", "True airspeed", "Calibrated airspeed"});
  units_ = new TRadioGrpFld(options);
  units_->setObjectName("Units");
  units_->setTitle("Units");
  units_->SetItems({"SI", "Imperial"});
  optionsLayout->addWidget(model_);
  optionsLayout->addWidget(speed_);
  optionsLayout->addWidget(units_);
  AddClientWidget(options);

  auto* group = new QGroupBox("Flight condition", this);
  auto* grid = new QGridLayout(group);
  grid->setHorizontalSpacing(24);
  for (std::size_t i = 0; i < kFields.size(); ++i) {
    auto* f = new TNumFld(group);
    f->setObjectName(kFields[i].name);
    f->SetLabelCaption(kFields[i].caption);
    f->SetParType(kFields[i].type);
    f->SetDecimals(kFields[i].decimals);
    f->CaptionLabel()->setMinimumWidth(130);
    f->UnitLabel()->setMinimumWidth(44);
    f->UnitLabel()->setVisible(true);
    f->Editor()->setAlignment(Qt::AlignRight);
    f->Editor()->setMinimumWidth(110);
    f->OnChange = [this](QObject*) {
      if (!updating_) Recalculate();
    };
    fields_[i] = f;
    const int half = static_cast<int>(kFields.size() / 2);
    grid->addWidget(f, static_cast<int>(i) % half, static_cast<int>(i) / half);
  }
  fields_[fZp]->SetMin(-5000);
  fields_[fZp]->SetMax(80000);
  fields_[fMach]->SetMin(0);
  fields_[fVt]->SetMin(0);
  fields_[fVc]->SetMin(0);
  fields_[fPs]->SetMin(1);
  fields_[fTs]->SetMin(1);
  AddClientWidget(group, 1);

  // Save and load sit with the form's own buttons.
  auto* save = new QPushButton("Save XML...", BottomButtonsPanel());
  save->setObjectName("SaveBtn");
  auto* load = new QPushButton("Load XML...", BottomButtonsPanel());
  load->setObjectName("LoadBtn");
  auto* buttons = static_cast<QHBoxLayout*>(BottomButtonsPanel()->layout());
  buttons->insertWidget(0, save);
  buttons->insertWidget(1, load);
  connect(save, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getSaveFileName(this, "Save flight condition", {}, "XML files (*.xml)");
    if (!f.isEmpty()) SaveXml(f.toStdString());
  });
  connect(load, &QPushButton::clicked, this, [this] {
    const QString f = QFileDialog::getOpenFileName(this, "Load flight condition", {}, "XML files (*.xml)");
    if (!f.isEmpty()) LoadXml(f.toStdString());
  });

  const auto optionChanged = [this](QObject*) {
    if (updating_) return;
    UpdateInputs();
    Recalculate();
  };
  model_->OnChange = optionChanged;
  speed_->OnChange = optionChanged;
  units_->OnChange = [this](QObject*) {
    const TUnitSystem system = units_->ItemIndex() == 1 ? usImperial : usSI;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
      TNumFld* f = fields_[i];
      f->SetUnitSystem(system);
      // The quantity's usual decimals in each unit system; Mach and density keep their own.
      const TParType t = kFields[i].type;
      f->SetDecimals(t == ptNone || t == ptDensity ? kFields[i].decimals : ParDecimalsStd[t][system]);
      f->UnitLabel()->setVisible(true);  // keeps the columns aligned for Mach too
    }
  };
}

void TFlightForm::FormCreate() {
  TFieldForm::FormCreate();
  updating_ = true;
  model_->SetItemIndex(1);
  speed_->SetItemIndex(0);
  units_->SetItemIndex(0);
  TAmbConditions amb;
  amb.Zp = 10668;  // a cruise altitude of 35000 ft
  amb.dTs = 10;
  amb.Mach = 0.8;
  SetFields(amb, fields_[fZp], fields_[fdTs], fields_[fPs], fields_[fTs], fields_[fRho], fields_[fPt], fields_[fTt],
            fields_[fMach], fields_[fVt], fields_[fVc]);
  updating_ = false;
  UpdateInputs();
  Recalculate();
}

void TFlightForm::UpdateInputs() {
  const int model = model_->ItemIndex();
  const int speed = speed_->ItemIndex();
  std::array<bool, 10> given{};
  given[fZp] = model != 2;
  given[fdTs] = model == 1;
  given[fPs] = model == 2;
  given[fTs] = model == 2 || model == 3;
  given[fMach] = speed == 0;
  given[fVt] = speed == 1;
  given[fVc] = speed == 2;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    fields_[i]->SetReadOnly(!given[i]);
    // Results in navy, as computed values are shown throughout the program.
    SetControlFontColor(fields_[i], given[i] ? clWindowText : clNavy);
  }
}

bool TFlightForm::Recalculate() {
  TAmbConditions amb;
  GetFields(amb, fields_[fZp], fields_[fdTs], fields_[fPs], fields_[fTs], fields_[fRho], fields_[fPt], fields_[fTt],
            fields_[fMach], fields_[fVt], fields_[fVc]);
  if (!CalcFlyCon(model_->ItemIndex(), speed_->ItemIndex(), amb)) return false;
  updating_ = true;
  SetFields(amb, fields_[fZp], fields_[fdTs], fields_[fPs], fields_[fTs], fields_[fRho], fields_[fPt], fields_[fTt],
            fields_[fMach], fields_[fVt], fields_[fVc]);
  updating_ = false;
  return true;
}

bool TFlightForm::SaveXml(const std::string& fileName) const {
  TVyrXmlDocument doc;
  pugi::xml_node root = doc.Document().append_child("FlightCondition");
  WriteToXML(root);
  pugi::xml_document& d = doc.Document();
  return d.save_file(fileName.c_str(), "  ");
}

bool TFlightForm::LoadXml(const std::string& fileName) {
  // The text is kept so that a refused value can be placed by line and column.
  std::string text;
  pugi::xml_document doc;
  if (!ReadFileText(fileName, text) || !doc.load_buffer(text.data(), text.size())) {
    MessageDlg("Could not read the flight condition file" + std::string(sLineBreak) + fileName, mtError, {mbOK}, 0);
    return false;
  }
  updating_ = true;
  const bool ok = ReadFromXML(doc.child("FlightCondition"));
  updating_ = false;
  UpdateInputs();
  Recalculate();
  if (!ok) {
    std::string report = "Some values of the flight condition file were not read" + std::string(sLineBreak) + fileName;
    if (!ReadErrors().empty()) report += sLineBreak + ReadErrorReport(text);
    MessageDlg(report, mtWarning, {mbOK}, 0);
  }
  return ok;
}

bool TFlightForm::TypeEntry(const std::string& fieldName, const std::string& text) {
  for (TNumFld* f : fields_) {
    if (f->objectName().toStdString() != fieldName) continue;
    f->Editor()->setText(QString::fromStdString(text));
    f->Editor()->setModified(true);
    return f->CommitEdit();
  }
  return false;
}

}  // namespace vyr::demo
