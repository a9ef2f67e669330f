// The extension module _vyrcomp: one submodule per area. The package vyrcomp
// (vyrcomp/__init__.py) re-exports them.
#include <pybind11/pybind11.h>

#include "Bindings.h"
#include "Broadcast.h"

PYBIND11_MODULE(_vyrcomp, m) {
  namespace py = pybind11;
  using namespace vyr::python;
  m.doc() = "Gas-turbine performance functions (extension part of the package vyrcomp).";
  m.attr("__version__") = VYR_VERSION_TEXT;
  py::register_exception<VyrError>(m, "VyrError", PyExc_ValueError);

  auto gas = m.def_submodule("gas", "Gas properties of air, combustion products and given compositions (SI units).");
  BindGas(gas);
  auto combustion = m.def_submodule("combustion", "Fuels, equilibrium combustion and flame temperature (SI units).");
  BindCombustion(combustion);
  auto atmosphere = m.def_submodule("atmosphere", "The standard atmosphere and its day types (SI units).");
  BindAtmosphere(atmosphere);
  auto flight = m.def_submodule("flight", "Flight conditions and speed conversions (SI units).");
  BindFlight(flight);
  auto engine = m.def_submodule("engine", "Engine models and their points (used by vyrcomp.engine).");
  BindEngine(engine);
}
