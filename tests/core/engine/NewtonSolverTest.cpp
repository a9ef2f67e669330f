// The Newton-Broyden solver on small systems with known roots, and its
// failures: a singular Jacobian, a system without a root, a region that cannot
// be calculated, a root beyond the bounds.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "NewtonSolver.h"
#include "common/RecordingHandler.h"

namespace vyr::test {
namespace {

using namespace engine;

struct System {
  const char* name;
  std::vector<TSolverState> states;  // start values, scales and bounds
  std::function<std::vector<double>(const std::vector<double>&)> f;
  std::vector<double> root;
};
void PrintTo(const System& s, std::ostream* os) { *os << s.name; }

std::vector<TSolverError> Errors(std::size_t n, double scale = 1.0) {
  std::vector<TSolverError> e(n);
  for (std::size_t j = 0; j < n; ++j) e[j] = {"test", "e" + std::to_string(j + 1), 0.0, scale};
  return e;
}

// Evaluates f on the states' values into the errors.
TSystemFunction Bind(const System& sys, std::vector<TSolverState>& x, std::vector<TSolverError>& e) {
  return [&sys, &x, &e](std::string&, std::string&) {
    std::vector<double> v;
    for (const TSolverState& s : x) v.push_back(s.value);
    const std::vector<double> r = sys.f(v);
    for (std::size_t j = 0; j < r.size(); ++j) e[j].value = r[j];
    return true;
  };
}

TSolverState S(double start, double scale = 1.0, double lo = -1e300, double hi = 1e300) {
  return {"test", "x", start, scale, lo, hi};
}

class KnownRoots : public testing::TestWithParam<System> {};

TEST_P(KnownRoots, ConvergeToTheRoot) {
  const System& sys = GetParam();
  std::vector<TSolverState> x = sys.states;
  std::vector<TSolverError> e = Errors(x.size());
  TSolverReport r;
  RecordingHandler rec;
  ASSERT_TRUE(SolveNewtonBroyden(x, e, Bind(sys, x, e), TSolverOptions{}, r)) << r.error;
  EXPECT_TRUE(r.converged);
  EXPECT_LE(r.residual, 1e-8);
  for (std::size_t i = 0; i < x.size(); ++i) EXPECT_NEAR(x[i].value, sys.root[i], 1e-6 * x[i].scale) << i;
  // The errors belong to the returned point.
  for (std::size_t j = 0; j < e.size(); ++j) EXPECT_LE(std::fabs(e[j].value), 1e-8);
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Solver, KnownRoots,
    testing::Values(
        System{"Linear3", {S(0), S(0), S(0)},
               [](const std::vector<double>& v) {
                 return std::vector<double>{2 * v[0] + v[1] - v[2] - 1, v[0] - 3 * v[1] + 2 * v[2] - 5,
                                            4 * v[0] + v[1] + v[2] - 9};
               },
               {1.5, 0.5, 2.5}},
        System{"Rosenbrock", {S(-1.2), S(1.0)},
               [](const std::vector<double>& v) {
                 return std::vector<double>{10 * (v[1] - v[0] * v[0]), 1 - v[0]};
               },
               {1.0, 1.0}},
        System{"CubicCoupled", {S(3.0), S(3.0)},
               [](const std::vector<double>& v) {
                 return std::vector<double>{v[0] * v[0] * v[0] + v[1] - 9, v[0] * v[1] - 2};
               },
               {2.0, 1.0}},
        // Unknowns of very different size (a pressure and a fraction): the
        // scales make them comparable.
        System{"ScaledUnknowns", {S(8e4, 1e5, 1e3, 1e7), S(0.05, 0.01, 0.0, 1.0)},
               [](const std::vector<double>& v) {
                 return std::vector<double>{v[0] / 101325.0 * (1 + v[1]) - 1.02, std::exp(v[1] * 10) - 1.2214027581601699};
               },
               {101325.0 * 1.02 / 1.02, 0.02}},
        // The root lies at a bound's side: the projection onto the bounds
        // keeps every step inside.
        System{"InsideBounds", {S(0.5, 1.0, 0.1, 2.0)},
               [](const std::vector<double>& v) { return std::vector<double>{std::log(v[0]) - std::log(1.9)}; },
               {1.9}}));

// The equations hold only where they can be calculated: above x = 1.5 the
// system fails (as a map does off its grid); the root at 1.2 is reached by
// halving the steps that leave the region.
TEST(Solver, ShortensStepsThatLeaveTheCalculableRegion) {
  std::vector<TSolverState> x{S(0.0)};
  std::vector<TSolverError> e = Errors(1);
  int failures = 0;
  auto f = [&](std::string& who, std::string& why) {
    if (x[0].value > 1.5) {
      ++failures;
      who = "map";
      why = "outside";
      return false;
    }
    e[0].value = std::atan(5 * (x[0].value - 1.2));
    return true;
  };
  TSolverOptions o;
  o.maxStep = 10.0;
  TSolverReport r;
  ASSERT_TRUE(SolveNewtonBroyden(x, e, f, o, r)) << r.error;
  EXPECT_NEAR(x[0].value, 1.2, 1e-8);
  EXPECT_GT(failures, 0);
}

struct Failing {
  const char* name;
  std::vector<TSolverState> states;
  std::function<std::vector<double>(const std::vector<double>&)> f;
  const char* component;
  const char* text;
};
void PrintTo(const Failing& s, std::ostream* os) { *os << s.name; }

class SolverFailures : public testing::TestWithParam<Failing> {};

TEST_P(SolverFailures, SayWhoAndWhy) {
  const Failing& c = GetParam();
  std::vector<TSolverState> x = c.states;
  for (std::size_t i = 0; i < x.size(); ++i) x[i].name = "x" + std::to_string(i + 1);
  std::vector<TSolverError> e = Errors(x.size());
  const System sys{c.name, c.states, c.f, {}};
  TSolverReport r;
  RecordingHandler rec;
  EXPECT_FALSE(SolveNewtonBroyden(x, e, Bind(sys, x, e), TSolverOptions{}, r));
  EXPECT_FALSE(r.converged);
  EXPECT_EQ(r.component, c.component);
  EXPECT_NE(r.error.find(c.text), std::string::npos) << r.error;
  EXPECT_TRUE(rec.messages.empty());  // the solver reports; it shows nothing
}

INSTANTIATE_TEST_SUITE_P(
    Solver, SolverFailures,
    testing::Values(
        Failing{"ErrorOnNoUnknown", {S(1), S(1)},
                [](const std::vector<double>& v) { return std::vector<double>{v[0] + v[1] - 3, 0.5}; }, "test",
                "the error e2 of test depends on none of the unknowns"},
        Failing{"UnknownMovesNoError", {S(1), S(1)},
                [](const std::vector<double>& v) { return std::vector<double>{v[0] - 3, v[0] * v[0] - 2}; }, "test",
                "the unknown x2 of test changes none of the errors"},
        Failing{"DependentRows", {S(0), S(0)},
                [](const std::vector<double>& v) {
                  return std::vector<double>{v[0] + v[1] - 1, 2 * v[0] + 2 * v[1] - 2.5};
                },
                "solver", "Singular Jacobian"},
        // x^2 + 1 has no real root: the error stays at 1 at best, named with its value.
        Failing{"NoRoot", {S(2)}, [](const std::vector<double>& v) { return std::vector<double>{v[0] * v[0] + 1}; },
                "test", "largest error e1 = "},
        // The root at 3 lies above the upper bound 2.
        Failing{"RootBeyondBound", {S(0.5, 1.0, 0.0, 2.0)},
                [](const std::vector<double>& v) { return std::vector<double>{v[0] - 3}; }, "test",
                "largest error e1 = -1"}));

TEST(Solver, NotSquareIsRefused) {
  std::vector<TSolverState> x{S(1)};
  std::vector<TSolverError> e = Errors(2);
  TSolverReport r;
  EXPECT_FALSE(SolveNewtonBroyden(x, e, [](std::string&, std::string&) { return true; }, {}, r));
  EXPECT_NE(r.error.find("1 unknowns and 2 errors"), std::string::npos) << r.error;
}

}  // namespace
}  // namespace vyr::test
