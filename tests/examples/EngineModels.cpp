#include "EngineModels.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <stdexcept>

#include "ClassRegistry.h"
#include "Fuels.h"
#include "VyrNativeXml.h"
#include "vyrcompf.h"

namespace vyr::examples {

namespace {

constexpr int kPitch = 60;  // spacing at which neighbouring icons link [px]

struct TStationNrs {
  double in1 = -1, out1 = -1, out2 = -1;
};

// Creates an icon of a registered class with its form, named, numbered in
// the calculation order and with the station numbers of its links.
TVYRcomp* Place(QWidget* canvas, const char* cls, const char* id, int nr, int x, int y, TStationNrs st = {}) {
  TVYRcomp* c = CreateRegisteredClass<TVYRcomp>(cls, canvas);
  if (c == nullptr) throw std::runtime_error(std::string("component class not registered: ") + cls);
  c->setObjectName(QString::fromUtf8(id));
  c->move(x, y);
  if (TVYRLink* l = c->GetLink(ltIn1)) l->SetStation(st.in1);
  if (TVYRLink* l = c->GetLink(ltOut1)) l->SetStation(st.out1);
  if (TVYRLink* l = c->GetLink(ltOut2)) l->SetStation(st.out2);
  if (!c->CompformCreate()) throw std::runtime_error(std::string("no form for ") + cls);
  c->Compform->EnsureCreated();
  c->Compform->SetComponentName(id);
  c->Compform->SetCalcNumber(nr);
  return c;
}

template <class T>
T* Field(TVYRcomp* comp, const char* field) {
  auto* f = comp->Compform ? dynamic_cast<T*>(comp->Compform->FindField(field)) : nullptr;
  if (f == nullptr) throw std::runtime_error(comp->objectName().toStdString() + " has no field " + field);
  return f;
}

// The single-spool turbojet's components in a row (the shaft below the
// compressor), stations 0, 2, 3, 4, 5, 8, 9.
std::vector<TVYRcomp*> PlaceTurbojet(QWidget* canvas) {
  const int x = 20, y = 40;
  return {
      Place(canvas, "TAmbientComp", "Ambient", 1, x, y, {-1, 0}),
      Place(canvas, "TInletComp", "Inlet", 2, x + kPitch, y, {0, 2}),
      Place(canvas, "TCompressorComp", "Compressor", 3, x + 2 * kPitch, y, {2, 3}),
      Place(canvas, "TBurnerComp", "Burner", 4, x + 3 * kPitch, y, {3, 4}),
      Place(canvas, "TTurbineComp", "Turbine", 5, x + 4 * kPitch, y, {4, 5}),
      Place(canvas, "TNozzleComp", "Nozzle", 6, x + 5 * kPitch, y, {5}),
      Place(canvas, "TShaftComp", "Shaft", 7, x + 2 * kPitch, y + 100),
  };
}

}  // namespace

// Each case changes what its name says and nothing else.
const char* const kTurbojetCases =
    "<Case ID=\"NozzleCV095\">"
    "<Components><TVYRcomp ID=\"Nozzle\"><CVdes>0.95</CVdes></TVYRcomp></Components>"
    "</Case>"
    "<Case ID=\"CDNozzle\">"
    "<Components><TVYRcomp ID=\"Nozzle\"><NozzleType>1</NozzleType></TVYRcomp></Components>"
    "</Case>"
    "<Case ID=\"Polytropic\">"
    "<Components><TVYRcomp ID=\"Compressor\"><EffType>1</EffType></TVYRcomp>"
    "<TVYRcomp ID=\"Turbine\"><EffType>1</EffType></TVYRcomp></Components>"
    "</Case>"
    "<Case ID=\"Cruise\">"
    "<Components><TVYRcomp ID=\"Ambient\"><Altdes>11000</Altdes><Machdes>0.8</Machdes></TVYRcomp></Components>"
    "</Case>"
    "<Case ID=\"UserFuel\">"
    "<Components><TVYRcomp ID=\"Burner\"><Fuel>10</Fuel><HCdes>1.94</HCdes><LHVdes>42798400</LHVdes>"
    "</TVYRcomp></Components>"
    "</Case>";

void SetNum(TVYRcomp* comp, const char* field, double value) { Field<TNumFld>(comp, field)->SetValue(value); }
void SetText(TVYRcomp* comp, const char* field, const char* text) { Field<TStringFld>(comp, field)->SetText(text); }
void SetOption(TVYRcomp* comp, const char* field, int index) {
  Field<TRadioGrpFld>(comp, field)->SetItemIndex(index);
}

TVYRcomp* FindComp(const std::vector<TVYRcomp*>& comps, const std::string& id) {
  for (TVYRcomp* c : comps)
    if (c->objectName().toStdString() == id) return c;
  return nullptr;
}

std::vector<TVYRcomp*> BuildTurbojet(QWidget* canvas) {
  std::vector<TVYRcomp*> c = PlaceTurbojet(canvas);
  // The defaults of the forms are those of `vyr cycle turbojet`; written out
  // here so that the model states them.
  SetNum(c[1], "Wdes", 20.0);
  SetNum(c[1], "PRdes", 0.99);
  SetNum(c[2], "PRdes", 10.0);
  SetNum(c[2], "Effdes", 0.85);
  SetNum(c[3], "Texitdes", 1400.0);
  SetNum(c[3], "Effdes", 0.995);
  SetNum(c[3], "dPdes", 0.05);
  SetNum(c[4], "Effdes", 0.88);
  SetNum(c[5], "CVdes", 0.98);
  SetNum(c[6], "EffMechdes", 0.99);
  return c;
}

std::vector<TVYRcomp*> BuildTurbofan(QWidget* canvas) {
  // The splitter's inlet is 35 px below its top, its bypass outlet 5 px above
  // and its core outlet 75 px below: three rows of icons that do not overlap.
  const int x = 20, yS = 40;
  const int yFan = yS + 35, yBypass = yS - 5, yCore = yS + 75, yShaft = yCore + 100;
  auto col = [&](int k) { return x + k * kPitch; };
  std::vector<TVYRcomp*> c = {
      Place(canvas, "TAmbientComp", "Ambient", 1, col(0), yFan, {-1, 0}),
      Place(canvas, "TInletComp", "Inlet", 2, col(1), yFan, {0, 2}),
      Place(canvas, "TCompressorComp", "Fan", 3, col(2), yFan, {2, 12}),
      Place(canvas, "TSplitterComp", "Splitter", 4, col(3), yS, {12, 21, 13}),
      Place(canvas, "TDuctComp", "FanHubDuct", 5, col(4), yCore, {21, 22}),
      Place(canvas, "TCompressorComp", "Booster", 6, col(5), yCore, {22, 24}),
      Place(canvas, "TDuctComp", "BoosterDuct", 7, col(6), yCore, {24, 25}),
      Place(canvas, "TCompressorComp", "HPC", 8, col(7), yCore, {25, 3}),
      Place(canvas, "TBurnerComp", "Burner", 9, col(8), yCore, {3, 4}),
      Place(canvas, "TTurbineComp", "HPT", 10, col(9), yCore, {4, 44}),
      Place(canvas, "TDuctComp", "InterTurbineDuct", 11, col(10), yCore, {44, 45}),
      Place(canvas, "TTurbineComp", "LPT", 12, col(11), yCore, {45, 5}),
      Place(canvas, "TDuctComp", "ExitDuct", 13, col(12), yCore, {5, 7}),
      Place(canvas, "TNozzleComp", "CoreNozzle", 14, col(13), yCore, {7}),
      Place(canvas, "TDuctComp", "BypassDuct", 15, col(4), yBypass, {13, 17}),
      Place(canvas, "TNozzleComp", "BypassNozzle", 16, col(5), yBypass, {17}),
      Place(canvas, "TShaftComp", "HPShaft", 17, col(8), yShaft),
      Place(canvas, "TShaftComp", "LPShaft", 18, col(11), yShaft),
  };
  auto at = [&](const char* id) { return FindComp(c, id); };
  SetNum(at("Ambient"), "Altdes", 0.0);
  SetNum(at("Ambient"), "Machdes", 0.0);
  SetNum(at("Ambient"), "dTdes", 15.0);
  SetNum(at("Inlet"), "Wdes", 1539.2 * kKgPerLbm);
  SetNum(at("Inlet"), "PRdes", 0.992);
  SetNum(at("Fan"), "PRdes", 1.60306);
  SetNum(at("Fan"), "Effdes", 0.90380);
  SetNum(at("Fan"), "ShaftNrdes", 1);
  SetNum(at("Splitter"), "BPRdes", 5.27511);
  SetNum(at("FanHubDuct"), "dPdes", 0.0025);
  SetNum(at("Booster"), "PRdes", 2.25);
  SetNum(at("Booster"), "Effdes", 0.86575);
  SetNum(at("Booster"), "ShaftNrdes", 1);
  SetNum(at("BoosterDuct"), "dPdes", 0.0025);
  SetNum(at("HPC"), "PRdes", 5.67905);
  SetNum(at("HPC"), "Effdes", 0.862469);
  SetNum(at("HPC"), "ShaftNrdes", 2);
  SetNum(at("HPC"), "Bleed1des", 0.055);
  SetText(at("HPC"), "Bleed1Name", "HPT inlet cooling");
  SetNum(at("HPC"), "Bleed2des", 0.035);
  SetText(at("HPC"), "Bleed2Name", "HPT exit cooling");
  SetNum(at("Burner"), "Texitdes", 2730.0 * kKPerRankine);
  SetNum(at("Burner"), "Effdes", 0.994);
  SetNum(at("Burner"), "dPdes", 0.055);
  SetOption(at("Burner"), "Fuel", Field<TRadioGrpFld>(at("Burner"), "Fuel")->Count() - 1);  // user fuel
  SetNum(at("Burner"), "HCdes", 1.94);
  SetNum(at("Burner"), "OCdes", 0.0);
  SetNum(at("Burner"), "LHVdes", 18400.0 * kJPerKgPerBtuPerLbm);
  SetNum(at("HPT"), "Effdes", 0.91445);
  SetNum(at("HPT"), "ShaftNrdes", 2);
  SetNum(at("HPT"), "RotorInStation", 41);
  SetText(at("HPT"), "Cool1Name", "HPT inlet cooling");
  SetOption(at("HPT"), "Cool1At", 0);
  SetText(at("HPT"), "Cool2Name", "HPT exit cooling");
  SetOption(at("HPT"), "Cool2At", 1);
  SetNum(at("InterTurbineDuct"), "dPdes", 0.005);
  SetNum(at("LPT"), "Effdes", 0.92880);
  SetNum(at("LPT"), "ShaftNrdes", 1);
  SetNum(at("ExitDuct"), "dPdes", 0.01);
  SetNum(at("CoreNozzle"), "CVdes", 0.9999);
  SetNum(at("BypassDuct"), "dPdes", 0.0075);
  SetNum(at("BypassNozzle"), "CVdes", 0.9975);
  SetNum(at("BypassNozzle"), "ThroatStation", 18);
  SetNum(at("BypassNozzle"), "ExitStation", 19);
  SetNum(at("HPShaft"), "ShaftNrdes", 2);
  SetNum(at("HPShaft"), "Ndes", 8000.0);
  SetNum(at("HPShaft"), "EffMechdes", 1.0);
  SetNum(at("LPShaft"), "ShaftNrdes", 1);
  SetNum(at("LPShaft"), "Ndes", 3750.0);
  SetNum(at("LPShaft"), "EffMechdes", 1.0);
  return c;
}

std::vector<TVYRcomp*> BuildTurbojetOnMaps(QWidget* canvas, const std::string& mapsModelDir) {
  std::vector<TVYRcomp*> c = PlaceTurbojet(canvas);
  const double hc = 4.0044 / 2.0;
  SetNum(c[1], "PRdes", 1.0);
  SetNum(c[2], "PRdes", 13.5);
  SetNum(c[2], "Effdes", 0.83);
  SetText(c[2], "MapFile", "maps/AXI5.map");
  SetNum(c[3], "Texitdes", 2370.0 * kKPerRankine);
  SetNum(c[3], "Effdes", 1.0);
  SetNum(c[3], "dPdes", 0.03);
  SetOption(c[3], "Fuel", Field<TRadioGrpFld>(c[3], "Fuel")->Count() - 1);  // user fuel
  SetNum(c[3], "HCdes", hc);
  SetNum(c[3], "OCdes", 0.0);
  // A formation enthalpy of 0 at 298.15 K: the heating value is that of the products alone.
  SetNum(c[3], "LHVdes", -FormEnthFromHeatValue(hc, 0.0, 0.0));
  SetNum(c[3], "Tfueldes", 298.15);
  SetNum(c[4], "Effdes", 0.86);
  SetText(c[4], "MapFile", "maps/LPT2269.map");
  SetOption(c[5], "NozzleType", 1);
  SetNum(c[5], "CVdes", 0.99);
  SetNum(c[6], "Ndes", 8070.0);
  SetNum(c[6], "EffMechdes", 1.0);
  // The air flow that gives the thrust: net thrust is nearly proportional to
  // it, so the secant method needs a few design runs.
  const double target = kReferenceThrustLbf * kNPerLbf;
  auto thrust = [&](double W) {
    SetNum(c[1], "Wdes", W);
    engine::TEngineState s;
    s.modelDir = mapsModelDir;
    std::string failure;
    if (!RunDesignPoint(c, s, failure)) throw std::runtime_error(failure);
    return s.performance.FN - target;
  };
  double W0 = 100.0, F0 = thrust(W0);
  double W1 = W0 * target / (F0 + target);
  for (int k = 0; k < 30; ++k) {
    const double F1 = thrust(W1);
    if (std::fabs(F1) <= 1e-9 * target) return c;
    const double W2 = W1 - F1 * (W1 - W0) / (F1 - F0);
    W0 = W1;
    F0 = F1;
    W1 = W2;
  }
  throw std::runtime_error("no air flow gives the reference thrust");
}

bool RunDesignPoint(const std::vector<TVYRcomp*>& comps, engine::TEngineState& state, std::string& failure) {
  failure.clear();
  LinkAllComps(comps);
  std::vector<TVYRcompform*> order;
  for (TVYRcomp* c : comps) {
    if (!c->SetModelLinks(true)) {
      failure = c->CompIDstr() + ": not linked";
      return false;
    }
    if (c->Compform) order.push_back(c->Compform);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const TVYRcompform* a, const TVYRcompform* b) { return a->CalcNumber() < b->CalcNumber(); });
  engine::TActiveEngineState scope(state);
  const std::function<bool(TVYRcompform&)> phases[] = {
      [](TVYRcompform& f) { return f.ValidateInputData(); },
      [](TVYRcompform& f) { return f.CalculationReset(), true; },
      [](TVYRcompform& f) { return f.CalcStart(cmDesign); },
      [](TVYRcompform& f) { return f.Calc(cmDesign); },
      [](TVYRcompform& f) { return f.CalcFinish(cmDesign); },
  };
  for (const auto& phase : phases)
    for (TVYRcompform* f : order)
      if (!phase(*f)) {
        failure = f->IDstr() + ": " + f->ErrorWarningText;
        return false;
      }
  return true;
}

std::string ModelFileText(const std::vector<TVYRcomp*>& comps, const std::string& extraXml) {
  TVyrXmlDocument doc;
  TVyrXmlNode cfg = doc.Document().append_child("VYRmodel").append_child("BaseCfg");
  WriteCompsToXML(comps, cfg);
  if (!extraXml.empty()) {
    pugi::xml_document extra;
    if (!extra.load_string(extraXml.c_str())) throw std::runtime_error("invalid extra XML");
    for (pugi::xml_node n : extra.children()) cfg.append_copy(n);
  }
  return doc.SaveToString();
}

}  // namespace vyr::examples
