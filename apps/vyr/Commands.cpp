#include "Commands.h"

#include <cmath>
#include <map>
#include <memory>

#include "CommandKit.h"
#include "Fuel.h"
#include "Inputs.h"
#include "RunCommand.h"
#include "VYRglobal.h"

namespace vyr::cli {

MessageScope::MessageScope() {
  previous_ = SetMessageHandler([this](const TMessage& m) {
    messages.push_back(m);
    return int(mrOk);
  });
}

MessageScope::~MessageScope() { SetMessageHandler(previous_); }

std::vector<std::string> MessageScope::Lines() const {
  std::vector<std::string> lines;
  for (const TMessage& m : messages) {
    std::string text;
    for (char c : m.Text) {
      if (c == '\r') continue;
      text += c == '\n' ? ' ' : c;
    }
    if (m.HelpCtx != 0) text += " (help context " + std::to_string(m.HelpCtx) + ")";
    lines.push_back(text);
  }
  return lines;
}

std::string MessageScope::Text() const {
  std::string text;
  for (const std::string& line : Lines()) text += (text.empty() ? "" : "; ") + line;
  return text;
}

namespace {

const char* const kId = "vyr";
constexpr double kTol = 1e-6;  // tolerance factor of the library's iterations

// A gas temperature that a temperature iteration of the library produced: at
// one of its clamps the state lies outside the property tables.
bool IterationTemperatureOk(double T, const std::string& what) {
  if (T > kIterTmin * (1 + 1e-9) && T < kIterTmax * (1 - 1e-9)) return true;
  return Fail(what + " of " + Quantity(T, ptTemperature, usSI) + " lies at the limit of the gas property iterations (" +
              Quantity(kIterTmin, ptTemperature, usSI) + " to " + Quantity(kIterTmax, ptTemperature, usSI) +
              "): the state is outside the property tables");
}

// A static state against its total state: temperature and pressure not above
// the totals, and the energy equation H(Tt) = H(Ts) + V^2/2. The library's
// Mach relation takes the ratio of specific heats at the static temperature
// alone, which leaves about 1 % of the kinetic energy unbalanced at Mach 1, and
// more in hot supersonic flow; the allowance of 5 % keeps those states and refuses gross violations.
bool StaticStateOk(double Pt, double Tt, double Ps, double Ts, double V, const TGasComposition& y) {
  if (!(Ts <= Tt * (1 + 1e-9)))
    return Fail("The static temperature " + Quantity(Ts, ptTemperature, usSI) + " exceeds the total temperature " +
                Quantity(Tt, ptTemperature, usSI));
  if (!(Ps <= Pt * (1 + 1e-9)))
    return Fail("The static pressure " + Quantity(Ps, ptPressure, usSI) + " exceeds the total pressure " +
                Quantity(Pt, ptPressure, usSI));
  const double imbalance = FH(Tt, y) - FH(Ts, y) - V * V / 2.0;
  if (std::fabs(imbalance) > 1e-4 * FCp(Tt, y) * Tt + 0.05 * V * V / 2.0)
    return Fail(
        Printf("The static state breaks the energy balance by %.4g J/kg (V = %.6g m/s at Ts = %.6g K, "
               "Tt = %.6g K)",
               imbalance, V, Ts, Tt));
  return true;
}

// ---- vyr gas -----------------------------------------------------------------

void AddGas(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("gas", "Properties of a gas mixture at temperature and pressure");
  struct Opt {
    Numbers n;
    MixOptions mix;
    Number *T, *P;
  };
  auto o = std::make_shared<Opt>();
  o->T = &o->n.Add(cmd, "-T,--temperature", "temperature", ptTemperature, 288.15,
                   Domain::Between(kTableTmin, kTableTmax, "the range of the gas property tables"), true);
  o->P = &o->n.Add(cmd, "-P,--pressure", "pressure", ptPressure, 101325.0, Domain::Positive(), true);
  o->mix.Add(cmd, o->n, "air");
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const TUnitSystem u = common.UnitSystem();
      o->n.Read(u);
      o->mix.CheckApplicable();
      o->n.Rows({o->T, o->P});
      TGasComposition y;
      if (!o->mix.Composition(y)) return Status::Failed;
      Column mu = Col("mu", "mu", ptNone, Sign::Positive);
      mu.own = ViscosityUnit();
      Table props{"properties",
                  {Col("T", "T", ptTemperature, Sign::Positive), Col("P", "P", ptPressure, Sign::Positive),
                   Col("H", "H", ptSpecEnthalpy), Col("Cp", "Cp", ptSpecHeat, Sign::Positive),
                   Col("R", "R", ptSpecHeat, Sign::Positive), Ratio("gamma", "gamma", 5, Sign::Positive),
                   Col("S", "S", ptSpecEntropy), Col("a", "a", ptSpeed, Sign::Positive), mu,
                   Ratio("RNI", "RNI", 5, Sign::Positive)},
                  {}};
      for (double t : o->T->values)
        for (double p : o->P->values)
          if (!AddRow(props,
                      {t, p, FH(t, y), FCp(t, y), FR(y), FGm(t, y), FS(t, p, y), FCs(t, y), DynViscosity_Mu(t, y),
                       ReynoldsNumberIndex(p, t, y)},
                      u))
            return Status::Failed;
      Table comp{"composition",
                 {Text("species", "species"), Ratio("mass", "mass fraction", 6, Sign::NonNegative),
                  Ratio("mole", "mole fraction", 6, Sign::NonNegative)},
                 {}};
      const TGasComposition x = MoleComposition(y, 1.0);
      for (int s = 0; s < GasCount; ++s)
        if (y[s] > 0) comp.rows.push_back({std::string(GasNames[s]), y[s], x[s]});
      r.inputs = o->n.Echoes();
      for (Echo& e : o->mix.Echoes()) r.inputs.push_back(std::move(e));
      r.tables = {props, comp};
      r.main = "properties";
      return Status::Ok;
    };
  });
}

// ---- vyr process -------------------------------------------------------------

void AddProcess(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("process", "Compression or turbine expansion by a pressure ratio");
  struct Opt {
    Numbers n;
    MixOptions mix;
    std::string type = "compression";
    bool polytropic = false;
    Number *pr, *eff, *Pt, *Tt;
  };
  // The defaults of each process: a compressor on air, a turbine on kerosene products.
  struct Defaults {
    double pr, eff, Pt, Tt;
    const char* mix;
  };
  static const std::map<std::string, Defaults> kDefaults = {{"compression", {10.0, 0.85, 101325.0, 288.15, "air"}},
                                                            {"expansion", {4.0, 0.9, 20e5, 1500.0, "products"}}};
  const Defaults& c = kDefaults.at("compression");
  auto o = std::make_shared<Opt>();
  auto* type = cmd->add_option("--type", o->type, "compression or expansion")
                   ->capture_default_str()
                   ->check(CLI::IsMember({"compression", "expansion"}));
  o->pr = &o->n.Add(cmd, "--pr", "pressure ratio, out/in for compression, in/out for expansion", ptNone, c.pr,
                    Domain::AtLeast(1.0, "the higher pressure over the lower"), true);
  o->eff = &o->n.Add(cmd, "--eff", "efficiency", ptNone, c.eff, Domain::Above(0.0, 1.0));
  cmd->add_flag("--polytropic", o->polytropic, "The efficiency is polytropic (else isentropic)");
  o->Pt = &o->n.Add(cmd, "--Pt", "inlet total pressure", ptPressure, c.Pt, Domain::Positive());
  o->Tt = &o->n.Add(cmd, "--Tt", "inlet total temperature", ptTemperature, c.Tt,
                    Domain::Between(kTableTmin, kIterTmax, "the range of the gas property iterations"));
  o->mix.Add(cmd, o->n, c.mix);
  // The help shows the defaults of the process chosen.
  type->each([o](const std::string& t) {
    const auto it = kDefaults.find(t);
    if (it == kDefaults.end()) return;
    const Defaults& d = it->second;
    o->pr->fallback = d.pr;
    o->eff->fallback = d.eff;
    o->Pt->fallback = d.Pt;
    o->Tt->fallback = d.Tt;
    for (Number* n : {o->pr, o->eff, o->Pt, o->Tt}) n->option->default_str(FloatToStr(*n->fallback));
    if (!o->mix.mixOpt->count()) o->mix.mix = d.mix;
    o->mix.mixOpt->default_str(d.mix);
  });
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const TUnitSystem u = common.UnitSystem();
      o->n.Read(u);
      o->mix.CheckApplicable();
      TGasComposition y;
      if (!o->mix.Composition(y)) return Status::Failed;
      const bool compression = o->type == "compression";
      Table st{"stations",
               {Ratio("PR", "PR", 4), Text("station", "station"), Col("Pt", "Pt", ptPressure, Sign::Positive),
                Col("Tt", "Tt", ptTemperature, Sign::Positive), Col("H", "H", ptSpecEnthalpy),
                Col("S", "S", ptSpecEntropy), Col("Ttis", "Ttis", ptTemperature, Sign::Positive)},
               {}};
      Table proc{"process",
                 {Ratio("PR", "PR", 4, Sign::Positive), Col("Pt_out", "Pt out", ptPressure, Sign::Positive),
                  Col("Tt_out", "Tt out", ptTemperature, Sign::Positive),
                  Ratio("eff_is", "isentropic eff.", 5, Sign::Positive),
                  Ratio("eff_poly", "polytropic eff.", 5, Sign::Positive), Col("dH", "H out - H in", ptSpecEnthalpy),
                  Col("dS", "S out - S in", ptSpecEntropy, Sign::NonNegative)},
                 {}};
      for (double pr : o->pr->values) {
        TGasconditions in{};
        in.Pt = o->Pt->Value();
        in.Tt = o->Tt->Value();
        in.Composition = y;
        in.H = FH(in.Tt, y);
        in.S = FS(in.Tt, in.Pt, y);
        TGasconditions out;
        double e = o->eff->Value(), ep = e;
        const bool ok = compression ? Compression(in, pr, kTol, o->polytropic, kId, e, ep, out)
                                    : TurbineExpansion_PR(in, pr, kTol, o->polytropic, kId, e, ep, out);
        if (!ok || !IterationTemperatureOk(out.Tt, "An exit temperature")) return Status::Failed;
        // Entropy of a real process rises; the iteration tolerance allows a trace below.
        const double dS = FS(out.Tt, out.Pt, y) - in.S;
        if (dS < -1e-4 * FCp(in.Tt, y))
          return Failure(
              Printf("The process would destroy entropy (S out - S in = %.4g J/(kg K)) at a pressure "
                     "ratio of %g",
                     dS, pr));
        for (double eff : {e, ep})
          if (!(eff > 0 && eff <= 1 + 1e-9))
            return Failure(Printf("The efficiency %.6g at a pressure ratio of %g lies outside 0 to 1", eff, pr));
        if (!AddRow(proc, {pr, out.Pt, out.Tt, e, ep, out.H - in.H, std::max(dS, 0.0)}, u)) return Status::Failed;
        st.rows.push_back({pr, std::string("in"), in.Pt, in.Tt, in.H, in.S, Cell{}});
        if (!AddRow(st, {pr, std::string("out"), out.Pt, out.Tt, out.H, out.S, out.Ttis}, u)) return Status::Failed;
      }
      r.inputs = {TextEcho("type", o->type), {Text("polytropic", "polytropic"), {o->polytropic}}};
      for (Echo& e : o->n.Echoes()) r.inputs.push_back(std::move(e));
      for (Echo& e : o->mix.Echoes()) r.inputs.push_back(std::move(e));
      r.tables = {st, proc};
      r.main = "process";
      return Status::Ok;
    };
  });
}

// ---- vyr static --------------------------------------------------------------

void AddStatic(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("static",
                                 "Static state of a station from area, Mach number or velocity, "
                                 "and a convergent nozzle");
  struct Opt {
    Numbers n;
    MixOptions mix;
    bool nozzle = false;
    Number *Pt, *Tt, *W, *area, *mach, *velocity, *psBack, *nozzleArea, *cv;
  };
  auto o = std::make_shared<Opt>();
  Numbers& n = o->n;
  o->Pt = &n.Add(cmd, "--Pt", "total pressure", ptPressure, 2e5, Domain::Positive());
  o->Tt = &n.Add(cmd, "--Tt", "total temperature", ptTemperature, 500.0,
                 Domain::Between(kTableTmin, kIterTmax, "the range of the gas property iterations"));
  o->W = &n.Add(cmd, "-W,--flow", "mass flow", ptMassFlow, 10.0, Domain::Positive());
  o->area = &n.Add(cmd, "--area", "flow area", ptArea, {}, Domain::Positive());
  o->mach = &n.Add(cmd, "--mach", "Mach number", ptNone, 0.5, Domain::Positive(), true);
  o->velocity = &n.Add(cmd, "--velocity", "velocity", ptSpeed, {}, Domain::Positive());
  o->area->option->excludes(o->mach->option)->excludes(o->velocity->option);
  o->mach->option->excludes(o->velocity->option);
  cmd->add_flag("--nozzle", o->nozzle, "A convergent nozzle of area --nozzle-area discharging to --ps-back");
  o->psBack = &n.Add(cmd, "--ps-back", "nozzle back pressure", ptPressure, 101325.0, Domain::Positive());
  o->nozzleArea = &n.Add(cmd, "--nozzle-area", "nozzle exit area", ptArea, 0.05, Domain::Positive());
  o->cv = &n.Add(cmd, "--cv", "nozzle velocity coefficient", ptNone, 1.0, Domain::Between(0.5, 1.0));
  o->mix.Add(cmd, n, "air");
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const TUnitSystem u = common.UnitSystem();
      o->n.Read(u);
      o->mix.CheckApplicable();
      for (Number* x : {o->psBack, o->nozzleArea, o->cv}) {
        NotApplicable(x->option, o->nozzle, "without --nozzle");
        if (!o->nozzle) x->values.clear();  // unused, so not echoed
      }
      if (o->area->Has() || o->velocity->Has()) o->mach->values.clear();
      const double Pt = o->Pt->Value(), Tt = o->Tt->Value(), W = o->W->Value();
      if (o->nozzle && !(o->psBack->Value() < Pt))
        throw BadArgument("--ps-back (nozzle back pressure) = " + Quantity(o->psBack->Value(), ptPressure, u) +
                          ": must be below the total pressure " + Quantity(Pt, ptPressure, u) +
                          " (no flow leaves the nozzle otherwise)");
      TGasComposition y;
      if (!o->mix.Composition(y)) return Status::Failed;
      const double R = FR(y);
      Table t{"static",
              {Text("spec", "given"), Col("Ps", "Ps", ptPressure, Sign::Positive),
               Col("Ts", "Ts", ptTemperature, Sign::Positive), Ratio("Mach", "Mach", 4, Sign::NonNegative),
               Col("V", "V", ptSpeed, Sign::NonNegative), Col("A", "A", ptArea, Sign::Positive),
               Col("rho", "rho", ptDensity, Sign::Positive), Text("choked", "choked")},
              {}};
      // A state passes when it is sound and carries the flow: W = rho V A.
      auto add = [&](const std::string& spec, double Ps, double Ts, double M, double V, double A) {
        if (!StaticStateOk(Pt, Tt, Ps, Ts, V, y)) return false;
        const double rho = Ps / (R * Ts);
        if (std::fabs(rho * V * A - W) > 1e-4 * W)
          return Fail(
              Printf("The static state does not carry the flow: rho V A = %.6g kg/s, W = %.6g kg/s", rho * V * A, W));
        return AddRow(t, {spec, Ps, Ts, M, V, A, rho, M >= 1.0 - 1e-9}, u);
      };
      double Ps, Ts, M, V, A;
      if (o->area->Has()) {
        // The flow passes no area smaller than its sonic area.
        double Astar;
        if (!GetStaticfromM(1.0, Pt, Tt, W, y, kTol, Ps, Ts, V, Astar, kId)) return Status::Failed;
        const double area = o->area->Value();
        if (area < Astar * (1 - 1e-6))
          return Failure("The area " + Quantity(area, ptArea, u) + " is smaller than the sonic area " +
                         Quantity(Astar, ptArea, u) + " of this flow (W = " + Quantity(W, ptMassFlow, u) +
                         ", Pt = " + Quantity(Pt, ptPressure, u) + ", Tt = " + Quantity(Tt, ptTemperature, u) +
                         "): the flow cannot pass it");
        if (!GetStatic(W, Pt, Tt, area, y, kTol, Ps, Ts, M, V, kId)) return Status::Failed;
        if (M > 1.0 + 1e-6)
          return Failure(Printf("The static state at the given area has Mach %.4g, above the sonic limit 1", M));
        if (!add("area", Ps, Ts, M, V, area)) return Status::Failed;
      } else if (o->velocity->Has()) {
        if (!GetStaticfromV(o->velocity->Value(), Pt, Tt, W, y, kTol, Ps, Ts, M, A, kId) ||
            !add("velocity", Ps, Ts, M, o->velocity->Value(), A))
          return Status::Failed;
      } else {
        for (double m : o->mach->values)
          if (!GetStaticfromM(m, Pt, Tt, W, y, kTol, Ps, Ts, V, A, kId) || !add("Mach", Ps, Ts, m, V, A))
            return Status::Failed;
      }
      r.tables = {t};
      r.main = "static";
      if (o->nozzle) {
        double PsOut, Hs, Rho, Wn;
        const double psBack = o->psBack->Value(), An = o->nozzleArea->Value();
        if (!ConvDuct(FH(Tt, y), Pt, Tt, psBack, An, o->cv->Value(), y, kTol, PsOut, Ts, Hs, M, V, Wn, Rho, kId))
          return Status::Failed;
        if (!(M <= 1.0 + 1e-6) || !(PsOut >= psBack * (1 - 1e-9)))
          return Failure(
              Printf("The convergent nozzle gives Mach %.4g at an exit pressure of %.6g Pa against a "
                     "back pressure of %.6g Pa: no convergent nozzle flow does that",
                     M, PsOut, psBack));
        // The velocity coefficient lowers the jet speed below the isentropic one.
        if (!StaticStateOk(Pt, Tt, PsOut, Ts, V, y)) return Status::Failed;
        Table nz{"nozzle",
                 {Col("Ps_back", "Ps back", ptPressure, Sign::Positive),
                  Col("Ps_exit", "Ps exit", ptPressure, Sign::Positive), Col("Ts", "Ts", ptTemperature, Sign::Positive),
                  Ratio("Mach", "Mach", 4, Sign::NonNegative), Col("V", "V", ptSpeed, Sign::NonNegative),
                  Col("W", "W", ptMassFlow, Sign::Positive), Col("rho", "rho", ptDensity, Sign::Positive),
                  Text("choked", "choked")},
                 {}};
        if (!AddRow(nz, {psBack, PsOut, Ts, M, V, Wn, Rho, M >= 1.0 - 1e-9}, u)) return Status::Failed;
        r.tables.push_back(nz);
      }
      r.inputs = o->n.Echoes();
      if (o->nozzle) r.inputs.push_back({Text("nozzle", "nozzle"), {true}});
      for (Echo& e : o->mix.Echoes()) r.inputs.push_back(std::move(e));
      return Status::Ok;
    };
  });
}

// ---- vyr burn ----------------------------------------------------------------

void AddBurn(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("burn", "Combustion products of a fuel in air, and the adiabatic flame temperature");
  struct Opt {
    Numbers n;
    MixOptions fuel;
    std::string method = "equilibrium";
    Number *far, *T, *P, *Tair, *Tfuel, *eff;
  };
  auto o = std::make_shared<Opt>();
  Numbers& n = o->n;
  o->fuel.AddFuel(cmd, n);
  o->far = &n.Add(cmd, "--far", "fuel-air ratio", ptNone, 0.03, Domain::Above(0.0, 1.0), true);
  cmd->add_option("--method", o->method,
                  "Products: equilibrium (lean mixtures only), or complete combustion (lean and rich)")
      ->capture_default_str()
      ->check(CLI::IsMember({"equilibrium", "complete"}));
  o->T = &n.Add(cmd, "-T,--temperature", "temperature of the equilibrium products", ptTemperature, 2000.0,
                Domain::Between(300.0, 4000.0, "the range of the equilibrium calculation"));
  o->P = &n.Add(cmd, "-P,--pressure", "pressure", ptPressure, 20e5, Domain::Positive());
  o->Tair = &n.Add(cmd, "--t-air", "air temperature for the flame temperature", ptTemperature, 800.0,
                   Domain::Between(kTableTmin, 2000.0));
  o->Tfuel = &n.Add(cmd, "--t-fuel", "fuel temperature", ptTemperature, 298.15, Domain::Between(kTableTmin, 1000.0));
  o->eff =
      &n.Add(cmd, "--eff", "combustion efficiency for the flame temperature", ptNone, 1.0, Domain::Between(0.5, 1.0));
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const TUnitSystem u = common.UnitSystem();
      o->n.Read(u);
      o->fuel.CheckApplicable();
      const bool equilibrium = o->method == "equilibrium";
      NotApplicable(o->T->option, equilibrium, "to --method complete (only to equilibrium products)");
      const Fuel fuel = o->fuel.MakeTheFuel();
      const double stoich = StoichiometricFar(fuel);
      const Method method = equilibrium ? Method::Equilibrium : Method::Complete;
      if (equilibrium)
        for (double far : o->far->values)
          if (far >= stoich)
            return Failure(
                Printf("The equilibrium products are computed for lean mixtures only: the fuel-air "
                       "ratio %g is at or above the stoichiometric %.5g of this fuel. "
                       "--method complete gives complete-combustion products there",
                       far, stoich));
      Table flame{"flame",
                  {Ratio("far", "FAR", 5, Sign::Positive), Ratio("phi", "equivalence", 4, Sign::Positive),
                   Col("T_air", "T air", ptTemperature, Sign::Positive),
                   Col("T_flame", "T flame", ptTemperature, Sign::Positive)},
                  {}};
      std::vector<Column> cols{Ratio("far", "FAR", 5), Text("species", "species"),
                               Ratio("complete_mass", "complete mass", 6, Sign::NonNegative),
                               Ratio("complete_mole", "complete mole", 6, Sign::NonNegative)};
      if (equilibrium) {
        cols.push_back(Ratio("equilibrium_mass", "equilibrium mass", 6, Sign::NonNegative));
        cols.push_back(Ratio("equilibrium_mole", "equilibrium mole", 6, Sign::NonNegative));
      }
      Table prod{"products", cols, {}};
      const double Tair = o->Tair->Value(), Tfuel = o->Tfuel->Value(), eff = o->eff->Value(), P = o->P->Value();
      for (double far : o->far->values) {
        double Tf;
        if (!ExitTemperature(fuel, far, Tair, Tfuel, eff, P, Tf, method)) return Status::Failed;
        if (!AddRow(flame, {far, ChemicalEqRatio(Reactants(fuel, far), fuel.y, fuel.z), Tair, Tf}, u))
          return Status::Failed;
        TGasComposition complete, eqMass{}, eqMole{};
        if (!CompleteProducts(fuel, far, complete)) return Status::Failed;
        if (equilibrium && !EquilibriumProducts(fuel, far, o->T->Value(), P, eqMass, &eqMole)) return Status::Failed;
        const TGasComposition completeMole = MoleComposition(complete, 1.0);
        for (int s = 0; s < GasCount; ++s) {
          if (!(complete[s] > 0 || eqMass[s] > 0)) continue;
          Row row{far, std::string(GasNames[s]), complete[s], completeMole[s]};
          if (equilibrium) row.insert(row.end(), {eqMass[s], eqMole[s]});
          if (!AddRow(prod, row, u)) return Status::Failed;
        }
      }
      Table about{"fuel",
                  {Text("fuel", "fuel"), Ratio("HC", "H/C", 4), Ratio("OC", "O/C", 4),
                   Col("LHV", "LHV", ptSpecEnthalpy, Sign::Positive),
                   Ratio("far_stoich", "stoichiometric FAR", 5, Sign::Positive)},
                  {{fuel.name, fuel.y, fuel.z, fuel.LHV, stoich}}};
      r.inputs = o->fuel.Echoes();
      r.inputs.push_back(TextEcho("method", o->method));
      for (Echo& e : o->n.Echoes())
        if (equilibrium || e.column.key != "temperature") r.inputs.push_back(std::move(e));
      r.tables = {about, prod, flame};
      r.main = "flame";
      return Status::Ok;
    };
  });
}

// ---- vyr atmosphere ----------------------------------------------------------

int DayTypeOf(const std::string& id) {
  for (int d = 0; d <= dtCustom; ++d)
    if (DayTypeOptionsArray[d] == id) return d;
  return -1;
}

// Day-type temperature at a pressure altitude, interpolated linearly in its profile.
std::optional<double> DayTemperature(TDayType d, double zp) {
  const TDayProperties& p = DayTypeDataArray[d];
  int n = 0;
  while (n < 25 && (n == 0 || p.DayTypePressureAltitude[n] > p.DayTypePressureAltitude[n - 1])) ++n;
  if (n < 2 || zp < p.DayTypePressureAltitude[0] || zp > p.DayTypePressureAltitude[n - 1]) return std::nullopt;
  int i = 1;
  while (i < n - 1 && zp > p.DayTypePressureAltitude[i]) ++i;
  const double z0 = p.DayTypePressureAltitude[i - 1], z1 = p.DayTypePressureAltitude[i];
  const double t0 = p.DayTypeTemperature[i - 1], t1 = p.DayTypeTemperature[i];
  return t0 + (t1 - t0) * (zp - z0) / (z1 - z0);
}

void AddAtmosphere(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("atmosphere", "Standard and day-type ambient temperature and pressure");
  struct Opt {
    Numbers n;
    std::string day = "HOT";
    Number* z;
  };
  auto o = std::make_shared<Opt>();
  o->z = &o->n.Add(cmd, "-z,--altitude", "pressure altitude", ptAltitude, {}, Domain::Any(), true);
  o->z->option->default_str("0:20000:2000");
  std::vector<std::string> ids;
  for (int d = 0; d <= dtCustom; ++d) ids.emplace_back(DayTypeOptionsArray[d]);
  cmd->add_option("--day", o->day, "Day type beside the standard day")
      ->capture_default_str()
      ->check(CLI::IsMember(ids));
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const TUnitSystem u = common.UnitSystem();
      o->n.Read(u);
      if (!o->z->Given()) o->z->values = ReadValues("0:20000:2000", ptAltitude, usSI, "--altitude");
      const auto d = static_cast<TDayType>(DayTypeOf(o->day));
      Table t{"atmosphere",
              {Col("Zp", "Zp", ptAltitude), Col("Ps", "Ps", ptPressure, Sign::Positive),
               Col("Ts_std", "Ts std", ptTemperature, Sign::Positive),
               Col("Ts_day", std::string("Ts ") + std::string(DayTypeOptionsArray[d]), ptTemperature, Sign::Positive),
               Col("rho_std", "rho std", ptDensity, Sign::Positive)},
              {}};
      for (double z : o->z->values) {
        double Ts = 0, Ps = 0;
        if (!GetSTDTsAmbFromPressureAltitude(z, dtStd, Ts) || !GetSTDPsAmbFromPressureAltitude(z, dtStd, Ps))
          return Status::Failed;
        const auto Tday = d == dtStd ? std::optional<double>(Ts) : DayTemperature(d, z);
        Row row{z, Ps, Ts, Cell{}, Ps / (R_st * Ts)};
        if (Tday) row[3] = *Tday;
        if (!AddRow(t, std::move(row), u)) return Status::Failed;
      }
      r.inputs = o->n.Echoes();
      r.inputs.push_back(TextEcho("day", o->day));
      r.tables = {t};
      r.main = "atmosphere";
      return Status::Ok;
    };
  });
}

// ---- vyr flight --------------------------------------------------------------

void AddFlight(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("flight", "Ambient and flight condition: pressures, temperatures, density, speeds");
  struct Opt {
    Numbers n;
    std::string model = "isa+c", speed = "mach";
    Number *z, *mach, *dT, *Ts, *Ps, *Vt, *Vc;
  };
  auto o = std::make_shared<Opt>();
  Numbers& n = o->n;
  cmd->add_option("--model", o->model,
                  "Atmosphere: isa, isa+c (with --dt), custom (with --ts and --ps), ts (static temperature --ts)")
      ->capture_default_str()
      ->check(CLI::IsMember({"isa", "isa+c", "custom", "ts"}));
  cmd->add_option("--speed", o->speed, "Speed given: mach, vt (true airspeed) or vc (calibrated airspeed)")
      ->capture_default_str()
      ->check(CLI::IsMember({"mach", "vt", "vc"}));
  o->z = &n.Add(cmd, "-z,--altitude", "pressure altitude", ptAltitude, 11000.0, Domain::Any(), true);
  o->mach = &n.Add(cmd, "-m,--mach", "Mach number", ptNone, 0.8, Domain::AtLeast(0.0, "a speed is not negative"), true);
  o->dT = &n.Add(cmd, "--dt", "offset from the standard temperature", ptTempDiff, 0.0, Domain::Any());
  o->Ts = &n.Add(cmd, "--ts", "static temperature", ptTemperature, 288.15, Domain::Positive());
  o->Ps = &n.Add(cmd, "--ps", "static pressure", ptPressure, 101325.0, Domain::Positive());
  o->Vt = &n.Add(cmd, "--vt", "true airspeed", ptSpeed, 250.0, Domain::AtLeast(0.0, "a speed is not negative"));
  o->Vc = &n.Add(cmd, "--vc", "calibrated airspeed", ptSpeed, 150.0, Domain::AtLeast(0.0, "a speed is not negative"));
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const TUnitSystem u = common.UnitSystem();
      o->n.Read(u);
      static const std::map<std::string, int> models = {{"isa", 0}, {"isa+c", 1}, {"custom", 2}, {"ts", 3}};
      static const std::map<std::string, int> speeds = {{"mach", 0}, {"vt", 1}, {"vc", 2}};
      const int model = models.at(o->model), speed = speeds.at(o->speed);
      const std::string withModel = "to --model " + o->model, withSpeed = "to --speed " + o->speed;
      NotApplicable(o->dT->option, o->model == "isa+c", withModel + " (only to isa+c)");
      NotApplicable(o->Ts->option, o->model == "ts" || o->model == "custom", withModel + " (only to ts and custom)");
      NotApplicable(o->Ps->option, o->model == "custom", withModel + " (only to custom)");
      NotApplicable(o->mach->option, speed == 0, withSpeed + " (only to mach)");
      NotApplicable(o->Vt->option, speed == 1, withSpeed + " (only to vt)");
      NotApplicable(o->Vc->option, speed == 2, withSpeed + " (only to vc)");
      o->n.Rows({o->z, o->mach});
      Table t{"flight",
              {Col("Zp", "Zp", ptAltitude), Col("dTs", "dTs", ptTempDiff), Col("Ps", "Ps", ptPressure, Sign::Positive),
               Col("Ts", "Ts", ptTemperature, Sign::Positive), Col("rho", "rho", ptDensity, Sign::Positive),
               Col("Pt", "Pt", ptPressure, Sign::Positive), Col("Tt", "Tt", ptTemperature, Sign::Positive),
               Ratio("Mach", "Mach", 4, Sign::NonNegative), Col("Vt", "Vt", ptSpeed, Sign::NonNegative),
               Col("Vc", "Vc", ptSpeed, Sign::NonNegative)},
              {}};
      for (double z : o->z->values) {
        for (double m : speed == 0 ? o->mach->values : std::vector<double>{0.0}) {
          TAmbConditions a{};
          a.Zp = z;
          a.dTs = model == 1 ? o->dT->Value() : 0.0;
          a.Ts = o->Ts->Value();
          a.Ps = o->Ps->Value();
          a.Mach = m;
          a.Vt = o->Vt->Value();
          a.Vc = o->Vc->Value();
          if (!CalcFlyCon(model, speed, a)) return Status::Failed;
          if (!(a.Ts > 0))
            return Failure("The static temperature " + Quantity(a.Ts, ptTemperature, u) + " at " +
                           Quantity(z, ptAltitude, u) + " is not above absolute zero: the temperature offset " +
                           Quantity(a.dTs, ptTempDiff, u) + " is too cold");
          if (!AddRow(t, {a.Zp, a.dTs, a.Ps, a.Ts, a.Rho, a.Pt, a.Tt, a.Mach, a.Vt, a.Vc}, u)) return Status::Failed;
          if (!(a.Tt <= kTableTmax))
            return Failure("The total temperature " + Quantity(a.Tt, ptTemperature, u) + " lies above the " +
                           Quantity(kTableTmax, ptTemperature, u) +
                           " of the gas property tables: the speed is beyond this calculation");
          if (!(a.Tt >= a.Ts * (1 - 1e-9) && a.Pt >= a.Ps * (1 - 1e-9)))
            return Failure("The total state lies below the static state");
        }
      }
      r.inputs = {TextEcho("model", o->model), TextEcho("speed", o->speed)};
      for (Echo& e : o->n.Echoes()) {
        const std::string& k = e.column.key;
        const bool used = (k == "altitude") || (k == "mach" && speed == 0) || (k == "vt" && speed == 1) ||
                          (k == "vc" && speed == 2) || (k == "dt" && model == 1) ||
                          (k == "ts" && (model == 2 || model == 3)) || (k == "ps" && model == 2);
        if (used) r.inputs.push_back(std::move(e));
      }
      r.tables = {t};
      r.main = "flight";
      return Status::Ok;
    };
  });
}

}  // namespace

void AddCommands(CLI::App& app, Common& common, Action& action) {
  app.add_option("--units", common.units, "Unit system of the output, and of inputs given without a unit")
      ->capture_default_str()
      ->check(CLI::IsMember({"si", "imperial"}));
  auto* json = app.add_flag("--json", common.json, "Write JSON");
  auto* csv = app.add_flag("--csv", common.csv, "Write CSV: one table, the command's main one or --table");
  app.add_option("--table", common.table, "Write only this table");
  json->excludes(csv);
  app.fallthrough();  // the output options may follow the subcommand
  AddGas(app, common, action);
  AddProcess(app, common, action);
  AddStatic(app, common, action);
  AddBurn(app, common, action);
  AddAtmosphere(app, common, action);
  AddFlight(app, common, action);
  AddCycle(app, common, action);
  AddRun(app, common, action);
}

}  // namespace vyr::cli
