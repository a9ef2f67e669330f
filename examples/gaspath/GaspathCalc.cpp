// The forms' calculations: each builds its component of the engine layer from
// its inputs and its icon's station numbers, runs it on the state of the run
// in progress, and keeps its results. Off design the component is built once
// a point, when it registers its unknowns, and every pass of the solver runs
// that one: a pass reads no field, no station link and no map file.
#include <cmath>

#include "Engine.h"
#include "EngineComponents.h"
#include "EngineState.h"
#include "GaspathForms.h"
#include "Maps.h"

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

bool TGasPathForm::RunComponent(engine::TComponent& component, engine::TEngineState& state) {
  if (component.name.empty()) component.name = ComponentName();
  if (state.offDesign ? component.CalcOffDesign(state) : component.Calc(state)) return true;
  return Fail(state.error.empty() ? "The calculation failed" : state.error);
}

bool TGasPathForm::DefineComponent(const std::shared_ptr<engine::TComponent>& component,
                                   engine::TEngineState& state) {
  point_.reset();
  component->name = ComponentName();
  const std::string missing = component->MissingDesign();
  if (!missing.empty()) return Fail("No off-design calculation: " + missing);
  if (!component->DefineStatesAndErrors(state))
    return Fail(state.error.empty() ? "Its off-design unknowns cannot be defined" : state.error);
  point_ = component;
  return true;
}

template <class C>
C* TGasPathForm::PointComponent(const engine::TEngineState& state) const {
  // Only DefineComponent of this form sets point_, with the form's own component type.
  return state.offDesign ? static_cast<C*>(point_.get()) : nullptr;
}

template <class F, class C>
bool TGasPathForm::DefinePoint(F* form, bool (F::*build)(C&, const engine::TEngineState&)) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  auto c = std::make_shared<C>("");
  return (form->*build)(*c, *s) && DefineComponent(c, *s);
}

template <class F, class C>
C* TGasPathForm::CalcComponent(engine::TEngineState& s, C& design, F* form,
                               bool (F::*build)(C&, const engine::TEngineState&)) {
  if (C* c = PointComponent<C>(s)) return c;
  return (form->*build)(design, s) ? &design : nullptr;
}

std::string TGasPathForm::ModelFile(const engine::TEngineState& state, const std::string& name) const {
  if (name.empty() || name.front() == '/' || state.modelDir.empty()) return name;
  return state.modelDir + "/" + name;
}

// --- Ambient ---------------------------------------------------------------------

bool TAmbientForm::Build(engine::TAmbient& c, const engine::TEngineState&) {
  c.altitude = Altdes->GetValue();
  c.mach = Machdes->GetValue();
  c.dT = dTdes->GetValue();
  return Station(ltOut1, c.outStation);
}

// Off design the flight condition is the point's; the design inputs are the
// design point's flight condition, from which a cold start moves the design
// state to the point's in corrected terms.
bool TAmbientForm::DefineStatesAndErrors(TCalcMode mode) {
  return TGasPathForm::DefineStatesAndErrors(mode) && DefinePoint(this, &TAmbientForm::Build);
}

// The flight condition is set before any component calculates, so that the
// inlet and the nozzles find it whatever the calculation order.
bool TAmbientForm::CalcStart(TCalcMode mode) {
  if (!TGasPathForm::CalcStart(mode)) return false;
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TAmbient design("");
  engine::TAmbient* a = CalcComponent(*s, design, this, &TAmbientForm::Build);
  if (a == nullptr || !RunComponent(*a, *s)) return false;
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
  // Off design the shafts balance only once the point has converged: the
  // solver sums the performance then.
  if (s->offDesign) {
    FN_ = s->performance.FG - s->performance.ramDrag;
    return TGasPathForm::CalcFinish(mode);
  }
  if (!engine::Summarize(*s)) return Fail(s->error);
  FN_ = s->performance.FN;
  return TGasPathForm::CalcFinish(mode);
}

// --- Gas-path components ---------------------------------------------------------

bool TInletForm::Build(engine::TInlet& c, const engine::TEngineState&) {
  c.W = Wdes->GetValue();
  c.recovery = PRdes->GetValue();
  return Station(ltIn1, c.inStation) && Station(ltOut1, c.outStation);
}

bool TInletForm::DefineStatesAndErrors(TCalcMode mode) {
  return TGasPathForm::DefineStatesAndErrors(mode) && DefinePoint(this, &TInletForm::Build);
}

bool TInletForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TInlet design("");
  engine::TInlet* c = CalcComponent(*s, design, this, &TInletForm::Build);
  if (c == nullptr || !FreshStation(*s, c->outStation) || !RunComponent(*c, *s)) return false;
  const TGasconditions& g = s->Find(c->outStation)->gas;
  W_ = g.W;
  Pt_ = g.Pt;
  Tt_ = g.Tt;
  return TGasPathForm::Calc(mode);
}

bool TDuctForm::Build(engine::TDuct& c, const engine::TEngineState&) {
  c.loss = dPdes->GetValue();
  return Station(ltIn1, c.inStation) && Station(ltOut1, c.outStation);
}

bool TDuctForm::DefineStatesAndErrors(TCalcMode mode) {
  return TGasPathForm::DefineStatesAndErrors(mode) && DefinePoint(this, &TDuctForm::Build);
}

bool TDuctForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TDuct design("");
  engine::TDuct* c = CalcComponent(*s, design, this, &TDuctForm::Build);
  if (c == nullptr || !FreshStation(*s, c->outStation) || !RunComponent(*c, *s)) return false;
  Pt_ = s->Find(c->outStation)->gas.Pt;
  PR_ = Pt_ / s->Find(c->inStation)->gas.Pt;
  return TGasPathForm::Calc(mode);
}

namespace {

// The map of a file, read once: the cached one while the path stays; null
// with the reader's reason when the file cannot be read.
template <class M>
std::shared_ptr<const M> CachedMap(const std::string& path, std::shared_ptr<const M>& map, std::string& mapPath,
                                   std::string& why) {
  if (map && path == mapPath) return map;
  auto m = std::make_shared<M>();
  if (!M::Read(path, *m, why)) return nullptr;
  mapPath = path;
  return map = m;
}

// The component's map and the scalars in the fields.
template <class F, class C>
bool SetMap(F& form, C& c, const engine::TEngineState& s) {
  if (form.MapFile->Text().empty()) return true;
  c.map = form.Map(s);
  if (!c.map) return false;
  c.scalars = {form.MapsN->GetValue(), form.MapsW->GetValue(), form.MapsPR->GetValue(), form.MapsEff->GetValue()};
  c.scaled = c.scalars.sN > 0 && c.scalars.sW > 0 && c.scalars.sPR > 0 && c.scalars.sEff > 0;
  return true;
}

// Keeps the scalars of a design point in the fields, unless they are the
// calibrated ones given.
template <class F, class C>
void KeepScalars(F& form, const C& c) {
  if (!c.scaled || form.ScalarsFixed()) return;
  form.MapsN->SetValue(c.scalars.sN);
  form.MapsW->SetValue(c.scalars.sW);
  form.MapsPR->SetValue(c.scalars.sPR);
  form.MapsEff->SetValue(c.scalars.sEff);
}

}  // namespace

std::shared_ptr<const engine::TCompressorMap> TCompressorForm::Map(const engine::TEngineState& state) {
  std::string why;
  auto m = CachedMap(ModelFile(state, MapFile->Text()), map_, mapPath_, why);
  if (!m) Fail(why);
  return m;
}

bool TCompressorForm::Build(engine::TCompressor& c, const engine::TEngineState& s) {
  if (!SetMap(*this, c, s)) return false;
  c.WcDesign = MapWc->GetValue();
  if (!Station(ltIn1, c.inStation) || !Station(ltOut1, c.outStation)) return false;
  c.shaft = IntOf(ShaftNrdes);
  c.PR = PRdes->GetValue();
  c.eff = Effdes->GetValue();
  c.polytropic = EffType->ItemIndex() == 1;
  c.inMach = InMachdes->GetValue();
  c.outMach = OutMachdes->GetValue();
  c.AinDesign = AinDesign->GetValue();
  c.AoutDesign = AoutDesign->GetValue();
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
  return true;
}

bool TCompressorForm::DefineStatesAndErrors(TCalcMode mode) {
  return TGasPathForm::DefineStatesAndErrors(mode) && DefinePoint(this, &TCompressorForm::Build);
}

bool TCompressorForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TCompressor design("");
  engine::TCompressor* c = CalcComponent(*s, design, this, &TCompressorForm::Build);
  if (c == nullptr || !FreshStation(*s, c->outStation)) return false;
  if (!s->offDesign) c->scaled = false;  // the design point scales the map anew
  if (!RunComponent(*c, *s)) return false;
  if (!s->offDesign) {
    KeepScalars(*this, *c);
    if (c->scaled) MapWc->SetValue(c->WcDesign);
    c->KeepDesign(*s);
    AinDesign->SetValue(c->AinDesign);
    AoutDesign->SetValue(c->AoutDesign);
  }
  const TGasconditions& g = s->Find(c->outStation)->gas;
  Pt_ = g.Pt;
  Tt_ = g.Tt;
  if (const engine::TMachineResult* m = Named(s->performance.machines, c->name)) {
    Eff_ = m->effIs;
    EffPoly_ = m->effPoly;
    PW_ = m->power;
  }
  return TGasPathForm::Calc(mode);
}

bool TSplitterForm::Build(engine::TSplitter& c, const engine::TEngineState&) {
  c.BPR = BPRdes->GetValue();
  return Station(ltIn1, c.inStation) && Station(ltOut1, c.coreStation) && Station(ltOut2, c.bypassStation);
}

bool TSplitterForm::DefineStatesAndErrors(TCalcMode mode) {
  return TGasPathForm::DefineStatesAndErrors(mode) && DefinePoint(this, &TSplitterForm::Build);
}

bool TSplitterForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TSplitter design("");
  engine::TSplitter* c = CalcComponent(*s, design, this, &TSplitterForm::Build);
  if (c == nullptr || !FreshStation(*s, c->coreStation) || !FreshStation(*s, c->bypassStation) ||
      !RunComponent(*c, *s))
    return false;
  Wcore_ = s->Find(c->coreStation)->gas.W;
  Wbypass_ = s->Find(c->bypassStation)->gas.W;
  return TGasPathForm::Calc(mode);
}

bool TBurnerForm::Build(engine::TBurner& c, const engine::TEngineState&) {
  if (!Station(ltIn1, c.inStation) || !Station(ltOut1, c.outStation)) return false;
  const int fuel = Fuel->ItemIndex();
  if (fuel < 0 || fuel >= FuelTypeCount) return Fail("No fuel selected");
  c.fuel = fuel == ftUserSpec ? engine::UserFuel(HCdes->GetValue(), OCdes->GetValue(), LHVdes->GetValue())
                              : engine::TableFuel(static_cast<TFuelType>(fuel));
  c.Tt = Texitdes->GetValue();
  c.T4Design = c.Tt;
  c.eff = Effdes->GetValue();
  c.loss = dPdes->GetValue();
  c.Tfuel = Tfueldes->GetValue();
  return true;
}

bool TBurnerForm::DefineStatesAndErrors(TCalcMode mode) {
  return TGasPathForm::DefineStatesAndErrors(mode) && DefinePoint(this, &TBurnerForm::Build);
}

bool TBurnerForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TBurner design("");
  engine::TBurner* c = CalcComponent(*s, design, this, &TBurnerForm::Build);
  if (c == nullptr || !FreshStation(*s, c->outStation) || !RunComponent(*c, *s)) return false;
  const TGasconditions& in = s->Find(c->inStation)->gas;
  const TGasconditions& out = s->Find(c->outStation)->gas;
  Wf_ = out.W - in.W;
  FAR_ = Wf_ / in.W;
  Pt_ = out.Pt;
  return TGasPathForm::Calc(mode);
}

std::shared_ptr<const engine::TTurbineMap> TTurbineForm::Map(const engine::TEngineState& state) {
  std::string why;
  auto m = CachedMap(ModelFile(state, MapFile->Text()), map_, mapPath_, why);
  if (!m) Fail(why);
  return m;
}

bool TTurbineForm::Build(engine::TTurbine& c, const engine::TEngineState& s) {
  if (!SetMap(*this, c, s)) return false;
  c.WpDesign = MapWp->GetValue();
  if (!Station(ltIn1, c.inStation) || !Station(ltOut1, c.outStation)) return false;
  c.rotorInStation = IntOf(RotorInStation);
  c.rotorExitStation = IntOf(RotorExitStation);
  c.shaft = IntOf(ShaftNrdes);
  c.eff = Effdes->GetValue();
  c.polytropic = EffType->ItemIndex() == 1;
  for (auto [name, at] : {std::pair{Cool1Name, Cool1At}, std::pair{Cool2Name, Cool2At}})
    if (!name->Text().empty()) c.cooling.push_back({name->Text(), at->ItemIndex() == 0});
  return true;
}

bool TTurbineForm::DefineStatesAndErrors(TCalcMode mode) {
  return TGasPathForm::DefineStatesAndErrors(mode) && DefinePoint(this, &TTurbineForm::Build);
}

bool TTurbineForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TTurbine design("");
  engine::TTurbine* c = CalcComponent(*s, design, this, &TTurbineForm::Build);
  if (c == nullptr || !FreshStation(*s, c->outStation)) return false;
  if (!s->offDesign) c->scaled = false;  // the design point scales the map anew
  for (int rotor : {c->rotorInStation, c->rotorExitStation})
    if (rotor > 0 && !FreshStation(*s, rotor)) return false;
  if (!RunComponent(*c, *s)) return false;
  if (!s->offDesign) {
    KeepScalars(*this, *c);
    if (c->scaled) MapWp->SetValue(c->WpDesign);
  }
  Tt_ = s->Find(c->outStation)->gas.Tt;
  if (const engine::TMachineResult* m = Named(s->performance.machines, c->name)) {
    PR_ = m->PR;
    Eff_ = m->effIs;
    EffPoly_ = m->effPoly;
    PW_ = m->power;
  }
  return TGasPathForm::Calc(mode);
}

bool TNozzleForm::Build(engine::TNozzle& c, const engine::TEngineState&) {
  c.A8Design = A8Design->GetValue();
  c.WDesign = W8Design->GetValue();
  c.throatStation = IntOf(ThroatStation);
  c.exitStation = IntOf(ExitStation);
  c.kind = NozzleType->ItemIndex() == 1 ? engine::TNozzle::TKind::ConvergentDivergent
                                        : engine::TNozzle::TKind::Convergent;
  c.CV = CVdes->GetValue();
  c.CD = CDdes->GetValue();
  return Station(ltIn1, c.inStation);
}

bool TNozzleForm::DefineStatesAndErrors(TCalcMode mode) {
  return TGasPathForm::DefineStatesAndErrors(mode) && DefinePoint(this, &TNozzleForm::Build);
}

bool TNozzleForm::Calc(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TNozzle design("");
  engine::TNozzle* c = CalcComponent(*s, design, this, &TNozzleForm::Build);
  if (c == nullptr || !FreshStation(*s, c->throatStation) || !FreshStation(*s, c->exitStation) ||
      !RunComponent(*c, *s))
    return false;
  if (const engine::TNozzleResult* n = Named(s->performance.nozzles, c->name)) {
    FG_ = n->FG;
    FGp_ = n->FGpressure;
    A8_ = n->A8;
    A9_ = n->A9;
    V9_ = n->V;
    if (!s->offDesign) {
      A8Design->SetValue(n->A8);
      W8Design->SetValue(n->W);
    }
  }
  return TGasPathForm::Calc(mode);
}

// --- Shaft ------------------------------------------------------------------------

// The shaft's data are in place before its compressors and turbines calculate.
bool TShaftForm::Build(engine::TShaftComponent& c, const engine::TEngineState&) {
  c.number = IntOf(ShaftNrdes);
  c.rpm = Ndes->GetValue();
  c.effMech = EffMechdes->GetValue();
  c.offtake = PWoffdes->GetValue();
  c.powerDesign = PWDesign->GetValue();
  return true;
}

bool TShaftForm::DefineStatesAndErrors(TCalcMode mode) {
  return TGasPathForm::DefineStatesAndErrors(mode) && DefinePoint(this, &TShaftForm::Build);
}

bool TShaftForm::CalcStart(TCalcMode mode) {
  if (!TGasPathForm::CalcStart(mode)) return false;
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  engine::TShaftComponent design("");
  engine::TShaftComponent* c = CalcComponent(*s, design, this, &TShaftForm::Build);
  return c != nullptr && RunComponent(*c, *s);
}

// Once every compressor and turbine has calculated: the shaft's power
// balance (off design, its error).
bool TShaftForm::CalcFinish(TCalcMode mode) {
  engine::TEngineState* s = State();
  if (s == nullptr) return false;
  const engine::TShaft& shaft = s->Shaft(IntOf(ShaftNrdes));
  PWc_ = shaft.absorbed;
  PWt_ = shaft.delivered;
  if (s->offDesign) {
    engine::TShaftComponent design("");
    engine::TShaftComponent* c = CalcComponent(*s, design, this, &TShaftForm::Build);
    if (c == nullptr) return false;
    if (c->name.empty()) c->name = ComponentName();
    if (!c->OffDesignEnd(*s)) return Fail(s->error);
  } else {
    PWDesign->SetValue(shaft.absorbed + shaft.offtake);
  }
  return TGasPathForm::CalcFinish(mode);
}

}  // namespace vyr::gaspath
