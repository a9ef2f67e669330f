// Numerical methods side by side with established libraries: ludcmp + lubksb
// against LAPACK's dgetrf + dgetrs, and the Runge-Kutta-Fehlberg integrator
// against GSL's rkf45 stepper under its standard step-size controller, with
// the same tolerances. The integrators are timed per accepted step, each
// taking one step per call.
#include <benchmark/benchmark.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_odeiv2.h>

#include <cstddef>
#include <cstring>
#include <random>
#include <vector>

#include "LUDEC.h"
#include "URKF45.h"
#include "ZeroinBrentDekker.h"

extern "C" {
// Reference LAPACK (Fortran calling convention; the trailing argument is the
// hidden length of the character argument).
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetrs_(const char* trans, const int* n, const int* nrhs, const double* a, const int* lda, const int* ipiv,
             double* b, const int* ldb, int* info, std::size_t transLength);
}

namespace {

using namespace vyr;

// A well-conditioned n x n system: entries in [-1, 1], n/2 + 1 added on the diagonal.
struct System {
  std::vector<double> a;  // row after row
  std::vector<double> b;
};

System MakeSystem(int n) {
  std::mt19937 rng(12345 + n);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  System s;
  s.a.resize(static_cast<std::size_t>(n) * n);
  s.b.resize(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) s.a[static_cast<std::size_t>(i) * n + j] = u(rng) + (i == j ? 0.5 * n + 1.0 : 0.0);
    s.b[static_cast<std::size_t>(i)] = u(rng);
  }
  return s;
}

void BM_LU_ludcmp_lubksb(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  const System s = MakeSystem(n);
  Dmatrix a0;
  for (int i = 1; i <= n; ++i)
    for (int j = 1; j <= n; ++j) a0(i, j) = s.a[static_cast<std::size_t>(i - 1) * n + (j - 1)];
  Dmatrix a;
  Ivector indx;
  Dvector b;
  double d = 0;
  for (auto _ : st) {
    // Copy only the leading block, as the LAPACK side copies its n x n array.
    for (int i = 0; i < n; ++i) {
      std::memcpy(a.data() + i * MaxMatrixOrder, a0.data() + i * MaxMatrixOrder, sizeof(double) * n);
    }
    std::memcpy(b.data(), s.b.data(), sizeof(double) * n);
    ludcmp(a, n, indx, d);
    lubksb(a, n, indx, b);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_LU_ludcmp_lubksb)->Arg(5)->Arg(20)->Arg(50);

void BM_LU_dgetrf_dgetrs(benchmark::State& st) {
  const int n = static_cast<int>(st.range(0));
  const System s = MakeSystem(n);
  std::vector<double> a0(static_cast<std::size_t>(n) * n);  // column after column
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) a0[static_cast<std::size_t>(j) * n + i] = s.a[static_cast<std::size_t>(i) * n + j];
  std::vector<double> a(a0.size()), b(s.b.size());
  std::vector<int> ipiv(static_cast<std::size_t>(n));
  const int nrhs = 1;
  const char trans = 'N';
  int info = 0;
  for (auto _ : st) {
    std::memcpy(a.data(), a0.data(), sizeof(double) * a0.size());
    std::memcpy(b.data(), s.b.data(), sizeof(double) * b.size());
    dgetrf_(&n, &n, a.data(), &n, ipiv.data(), &info);
    dgetrs_(&trans, &n, &nrhs, a.data(), &n, ipiv.data(), b.data(), &n, &info, 1);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
  }
  if (info != 0) st.SkipWithError("dgetrf/dgetrs failed");
}
BENCHMARK(BM_LU_dgetrf_dgetrs)->Arg(5)->Arg(20)->Arg(50);

// Integrator problems: y'' = -y over three periods, and the overdamped
// oscillator y'' + 101 y' + 100 y = 0 (time constants 1 and 0.01) over
// [0, 10], where stability rather than accuracy limits the step.
constexpr double kRelErr = 1e-8;
constexpr double kAbsErr = 1e-10;

struct Problem {
  const char* name;
  Fproc f;
  int (*gslF)(double t, const double y[], double dydt[], void* params);
  double y1, y2, tEnd;
};

void Harmonic(double, const VEC& y, VEC& yp) {
  yp[1] = y[2];
  yp[2] = -y[1];
}
// GSL's right-hand sides count their calls when params points at a counter.
void CountGsl(void* params) {
  if (params != nullptr) ++*static_cast<long*>(params);
}
int HarmonicGsl(double, const double y[], double dydt[], void* params) {
  CountGsl(params);
  dydt[0] = y[1];
  dydt[1] = -y[0];
  return GSL_SUCCESS;
}
void Damped(double, const VEC& y, VEC& yp) {
  yp[1] = y[2];
  yp[2] = -101.0 * y[2] - 100.0 * y[1];
}
int DampedGsl(double, const double y[], double dydt[], void* params) {
  CountGsl(params);
  dydt[0] = y[1];
  dydt[1] = -101.0 * y[1] - 100.0 * y[0];
  return GSL_SUCCESS;
}

const Problem kProblems[] = {
    {"harmonic", Harmonic, HarmonicGsl, 1.0, 0.0, 6.0 * 3.14159265358979323846},
    {"damped", Damped, DampedGsl, 1.0, 0.0, 10.0},
};

// Time per accepted step, and the steps and derivative evaluations of one run.
void ReportPerStep(benchmark::State& st, long steps, long evaluations) {
  st.counters["steps"] = static_cast<double>(steps);
  st.counters["fevals"] = static_cast<double>(evaluations);
  st.counters["per_step"] = benchmark::Counter(static_cast<double>(steps) * static_cast<double>(st.iterations()),
                                               benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RKF45_OneStep(benchmark::State& st) {
  const Problem& p = kProblems[st.range(0)];
  st.SetLabel(p.name);
  long steps = 0, evaluations = 0;
  for (auto _ : st) {
    TRKFehlBergIntegrator rk(nullptr, 2, kRelErr, kAbsErr);
    rk.y[1] = p.y1;
    rk.y[2] = p.y2;
    double t = 0.0;
    int iflag = -1;
    steps = 0;
    evaluations = 0;
    do {
      rk.rkf45(t, p.tEnd, iflag, p.f);
      if (iflag == 4) evaluations += rk.iw1;  // the counter starts again on the next call
      if (iflag == -2 || iflag == 2) ++steps;
    } while (iflag == -2 || iflag == 4);
    evaluations += rk.iw1;
    benchmark::DoNotOptimize(rk.y.data());
  }
  ReportPerStep(st, steps, evaluations);
}
BENCHMARK(BM_RKF45_OneStep)->DenseRange(0, 1);

// Interval mode, the usual way to call the integrator: the same steps as one
// step per call (the tests show that), less work per call.
void BM_RKF45_Interval(benchmark::State& st) {
  const Problem& p = kProblems[st.range(0)];
  st.SetLabel(p.name);
  long steps = 0;
  {
    TRKFehlBergIntegrator rk(nullptr, 2, kRelErr, kAbsErr);
    rk.y[1] = p.y1;
    rk.y[2] = p.y2;
    double t = 0.0;
    int iflag = -1;
    do {
      rk.rkf45(t, p.tEnd, iflag, p.f);
      if (iflag == -2 || iflag == 2) ++steps;
    } while (iflag == -2 || iflag == 4);
  }
  long evaluations = 0;
  for (auto _ : st) {
    TRKFehlBergIntegrator rk(nullptr, 2, kRelErr, kAbsErr);
    rk.y[1] = p.y1;
    rk.y[2] = p.y2;
    double t = 0.0;
    int iflag = 1;
    evaluations = 0;
    do {
      rk.rkf45(t, p.tEnd, iflag, p.f);
      evaluations += rk.iw1;
    } while (iflag == 4);
    benchmark::DoNotOptimize(rk.y.data());
  }
  ReportPerStep(st, steps, evaluations);
}
BENCHMARK(BM_RKF45_Interval)->DenseRange(0, 1);

void BM_GSL_rkf45_OneStep(benchmark::State& st) {
  const Problem& p = kProblems[st.range(0)];
  st.SetLabel(p.name);
  gsl_odeiv2_system sys{p.gslF, nullptr, 2, nullptr};
  gsl_odeiv2_step* step = gsl_odeiv2_step_alloc(gsl_odeiv2_step_rkf45, 2);
  gsl_odeiv2_control* control = gsl_odeiv2_control_y_new(kAbsErr, kRelErr);
  gsl_odeiv2_evolve* evolve = gsl_odeiv2_evolve_alloc(2);
  long steps = 0;
  long evaluations = 0;
  auto run = [&] {
    gsl_odeiv2_step_reset(step);
    gsl_odeiv2_evolve_reset(evolve);
    double y[2] = {p.y1, p.y2};
    double t = 0.0, h = 1e-4;
    steps = 0;
    while (t < p.tEnd) {
      if (gsl_odeiv2_evolve_apply(evolve, control, step, &sys, &t, p.tEnd, &h, y) != GSL_SUCCESS) {
        st.SkipWithError("gsl_odeiv2_evolve_apply failed");
        break;
      }
      ++steps;
    }
    benchmark::DoNotOptimize(y);
  };
  // One untimed run that counts the evaluations.
  sys.params = &evaluations;
  run();
  sys.params = nullptr;
  for (auto _ : st) run();
  ReportPerStep(st, steps, evaluations);
  gsl_odeiv2_evolve_free(evolve);
  gsl_odeiv2_control_free(control);
  gsl_odeiv2_step_free(step);
}
BENCHMARK(BM_GSL_rkf45_OneStep)->DenseRange(0, 1);

// The root finder on a cheap function, for its own overhead per evaluation.
void BM_Zeroin(benchmark::State& st) {
  double shift = 2.0;
  long calls = 0;
  for (auto _ : st) {
    double x = 0, fx = 0;
    int n = 0, flag = 0;
    zeroin(1e-12, 0, 100, "", "", 1.0, 2.0, x, fx, n, flag, [&shift](double v) { return v * v - shift; });
    calls += n;
    benchmark::DoNotOptimize(x);
  }
  st.counters["per_eval"] = benchmark::Counter(static_cast<double>(calls), benchmark::Counter::kIsRate |
                                                                               benchmark::Counter::kInvert);
}
BENCHMARK(BM_Zeroin);

}  // namespace
