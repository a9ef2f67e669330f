// The command "gas": properties of a gas mixture at temperature and pressure.
#include <memory>

#include "CommandKit.h"

namespace vyr::cli {

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

}  // namespace vyr::cli
