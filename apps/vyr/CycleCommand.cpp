// The command "cycle turbojet": the design point of a single-spool turbojet,
// or a sweep of design points in one flat table.
#include <cmath>

#include "CommandKit.h"
#include "Turbojet.h"

namespace vyr::cli {

namespace {

struct CycleOptions {
  Numbers n;
  MixOptions fuel;
  std::string nozzle = "convergent";
  std::string compEff = "isentropic", turbEff = "isentropic";
  bool milRecovery = false;  ///< --recovery mil: the supersonic schedule on the default subsonic recovery
  Number *cd, *mach2, *mach3;
  Number *z, *mach, *dT, *recovery, *W, *thrust, *pr, *effC, *T4, *far, *burnerLoss, *effB, *Tfuel, *effT, *effMech,
      *offtake, *cv;

  // The options a sweep may vary, in the order of the sweep table's columns.
  std::vector<Number*> Swept() const { return {z, mach, dT, pr, far->Has() ? far : T4, thrust->Has() ? thrust : W}; }

  TurbojetInput Input() const {
    TurbojetInput in;
    in.inletRecovery = recovery->Value();
    in.milRecovery = milRecovery;
    in.mach2 = mach2->Value();
    in.mach3 = mach3->Value();
    in.CD = cd->Value();
    in.effC = effC->Value();
    in.polytropicC = compEff == "polytropic";
    in.burnerLoss = burnerLoss->Value();
    in.effB = effB->Value();
    in.Tfuel = Tfuel->Value();
    in.effT = effT->Value();
    in.polytropicT = turbEff == "polytropic";
    in.effMech = effMech->Value();
    in.offtake = offtake->Value();
    in.nozzle = nozzle == "cd" ? Nozzle::ConvergentDivergent : Nozzle::Convergent;
    in.CV = cv->Value();
    return in;
  }
};

// What is wrong with the ambient state of a point: a temperature outside the
// gas property tables; empty when it is sound.
std::string AmbientProblem(const TurbojetInput& in, TUnitSystem u) {
  double Ts = 0;
  if (!GetSTDTsAmbFromPressureAltitude(in.altitude, dtStd, Ts)) return "";  // the engine reports the altitude
  return AmbientTemperatureProblem(Ts + in.dT, in.altitude, in.dT, u);
}

// What is wrong with a burner exit temperature at or below the compressor
// exit temperature (no fuel can cool the flow); empty when T4 lies above it
// or the fuel-air ratio is given. Compressor exit: the flight total state,
// the inlet's recovery, the compression at the pressure ratio.
std::string BurnerProblem(const TurbojetInput& in, TUnitSystem u) {
  if (in.far) return "";
  TAmbConditions a{};
  a.Zp = in.altitude;
  a.dTs = in.dT;
  a.Mach = in.mach;
  MessageScope quiet;  // a failure here is the engine's to report
  if (!CalcFlyCon(1, 0, a)) return "";
  TGasconditions c2{}, c3;
  c2.Composition = Air;
  c2.Tt = a.Tt;
  c2.Pt = a.Pt * in.inletRecovery;
  c2.H = FH(c2.Tt, Air);
  c2.S = FS(c2.Tt, c2.Pt, Air);
  double e = in.effC, ep = in.effC;
  if (!Compression(c2, in.PR, kTol, in.polytropicC, kId, e, ep, c3) || in.T4 > c3.Tt) return "";
  return "The burner exit temperature T4 = " + Quantity(in.T4, ptTemperature, u) +
         " is not above the compressor exit temperature Tt3 = " + Quantity(c3.Tt, ptTemperature, u) +
         ": a burner only heats the flow";
}

// The input of a point of the sweep: the swept options' values.
void SetPoint(TurbojetInput& in, const CycleOptions& o, const std::vector<double>& v) {
  in.altitude = v[0];
  in.mach = v[1];
  in.dT = v[2];
  in.PR = v[3];
  if (o.far->Has())
    in.far = v[4];
  else
    in.T4 = v[4];
  if (o.thrust->Has())
    in.thrust = v[5];
  else
    in.W = v[5];
}

Table SweepTable(const CycleOptions& o) {
  const bool byFar = o.far->Has(), byThrust = o.thrust->Has();
  std::vector<Column> c{
      Col("Zp", "Zp", ptAltitude),
      Ratio("Mach", "Mach", 4),
      Col("dT", "dT", ptTempDiff),
      Ratio("PR", "PR", 4),
      byFar ? Ratio("FAR", "FAR", 5) : Col("T4", "T4", ptTemperature),
      byThrust ? Col("FN_target", "FN target", ptForce) : Col("W", "W", ptMassFlow),
      Text("status", "status"),
      byFar ? Col("T4", "T4", ptTemperature, Sign::Positive) : Ratio("FAR", "FAR", 5, Sign::Positive)};
  if (byThrust) c.push_back(Col("W", "W", ptMassFlow, Sign::Positive));
  for (Column x :
       {Col("FN", "net thrust", ptForce, Sign::Positive), Col("FG", "gross thrust", ptForce, Sign::Positive),
        Col("TSFC", "TSFC", ptSFC, Sign::Positive), Col("FN_W", "specific thrust", ptSpecThrust, Sign::Positive),
        Col("Wf", "fuel flow", ptFuelFlow, Sign::Positive), Col("Pt3", "Pt3", ptPressure, Sign::Positive),
        Col("Tt3", "Tt3", ptTemperature, Sign::Positive), Col("Pt5", "Pt5", ptPressure, Sign::Positive),
        Col("Tt5", "Tt5", ptTemperature, Sign::Positive), Ratio("PR_turbine", "turbine PR", 4, Sign::Positive),
        Col("A8", "throat area", ptArea, Sign::Positive), Col("A9", "exit area", ptArea, Sign::Positive),
        Col("V_jet", "jet velocity", ptSpeed, Sign::Positive), Text("choked", "choked"),
        Col("FG_pressure", "pressure thrust", ptForce, Sign::NonNegative),
        Ratio("eff_thermal", "thermal eff.", 4, Sign::NonNegative),
        Ratio("eff_propulsive", "propulsive eff.", 4, Sign::NonNegative),
        Ratio("eff_overall", "overall eff.", 4, Sign::NonNegative), Col("Wc2", "corrected flow W2c", ptMassFlow, Sign::Positive),
        Col("PW_compressor", "compressor power", ptPower, Sign::Positive),
        Col("PW_turbine", "turbine power", ptPower, Sign::Positive)})
    c.push_back(x);
  c.push_back(Text("message", "message"));
  return {"points", c, {}};
}

Row SweepResults(const CycleOptions& o, const TurbojetResult& r) {
  const TGasconditions &s3 = r.stations[2].gas, &s4 = r.stations[3].gas, &s5 = r.stations[4].gas;
  Row row{o.far->Has() ? Cell(s4.Tt) : Cell(s4.FARat)};
  if (o.thrust->Has()) row.emplace_back(r.stations[0].gas.W);
  for (double v : {r.FN, r.FG, r.TSFC, r.specificThrust, r.Wf, s3.Pt, s3.Tt, s5.Pt, s5.Tt, r.turbinePR, r.A8, r.A9,
                   r.Vjet})
    row.emplace_back(v);
  row.emplace_back(r.choked);
  for (double v : {r.FGpressure, r.effThermal, r.effPropulsive, r.effOverall, r.Wc2, r.powerC, r.powerT})
    row.emplace_back(v);
  return row;
}

Status RunSweep(const CycleOptions& o, const Fuel& fuel, TUnitSystem u, Report& report) {
  const std::vector<Number*> swept = o.Swept();
  std::vector<const Number*> ranged(swept.begin(), swept.end());
  const std::size_t total = o.n.Rows(ranged);
  Table t = SweepTable(o);
  const std::size_t results = t.columns.size() - 8;  // between the status and the message
  std::size_t failed = 0;
  Progress progress(total);
  std::vector<std::size_t> index(swept.size(), 0);
  for (std::size_t done = 0; done < total; ++done) {
    std::vector<double> v;
    Row row;
    for (std::size_t k = 0; k < swept.size(); ++k) {
      v.push_back(swept[k]->values[index[k]]);
      row.emplace_back(v.back());
    }
    TurbojetInput in = o.Input();
    SetPoint(in, o, v);
    TurbojetResult r;
    std::string problem;
    {
      MessageScope scope;
      problem = AmbientProblem(in, u);
      if (problem.empty()) problem = BurnerProblem(in, u);
      if (problem.empty() && DesignTurbojet(in, fuel, r)) {
        Table check{t.name, std::vector<Column>(t.columns.begin() + 7, t.columns.end() - 1), {}};
        problem = RowProblem(check, SweepResults(o, r), u);
        if (!problem.empty()) problem = "Impossible result: " + problem;
      } else if (problem.empty()) {
        problem = scope.Text();
        if (problem.empty()) problem = "the calculation failed";
      }
    }
    if (problem.empty()) {
      row.emplace_back(std::string("ok"));
      for (Cell& c : SweepResults(o, r)) row.push_back(std::move(c));
      row.emplace_back(std::string(""));
    } else {
      ++failed;
      row.emplace_back(std::string("failed"));
      row.resize(row.size() + results);
      row.emplace_back(problem);
    }
    t.rows.push_back(std::move(row));
    // Next point: the last swept option runs fastest.
    for (std::size_t k = swept.size(); k-- > 0;) {
      if (++index[k] < swept[k]->values.size()) break;
      index[k] = 0;
    }
    progress.Step(done + 1);
  }
  report.tables = {t};
  report.main = "points";
  if (failed == 0) return Status::Ok;
  ShowMessage(std::to_string(failed) + " of " + std::to_string(total) + " points failed");
  return Status::PointsFailed;
}

Status RunPoint(const CycleOptions& o, const Fuel& fuel, TUnitSystem u, Report& report) {
  TurbojetInput in = o.Input();
  std::vector<double> v;
  for (const Number* x : o.Swept()) v.push_back(x->Value());
  SetPoint(in, o, v);
  const std::string ambient = AmbientProblem(in, u);
  if (!ambient.empty()) throw PointOutOfDomain(ambient);
  const std::string burner = BurnerProblem(in, u);
  if (!burner.empty()) throw PointOutOfDomain(burner);
  TurbojetResult r;
  engine::TEngineState state;
  bool ok;
  std::vector<TMessage> messages;
  {
    MessageScope scope;
    ok = DesignTurbojet(in, fuel, r, &state);
    messages = scope.messages;
  }
  if (!ok) {
    // A station beyond the property tables is a point outside the domain.
    if (state.outOfDomain) throw PointOutOfDomain(state.error);
    engine::ShowMessages(state);
    return Status::Failed;
  }
  for (const TMessage& m : messages)
    m.Plain ? ShowMessage(m.Text) : static_cast<void>(MessageDlg(m.Text, m.DlgType, m.Buttons, m.HelpCtx));
  if (!EngineStateTables(state, report, u)) return Status::Failed;
  return Status::Ok;
}

}  // namespace

void AddCycle(CLI::App& app, Common& common, Action& action) {
  auto* cycle = app.add_subcommand("cycle", "Engine cycle design points");
  cycle->require_subcommand(1);
  auto* cmd = cycle->add_subcommand("turbojet", "Design point of a single-spool turbojet, or a sweep of them");
  auto o = std::make_shared<CycleOptions>();
  const TurbojetInput d;
  Numbers& n = o->n;
  o->z = &n.Add(cmd, "-z,--altitude", "pressure altitude", ptAltitude, d.altitude,
                Domain::Between(-5000.0, 80000.0, "the standard atmosphere"), true);
  o->mach = &n.Add(cmd, "-m,--mach", "flight Mach number", ptNone, d.mach, Domain::Between(0.0, 3.0), true);
  o->dT = &n.Add(cmd, "--dt", "offset from the standard temperature", ptTempDiff, d.dT, Domain::Any(), true);
  o->recovery = &n.Add(cmd, "--recovery",
                       "inlet pressure recovery Pt2/Pt0, or mil: " + Printf("%g", d.inletRecovery) +
                           " times 1 - 0.075 (M - 1)^1.35 above Mach 1",
                       ptNone, d.inletRecovery, Domain::Between(0.5, 1.0));
  o->W = &n.Add(cmd, "-W,--flow", "air mass flow", ptMassFlow, d.W, Domain::MassFlow(), true);
  o->thrust = &n.Add(cmd, "--thrust", "net-thrust target", ptForce, {},
                     Domain::Above(0.0, kThrustMax, "what the highest air flow gives"), true);
  o->W->option->excludes(o->thrust->option);
  o->pr = &n.Add(cmd, "--pr", "compressor pressure ratio", ptNone, d.PR, Domain::Between(1.01, 100.0), true);
  o->effC = &n.Add(cmd, "--eff-c", "compressor efficiency", ptNone, d.effC, Domain::Between(0.3, 1.0));
  cmd->add_option("--eff-c-type", o->compEff, "isentropic or polytropic")
      ->capture_default_str()
      ->transform(CLI::IsMember({"isentropic", "polytropic"}, CLI::ignore_case));
  o->T4 = &n.Add(cmd, "--T4", "burner exit temperature", ptTemperature, d.T4, Domain::Between(500.0, 2500.0), true);
  o->far = &n.Add(cmd, "--far", "burner fuel-air ratio", ptNone, {}, Domain::Between(1e-4, 0.2), true);
  o->T4->option->excludes(o->far->option);
  o->burnerLoss = &n.Add(cmd, "--burner-loss", "burner total-pressure loss, relative", ptNone, d.burnerLoss,
                         Domain::Between(0.0, 0.5));
  o->effB = &n.Add(cmd, "--eff-b", "burner efficiency", ptNone, d.effB, Domain::Between(0.5, 1.0));
  o->fuel.AddFuel(cmd, n);
  o->Tfuel = &n.Add(cmd, "--t-fuel", "fuel temperature", ptTemperature, d.Tfuel, Domain::Between(kTableTmin, 1000.0));
  o->effT = &n.Add(cmd, "--eff-t", "turbine efficiency", ptNone, d.effT, Domain::Between(0.3, 1.0));
  cmd->add_option("--eff-t-type", o->turbEff, "isentropic or polytropic")
      ->capture_default_str()
      ->transform(CLI::IsMember({"isentropic", "polytropic"}, CLI::ignore_case));
  o->effMech =
      &n.Add(cmd, "--eff-mech", "mechanical efficiency of the shaft", ptNone, d.effMech, Domain::Between(0.5, 1.0));
  o->offtake = &n.Add(cmd, "--offtake", "shaft power offtake", ptPower, d.offtake, Domain::AtLeast(0.0));
  cmd->add_option("--nozzle", o->nozzle, "convergent, or cd (convergent-divergent, fully expanded)")
      ->capture_default_str()
      ->transform(CLI::IsMember({"convergent", "cd"}, CLI::ignore_case));
  o->cv = &n.Add(cmd, "--cv", "nozzle velocity coefficient", ptNone, d.CV, Domain::Between(0.5, 1.0));
  o->cd = &n.Add(cmd, "--cd", "nozzle discharge coefficient (effective / geometric throat area)", ptNone, d.CD,
                 Domain::Between(0.5, 1.0));
  o->mach2 = &n.Add(cmd, "--mach2", "Mach number at the compressor face, which sizes A2 (0: no statics)", ptNone,
                    d.mach2, Domain::Between(0.0, 0.95, "a subsonic duct"));
  o->mach3 = &n.Add(cmd, "--mach3", "Mach number at the compressor exit, which sizes A3 (0: no statics)", ptNone,
                    d.mach3, Domain::Between(0.0, 0.95, "a subsonic duct"));
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const TUnitSystem u = common.UnitSystem();
      // "--recovery mil": the schedule on the default subsonic recovery.
      if (o->recovery->Given() && CLI::detail::to_lower(o->recovery->text) == "mil") {
        o->milRecovery = true;
        o->recovery->option = nullptr;  // read as not given: its default
      }
      o->n.Read(u);
      o->fuel.CheckApplicable();
      // Only the option that sets the burner or the flow is echoed and swept.
      if (o->far->Has()) o->T4->values.clear();
      if (o->thrust->Has()) o->W->values.clear();
      const Fuel fuel = o->fuel.MakeTheFuel();
      CheckFuelTemperature(fuel, *o->Tfuel, u);
      const double stoich = StoichiometricFar(fuel);
      for (double far : o->far->values)
        if (far > stoich)
          throw BadArgument("--far (burner fuel-air ratio) = " + Printf("%.6g", far) +
                            ": above the stoichiometric fuel-air ratio " + Printf("%.6g", stoich) + " of " + fuel.name +
                            " (no oxygen would be left to burn the rest)");
      bool sweep = false;
      for (const Number* x : o->Swept()) sweep = sweep || x->IsRange();
      const Status s = sweep ? RunSweep(*o, fuel, u, r) : RunPoint(*o, fuel, u, r);
      r.inputs = o->n.Echoes();
      for (Echo& e : o->fuel.Echoes()) r.inputs.push_back(std::move(e));
      r.inputs.push_back(TextEcho("nozzle", o->nozzle));
      if (o->milRecovery) r.inputs.push_back(TextEcho("recovery_schedule", "mil"));
      r.inputs.push_back(TextEcho("eff-c-type", o->compEff));
      r.inputs.push_back(TextEcho("eff-t-type", o->turbEff));
      return s;
    };
  });
}

}  // namespace vyr::cli
