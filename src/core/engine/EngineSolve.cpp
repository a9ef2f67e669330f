#include "EngineSolve.h"

#include <cmath>

namespace vyr::engine {

bool SolveBracketed(const std::function<bool(double, double&)>& f, double a, double b, double xtol, double& root) {
  double fa, fb;
  if (!f(a, fa) || !f(b, fb)) return false;
  if (fa == 0.0) return root = a, true;
  if (fb == 0.0) return root = b, true;
  if ((fa > 0) == (fb > 0)) return false;
  int side = 0;
  for (int step = 0; step < 200; ++step) {
    const double c = (a * fb - b * fa) / (fb - fa);
    double fc;
    if (!f(c, fc)) return false;
    if (fc == 0.0 || std::fabs(b - a) < xtol) return root = c, true;
    if ((fc > 0) == (fb > 0)) {
      b = c;
      fb = fc;
      if (side == -1) fa /= 2;  // the same end twice: halve the other's weight
      side = -1;
    } else {
      a = c;
      fa = fc;
      if (side == 1) fb /= 2;
      side = 1;
    }
    if (std::fabs(b - a) < xtol) return root = (a * fb - b * fa) / (fb - fa), true;
  }
  return false;
}

}  // namespace vyr::engine
