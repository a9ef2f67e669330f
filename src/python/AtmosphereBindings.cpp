// vyrcomp.atmosphere for the Python module.
#include "Bindings.h"
#include "Broadcast.h"

namespace vyr::python {

void BindAtmosphere(pybind11::module_& /*m*/) {}

}  // namespace vyr::python
