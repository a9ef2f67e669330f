#include "NewtonSolver.h"

#include <algorithm>
#include <cmath>

#include "LUDEC.h"
#include "SysUtils.h"

namespace vyr::engine {

namespace {

double MaxAbs(const std::vector<double>& f, int* where = nullptr) {
  double m = 0.0;
  for (std::size_t i = 0; i < f.size(); ++i)
    if (!(std::fabs(f[i]) <= m)) {  // a NaN counts as the largest
      m = std::isnan(f[i]) ? std::numeric_limits<double>::infinity() : std::fabs(f[i]);
      if (where) *where = static_cast<int>(i);
    }
  return m;
}

double Norm2(const std::vector<double>& f) {
  double s = 0.0;
  for (double v : f) s += v * v;
  return std::isfinite(s) ? std::sqrt(s) : std::numeric_limits<double>::infinity();
}

class TSolver {
 public:
  TSolver(std::vector<TSolverState>& x, std::vector<TSolverError>& e, const TSystemFunction& system,
          const TSolverOptions& o, TSolverReport& r)
      : x_(x), e_(e), system_(system), o_(o), r_(r), n_(static_cast<int>(x.size())) {}

  bool Run() {
    r_ = TSolverReport{};
    if (n_ < 1 || n_ > MaxMatrixOrder || e_.size() != x_.size())
      return Fail("solver",
                  Printf("The system has %d unknowns and %d errors; it needs as many of each, 1 to %d", n_,
                         static_cast<int>(e_.size()), MaxMatrixOrder));
    std::vector<double> v(n_), f(n_);
    for (int i = 0; i < n_; ++i) {
      const TSolverState& s = x_[i];
      if (!(s.scale > 0.0) || !std::isfinite(s.scale))
        return Fail(s.component, Printf("%s: the scale %g of %s is not positive", s.component.c_str(), s.scale,
                                        s.name.c_str()));
      if (!(s.lo < s.hi))
        return Fail(s.component, Printf("%s: the bounds of %s (%g to %g) are empty", s.component.c_str(),
                                        s.name.c_str(), s.lo, s.hi));
      v[i] = std::clamp(s.value, s.lo, s.hi) / s.scale;
    }
    for (const TSolverError& er : e_)
      if (!(er.scale > 0.0) || !std::isfinite(er.scale))
        return Fail(er.component, Printf("%s: the scale %g of the error %s is not positive", er.component.c_str(),
                                         er.scale, er.name.c_str()));
    if (!Evaluate(v, f)) return Fail(failComponent_, "The starting point cannot be calculated: " + failText_);

    bool fresh = true, justFresh = false;
    int broydenSteps = 0;
    std::vector<double> dx(n_), vt(n_), ft(n_);
    for (;;) {
      int worst = 0;
      if (MaxAbs(f, &worst) <= o_.tolerance) {
        r_.converged = true;
        r_.residual = MaxAbs(f, &r_.worst);
        return true;
      }
      if (r_.iterations >= o_.maxIterations) break;
      if (fresh) {
        if (!Jacobian(v, f)) return false;
        fresh = false;
        justFresh = true;
        broydenSteps = 0;
      }
      // Newton (or quasi-Newton) step dx = -H f, with H stored transposed in B.
      for (int i = 0; i < n_; ++i) {
        double s = 0.0;
        for (int m = 0; m < n_; ++m) s += B_(m + 1, i + 1) * f[m];
        dx[i] = -s;
      }
      const double big = MaxAbs(dx);
      if (!std::isfinite(big)) {
        if (justFresh) return Fail("solver", "The Newton step is not finite");
        fresh = true;
        continue;
      }
      if (big > o_.maxStep)
        for (double& d : dx) d *= o_.maxStep / big;
      const double n0 = Norm2(f);
      double lambda = 1.0;
      bool accepted = false;
      for (int h = 0; h <= o_.maxHalvings; ++h) {
        for (int i = 0; i < n_; ++i)
          vt[i] = std::clamp(v[i] + lambda * dx[i], x_[i].lo / x_[i].scale, x_[i].hi / x_[i].scale);
        if (Evaluate(vt, ft) && Norm2(ft) < n0) {
          accepted = true;
          break;
        }
        if (!justFresh) break;  // an old Jacobian: refresh it before shortening the step
        lambda /= 2.0;
      }
      ++r_.iterations;
      if (!accepted) {
        if (!justFresh) {
          fresh = true;
          continue;
        }
        Evaluate(v, f);  // the state of the best point, for the caller's report
        return NoConvergence(f, failText_.empty() ? "no step along the Newton direction reduces the errors"
                                                  : "no step along the Newton direction reduces the errors (" +
                                                        failText_ + ")");
      }
      Dvector DF, DX;
      for (int i = 0; i < n_; ++i) {
        DF[i + 1] = ft[i] - f[i];
        DX[i + 1] = vt[i] - v[i];
      }
      const bool updated = Broyden(B_, n_, 1.0, DF, DF, DX);
      const double n1 = Norm2(ft);
      v.swap(vt);
      f.swap(ft);
      justFresh = false;
      ++broydenSteps;
      if (!updated || n1 > o_.stallRatio * n0) fresh = true;
    }
    Evaluate(v, f);
    return NoConvergence(f, Printf("no convergence in %d iterations", r_.iterations));
  }

 private:
  // Sets the states from scaled values and evaluates; f gets the normalised errors.
  bool Evaluate(const std::vector<double>& v, std::vector<double>& f) {
    for (int i = 0; i < n_; ++i) x_[i].value = v[i] * x_[i].scale;
    ++r_.evaluations;
    failComponent_.clear();
    failText_.clear();
    if (!system_(failComponent_, failText_)) {
      if (failText_.empty()) failText_ = "the calculation failed";
      return false;
    }
    for (int j = 0; j < n_; ++j) {
      f[j] = e_[j].Normalised();
      if (!std::isfinite(f[j])) {
        failComponent_ = e_[j].component;
        failText_ = Printf("%s: the error %s is not finite", e_[j].component.c_str(), e_[j].name.c_str());
        return false;
      }
    }
    return true;
  }

  // Forward differences (backward where the forward point cannot be
  // calculated or lies beyond the upper bound), LU factors, and the inverse
  // held transposed for the Broyden updates.
  bool Jacobian(std::vector<double>& v, const std::vector<double>& f) {
    ++r_.jacobians;
    Dmatrix J;
    std::vector<double> vp = v, fp(n_);
    for (int k = 0; k < n_; ++k) {
      double h = o_.fdStep * std::max(1.0, std::fabs(v[k]));
      if (v[k] + h > x_[k].hi / x_[k].scale) h = -h;
      vp[k] = v[k] + h;
      bool ok = Evaluate(vp, fp);
      if (!ok) {
        h = -h;
        vp[k] = v[k] + h;
        ok = Evaluate(vp, fp);
      }
      vp[k] = v[k];
      if (!ok)
        return Fail(failComponent_, Printf("The errors cannot be calculated next to the point when %s of %s "
                                           "changes: %s",
                                           x_[k].name.c_str(), x_[k].component.c_str(), failText_.c_str()));
      for (int j = 0; j < n_; ++j) J(j + 1, k + 1) = (fp[j] - f[j]) / h;
    }
    Evaluate(v, fp);  // back to the point itself
    // An error that no unknown moves, or an unknown that moves no error,
    // makes the system singular: name it.
    for (int j = 0; j < n_; ++j) {
      bool any = false;
      for (int k = 0; k < n_; ++k) any = any || J(j + 1, k + 1) != 0.0;
      if (!any)
        return Fail(e_[j].component, Printf("Singular Jacobian: the error %s of %s depends on none of the unknowns",
                                            e_[j].name.c_str(), e_[j].component.c_str()));
    }
    for (int k = 0; k < n_; ++k) {
      bool any = false;
      for (int j = 0; j < n_; ++j) any = any || J(j + 1, k + 1) != 0.0;
      if (!any)
        return Fail(x_[k].component, Printf("Singular Jacobian: the unknown %s of %s changes none of the errors",
                                            x_[k].name.c_str(), x_[k].component.c_str()));
    }
    double largest = 0.0;
    for (int j = 1; j <= n_; ++j)
      for (int k = 1; k <= n_; ++k) largest = std::max(largest, std::fabs(J(j, k)));
    Dmatrix LU = J;
    Ivector indx;
    double d;
    if (!ludcmp(LU, n_, indx, d)) return Fail("solver", "Singular Jacobian");
    for (int k = 1; k <= n_; ++k)
      if (!(std::fabs(LU(k, k)) > 1e-12 * largest))
        return Fail("solver", Printf("Singular Jacobian: the errors do not determine the unknowns (pivot %d of %d "
                                     "vanishes, near %s of %s)",
                                     k, n_, x_[k - 1].name.c_str(), x_[k - 1].component.c_str()));
    // Row m of B is column m of the inverse Jacobian: B = H^T.
    for (int m = 1; m <= n_; ++m) {
      Dvector col;
      col[m] = 1.0;
      lubksb(LU, n_, indx, col);
      for (int i = 1; i <= n_; ++i) B_(m, i) = col[i];
    }
    return true;
  }

  bool NoConvergence(const std::vector<double>& f, const std::string& why) {
    int worst = 0;
    r_.residual = MaxAbs(f, &worst);
    r_.worst = worst;
    const TSolverError& e = e_[worst];
    return Fail(e.component, Printf("%s: %s, largest error %s = %.6g (normalised %.3g)", e.component.c_str(),
                                    why.c_str(), e.name.c_str(), e.value, f[worst]));
  }

  bool Fail(const std::string& component, const std::string& text) {
    r_.converged = false;
    r_.component = component;
    r_.error = text;
    return false;
  }

  std::vector<TSolverState>& x_;
  std::vector<TSolverError>& e_;
  const TSystemFunction& system_;
  const TSolverOptions& o_;
  TSolverReport& r_;
  int n_;
  Dmatrix B_;
  std::string failComponent_, failText_;
};

}  // namespace

bool SolveNewtonBroyden(std::vector<TSolverState>& states, std::vector<TSolverError>& errors,
                        const TSystemFunction& system, const TSolverOptions& options, TSolverReport& report) {
  return TSolver(states, errors, system, options, report).Run();
}

}  // namespace vyr::engine
