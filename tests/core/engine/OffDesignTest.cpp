// The turbojet on its maps off design: the design point comes back at the
// design conditions whatever the control; off-design points keep their
// conservation laws; a point off the maps fails with its reason, and a sweep
// goes on past it.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "GasProperties.h"
#include "OffDesign.h"
#include "Statics.h"
#include "common/RecordingHandler.h"
#include "engine/TurbojetMaps.h"

namespace vyr::test {
namespace {

using namespace engine;
using C = TOffDesignControl;

constexpr double kFt = 0.3048;

// The turbojet sized at its design point, with the design state.
struct Sized {
  TurbojetOnMaps t{VYR_EXAMPLES_DIR "/maps"};
  TEngineModel model{t.e};
  TOffDesign od{model};
  TEngineState design;
  bool ok = false;
  Sized() {
    if (!t.error.empty()) return;
    ok = t.e.RunForThrust(design, 11800.0 * kLbf);
  }
};

struct ControlCase {
  const char* name;
  C control;
};
void PrintTo(const ControlCase& c, std::ostream* os) { *os << c.name; }

class DesignBack : public testing::TestWithParam<ControlCase> {};

// Scaled at design, the maps give the design point back at the design
// conditions: the unknowns return to their design values.
TEST_P(DesignBack, AtDesignConditions) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  const TPerformance& d = e.design.performance;
  double value = 0.0;
  switch (GetParam().control) {
    case C::Thrust: value = d.FN; break;
    case C::ExitTemperature: value = e.design.Find(4)->gas.Tt; break;
    case C::FuelFlow: value = d.Wf; break;
    case C::Speed: value = 1.0; break;
    case C::ThrustFraction: value = 1.0; break;
  }
  // Start away from the design values, so that the solver has work to do.
  TEngineState s;
  TOffDesignResult r;
  RecordingHandler rec;
  ASSERT_TRUE(e.od.Run(s, {0, 0, 0, C::ExitTemperature, 0.9 * e.design.Find(4)->gas.Tt}, r)) << r.error;
  ASSERT_TRUE(e.od.Run(s, {0, 0, 0, GetParam().control, value}, r)) << r.component << ": " << r.error;
  EXPECT_NEAR(r.performance.W, d.W, 1e-6 * d.W);
  EXPECT_NEAR(r.performance.FN, d.FN, 1e-6 * d.FN);
  EXPECT_NEAR(r.performance.Wf, d.Wf, 1e-6 * d.Wf);
  EXPECT_NEAR(r.shafts.at(1).N, 8070.0, 1e-6 * 8070.0);
  ASSERT_EQ(r.performance.maps.size(), 2u);
  EXPECT_NEAR(r.performance.maps[0].beta, 2.0, 1e-5);  // the compressor's design R-line
  EXPECT_NEAR(r.performance.maps[1].beta, 6.0, 1e-5);  // the turbine's design PRmap
  EXPECT_NEAR(r.performance.maps[0].PR, 13.5, 1e-5);
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(OffDesign, DesignBack,
                         testing::Values(ControlCase{"Thrust", C::Thrust}, ControlCase{"T4", C::ExitTemperature},
                                         ControlCase{"FuelFlow", C::FuelFlow}, ControlCase{"Speed", C::Speed},
                                         ControlCase{"FullThrust", C::ThrustFraction}));

struct PointCase {
  const char* name;
  TOffDesignPoint p;
};
void PrintTo(const PointCase& c, std::ostream* os) { *os << c.name; }

class Conservation : public testing::TestWithParam<PointCase> {};

// At every converged point: the flow passes every station (plus the fuel at
// the burner), the shaft's turbine delivers what its compressor absorbs, the
// nozzle passes the flow through its design throat area, and the compressor
// sits on its scaled map where the flow says.
TEST_P(Conservation, HoldsAtThePoint) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  const double A8 = e.design.performance.nozzles.at(0).A8;
  TEngineState s;
  TOffDesignResult r;
  RecordingHandler rec;
  ASSERT_TRUE(e.od.Run(s, GetParam().p, r)) << r.component << ": " << r.error;
  const auto W = [&](int n) { return r.stations.at(n).gas.W; };
  EXPECT_DOUBLE_EQ(W(2), W(3));
  EXPECT_NEAR(W(4), W(3) + r.performance.Wf, 1e-12 * W(4));
  EXPECT_DOUBLE_EQ(W(5), W(4));
  EXPECT_DOUBLE_EQ(W(9), W(4));
  // Shaft: the two machines' powers from the stations' enthalpies.
  const auto H = [&](int n) { return r.stations.at(n).gas.H; };
  const double absorbed = W(2) * (H(3) - H(2)), delivered = W(4) * (H(4) - H(5));
  EXPECT_NEAR(delivered, absorbed, 1e-6 * absorbed);
  // Nozzle: the throat's state at 8 passes the flow through the design's
  // (geometric) throat area: W = rho V A8 (discharge coefficient 1).
  const TGasconditions& g8 = r.stations.at(8).gas;
  EXPECT_DOUBLE_EQ(g8.A, A8);
  const double rho = g8.Ps / (FR(g8.Composition) * g8.Ts);
  EXPECT_NEAR(rho * g8.V * A8 / W(8), 1.0, 1e-6);
  if (r.performance.nozzles.at(0).choked) {
    EXPECT_DOUBLE_EQ(g8.Mach, 1.0);
  }
  // Face: the design's area passes the point's flow, subsonic.
  const TStation& face = r.stations.at(2);
  ASSERT_TRUE(face.hasStatic);
  EXPECT_DOUBLE_EQ(face.gas.A, e.design.stations.at(2).gas.A);
  EXPECT_LT(face.gas.Mach, 1.0);
  EXPECT_NEAR(face.gas.Ps / (FR(face.gas.Composition) * face.gas.Ts) * face.gas.V * face.gas.A / W(2), 1.0, 1e-5);
  // Compressor: the map at the point's coordinates, scaled, gives its flow and PR.
  const TMapResult& c = r.performance.maps.at(0);
  TMapPoint mp;
  std::string why;
  ASSERT_TRUE(e.t.comp->map->Lookup(c.Nmap, c.beta, mp, why)) << why;
  const TMapPoint q = ApplyScalars(mp, e.t.comp->scalars);
  const TGasconditions& g2 = r.stations.at(2).gas;
  EXPECT_NEAR(W(2) * std::sqrt(g2.Tt / 288.15) / (g2.Pt / 101325.0), q.W, 1e-6 * q.W);
  EXPECT_NEAR(r.stations.at(3).gas.Pt / g2.Pt, q.PR, 1e-9 * q.PR);
  // A thrust target is met.
  if (GetParam().p.control == C::Thrust) {
    EXPECT_NEAR(r.performance.FN, GetParam().p.value, 1e-6 * GetParam().p.value);
  }
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    OffDesign, Conservation,
    testing::Values(PointCase{"SeaLevel11000lbf", {0, 0, 0, C::Thrust, 11000 * kLbf}},
                    PointCase{"At5000ftMach02For8000lbf", {5000 * kFt, 0.2, 0, C::Thrust, 8000 * kLbf}},
                    PointCase{"HotDayT4", {0, 0, 20, C::ExitTemperature, 1250}},
                    PointCase{"CruiseSpeed95", {9000, 0.8, 0, C::Speed, 0.95}},
                    PointCase{"PartFuelFlow", {0, 0, 0, C::FuelFlow, 1.2}}));

// Far below the speeds of the maps the point fails, naming the map and the
// coordinate that left it; nothing is reported as converged.
TEST(OffDesign, PointOffTheMapFailsWithItsReason) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  TEngineState s;
  TOffDesignResult r;
  RecordingHandler rec;
  EXPECT_FALSE(e.od.Run(s, {0, 0, 0, C::Speed, 0.35}, r));
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.component.empty());
  EXPECT_NE(r.error.find("outside"), std::string::npos) << r.component << ": " << r.error;
  EXPECT_TRUE(rec.messages.empty());
}

// A sweep whose third point cannot be reached reports that point failed and
// converges the points after it.
TEST(OffDesign, SweepGoesOnPastAFailingPoint) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  const double F = 11800 * kLbf;
  TEngineState s;
  RecordingHandler rec;
  const std::vector<TOffDesignResult> rs =
      e.od.Sweep(s, {{0, 0, 0, C::Thrust, F}, {0, 0, 0, C::Thrust, 0.8 * F}, {0, 0, 0, C::Thrust, 3.0 * F},
                     {0, 0, 0, C::Thrust, 0.6 * F}, {0, 0, 0, C::Thrust, 0.4 * F}});
  ASSERT_EQ(rs.size(), 5u);
  EXPECT_TRUE(rs[0].ok) << rs[0].error;
  EXPECT_TRUE(rs[1].ok) << rs[1].error;
  EXPECT_FALSE(rs[2].ok);
  EXPECT_FALSE(rs[2].error.empty());
  EXPECT_TRUE(rs[3].ok) << rs[3].error;
  EXPECT_TRUE(rs[4].ok) << rs[4].error;
  EXPECT_NEAR(rs[4].performance.FN, 0.4 * F, 1e-6 * F);
  // Less thrust, less speed along the operating line.
  EXPECT_LT(rs[4].shafts.at(1).N, rs[3].shafts.at(1).N);
  EXPECT_LT(rs[3].shafts.at(1).N, rs[1].shafts.at(1).N);
}

// A part speed whose starting point (the design point's unknowns) cannot be
// calculated is reached from the design speed by halving the step.
TEST(OffDesign, PartSpeedIsReachedFromTheDesignSpeed) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  TEngineState s;
  RecordingHandler rec;
  const std::vector<TOffDesignResult> rs = e.od.Sweep(s, {{0, 0, 0, C::Speed, 0.65}});
  ASSERT_EQ(rs.size(), 1u);
  ASSERT_TRUE(rs[0].ok) << rs[0].component << ": " << rs[0].error;
  EXPECT_NEAR(rs[0].shafts.at(1).N, 0.65 * 8070.0, 1e-9 * 8070.0);
  EXPECT_LT(rs[0].performance.FN, 0.5 * e.design.performance.FN);
}

TEST(OffDesign, NeedsTheDesignPointFirst) {
  TurbojetOnMaps t{VYR_EXAMPLES_DIR "/maps"};
  ASSERT_TRUE(t.error.empty()) << t.error;
  TEngineModel model(t.e);
  TOffDesign od(model);
  TEngineState s;
  TOffDesignResult r;
  EXPECT_FALSE(od.Run(s, {0, 0, 0, C::ExitTemperature, 1200}, r));
  EXPECT_NE(r.error.find("design point has not been calculated"), std::string::npos) << r.error;
}

// --- Cold starts ---------------------------------------------------------------

// The design's value of a control.
double DesignValue(const Sized& e, C control) {
  switch (control) {
    case C::Thrust: return e.design.performance.FN;
    case C::ExitTemperature: return e.design.Find(4)->gas.Tt;
    case C::FuelFlow: return e.design.performance.Wf;
    case C::Speed:
    case C::ThrustFraction: return 1.0;
  }
  return 0.0;
}

class ColdStart : public testing::TestWithParam<PointCase> {};

// A single point with nothing before it converges, and to the state that a
// walk in small steps of flight condition and control from the design reaches.
TEST_P(ColdStart, ReachesTheStateOfAWalkFromDesign) {
  const TOffDesignPoint& p = GetParam().p;
  RecordingHandler rec;
  Sized cold;
  ASSERT_TRUE(cold.ok) << cold.t.error << cold.design.error;
  TEngineState s;
  TOffDesignResult r;
  ASSERT_TRUE(cold.od.Run(s, p, r)) << r.component << ": " << r.error;

  Sized walk;
  ASSERT_TRUE(walk.ok);
  std::vector<TOffDesignPoint> path;
  const int steps = 40;
  const double v0 = DesignValue(walk, p.control);
  for (int k = 0; k <= steps; ++k) {
    const double f = double(k) / steps;
    path.push_back({f * p.altitude, f * p.mach, f * p.dT, p.control, v0 + f * (p.value - v0)});
  }
  TEngineState w;
  const std::vector<TOffDesignResult> rs = walk.od.Sweep(w, path);
  ASSERT_TRUE(rs.back().ok) << rs.back().error;
  const TOffDesignResult& q = rs.back();
  EXPECT_NEAR(r.performance.W, q.performance.W, 1e-6 * q.performance.W);
  EXPECT_NEAR(r.performance.FN, q.performance.FN, 1e-6 * std::fabs(q.performance.FN) + 1e-3);
  EXPECT_NEAR(r.performance.Wf, q.performance.Wf, 1e-6 * q.performance.Wf);
  EXPECT_NEAR(r.shafts.at(1).N, q.shafts.at(1).N, 1e-6 * q.shafts.at(1).N);
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    OffDesign, ColdStart,
    testing::Values(PointCase{"Alt8000Speed06", {8000, 0, 0, C::Speed, 0.6}},
                    PointCase{"Alt11000Mach08FuelFlow", {11000, 0.8, 0, C::FuelFlow, 0.3}},
                    PointCase{"Alt13000Mach09T4Low", {13000, 0.9, 0, C::ExitTemperature, 950}},
                    PointCase{"SeaLevelT4Low", {0, 0, 0, C::ExitTemperature, 900}},
                    PointCase{"Mach09Speed07", {0, 0.9, 0, C::Speed, 0.7}}));

// Descent at speed: the ram drag outweighs the jet. The converged point is a
// valid one with negative net thrust, which has no TSFC.
TEST(OffDesign, NegativeNetThrustIsAPoint) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  TEngineState s;
  TOffDesignResult r;
  RecordingHandler rec;
  ASSERT_TRUE(e.od.Run(s, {0, 0.8, 0, C::Speed, 0.6}, r)) << r.component << ": " << r.error;
  EXPECT_LT(r.performance.FN, 0.0);
  EXPECT_NEAR(r.performance.FN, r.performance.FG - r.performance.W * r.performance.V0, 1e-9 * r.performance.FG);
  EXPECT_TRUE(std::isnan(r.performance.TSFC));
  EXPECT_DOUBLE_EQ(r.performance.effPropulsive, 0.0);
  // And the thrust can be asked for: zero net thrust at the same flight condition.
  TOffDesignResult z;
  ASSERT_TRUE(e.od.Run(s, {0, 0.8, 0, C::Thrust, 0.0}, z)) << z.component << ": " << z.error;
  EXPECT_NEAR(z.performance.FN, 0.0, 1e-6 * z.performance.FG);
  EXPECT_GT(z.shafts.at(1).N, r.shafts.at(1).N);
}

// Failures name what stops the engine in its own terms.
struct FailureCase {
  const char* name;
  TOffDesignPoint p;
  const char* says;
};
void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
class FailureNames : public testing::TestWithParam<FailureCase> {};

TEST_P(FailureNames, TheLimitThatStopsTheEngine) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  TEngineState s;
  TOffDesignResult r;
  RecordingHandler rec;
  EXPECT_FALSE(e.od.Run(s, GetParam().p, r));
  EXPECT_NE(r.error.find(GetParam().says), std::string::npos) << r.component << ": " << r.error;
}

INSTANTIATE_TEST_SUITE_P(
    OffDesign, FailureNames,
    testing::Values(FailureCase{"FuelAboveStoichiometric", {0, 0, 0, C::FuelFlow, 10}, "stoichiometric"},
                    FailureCase{"BeyondTheTopSpeedLine", {0, 0, 0, C::ExitTemperature, 2000}, "above its range"},
                    FailureCase{"TurbineMapEndsAtLowSpeed", {0, 0, 0, C::Speed, 0.4}, "map pressure ratio would go below"},
                    FailureCase{"LowT4EndsOnTheTurbineMap", {0, 0, 0, C::ExitTemperature, 600}, "outside its maps"}));

// --- Ratings --------------------------------------------------------------------

// The limited quantities of a solved point, by limit name.
std::map<std::string, double> Limited(const TEngineState& s, const std::vector<TOffDesignLimit>& limits) {
  std::map<std::string, double> v;
  for (const TOffDesignLimit& l : limits) {
    double x = 0.0;
    EXPECT_TRUE(LimitValue(s, l, x)) << l.name;
    v[l.name] = x;
  }
  return v;
}

std::vector<TOffDesignLimit> Limits(const std::vector<std::string>& texts) {
  std::vector<TOffDesignLimit> out;
  for (const std::string& t : texts) {
    TOffDesignLimit l;
    std::string why;
    EXPECT_TRUE(ParseLimit(t, false, l, why)) << why;
    out.push_back(l);
  }
  return out;
}

// A rating of five limits at a high demand: each limit in turn is made the
// most restrictive (set to its value at a lower power, the others to theirs
// at a higher power). The point runs at that limit, keeps every other, and
// names it as its limiter.
TEST(OffDesign, EachLimiterBecomesActiveInTurn) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  RecordingHandler rec;
  const double alt = 3000, mach = 0.5;
  // The margin at constant corrected flow falls as power rises on this map
  // (the one at constant speed does not: it dips and rises again).
  const std::vector<std::string> names{"T4", "N1", "Nc1", "SMW1", "Pt3"};
  std::vector<TOffDesignLimit> shape = Limits({"T4<=1", "N1<=1", "Nc1<=1", "SMW1>=0", "Pt3<=1"});
  // The quantities at a lower and a higher power.
  TEngineState s;
  TOffDesignResult lo, hi;
  ASSERT_TRUE(e.od.Run(s, {alt, mach, 0, C::ExitTemperature, 1150}, lo)) << lo.error;
  const std::map<std::string, double> low = Limited(s, shape);
  ASSERT_TRUE(e.od.Run(s, {alt, mach, 0, C::ExitTemperature, 1250}, hi)) << hi.error;
  const std::map<std::string, double> high = Limited(s, shape);
  ASSERT_GT(high.at("T4"), low.at("T4"));
  ASSERT_LT(high.at("SMW1"), low.at("SMW1"));  // more power, nearer surge

  for (const std::string& active : names) {
    SCOPED_TRACE(active);
    TOffDesignPoint p{alt, mach, 0, C::ExitTemperature, 1400};
    p.limits = shape;
    for (TOffDesignLimit& l : p.limits) l.value = (l.name == active ? low : high).at(l.name);
    TOffDesignResult r;
    ASSERT_TRUE(e.od.Run(s, p, r)) << r.component << ": " << r.error;
    EXPECT_EQ(r.limiter, active);
    const std::map<std::string, double> at = Limited(s, p.limits);
    for (const TOffDesignLimit& l : p.limits) {
      if (l.name == active) {
        EXPECT_NEAR(at.at(l.name), l.value, 1e-6 * std::max(1.0, std::fabs(l.value))) << l.name;
      } else if (l.upper) {
        EXPECT_LE(at.at(l.name), l.value * (1 + 1e-9)) << l.name;
      } else {
        EXPECT_GE(at.at(l.name), l.value * (1 - 1e-9)) << l.name;
      }
    }
    // The limited point is the lower-power one.
    EXPECT_NEAR(r.performance.Wf, lo.performance.Wf, 1e-5 * lo.performance.Wf);
  }
  // A demand below every limit runs at the demand.
  TOffDesignPoint p{alt, mach, 0, C::ExitTemperature, 1100};
  p.limits = shape;
  for (TOffDesignLimit& l : p.limits) l.value = high.at(l.name);
  TOffDesignResult r;
  ASSERT_TRUE(e.od.Run(s, p, r)) << r.error;
  EXPECT_EQ(r.limiter, "T4");
  EXPECT_NEAR(s.Find(4)->gas.Tt, 1100, 1e-9 * 1100);
}

// The surge margin at constant speed dips and rises again along this
// engine's operating line: at sea level and Mach 0.9 the shaft-speed limit
// leaves it below its minimum, and the rating walks down the operating line
// to the highest power that keeps both.
TEST(OffDesign, ALimitThatDoesNotFallWithPowerIsKept) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  RecordingHandler rec;
  TOffDesignPoint p{0, 0.9, 0, C::ExitTemperature, 2000};
  p.limits = Limits({"N1<=1.02", "SM1>=0.10"});
  TEngineState s;
  TOffDesignResult r;
  ASSERT_TRUE(e.od.Run(s, p, r)) << r.component << ": " << r.error;
  EXPECT_EQ(r.limiter, "SM1");
  const std::map<std::string, double> at = Limited(s, p.limits);
  EXPECT_NEAR(at.at("SM1"), 0.10, 1e-6);
  EXPECT_LT(at.at("N1"), 1.02);
  // Just above that power the margin is below its minimum.
  TOffDesignResult above;
  ASSERT_TRUE(e.od.Run(s, {0, 0.9, 0, C::ExitTemperature, r.stations.at(4).gas.Tt + 5.0}, above)) << above.error;
  EXPECT_LT(above.performance.maps.at(0).surgeMargin, 0.10);
}

// Part power as a fraction of full power at the same flight condition.
TEST(OffDesign, ThrustFractionOfFullPower) {
  Sized e;
  ASSERT_TRUE(e.ok) << e.t.error << e.design.error;
  RecordingHandler rec;
  TEngineState s;
  TOffDesignResult full, part;
  ASSERT_TRUE(e.od.Run(s, {6000, 0.6, 0, C::ExitTemperature, DesignValue(e, C::ExitTemperature)}, full)) << full.error;
  ASSERT_TRUE(e.od.Run(s, {6000, 0.6, 0, C::ThrustFraction, 0.8}, part)) << part.error;
  EXPECT_NEAR(part.fullThrust, full.performance.FN, 1e-6 * full.performance.FN);
  EXPECT_NEAR(part.performance.FN, 0.8 * full.performance.FN, 1e-6 * full.performance.FN);
  EXPECT_EQ(part.limiter, "thrust fraction");
}

}  // namespace
}  // namespace vyr::test
