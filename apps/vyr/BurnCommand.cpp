// The command "burn": combustion products of a fuel in air, and the adiabatic
// flame temperature.
#include <algorithm>
#include <iterator>
#include <memory>

#include "CommandKit.h"

namespace vyr::cli {

namespace {

// Equivalence ratio of the default mixture: lean, as in a burner's primary zone
// diluted to turbine entry.
constexpr double kDefaultPhi = 0.45;

}  // namespace

void AddBurn(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand("burn", "Combustion products of a fuel in air, and the adiabatic flame temperature");
  struct Opt {
    Numbers n;
    MixOptions fuel;
    std::string method = "equilibrium";
    Number *far, *phi, *T, *P, *Tair, *Tfuel, *eff;
  };
  auto o = std::make_shared<Opt>();
  Numbers& n = o->n;
  o->fuel.AddFuel(cmd, n);
  o->far = &n.Add(cmd, "--far", "fuel-air ratio (default: at the equivalence ratio --phi)", ptNone, {},
                  Domain::Above(0.0, 1.0), true);
  o->phi = &n.Add(cmd, "--phi", "equivalence ratio, the fuel-air ratio over the fuel's stoichiometric one", ptNone,
                  kDefaultPhi, Domain::Above(0.0, 10.0), true);
  o->far->option->excludes(o->phi->option);
  cmd->add_option("--method", o->method,
                  "Products: equilibrium (lean mixtures only), or complete combustion (lean and rich)")
      ->capture_default_str()
      ->transform(CLI::IsMember({"equilibrium", "complete"}, CLI::ignore_case));
  o->T = &n.Add(cmd, "-T,--temperature", "temperature of the equilibrium products", ptTemperature, 2000.0,
                Domain::Between(kTableTmin, 4000.0, "the range of the equilibrium calculation"));
  o->P = &n.Add(cmd, "-P,--pressure", "pressure", ptPressure, 20e5, Domain::Pressure());
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
      CheckFuelTemperature(fuel, *o->Tfuel, u);
      // Without --far the mixture follows the equivalence ratio, so that the
      // default suits every fuel (avtur: 0.03; hydrogen: 0.013).
      if (o->far->Has())
        o->phi->values.clear();
      else
        for (double phi : o->phi->values) o->far->values.push_back(phi * stoich);
      const Method method = equilibrium ? Method::Equilibrium : Method::Complete;
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
      Points points(flame, o->far->IsRange() || o->phi->IsRange());
      for (double far : o->far->values) {
        const bool ok = points.Run({far}, [&] {
          if (equilibrium && far >= stoich)
            return Fail(
                Printf("The equilibrium products are computed for lean mixtures only: the fuel-air "
                       "ratio %g is at or above the stoichiometric %.5g of this fuel. "
                       "--method complete gives complete-combustion products there",
                       far, stoich));
          double Tf;
          TGasComposition complete, eqMass{}, eqMole{};
          if (!ExitTemperature(fuel, far, Tair, Tfuel, eff, P, Tf, method) || !CompleteProducts(fuel, far, complete) ||
              (equilibrium && !EquilibriumProducts(fuel, far, o->T->Value(), P, eqMass, &eqMole)))
            return false;
          const TGasComposition completeMole = MoleComposition(complete, 1.0);
          Table rows{prod.name, prod.columns, {}};
          for (int s = 0; s < GasCount; ++s) {
            if (!(complete[s] > 0 || eqMass[s] > 0)) continue;
            Row row{far, std::string(GasNames[s]), complete[s], completeMole[s]};
            if (equilibrium) row.insert(row.end(), {eqMass[s], eqMole[s]});
            if (!AddRow(rows, row, u)) return false;
          }
          if (!AddRow(flame, {far, ChemicalEqRatio(Reactants(fuel, far), fuel.y, fuel.z), Tair, Tf}, u)) return false;
          prod.rows.insert(prod.rows.end(), rows.rows.begin(), rows.rows.end());
          return true;
        });
        if (!ok) return Status::Failed;
      }
      // Atom ratios to carbon mean nothing for a fuel without carbon.
      static constexpr TGas kCarbon[] = {gtCO2, gtCO, gtCH4, gtC2H6, gtC2H4, gtC3H8, gtC4H10, gtCxHyOz};
      const bool carbon =
          std::any_of(std::begin(kCarbon), std::end(kCarbon), [&](TGas g) { return fuel.composition[g] > 0; });
      Table about{"fuel",
                  {Text("fuel", "fuel"), Ratio("HC", "H/C", 4), Ratio("OC", "O/C", 4),
                   Col("LHV", "LHV", ptSpecEnthalpy, Sign::Positive),
                   Ratio("far_stoich", "stoichiometric FAR", 5, Sign::Positive)},
                  {{fuel.name, carbon ? Cell(fuel.y) : Cell{}, carbon ? Cell(fuel.z) : Cell{}, fuel.LHV, stoich}}};
      r.inputs = o->fuel.Echoes();
      r.inputs.push_back(TextEcho("method", o->method));
      for (Echo& e : o->n.Echoes())
        if (equilibrium || e.column.key != "temperature") r.inputs.push_back(std::move(e));
      r.tables = {about, prod, flame};
      r.main = "flame";
      return points.Result();
    };
  });
}

}  // namespace vyr::cli
