// Compressor and turbine maps: the reader on the two shipped maps (grid nodes,
// values between nodes worked out by hand from the source table's numbers, the
// design nodes), extrapolation and its limits, design-point scaling, the surge
// margin, and the refusal of every kind of malformed file with file, line and reason.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <utility>

#include "Maps.h"

// Counts the allocations of this program, so a test can show that a lookup makes none.
static std::atomic<long> gAllocations{0};
__attribute__((noinline)) void* operator new(std::size_t n) {
  ++gAllocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
__attribute__((noinline)) void operator delete(void* p) noexcept { std::free(p); }
__attribute__((noinline)) void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace vyr::test {
namespace {

using namespace engine;

const std::string kAxi5 = std::string(VYR_MAPS_DIR) + "/AXI5.map";
const std::string kLpt = std::string(VYR_MAPS_DIR) + "/LPT2269.map";

class ShippedMaps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(TCompressorMap::Read(kAxi5, comp, error)) << error;
    ASSERT_TRUE(TTurbineMap::Read(kLpt, turb, error)) << error;
  }
  static TCompressorMap comp;
  static TTurbineMap turb;
};
TCompressorMap ShippedMaps::comp;
TTurbineMap ShippedMaps::turb;

void ExpectPoint(const TMapPoint& p, double W, double PR, double eff, double tol) {
  EXPECT_NEAR(p.W, W, tol * std::abs(W));
  EXPECT_NEAR(p.PR, PR, tol * std::abs(PR));
  EXPECT_NEAR(p.eff, eff, tol * std::abs(eff));
}

TEST_F(ShippedMaps, HeaderAndGridShapeAreThoseOfTheSourceTables) {
  EXPECT_EQ(comp.name, "AXI5");
  EXPECT_EQ(comp.grid.alphas.size(), 2u);
  EXPECT_EQ(comp.grid.speeds.size(), 10u);
  EXPECT_EQ(comp.grid.coords.size(), 9u);
  EXPECT_EQ(comp.NMin(), 0.4);
  EXPECT_EQ(comp.NMax(), 1.1);
  EXPECT_EQ(comp.RMin(), 1.0);
  EXPECT_EQ(comp.RMax(), 2.6);
  EXPECT_EQ(comp.surgeR, 1.0);
  EXPECT_EQ(comp.alpha, 0.0);
  EXPECT_TRUE(comp.extrapolate);

  EXPECT_EQ(turb.name, "LPT2269");
  EXPECT_EQ(turb.grid.alphas.size(), 2u);
  EXPECT_EQ(turb.grid.speeds.size(), 7u);
  EXPECT_EQ(turb.grid.coords.size(), 20u);
  EXPECT_EQ(turb.NMin(), 60.0);
  EXPECT_EQ(turb.NMax(), 120.0);
  EXPECT_EQ(turb.PRMin(100.0), 3.0);
  EXPECT_EQ(turb.PRMax(100.0), 8.0);
  EXPECT_EQ(turb.alpha, 1.0);
  EXPECT_FALSE(turb.extrapolate);
}

// Grid nodes (interior, edges, corners) read back exactly the table's digits.
TEST_F(ShippedMaps, NodesReadExactly) {
  struct Node {
    bool compressor;
    double N, x, W, PR, eff;
  };
  const Node nodes[] = {
      {true, 0.4, 1.0, 4.8430, 1.2763, 0.6673},     // first row
      {true, 0.95, 2.2, 27.3519, 3.9702, 0.8408},   // interior
      {true, 1.1, 2.6, 31.7782, 5.3284, 0.8024},    // last row of the plane
      {false, 60.0, 3.0, 153.812, 3.0, 0.8388},     // first row
      {false, 90.0, 6.25, 151.859, 6.25, 0.9027},   // interior
      {false, 120.0, 8.0, 141.569, 8.0, 0.9360},    // last row
  };
  for (const Node& n : nodes) {
    SCOPED_TRACE(testing::Message() << (n.compressor ? "AXI5" : "LPT2269") << " N=" << n.N << " x=" << n.x);
    TMapPoint p;
    std::string error;
    ASSERT_TRUE(n.compressor ? comp.Lookup(n.N, n.x, p, error) : turb.Lookup(n.N, n.x, p, error)) << error;
    EXPECT_EQ(p.W, n.W);
    EXPECT_EQ(p.PR, n.PR);
    EXPECT_EQ(p.eff, n.eff);
  }
}

// The maps' own design nodes give the values their design data name.
TEST_F(ShippedMaps, DesignNodesGiveTheDesignValues) {
  TMapPoint p;
  std::string error;
  EXPECT_EQ(comp.designN, 1.0);
  EXPECT_EQ(comp.designR, 2.0);
  ASSERT_TRUE(comp.Lookup(comp.designN, comp.designR, p, error)) << error;
  EXPECT_EQ(p.W, 30.0);
  EXPECT_EQ(p.PR, 5.2);
  EXPECT_EQ(p.eff, 0.8510);

  EXPECT_EQ(turb.designN, 100.0);
  EXPECT_EQ(turb.designPR, 6.0);
  ASSERT_TRUE(turb.Lookup(turb.designN, turb.designPR, p, error)) << error;
  EXPECT_EQ(p.W, 149.898);
  EXPECT_EQ(p.PR, 6.0);
  EXPECT_EQ(p.eff, 0.9276);
}

// Between nodes the value is the bilinear blend of the cell's four corners; the
// expected numbers were worked out by hand from the table rows named.
TEST_F(ShippedMaps, BetweenNodesTheValueIsMultilinear) {
  TMapPoint p;
  std::string error;
  // AXI5 alpha 0, N 0.96 (0.2 of 0.95..1.00), R 1.85 (0.25 of 1.8..2.0); corners
  // (0.95,1.8) 26.7207 4.7525 0.8626, (0.95,2.0) 27.1196 4.4188 0.8638,
  // (1.00,1.8) 29.8354 5.4313 0.8530, (1.00,2.0) 30.0000 5.2000 0.8510;
  // weights 0.6, 0.2, 0.15, 0.05.
  ASSERT_TRUE(comp.Lookup(0.96, 1.85, p, error)) << error;
  ExpectPoint(p, 27.43165, 4.809955, 0.86082, 1e-13);
  // LPT2269, N 95 (0.5 of 90..100), PR 6.1 (0.4 of 6.0..6.25); corners
  // (90,6.0) 151.859 0.9056, (90,6.25) 151.859 0.9027, (100,6.0) 149.898 0.9276,
  // (100,6.25) 149.899 0.9252; weights 0.3, 0.2, 0.3, 0.2.
  ASSERT_TRUE(turb.Lookup(95.0, 6.1, p, error)) << error;
  ExpectPoint(p, 150.8787, 6.1, 0.91554, 1e-13);
}

// The variable-geometry angle is the third axis: halfway between the AXI5 planes
// 0 and 90 at (0.4, 1.0) gives the mean of 4.8430 1.2763 0.6673 and 8.3219 1.7567 0.6837;
// above 1.0 the planes agree, so the angle changes nothing there.
TEST_F(ShippedMaps, AlphaInterpolatesBetweenPlanes) {
  TCompressorMap m = comp;
  m.alpha = 45.0;
  TMapPoint p;
  std::string error;
  ASSERT_TRUE(m.Lookup(0.4, 1.0, p, error)) << error;
  ExpectPoint(p, 6.58245, 1.5165, 0.6755, 1e-13);
  ASSERT_TRUE(m.Lookup(1.0, 2.0, p, error)) << error;
  ExpectPoint(p, 30.0, 5.2, 0.8510, 1e-15);

  m.alpha = 91.0;
  EXPECT_FALSE(m.Lookup(1.0, 2.0, p, error));
  EXPECT_EQ(error, "AXI5: alpha = 91 outside 0..90");
}

// The compressor extrapolates along the straight line through the last two nodes.
TEST_F(ShippedMaps, CompressorExtrapolatesLinearlyFromTheEndInterval) {
  TMapPoint p;
  std::string error;
  // R 2.8 at N 1.0, beyond R 2.4 (30.1849 4.6166 0.8264) and 2.6 (30.2090 4.2701 0.8013).
  ASSERT_TRUE(comp.Lookup(1.0, 2.8, p, error)) << error;
  ExpectPoint(p, 2 * 30.2090 - 30.1849, 2 * 4.2701 - 4.6166, 2 * 0.8013 - 0.8264, 1e-13);
  // N 1.15 at R 2.6, beyond N 1.05 (31.2635 4.9678 0.8113) and 1.1 (31.7782 5.3284 0.8024).
  ASSERT_TRUE(comp.Lookup(1.15, 2.6, p, error)) << error;
  ExpectPoint(p, 2 * 31.7782 - 31.2635, 2 * 5.3284 - 4.9678, 2 * 0.8024 - 0.8113, 1e-13);
  // Far out the straight line reaches a negative efficiency: refused, not returned.
  EXPECT_FALSE(comp.Lookup(0.4, 6.0, p, error));
  EXPECT_NE(error.find("AXI5: extrapolation to N = 0.4, R = 6 leaves the physical range"), std::string::npos)
      << error;
  EXPECT_FALSE(comp.Lookup(1e308, 2.0, p, error));  // overflows: refused, not infinite
  // Not a number is never extrapolated.
  EXPECT_FALSE(comp.Lookup(NAN, 2.0, p, error));
  EXPECT_EQ(error, "AXI5: N = nan outside 0.4..1.1");
}

// An off-design point calls the maps hundreds of times: a lookup, interpolated or
// extrapolated, on one plane or between two, takes no memory from the heap.
TEST_F(ShippedMaps, LookupsDoNotAllocate) {
  TCompressorMap vg = comp;
  vg.alpha = 30.0;
  TMapPoint p;
  std::string error;
  double sum = 0;
  const long before = gAllocations.load();
  int ok = 0;
  for (double N : {0.45, 0.97, 1.12})
    for (double x : {1.1, 2.3, 2.7}) {
      ok += comp.Lookup(N, x, p, error);
      sum += p.W;
      ok += vg.Lookup(N, x, p, error);
      sum += p.W;
      ok += turb.Lookup(60 + N * 50, x * 2 + 2, p, error);
      sum += p.W;
    }
  EXPECT_EQ(gAllocations.load() - before, 0);
  EXPECT_EQ(ok, 27) << error;
  EXPECT_GT(sum, 0);
}

struct OffMap {
  const char* name;
  double N, PR;
  const char* error;
};
class TurbineOffMap : public ShippedMaps, public ::testing::WithParamInterface<OffMap> {};

TEST_P(TurbineOffMap, FailsWithTheCoordinateAndItsRange) {
  TMapPoint p{1.0, 2.0, 3.0};
  std::string error;
  EXPECT_FALSE(turb.Lookup(GetParam().N, GetParam().PR, p, error));
  EXPECT_EQ(error, GetParam().error);
  EXPECT_EQ(p.W, 1.0);  // the caller's point is left alone
}

INSTANTIATE_TEST_SUITE_P(Maps, TurbineOffMap,
                         ::testing::Values(OffMap{"SpeedBelow", 55.0, 6.0, "LPT2269: N = 55 outside 60..120"},
                                           OffMap{"SpeedAbove", 120.5, 6.0, "LPT2269: N = 120.5 outside 60..120"},
                                           OffMap{"PressureRatioBelow", 100.0, 2.9,
                                                  "LPT2269: PR = 2.9 outside 3..8"},
                                           OffMap{"PressureRatioAbove", 100.0, 8.25,
                                                  "LPT2269: PR = 8.25 outside 3..8"},
                                           OffMap{"Infinite", 100.0, INFINITY, "LPT2269: PR = inf outside 3..8"}),
                         [](const auto& info) { return std::string(info.param.name); });

// The scalars fit the map's design node onto the component's design point exactly,
// and keep the map's shape: every flow and every (PR - 1) scales by one factor.
TEST_F(ShippedMaps, ScalingPutsTheDesignNodeOnTheDesignPoint) {
  struct Case {
    bool compressor;
    double Ndes, Wdes, PRdes, effDes;
  };
  for (const Case& c : {Case{true, 9000.0, 20.0, 12.0, 0.86}, Case{false, 4500.0, 2.5, 3.2, 0.91}}) {
    SCOPED_TRACE(c.compressor ? "AXI5" : "LPT2269");
    TMapPoint node, other;
    std::string error;
    const double Nmap = c.compressor ? comp.designN : turb.designN;
    ASSERT_TRUE(c.compressor ? comp.Lookup(comp.designN, comp.designR, node, error)
                             : turb.Lookup(turb.designN, turb.designPR, node, error));
    ASSERT_TRUE(c.compressor ? comp.Lookup(0.8, 1.6, other, error) : turb.Lookup(80.0, 4.5, other, error));
    TMapScalars s;
    ASSERT_TRUE(ScaleToDesign(node, Nmap, c.Ndes, c.Wdes, c.PRdes, c.effDes, s, error)) << error;
    const TMapPoint d = ApplyScalars(node, s);
    EXPECT_NEAR(d.W, c.Wdes, 1e-14 * c.Wdes);
    EXPECT_NEAR(d.PR, c.PRdes, 1e-14 * c.PRdes);
    EXPECT_NEAR(d.eff, c.effDes, 1e-15);
    EXPECT_NEAR(Nmap * s.sN, c.Ndes, 1e-12 * c.Ndes);
    const TMapPoint o = ApplyScalars(other, s);
    EXPECT_NEAR(o.W / c.Wdes, other.W / node.W, 1e-14);
    EXPECT_NEAR((o.PR - 1) / (c.PRdes - 1), (other.PR - 1) / (node.PR - 1), 1e-14);
    EXPECT_NEAR(o.eff / c.effDes, other.eff / node.eff, 1e-14);
  }
}

TEST(MapScaling, RefusesWhatCannotBeScaled) {
  const TMapPoint node{30.0, 5.2, 0.851};
  TMapScalars s;
  std::string error;
  EXPECT_FALSE(ScaleToDesign(node, 1.0, 9000.0, 20.0, 1.0, 0.86, s, error));  // design PR 1: no compression
  EXPECT_NE(error.find("design pressure ratio 1"), std::string::npos) << error;
  EXPECT_FALSE(ScaleToDesign(node, 1.0, 9000.0, 20.0, 0.8, 0.86, s, error));  // below 1 against a map above 1
  EXPECT_FALSE(ScaleToDesign({30.0, 1.0, 0.851}, 1.0, 9000.0, 20.0, 12.0, 0.86, s, error));
  EXPECT_FALSE(ScaleToDesign(node, 1.0, 9000.0, -20.0, 12.0, 0.86, s, error));
  EXPECT_NE(error.find("design flow = -20 is not a positive number"), std::string::npos) << error;
  EXPECT_FALSE(ScaleToDesign(node, 1.0, 9000.0, 20.0, 12.0, NAN, s, error));
  const TMapScalars bad = ScaleToDesign(node, 0.0, 9000.0, 20.0, 12.0, 0.86);
  EXPECT_TRUE(std::isnan(bad.sN) && std::isnan(bad.sW) && std::isnan(bad.sPR) && std::isnan(bad.sEff));
}

// Surge margin at constant speed: zero on the stall line (R-line 1), growing away
// from it; with the design scalars it compares the component's pressure ratios.
TEST_F(ShippedMaps, SurgeMarginIsZeroOnTheStallLineAndGrowsAwayFromIt) {
  TMapPoint p;
  std::string error;
  ASSERT_TRUE(comp.Surge(1.0, p, error)) << error;
  ExpectPoint(p, 28.6553, 5.9603, 0.8151, 0);  // N 1.0, R-line 1.0 row

  const TMapScalars unit;
  double sm = -1, prev = -1;
  ASSERT_TRUE(comp.SurgeMarginAt(0.9, 1.0, unit, sm, error)) << error;
  EXPECT_EQ(sm, 0.0);
  for (double R : {1.4, 2.0, 2.6}) {
    ASSERT_TRUE(comp.SurgeMarginAt(1.0, R, unit, sm, error)) << error;
    EXPECT_GT(sm, prev) << "R " << R;
    prev = sm;
  }
  // Component with design PR 12 on the node PR 5.2: surge PR (5.9603 - 1)*11/4.2 + 1.
  TMapScalars s;
  ASSERT_TRUE(ScaleToDesign({30.0, 5.2, 0.851}, 1.0, 1.0, 20.0, 12.0, 0.86, s, error)) << error;
  ASSERT_TRUE(comp.SurgeMarginAt(1.0, 2.0, s, sm, error)) << error;
  EXPECT_NEAR(sm, ((5.9603 - 1) * 11 / 4.2 + 1) / 12 - 1, 1e-14);
  EXPECT_NEAR(SurgeMargin(13.2, 12.0), 0.1, 1e-15);
}

// Surge margin at constant flow: zero on the stall line; elsewhere its surge
// point lies on the stall line at the operating point's flow, found here
// independently by scanning the stall line; undefined (NaN) where the stall
// line never passes that flow.
TEST_F(ShippedMaps, SurgeMarginAtConstantFlowTakesTheStallPointOfTheSameFlow) {
  const TMapScalars unit;
  std::string error;
  double sm = -1;
  ASSERT_TRUE(comp.SurgeMarginFlowAt(0.9, 1.0, unit, sm, error)) << error;
  EXPECT_NEAR(sm, 0.0, 1e-9);
  for (const auto& [N, R] : {std::pair{1.0, 2.0}, std::pair{0.8, 2.4}, std::pair{0.6, 1.6}}) {
    TMapPoint op;
    ASSERT_TRUE(comp.Lookup(N, R, op, error)) << error;
    ASSERT_TRUE(comp.SurgeMarginFlowAt(N, R, unit, sm, error)) << error;
    // The stall line's speed whose flow is the operating point's, by a fine scan.
    double PRs = std::nan("");
    TMapPoint a, b;
    ASSERT_TRUE(comp.Surge(comp.NMin(), a, error));
    for (int k = 1; k <= 200000 && std::isnan(PRs); ++k) {
      ASSERT_TRUE(comp.Surge(comp.NMin() + (comp.NMax() - comp.NMin()) * k / 200000.0, b, error));
      if (a.W <= op.W && op.W <= b.W) PRs = a.PR + (b.PR - a.PR) * (op.W - a.W) / (b.W - a.W);
      a = b;
    }
    ASSERT_FALSE(std::isnan(PRs)) << "N " << N << " R " << R;
    EXPECT_NEAR(sm, PRs / op.PR - 1.0, 1e-6) << "N " << N << " R " << R;
    EXPECT_GT(sm, 0.0);
  }
  // Choked at the top speed line: more flow than the stall line ever passes.
  ASSERT_TRUE(comp.SurgeMarginFlowAt(comp.NMax(), comp.RMax(), unit, sm, error)) << error;
  EXPECT_TRUE(std::isnan(sm));
}

// --- the file format ---

// A small valid map: a compressor without variable geometry, two speed lines.
constexpr const char* kTiny =
    "# a tiny map\n"
    "map compressor\n"
    "name Tiny fan\n"
    "design 1.0 2.0   # node\n"
    "extrapolate no\n"
    "columns N R W PR eff\n"
    "grid\n"
    "0.5 1.0 10 2.0 0.80\n"
    "0.5 2.0 11 1.8 0.82\n"
    "\n"
    "1.0 1.0 20 4.0 0.84\n"
    "1.0 2.0 22 3.5 0.86\n";

TEST(MapFormat, ReadsAMapWithoutVariableGeometryOrExtrapolation) {
  TCompressorMap m;
  std::string error;
  ASSERT_TRUE(TCompressorMap::Parse(kTiny, "tiny.map", m, error)) << error;
  EXPECT_EQ(m.name, "Tiny fan");
  EXPECT_EQ(m.grid.alphas.size(), 1u);
  TMapPoint p;
  m.alpha = 123.0;  // ignored: the map has one plane
  ASSERT_TRUE(m.Lookup(0.75, 1.5, p, error)) << error;
  ExpectPoint(p, (10 + 11 + 20 + 22) / 4.0, (2.0 + 1.8 + 4.0 + 3.5) / 4, (0.80 + 0.82 + 0.84 + 0.86) / 4, 1e-15);
  EXPECT_FALSE(m.Lookup(1.01, 1.5, p, error));
  EXPECT_EQ(error, "Tiny fan: N = 1.01 outside 0.5..1");
}

TEST(MapFormat, BetaCoordinateIsNamedInFailures) {
  const std::string text = "map compressor\nname B\ndesign 1 0.5\nsurge 0\ncolumns N beta W PR eff\ngrid\n"
                           "0.5 0 10 2 0.8\n0.5 1 11 1.8 0.8\n1 0 20 4 0.8\n1 1 22 3.5 0.8\n";
  TCompressorMap m;
  std::string error;
  ASSERT_TRUE(TCompressorMap::Parse(text, "b.map", m, error)) << error;
  TMapPoint p;
  EXPECT_FALSE(m.Lookup(1.0, 1.5, p, error));
  EXPECT_EQ(error, "B: beta = 1.5 outside 0..1");
}

struct Malformed {
  const char* name;
  std::string text;
  const char* error;  // the whole message
};
class MalformedMap : public ::testing::TestWithParam<Malformed> {};

TEST_P(MalformedMap, IsRefusedWithFileLineAndReason) {
  TCompressorMap m;
  m.name = "untouched";
  std::string error;
  EXPECT_FALSE(TCompressorMap::Parse(GetParam().text, "m.map", m, error));
  EXPECT_EQ(error, GetParam().error);
  EXPECT_EQ(m.name, "untouched");  // a refused file changes nothing
}

// The tiny map's lines with line `n` (1-based) replaced (or removed when empty).
std::string TinyWith(int n, const std::string& line) {
  std::string out, text = kTiny;
  int k = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t eol = text.find('\n', pos);
    ++k;
    const std::string cur = text.substr(pos, eol - pos);
    if (k != n)
      out += cur + "\n";
    else if (!line.empty())
      out += line + "\n";
    pos = eol + 1;
  }
  return out;
}

INSTANTIATE_TEST_SUITE_P(
    Maps, MalformedMap,
    ::testing::Values(
        Malformed{"Empty", "", "m.map:1: the map file is empty"},
        Malformed{"OnlyComments", "# nothing\n\n  # here\n", "m.map:3: the map file is empty"},
        Malformed{"NoKind", "name X\n", "m.map:1: a map file starts with 'map compressor' or 'map turbine'"},
        Malformed{"TurbineFile", TinyWith(2, "map turbine"), "m.map:2: a turbine map, not a compressor map"},
        Malformed{"UnknownKeyword", TinyWith(5, "extrapolation no"), "m.map:5: unknown keyword 'extrapolation'"},
        Malformed{"KeywordTwice", TinyWith(5, "name Again"), "m.map:5: 'name' given twice"},
        Malformed{"DesignOneNumber", TinyWith(4, "design 1.0"), "m.map:4: 'design' takes 2 numbers"},
        Malformed{"ExtrapolateMaybe", TinyWith(5, "extrapolate maybe"), "m.map:5: 'extrapolate' takes yes or no"},
        Malformed{"NoDesign", TinyWith(4, ""), "m.map:6: 'design' is missing before 'grid'"},
        Malformed{"NoColumns", TinyWith(6, ""), "m.map:6: 'columns' is missing before 'grid'"},
        Malformed{"ColumnsOfATurbine", TinyWith(6, "columns N PR W eff"),
                  "m.map:6: a compressor map's columns are '[alpha] N R W PR eff' or '[alpha] N beta W PR eff'"},
        Malformed{"NoGridLine", TinyWith(7, "0.5 1.0 10 2.0 0.80 # grid forgotten"),
                  "m.map:7: unknown keyword '0.5'"},
        Malformed{"NoGrid", "map compressor\nname X\n", "m.map:2: no 'grid' line"},
        Malformed{"GridWithoutRows", "map compressor\nname X\ndesign 1 1\ncolumns N R W PR eff\ngrid\n# none\n",
                  "m.map:6: the grid is empty"},
        Malformed{"MissingColumn", TinyWith(9, "0.5 2.0 11 1.8"), "m.map:9: expected 5 numbers, found 4"},
        Malformed{"ExtraColumn", TinyWith(9, "0.5 2.0 11 1.8 0.82 7"), "m.map:9: expected 5 numbers, found 6"},
        Malformed{"DecimalComma", TinyWith(9, "0,5 2.0 11 1.8 0.82"), "m.map:9: '0,5' is not a number"},
        Malformed{"NotANumber", TinyWith(9, "0.5 2.0 eleven 1.8 0.82"), "m.map:9: 'eleven' is not a number"},
        Malformed{"NaN", TinyWith(9, "0.5 2.0 nan 1.8 0.82"), "m.map:9: 'nan' is not a finite number"},
        Malformed{"Infinity", TinyWith(9, "0.5 2.0 11 inf 0.82"), "m.map:9: 'inf' is not a finite number"},
        Malformed{"NegativeFlow", TinyWith(9, "0.5 2.0 -11 1.8 0.82"), "m.map:9: W = -11 is not positive"},
        Malformed{"EfficiencyAboveOne", TinyWith(9, "0.5 2.0 11 1.8 1.02"), "m.map:9: eff = 1.02 outside 0..1"},
        Malformed{"RLinesNotIncreasing", TinyWith(9, "0.5 0.9 11 1.8 0.82"),
                  "m.map:9: R = 0.9 does not increase along the speed line N = 0.5"},
        Malformed{"SpeedLineOutOfOrder",
                  "map compressor\nname X\ndesign 1 1\ncolumns N R W PR eff\ngrid\n"
                  "1 1 10 2 0.8\n1 2 11 2 0.8\n0.5 1 10 2 0.8\n0.5 2 11 2 0.8\n",
                  "m.map:8: N = 0.5 does not increase (after N = 1)"},
        Malformed{"ShortSpeedLine", TinyWith(12, ""),
                  "m.map:11: speed line N = 1 has 1 points, the first has 2 (the grid must be rectangular)"},
        Malformed{"DifferentRLines", TinyWith(12, "1.0 2.5 22 3.5 0.86"),
                  "m.map:12: R = 2.5 where the first speed line has R = 2 (the grid must be rectangular)"},
        Malformed{"SingleSpeedLineOnly",
                  "map compressor\nname X\ndesign 1 1\ncolumns N R W PR eff\ngrid\n1 1 10 2 0.8\n1 2 11 2 0.8\n",
                  "m.map:7: the grid needs at least two speed lines of two points each"},
        Malformed{"PlaneMissingASpeedLine",
                  "map compressor\nname X\ndesign 1 1\ncolumns alpha N R W PR eff\ngrid\n"
                  "0 0.5 1 10 2 0.8\n0 0.5 2 11 2 0.8\n0 1 1 20 4 0.8\n0 1 2 22 3 0.8\n"
                  "5 0.5 1 10 2 0.8\n5 0.5 2 11 2 0.8\n",
                  "m.map:11: alpha plane 5 has 1 speed lines, the first has 2 (the grid must be rectangular)"},
        Malformed{"AlphaNotIncreasing",
                  "map compressor\nname X\ndesign 1 1\ncolumns alpha N R W PR eff\ngrid\n"
                  "5 0.5 1 10 2 0.8\n5 0.5 2 11 2 0.8\n5 1 1 20 4 0.8\n5 1 2 22 3 0.8\n"
                  "0 0.5 1 10 2 0.8\n0 0.5 2 11 2 0.8\n0 1 1 20 4 0.8\n0 1 2 22 3 0.8\n",
                  "m.map:10: alpha = 0 does not increase (after alpha = 5)"},
        Malformed{"DesignOffTheGrid", TinyWith(4, "design 1.2 2.0"),
                  "m.map:4: design N = 1.2 outside the speed lines 0.5..1"},
        Malformed{"SurgeOffTheGrid", TinyWith(5, "surge 0.5"), "m.map:5: surge line R = 0.5 outside 1..2"},
        Malformed{"BinaryGarbage", "map compressor\n\x01\x02 \xff\n",
                  "m.map:2: unknown keyword '\x01\x02'"},
        Malformed{"Oversized", std::string((16u << 20) + 1, ' '), "m.map:1: the map file is larger than 16 MiB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MapFormat, ReadNamesAFileThatCannotBeRead) {
  TTurbineMap m;
  std::string error;
  EXPECT_FALSE(TTurbineMap::Read("/nonexistent/dir/x.map", m, error));
  EXPECT_EQ(error, "/nonexistent/dir/x.map: cannot open the map file");
  EXPECT_FALSE(TTurbineMap::Read(VYR_MAPS_DIR, m, error));
  EXPECT_EQ(error, std::string(VYR_MAPS_DIR) + ": not a regular file");
}

// Every cut of a shipped map at a line end is either a whole map or refused with
// the file and a line: never a crash, never a half-read map.
TEST(MapFormat, EveryTruncationIsReadOrRefusedWithItsLine) {
  for (const std::string& path : {kAxi5, kLpt}) {
    std::string text;
    {
      FILE* f = std::fopen(path.c_str(), "rb");
      ASSERT_NE(f, nullptr) << path;
      char buf[4096];
      for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
      std::fclose(f);
    }
    int accepted = 0;
    bool lastOk = false;
    for (std::size_t pos = text.find('\n'); pos != std::string::npos; pos = text.find('\n', pos + 1)) {
      const std::string_view cut(text.data(), pos + 1);
      std::string error;
      bool ok;
      if (path == kAxi5) {
        TCompressorMap m;
        ok = TCompressorMap::Parse(cut, "cut.map", m, error);
      } else {
        TTurbineMap m;
        ok = TTurbineMap::Parse(cut, "cut.map", m, error);
      }
      if (ok)
        ++accepted;
      else
        EXPECT_EQ(error.rfind("cut.map:", 0), 0u) << error;
      lastOk = ok;
    }
    // Cuts after whole speed lines of the first plane that reach the design speed are
    // maps too; the whole file must be one.
    EXPECT_GT(accepted, 0) << path;
    EXPECT_TRUE(lastOk) << path;
  }
}

}  // namespace
}  // namespace vyr::test
