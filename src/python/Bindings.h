// The parts of the Python extension _vyrcomp. Module.cpp creates one
// submodule per area and hands it to the area's Bind function.
#pragma once

#include <pybind11/pybind11.h>

namespace vyr::python {

/// vyrcomp.gas: properties of air, of combustion products and of given
/// compositions, and their inverses.
void BindGas(pybind11::module_& m);

/// vyrcomp.combustion: fuels, equilibrium combustion and flame temperature,
/// equilibrium station conditions.
void BindCombustion(pybind11::module_& m);

/// vyrcomp.atmosphere: the standard atmosphere and its day types.
void BindAtmosphere(pybind11::module_& m);

/// vyrcomp.flight: flight conditions and speed conversions.
void BindFlight(pybind11::module_& m);

/// _vyrcomp.engine: engine models and their points (wrapped by vyrcomp.engine).
void BindEngine(pybind11::module_& m);

}  // namespace vyr::python
