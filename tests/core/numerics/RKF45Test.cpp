#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <utility>
#include <vector>

#include "URKF45.h"

namespace vyr {
namespace {

// Derivative routines are plain functions; the ones that record use globals.
void Growth(double, const VEC& y, VEC& yp) { yp[1] = y[1]; }
void Oscillator(double, const VEC& y, VEC& yp) {
  yp[1] = y[2];
  yp[2] = -y[1];
}
void Slope(double, const VEC&, VEC& yp) { yp[1] = 1.0; }
// y1 stays exactly 0 while y2 grows.
void ZeroAndGrowth(double, const VEC& y, VEC& yp) {
  yp[1] = 0.0;
  yp[2] = y[2];
}
// Chatters around y = 1 with a huge slope: no step above the round-off limit passes the error test.
void Chatter(double, const VEC& y, VEC& yp) { yp[1] = y[1] > 1.0 ? -1e20 : 1e20; }

// Every evaluation of RecordedGrowth as (t, y1); it throws on evaluation number gThrowAt.
std::vector<std::pair<double, double>> gCalls;
std::size_t gThrowAt = 0;
void RecordedGrowth(double t, const VEC& y, VEC& yp) {
  if (gThrowAt != 0 && gCalls.size() + 1 == gThrowAt) throw std::runtime_error("derivative failed");
  gCalls.emplace_back(t, y[1]);
  yp[1] = y[1];
}

class RKF45 : public testing::Test {
 protected:
  void SetUp() override {
    gCalls.clear();
    gThrowAt = 0;
  }
};

// Equal, or both NaN.
bool Same(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }

void ExpectSameState(const TRKFehlBergIntegrator& a, const TRKFehlBergIntegrator& b) {
  EXPECT_EQ(a.neqn, b.neqn);
  EXPECT_EQ(a.y, b.y);
  EXPECT_EQ(a.w1, b.w1);
  EXPECT_EQ(a.w3, b.w3);
  EXPECT_EQ(a.w4, b.w4);
  EXPECT_EQ(a.w5, b.w5);
  EXPECT_EQ(a.w6, b.w6);
  EXPECT_EQ(a.w7, b.w7);
  EXPECT_TRUE(Same(a.relerr, b.relerr));
  EXPECT_TRUE(Same(a.abserr, b.abserr));
  EXPECT_TRUE(Same(a.w2, b.w2));
  EXPECT_TRUE(Same(a.w8, b.w8));
  EXPECT_TRUE(Same(a.w9, b.w9));
  EXPECT_EQ(a.iw1, b.iw1);
  EXPECT_EQ(a.iw2, b.iw2);
  EXPECT_EQ(a.iw3, b.iw3);
  EXPECT_EQ(a.iw4, b.iw4);
  EXPECT_EQ(a.iw5, b.iw5);
  EXPECT_EQ(a.Owner, b.Owner);
}

TEST_F(RKF45, CreateSetsTheProblemAndZeroesTheRest) {
  TRKFehlBergIntegrator rk(nullptr, 3, 1e-6, 1e-9);
  EXPECT_EQ(rk.neqn, 3);
  EXPECT_EQ(rk.relerr, 1e-6);
  EXPECT_EQ(rk.abserr, 1e-9);
  EXPECT_EQ(rk.y, VEC{});
  EXPECT_EQ(rk.w2, 0.0);
  EXPECT_EQ(rk.iw1 + rk.iw2 + rk.iw3 + rk.iw4 + rk.iw5, 0);
  EXPECT_EQ(rk.Owner, nullptr);
  for (int n : {0, -1, VECSize + 1}) EXPECT_THROW(TRKFehlBergIntegrator(nullptr, n, 1e-6, 0), std::invalid_argument);
  VEC v;
  EXPECT_THROW(v[0], std::out_of_range);
  EXPECT_THROW(v[VECSize + 1], std::out_of_range);
}

TEST_F(RKF45, ExponentialToOneInIntervalMode) {
  TRKFehlBergIntegrator rk(nullptr, 1, 1e-8, 0.0);
  rk.y[1] = 1.0;
  double t = 0.0;
  int iflag = 1;
  rk.rkf45(t, 1.0, iflag, Growth);
  EXPECT_EQ(iflag, 2);
  EXPECT_EQ(t, 1.0);
  EXPECT_NEAR(rk.y[1] / std::numbers::e, 1.0, 1e-7);
  EXPECT_EQ(rk.w1[1], rk.y[1]);  // the derivative at the point reached
}

TEST_F(RKF45, OneStepModeTakesTheSameStepsAsIntervalMode) {
  TRKFehlBergIntegrator interval(nullptr, 1, 1e-8, 1e-12);
  interval.y[1] = 1.0;
  double t = 0.0;
  int iflag = 1;
  interval.rkf45(t, 1.0, iflag, RecordedGrowth);
  ASSERT_EQ(iflag, 2);
  const std::vector<std::pair<double, double>> intervalCalls = gCalls;

  gCalls.clear();
  TRKFehlBergIntegrator oneStep(nullptr, 1, 1e-8, 1e-12);
  oneStep.y[1] = 1.0;
  t = 0.0;
  iflag = -1;
  int steps = 0;
  double last = t;
  for (; steps < 1000; ++steps) {
    oneStep.rkf45(t, 1.0, iflag, RecordedGrowth);
    if (iflag != -2) break;
    EXPECT_GT(t, last);
    EXPECT_LT(t, 1.0);
    last = t;
  }
  EXPECT_EQ(iflag, 2);
  EXPECT_EQ(t, 1.0);
  EXPECT_GT(steps, 3);
  // Every evaluation at the same point: the same steps, the same end.
  EXPECT_EQ(gCalls, intervalCalls);
  EXPECT_EQ(oneStep.y, interval.y);
  EXPECT_EQ(oneStep.iw1, interval.iw1);
}

TEST_F(RKF45, OscillatorThroughOnePeriodWithOutputPoints) {
  TRKFehlBergIntegrator rk(nullptr, 2, 1e-9, 1e-9);
  rk.y[1] = 1.0;  // y = cos t, y' = -sin t
  double t = 0.0;
  int iflag = 1;
  const double period = 2.0 * std::numbers::pi;
  for (int k = 1; k <= 8; ++k) {
    const double tout = period * k / 8.0;
    rk.rkf45(t, tout, iflag, Oscillator);
    ASSERT_EQ(iflag, 2) << k;
    EXPECT_EQ(t, tout);
    EXPECT_NEAR(rk.y[1], std::cos(tout), 1e-8) << k;
    EXPECT_NEAR(rk.y[2], -std::sin(tout), 1e-8) << k;
  }
  // Back to the start, and backwards to it as well.
  EXPECT_NEAR(rk.y[1], 1.0, 1e-8);
  EXPECT_NEAR(rk.y[2], 0.0, 1e-8);
  rk.rkf45(t, 0.0, iflag, Oscillator);
  EXPECT_EQ(iflag, 2);
  EXPECT_EQ(t, 0.0);
  EXPECT_NEAR(rk.y[1], 1.0, 1e-8);
  EXPECT_NEAR(rk.y[2], 0.0, 1e-8);
}

TEST_F(RKF45, TooSmallRelerrIsRaisedFirst) {
  TRKFehlBergIntegrator rk(nullptr, 1, 0.0, 1e-12);
  rk.y[1] = 1.0;
  double t = 0.0;
  int iflag = 1;
  rk.rkf45(t, 1.0, iflag, Growth);
  EXPECT_EQ(iflag, 3);
  EXPECT_EQ(rk.relerr, 1.000444e-12);
  EXPECT_EQ(rk.iw5, 3);
  EXPECT_EQ(rk.iw1, 0);  // nothing else was done
  EXPECT_EQ(t, 0.0);
  rk.rkf45(t, 1.0, iflag, Growth);  // iflag 3 starts the integration
  EXPECT_EQ(iflag, 2);
  EXPECT_EQ(t, 1.0);
  EXPECT_NEAR(rk.y[1] / std::numbers::e, 1.0, 1e-10);
}

TEST_F(RKF45, FirstCallAtToutEvaluatesOnce) {
  TRKFehlBergIntegrator rk(nullptr, 1, 1e-6, 0.0);
  rk.y[1] = 2.0;
  double t = 0.3;
  int iflag = 1;
  rk.rkf45(t, 0.3, iflag, Growth);
  EXPECT_EQ(iflag, 2);
  EXPECT_EQ(t, 0.3);
  EXPECT_EQ(rk.iw1, 1);
  EXPECT_EQ(rk.w1[1], 2.0);
  EXPECT_EQ(rk.y[1], 2.0);
}

TEST_F(RKF45, ToutWithinRoundOffIsReachedByOneEulerStep) {
  TRKFehlBergIntegrator rk(nullptr, 1, 1e-6, 0.0);
  rk.y[1] = 1.0;
  double t = 1000.0;
  const double tout = 1000.0 + 1e-12;  // below 26 eps * |t| = 5.8e-12
  int iflag = 1;
  rk.rkf45(t, tout, iflag, Growth);
  EXPECT_EQ(iflag, 2);
  EXPECT_EQ(t, tout);
  EXPECT_EQ(rk.iw1, 2);  // the start and the Euler step
  EXPECT_EQ(rk.y[1], 1.0 + (tout - 1000.0) * 1.0);
}

TEST_F(RKF45, EvaluationLimitInterruptsAndResumes) {
  TRKFehlBergIntegrator rk(nullptr, 2, 1e-10, 1e-10);
  rk.y[1] = 1.0;
  double t = 0.0;
  const double tout = 200.0;
  int iflag = 1;
  int interruptions = 0;
  double last = t;
  for (int call = 0; call < 100; ++call) {
    rk.rkf45(t, tout, iflag, Oscillator);
    if (iflag != 4) break;
    ++interruptions;
    EXPECT_GT(rk.iw1, 3000);
    EXPECT_GT(t, last);
    EXPECT_LT(t, tout);
    last = t;
    // Continue with 4: the counter starts again from 0.
  }
  EXPECT_EQ(iflag, 2);
  EXPECT_GE(interruptions, 2);
  EXPECT_LE(rk.iw1, 3006);
  EXPECT_NEAR(rk.y[1], std::cos(tout), 1e-6);
}

TEST_F(RKF45, VanishingComponentWithoutAbserrGivesFlag5) {
  TRKFehlBergIntegrator rk(nullptr, 2, 1e-6, 0.0);
  rk.y[2] = 1.0;
  double t = 0.0;
  int iflag = 1;
  rk.rkf45(t, 1.0, iflag, ZeroAndGrowth);
  EXPECT_EQ(iflag, 5);
  EXPECT_EQ(t, 0.0);
  EXPECT_EQ(rk.y[2], 1.0);

  // Again with 5 and still abserr = 0: refused.
  const TRKFehlBergIntegrator before = rk;
  iflag = 5;
  rk.rkf45(t, 1.0, iflag, ZeroAndGrowth);
  EXPECT_EQ(iflag, 8);
  ExpectSameState(rk, before);

  rk.abserr = 1e-12;
  iflag = 5;
  rk.rkf45(t, 1.0, iflag, ZeroAndGrowth);
  EXPECT_EQ(iflag, 2);
  EXPECT_EQ(t, 1.0);
  EXPECT_EQ(rk.y[1], 0.0);
  EXPECT_NEAR(rk.y[2] / std::numbers::e, 1.0, 1e-5);
}

TEST_F(RKF45, UnreachableAccuracyGivesFlag6UntilATolerenceIsRaised) {
  TRKFehlBergIntegrator rk(nullptr, 1, 1e-6, 0.0);
  rk.y[1] = 1.0;
  double t = 1.0;
  int iflag = 1;
  rk.rkf45(t, 2.0, iflag, Chatter);
  ASSERT_EQ(iflag, 6);
  EXPECT_EQ(rk.iw5, 6);
  EXPECT_LT(std::fabs(rk.w2), 26 * 2.22e-16 * std::fabs(t));

  // Continuing without raising a tolerance is refused.
  const TRKFehlBergIntegrator before = rk;
  const double tBefore = t;
  for (int input : {2, -2}) {
    iflag = input;
    rk.rkf45(t, 2.0, iflag, Chatter);
    EXPECT_EQ(iflag, 8);
    ExpectSameState(rk, before);
    EXPECT_EQ(t, tBefore);
  }

  rk.relerr = 1e-3;
  iflag = 2;
  rk.rkf45(t, 2.0, iflag, Chatter);
  EXPECT_NE(iflag, 8);
  EXPECT_EQ(rk.w8, 1e-3);
}

TEST_F(RKF45, CrowdedOutputPointsGiveFlag7OnTheHundredthCall) {
  // y' = 1 is integrated exactly, so the step grows to five times the output spacing.
  TRKFehlBergIntegrator rk(nullptr, 1, 1e-6, 1e-6);
  double t = 0.0;
  double tout = 0.0;
  int iflag = 1;
  int call = 0;
  while (call < 200) {
    ++call;
    tout += 0.001;
    const double tBefore = t;
    const VEC yBefore = rk.y;
    rk.rkf45(t, tout, iflag, Slope);
    if (iflag == 7) {
      EXPECT_EQ(t, tBefore);
      EXPECT_EQ(rk.y, yBefore);
      break;
    }
    ASSERT_EQ(iflag, 2);
  }
  // The first call's step was not larger than the spacing; the next 100 were.
  EXPECT_EQ(call, 101);
  EXPECT_EQ(rk.iw2, 0);
  iflag = 2;
  rk.rkf45(t, tout, iflag, Slope);
  EXPECT_EQ(iflag, 2);
  EXPECT_EQ(t, tout);
  EXPECT_NEAR(rk.y[1], tout, 1e-12);
}

// Invalid input: flag 8 and nothing changed.
struct Invalid {
  const char* name;
  void (*prepare)(TRKFehlBergIntegrator& rk, double& tout, int& iflag);
};

const Invalid kInvalid[] = {
    {"neqn_zero", [](TRKFehlBergIntegrator& rk, double&, int&) { rk.neqn = 0; }},
    {"neqn_above_five", [](TRKFehlBergIntegrator& rk, double&, int&) { rk.neqn = VECSize + 1; }},
    {"negative_relerr", [](TRKFehlBergIntegrator& rk, double&, int&) { rk.relerr = -1e-6; }},
    {"negative_abserr", [](TRKFehlBergIntegrator& rk, double&, int&) { rk.abserr = -1e-6; }},
    {"nan_relerr", [](TRKFehlBergIntegrator& rk, double&, int&) { rk.relerr = std::nan(""); }},
    {"iflag_zero", [](TRKFehlBergIntegrator&, double&, int& iflag) { iflag = 0; }},
    {"iflag_nine", [](TRKFehlBergIntegrator&, double&, int& iflag) { iflag = 9; }},
    {"iflag_minus_nine", [](TRKFehlBergIntegrator&, double&, int& iflag) { iflag = -9; }},
    {"continuation_at_tout", [](TRKFehlBergIntegrator&, double& tout, int&) { tout = 0.5; }},
    {"five_without_abserr", [](TRKFehlBergIntegrator& rk, double&, int& iflag) {
       rk.abserr = 0;
       iflag = 5;
     }},
    {"six", [](TRKFehlBergIntegrator&, double&, int& iflag) { iflag = 6; }},
    {"seven", [](TRKFehlBergIntegrator&, double&, int& iflag) { iflag = 7; }},
    {"eight", [](TRKFehlBergIntegrator&, double&, int& iflag) { iflag = 8; }},
    {"minus_three", [](TRKFehlBergIntegrator&, double&, int& iflag) { iflag = -3; }},
    {"minus_four", [](TRKFehlBergIntegrator&, double&, int& iflag) { iflag = -4; }},
    {"minus_eight", [](TRKFehlBergIntegrator&, double&, int& iflag) { iflag = -8; }},
};

void PrintTo(const Invalid& c, std::ostream* os) { *os << c.name; }

class InvalidInput : public testing::TestWithParam<Invalid> {};

TEST_P(InvalidInput, Returns8AndChangesNothing) {
  TRKFehlBergIntegrator rk(nullptr, 2, 1e-6, 1e-8);
  rk.y[1] = 1.0;
  double t = 0.0;
  int iflag = 1;
  rk.rkf45(t, 0.5, iflag, Oscillator);
  ASSERT_EQ(iflag, 2);

  double tout = 1.0;
  iflag = 2;
  GetParam().prepare(rk, tout, iflag);
  const TRKFehlBergIntegrator before = rk;
  rk.rkf45(t, tout, iflag, Oscillator);
  EXPECT_EQ(iflag, 8);
  EXPECT_EQ(t, 0.5);
  ExpectSameState(rk, before);
}

INSTANTIATE_TEST_SUITE_P(RKF45, InvalidInput, testing::ValuesIn(kInvalid),
                         [](const testing::TestParamInfo<Invalid>& info) { return std::string(info.param.name); });

TEST_F(RKF45, ExceptionOfTheDerivativeLeavesTheLastAcceptedPoint) {
  TRKFehlBergIntegrator rk(nullptr, 1, 1e-8, 0.0);
  rk.y[1] = 1.0;
  double t = 0.0;
  int iflag = -1;
  for (int i = 0; i < 3; ++i) {
    rk.rkf45(t, 1.0, iflag, RecordedGrowth);
    ASSERT_EQ(iflag, -2);
  }
  const double tBefore = t;
  const VEC yBefore = rk.y;
  gThrowAt = gCalls.size() + 3;  // inside the next step
  EXPECT_THROW(rk.rkf45(t, 1.0, iflag, RecordedGrowth), std::runtime_error);
  EXPECT_EQ(t, tBefore);
  EXPECT_EQ(rk.y, yBefore);
}

}  // namespace
}  // namespace vyr
