// The command "flight": ambient and flight condition from altitude and speed.
#include <map>
#include <memory>

#include "CommandKit.h"

namespace vyr::cli {

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
      ->transform(CLI::IsMember({"isa", "isa+c", "custom", "ts"}, CLI::ignore_case));
  cmd->add_option("--speed", o->speed, "Speed given: mach, vt (true airspeed) or vc (calibrated airspeed)")
      ->capture_default_str()
      ->transform(CLI::IsMember({"mach", "vt", "vc"}, CLI::ignore_case));
  o->z = &n.Add(cmd, "-z,--altitude", "pressure altitude", ptAltitude, 11000.0,
                Domain::Between(-5000.0, 80000.0, "the standard atmosphere"), true);
  o->mach = &n.Add(cmd, "-m,--mach", "Mach number", ptNone, 0.8, Domain::AtLeast(0.0, "a speed is not negative"), true);
  o->dT = &n.Add(cmd, "--dt", "offset from the standard temperature", ptTempDiff, 0.0, Domain::Any());
  o->Ts = &n.Add(cmd, "--ts", "static temperature", ptTemperature, 288.15,
                 Domain::Between(kTableTmin, kTableTmax, "the range of the gas property tables"));
  o->Ps = &n.Add(cmd, "--ps", "static pressure", ptPressure, 101325.0, Domain::Pressure());
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
      NotApplicable(o->z->option, o->model != "custom", withModel + " (its static pressure is --ps)");
      if (o->model == "custom") o->z->values = {0.0};
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
      Points points(t, AnyRange({o->z, o->mach}));
      for (double z : o->z->values) {
        for (double m : speed == 0 ? o->mach->values : std::vector<double>{0.0}) {
          const bool ok = points.Run({z, Cell{}, Cell{}, Cell{}, Cell{}, Cell{}, Cell{}, m}, [&] {
            TAmbConditions a{};
            a.Zp = z;
            a.dTs = model == 1 ? o->dT->Value() : 0.0;
            a.Ts = o->Ts->Value();
            a.Ps = o->Ps->Value();
            a.Mach = m;
            a.Vt = o->Vt->Value();
            a.Vc = o->Vc->Value();
            if (!CalcFlyCon(model, speed, a)) return false;
            const std::string ambient = AmbientTemperatureProblem(a.Ts, z, a.dTs, u);
            if (!ambient.empty()) throw PointOutOfDomain(ambient);
            if (!(a.Tt <= kTableTmax))
              return Fail("The total temperature " + Quantity(a.Tt, ptTemperature, u) + " lies above the " +
                          Quantity(kTableTmax, ptTemperature, u) +
                          " of the gas property tables: the speed is beyond this calculation");
            if (!(a.Tt >= a.Ts * (1 - 1e-9) && a.Pt >= a.Ps * (1 - 1e-9)))
              return Fail("The total state lies below the static state");
            return AddRow(t, {a.Zp, a.dTs, a.Ps, a.Ts, a.Rho, a.Pt, a.Tt, a.Mach, a.Vt, a.Vc}, u);
          });
          if (!ok) return Status::Failed;
        }
      }
      r.inputs = {TextEcho("model", o->model), TextEcho("speed", o->speed)};
      for (Echo& e : o->n.Echoes()) {
        const std::string& k = e.column.key;
        const bool used = (k == "altitude" && model != 2) || (k == "mach" && speed == 0) || (k == "vt" && speed == 1) ||
                          (k == "vc" && speed == 2) || (k == "dt" && model == 1) ||
                          (k == "ts" && (model == 2 || model == 3)) || (k == "ps" && model == 2);
        if (used) r.inputs.push_back(std::move(e));
      }
      r.tables = {t};
      r.main = "flight";
      return points.Result();
    };
  });
}

}  // namespace vyr::cli
