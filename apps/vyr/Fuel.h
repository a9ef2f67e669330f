// Fuels of the command-line program: the fuel table's fuels by their
// command-line names and a user fuel given by its atom ratios and heating
// value (or formation enthalpy). The fuel model and the burner's solves are
// the engine layer's.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "EngineFuel.h"
#include "VYRglobal.h"

namespace vyr::cli {

using Fuel = engine::TFuel;
using Method = engine::TProducts;

/// Command-line names of the fuel table's fuels, in table order.
const std::vector<std::string>& FuelKeys();

/// The fuel of a command-line name; a user fuel takes H/C, O/C and either the
/// heating value or the formation enthalpy. Throws std::invalid_argument.
Fuel MakeFuel(const std::string& key, std::optional<double> hc, std::optional<double> oc, std::optional<double> lhv,
              std::optional<double> hf);

using engine::BurnerResidual;
using engine::CompleteProducts;
using engine::EquilibriumProducts;
using engine::ExitTemperature;
using engine::FuelAirRatio;
using engine::FuelEnthalpy;
using engine::FuelSensibleEnthalpy;
using engine::Reactants;
using engine::StoichiometricFar;

}  // namespace vyr::cli
