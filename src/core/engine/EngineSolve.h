// Root of a function of one variable in a bracket, for the engine's balances.
#pragma once

#include <functional>

#include "VyrExport.h"

namespace vyr::engine {

/// Root of f in [a, b] (f(a) and f(b) of opposite sign) to |dx| <= xtol, by the
/// Illinois variant of regula falsi; false when there is no sign change, f fails
/// (returns false) or 200 steps do not suffice.
VYR_API bool SolveBracketed(const std::function<bool(double, double&)>& f, double a, double b, double xtol,
                            double& root);

}  // namespace vyr::engine
