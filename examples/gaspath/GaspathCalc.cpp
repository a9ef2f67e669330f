// The forms' calculations: each builds its component of the engine layer from
// its inputs and its icon's station numbers, runs it on the state of the run
// in progress, and keeps its results.
#include <cmath>

#include "Engine.h"
#include "EngineComponents.h"
#include "EngineState.h"
#include "GaspathForms.h"

namespace vyr::gaspath {

namespace {

int IntOf(const TNumFld* f) { return static_cast<int>(std::lround(f->GetValue())); }

// The last result of a machine or nozzle of that name (a component recorded
// once per run, so the last is this run's).
template <class T>
const T* Named(const std::vector<T>& list, const std::string& name) {
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (it->name == name) return &*it;
  return nullptr;
}

}  // namespace

engine::TEngineState* TGasPathForm::State() {
  engine::TEngineState* s = engine::ActiveEngineState();
  if (s == nullptr) Fail("No engine calculation is in progress");
  return s;
}

bool TGasPathForm::FreshStation(const engine::TEngineState& state, int station) {
  if (state.Find(station) == nullptr) return true;
  return Fail("Station " + std::to_string(station) + " has been set by another component already");
}

bool TGasPathForm::InletAndOutlet(const engine::TEngineState& state, int& in, int& out) {
  return Station(ltIn1, in) && Station(ltOut1, out) && FreshStation(state, out);
}

bool TGasPathForm::RunComponent(engine::TComponent& component, engine::TEngineState& state) {
  component.name = ComponentName();
  if (component.Calc(state)) return true;
  return Fail(state.error.empty() ? "The calculation failed" : state.error);
}

// --- Ambient ---------------------------------------------------------------------

// The flight condition is set before any component calculates, so that the
// inlet and the nozzles find it whatever the calculation order.
bool TAmbientForm::CalcStart(TCalcMode mode) {
  if (!TGasPathForm::CalcStart(mode)) return false;
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TAmbient a("");
  if (!Station(ltOut1, a.outStation)) return false;
  a.altitude = Altdes->GetValue();
  a.mach = Machdes->GetValue();
  a.dT = dTdes->GetValue();
  if (!RunComponent(a, *s)) return false;
  Ps0_ = s->ambient.Ps;
  Ts0_ = s->ambient.Ts;
  V0_ = s->V0;
  return true;
}

// Once every component has calculated: the performance summary (net thrust,
// fuel consumption) and the check of every shaft's power balance.
bool TAmbientForm::CalcFinish(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  if (!engine::Summarize(*s)) return Fail(s->error);
  FN_ = s->performance.FN;
  return TGasPathForm::CalcFinish(mode);
}

// --- Gas-path components ---------------------------------------------------------

bool TInletForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TInlet c("");
  if (!InletAndOutlet(*s, c.inStation, c.outStation)) return false;
  c.W = Wdes->GetValue();
  c.recovery = PRdes->GetValue();
  if (!RunComponent(c, *s)) return false;
  const TGasconditions& g = s->Find(c.outStation)->gas;
  W_ = g.W;
  Pt_ = g.Pt;
  Tt_ = g.Tt;
  return TGasPathForm::Calc(mode);
}

bool TDuctForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TDuct c("");
  if (!InletAndOutlet(*s, c.inStation, c.outStation)) return false;
  c.loss = dPdes->GetValue();
  if (!RunComponent(c, *s)) return false;
  Pt_ = s->Find(c.outStation)->gas.Pt;
  PR_ = Pt_ / s->Find(c.inStation)->gas.Pt;
  return TGasPathForm::Calc(mode);
}

bool TCompressorForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TCompressor c("");
  if (!InletAndOutlet(*s, c.inStation, c.outStation)) return false;
  c.shaft = IntOf(ShaftNrdes);
  c.PR = PRdes->GetValue();
  c.eff = Effdes->GetValue();
  c.polytropic = EffType->ItemIndex() == 1;
  const struct {
    TNumFld* flow;
    TNumFld* dH;
    TStringFld* name;
  } bleeds[] = {{Bleed1des, Bleed1dHdes, Bleed1Name}, {Bleed2des, Bleed2dHdes, Bleed2Name},
                {Bleed3des, Bleed3dHdes, Bleed3Name}};
  for (int k = 0; k < 3; ++k) {
    if (!(bleeds[k].flow->GetValue() > 0)) continue;
    std::string name = bleeds[k].name->Text();
    if (name.empty()) name = ComponentName() + " bleed " + std::to_string(k + 1);
    c.bleeds.push_back({name, bleeds[k].flow->GetValue(), bleeds[k].dH->GetValue()});
  }
  if (!RunComponent(c, *s)) return false;
  const TGasconditions& g = s->Find(c.outStation)->gas;
  Pt_ = g.Pt;
  Tt_ = g.Tt;
  if (const engine::TMachineResult* m = Named(s->performance.machines, c.name)) {
    Eff_ = m->effIs;
    EffPoly_ = m->effPoly;
    PW_ = m->power;
  }
  return TGasPathForm::Calc(mode);
}

bool TSplitterForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TSplitter c("");
  if (!Station(ltIn1, c.inStation) || !Station(ltOut1, c.coreStation) || !Station(ltOut2, c.bypassStation) ||
      !FreshStation(*s, c.coreStation) || !FreshStation(*s, c.bypassStation))
    return false;
  c.BPR = BPRdes->GetValue();
  if (!RunComponent(c, *s)) return false;
  Wcore_ = s->Find(c.coreStation)->gas.W;
  Wbypass_ = s->Find(c.bypassStation)->gas.W;
  return TGasPathForm::Calc(mode);
}

bool TBurnerForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TBurner c("");
  if (!InletAndOutlet(*s, c.inStation, c.outStation)) return false;
  const int fuel = Fuel->ItemIndex();
  if (fuel < 0 || fuel >= FuelTypeCount) return Fail("No fuel selected");
  c.fuel = fuel == ftUserSpec ? engine::UserFuel(HCdes->GetValue(), OCdes->GetValue(), LHVdes->GetValue())
                              : engine::TableFuel(static_cast<TFuelType>(fuel));
  c.Tt = Texitdes->GetValue();
  c.eff = Effdes->GetValue();
  c.loss = dPdes->GetValue();
  c.Tfuel = Tfueldes->GetValue();
  if (!RunComponent(c, *s)) return false;
  const TGasconditions& in = s->Find(c.inStation)->gas;
  const TGasconditions& out = s->Find(c.outStation)->gas;
  Wf_ = out.W - in.W;
  FAR_ = Wf_ / in.W;
  Pt_ = out.Pt;
  return TGasPathForm::Calc(mode);
}

bool TTurbineForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TTurbine c("");
  if (!InletAndOutlet(*s, c.inStation, c.outStation)) return false;
  c.rotorInStation = IntOf(RotorInStation);
  c.rotorExitStation = IntOf(RotorExitStation);
  for (int rotor : {c.rotorInStation, c.rotorExitStation})
    if (rotor > 0 && !FreshStation(*s, rotor)) return false;
  c.shaft = IntOf(ShaftNrdes);
  c.eff = Effdes->GetValue();
  c.polytropic = EffType->ItemIndex() == 1;
  for (auto [name, at] : {std::pair{Cool1Name, Cool1At}, std::pair{Cool2Name, Cool2At}})
    if (!name->Text().empty()) c.cooling.push_back({name->Text(), at->ItemIndex() == 0});
  if (!RunComponent(c, *s)) return false;
  Tt_ = s->Find(c.outStation)->gas.Tt;
  if (const engine::TMachineResult* m = Named(s->performance.machines, c.name)) {
    PR_ = m->PR;
    Eff_ = m->effIs;
    EffPoly_ = m->effPoly;
    PW_ = m->power;
  }
  return TGasPathForm::Calc(mode);
}

bool TNozzleForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TNozzle c("");
  if (!Station(ltIn1, c.inStation)) return false;
  c.throatStation = IntOf(ThroatStation);
  c.exitStation = IntOf(ExitStation);
  if (!FreshStation(*s, c.throatStation) || !FreshStation(*s, c.exitStation)) return false;
  c.kind = NozzleType->ItemIndex() == 1 ? engine::TNozzle::TKind::ConvergentDivergent
                                        : engine::TNozzle::TKind::Convergent;
  c.CV = CVdes->GetValue();
  if (!RunComponent(c, *s)) return false;
  if (const engine::TNozzleResult* n = Named(s->performance.nozzles, c.name)) {
    FG_ = n->FG;
    A8_ = n->A8;
    A9_ = n->A9;
    V9_ = n->V;
  }
  return TGasPathForm::Calc(mode);
}

// --- Shaft ------------------------------------------------------------------------

// The shaft's data are in place before its compressors and turbines calculate.
bool TShaftForm::CalcStart(TCalcMode mode) {
  if (!TGasPathForm::CalcStart(mode)) return false;
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TShaftComponent c("");
  c.number = IntOf(ShaftNrdes);
  c.rpm = Ndes->GetValue();
  c.effMech = EffMechdes->GetValue();
  c.offtake = PWoffdes->GetValue();
  return RunComponent(c, *s);
}

bool TShaftForm::CalcFinish(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  const engine::TShaft& shaft = s->Shaft(IntOf(ShaftNrdes));
  PWc_ = shaft.absorbed;
  PWt_ = shaft.delivered;
  return TGasPathForm::CalcFinish(mode);
}

}  // namespace vyr::gaspath
