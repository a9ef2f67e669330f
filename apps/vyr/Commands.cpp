#include "Commands.h"

#include <cmath>
#include <map>
#include <sstream>

#include "Fuel.h"
#include "Turbojet.h"
#include "VYRglobal.h"

namespace vyr::cli {

std::vector<double> ParseRange(const std::string& text, const std::string& what) {
  auto number = [&](const std::string& s) {
    std::size_t used = 0;
    double v = 0;
    try {
      v = std::stod(s, &used);
    } catch (const std::exception&) {
      used = 0;
    }
    if (used != s.size() || s.empty() || !std::isfinite(v))
      throw CLI::ValidationError(what, "\"" + text + "\" is not a number or a range start:stop:step");
    return v;
  };
  std::vector<std::string> parts;
  std::stringstream ss(text);
  for (std::string p; std::getline(ss, p, ':');) parts.push_back(p);
  if (parts.size() == 1) return {number(parts[0])};
  if (parts.size() != 3) throw CLI::ValidationError(what, "a range is start:stop:step, not \"" + text + "\"");
  const double a = number(parts[0]), b = number(parts[1]), step = number(parts[2]);
  if (step == 0 || (b - a) / step < 0)
    throw CLI::ValidationError(what, "the step of \"" + text + "\" does not lead from start to stop");
  const double n = std::floor((b - a) / step + 1e-9);
  if (n > 10000) throw CLI::ValidationError(what, "the range \"" + text + "\" has more than 10000 values");
  std::vector<double> v;
  for (int i = 0; i <= static_cast<int>(n); ++i) v.push_back(a + i * step);
  return v;
}

namespace {

const char* const kId = "vyr";

// Composition options shared by the gas, process and static commands.
struct MixOptions {
  std::string mix = "air";
  std::string fuel = "avtur";
  double far = 0.03;
  std::optional<double> hc, oc, lhv, hf;

  void Add(CLI::App* cmd, const std::string& defaultMix) {
    mix = defaultMix;
    cmd->add_option("--mix", mix,
                    "Gas: air, products (of --fuel at --far), or mass fractions such as \"N2=0.77,O2=0.23\"")
        ->capture_default_str();
    AddFuel(cmd);
    cmd->add_option("--far", far, "Fuel-air ratio of the products [-]")->capture_default_str()->check(
        CLI::Range(0.0, 1.0));
  }
  void AddFuel(CLI::App* cmd) {
    cmd->add_option("--fuel", fuel, "Fuel: avtur, avtag, avcat, diesel, natgas, hydrogen, jp10, ethanol, "
                                    "methanol, ammonia, or user (with --hc and --lhv or --hf)")
        ->capture_default_str()
        ->check(CLI::IsMember(FuelKeys()));
    cmd->add_option("--hc", hc, "User fuel: hydrogen-to-carbon atom ratio [-]");
    cmd->add_option("--oc", oc, "User fuel: oxygen-to-carbon atom ratio [-]");
    cmd->add_option("--lhv", lhv, "User fuel: lower heating value [J/kg]");
    cmd->add_option("--hf", hf, "User fuel: formation enthalpy [J/kg]");
  }
  Fuel MakeTheFuel() const { return MakeFuel(fuel, hc, oc, lhv, hf); }

  // Throws CLI::ValidationError for a mixture it cannot read.
  bool Composition(TGasComposition& y) const {
    if (mix == "air") {
      y = Air;
      return true;
    }
    if (mix == "products") return CompleteProducts(MakeTheFuel(), far, y);
    y = TGasComposition{};
    std::stringstream ss(mix);
    for (std::string item; std::getline(ss, item, ',');) {
      const auto eq = item.find('=');
      const std::string name = item.substr(0, eq);
      int s = 0;
      while (s < GasCount && GasNames[s] != name) ++s;
      if (eq == std::string::npos || s == GasCount)
        throw CLI::ValidationError("--mix", "\"" + item + "\" is not species=mass fraction (species: CO2, CO, O2, "
                                            "Ar, H2Og, H2Ol, H2, CH4, C2H6, C2H4, C3H8, C4H10, O, H, OH, NO, N2O, N2)");
      y[s] = ParseRange(item.substr(eq + 1), "--mix").front();
    }
    return CheckComposition(y, "vyr --mix");
  }
};

Column Col(std::string key, std::string heading, TParType t, std::string unit = "", int decimals = -1) {
  return {std::move(key), std::move(heading), t, std::move(unit), decimals};
}

// ---- vyr gas -----------------------------------------------------------------

void AddGas(CLI::App& app, Action& action) {
  auto* cmd = app.add_subcommand("gas", "Properties of a gas mixture at temperature and pressure");
  auto o = std::make_shared<MixOptions>();
  auto T = std::make_shared<std::string>("288.15");
  auto P = std::make_shared<std::string>("101325");
  o->Add(cmd, "air");
  cmd->add_option("-T,--temperature", *T, "Temperature [K], or a range start:stop:step")->capture_default_str();
  cmd->add_option("-P,--pressure", *P, "Pressure [Pa], or a range")->capture_default_str();
  cmd->callback([&action, o, T, P] {
    const auto temps = ParseRange(*T, "--temperature"), pressures = ParseRange(*P, "--pressure");
    action = [o, temps, pressures](std::vector<Table>& out) {
      TGasComposition y;
      if (!o->Composition(y)) return false;
      Table props{"properties",
                  {Col("T", "T", ptTemperature), Col("P", "P", ptPressure), Col("H", "H", ptSpecEnthalpy),
                   Col("Cp", "Cp", ptSpecHeat), Col("R", "R", ptSpecHeat), Col("gamma", "gamma", ptNone, "", 5),
                   Col("S", "S", ptSpecEntropy), Col("a", "a", ptSpeed),
                   Col("mu", "mu", ptNone, "uPa s", 4), Col("RNI", "RNI", ptNone, "", 5)},
                  {}};
      for (double t : temps)
        for (double p : pressures)
          props.rows.push_back({t, p, FH(t, y), FCp(t, y), FR(y), FGm(t, y), FS(t, p, y), FCs(t, y),
                                1e6 * DynViscosity_Mu(t, y), ReynoldsNumberIndex(p, t, y)});
      Table comp{"composition",
                 {Col("species", "species", ptNone), Col("mass", "mass fraction", ptNone, "", 6),
                  Col("mole", "mole fraction", ptNone, "", 6)},
                 {}};
      const TGasComposition x = MoleComposition(y, 1.0);
      for (int s = 0; s < GasCount; ++s)
        if (y[s] > 0) comp.rows.push_back({std::string(GasNames[s]), y[s], x[s]});
      out = {props, comp};
      return true;
    };
  });
}

// ---- vyr process -------------------------------------------------------------

void AddProcess(CLI::App& app, Action& action) {
  auto* cmd = app.add_subcommand("process", "Compression or turbine expansion by a pressure ratio");
  struct Opt {
    std::string type = "compression";
    std::string pr = "10";
    double eff = 0.85, Pt = 101325.0, Tt = 288.15;
    bool polytropic = false;
    MixOptions mix;
  };
  auto o = std::make_shared<Opt>();
  cmd->add_option("--type", o->type, "compression or expansion")
      ->capture_default_str()
      ->check(CLI::IsMember({"compression", "expansion"}));
  auto* pr = cmd->add_option("--pr", o->pr, "Pressure ratio (out/in for compression, in/out for expansion), or a range")
                 ->capture_default_str();
  auto* eff = cmd->add_option("--eff", o->eff, "Efficiency [-] (0.85 for compression, 0.9 for expansion)")
                  ->capture_default_str()
                  ->check(CLI::Range(0.01, 1.0));
  cmd->add_flag("--polytropic", o->polytropic, "The efficiency is polytropic (else isentropic)");
  auto* Pt = cmd->add_option("--Pt", o->Pt, "Inlet total pressure [Pa]")->capture_default_str()->check(
      CLI::PositiveNumber);
  auto* Tt = cmd->add_option("--Tt", o->Tt, "Inlet total temperature [K]")->capture_default_str()->check(
      CLI::Range(150.0, 3000.0));
  auto* mixOpt = cmd->add_option("--mix", o->mix.mix, "Gas: air, products, or mass fractions")->capture_default_str();
  o->mix.AddFuel(cmd);
  cmd->add_option("--far", o->mix.far, "Fuel-air ratio of the products [-]")->capture_default_str();
  cmd->callback([&action, o, pr, Pt, Tt, mixOpt, eff] {
    // An expansion shows a turbine of kerosene products unless told otherwise.
    if (o->type == "expansion") {
      if (!pr->count()) o->pr = "4";
      if (!Pt->count()) o->Pt = 20e5;
      if (!Tt->count()) o->Tt = 1500.0;
      if (!mixOpt->count()) o->mix.mix = "products";
      if (!eff->count()) o->eff = 0.9;
    }
    const auto ratios = ParseRange(o->pr, "--pr");
    for (double r : ratios)
      if (!(r > 0)) throw CLI::ValidationError("--pr", "the pressure ratio must be positive");
    action = [o, ratios](std::vector<Table>& out) {
      TGasComposition y;
      if (!o->mix.Composition(y)) return false;
      Table st{"stations",
               {Col("PR", "PR", ptNone, "", 4), Col("station", "station", ptNone), Col("Pt", "Pt", ptPressure),
                Col("Tt", "Tt", ptTemperature), Col("H", "H", ptSpecEnthalpy), Col("S", "S", ptSpecEntropy),
                Col("Ttis", "Ttis", ptTemperature)},
               {}};
      Table eff{"process",
                {Col("PR", "PR", ptNone, "", 4), Col("eff_is", "isentropic eff.", ptNone, "", 5),
                 Col("eff_poly", "polytropic eff.", ptNone, "", 5), Col("dH", "H out - H in", ptSpecEnthalpy)},
                {}};
      for (double r : ratios) {
        TGasconditions in{};
        in.Pt = o->Pt;
        in.Tt = o->Tt;
        in.Composition = y;
        in.H = FH(in.Tt, y);
        TGasconditions outGas;
        double e = o->eff, ep = o->eff;
        const bool ok = o->type == "compression"
                            ? Compression(in, r, 1e-6, o->polytropic, kId, e, ep, outGas)
                            : TurbineExpansion_PR(in, r, 1e-6, o->polytropic, kId, e, ep, outGas);
        if (!ok) return false;
        st.rows.push_back({r, std::string("in"), in.Pt, in.Tt, in.H, in.S, Cell{}});
        st.rows.push_back({r, std::string("out"), outGas.Pt, outGas.Tt, outGas.H, outGas.S, outGas.Ttis});
        eff.rows.push_back({r, e, ep, outGas.H - in.H});
      }
      out = {st, eff};
      return true;
    };
  });
}

// ---- vyr static --------------------------------------------------------------

void AddStatic(CLI::App& app, Action& action) {
  auto* cmd = app.add_subcommand("static", "Static state of a station from area, Mach number or velocity, "
                                           "and a convergent nozzle");
  struct Opt {
    double Pt = 2e5, Tt = 500.0, W = 10.0;
    std::optional<double> area, velocity;
    std::string mach = "0.5";
    bool nozzle = false;
    double psBack = 101325.0, cv = 1.0, nozzleArea = 0.05;
    MixOptions mix;
  };
  auto o = std::make_shared<Opt>();
  cmd->add_option("--Pt", o->Pt, "Total pressure [Pa]")->capture_default_str()->check(CLI::PositiveNumber);
  cmd->add_option("--Tt", o->Tt, "Total temperature [K]")->capture_default_str()->check(CLI::Range(150.0, 3000.0));
  cmd->add_option("-W,--flow", o->W, "Mass flow [kg/s]")->capture_default_str();
  auto* area = cmd->add_option("--area", o->area, "Flow area [m2]")->check(CLI::PositiveNumber);
  auto* mach = cmd->add_option("--mach", o->mach, "Mach number, or a range (the default)")->capture_default_str();
  auto* vel = cmd->add_option("--velocity", o->velocity, "Velocity [m/s]")->check(CLI::PositiveNumber);
  area->excludes(mach)->excludes(vel);
  mach->excludes(vel);
  cmd->add_flag("--nozzle", o->nozzle, "A convergent nozzle of area --nozzle-area discharging to --ps-back");
  cmd->add_option("--ps-back", o->psBack, "Nozzle back pressure [Pa]")->capture_default_str()->check(
      CLI::PositiveNumber);
  cmd->add_option("--nozzle-area", o->nozzleArea, "Nozzle exit area [m2]")->capture_default_str()->check(
      CLI::PositiveNumber);
  cmd->add_option("--cv", o->cv, "Nozzle velocity coefficient [-]")->capture_default_str()->check(
      CLI::Range(0.5, 1.0));
  o->mix.Add(cmd, "air");
  cmd->callback([&action, o] {
    const auto machs = o->area || o->velocity ? std::vector<double>{} : ParseRange(o->mach, "--mach");
    action = [o, machs](std::vector<Table>& out) {
      TGasComposition y;
      if (!o->mix.Composition(y)) return false;
      Table t{"static",
              {Col("spec", "given", ptNone), Col("Ps", "Ps", ptPressure), Col("Ts", "Ts", ptTemperature),
               Col("Mach", "Mach", ptNone, "", 4), Col("V", "V", ptSpeed), Col("A", "A", ptArea),
               Col("rho", "rho", ptDensity), Col("choked", "choked", ptNone)},
              {}};
      auto add = [&](const std::string& spec, double Ps, double Ts, double M, double V, double A) {
        t.rows.push_back({spec, Ps, Ts, M, V, A, Ps / (FR(y) * Ts), std::string(M >= 1.0 ? "yes" : "no")});
      };
      double Ps, Ts, M, V, A;
      if (o->area) {
        if (!GetStatic(o->W, o->Pt, o->Tt, *o->area, y, 1e-6, Ps, Ts, M, V, kId)) return false;
        add("area", Ps, Ts, M, V, *o->area);
      } else if (o->velocity) {
        if (!GetStaticfromV(*o->velocity, o->Pt, o->Tt, o->W, y, 1e-6, Ps, Ts, M, A, kId)) return false;
        add("velocity", Ps, Ts, M, *o->velocity, A);
      } else {
        for (double m : machs) {
          if (!(m > 0)) throw CLI::ValidationError("--mach", "the Mach number must be positive");
          if (!GetStaticfromM(m, o->Pt, o->Tt, o->W, y, 1e-6, Ps, Ts, V, A, kId)) return false;
          add("Mach", Ps, Ts, m, V, A);
        }
      }
      out = {t};
      if (o->nozzle) {
        double PsOut, Hs, Rho, W;
        if (!ConvDuct(FH(o->Tt, y), o->Pt, o->Tt, o->psBack, o->nozzleArea, o->cv, y, 1e-6, PsOut, Ts, Hs, M, V, W,
                      Rho, kId))
          return false;
        out.push_back({"nozzle",
                       {Col("Ps_back", "Ps back", ptPressure), Col("Ps_exit", "Ps exit", ptPressure),
                        Col("Ts", "Ts", ptTemperature), Col("Mach", "Mach", ptNone, "", 4), Col("V", "V", ptSpeed),
                        Col("W", "W", ptMassFlow), Col("rho", "rho", ptDensity), Col("choked", "choked", ptNone)},
                       {{o->psBack, PsOut, Ts, M, V, W, Rho, std::string(M >= 1.0 ? "yes" : "no")}}});
      }
      return true;
    };
  });
}

// ---- vyr burn ----------------------------------------------------------------

void AddBurn(CLI::App& app, Action& action) {
  auto* cmd = app.add_subcommand("burn", "Combustion products of a fuel in air, and the adiabatic flame temperature");
  struct Opt {
    MixOptions fuel;
    std::string far = "0.03";
    double T = 2000.0, P = 20e5, Tair = 800.0, Tfuel = 298.15, eff = 1.0;
  };
  auto o = std::make_shared<Opt>();
  o->fuel.AddFuel(cmd);
  cmd->add_option("--far", o->far, "Fuel-air ratio [-], or a range")->capture_default_str();
  cmd->add_option("-T,--temperature", o->T, "Temperature of the equilibrium products [K]")
      ->capture_default_str()
      ->check(CLI::Range(300.0, 4000.0));
  cmd->add_option("-P,--pressure", o->P, "Pressure [Pa]")->capture_default_str()->check(CLI::PositiveNumber);
  cmd->add_option("--t-air", o->Tair, "Air temperature for the flame temperature [K]")->capture_default_str()->check(
      CLI::Range(200.0, 2000.0));
  cmd->add_option("--t-fuel", o->Tfuel, "Fuel temperature [K]")->capture_default_str()->check(
      CLI::Range(200.0, 1000.0));
  cmd->add_option("--eff", o->eff, "Combustion efficiency for the flame temperature [-]")
      ->capture_default_str()
      ->check(CLI::Range(0.5, 1.0));
  cmd->callback([&action, o] {
    const auto fars = ParseRange(o->far, "--far");
    for (double f : fars)
      if (!(f > 0 && f < 1)) throw CLI::ValidationError("--far", "the fuel-air ratio must lie between 0 and 1");
    action = [o, fars](std::vector<Table>& out) {
      const Fuel fuel = o->fuel.MakeTheFuel();
      Table flame{"flame",
                  {Col("far", "FAR", ptNone, "", 5), Col("phi", "equivalence", ptNone, "", 4),
                   Col("T_air", "T air", ptTemperature), Col("T_flame", "T flame", ptTemperature)},
                  {}};
      TGasComposition complete, eqMass, eqMole;
      for (double far : fars) {
        double Tf;
        if (!ExitTemperature(fuel, far, o->Tair, o->Tfuel, o->eff, o->P, Tf)) return false;
        flame.rows.push_back({far, ChemicalEqRatio(Reactants(fuel, far), fuel.y, fuel.z), o->Tair, Tf});
      }
      if (!CompleteProducts(fuel, fars.front(), complete)) return false;
      if (!EquilibriumProducts(fuel, fars.front(), o->T, o->P, eqMass, &eqMole)) return false;
      const TGasComposition completeMole = MoleComposition(complete, 1.0);
      Table prod{"products",
                 {Col("species", "species", ptNone), Col("complete_mass", "complete mass", ptNone, "", 6),
                  Col("complete_mole", "complete mole", ptNone, "", 6),
                  Col("equilibrium_mass", "equilibrium mass", ptNone, "", 6),
                  Col("equilibrium_mole", "equilibrium mole", ptNone, "", 6)},
                 {}};
      for (int s = 0; s < GasCount; ++s)
        if (complete[s] > 0 || eqMass[s] > 0)
          prod.rows.push_back({std::string(GasNames[s]), complete[s], completeMole[s], eqMass[s], eqMole[s]});
      Table about{"fuel",
                  {Col("fuel", "fuel", ptNone), Col("HC", "H/C", ptNone, "", 4), Col("OC", "O/C", ptNone, "", 4),
                   Col("LHV", "LHV", ptSpecEnthalpy), Col("far_stoich", "stoichiometric FAR", ptNone, "", 5),
                   Col("T", "T equilibrium", ptTemperature), Col("P", "P", ptPressure)},
                  {{fuel.name, fuel.y, fuel.z, fuel.LHV,
                    StoichFuelOxidGasMassRatio(fuel.y, fuel.z, fuel.composition, Air[gtO2]), o->T, o->P}}};
      out = {about, prod, flame};
      return true;
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

void AddAtmosphere(CLI::App& app, Action& action) {
  auto* cmd = app.add_subcommand("atmosphere", "Standard and day-type ambient temperature and pressure");
  auto alt = std::make_shared<std::string>("0:20000:2000");
  auto day = std::make_shared<std::string>("HOT");
  cmd->add_option("-z,--altitude", *alt, "Pressure altitude [m], or a range")->capture_default_str();
  std::vector<std::string> ids;
  for (int d = 0; d <= dtCustom; ++d) ids.emplace_back(DayTypeOptionsArray[d]);
  cmd->add_option("--day", *day, "Day type beside the standard day")->capture_default_str()->check(
      CLI::IsMember(ids));
  cmd->callback([&action, alt, day] {
    const auto altitudes = ParseRange(*alt, "--altitude");
    const auto d = static_cast<TDayType>(DayTypeOf(*day));
    action = [altitudes, d](std::vector<Table>& out) {
      Table t{"atmosphere",
              {Col("Zp", "Zp", ptAltitude), Col("Ps", "Ps", ptPressure), Col("Ts_std", "Ts std", ptTemperature),
               Col("Ts_day", std::string("Ts ") + std::string(DayTypeOptionsArray[d]), ptTemperature),
               Col("rho_std", "rho std", ptDensity)},
              {}};
      for (double z : altitudes) {
        double Ts = 0, Ps = 0;
        if (!GetSTDTsAmbFromPressureAltitude(z, dtStd, Ts) || !GetSTDPsAmbFromPressureAltitude(z, dtStd, Ps))
          return false;
        const auto Tday = d == dtStd ? std::optional<double>(Ts) : DayTemperature(d, z);
        std::vector<Cell> row{z, Ps, Ts, Cell{}, Ps / (R_st * Ts)};
        if (Tday) row[3] = *Tday;
        t.rows.push_back(std::move(row));
      }
      out = {t};
      return true;
    };
  });
}

// ---- vyr flight --------------------------------------------------------------

void AddFlight(CLI::App& app, Action& action) {
  auto* cmd = app.add_subcommand("flight", "Ambient and flight condition: pressures, temperatures, density, speeds");
  struct Opt {
    std::string model = "isa+c", speed = "mach", alt = "11000", mach = "0.8";
    double dT = 0.0, Ts = 288.15, Ps = 101325.0, Vt = 250.0, Vc = 150.0;
  };
  auto o = std::make_shared<Opt>();
  const std::map<std::string, int> models = {{"isa", 0}, {"isa+c", 1}, {"custom", 2}, {"ts", 3}};
  const std::map<std::string, int> speeds = {{"mach", 0}, {"vt", 1}, {"vc", 2}};
  cmd->add_option("--model", o->model,
                  "Atmosphere: isa, isa+c (with --dt), custom (with --ts and --ps), ts (static temperature --ts)")
      ->capture_default_str()
      ->check(CLI::IsMember({"isa", "isa+c", "custom", "ts"}));
  cmd->add_option("--speed", o->speed, "Speed given: mach, vt (true airspeed) or vc (calibrated airspeed)")
      ->capture_default_str()
      ->check(CLI::IsMember({"mach", "vt", "vc"}));
  cmd->add_option("-z,--altitude", o->alt, "Pressure altitude [m], or a range")->capture_default_str();
  cmd->add_option("-m,--mach", o->mach, "Mach number, or a range")->capture_default_str();
  cmd->add_option("--dt", o->dT, "Offset from the standard temperature [K]")->capture_default_str();
  cmd->add_option("--ts", o->Ts, "Static temperature [K] (models ts and custom)")->capture_default_str()->check(
      CLI::PositiveNumber);
  cmd->add_option("--ps", o->Ps, "Static pressure [Pa] (model custom)")->capture_default_str()->check(
      CLI::PositiveNumber);
  cmd->add_option("--vt", o->Vt, "True airspeed [m/s]")->capture_default_str();
  cmd->add_option("--vc", o->Vc, "Calibrated airspeed [m/s]")->capture_default_str();
  cmd->callback([&action, o, models, speeds] {
    const auto altitudes = ParseRange(o->alt, "--altitude"), machs = ParseRange(o->mach, "--mach");
    const int model = models.at(o->model), speed = speeds.at(o->speed);
    action = [o, altitudes, machs, model, speed](std::vector<Table>& out) {
      Table t{"flight",
              {Col("Zp", "Zp", ptAltitude), Col("dTs", "dTs", ptTempDiff), Col("Ps", "Ps", ptPressure),
               Col("Ts", "Ts", ptTemperature), Col("rho", "rho", ptDensity), Col("Pt", "Pt", ptPressure),
               Col("Tt", "Tt", ptTemperature), Col("Mach", "Mach", ptNone, "", 4), Col("Vt", "Vt", ptSpeed),
               Col("Vc", "Vc", ptSpeed)},
              {}};
      for (double z : altitudes) {
        for (double m : speed == 0 ? machs : std::vector<double>{0.0}) {
          TAmbConditions a{};
          a.Zp = z;
          a.dTs = o->dT;
          a.Ts = o->Ts;
          a.Ps = o->Ps;
          a.Mach = m;
          a.Vt = o->Vt;
          a.Vc = o->Vc;
          if (!CalcFlyCon(model, speed, a)) return false;
          t.rows.push_back({a.Zp, a.dTs, a.Ps, a.Ts, a.Rho, a.Pt, a.Tt, a.Mach, a.Vt, a.Vc});
        }
      }
      out = {t};
      return true;
    };
  });
}

// ---- vyr cycle turbojet ------------------------------------------------------

void AddCycle(CLI::App& app, Action& action) {
  auto* cycle = app.add_subcommand("cycle", "Engine cycle design points");
  cycle->require_subcommand(1);
  auto* cmd = cycle->add_subcommand("turbojet", "Design point of a single-spool turbojet");
  struct Opt {
    TurbojetInput in;
    std::optional<double> far, thrust;
    std::string nozzle = "convergent";
    std::string compEff = "isentropic", turbEff = "isentropic";
    MixOptions fuel;
  };
  auto o = std::make_shared<Opt>();
  TurbojetInput& in = o->in;
  cmd->add_option("-z,--altitude", in.altitude, "Pressure altitude [m]")->capture_default_str()->check(
      CLI::Range(-5000.0, 80000.0));
  cmd->add_option("-m,--mach", in.mach, "Flight Mach number")->capture_default_str()->check(CLI::Range(0.0, 3.0));
  cmd->add_option("--dt", in.dT, "Offset from the standard temperature [K]")->capture_default_str();
  cmd->add_option("--recovery", in.inletRecovery, "Inlet pressure recovery Pt2/Pt0")->capture_default_str()->check(
      CLI::Range(0.5, 1.0));
  auto* W = cmd->add_option("-W,--flow", in.W, "Air mass flow [kg/s]")->capture_default_str()->check(
      CLI::PositiveNumber);
  auto* FN = cmd->add_option("--thrust", o->thrust, "Net-thrust target [N]; the air flow follows")->check(
      CLI::PositiveNumber);
  W->excludes(FN);
  cmd->add_option("--pr", in.PR, "Compressor pressure ratio")->capture_default_str()->check(CLI::Range(1.01, 100.0));
  cmd->add_option("--eff-c", in.effC, "Compressor efficiency")->capture_default_str()->check(CLI::Range(0.3, 1.0));
  cmd->add_option("--eff-c-type", o->compEff, "isentropic or polytropic")
      ->capture_default_str()
      ->check(CLI::IsMember({"isentropic", "polytropic"}));
  auto* T4 = cmd->add_option("--T4", in.T4, "Burner exit temperature [K]")->capture_default_str()->check(
      CLI::Range(500.0, 2500.0));
  auto* far = cmd->add_option("--far", o->far, "Burner fuel-air ratio (instead of --T4)")->check(
      CLI::Range(1e-4, 0.2));
  T4->excludes(far);
  cmd->add_option("--burner-loss", in.burnerLoss, "Burner total-pressure loss, relative")
      ->capture_default_str()
      ->check(CLI::Range(0.0, 0.5));
  cmd->add_option("--eff-b", in.effB, "Burner efficiency")->capture_default_str()->check(CLI::Range(0.5, 1.0));
  o->fuel.AddFuel(cmd);
  cmd->add_option("--t-fuel", in.Tfuel, "Fuel temperature [K]")->capture_default_str()->check(
      CLI::Range(200.0, 1000.0));
  cmd->add_option("--eff-t", in.effT, "Turbine efficiency")->capture_default_str()->check(CLI::Range(0.3, 1.0));
  cmd->add_option("--eff-t-type", o->turbEff, "isentropic or polytropic")
      ->capture_default_str()
      ->check(CLI::IsMember({"isentropic", "polytropic"}));
  cmd->add_option("--eff-mech", in.effMech, "Mechanical efficiency of the shaft")
      ->capture_default_str()
      ->check(CLI::Range(0.5, 1.0));
  cmd->add_option("--offtake", in.offtake, "Shaft power offtake [W]")->capture_default_str()->check(
      CLI::NonNegativeNumber);
  cmd->add_option("--nozzle", o->nozzle, "convergent, or cd (convergent-divergent, fully expanded)")
      ->capture_default_str()
      ->check(CLI::IsMember({"convergent", "cd"}));
  cmd->add_option("--cv", in.CV, "Nozzle velocity coefficient")->capture_default_str()->check(CLI::Range(0.5, 1.0));
  cmd->callback([&action, o] {
    o->in.far = o->far;
    o->in.thrust = o->thrust;
    o->in.polytropicC = o->compEff == "polytropic";
    o->in.polytropicT = o->turbEff == "polytropic";
    o->in.nozzle = o->nozzle == "cd" ? Nozzle::ConvergentDivergent : Nozzle::Convergent;
    action = [o](std::vector<Table>& out) {
      const Fuel fuel = o->fuel.MakeTheFuel();
      TurbojetResult r;
      if (!DesignTurbojet(o->in, fuel, r)) return false;
      Table st{"stations",
               {Col("station", "station", ptNone), Col("W", "W", ptMassFlow), Col("Pt", "Pt", ptPressure),
                Col("Tt", "Tt", ptTemperature), Col("Ps", "Ps", ptPressure), Col("Ts", "Ts", ptTemperature),
                Col("Mach", "Mach", ptNone, "", 4), Col("FAR", "FAR", ptNone, "", 5)},
               {}};
      for (const Station& s : r.stations) {
        const TGasconditions& g = s.gas;
        st.rows.push_back({std::to_string(s.number), g.W, g.Pt, g.Tt, s.hasStatic ? Cell(g.Ps) : Cell{},
                           s.hasStatic ? Cell(g.Ts) : Cell{}, s.hasStatic ? Cell(g.Mach) : Cell{}, g.FARat});
      }
      Table perf{"performance",
                 {Col("FG", "gross thrust", ptForce), Col("ram_drag", "ram drag", ptForce),
                  Col("FN", "net thrust", ptForce), Col("Wf", "fuel flow", ptFuelFlow), Col("TSFC", "TSFC", ptSFC),
                  Col("FN_W", "specific thrust", ptSpecThrust)},
                 {{r.FG, r.ramDrag, r.FN, r.Wf, r.TSFC, r.specificThrust}}};
      Table machines{"turbomachines",
                     {Col("machine", "machine", ptNone), Col("PR", "PR", ptNone, "", 4),
                      Col("eff_is", "isentropic eff.", ptNone, "", 4), Col("eff_poly", "polytropic eff.", ptNone, "", 4),
                      Col("power", "power", ptPower)},
                     {{std::string("compressor"), o->in.PR, r.effC, r.effCpoly, r.powerC},
                      {std::string("turbine"), r.turbinePR, r.effT, r.effTpoly, r.powerT}}};
      Table nozzle{"nozzle",
                   {Col("A8", "throat area", ptArea), Col("A9", "exit area", ptArea),
                    Col("V0", "flight velocity", ptSpeed)},
                   {{r.A8, r.A9, r.V0}}};
      out = {st, perf, machines, nozzle};
      return true;
    };
  });
}

}  // namespace

void AddCommands(CLI::App& app, Common& common, Action& action) {
  app.add_option("--units", common.units, "Units of the output: si or imperial")
      ->capture_default_str()
      ->check(CLI::IsMember({"si", "imperial"}));
  auto* json = app.add_flag("--json", common.json, "Write JSON");
  auto* csv = app.add_flag("--csv", common.csv, "Write CSV");
  json->excludes(csv);
  app.fallthrough();  // the output options may follow the subcommand
  AddGas(app, action);
  AddProcess(app, action);
  AddStatic(app, action);
  AddBurn(app, action);
  AddAtmosphere(app, action);
  AddFlight(app, action);
  AddCycle(app, action);
}

}  // namespace vyr::cli
