// Polynomial kernels shared by the property functions. The powers and the
// logarithm of T are formed once per call and reused for every species.
#pragma once

#include <cmath>

#include "GasTableData.h"

namespace vyr::detail {

inline constexpr double kPresent = 1e-15;  // fractions not above this count as absent

/// Interval of the thermodynamic polynomial: exactly 1000 K belongs to the lower one.
inline const TGasCoefArray& Interval(const TGasProperties& p, double T) {
  return T > 1000.0 ? p.Coefs_above1000 : p.Coefs_below1000;
}

/// Evaluation of the polynomials at one temperature. The powers and the
/// logarithm of T are formed once and reused for every row evaluated.
/// A row is one interval's coefficients (TGasCoefArray layout), either of a
/// species or of a mixture (the mass-weighted sum of species rows).
struct CpPowers {
  double invT2, invT, T, T2, T3, T4, T5;
  explicit CpPowers(double t) : invT(1.0 / t), T(t) {
    invT2 = invT * invT;
    T2 = t * t;
    T3 = T2 * t;
    T4 = T2 * T2;
    T5 = T4 * t;
  }
  /// Cp/R [-]
  double CpR(const double* c) const {
    return c[0] * invT2 + c[1] * invT + c[2] + c[3] * T + c[4] * T2 + c[5] * T3 + c[6] * T4 + c[7] * T5;
  }
};

struct HPowers {
  double invT, lnT, T, T2h, T3t, T4q, T5f, T6s;
  explicit HPowers(double t) : invT(1.0 / t), lnT(std::log(t)), T(t) {
    const double t2 = t * t, t3 = t2 * t, t4 = t2 * t2;
    T2h = t2 / 2.0;
    T3t = t3 / 3.0;
    T4q = t4 / 4.0;
    T5f = t4 * t / 5.0;
    T6s = t3 * t3 / 6.0;
  }
  /// H/R [K]
  double HR(const double* c) const {
    return -c[0] * invT + c[1] * lnT + c[2] * T + c[3] * T2h + c[4] * T3t + c[5] * T4q + c[6] * T5f +
           c[7] * T6s + c[8];
  }
};

struct SPowers {
  double invT2h, invT, lnT, T, T2h, T3t, T4q, T5f;
  explicit SPowers(double t) : invT(1.0 / t), lnT(std::log(t)), T(t) {
    const double t2 = t * t, t3 = t2 * t, t4 = t2 * t2;
    invT2h = invT * invT / 2.0;
    T2h = t2 / 2.0;
    T3t = t3 / 3.0;
    T4q = t4 / 4.0;
    T5f = t4 * t / 5.0;
  }
  /// S°/R [-]
  double SR(const double* c) const {
    return -c[0] * invT2h - c[1] * invT + c[2] * lnT + c[3] * T + c[4] * T2h + c[5] * T3t + c[6] * T4q +
           c[7] * T5f + c[9];
  }
};

/// Mixture row: sum of w_i times the coefficient row of species i. A mixture
/// property is then one polynomial evaluation instead of one per species.
struct MixRow {
  double a[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  void Add(double w, const TGasCoefArray& c) {
    for (int k = 0; k < 10; ++k) a[k] += w * c[k];
  }
};

}  // namespace vyr::detail
