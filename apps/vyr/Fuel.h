// Fuels of the command-line program: the fuel table's fuels and a user fuel
// given by its atom ratios and heating value (or formation enthalpy).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "VYRglobal.h"

namespace vyr::cli {

/// A fuel as the gas model sees it.
struct Fuel {
  std::string key;           ///< command-line name ("avtur", "natgas", "user", ...)
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
enum class Method { Equilibrium, Complete };

/// Command-line names of the fuel table's fuels, in table order.
const std::vector<std::string>& FuelKeys();

/// The fuel of a command-line name; a user fuel takes H/C, O/C and either the
/// heating value or the formation enthalpy. Throws std::invalid_argument.
Fuel MakeFuel(const std::string& key, std::optional<double> hc, std::optional<double> oc, std::optional<double> lhv,
              std::optional<double> hf);

/// Sensible enthalpy of the fuel from 298.15 K to T [K], by the library's fuel relation [J/kg].
double FuelSensibleEnthalpy(const Fuel& f, double T);

/// Enthalpy of the fuel at T [K], formation included [J/kg].
double FuelEnthalpy(const Fuel& f, double T);

/// Stoichiometric fuel-air ratio of the fuel in air [-].
double StoichiometricFar(const Fuel& f);

/// Reactants: air and fuel at a fuel-air ratio (mass fractions).
TGasComposition Reactants(const Fuel& f, double far);

/// Products of complete combustion in air at a fuel-air ratio; false if the library refused.
bool CompleteProducts(const Fuel& f, double far, TGasComposition& products);

/// Equilibrium products at T [K] and P [Pa]; false with the library's message otherwise.
bool EquilibriumProducts(const Fuel& f, double far, double T, double P, TGasComposition& mass,
                         TGasComposition* mole = nullptr);

/// Burner energy balance per kilogram of air [J/kg]: enthalpy of air at Tair and of
/// the fuel at Tfuel, less the heat not released (1 - efficiency), less the enthalpy
/// of the products at T and P. Zero at the burner exit temperature.
bool BurnerResidual(const Fuel& f, double far, double Tair, double Tfuel, double efficiency, double T, double P,
                    double& residual, Method method = Method::Equilibrium);

/// Burner exit temperature [K] for a fuel-air ratio.
bool ExitTemperature(const Fuel& f, double far, double Tair, double Tfuel, double efficiency, double P, double& T,
                     Method method = Method::Equilibrium);

/// Fuel-air ratio [-] that gives the burner exit temperature T [K].
bool FuelAirRatio(const Fuel& f, double T, double Tair, double Tfuel, double efficiency, double P, double& far);

}  // namespace vyr::cli
