#include "Fuel.h"

#include <algorithm>
#include <stdexcept>

namespace vyr::cli {

const std::vector<std::string>& FuelKeys() {
  static const std::vector<std::string> keys = {"avtur", "avtag",   "avcat",    "diesel",  "natgas", "hydrogen",
                                                "jp10",  "ethanol", "methanol", "ammonia", "user"};
  return keys;
}

Fuel MakeFuel(const std::string& key, std::optional<double> hc, std::optional<double> oc, std::optional<double> lhv,
              std::optional<double> hf) {
  const auto& keys = FuelKeys();
  const auto it = std::find(keys.begin(), keys.end(), key);
  if (it == keys.end()) throw std::invalid_argument("unknown fuel \"" + key + "\"");
  const auto type = static_cast<TFuelType>(it - keys.begin());
  if (type != ftUserSpec) {
    Fuel f = engine::TableFuel(type);
    f.key = key;
    return f;
  }
  if (!hc) throw std::invalid_argument("a user fuel needs --hc (its H/C atom ratio)");
  if (!lhv && !hf) throw std::invalid_argument("a user fuel needs --lhv or --hf");
  if (lhv && hf) throw std::invalid_argument("give either --lhv or --hf for a user fuel, not both");
  const double y = *hc, z = oc.value_or(0.0);
  if (!(y >= 0.0) || !(z >= 0.0)) throw std::invalid_argument("atom ratios must not be negative");
  // The formation enthalpy is the heating value plus the formation enthalpy of the products.
  return engine::UserFuel(y, z, lhv ? *lhv : *hf - FormEnthFromHeatValue(y, z, 0.0));
}

}  // namespace vyr::cli
