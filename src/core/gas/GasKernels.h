// Polynomial kernels shared by the property functions. The powers and the
// logarithm of T are formed once per call; the species rows are prepared at
// compile time, so that a mixture costs one weighted sum of rows and one
// polynomial evaluation.
#pragma once

#include <cmath>
#include <cstring>

#include "GasTableData.h"

#include <string_view>

namespace vyr::detail {

inline constexpr double kPresent = 1e-15;  // fractions not above this count as absent

// The species loops of the hot functions are short and of fixed length;
// unrolled, the test of each species' presence costs no loop overhead.
#if defined(__GNUC__) && !defined(__clang__)
#define VYR_UNROLL_SPECIES _Pragma("GCC unroll 19")
#elif defined(__clang__)
#define VYR_UNROLL_SPECIES _Pragma("unroll")
#else
#define VYR_UNROLL_SPECIES
#endif

/// |residual / reference|; a reference of exactly zero has no scale, so the
/// residual is taken as it stands (absolute, in the reference's unit).
// Error message for a quantity the caller gave that no gas state can have:
// "Illegal value for <what> (=<value>)" CR LF "in <CallerID>".
void IllegalValue(const char* what, double value, std::string_view CallerID);

inline double RelativeResidual(double residual, double reference) {
  return reference != 0.0 ? std::fabs(residual / reference) : std::fabs(residual);
}

/// 1 / M for every species [kmol/kg].
inline constexpr std::array<double, GasCount> kInvMolemass = [] {
  std::array<double, GasCount> r{};
  for (int i = 0; i < GasCount; ++i) r[i] = 1.0 / kGasProperties[i].Molemass;
  return r;
}();

/// Interval of the thermodynamic polynomial: exactly 1000 K belongs to the lower one.
inline const TGasCoefArray& Interval(const TGasProperties& p, double T) {
  return T > 1000.0 ? p.Coefs_above1000 : p.Coefs_below1000;
}

/// Powers of T for the property polynomials, formed once per call. Each
/// Eval takes a row whose coefficients already carry the integration
/// divisors (and, for Cp and H, the factor R_u / M), so that a mixture is
/// one evaluation of the fraction-weighted sum of its species' rows.
struct CpPowers {
  double invT, invT2, T, T2, T3, T4, T5;
  explicit CpPowers(double t) : invT(1.0 / t), T(t) {
    invT2 = invT * invT;
    T2 = t * t;
    T3 = T2 * t;
    T4 = T2 * T2;
    T5 = T4 * t;
  }
  /// Row: a1..a8 (times R/M) for T^-2, T^-1, 1, T .. T^5.
  double Eval(const double* r) const {
    return (r[0] * invT2 + r[1] * invT) + (r[2] + r[3] * T) + (r[4] * T2 + r[5] * T3) + (r[6] * T4 + r[7] * T5);
  }
};

struct HPowers {
  double invT, lnT, T, T2, T3, T4, T5, T6;
  explicit HPowers(double t) : invT(1.0 / t), lnT(std::log(t)), T(t) {
    T2 = t * t;
    T3 = T2 * t;
    T4 = T2 * T2;
    T5 = T4 * t;
    T6 = T3 * T3;
  }
  /// Row: -a1, a2, a3, a4/2, a5/3, a6/4, a7/5, a8/6, b1 (times R/M) for T^-1, ln T, T .. T^6, 1.
  double Eval(const double* r) const {
    return (r[0] * invT + r[1] * lnT) + (r[2] * T + r[3] * T2) + (r[4] * T3 + r[5] * T4) + (r[6] * T5 + r[7] * T6) +
           r[8];
  }
};

struct SPowers : CpPowers {
  double lnT;
  explicit SPowers(double t) : CpPowers(t), lnT(std::log(t)) {}
  /// Row: -a1/2, -a2, a3, a4, a5/2, a6/3, a7/4, a8/5, b2 for T^-2, T^-1, ln T, T .. T^5, 1.
  double Eval(const double* r) const {
    return (r[0] * invT2 + r[1] * invT) + (r[2] * lnT + r[3] * T) + (r[4] * T2 + r[5] * T3) + (r[6] * T4 + r[7] * T5) +
           r[8];
  }
};

/// One row of each kind per species and interval ([0] T <= 1000 K, [1] T > 1000 K).
/// Ten slots (the last is zero) so that a row is five aligned pairs.
struct alignas(16) Row {
  double c[10];
};
using RowTable = std::array<std::array<Row, GasCount>, 2>;

constexpr RowTable MakeRows(Row (*make)(const TGasCoefArray&, double)) {
  RowTable t{};
  for (int i = 0; i < GasCount; ++i) {
    t[0][i] = make(kGasProperties[i].Coefs_below1000, kRoverM[i]);
    t[1][i] = make(kGasProperties[i].Coefs_above1000, kRoverM[i]);
  }
  return t;
}

/// Cp rows [J/(kg K)].
inline constexpr RowTable kCpRows = MakeRows([](const TGasCoefArray& c, double f) {
  return Row{{f * c[0], f * c[1], f * c[2], f * c[3], f * c[4], f * c[5], f * c[6], f * c[7], 0.0, 0.0}};
});
/// Enthalpy rows [J/kg].
inline constexpr RowTable kHRows = MakeRows([](const TGasCoefArray& c, double f) {
  return Row{{-f * c[0], f * c[1], f * c[2], f * c[3] / 2.0, f * c[4] / 3.0, f * c[5] / 4.0, f * c[6] / 5.0,
              f * c[7] / 6.0, f * c[8], 0.0}};
});
/// Entropy rows, dimensionless (S°/R).
inline constexpr RowTable kSRows = MakeRows([](const TGasCoefArray& c, double) {
  return Row{{-c[0] / 2.0, -c[1], c[2], c[3], c[4] / 2.0, c[5] / 3.0, c[6] / 4.0, c[7] / 5.0, c[9], 0.0}};
});

/// Sum of weighted rows, accumulated in pairs where the compiler offers
/// two-lane vectors (the same products and sums, half the instructions).
#if defined(__GNUC__)
struct MixRow {
  typedef double Pair __attribute__((vector_size(16)));
  Pair p[5] = {};
  void Add(double w, const Row& r) {
    const Pair W = {w, w};
    for (int k = 0; k < 5; ++k) {
      Pair x;
      std::memcpy(&x, r.c + 2 * k, sizeof x);
      p[k] += W * x;
    }
  }
  Row Sum() const {
    Row r;
    std::memcpy(r.c, p, sizeof r.c);
    return r;
  }
};
#else
struct MixRow {
  Row a{};
  void Add(double w, const Row& r) {
    for (int k = 0; k < 10; ++k) a.c[k] += w * r.c[k];
  }
  Row Sum() const { return a; }
};
#endif

/// The row set of the interval of T: exactly 1000 K belongs to the lower one.
inline const std::array<Row, GasCount>& RowsFor(const RowTable& t, double T) { return t[T > 1000.0 ? 1 : 0]; }

}  // namespace vyr::detail
