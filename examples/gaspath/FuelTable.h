// Names of the burner's fuels, in the order of its fuel options.
#pragma once
#include <string>
#include <vector>
namespace vyr::gaspath {
const std::vector<std::string>& FuelKeys();
}
