#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ZeroinBrentDekker.h"
#include "common/RecordingHandler.h"
#include "numerics/HeapCount.h"

namespace vyr {
namespace {

namespace fs = std::filesystem;

const char* const kCaller = "Nr. 3 Component: Shaft";

// Outcome of one zeroin call.
struct Result {
  bool ok = false;
  double x = 0, fx = 0;
  int calls = 0, flag = 99;
};

Result Solve(double absTol, double relTol, int maxCalls, std::string_view caller, double x1, double x2,
           const TZeroIntDoubleFunction& f, std::string_view trace = {}) {
  Result r;
  r.ok = zeroin(absTol, relTol, maxCalls, caller, trace, x1, x2, r.x, r.fx, r.calls, r.flag, f);
  return r;
}

// Standard test problems: the zero, and the most evaluations allowed to reach
// it with the tolerance given, a small margin above what the method takes.
// Bisection alone would take log2(width/tol) + 2: 42 for the cubic.
struct Problem {
  const char* name;
  double (*f)(double);
  double x1, x2, root;
  double absTol, relTol;
  int maxEvaluations;
};

const Problem kProblems[] = {
    {"cubic", [](double x) { return x * x * x - 2 * x - 5; }, 2.0, 3.0, 2.0945514815423265, 1e-12, 0, 10},
    {"cubic_reversed", [](double x) { return x * x * x - 2 * x - 5; }, 3.0, 2.0, 2.0945514815423265, 1e-12, 0, 10},
    {"cos_minus_x", [](double x) { return std::cos(x) - x; }, 0.0, 1.0, 0.7390851332151607, 1e-12, 0, 10},
    {"cos_minus_x_relative", [](double x) { return std::cos(x) - x; }, 0.0, 1.0, 0.7390851332151607, 0, 1e-12, 10},
    // A zero of multiplicity 9: interpolation converges only linearly, and a
    // bisection follows every few steps (bisection alone: 36).
    {"ninth_power", [](double x) { return std::pow(x - 1.0, 9); }, 0.0, 1.5, 1.0, 1e-10, 0, 100},
    {"steep_atan", [](double x) { return std::atan(1000.0 * (x - 0.3)); }, 0.0, 1.0, 0.3, 1e-12, 0, 18},
};

void PrintTo(const Problem& p, std::ostream* os) { *os << p.name; }

class StandardProblems : public testing::TestWithParam<Problem> {};

TEST_P(StandardProblems, ConvergeWithinToleranceAndFewEvaluations) {
  const Problem& p = GetParam();
  test::RecordingHandler rec;
  int evaluations = 0;
  const Result r = Solve(p.absTol, p.relTol, 500, kCaller, p.x1, p.x2, [&](double x) {
    ++evaluations;
    return p.f(x);
  });
  EXPECT_TRUE(r.ok);
  EXPECT_TRUE(r.flag == 0 || r.flag == 1) << r.flag;
  // The zero lies between b and c, and |c - b| <= AbsTol + RelTol*|b|.
  EXPECT_LE(std::fabs(r.x - p.root), p.absTol + p.relTol * std::fabs(r.x) + 1e-16);
  EXPECT_EQ(r.fx, p.f(r.x));
  EXPECT_EQ(r.calls, evaluations);
  EXPECT_LE(r.calls, p.maxEvaluations);
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Zeroin, StandardProblems, testing::ValuesIn(kProblems),
                         [](const testing::TestParamInfo<Problem>& info) { return std::string(info.param.name); });

TEST(Zeroin, ConvergenceReturnsTheBestPointEvaluated) {
  // For a monotone F the point of the final bracket with the smaller |F| is
  // the best of all points evaluated; F is not called again there.
  for (double tol : {1e-3, 1e-6, 1e-9}) {
    std::vector<std::pair<double, double>> evaluated;
    const Result r = Solve(tol, 0, 100, "", 0.0, 1.0, [&](double x) {
      const double y = std::atan(1000.0 * (x - 0.3));
      evaluated.emplace_back(x, y);
      return y;
    });
    ASSERT_EQ(r.flag, 0);
    ASSERT_EQ(static_cast<int>(evaluated.size()), r.calls);
    bool found = false;
    for (auto [x, y] : evaluated) {
      if (x == r.x && y == r.fx) found = true;
      EXPECT_GE(std::fabs(y), std::fabs(r.fx));
    }
    EXPECT_TRUE(found) << tol;
  }
}

// Failures reported through the flag, with and without a caller to name.
struct FlagCase {
  const char* name;
  double (*f)(double);
  double x1, x2;
  double absTol, relTol;
  int maxCalls;
  int flag;
  int calls;
  const char* message;  // before " in " and the caller's ID
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();

const FlagCase kFlagCases[] = {
    {"same_sign", [](double x) { return x * x + 1; }, -1.0, 2.0, 1e-10, 0, 50, -1, 2,
     "Zeroint end points y values have same sign"},
    {"nan_end_value", [](double x) { return x > 0 ? kNaN : -1.0; }, -1.0, 1.0, 1e-10, 0, 50, -1, 2,
     "Zeroint end points y values have same sign"},
    {"zero_at_first_end", [](double x) { return x; }, 0.0, 1.0, 1e-10, 0, 50, 2, 2, "Zeroint end point value zero"},
    {"zero_at_second_end", [](double x) { return x - 1.0; }, 0.0, 1.0, 1e-10, 0, 50, 2, 2,
     "Zeroint end point value zero"},
    {"product_underflows", [](double x) { return x * 1e-200; }, -1.0, 1.0, 1e-10, 0, 50, 2, 2,
     "Zeroint end point value zero"},
    {"max_calls_zero", [](double x) { return x - 0.5; }, 0.0, 1.0, 1e-10, 0, 0, -2, 2,
     "Illegal Zeroint tolerance or max. function calls<1"},
    {"both_tolerances_zero", [](double x) { return x - 0.5; }, 0.0, 1.0, 0, 0, 50, -2, 2,
     "Illegal Zeroint tolerance or max. function calls<1"},
    {"negative_abs_tol", [](double x) { return x - 0.5; }, 0.0, 1.0, -1e-10, 1e-6, 50, -2, 2,
     "Illegal Zeroint tolerance or max. function calls<1"},
    {"negative_rel_tol", [](double x) { return x - 0.5; }, 0.0, 1.0, 1e-6, -1e-10, 50, -2, 2,
     "Illegal Zeroint tolerance or max. function calls<1"},
    {"nan_tolerance", [](double x) { return x - 0.5; }, 0.0, 1.0, kNaN, 1e-6, 50, -2, 2,
     "Illegal Zeroint tolerance or max. function calls<1"},
    {"one_call_allowed", [](double x) { return std::cos(x) - x; }, 0.0, 1.0, 1e-10, 0, 1, 3, 3,
     "Max nr. of 1 Zeroint function calls reached"},
    {"five_calls_allowed", [](double x) { return std::pow(x - 1.0, 9); }, 0.0, 1.5, 1e-10, 0, 5, 3, 6,
     "Max nr. of 5 Zeroint function calls reached"},
};

void PrintTo(const FlagCase& c, std::ostream* os) { *os << c.name; }

class FailureFlags : public testing::TestWithParam<FlagCase> {};

TEST_P(FailureFlags, WithCallerShowTheMessageAndReturnFalse) {
  const FlagCase& c = GetParam();
  test::RecordingHandler rec;
  double lastArg = kNaN;
  auto f = [&](double x) {
    lastArg = x;
    return c.f(x);
  };
  const Result r = Solve(c.absTol, c.relTol, c.maxCalls, kCaller, c.x1, c.x2, f);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.flag, c.flag);
  EXPECT_EQ(r.calls, c.calls);
  // XZero is the argument of the last call: X2 when only the ends were evaluated.
  EXPECT_EQ(r.x, lastArg);
  if (c.calls == 2) {
    EXPECT_EQ(r.x, c.x2);
  }
  EXPECT_TRUE(r.fx == c.f(r.x) || (std::isnan(r.fx) && std::isnan(c.f(r.x))));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, std::string(c.message) + " in " + kCaller);
  EXPECT_EQ(rec.messages[0].DlgType, mtError);
  EXPECT_EQ(rec.messages[0].Buttons, TMsgDlgButtons{mbOK});
}

TEST_P(FailureFlags, WithoutCallerReturnTrueSilently) {
  const FlagCase& c = GetParam();
  test::RecordingHandler rec;
  const Result r = Solve(c.absTol, c.relTol, c.maxCalls, "", c.x1, c.x2, c.f);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.flag, c.flag);
  EXPECT_EQ(r.calls, c.calls);
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Zeroin, FailureFlags, testing::ValuesIn(kFlagCases),
                         [](const testing::TestParamInfo<FlagCase>& info) { return std::string(info.param.name); });

TEST(Zeroin, ExactZeroInsideTheIntervalGivesFlag1) {
  // |F| is equal at both ends of [0, 2]: the first step bisects onto 1.
  const Result r = Solve(1e-12, 0, 50, kCaller, 0.0, 2.0, [](double x) { return x - 1.0; });
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.flag, 1);
  EXPECT_EQ(r.x, 1.0);
  EXPECT_EQ(r.fx, 0.0);
  EXPECT_EQ(r.calls, 3);
}

TEST(Zeroin, TinyTolerancesAreRaisedToTheFloor) {
  // x^2 - 2 is zero at no double. Below 1e-15 the bracket around sqrt(2)
  // (spacing 2.2e-16) could never shrink far enough, and the call limit
  // would end the search.
  auto f = [](double x) { return x * x - 2.0; };
  for (auto [absTol, relTol] : {std::pair{1e-20, 0.0}, std::pair{0.0, 1e-20}, std::pair{1e-20, 1e-20}}) {
    const Result r = Solve(absTol, relTol, 200, "", 1.0, 2.0, f);
    EXPECT_EQ(r.flag, 0) << absTol << " " << relTol;
    EXPECT_NEAR(r.x, std::sqrt(2.0), 4e-16);
    EXPECT_LT(r.calls, 20);
  }
}

// A callable with state of its own, bound in several ways.
struct Shifted {
  double shift = 0;
  int calls = 0;
  double Eval(double x) {
    ++calls;
    return x * x - shift;
  }
  double EvalConst(double x) const { return x * x - shift; }
  double operator()(double x) {
    ++calls;
    return x * x - shift;
  }
};

double Cubic(double x) { return x * x * x - 2 * x - 5; }

TEST(ZeroinFunction, BindsMembersFunctorsLambdasAndFunctions) {
  Shifted s{2.0};
  Result r = Solve(1e-13, 0, 100, "", 0.0, 2.0, TZeroIntDoubleFunction(s, &Shifted::Eval));
  EXPECT_NEAR(r.x, std::sqrt(2.0), 1e-13);
  EXPECT_EQ(s.calls, r.calls);  // the object itself was called, not a copy

  s.shift = 3.0;
  r = Solve(1e-13, 0, 100, "", 0.0, 2.0, TZeroIntDoubleFunction(std::as_const(s), &Shifted::EvalConst));
  EXPECT_NEAR(r.x, std::sqrt(3.0), 1e-13);

  s.calls = 0;
  r = Solve(1e-13, 0, 100, "", 0.0, 2.0, std::ref(s));
  EXPECT_NEAR(r.x, std::sqrt(3.0), 1e-13);
  EXPECT_EQ(s.calls, r.calls);

  r = Solve(1e-13, 0, 100, "", 2.0, 3.0, Cubic);
  EXPECT_NEAR(r.x, 2.0945514815423265, 1e-12);

  int count = 0;  // a mutable lambda keeps its own state in the wrapper
  TZeroIntDoubleFunction counting([count](double x) mutable {
    ++count;
    return static_cast<double>(count) + x;
  });
  EXPECT_EQ(counting(0.0), 1.0);
  EXPECT_EQ(counting(0.0), 2.0);
  TZeroIntDoubleFunction copy = counting;
  EXPECT_EQ(copy(0.0), 3.0);
  EXPECT_EQ(counting(0.0), 3.0);  // copies are independent

  const std::string label(100, 'x');  // a capture that owns heap memory
  TZeroIntDoubleFunction withString([label](double x) { return x - static_cast<double>(label.size()); });
  TZeroIntDoubleFunction moved = std::move(withString);
  withString = moved;
  EXPECT_EQ(moved(100.0), 0.0);
  EXPECT_EQ(withString(101.0), 1.0);
}

TEST(ZeroinFunction, EvaluationsAllocateNothing) {
  double a = 1.0, b = -2.0, c = 0.5, d = 3.0;
  TZeroIntDoubleFunction f([&a, &b, &c, d](double x) { return a * x * x + b * x + c * d; });
  Shifted s{2.0};
  TZeroIntDoubleFunction g(s, &Shifted::Eval);
  const long before = test::HeapAllocations();
  double sum = 0;
  for (int i = 0; i < 1000; ++i) sum += f(i * 1e-3) + g(i * 1e-3);
  double x = 0, fx = 0;
  int calls = 0, flag = 0;
  zeroin(1e-12, 0, 100, "", "", 0.0, 2.0, x, fx, calls, flag, g);
  EXPECT_EQ(test::HeapAllocations(), before);
  EXPECT_EQ(flag, 0);
  EXPECT_TRUE(std::isfinite(sum));
}

TEST(Zeroin, ExceptionsOfTheFunctionPropagate) {
  test::RecordingHandler rec;
  int n = 0;
  auto f = [&n](double x) {
    if (++n == 3) throw std::runtime_error("model failed");
    return x - 0.3;
  };
  EXPECT_THROW(Solve(1e-12, 0, 100, kCaller, 0.0, 1.0, f), std::runtime_error);
  EXPECT_TRUE(rec.messages.empty());
}

// Trace files go to a fresh folder that is removed afterwards.
class ZeroinTrace : public testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("vyr_zeroin_" + std::to_string(rd()) + std::to_string(rd()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  std::string Path(const char* name) const { return (dir_ / name).string(); }

  static std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  fs::path dir_;
};

TEST_F(ZeroinTrace, WritesEveryStepInTheFixedLineFormats) {
  const std::string path = Path("cos.txt");
  const Result r = Solve(2e-10, 0, 100, kCaller, 0.0, 1.0, [](double x) { return std::cos(x) - x; }, path);
  ASSERT_EQ(r.flag, 0);
  const std::vector<std::string> lines = Lines(path);

  // Passes that go on write six lines, the last pass three.
  const int passes = r.calls - 1;
  ASSERT_EQ(static_cast<int>(lines.size()), 6 * passes - 3);

  // First pass: a = c = 0, b = 1; xm = -0.5, tol1 = 0.5*(1e-15*1 + 2e-10)
  // (RelTol = 0 beside a usable AbsTol is raised to 1e-15).
  EXPECT_EQ(lines[0], " a  =     0.00000000000000 b  =     1.00000000000000 c  =     0.00000000000000");
  EXPECT_EQ(lines[1], " fa =     1.00000000000000 fb =    -0.45969769413186 fc =     1.00000000000000");
  EXPECT_EQ(lines[2], " xm =-5.00000000000000E-0001 tol1 =  1.00000500000000E-0010");
  EXPECT_EQ(lines[3], " Secant method");
  // Secant through (0, 1) and (1, cos 1 - 1).
  EXPECT_EQ(lines[4], " Difference d from new b:    -0.31492664267395");
  EXPECT_EQ(lines[5],
            " b =     0.68507335732605 fb=     0.08929927648186 Number of functional evaluations = 3");

  // The steps named are the three kinds, and the counts run on.
  for (int pass = 0; pass + 1 < passes; ++pass) {
    const std::string& kind = lines[static_cast<std::size_t>(6 * pass + 3)];
    EXPECT_TRUE(kind == " Bisection" || kind == " Secant method" || kind == " Inverse quadratic interpolation")
        << kind;
    const std::string& last = lines[static_cast<std::size_t>(6 * pass + 5)];
    EXPECT_EQ(last.substr(last.rfind('=') + 2), std::to_string(pass + 3));
  }
  // Nothing follows the last pass on convergence.
  EXPECT_EQ(lines.back().substr(0, 5), " xm =");
}

TEST_F(ZeroinTrace, ScientificNotationAndTheErrorBoundSteps) {
  // b = 0 on the first pass, so tol1 is AbsTol/2 exactly.
  const std::string path = Path("linear.txt");
  const Result r = Solve(2e-5, 0, 100, "", 1.0, 0.0, [](double x) { return x - 0.3; }, path);
  ASSERT_TRUE(r.flag == 0 || r.flag == 1);
  const std::vector<std::string> lines = Lines(path);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[2], " xm = 5.00000000000000E-0001 tol1 =  1.00000000000000E-0005");

  // A zero found to the tolerance ends with steps of the error bound.
  const std::string path2 = Path("bound.txt");
  Solve(1e-3, 0, 100, "", 1.0, 2.0, [](double x) { return x * x - 2.0; }, path2);
  bool bound = false;
  for (const std::string& line : Lines(path2)) {
    if (line.rfind(" Add error bound: d = ", 0) == 0 || line.rfind(" Subtract error bound: d = ", 0) == 0) {
      bound = true;
      // tol1 = 0.5*(1e-15*|b| + 1e-3), signed by the direction of the step.
      const bool add = line[1] == 'A';
      EXPECT_EQ(line.substr(line.find("d = ") + 4), add ? "    0.00050000000000" : "   -0.00050000000000");
    }
  }
  EXPECT_TRUE(bound);
}

TEST_F(ZeroinTrace, FailureMessageIsTheLastLine) {
  const std::string path = Path("limit.txt");
  test::RecordingHandler rec;
  const Result r = Solve(1e-10, 0, 1, kCaller, 0.0, 1.0, [](double x) { return std::cos(x) - x; }, path);
  ASSERT_EQ(r.flag, 3);
  const std::vector<std::string> lines = Lines(path);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[6], std::string("Max nr. of 1 Zeroint function calls reached in ") + kCaller);
  ASSERT_EQ(rec.messages.size(), 1u);
}

TEST_F(ZeroinTrace, RewritesAnExistingFileAndSkipsBadCalls) {
  const std::string path = Path("old.txt");
  std::ofstream(path) << "old content that is longer than anything else\n";
  Solve(1e-3, 0, 100, "", 0.0, 1.0, [](double x) { return x - 0.25; }, path);
  const std::vector<std::string> lines = Lines(path);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0].substr(0, 6), " a  = ");

  // No sign change, or bad arguments: the file is not created.
  const std::string none = Path("none.txt");
  Solve(1e-3, 0, 100, "", 0.0, 1.0, [](double x) { return x + 1; }, none);
  Solve(-1, 0, 100, "", 0.0, 1.0, [](double x) { return x - 0.5; }, none);
  EXPECT_FALSE(fs::exists(none));
}

TEST_F(ZeroinTrace, UncreatableFileThrowsAnIoFailure) {
  const std::string path = Path("missing_folder/trace.txt");
  int n = 0;
  try {
    Solve(1e-3, 0, 100, "", 0.0, 1.0, [&n](double x) {
      ++n;
      return x - 0.25;
    }, path);
    FAIL() << "no exception";
  } catch (const std::ios_base::failure& e) {
    EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
  }
  EXPECT_EQ(n, 2);  // the end points were evaluated first
}

}  // namespace
}  // namespace vyr
