// Runge-Kutta-Fehlberg 4(5) integrator for up to five first-order ordinary
// differential equations y' = f(t, y), with automatic step size under a mixed
// relative and absolute error test, in interval mode (to each output point)
// or one-step mode (one step per call).
#pragma once

#include <array>
#include <cstddef>

#include "VyrExport.h"

namespace vyr {

/// Number of elements of VEC: the largest system the integrator takes.
inline constexpr int VECSize = 5;

/// VECSize doubles indexed from 1; a value type, no heap; starts all zero.
class VEC {
 public:
  /// Element i, 1 <= i <= VECSize; throws std::out_of_range otherwise.
  double& operator[](int i) { return v_[Offset(i)]; }
  /// Element i, 1 <= i <= VECSize; throws std::out_of_range otherwise.
  double operator[](int i) const { return v_[Offset(i)]; }
  /// The VECSize elements in order (element 1 first).
  double* data() { return v_.data(); }
  /// The VECSize elements in order (element 1 first).
  const double* data() const { return v_.data(); }
  /// Number of elements: VECSize.
  static constexpr int size() { return VECSize; }
  /// True when all elements are equal.
  friend bool operator==(const VEC&, const VEC&) = default;

 private:
  static std::size_t Offset(int i) {
    if (i < 1 || i > VECSize) ThrowIndexOutOfRange(i);
    return static_cast<std::size_t>(i - 1);
  }
  [[noreturn]] static VYR_API void ThrowIndexOutOfRange(int i);
  std::array<double, VECSize> v_{};
};

/// Derivative routine: stores f(t, y) in yp[1..neqn] (t and y in the caller's units).
using Fproc = void (*)(double t, const VEC& y, VEC& yp);

/// The windowing toolkit's component class; the integrator only stores a pointer to its owner.
class TComponent;

/// State of one integration of y' = f(t, y) between calls of rkf45.
///
/// Create it per problem, store the initial values in y and call rkf45 first
/// with iflag 1 (interval mode) or -1 (one-step mode), then with the flag it
/// returned (2 or -2), a new tout each time if wanted.
///
/// iflag on return: 2 t = tout reached; -2 one step taken (one-step mode);
/// 3 relerr was below 1.000444e-12 and was raised to it, call again with 3;
/// 4 more than 3000 derivative evaluations, call again with 4 to go on;
/// 5 the error test failed because a solution component vanished while
/// abserr = 0, call again with 5 after raising abserr; 6 the accuracy cannot
/// be reached with the smallest step, raise relerr or abserr and call with 2
/// or -2; 7 output points too close together, go on with 2 or -2;
/// 8 invalid input, nothing was changed.
class VYR_API TRKFehlBergIntegrator {
 public:
  /// Sets Owner, neqn (1..VECSize, else std::invalid_argument), relerr and abserr; every other field zero.
  TRKFehlBergIntegrator(TComponent* AOwner, int aNEQ, double arelerror, double aabserror);

  /// Advances y from t towards tout with the derivative routine f. On return
  /// t is the point reached, y and w1 the solution and its derivative there,
  /// iflag the status. A call that repeats an unresolved flag 5, 6, 7 or 8
  /// returns 8 and changes nothing. Exceptions of f propagate, with t and y
  /// at the last accepted point.
  void rkf45(double& t, const double& tout, int& iflag, Fproc f);

  int neqn = 0;      ///< number of equations, 1..VECSize
  VEC y;             ///< solution at the current t
  VEC w1;            ///< derivatives f(t, y) at the current t
  VEC w3;            ///< stage 1 derivatives of the last step; also its new solution
  VEC w4;            ///< stage 2 derivatives of the last step
  VEC w5;            ///< stage 3 derivatives of the last step
  VEC w6;            ///< stage 4 derivatives of the last step
  VEC w7;            ///< stage 5 derivatives of the last step
  double relerr = 0;  ///< relative error tolerance [-]; may be raised to 1.000444e-12
  double abserr = 0;  ///< absolute error tolerance (units of y)
  double w2 = 0;      ///< current step size, signed in the direction of integration (units of t)
  double w8 = 0;      ///< relerr as it was on the last call [-]
  double w9 = 0;      ///< abserr as it was on the last call (units of y)
  int iw1 = 0;        ///< derivative evaluations since the counter was last reset
  int iw2 = 0;        ///< calls on which the step was at least twice the distance to tout
  int iw3 = 0;        ///< 1 once a starting step size has been chosen, else 0
  int iw4 = 0;        ///< flag saved from the last call's input, to resume after flags 3 and 4
  int iw5 = 0;        ///< continuation state: 0, or 3, 4 or 6 after those returns
  TComponent* Owner = nullptr;  ///< owner given at construction; stored only
};

}  // namespace vyr
