// Runge-Kutta-Fehlberg 4(5) integrator with step-size control and the
// interval / one-step calling protocol.
//
// E. Fehlberg, Low-order classical Runge-Kutta formulas with stepsize control
// and their application to some heat transfer problems, NASA TR R-315, 1969;
// L. F. Shampine and H. A. Watts, The art of writing a Runge-Kutta code,
// in Mathematical Software III, Academic Press 1977; G. E. Forsythe,
// M. A. Malcolm and C. B. Moler, Computer Methods for Mathematical
// Computations, Prentice-Hall 1977, ch. 6 (RKF45).
#include "URKF45.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace vyr {

namespace {

// Unit round-off of double precision.
constexpr double kEps = 2.22e-16;
// Smallest relative tolerance the error test can be held to (2 kEps + 1e-12).
constexpr double kRelErrMin = 1.000444e-12;
// Smallest step relative to |t|: below it a step no longer changes t reliably.
constexpr double kU26 = 26.0 * kEps;
// Derivative evaluations allowed between resets of the counter.
constexpr int kMaxEvaluations = 3000;
// Calls with output points within half a step before flag 7 is returned.
constexpr int kMaxCrowdedCalls = 100;
// Error ratios at which the step changes by its limiting factors: 0.1 when
// shrinking (0.9/59049^0.2 = 0.1), 5 when growing (0.9/5)^5 = 1.889568e-4.
constexpr double kShrinkLimit = 59049.0;
constexpr double kGrowLimit = 1.889568e-4;

// x^p for x > 0.
double Pow(double x, double p) { return std::exp(p * std::log(x)); }

// Caller errors and invalid input: flag 8, nothing changed.
constexpr int kInvalid = 8;

// Marks a step whose error test was impossible: some |y| + |s| + ae is 0.
constexpr double kNoErrorTest = -1.0;

// One Fehlberg step of N equations from (t, rk.y) with step h: five stage
// derivatives after rk.w1 = f(t, y). The stage arguments are built in f5 (and
// last in f1); the new solution s ends up in f1. Returns the error ratio E of
// the step (accepted when E <= 1), or kNoErrorTest. N is fixed at compile
// time so that the loops over the components unroll.
template <int N>
double FehlbergStep(TRKFehlBergIntegrator& rk, Fproc f, double t, double h, double ae, double scale) {
  const double* yv = rk.y.data();
  const double* yp = rk.w1.data();
  double* f1 = rk.w3.data();
  double* f2 = rk.w4.data();
  double* f3 = rk.w5.data();
  double* f4 = rk.w6.data();
  double* f5 = rk.w7.data();

  double ch = h / 4.0;
  for (int k = 0; k < N; ++k) f5[k] = yv[k] + ch * yp[k];
  f(t + ch, rk.w7, rk.w3);

  ch = 3.0 * h / 32.0;
  for (int k = 0; k < N; ++k) f5[k] = yv[k] + ch * (yp[k] + 3.0 * f1[k]);
  f(t + 3.0 * h / 8.0, rk.w7, rk.w4);

  ch = h / 2197.0;
  for (int k = 0; k < N; ++k) f5[k] = yv[k] + ch * (1932.0 * yp[k] + 7296.0 * f2[k] - 7200.0 * f1[k]);
  f(t + 12.0 * h / 13.0, rk.w7, rk.w5);

  ch = h / 4104.0;
  for (int k = 0; k < N; ++k) {
    f5[k] = yv[k] + ch * (8341.0 * yp[k] - 845.0 * f3[k] + 29440.0 * f2[k] - 32832.0 * f1[k]);
  }
  f(t + h, rk.w7, rk.w6);

  ch = h / 20520.0;
  for (int k = 0; k < N; ++k) {
    f1[k] = yv[k] + ch * (-6080.0 * yp[k] + 9295.0 * f3[k] - 5643.0 * f4[k] + 41040.0 * f1[k] - 28352.0 * f2[k]);
  }
  f(t + h / 2.0, rk.w3, rk.w7);

  ch = h / 7618050.0;
  for (int k = 0; k < N; ++k) {
    f1[k] = yv[k] + ch * (902880.0 * yp[k] + 3855735.0 * f3[k] - 1371249.0 * f4[k] + 3953664.0 * f2[k] +
                          277020.0 * f5[k]);
  }

  // Error estimate: the difference of the fourth- and fifth-order solutions,
  // relative to the tolerance of each component.
  double eeoet = 0.0;
  for (int k = 0; k < N; ++k) {
    const double et = std::fabs(yv[k]) + std::fabs(f1[k]) + ae;
    if (et <= 0.0) return kNoErrorTest;
    const double ee =
        std::fabs(-2090.0 * yp[k] + 21970.0 * f3[k] - 15048.0 * f4[k] + 22528.0 * f2[k] - 27360.0 * f5[k]);
    eeoet = std::max(eeoet, ee / et);
  }
  return std::fabs(h) * eeoet * scale / 752400.0;
}

using FehlbergStepFunction = double (*)(TRKFehlBergIntegrator&, Fproc, double, double, double, double);

// FehlbergStep for 1 to VECSize equations.
constexpr FehlbergStepFunction kFehlbergSteps[VECSize] = {FehlbergStep<1>, FehlbergStep<2>, FehlbergStep<3>,
                                                          FehlbergStep<4>, FehlbergStep<5>};

}  // namespace

void VEC::ThrowIndexOutOfRange(int i) {
  throw std::out_of_range("VEC index " + std::to_string(i) + " outside 1.." + std::to_string(VECSize));
}

TRKFehlBergIntegrator::TRKFehlBergIntegrator(TComponent* AOwner, int aNEQ, double arelerror, double aabserror)
    : neqn(aNEQ), relerr(arelerror), abserr(aabserror), Owner(AOwner) {
  if (aNEQ < 1 || aNEQ > VECSize) {
    throw std::invalid_argument("TRKFehlBergIntegrator: number of equations " + std::to_string(aNEQ) +
                                " outside 1.." + std::to_string(VECSize));
  }
}

void TRKFehlBergIntegrator::rkf45(double& t, const double& tout, int& iflag, Fproc f) {
  // Entry checks. A NaN tolerance and a missing routine count as invalid too.
  if (neqn < 1 || neqn > VECSize || !(relerr >= 0.0) || !(abserr >= 0.0) || f == nullptr || iflag == 0 ||
      iflag < -8 || iflag > 8) {
    iflag = kInvalid;
    return;
  }
  int m = iflag < 0 ? -iflag : iflag;
  if (m != 1 && t == tout && iw5 != 3) {
    iflag = kInvalid;
    return;
  }

  // Continuation: decide whether to resume the interrupted call.
  bool resume = false;
  if (m == 2) {
    if (iw5 == 3 || iw3 == 0) {
      resume = true;
    } else if (iw5 == 4) {
      iw1 = 0;
    } else if (iw5 == 6 && relerr <= w8 && abserr <= w9) {
      iflag = kInvalid;  // flag 6 again unless a tolerance is raised
      return;
    }
  } else if (m >= 3) {
    if (iflag == 3) {
      resume = true;
    } else if (iflag == 4) {
      iw1 = 0;
      resume = true;
    } else if (iflag == 5 && abserr > 0.0) {
      resume = true;
    } else {
      iflag = kInvalid;  // 5 without abserr > 0, 6, 7, 8 and -3 to -8
      return;
    }
  }
  if (resume) {
    iflag = iw4;
    if (iw5 == 3) m = iflag < 0 ? -iflag : iflag;
  }

  iw4 = iflag;
  iw5 = 0;
  w8 = relerr;
  w9 = abserr;
  if (relerr < kRelErrMin) {
    relerr = kRelErrMin;
    iflag = 3;
    iw5 = 3;
    return;
  }

  const int n = neqn;
  double* yv = y.data();
  double* yp = w1.data();
  double& h = w2;
  double dt = tout - t;

  if (m == 1) {
    iw3 = 0;
    iw2 = 0;
    f(t, y, w1);
    iw1 = 1;
    if (t == tout) {
      iflag = 2;
      return;
    }
  }

  if (iw3 == 0) {
    // Starting step: the largest up to |dt| whose first-order error estimate
    // |y'|*h^5 stays within each component's tolerance, but not below what
    // the round-off of t and dt allows.
    iw3 = 1;
    h = std::fabs(dt);
    bool anyTolerance = false;
    for (int k = 0; k < n; ++k) {
      const double tol = relerr * std::fabs(yv[k]) + abserr;
      if (tol > 0.0) {
        anyTolerance = true;
        const double ypk = std::fabs(yp[k]);
        if (h > 0.0 && ypk * Pow(h, 5.0) > tol) h = Pow(tol / ypk, 0.2);
      }
    }
    if (!anyTolerance) h = 0.0;
    h = std::max(h, kU26 * std::max(std::fabs(t), std::fabs(dt)));
    iw4 = iflag >= 0 ? 2 : -2;
  }

  h = dt < 0.0 ? -std::fabs(h) : std::fabs(h);

  // Output points crowded within half a step make the integration inefficient.
  if (std::fabs(h) >= 2.0 * std::fabs(dt)) {
    if (++iw2 == kMaxCrowdedCalls) {
      iw2 = 0;
      iflag = 7;
      return;
    }
  }

  // tout too close to t for a step: extrapolate with one Euler step.
  if (std::fabs(dt) <= kU26 * std::fabs(t)) {
    for (int k = 0; k < n; ++k) yv[k] += dt * yp[k];
    t = tout;
    f(t, y, w1);
    ++iw1;
    iflag = 2;
    return;
  }

  // The error test below compares |h|*ee/752400 with
  // relerr*(|y| + |s|)/2 + abserr, scaled by 2/relerr.
  const double scale = 2.0 / relerr;
  const double ae = scale * abserr;

  const FehlbergStepFunction fehlbergStep = kFehlbergSteps[n - 1];
  const double* s = w3.data();  // the new solution of a step

  for (;;) {
    bool failed = false;
    bool output = false;
    const double hmin = kU26 * std::fabs(t);
    dt = tout - t;
    if (std::fabs(dt) >= 2.0 * std::fabs(h)) {
      // keep h
    } else if (std::fabs(dt) > std::fabs(h)) {
      h = dt / 2.0;  // two steps to tout
    } else {
      h = dt;  // this step ends at tout
      output = true;
    }

    double E = 0.0;
    for (;;) {
      if (iw1 > kMaxEvaluations) {
        iflag = 4;
        iw5 = 4;
        return;
      }

      E = fehlbergStep(*this, f, t, h, ae, scale);
      iw1 += 5;
      if (E < 0.0) {
        iflag = 5;
        return;
      }
      if (!(E > 1.0)) break;

      // Rejected: shrink the step (by at most a factor of 10) and retry from the same point.
      failed = true;
      output = false;
      h *= E >= kShrinkLimit ? 0.1 : 0.9 / Pow(E, 0.2);
      if (!(std::fabs(h) >= hmin)) {
        iflag = 6;
        iw5 = 6;
        return;
      }
    }

    // Accepted.
    t += h;
    for (int k = 0; k < n; ++k) yv[k] = s[k];
    f(t, y, w1);
    ++iw1;

    // Next step: grow by at most 5, not at all after a rejection.
    double factor = E <= kGrowLimit ? 5.0 : 0.9 / Pow(E, 0.2);
    if (failed) factor = std::min(factor, 1.0);
    const double habs = std::max(factor * std::fabs(h), hmin);
    h = h < 0.0 ? -habs : habs;

    if (output) {
      t = tout;
      iflag = 2;
      return;
    }
    if (iflag <= 0) {
      iflag = -2;
      return;
    }
  }
}

}  // namespace vyr
