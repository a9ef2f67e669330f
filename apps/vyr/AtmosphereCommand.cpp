// The command "atmosphere": standard and day-type ambient temperature and pressure.
#include <memory>
#include <optional>

#include "CommandKit.h"

namespace vyr::cli {

namespace {

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

}  // namespace

void AddAtmosphere(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("atmosphere", "Standard and day-type ambient temperature and pressure");
  struct Opt {
    Numbers n;
    std::string day = "HOT";
    Number* z;
  };
  auto o = std::make_shared<Opt>();
  o->z = &o->n.Add(cmd, "-z,--altitude", "pressure altitude", ptAltitude, {},
                   Domain::Between(-5000.0, 80000.0, "the standard atmosphere"), true);
  o->z->option->default_str("0:20000:2000");
  std::vector<std::string> ids;
  for (int d = 0; d <= dtCustom; ++d) ids.emplace_back(DayTypeOptionsArray[d]);
  cmd->add_option("--day", o->day, "Day type beside the standard day")
      ->capture_default_str()
      ->transform(CLI::IsMember(ids, CLI::ignore_case));
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
      Points points(t, !o->z->Given() || o->z->IsRange());
      for (double z : o->z->values) {
        const bool ok = points.Run({z}, [&] {
          double Ts = 0, Ps = 0;
          if (!GetSTDTsAmbFromPressureAltitude(z, dtStd, Ts) || !GetSTDPsAmbFromPressureAltitude(z, dtStd, Ps))
            return false;
          const auto Tday = d == dtStd ? std::optional<double>(Ts) : DayTemperature(d, z);
          Row row{z, Ps, Ts, Cell{}, Ps / (R_st * Ts)};
          if (Tday) row[3] = *Tday;
          return AddRow(t, std::move(row), u);
        });
        if (!ok) return Status::Failed;
      }
      r.inputs = o->n.Echoes();
      r.inputs.push_back(TextEcho("day", o->day));
      r.tables = {t};
      r.main = "atmosphere";
      return points.Result();
    };
  });
}

}  // namespace vyr::cli
