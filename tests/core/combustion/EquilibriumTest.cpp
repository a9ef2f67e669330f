#include <gtest/gtest.h>

#include <cmath>
#include <numeric>

#include "VYRglobal.h"
#include "combustion/AtomBalance.h"
#include "common/RecordingHandler.h"

namespace vyr {
namespace {

TEST(EquilibriumConstants, RangesMeetAt1000K) {
  const Carray9* pairs[][2] = {{&Pol1CO2, &Pol2CO2}, {&Pol1H2O, &Pol2H2O}, {&Pol1O, &Pol2O},    {&Pol1H, &Pol2H},
                               {&Pol1OH, &Pol2OH},   {&Pol1NO, &Pol2NO},   {&Pol1N2O, &Pol2N2O}};
  for (const auto& p : pairs) {
    const double lo = CalcEqConst(1000.0, *p[0]), hi = CalcEqConst(1000.0, *p[1]);
    EXPECT_NEAR(lo / hi, 1.0, 1e-5);
  }
  // CO2 = CO + 1/2 O2 is strongly on the CO2 side at 1500 K and shifts with temperature.
  EXPECT_LT(CalcEqConst(1500.0, Pol2CO2), 1e-3);
  EXPECT_GT(CalcEqConst(2500.0, Pol2CO2), 10 * CalcEqConst(2000.0, Pol2CO2));
}

// Tolerance factor of the balance checks (a usual one: the products are
// evaluated at the final oxygen estimate, so the balance is far tighter).
constexpr double kTol = 1e-6;

struct Point {
  bool kerosene;
  double far, T, Pbar;
};

void PrintTo(const Point& p, std::ostream* os) {
  *os << (p.kerosene ? "kerosene" : "methane") << " far=" << p.far << " T=" << p.T << " P=" << p.Pbar << "bar";
}

// Test name of a point, e.g. kerosene_far0p03_T1500K_P30bar.
std::string PointName(const testing::TestParamInfo<Point>& info) {
  const Point& p = info.param;
  std::string far = FloatToStr(p.far);
  for (char& c : far)
    if (c == '.') c = 'p';
  return std::string(p.kerosene ? "kerosene" : "methane") + "_far" + far + "_T" + FloatToStr(p.T) + "K_P" +
         FloatToStr(p.Pbar) + "bar";
}

class EquilibriumBalance : public testing::TestWithParam<Point> {};

TEST_P(EquilibriumBalance, ProductsHoldTheReactantsAtoms) {
  const Point& pt = GetParam();
  const double y = pt.kerosene ? 1.9167 : 0.0;
  const TGasComposition r = test::FuelInAir(pt.kerosene, pt.far);
  TGasComposition mole{}, mass{};
  std::string msg;
  int code = -1;
  test::RecordingHandler rec;
  ASSERT_TRUE(CombEquilibrium(pt.T, pt.Pbar * 1e5, y, 0.0, r, kTol, mole, mass, false, msg, code)) << msg;
  EXPECT_TRUE(msg.empty());
  EXPECT_NEAR(std::accumulate(mole.begin(), mole.end(), 0.0), 1.0, 1e-9);
  EXPECT_LT(test::WorstImbalance(r, y, 0.0, mass), 1e-9);
  EXPECT_EQ(mass[gtH2Ol], 0.0);
  EXPECT_EQ(mass[gtCxHyOz], 0.0);
  EXPECT_TRUE(rec.messages.empty());
}

std::vector<Point> Grid() {
  std::vector<Point> v;
  for (bool k : {false, true})
    for (double far : {0.01, 0.03, 0.05, 0.07, 0.09})
      for (double T : {1500.0, 2000.0, 2500.0})
        for (double P : {1.0, 30.0}) v.push_back({k, far, T, P});
  return v;
}

INSTANTIATE_TEST_SUITE_P(FuelsInAir, EquilibriumBalance, testing::ValuesIn(Grid()), PointName);

// The seven reactions of the equilibrium, each with its constant's two fits
// and the quotient of the partial pressures [bar] that the constant fixes.
struct Reaction {
  const char* name;
  const Carray9& below1000;
  const Carray9& above1000;
  double (*quotient)(const TGasComposition& p);
};

const Reaction kReactions[] = {
    {"CO2 = CO + 1/2 O2", Pol1CO2, Pol2CO2,
     [](const TGasComposition& p) { return p[gtCO] * std::sqrt(p[gtO2]) / p[gtCO2]; }},
    {"H2O = H2 + 1/2 O2", Pol1H2O, Pol2H2O,
     [](const TGasComposition& p) { return p[gtH2] * std::sqrt(p[gtO2]) / p[gtH2Og]; }},
    {"1/2 O2 = O", Pol1O, Pol2O, [](const TGasComposition& p) { return p[gtO] / std::sqrt(p[gtO2]); }},
    {"1/2 H2 = H", Pol1H, Pol2H, [](const TGasComposition& p) { return p[gtH] / std::sqrt(p[gtH2]); }},
    {"O + H = OH", Pol1OH, Pol2OH, [](const TGasComposition& p) { return p[gtOH] / (p[gtO] * p[gtH]); }},
    {"O + 1/2 N2 = NO", Pol1NO, Pol2NO,
     [](const TGasComposition& p) { return p[gtNO] / (p[gtO] * std::sqrt(p[gtN2])); }},
    {"N2 + O = N2O", Pol1N2O, Pol2N2O, [](const TGasComposition& p) { return p[gtN2O] / (p[gtN2] * p[gtO]); }},
};

class EquilibriumConstantsOnTheProducts : public testing::TestWithParam<Point> {};

TEST_P(EquilibriumConstantsOnTheProducts, EveryReactionMeetsItsConstant) {
  // Each of the seven constants holds on the partial pressures of the result.
  const Point& pt = GetParam();
  const double y = pt.kerosene ? 1.9167 : 0.0;
  TGasComposition mole{}, mass{};
  std::string msg;
  int code = -1;
  ASSERT_TRUE(CombEquilibrium(pt.T, pt.Pbar * 1e5, y, 0.0, test::FuelInAir(pt.kerosene, pt.far), kTol, mole, mass,
                              false, msg, code))
      << msg;
  TGasComposition p{};
  for (int i = 0; i < GasCount; ++i) p[i] = mole[i] * pt.Pbar;
  for (const Reaction& r : kReactions) {
    const double K = CalcEqConst(pt.T, pt.T <= 1000.0 ? r.below1000 : r.above1000);
    EXPECT_NEAR(r.quotient(p) / K, 1.0, 1e-7) << r.name;
  }
}

std::vector<Point> SmallGrid() {
  std::vector<Point> v;
  for (bool k : {false, true})
    for (double far : {0.02, 0.05})
      for (double T : {900.0, 1600.0, 2400.0, 3200.0})
        for (double P : {1.0, 40.0}) v.push_back({k, far, T, P});
  return v;
}

INSTANTIATE_TEST_SUITE_P(FuelsInAir, EquilibriumConstantsOnTheProducts, testing::ValuesIn(SmallGrid()), PointName);

TEST(EquilibriumConstants, AgreeWithTheGibbsEnergyOfTheSpeciesTable) {
  // K = exp(-dG / (R T)) with the standard Gibbs energy g = h - T s of each
  // species from the species table, at the reference pressure of its entropy
  // scale: an independent source of the same constants. Both fits of every
  // constant reproduce it over the whole range of the tables.
  auto g = [](TGas s, double T) {  // J/kmol
    TGasComposition x{};
    x[s] = 1.0;
    return (FH(T, x) - T * FS(T, P_entropy_ref, x)) * GasProperties[s].Molemass;
  };
  struct Stoich {
    TGas s;
    double nu;  // products positive
  };
  const std::vector<Stoich> reactions[] = {
      {{gtCO2, -1}, {gtCO, 1}, {gtO2, 0.5}}, {{gtH2Og, -1}, {gtH2, 1}, {gtO2, 0.5}},
      {{gtO2, -0.5}, {gtO, 1}},              {{gtH2, -0.5}, {gtH, 1}},
      {{gtO, -1}, {gtH, -1}, {gtOH, 1}},     {{gtO, -1}, {gtN2, -0.5}, {gtNO, 1}},
      {{gtN2, -1}, {gtO, -1}, {gtN2O, 1}}};
  for (int k = 0; k < 7; ++k) {
    for (double T : {300.0, 600.0, 1000.0, 1500.0, 2000.0, 2500.0, 3000.0, 4000.0, 5000.0, 6000.0}) {
      double dG = 0;
      for (const Stoich& st : reactions[k]) dG += st.nu * g(st.s, T);
      const double Ktable = std::exp(-dG / (8314.4621 * T));
      const double K = CalcEqConst(T, T <= 1000.0 ? kReactions[k].below1000 : kReactions[k].above1000);
      EXPECT_NEAR(std::log(K / Ktable), 0.0, 1e-9) << kReactions[k].name << " at " << T << " K";
    }
  }
}

TEST(CombEquilibrium, DissociationGrowsWithTemperatureAndFallsWithPressure) {
  const TGasComposition r = test::FuelInAir(true, 0.05);
  auto products = [&](double T, double Pbar) {
    TGasComposition mole, mass;
    std::string msg;
    int code;
    EXPECT_TRUE(CombEquilibrium(T, Pbar * 1e5, 1.9167, 0, r, 1e-6, mole, mass, false, msg, code)) << msg;
    return mole;
  };
  const TGasComposition cool = products(1800, 10), hot = products(2400, 10), dense = products(2400, 40);
  EXPECT_GT(hot[gtCO], 5 * cool[gtCO]);
  EXPECT_GT(hot[gtOH], 5 * cool[gtOH]);
  EXPECT_LT(dense[gtCO], hot[gtCO]);
  EXPECT_LT(dense[gtOH], hot[gtOH]);
  EXPECT_GT(hot[gtNO], 0.0);
}

TEST(CombEquilibrium, NoNitrogenAndLiquidWater) {
  TGasComposition r{};
  r[gtO2] = 0.8;
  r[gtH2Ol] = 0.1;  // taken as vapour
  r[gtCH4] = 0.1;
  TGasComposition mole, mass;
  std::string msg;
  int code;
  ASSERT_TRUE(CombEquilibrium(2000, 5e5, 0, 0, r, kTol, mole, mass, false, msg, code)) << msg;
  EXPECT_EQ(mole[gtNO], 0.0);
  EXPECT_EQ(mole[gtN2O], 0.0);
  EXPECT_EQ(mole[gtN2], 0.0);
  EXPECT_EQ(mole[gtH2Ol], 0.0);
  EXPECT_LT(test::WorstImbalance(r, 0, 0, mass), 1e-9);
}

// Failures leave the outputs alone and report through ErrMsg/ErrCode; the box only when asked.
struct BadCase {
  const char* name;
  double T, P;
  TGasComposition r;
  const char* msgStart;
  int code;
};
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

TGasComposition With(TGasComposition c, TGas s, double v) {
  c[s] = v;
  return c;
}

class CombEquilibriumFailure : public testing::TestWithParam<BadCase> {};

TEST_P(CombEquilibriumFailure, ReportsAndKeepsTheOutputs) {
  const BadCase& c = GetParam();
  TGasComposition mole, mass;
  mole.fill(0.5);
  mass.fill(0.25);
  std::string msg = "old";
  int code = -1;
  {
    test::RecordingHandler rec;
    EXPECT_FALSE(CombEquilibrium(c.T, c.P, 1.9167, 0, c.r, 1e-6, mole, mass, false, msg, code));
    EXPECT_TRUE(rec.messages.empty());
  }
  EXPECT_EQ(msg.rfind(c.msgStart, 0), 0u) << msg;
  EXPECT_EQ(code, c.code);
  for (int i = 0; i < GasCount; ++i) {
    EXPECT_EQ(mole[i], 0.5);
    EXPECT_EQ(mass[i], 0.25);
  }
  test::RecordingHandler rec;
  EXPECT_FALSE(CombEquilibrium(c.T, c.P, 1.9167, 0, c.r, 1e-6, mole, mass, true, msg, code));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, msg);
  EXPECT_EQ(rec.messages[0].DlgType, mtWarning);
  EXPECT_EQ(rec.messages[0].Buttons, (TMsgDlgButtons{mbOK, mbHelp}));
  EXPECT_EQ(rec.messages[0].HelpCtx, code);
}

const TGasComposition kN2 = With(EmptyComposition, gtN2, 1.0);

INSTANTIATE_TEST_SUITE_P(
    BadInput, CombEquilibriumFailure,
    testing::Values(
        BadCase{"far_too_rich", 1500, 1e5, test::FuelInAir(false, 0.5), "O2 concentration too small", 80001},
        BadCase{"neither_oxygen_nor_fuel", 2000, 1e5, kN2, "O2 concentration too small", 80001},
        BadCase{"negative_fraction", 2000, 1e5, With(Air, gtCO, -0.01), "CO concentration (-0.01)<0 in CombEquilibrium",
                85514},
        BadCase{"nan_fraction", 2000, 1e5, With(Air, gtCO, std::nan("")), "Composition sum (NAN) in CombEquilibrium",
                85515},
        BadCase{"empty", 2000, 1e5, EmptyComposition, "Composition sum (0) in CombEquilibrium", 85515},
        BadCase{"zero_temperature", 0, 1e5, Air, "Invalid temperature (0 K) or pressure (100000 Pa) in", 0},
        BadCase{"negative_pressure", 2000, -1e5, Air, "Invalid temperature (2000 K) or pressure (-100000 Pa) in", 0},
        BadCase{"nan_temperature", std::nan(""), 1e5, Air, "Invalid temperature (NAN K)", 0},
        BadCase{"above_the_tables", 8000, 1e5, Air,
                "Temperature (8000 K) above the 6000 K limit of the property tables in\r\nCombEquilibrium", 0},
        BadCase{"below_the_tables", 150, 1e5, Air,
                "Temperature (150 K) below the 200 K limit of the property tables in\r\nCombEquilibrium", 0},
        // Rich and cool, the mixture would form carbon and methane, which are not among the products.
        BadCase{"rich_and_cool", 600, 1e5, test::FuelInAir(false, 0.07), "O2 concentration too small", 80001}),
    [](const testing::TestParamInfo<BadCase>& i) { return std::string(i.param.name); });

TGasconditions Station(const TGasComposition& y, double Ts, double Ps) {
  TGasconditions g = StandardAir;
  g.Composition = y;
  g.Ts = g.Tt = Ts;
  g.Ps = g.Pt = Ps;
  return g;
}

TEST(Dissociation, BalancesAtomsAndKeepsInertMoles) {
  TGasComposition y = test::FuelInAir(true, 0.04);
  TGasComposition mole, mass;
  std::string msg;
  int code;
  ASSERT_TRUE(CombEquilibrium(2200, 20e5, 1.9167, 0, y, 1e-6, mole, mass, false, msg, code));
  for (double T : {1200.0, 2000.0, 2600.0}) {
    TGasconditions g = Station(mass, T, 5e5);
    ASSERT_TRUE(Dissociation(g, kTol, false, msg, code)) << msg;
    EXPECT_LT(test::WorstImbalance(mass, 0, 0, g.Composition), 1e-9) << T;
    // Radicals recombine; NO and N2 keep their ratio of moles.
    EXPECT_EQ(g.Composition[gtO], 0.0);
    EXPECT_EQ(g.Composition[gtH], 0.0);
    EXPECT_EQ(g.Composition[gtOH], 0.0);
    const TGasComposition before = MoleComposition(mass, 1), after = MoleComposition(g.Composition, 1);
    EXPECT_NEAR(after[gtNO] / after[gtN2], before[gtNO] / before[gtN2], 1e-12);
  }
}

TEST(Dissociation, MoreCarbonMonoxideWhenHotter) {
  const TGasComposition y = test::FuelInAir(true, 0.03);
  TGasComposition products;
  ASSERT_TRUE(ProdfromReact(0.03, 1.0, 1.9167, 0, CxHyOz, Air, products));
  std::string msg;
  int code;
  TGasconditions warm = Station(products, 1600, 10e5), hot = Station(products, 2400, 10e5);
  ASSERT_TRUE(Dissociation(warm, 1e-6, false, msg, code));
  ASSERT_TRUE(Dissociation(hot, 1e-6, false, msg, code));
  EXPECT_GT(hot.Composition[gtCO], 10 * warm.Composition[gtCO]);
  EXPECT_GT(hot.Composition[gtH2], warm.Composition[gtH2]);
  (void)y;
}

TEST(Dissociation, LiquidBecomesVapourAndHydrocarbonsAreDropped) {
  TGasComposition y = Air;
  y[gtN2] -= 0.03;
  y[gtH2Ol] = 0.02;
  y[gtCH4] = 0.01;
  TGasconditions g = Station(y, 1500, 1e5);
  std::string msg;
  int code;
  ASSERT_TRUE(Dissociation(g, 1e-6, false, msg, code)) << msg;
  EXPECT_EQ(g.Composition[gtH2Ol], 0.0);
  EXPECT_EQ(g.Composition[gtCH4], 0.0);
  EXPECT_GT(g.Composition[gtH2Og], 0.019);
}

TEST(Dissociation, FailureLeavesTheCompositionUnchanged) {
  for (double Ps : {0.0, std::nan("")}) {
    TGasconditions g = Station(Air, 2000, 1e5);
    g.Ps = Ps;
    std::string msg;
    int code = -1;
    test::RecordingHandler rec;
    EXPECT_FALSE(Dissociation(g, 1e-6, true, msg, code));
    EXPECT_EQ(g.Composition, Air);
    EXPECT_FALSE(msg.empty());
    EXPECT_EQ(rec.messages.size(), 1u);
  }
  TGasconditions g = Station(kN2, 2000, 1e5);  // nothing to form oxygen from
  std::string msg;
  int code = -1;
  EXPECT_FALSE(Dissociation(g, 1e-6, false, msg, code));
  EXPECT_EQ(msg, "O2 concentration too small");
  EXPECT_EQ(code, 85513);
  EXPECT_EQ(g.Composition, kN2);
}

}  // namespace
}  // namespace vyr
