#include "Turbojet.h"

#include "CommandKit.h"

namespace vyr::cli {

namespace {

// The library's routines name the turbojet in their messages.
const char* const kId = "Turbojet";

template <class C>
C& Add(engine::TEngine& e, const char* name) {
  C& c = e.Add<C>(name);
  c.callerId = kId;
  return c;
}

}  // namespace

engine::TEngine TurbojetEngine(const TurbojetInput& in, const Fuel& fuel) {
  using namespace engine;
  TEngine e;
  auto& amb = Add<TAmbient>(e, "ambient");
  amb.altitude = in.altitude;
  amb.mach = in.mach;
  amb.dT = in.dT;
  auto& shaft = Add<TShaftComponent>(e, "shaft");
  shaft.number = 1;
  shaft.effMech = in.effMech;
  shaft.offtake = in.offtake;
  auto& inlet = Add<TInlet>(e, "inlet");
  inlet.W = in.W;
  inlet.recovery = in.inletRecovery;
  auto& comp = Add<TCompressor>(e, "compressor");
  comp.PR = in.PR;
  comp.eff = in.effC;
  comp.polytropic = in.polytropicC;
  auto& burner = Add<TBurner>(e, "burner");
  burner.fuel = fuel;
  burner.givenFar = in.far.has_value();
  burner.FAR = in.far.value_or(0.0);
  burner.Tt = in.T4;
  burner.eff = in.effB;
  burner.loss = in.burnerLoss;
  burner.Tfuel = in.Tfuel;
  auto& turbine = Add<TTurbine>(e, "turbine");
  turbine.eff = in.effT;
  turbine.polytropic = in.polytropicT;
  auto& nozzle = Add<TNozzle>(e, "nozzle");
  nozzle.kind = in.nozzle == Nozzle::ConvergentDivergent ? TNozzle::TKind::ConvergentDivergent
                                                         : TNozzle::TKind::Convergent;
  nozzle.CV = in.CV;
  return e;
}

bool DesignTurbojet(const TurbojetInput& in, const Fuel& fuel, TurbojetResult& out, engine::TEngineState* state) {
  engine::TEngine e = TurbojetEngine(in, fuel);
  engine::TEngineState local;
  engine::TEngineState& s = state ? *state : local;
  s.tolerance = in.tol;
  out = TurbojetResult{};
  if (!(in.thrust ? e.RunForThrust(s, *in.thrust) : e.Run(s))) {
    engine::ShowMessages(s);
    return false;
  }
  const engine::TPerformance& p = s.performance;
  for (const auto& [n, st] : s.stations) out.stations.push_back(st);
  out.V0 = s.V0;
  out.FG = p.FG;
  out.ramDrag = p.ramDrag;
  out.FN = p.FN;
  out.Wf = p.Wf;
  out.TSFC = p.TSFC;
  out.specificThrust = p.specificThrust;
  const engine::TMachineResult &c = p.machines.at(0), &t = p.machines.at(1);
  out.powerC = c.power;
  out.effC = c.effIs;
  out.effCpoly = c.effPoly;
  out.powerT = t.power;
  out.effT = t.effIs;
  out.effTpoly = t.effPoly;
  out.turbinePR = t.PR;
  out.A8 = p.nozzles.at(0).A8;
  out.A9 = p.nozzles.at(0).A9;
  return true;
}

bool EngineStateTables(const engine::TEngineState& s, Report& report, TUnitSystem u) {
  const engine::TPerformance& p = s.performance;
  Table st{"stations",
           {Text("station", "station"), Col("W", "W", ptMassFlow, Sign::Positive),
            Col("Pt", "Pt", ptPressure, Sign::Positive), Col("Tt", "Tt", ptTemperature, Sign::Positive),
            Col("Ps", "Ps", ptPressure, Sign::Positive), Col("Ts", "Ts", ptTemperature, Sign::Positive),
            Ratio("Mach", "Mach", 4, Sign::NonNegative), Ratio("FAR", "FAR", 5, Sign::NonNegative)},
           {}};
  for (const auto& [n, s] : s.stations) {
    const TGasconditions& g = s.gas;
    if (!AddRow(st,
                {std::to_string(n), g.W, g.Pt, g.Tt, s.hasStatic ? Cell(g.Ps) : Cell{},
                 s.hasStatic ? Cell(g.Ts) : Cell{}, s.hasStatic ? Cell(g.Mach) : Cell{}, g.FARat},
                u))
      return false;
  }
  Table perf{
      "performance",
      {Col("FG", "gross thrust", ptForce, Sign::Positive), Col("ram_drag", "ram drag", ptForce, Sign::NonNegative),
       Col("FN", "net thrust", ptForce, Sign::Positive), Col("Wf", "fuel flow", ptFuelFlow, Sign::Positive),
       Col("TSFC", "TSFC", ptSFC, Sign::Positive), Col("FN_W", "specific thrust", ptSpecThrust, Sign::Positive)},
      {}};
  if (!AddRow(perf, {p.FG, p.ramDrag, p.FN, p.Wf, p.TSFC, p.specificThrust}, u)) return false;
  Table machines{
      "turbomachines",
      {Text("machine", "machine"), Ratio("PR", "PR", 4, Sign::Positive),
       Ratio("eff_is", "isentropic eff.", 4, Sign::Positive), Ratio("eff_poly", "polytropic eff.", 4, Sign::Positive),
       Col("power", "power", ptPower, Sign::Positive)},
      {}};
  for (const engine::TMachineResult& m : p.machines)
    if (!AddRow(machines, {m.name, m.PR, m.effIs, m.effPoly, m.power}, u)) return false;
  // A single nozzle needs no name; several get a row each, named.
  const bool named = p.nozzles.size() > 1;
  Table nozzle{"nozzle",
               {Col("A8", "throat area", ptArea, Sign::Positive), Col("A9", "exit area", ptArea, Sign::Positive),
                Col("V0", "flight velocity", ptSpeed, Sign::NonNegative)},
               {}};
  if (named) nozzle.columns.insert(nozzle.columns.begin(), Text("nozzle", "nozzle"));
  for (const engine::TNozzleResult& z : p.nozzles) {
    Row row{z.A8, z.A9, s.V0};
    if (named) row.insert(row.begin(), z.name);
    if (!AddRow(nozzle, row, u)) return false;
  }
  report.tables = {st, perf, machines, nozzle};
  report.main = "performance";
  return true;
}

}  // namespace vyr::cli
