// Fuels of the engine layer (any fuel of the library's fuel table or a user
// fuel C1HyOz with a given heating value) and the burner's solves: energy
// balance, exit temperature at a fuel-air ratio, fuel-air ratio for an exit
// temperature.
#pragma once

#include <string>

#include "Fuels.h"
#include "GasTypes.h"
#include "VyrExport.h"

namespace vyr::engine {

/// A fuel as the gas model sees it.
struct TFuel {
  std::string key;           ///< short name ("avtur", "natgas", "user", ...)
  std::string name;          ///< display name
  TFuelType type = ftUserSpec;
  double y = 0.0;            ///< H/C atom ratio of the variable fuel species [-]
  double z = 0.0;            ///< O/C atom ratio [-]
  double LHV = 0.0;          ///< lower heating value [J/kg]
  double Cp = 0.0;           ///< specific heat [J/(kg K)]
  TGasComposition composition{};  ///< the fuel as species (mass fractions)
  double formation = 0.0;    ///< enthalpy of formation not carried by the species table [J/kg]
  /// Property record whose specific heat the fuel's sensible enthalpy follows:
  /// the liquid record for liquid fuels, the species for gases; none for a
  /// fuel of constant specific heat.
  const TGasProperties* record = nullptr;
};

/// Products of a burner: in chemical equilibrium (lean mixtures), or of
/// complete combustion (lean and rich).
enum class TProducts { Equilibrium, Complete };

/// A fuel of the fuel table (not ftUserSpec).
VYR_API TFuel TableFuel(TFuelType type);
/// A user fuel C1 Hy Oz with its lower heating value [J/kg].
VYR_API TFuel UserFuel(double y, double z, double LHV);

/// Sensible enthalpy of the fuel from 298.15 K to T [K], by the library's fuel relation [J/kg].
VYR_API double FuelSensibleEnthalpy(const TFuel& f, double T);
/// Enthalpy of the fuel at T [K], formation included [J/kg].
VYR_API double FuelEnthalpy(const TFuel& f, double T);
/// Stoichiometric fuel-air ratio of the fuel in air [-].
VYR_API double StoichiometricFar(const TFuel& f);
/// Reactants: air and fuel at a fuel-air ratio (mass fractions).
VYR_API TGasComposition Reactants(const TFuel& f, double far);
/// Products of complete combustion in air at a fuel-air ratio; false if the library refused.
VYR_API bool CompleteProducts(const TFuel& f, double far, TGasComposition& products);
/// Equilibrium products at T [K] and P [Pa]; false with the library's message otherwise.
VYR_API bool EquilibriumProducts(const TFuel& f, double far, double T, double P, TGasComposition& mass,
                                 TGasComposition* mole = nullptr);
/// Burner energy balance per kilogram of air [J/kg]: enthalpy of air at Tair and of
/// the fuel at Tfuel, less the heat not released (1 - efficiency), less the enthalpy
/// of the products at T and P. Zero at the burner exit temperature.
VYR_API bool BurnerResidual(const TFuel& f, double far, double Tair, double Tfuel, double efficiency, double T,
                            double P, double& residual, TProducts method = TProducts::Equilibrium);
/// Burner exit temperature [K] for a fuel-air ratio.
VYR_API bool ExitTemperature(const TFuel& f, double far, double Tair, double Tfuel, double efficiency, double P,
                             double& T, TProducts method = TProducts::Equilibrium);
/// Fuel-air ratio [-] that gives the burner exit temperature T [K].
VYR_API bool FuelAirRatio(const TFuel& f, double T, double Tair, double Tfuel, double efficiency, double P,
                          double& far, TProducts method = TProducts::Equilibrium);

}  // namespace vyr::engine
