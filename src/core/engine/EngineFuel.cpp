#include "EngineFuel.h"

#include "Equilibrium.h"
#include "GasProperties.h"
#include "Messages.h"
#include "Products.h"
#include "EngineSolve.h"
#include "SysUtils.h"
#include "SysUtils.h"

namespace vyr::engine {


namespace {

constexpr double kTref = 298.15;  // reference temperature of formation enthalpies [K]

TGasComposition Only(TGas s) {
  TGasComposition c{};
  c[s] = 1.0;
  return c;
}

// A record of zero specific heat: the fuel relation then adds Cp (T - 298.15)
// alone, for fuels of constant specific heat. The molar mass only keeps the
// per-kilogram scale finite.
constexpr TGasProperties kConstantCp = {1.0, 0.0, {}, {}, {}, {}};

// Species, formation enthalpy and property record of a fuel of known type and atom ratios.
void SetSpecies(TFuel& f) {
  switch (f.type) {
    case ftNatGas:  // pure methane: the species table carries its formation enthalpy
      f.composition = Only(gtCH4);
      f.record = &GasProperties[gtCH4];
      break;
    case ftHydrogen:
      f.composition = Only(gtH2);
      f.record = &GasProperties[gtH2];
      break;
    case ftAmmonia: {
      // NH3 as the same atoms in N2 and H2 (mass fractions), with the formation
      // enthalpy of ammonia from its heating value: NH3 + 3/4 O2 -> 1/2 N2 + 3/2 H2O.
      const double MN2 = GasProperties[gtN2].Molemass, MH2 = GasProperties[gtH2].Molemass;
      const double M = 0.5 * MN2 + 1.5 * MH2;
      f.composition[gtN2] = 0.5 * MN2 / M;
      f.composition[gtH2] = 1.5 * MH2 / M;
      f.formation = f.LHV + 1000.0 * 1.5 * GasProperties[gtH2Og].Hformation / M;
      break;
    }
    default:  // the variable fuel species C1 Hy Oz
      f.composition = Only(gtCxHyOz);
      f.formation = FormEnthFromHeatValue(f.y, f.z, f.LHV);
      if (LiquidFuelTypes.contains(f.type)) f.record = &JetAliquid;
      break;
  }
}

}  // namespace

TFuel TableFuel(TFuelType type) {
  TFuel f;
  f.type = type;
  const TFuelProps& p = FuelDataArray[type];
  f.name = std::string(p.FuelName);
  f.y = p.HC_ratio;
  f.z = p.OC_ratio;
  f.LHV = p.LHV;
  f.Cp = p.Cp;
  SetSpecies(f);
  return f;
}

TFuel UserFuel(double y, double z, double LHV) {
  TFuel f;
  f.key = "user";
  f.type = ftUserSpec;
  f.y = y;
  f.z = z;
  f.LHV = LHV;
  f.Cp = 2000.0;
  f.name = "User fuel CH";
  f.name += FloatToStr(f.y);
  if (f.z > 0) {
    f.name += 'O';
    f.name += FloatToStr(f.z);
  }
  SetSpecies(f);
  return f;
}

double FuelSensibleEnthalpy(const TFuel& f, double T) {
  // The heating value holds at 298.15 K, so only the reactant enthalpy Hr matters here.
  double Hf, Hr, LHVstd;
  StdFuelFormationandReactantEnthalpy(f.Cp, f.y, f.z, kTref, T, f.LHV, f.record ? *f.record : kConstantCp, f.type, Hf,
                                      Hr, LHVstd);
  return Hr;
}

double FuelEnthalpy(const TFuel& f, double T) {
  if (f.composition[gtCxHyOz] > 0.0) return f.formation + FuelSensibleEnthalpy(f, T);
  // Species of the table: their enthalpy at 298.15 K includes formation; ammonia adds its own.
  return FH(kTref, f.composition) + f.formation + FuelSensibleEnthalpy(f, T);
}

double StoichiometricFar(const TFuel& f) { return StoichFuelOxidGasMassRatio(f.y, f.z, f.composition, Air[gtO2]); }

TGasComposition Reactants(const TFuel& f, double far) { return MixGasComposition(Air, f.composition, 1.0, far); }

bool CompleteProducts(const TFuel& f, double far, TGasComposition& products) {
  return ProdfromReact(far, 1.0, f.y, f.z, f.composition, Air, products);
}

bool EquilibriumProducts(const TFuel& f, double far, double T, double P, TGasComposition& mass,
                         TGasComposition* mole) {
  TGasComposition moleFr{}, massFr{};
  std::string msg;
  int code = 0;
  if (!CombEquilibrium(T, P, f.y, f.z, Reactants(f, far), 1e-6, moleFr, massFr, true, msg, code)) return false;
  mass = massFr;
  if (mole) *mole = moleFr;
  return true;
}

bool BurnerResidual(const TFuel& f, double far, double Tair, double Tfuel, double efficiency, double T, double P,
                    double& residual, TProducts method) {
  TGasComposition products;
  if (method == TProducts::Complete ? !CompleteProducts(f, far, products)
                                    : !EquilibriumProducts(f, far, T, P, products))
    return false;
  residual =
      FH(Tair, Air) + far * FuelEnthalpy(f, Tfuel) - (1.0 - efficiency) * far * f.LHV - (1.0 + far) * FH(T, products);
  return true;
}

bool ExitTemperature(const TFuel& f, double far, double Tair, double Tfuel, double efficiency, double P, double& T,
                     TProducts method) {
  bool evaluated = true;
  auto r = [&](double t, double& v) {
    return evaluated = BurnerResidual(f, far, Tair, Tfuel, efficiency, t, P, v, method);
  };
  if (SolveBracketed(r, Tair, 3500.0, 1e-7, T)) return true;
  if (evaluated)  // the library's own message has been shown otherwise
    ShowMessage(Printf("No burner exit temperature between %.1f K and 3500 K for a fuel-air ratio of %g", Tair, far));
  return false;
}

bool FuelAirRatio(const TFuel& f, double T, double Tair, double Tfuel, double efficiency, double P, double& far,
                  TProducts method) {
  // Between no fuel and stoichiometric: richer mixtures burn no hotter.
  const double stoich = StoichiometricFar(f);
  bool evaluated = true;
  auto r = [&](double x, double& v) {
    return evaluated = BurnerResidual(f, x, Tair, Tfuel, efficiency, T, P, v, method);
  };
  if (SolveBracketed(r, 1e-9, stoich, 1e-12, far)) return true;
  if (evaluated)
    ShowMessage(
        Printf("A burner exit temperature of %.1f K is not reached with fuel-air ratios up to the "
               "stoichiometric %.5g (air at %.1f K)",
               T, stoich, Tair));
  return false;
}

}  // namespace vyr::engine
