// Inputs that the module's functions share: gas mixtures, fuels, and the
// limits of the property tables, checked per element.
#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "Fuel.h"
#include "GasTypes.h"

namespace vyr::python {

namespace py = pybind11;

/// Tolerance factor of the library's iterations (as in the vyr program).
inline constexpr double kTol = 1e-6;
/// Temperatures the gas property tables cover [K].
inline constexpr double kTableTmin = 200.0, kTableTmax = T_tablemax;
/// Highest pressure an input may have [Pa]: the gas model is an ideal gas,
/// which departs from real air by more than a per cent above about 100 MPa.
inline constexpr double kPressureMax = 1e8;

/// A failure of one element; its message is the text given.
struct ElementFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// The library returned false: the message it showed is the element's.
struct CoreFailure : std::runtime_error {
  CoreFailure() : std::runtime_error("") {}
};

/// Throws the failure of a temperature outside the property tables.
[[noreturn]] void TemperatureOutsideTables(double T, const char* name);
/// Refuses a temperature outside the property tables (200 K to 6000 K).
inline void CheckTableTemperature(double T, const char* name = "T") {
  if (!(T >= kTableTmin && T <= kTableTmax)) TemperatureOutsideTables(T, name);
}
/// Refuses a pressure not above 0 or above kPressureMax.
void CheckPressure(double P, const char* name = "P");

/// A fuel by the names of the vyr program ("avtur", "natgas", ..., any case),
/// or a user fuel C1HyOz as a dict {"hc": H/C, "oc": O/C (default 0),
/// "lhv": J/kg} or with "hf" (formation enthalpy, J/kg) in place of "lhv".
/// Raises ValueError or TypeError naming the function.
cli::Fuel FuelFrom(py::handle fuel, const char* function);

/// The gas of a property function: a fixed mixture, or the products of
/// complete combustion of a fuel in air at a fuel-air ratio given per element.
struct GasSource {
  bool products = false;
  cli::Fuel fuel;
  TGasComposition y{};  ///< the mixture when not products [mass fractions]
};

/// Fractions of "air", a dict {species: fraction} or 19 fractions, unchecked.
TGasComposition FractionsFrom(py::handle mix, const char* function);
/// Refuses the variable fuel species, a negative fraction or a sum other than 1
/// (the library's message) with ValueError.
void CheckFractions(const TGasComposition& y, const char* function);

/// A mixture "air", a dict {species: mass fraction} or 19 mass fractions in
/// the order of vyrcomp.gas.species; checked (no negative fraction, sum 1).
/// The variable fuel species CxHyOz is refused: its properties belong to a fuel.
TGasComposition CompositionFrom(py::handle mix, const char* function);

/// The gas of mix, or the products of fuel when far is given (mix must then be "air").
GasSource GasSourceFrom(py::handle mix, py::handle fuel, py::handle far, const char* function);

/// Composition of a gas source at a fuel-air ratio, remembered for repeated ratios.
class GasAt {
 public:
  explicit GasAt(const GasSource& source) : source_(source), y_(source.y) {}
  /// The composition; throws ElementFailure or CoreFailure for a ratio the products refuse.
  const TGasComposition& operator()(double far) {
    return !source_.products || far == far_ ? y_ : Products(far);
  }

 private:
  const TGasComposition& Products(double far);
  const GasSource& source_;
  double far_ = std::nan("");
  TGasComposition y_;
};

/// The mass fractions as a NumPy array of 19.
py::array_t<double> ToArray(const TGasComposition& y);

}  // namespace vyr::python
