#include "GaspathForms.h"

#include <cmath>
#include <limits>

#include <QLayout>

#include "Fuels.h"

namespace vyr::gaspath {

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const std::vector<std::string> kEffTypes = {"Isentropic", "Polytropic"};

}  // namespace

// --- Forms: inputs ------------------------------------------------------------

TAmbientForm::TAmbientForm(QWidget* owner) : TGasPathForm(owner) {
  setWindowTitle(QStringLiteral("Ambient and flight condition"));
  Altdes = AddNumFld("Altdes", "Altitude", ptAltitude, 0.0, -5000.0, 80000.0, "Pressure altitude");
  Machdes = AddNumFld("Machdes", "Mach", ptNone, 0.0, 0.0, 3.0, "Flight Mach number");
  dTdes = AddNumFld("dTdes", "dT ISA", ptTempDiff, 0.0, -100.0, 100.0, "Offset from the standard temperature");
}

TInletForm::TInletForm(QWidget* owner) : TGasPathForm(owner) {
  setWindowTitle(QStringLiteral("Inlet"));
  Wdes = AddNumFld("Wdes", "Air flow", ptMassFlow, 20.0, 1e-6, 1e5, "Engine inlet air mass flow");
  PRdes = AddNumFld("PRdes", "Pressure recovery", ptNone, 0.99, 0.5, 1.0, "Total-pressure recovery Pt2/Pt0");
}

TDuctForm::TDuctForm(QWidget* owner) : TGasPathForm(owner) {
  setWindowTitle(QStringLiteral("Duct"));
  dPdes = AddNumFld("dPdes", "Pressure loss", ptNone, 0.0, 0.0, 0.5, "Relative total-pressure loss dPt/Pt_in");
}

TCompressorForm::TCompressorForm(QWidget* owner) : TGasPathForm(owner) {
  setWindowTitle(QStringLiteral("Compressor"));
  PRdes = AddNumFld("PRdes", "Pressure ratio", ptNone, 10.0, 1.0, 100.0, "Pt_out/Pt_in");
  Effdes = AddNumFld("Effdes", "Efficiency", ptNone, 0.85, 0.3, 1.0);
  EffType = AddRadioGrp("EffType", "Efficiency type", kEffTypes, 0);
  ShaftNrdes = AddNumFld("ShaftNrdes", "Shaft nr.", ptNone, 1, 1, 9, "Number of the shaft that drives it");
  ShaftNrdes->SetIntegerOnly(true);
  ShaftNrdes->SetDecimals(0);
  const char* hint = "Bleed flow at the exit, fraction of the inlet flow";
  const char* nameHint = "Name by which a turbine takes this bleed as cooling air";
  const char* dHhint = "Where the bleed leaves: fraction of the enthalpy rise (1: at the exit)";
  Bleed1des = AddNumFld("Bleed1des", "Bleed 1", ptNone, 0.0, 0.0, 0.5, hint);
  Bleed1dHdes = AddNumFld("Bleed1dHdes", "Bleed 1 enthalpy fraction", ptNone, 1.0, 0.0, 1.0, dHhint);
  Bleed1Name = AddStringFld("Bleed1Name", "Bleed 1 name", nameHint);
  Bleed2des = AddNumFld("Bleed2des", "Bleed 2", ptNone, 0.0, 0.0, 0.5, hint);
  Bleed2dHdes = AddNumFld("Bleed2dHdes", "Bleed 2 enthalpy fraction", ptNone, 1.0, 0.0, 1.0, dHhint);
  Bleed2Name = AddStringFld("Bleed2Name", "Bleed 2 name", nameHint);
  Bleed3des = AddNumFld("Bleed3des", "Bleed 3", ptNone, 0.0, 0.0, 0.5, hint);
  Bleed3dHdes = AddNumFld("Bleed3dHdes", "Bleed 3 enthalpy fraction", ptNone, 1.0, 0.0, 1.0, dHhint);
  Bleed3Name = AddStringFld("Bleed3Name", "Bleed 3 name", nameHint);
  MapFile = AddStringFld("MapFile", "Map file", "Compressor map file, relative to the model file (empty: no map)",
                         true);
  AddMapScalars(MapScalars, MapsN, MapsW, MapsPR, MapsEff);
  MapWc = AddNumFld("MapWc", "Design corrected flow", ptMassFlow, 0.0, 0.0, kInf,
                    "Corrected flow at the design point, kept for off design");
  InMachdes = AddNumFld("InMachdes", "Face Mach number", ptNone, 0.5, 0.0, 0.95,
                        "Sizes the face area at design (0: no statics at the face)");
  OutMachdes = AddNumFld("OutMachdes", "Exit Mach number", ptNone, 0.3, 0.0, 0.95,
                         "Sizes the exit (burner inlet) area at design (0: no statics at the exit)");
  AinDesign = AddNumFld("AinDesign", "Design face area", ptArea, 0.0, 0.0, kInf,
                        "Face area of the design point, kept off design (0: not calculated)");
  AoutDesign = AddNumFld("AoutDesign", "Design exit area", ptArea, 0.0, 0.0, kInf,
                         "Exit area of the design point, kept off design (0: not calculated)");
  connect(MapScalars, &TRadioGrpFld::Changed, this, &TCompressorForm::InitializeControlStates);
  InitializeControlStates();
}

namespace {

// Fixed scalars are the calibration of the map: each must be given.
std::string FixedScalarsProblem(const TStringFld* file, const TRadioGrpFld* source,
                                std::initializer_list<const TNumFld*> scalars) {
  if (file->Text().empty() || source->ItemIndex() != 1) return {};
  for (const TNumFld* f : scalars)
    if (!(f->GetValue() > 0))
      return "The map scalars are fixed (calibrated map), but " + f->LabelCaption() + " is " +
             ValueText(f->GetValue(), ptNone) + ": a fixed scalar must be positive";
  return {};
}

}  // namespace

void TCompressorForm::InitializeControlStates() {
  TGasPathForm::InitializeControlStates();
  for (TNumFld* f : {MapsN, MapsW, MapsPR, MapsEff}) f->setEnabled(ScalarsFixed());
}

std::string TCompressorForm::InputProblem() const {
  const double sum = Bleed1des->GetValue() + Bleed2des->GetValue() + Bleed3des->GetValue();
  if (!(sum < 1.0)) return "The bleeds take " + ValueText(sum, ptNone) + " of the inlet flow, no flow is left";
  return FixedScalarsProblem(MapFile, MapScalars, {MapsN, MapsW, MapsPR, MapsEff});
}

bool TCompressorForm::InputActive(const TNumFld* field) const {
  if (field == MapsN || field == MapsW || field == MapsPR || field == MapsEff || field == MapWc)
    return !MapFile->Text().empty();
  if (field == Bleed1dHdes) return Bleed1des->GetValue() > 0;
  if (field == Bleed2dHdes) return Bleed2des->GetValue() > 0;
  if (field == Bleed3dHdes) return Bleed3des->GetValue() > 0;
  return true;
}

TSplitterForm::TSplitterForm(QWidget* owner) : TGasPathForm(owner) {
  setWindowTitle(QStringLiteral("Splitter"));
  BPRdes = AddNumFld("BPRdes", "Bypass ratio", ptNone, 1.0, 0.0, 100.0, "Bypass flow (Out2) over core flow (Out1)");
}

TBurnerForm::TBurnerForm(QWidget* owner) : TGasPathForm(owner) {
  setWindowTitle(QStringLiteral("Burner"));
  Texitdes = AddNumFld("Texitdes", "Exit temperature", ptTemperature, 1400.0, 500.0, 2500.0);
  Effdes = AddNumFld("Effdes", "Efficiency", ptNone, 0.995, 0.5, 1.0, "Combustion efficiency");
  dPdes = AddNumFld("dPdes", "Pressure loss", ptNone, 0.05, 0.0, 0.5, "Relative total-pressure loss");
  std::vector<std::string> fuels;
  for (const TFuelProps& f : FuelDataArray) fuels.emplace_back(f.FuelName);
  Fuel = AddRadioGrp("Fuel", "Fuel", fuels, ftAvtur);
  Fuel->SetColumns(2);  // two columns fit the form's width
  Tfueldes = AddNumFld("Tfueldes", "Fuel temperature", ptTemperature, 298.15, 200.0, 1000.0);
  HCdes = AddNumFld("HCdes", "User fuel H/C", ptNone, 2.0, 0.0, 10.0, "Hydrogen-to-carbon atom ratio");
  OCdes = AddNumFld("OCdes", "User fuel O/C", ptNone, 0.0, 0.0, 10.0, "Oxygen-to-carbon atom ratio");
  LHVdes = AddNumFld("LHVdes", "User fuel LHV", ptSpecEnthalpy, 43.0e6, 1.0e6, 150.0e6, "Lower heating value");
  connect(Fuel, &TRadioGrpFld::Changed, this, &TBurnerForm::InitializeControlStates);
  InitializeControlStates();
}

bool TBurnerForm::InputActive(const TNumFld* field) const {
  if (field == HCdes || field == OCdes || field == LHVdes) return Fuel->ItemIndex() == ftUserSpec;
  return true;
}

void TBurnerForm::InitializeControlStates() {
  TGasPathForm::InitializeControlStates();
  for (TNumFld* f : {HCdes, OCdes, LHVdes}) f->setEnabled(InputActive(f));
}

TTurbineForm::TTurbineForm(QWidget* owner) : TGasPathForm(owner) {
  setWindowTitle(QStringLiteral("Turbine"));
  Effdes = AddNumFld("Effdes", "Efficiency", ptNone, 0.88, 0.3, 1.0);
  EffType = AddRadioGrp("EffType", "Efficiency type", kEffTypes, 0);
  ShaftNrdes = AddNumFld("ShaftNrdes", "Shaft nr.", ptNone, 1, 1, 9, "Number of the shaft it drives");
  RotorInStation = AddNumFld("RotorInStation", "Rotor inlet station", ptNone, 0, 0, 10000,
                             "Station after the inlet cooling mix (0: not recorded)");
  RotorExitStation = AddNumFld("RotorExitStation", "Rotor exit station", ptNone, 0, 0, 10000,
                               "Station before the exit cooling mix (0: not recorded)");
  for (TNumFld* f : {ShaftNrdes, RotorInStation, RotorExitStation}) {
    f->SetIntegerOnly(true);
    f->SetDecimals(0);
  }
  const char* hint = "Name of the compressor bleed that supplies this cooling flow (empty: none)";
  const std::vector<std::string> at = {"Inlet (does work)", "Exit (no work)"};
  Cool1Name = AddStringFld("Cool1Name", "Cooling flow 1 from bleed", hint);
  Cool1At = AddRadioGrp("Cool1At", "Cooling flow 1 enters at", at, 0);
  Cool2Name = AddStringFld("Cool2Name", "Cooling flow 2 from bleed", hint);
  Cool2At = AddRadioGrp("Cool2At", "Cooling flow 2 enters at", at, 1);
  MapFile = AddStringFld("MapFile", "Map file", "Turbine map file, relative to the model file (empty: no map)", true);
  AddMapScalars(MapScalars, MapsN, MapsW, MapsPR, MapsEff);
  MapWp = AddNumFld("MapWp", "Design flow parameter", ptNone, 0.0, 0.0, kInf,
                    "W sqrt(Tt)/Pt at the design point [kg sqrt(K)/(s Pa)], kept for off design");
  connect(MapScalars, &TRadioGrpFld::Changed, this, &TTurbineForm::InitializeControlStates);
  InitializeControlStates();
}

void TTurbineForm::InitializeControlStates() {
  TGasPathForm::InitializeControlStates();
  for (TNumFld* f : {MapsN, MapsW, MapsPR, MapsEff}) f->setEnabled(ScalarsFixed());
}

std::string TTurbineForm::InputProblem() const {
  return FixedScalarsProblem(MapFile, MapScalars, {MapsN, MapsW, MapsPR, MapsEff});
}

bool TTurbineForm::InputActive(const TNumFld* field) const {
  if (field == MapsN || field == MapsW || field == MapsPR || field == MapsEff || field == MapWp)
    return !MapFile->Text().empty();
  return true;
}

TNozzleForm::TNozzleForm(QWidget* owner) : TGasPathForm(owner) {
  setWindowTitle(QStringLiteral("Exhaust nozzle"));
  CVdes = AddNumFld("CVdes", "Velocity coefficient", ptNone, 0.98, 0.5, 1.0, "Jet velocity / isentropic velocity");
  CDdes = AddNumFld("CDdes", "Discharge coefficient", ptNone, 1.0, 0.5, 1.0,
                    "Effective / geometric throat area");
  NozzleType = AddRadioGrp("NozzleType", "Nozzle", {"Convergent", "Convergent-divergent"}, 0);
  ThroatStation = AddNumFld("ThroatStation", "Throat station", ptNone, 8, 0, 10000);
  ExitStation = AddNumFld("ExitStation", "Exit station", ptNone, 9, 0, 10000);
  A8Design = AddNumFld("A8Design", "Design throat area", ptArea, 0.0, 0.0, kInf,
                       "Throat area of the design point, kept off design (0: not calculated)");
  W8Design = AddNumFld("W8Design", "Design nozzle flow", ptMassFlow, 0.0, 0.0, kInf,
                       "Flow of the design point, the scale of the throat's off-design error");
  for (TNumFld* f : {ThroatStation, ExitStation}) {
    f->SetIntegerOnly(true);
    f->SetDecimals(0);
  }
}

std::string TNozzleForm::InputProblem() const {
  if (std::lround(ThroatStation->GetValue()) == std::lround(ExitStation->GetValue()))
    return "The throat and the exit need two station numbers";
  return {};
}

TShaftForm::TShaftForm(QWidget* owner) : TGasPathForm(owner) {
  setWindowTitle(QStringLiteral("Shaft"));
  ShaftNrdes = AddNumFld("ShaftNrdes", "Shaft nr.", ptNone, 1, 1, 9, "Named by its compressors and turbines");
  ShaftNrdes->SetIntegerOnly(true);
  ShaftNrdes->SetDecimals(0);
  Ndes = AddNumFld("Ndes", "Speed", ptRotSpeed, 10000.0, 0.0, 1e6);
  EffMechdes = AddNumFld("EffMechdes", "Mechanical efficiency", ptNone, 0.99, 0.5, 1.0,
                         "Turbine power delivered to the compressors and the offtake");
  PWoffdes = AddNumFld("PWoffdes", "Power offtake", ptPower, 0.0, 0.0, kInf);
  PWDesign = AddNumFld("PWDesign", "Design power", ptPower, 0.0, 0.0, kInf,
                       "Power the shaft carried at the design point, the scale of its off-design balance");
}

// --- Results in report order ----------------------------------------------------

std::vector<TResult> TAmbientForm::Results() const {
  return {{"Ps0", &Ps0_, ptPressure}, {"Ts0", &Ts0_, ptTemperature}, {"V0", &V0_, ptSpeed}, {"FN", &FN_, ptForce}};
}
std::vector<TResult> TInletForm::Results() const {
  return {{"W", &W_, ptMassFlow}, {"Pt", &Pt_, ptPressure}, {"Tt", &Tt_, ptTemperature}};
}
std::vector<TResult> TDuctForm::Results() const { return {{"PR", &PR_, ptNone}, {"Pt", &Pt_, ptPressure}}; }
std::vector<TResult> TCompressorForm::Results() const {
  return {{"Eff", &Eff_, ptNone},
          {"EffPoly", &EffPoly_, ptNone},
          {"PW", &PW_, ptPower},
          {"Tt", &Tt_, ptTemperature},
          {"Pt", &Pt_, ptPressure}};
}
std::vector<TResult> TSplitterForm::Results() const {
  return {{"Wcore", &Wcore_, ptMassFlow}, {"Wbypass", &Wbypass_, ptMassFlow}};
}
std::vector<TResult> TBurnerForm::Results() const {
  return {{"FAR", &FAR_, ptNone}, {"Wf", &Wf_, ptFuelFlow}, {"Pt", &Pt_, ptPressure}};
}
std::vector<TResult> TTurbineForm::Results() const {
  return {{"PR", &PR_, ptNone},
          {"Eff", &Eff_, ptNone},
          {"EffPoly", &EffPoly_, ptNone},
          {"PW", &PW_, ptPower},
          {"Tt", &Tt_, ptTemperature}};
}
std::vector<TResult> TNozzleForm::Results() const {
  return {{"FG", &FG_, ptForce},
          {"FGp", &FGp_, ptForce},
          {"A8", &A8_, ptArea},
          {"A9", &A9_, ptArea},
          {"V9", &V9_, ptSpeed}};
}
std::vector<TResult> TShaftForm::Results() const { return {{"PWc", &PWc_, ptPower}, {"PWt", &PWt_, ptPower}}; }

}  // namespace vyr::gaspath
