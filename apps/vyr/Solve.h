// Root of a function of one variable in a bracket, for the program's balances.
#pragma once

#include <functional>

namespace vyr::cli {

/// Root of f in [a, b] (f(a) and f(b) of opposite sign) to |dx| <= xtol, by the
/// Illinois variant of regula falsi; false when there is no sign change, f fails
/// (returns false) or 200 steps do not suffice.
bool SolveBracketed(const std::function<bool(double, double&)>& f, double a, double b, double xtol, double& root);

}  // namespace vyr::cli
