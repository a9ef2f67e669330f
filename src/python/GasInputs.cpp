// Gas mixtures, fuels and table limits of the module's functions.
#include "GasInputs.h"

#include <pybind11/numpy.h>

#include <algorithm>
#include <cctype>
#include <optional>

#include "Broadcast.h"
#include "GasProperties.h"
#include "SysUtils.h"

namespace vyr::python {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

std::string SpeciesList() {
  std::string names;
  for (int s = 0; s < GasCount; ++s) {
    if (s == gtCxHyOz) continue;
    names += (names.empty() ? "" : ", ") + std::string(GasNames[s]);
  }
  return names;
}

std::string FuelList() {
  std::string names;
  for (const std::string& k : cli::FuelKeys()) {
    if (k != "user") names += (names.empty() ? "" : ", ") + k;
  }
  return names;
}

// A finite number from a Python object, or nothing for None.
std::optional<double> Number(py::handle h, const std::string& what) {
  if (h.is_none()) return std::nullopt;
  double v;
  try {
    v = h.cast<double>();
  } catch (const py::cast_error&) {
    throw py::type_error(what + " must be a number");
  }
  if (!std::isfinite(v)) throw py::value_error(what + " is not a finite number");
  return v;
}

}  // namespace

void TemperatureOutsideTables(double T, const char* name) {
  throw ElementFailure(Printf("%s = %g K lies outside the gas property tables (%g K to %g K)", name, T, kTableTmin,
                              kTableTmax));
}

void CheckPressure(double P, const char* name) {
  if (P > 0.0 && P <= kPressureMax) return;
  throw ElementFailure(Printf("%s = %g Pa must lie above 0 Pa and at most %g Pa (the gas model is an ideal gas)",
                              name, P, kPressureMax));
}

cli::Fuel FuelFrom(py::handle fuel, const char* function) {
  const std::string prefix = std::string(function) + ": ";
  if (py::isinstance<py::str>(fuel)) {
    const std::string key = Lower(fuel.cast<std::string>());
    if (key == "user")
      throw py::value_error(prefix + "a user fuel is a dict {\"hc\": H/C, \"oc\": O/C, \"lhv\": J/kg} (or \"hf\")");
    const auto& keys = cli::FuelKeys();
    if (std::find(keys.begin(), keys.end(), key) == keys.end())
      throw py::value_error(prefix + "unknown fuel \"" + fuel.cast<std::string>() + "\" (fuels: " + FuelList() +
                            ", or a dict for a user fuel)");
    return cli::MakeFuel(key, {}, {}, {}, {});
  }
  if (!py::isinstance<py::dict>(fuel))
    throw py::type_error(prefix + "fuel must be a fuel name (" + FuelList() +
                         ") or a dict {\"hc\": H/C, \"oc\": O/C, \"lhv\": J/kg} for a user fuel");
  const py::dict d = py::reinterpret_borrow<py::dict>(fuel);
  for (const auto& item : d) {
    const std::string k = py::str(item.first);
    if (k != "hc" && k != "oc" && k != "lhv" && k != "hf")
      throw py::value_error(prefix + "a user fuel has no \"" + k + "\" (its keys: hc, oc, lhv, hf)");
  }
  auto get = [&](const char* k) {
    return Number(d.contains(k) ? py::object(d[k]) : py::object(py::none()), prefix + "user fuel " + k);
  };
  const auto hc = get("hc"), oc = get("oc"), lhv = get("lhv"), hf = get("hf");
  if (!hc) throw py::value_error(prefix + "a user fuel needs \"hc\" (its H/C atom ratio)");
  if (!lhv && !hf) throw py::value_error(prefix + "a user fuel needs \"lhv\" (J/kg) or \"hf\" (J/kg)");
  if (lhv && hf) throw py::value_error(prefix + "give a user fuel either \"lhv\" or \"hf\", not both");
  if (*hc < 0.0 || oc.value_or(0.0) < 0.0) throw py::value_error(prefix + "atom ratios must not be negative");
  if (lhv && !(*lhv > 0.0)) throw py::value_error(prefix + "the heating value \"lhv\" must be above 0 J/kg");
  return cli::MakeFuel("user", hc, oc, lhv, hf);
}

TGasComposition FractionsFrom(py::handle mix, const char* function) {
  const std::string prefix = std::string(function) + ": ";
  TGasComposition y{};
  if (py::isinstance<py::str>(mix)) {
    if (Lower(mix.cast<std::string>()) != "air")
      throw py::value_error(prefix + "mix \"" + mix.cast<std::string>() +
                            "\" is not a gas: give \"air\", a dict {species: mass fraction} or 19 mass fractions");
    return Air;
  }
  if (py::isinstance<py::dict>(mix)) {
    for (const auto& item : py::reinterpret_borrow<py::dict>(mix)) {
      const std::string name = py::str(item.first);
      int s = 0;
      while (s < GasCount && GasNames[s] != name) ++s;
      if (s == GasCount)
        throw py::value_error(prefix + "\"" + name + "\" is no species (species: " + SpeciesList() + ")");
      y[s] = *Number(item.second, prefix + "the mass fraction of " + name);
    }
  } else {
    auto a = py::array_t<double, py::array::forcecast>::ensure(mix);
    if (!a) PyErr_Clear();
    if (!a || a.ndim() != 1 || a.shape(0) != GasCount)
      throw py::type_error(prefix + "a gas is \"air\", a dict {species: mass fraction} or 19 mass fractions "
                           "(in the order of vyrcomp.gas.species)");
    for (int s = 0; s < GasCount; ++s) {
      y[s] = a.at(s);
      if (!std::isfinite(y[s]))
        throw py::value_error(prefix + "the mass fraction of " + std::string(GasNames[s]) + " is not a finite number");
    }
  }
  return y;
}

void CheckFractions(const TGasComposition& y, const char* function) {
  const std::string prefix = std::string(function) + ": ";
  if (y[gtCxHyOz] > 1e-15)
    throw py::value_error(prefix + "CxHyOz, the variable fuel species, takes its properties from a fuel: "
                          "give the fuel and far in place of a mixture that holds it");
  // The library's message: a negative fraction or a sum other than 1.
  const std::string problem = CallCore(
      [&](MessageRecorder& r) { return CheckComposition(y, function) ? std::string() : r.LastText(); });
  if (!problem.empty()) throw py::value_error(problem);
}

TGasComposition CompositionFrom(py::handle mix, const char* function) {
  const TGasComposition y = FractionsFrom(mix, function);
  CheckFractions(y, function);
  return y;
}

GasSource GasSourceFrom(py::handle mix, py::handle fuel, py::handle far, const char* function) {
  GasSource g;
  if (far.is_none()) {
    g.y = CompositionFrom(mix, function);
    return g;
  }
  if (!py::isinstance<py::str>(mix) || Lower(mix.cast<std::string>()) != "air")
    throw py::value_error(std::string(function) +
                          ": far gives the products of the fuel burnt in air: leave mix at \"air\"");
  g.products = true;
  g.fuel = FuelFrom(fuel, function);
  return g;
}

const TGasComposition& GasAt::Products(double far) {
  if (!(far >= 0.0 && far <= 1.0))
    throw ElementFailure(Printf("far = %g: the fuel-air ratio must lie between 0 and 1 (kg fuel per kg air)", far));
  if (!engine::CompleteProducts(source_.fuel, far, y_)) {
    far_ = std::nan("");
    throw CoreFailure();
  }
  far_ = far;
  return y_;
}

py::array_t<double> ToArray(const TGasComposition& y) {
  py::array_t<double> a(GasCount);
  std::copy(y.begin(), y.end(), a.mutable_data());
  return a;
}

}  // namespace vyr::python
