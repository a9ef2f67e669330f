#include "Turbojet.h"

#include <cmath>

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
  inlet.schedule = in.milRecovery ? TRecoverySchedule::MilE5008B : TRecoverySchedule::Fixed;
  auto& comp = Add<TCompressor>(e, "compressor");
  comp.PR = in.PR;
  comp.eff = in.effC;
  comp.polytropic = in.polytropicC;
  comp.inMach = in.mach2;
  comp.outMach = in.mach3;
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
  nozzle.CD = in.CD;
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
  out.Vjet = p.nozzles.at(0).V;
  out.choked = p.nozzles.at(0).choked;
  out.FGpressure = p.FGpressure;
  out.effThermal = p.effThermal;
  out.effPropulsive = p.effPropulsive;
  out.effOverall = p.effOverall;
  out.Wc2 = p.Wc2;
  return true;
}

bool EngineStateTables(const engine::TEngineState& s, Report& report, TUnitSystem u) {
  const engine::TPerformance& p = s.performance;
  Table st{"stations",
           {Text("station", "station"), Col("W", "W", ptMassFlow, Sign::Positive),
            Col("Pt", "Pt", ptPressure, Sign::Positive), Col("Tt", "Tt", ptTemperature, Sign::Positive),
            Col("Ps", "Ps", ptPressure, Sign::Positive), Col("Ts", "Ts", ptTemperature, Sign::Positive),
            Ratio("Mach", "Mach", 4, Sign::NonNegative), Col("A", "A", ptArea, Sign::Positive),
            Ratio("FAR", "FAR", 5, Sign::NonNegative)},
           {}};
  for (const auto& [n, s] : s.stations) {
    const TGasconditions& g = s.gas;
    // The ambient has statics but no area.
    const bool area = s.hasStatic && g.A > 0.0;
    if (!AddRow(st,
                {std::to_string(n), g.W, g.Pt, g.Tt, s.hasStatic ? Cell(g.Ps) : Cell{},
                 s.hasStatic ? Cell(g.Ts) : Cell{}, s.hasStatic ? Cell(g.Mach) : Cell{}, area ? Cell(g.A) : Cell{},
                 g.FARat},
                u))
      return false;
  }
  Table perf{
      "performance",
      {Col("FG", "gross thrust", ptForce, Sign::Positive), Col("ram_drag", "ram drag", ptForce, Sign::NonNegative),
       Col("FN", "net thrust", ptForce, Sign::Positive), Col("Wf", "fuel flow", ptFuelFlow, Sign::Positive),
       Col("TSFC", "TSFC", ptSFC, Sign::Positive), Col("FN_W", "specific thrust", ptSpecThrust, Sign::Positive),
       Col("FG_pressure", "pressure thrust", ptForce, Sign::NonNegative),
       Ratio("eff_thermal", "thermal eff.", 4, Sign::NonNegative),
       Ratio("eff_propulsive", "propulsive eff.", 4, Sign::NonNegative),
       Ratio("eff_overall", "overall eff.", 4, Sign::NonNegative),
       Col("Wc2", "corrected flow W2c", ptMassFlow, Sign::Positive)},
      {}};
  if (!AddRow(perf,
              {p.FG, p.ramDrag, p.FN, p.Wf, p.TSFC, p.specificThrust, p.FGpressure, p.effThermal, p.effPropulsive,
               p.effOverall, p.Wc2 > 0.0 ? Cell(p.Wc2) : Cell{}},
              u))
    return false;
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
                Col("V0", "flight velocity", ptSpeed, Sign::NonNegative),
                Col("V_jet", "jet velocity", ptSpeed, Sign::Positive), Text("choked", "choked"),
                Col("FG", "gross thrust", ptForce, Sign::Positive),
                Col("FG_pressure", "pressure thrust", ptForce, Sign::NonNegative)},
               {}};
  if (named) nozzle.columns.insert(nozzle.columns.begin(), Text("nozzle", "nozzle"));
  for (const engine::TNozzleResult& z : p.nozzles) {
    Row row{z.A8, z.A9, s.V0, z.V, z.choked, z.FG, z.FGpressure};
    if (named) row.insert(row.begin(), z.name);
    if (!AddRow(nozzle, row, u)) return false;
  }
  report.tables = {st, perf, machines, nozzle};
  report.main = "performance";
  return true;
}

namespace {

Column ControlColumn(engine::TOffDesignControl c) {
  switch (c) {
    case engine::TOffDesignControl::Thrust: return Col("FN_target", "FN target", ptForce);
    case engine::TOffDesignControl::ExitTemperature: return Col("T4_set", "T4 set", ptTemperature);
    case engine::TOffDesignControl::FuelFlow: return Col("Wf_set", "Wf set", ptFuelFlow);
    case engine::TOffDesignControl::Speed: return Ratio("N_set", "speed set", 4);
    case engine::TOffDesignControl::ThrustFraction: return Ratio("FN_frac_set", "FN fraction set", 4);
  }
  return Ratio("control", "control", 4);
}

// A station's value, or nothing where the point has no such station.
Cell At(const engine::TOffDesignResult& r, int station, double TGasconditions::*v) {
  const auto it = r.stations.find(station);
  return it == r.stations.end() ? Cell{} : Cell(it->second.gas.*v);
}

}  // namespace

std::size_t OffDesignTable(const std::vector<engine::TOffDesignResult>& points, Report& report, TUnitSystem u) {
  // The shafts and machines of the first converged point set the columns.
  const engine::TOffDesignResult* model = nullptr;
  for (const auto& r : points)
    if (r.ok) {
      model = &r;
      break;
    }
  const engine::TOffDesignControl control =
      points.empty() ? engine::TOffDesignControl::ExitTemperature : points.front().point.control;
  const bool fraction = control == engine::TOffDesignControl::ThrustFraction;
  std::vector<Column> c{Col("Zp", "Zp", ptAltitude),   Ratio("Mach", "Mach", 4),
                        Col("dT", "dT", ptTempDiff),   ControlColumn(control),
                        Text("status", "status"),      Text("limiter", "limiter")};
  const std::size_t first = c.size();
  // Off design the net thrust may be negative (ram drag above gross thrust:
  // descent, windmilling); TSFC then has no meaning and stays empty.
  c.push_back(Col("FN", "net thrust", ptForce));
  if (fraction) c.push_back(Col("FN_full", "full-power thrust", ptForce));
  for (Column x :
       {Col("FG", "gross thrust", ptForce, Sign::Positive), Col("TSFC", "TSFC", ptSFC, Sign::Positive),
        Col("FN_W", "specific thrust", ptSpecThrust), Col("Wf", "fuel flow", ptFuelFlow, Sign::Positive),
        Col("W", "W", ptMassFlow, Sign::Positive), Ratio("FAR", "FAR", 5, Sign::NonNegative),
        Col("Pt2", "Pt2", ptPressure, Sign::Positive), Col("Tt2", "Tt2", ptTemperature, Sign::Positive),
        Col("Pt3", "Pt3", ptPressure, Sign::Positive), Col("Tt3", "Tt3", ptTemperature, Sign::Positive),
        Col("Pt4", "Pt4", ptPressure, Sign::Positive), Col("Tt4", "Tt4", ptTemperature, Sign::Positive),
        Col("W4", "W4", ptMassFlow, Sign::Positive), Col("Pt5", "Pt5", ptPressure, Sign::Positive),
        Col("Tt5", "Tt5", ptTemperature, Sign::Positive), Col("A9", "exit area", ptArea, Sign::Positive),
        Text("choked", "choked"), Col("FG_pressure", "pressure thrust", ptForce, Sign::NonNegative),
        Ratio("eff_thermal", "thermal eff.", 4, Sign::NonNegative),
        Ratio("eff_propulsive", "propulsive eff.", 4, Sign::NonNegative),
        Ratio("eff_overall", "overall eff.", 4, Sign::NonNegative)})
    c.push_back(x);
  if (model) {
    for (const engine::TMachineResult& m : model->performance.machines)
      c.push_back(Col(m.name + "_power", m.name + " power", ptPower, Sign::Positive));
    for (const auto& [n, sh] : model->shafts) {
      if (!(sh.rpm > 0)) continue;
      const std::string k = std::to_string(n);
      c.push_back(Col("N" + k, "N" + k, ptRotSpeed, Sign::Positive));
      c.push_back(Ratio("N" + k + "_frac", "N" + k + "/Ndes", 4, Sign::Positive));
    }
    for (const engine::TMapResult& m : model->performance.maps) {
      if (m.turbine) {
        c.push_back(Ratio(m.name + "_Nmap", m.name + " Nmap", 3, Sign::Positive));
        c.push_back(Ratio(m.name + "_PRmap", m.name + " PRmap", 4, Sign::Positive));
        c.push_back(Ratio(m.name + "_PR", m.name + " PR", 4, Sign::Positive));
        c.push_back(Ratio(m.name + "_eff", m.name + " eff.", 4, Sign::Positive));
      } else {
        c.push_back(Ratio(m.name + "_Nmap", m.name + " Nmap", 4, Sign::Positive));
        c.push_back(Ratio(m.name + "_R", m.name + " R-line", 4));
        c.push_back(Col(m.name + "_Nc", m.name + " Nc", ptRotSpeed, Sign::Positive));
        c.push_back(Ratio(m.name + "_Nc_frac", m.name + " Nc/Ncdes", 4, Sign::Positive));
        c.push_back(Col(m.name + "_Wc", m.name + " Wc", ptMassFlow, Sign::Positive));
        c.push_back(Ratio(m.name + "_PR", m.name + " PR", 4, Sign::Positive));
        c.push_back(Ratio(m.name + "_eff", m.name + " eff.", 4, Sign::Positive));
        // Both surge margins, PR_surge/PR - 1: the surge point at the same
        // corrected speed, and at the same corrected flow.
        c.push_back(Ratio(m.name + "_SM", m.name + " surge margin at const. speed", 4));
        c.push_back(Ratio(m.name + "_SMW", m.name + " surge margin at const. flow", 4));
      }
    }
  }
  c.push_back(Count("iterations", "iterations"));
  c.push_back(Text("message", "message"));
  Table t{"points", c, {}};
  auto finite = [](double v) { return std::isfinite(v) ? Cell(v) : Cell{}; };
  std::size_t failed = 0;
  for (const engine::TOffDesignResult& r : points) {
    Row row{r.point.altitude, r.point.mach, r.point.dT, r.point.value};
    Row results;
    std::string problem = r.error;
    if (r.ok) {
      const engine::TPerformance& p = r.performance;
      results.emplace_back(p.FN);
      if (fraction) results.emplace_back(r.fullThrust);
      results.emplace_back(p.FG);
      results.push_back(p.FN > 0.0 ? Cell(p.TSFC) : Cell{});
      for (double v : {p.specificThrust, p.Wf, p.W}) results.emplace_back(v);
      results.push_back(At(r, 4, &TGasconditions::FARat));
      for (int station : {2, 3, 4}) {
        results.push_back(At(r, station, &TGasconditions::Pt));
        results.push_back(At(r, station, &TGasconditions::Tt));
      }
      results.push_back(At(r, 4, &TGasconditions::W));
      results.push_back(At(r, 5, &TGasconditions::Pt));
      results.push_back(At(r, 5, &TGasconditions::Tt));
      results.push_back(p.nozzles.empty() ? Cell{} : Cell(p.nozzles.front().A9));
      results.push_back(p.nozzles.empty() ? Cell{} : Cell(p.nozzles.front().choked));
      for (double v : {p.FGpressure, p.effThermal}) results.emplace_back(v);
      // FN V0 / dKE: no efficiency of a negative thrust
      for (double v : {p.effPropulsive, p.effOverall}) results.push_back(p.FN >= 0.0 ? Cell(v) : Cell{});
      for (const engine::TMachineResult& m : model->performance.machines) {
        const engine::TMachineResult* q = nullptr;
        for (const engine::TMachineResult& x : p.machines)
          if (x.name == m.name) q = &x;
        results.push_back(q ? Cell(q->power) : Cell{});
      }
      for (const auto& [n, sh] : model->shafts) {
        if (!(sh.rpm > 0)) continue;
        const auto it = r.shafts.find(n);
        results.push_back(it == r.shafts.end() ? Cell{} : Cell(it->second.N));
        results.push_back(it == r.shafts.end() ? Cell{} : Cell(it->second.N / it->second.rpm));
      }
      for (const engine::TMapResult& m : model->performance.maps) {
        const engine::TMapResult* q = nullptr;
        for (const engine::TMapResult& x : p.maps)
          if (x.name == m.name) q = &x;
        const std::size_t n = m.turbine ? 4 : 9;
        if (!q) {
          results.resize(results.size() + n);
          continue;
        }
        if (m.turbine) {
          for (double v : {q->Nmap, q->beta, q->PR, q->eff}) results.emplace_back(v);
        } else {
          for (double v : {q->Nmap, q->beta, q->Nc}) results.emplace_back(v);
          results.push_back(q->NcFrac > 0.0 ? Cell(q->NcFrac) : Cell{});
          for (double v : {q->Wc, q->PR, q->eff}) results.emplace_back(v);
          // NaN where the surge line does not reach the point's speed or flow
          results.push_back(finite(q->surgeMargin));
          results.push_back(finite(q->surgeMarginFlow));
        }
      }
      Table check{t.name, std::vector<Column>(t.columns.begin() + first, t.columns.end() - 2), {}};
      problem = RowProblem(check, results, u);
      if (!problem.empty()) problem = "Impossible result: " + problem;
    }
    if (problem.empty() && r.ok) {
      row.emplace_back(std::string("ok"));
      row.emplace_back(r.limiter.empty() ? std::string(engine::ControlName(r.point.control)) : r.limiter);
      for (Cell& x : results) row.push_back(std::move(x));
      row.emplace_back(double(r.iterations));
      row.emplace_back(std::string(""));
    } else {
      ++failed;
      row.emplace_back(std::string("failed"));
      row.resize(t.columns.size() - 2);
      row.emplace_back(double(r.iterations));
      row.emplace_back(r.component.empty() || problem.find(r.component) != std::string::npos
                           ? problem
                           : r.component + ": " + problem);
    }
    t.rows.push_back(std::move(row));
  }
  report.tables = {t};
  report.main = "points";
  return failed;
}

}  // namespace vyr::cli
