// The command "gas": properties of a gas mixture at temperature and pressure.
#include <algorithm>
#include <iterator>
#include <memory>
#include <set>

#include "CommandKit.h"

namespace vyr::cli {

namespace {

// Species present in the mixture whose viscosity fit at T is a row of zeros.
std::vector<std::string> SpeciesWithoutViscosity(double T, const TGasComposition& y) {
  std::vector<std::string> names;
  for (int s = 0; s < GasCount; ++s) {
    if (!(y[s] > 1e-15)) continue;
    const TVisCoefArray& c = T < 1000.0 ? GasProperties[s].VisCoefs_below1000 : GasProperties[s].VisCoefs_above1000;
    if (std::all_of(std::begin(c), std::end(c), [](double v) { return v == 0.0; })) names.emplace_back(GasNames[s]);
  }
  return names;
}

}  // namespace

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
  o->P = &o->n.Add(cmd, "-P,--pressure", "pressure", ptPressure, 101325.0, Domain::Pressure(), true);
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
      Points points(props, AnyRange({o->T, o->P}));
      std::set<std::string> noData;
      for (double t : o->T->values)
        for (double p : o->P->values) {
          // The viscosity fits of some species are rows of zeros: no viscosity there.
          const std::vector<std::string> missing = SpeciesWithoutViscosity(t, y);
          noData.insert(missing.begin(), missing.end());
          Cell mu = DynViscosity_Mu(t, y), rni = ReynoldsNumberIndex(p, t, y);
          if (!missing.empty()) mu = rni = Cell{};
          if (!points.Run({t, p}, [&] {
                return AddRow(props, {t, p, FH(t, y), FCp(t, y), FR(y), FGm(t, y), FS(t, p, y), FCs(t, y), mu, rni}, u);
              }))
            return Status::Failed;
        }
      if (!noData.empty()) {
        std::string names;
        for (const std::string& n : noData) names += (names.empty() ? "" : ", ") + n;
        ShowMessage("The property tables hold no viscosity data for " + names +
                    ": viscosity and Reynolds number index are not shown");
      }
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
      return points.Result();
    };
  });
}

}  // namespace vyr::cli
