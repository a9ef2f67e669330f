// Engine models and their points for the Python module.
#include "Bindings.h"

namespace vyr::python {

void BindEngine(pybind11::module_& /*m*/) {}

}  // namespace vyr::python
