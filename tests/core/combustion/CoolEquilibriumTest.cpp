// Equilibrium products of lean and stoichiometric mixtures from the start of
// the species tables (200 K) up through the temperatures where dissociation
// sets in and the 1000 K joint of the constant fits, and the burner's exit
// temperature and fuel-air ratio that rest on them.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "EngineFuel.h"
#include "VYRglobal.h"
#include "combustion/AtomBalance.h"

namespace vyr {
namespace {

// A name with '.' spelt 'p', for test names.
std::string Dotless(double v) {
  std::string s = FloatToStr(v);
  for (char& c : s)
    if (c == '.') c = 'p';
  return s;
}

// Temperatures [K] from T0 up to 1400 K in 10 K steps, with the joint of the
// constant fits approached from both sides.
std::vector<double> Temperatures(double T0) {
  std::vector<double> v;
  for (double T = T0; T <= 1400.0; T += 10.0) v.push_back(T);
  return v;
}

// ---------------------------------------------------------------------------
// The equilibrium itself.

struct Mixture {
  bool kerosene;  // CH2.0022 as the variable fuel species, else methane
  double phi;     // equivalence ratio
  double Pbar;
};

constexpr double kHC = 2.0022;

void PrintTo(const Mixture& m, std::ostream* os) {
  *os << (m.kerosene ? "kerosene" : "methane") << " phi=" << m.phi << " P=" << m.Pbar << "bar";
}

double Hc(const Mixture& m) { return m.kerosene ? kHC : 0.0; }

TGasComposition Reactants(const Mixture& m) {
  const TGasComposition& fuel = m.kerosene ? CxHyOz : CH4;
  const double far = m.phi * StoichFuelOxidGasMassRatio(Hc(m), 0.0, fuel, Air[gtO2]);
  return MixGasComposition(Air, fuel, 1.0, far);
}

class CoolEquilibrium : public testing::TestWithParam<Mixture> {};

TEST_P(CoolEquilibrium, HoldsTheAtomsAndEveryConstantFrom200K) {
  // The defining conditions at every temperature: the reactants' atoms, the
  // seven constants on the partial pressures [bar], fractions summing to one.
  const Mixture& m = GetParam();
  const TGasComposition r = Reactants(m);
  std::vector<double> Ts = Temperatures(200.0);
  Ts.insert(Ts.end(), {1000.0 - 1e-6, 1000.0, 1000.0 + 1e-6});
  for (double T : Ts) {
    SCOPED_TRACE(testing::Message() << "T = " << T << " K");
    TGasComposition mole{}, mass{};
    std::string msg;
    int code = 0;
    ASSERT_TRUE(CombEquilibrium(T, m.Pbar * 1e5, Hc(m), 0.0, r, 1e-6, mole, mass, false, msg, code)) << msg;
    EXPECT_NEAR(std::accumulate(mole.begin(), mole.end(), 0.0), 1.0, 1e-12);
    EXPECT_LT(test::WorstImbalance(r, Hc(m), 0.0, mass), 1e-12);
    TGasComposition p{};
    for (int i = 0; i < GasCount; ++i) p[i] = mole[i] * m.Pbar;
    const bool low = T <= 1000.0;
    const struct {
      const char* reaction;
      double quotient;
      const Carray9& fit;
    } checks[] = {
        {"CO2 = CO + 1/2 O2", p[gtCO] * std::sqrt(p[gtO2]) / p[gtCO2], low ? Pol1CO2 : Pol2CO2},
        {"H2O = H2 + 1/2 O2", p[gtH2] * std::sqrt(p[gtO2]) / p[gtH2Og], low ? Pol1H2O : Pol2H2O},
        {"1/2 O2 = O", p[gtO] / std::sqrt(p[gtO2]), low ? Pol1O : Pol2O},
        {"1/2 H2 = H", p[gtH] / std::sqrt(p[gtH2]), low ? Pol1H : Pol2H},
        {"O + H = OH", p[gtOH] / (p[gtO] * p[gtH]), low ? Pol1OH : Pol2OH},
        {"O + 1/2 N2 = NO", p[gtNO] / (p[gtO] * std::sqrt(p[gtN2])), low ? Pol1NO : Pol2NO},
        {"N2 + O = N2O", p[gtN2O] / (p[gtN2] * p[gtO]), low ? Pol1N2O : Pol2N2O},
    };
    for (const auto& c : checks) EXPECT_NEAR(c.quotient / CalcEqConst(T, c.fit), 1.0, 1e-9) << c.reaction;
  }
}

TEST_P(CoolEquilibrium, IsCompleteCombustionWhereNothingDissociates) {
  // Below 500 K the traces of CO, H2, radicals and nitrogen oxides stay under
  // 1e-9 of the moles: the products are those of complete combustion.
  const Mixture& m = GetParam();
  const TGasComposition r = Reactants(m);
  TGasComposition complete{};
  const TGasComposition& fuel = m.kerosene ? CxHyOz : CH4;
  ASSERT_TRUE(ProdfromReact(m.phi * StoichFuelOxidGasMassRatio(Hc(m), 0.0, fuel, Air[gtO2]), 1.0, Hc(m), 0.0,
                            fuel, Air, complete));
  const TGasComposition want = MoleComposition(complete, 1.0);
  for (double T : {200.0, 300.0, 400.0, 500.0}) {
    TGasComposition mole{}, mass{};
    std::string msg;
    int code = 0;
    ASSERT_TRUE(CombEquilibrium(T, m.Pbar * 1e5, Hc(m), 0.0, r, 1e-6, mole, mass, false, msg, code)) << msg;
    for (int i = 0; i < GasCount; ++i) EXPECT_NEAR(mole[i], want[i], 1e-9) << GasNames[i] << " at " << T << " K";
  }
}

std::vector<Mixture> Mixtures() {
  std::vector<Mixture> v;
  for (bool k : {true, false})
    for (double phi : {0.05, 0.45, 1.0})
      for (double P : {0.5, 30.0}) v.push_back({k, phi, P});
  return v;
}

INSTANTIATE_TEST_SUITE_P(LeanToStoichiometric, CoolEquilibrium, testing::ValuesIn(Mixtures()),
                         [](const testing::TestParamInfo<Mixture>& i) {
                           const Mixture& m = i.param;
                           return std::string(m.kerosene ? "kerosene" : "methane") + "_phi" + Dotless(m.phi) + "_P" +
                                  Dotless(m.Pbar) + "bar";
                         });

// ---------------------------------------------------------------------------
// The burner: fuel-air ratio for an exit temperature and back.

struct Burner {
  const char* name;
  bool kerosene;  // the user fuel CH2.0022, else natural gas
  double Tair, P;
};

void PrintTo(const Burner& b, std::ostream* os) { *os << b.name; }

engine::TFuel FuelOf(const Burner& b) {
  return b.kerosene ? engine::UserFuel(kHC, 0.0, 45305978.35) : engine::TableFuel(ftNatGas);
}

class CoolBurner : public testing::TestWithParam<Burner> {};

TEST_P(CoolBurner, FuelAirRatioRoundTripsAndRisesSmoothly) {
  // For every exit temperature from just above the air's: the fuel-air ratio
  // is found, burns back to that temperature, equals the complete-combustion
  // one where nothing dissociates, and rises without a jump: each step's rise
  // is within 2 % of the last (a kink or a jump anywhere, at 1000 K where the
  // constant fits meet included, would break this).
  const Burner& b = GetParam();
  const engine::TFuel fuel = FuelOf(b);
  auto far = [&](double T, engine::TProducts how) {
    double f = 0.0;
    EXPECT_TRUE(engine::FuelAirRatio(fuel, T, b.Tair, 298.15, 1.0, b.P, f, how)) << T << " K";
    return f;
  };
  double previous = 0.0, rise = 0.0;
  for (double T : Temperatures(b.Tair + 10.0)) {
    SCOPED_TRACE(testing::Message() << "T = " << T << " K");
    const double f = far(T, engine::TProducts::Equilibrium);
    double back = 0.0;
    ASSERT_TRUE(engine::ExitTemperature(fuel, f, b.Tair, 298.15, 1.0, b.P, back, engine::TProducts::Equilibrium));
    EXPECT_NEAR(back, T, 1e-6);
    if (T <= 500.0) {
      EXPECT_NEAR(f, far(T, engine::TProducts::Complete), 1e-6 * f + 1e-9);
    }
    if (rise > 0.0) {
      EXPECT_NEAR((f - previous) / rise, 1.0, 0.02);
    }
    if (previous > 0.0) rise = f - previous;
    previous = f;
  }
  // Just below and just above the joint: the difference is that of the step.
  const double slope = (far(1001.0, engine::TProducts::Equilibrium) - far(999.0, engine::TProducts::Equilibrium)) / 2.0;
  const double below = far(1000.0 - 0.01, engine::TProducts::Equilibrium);
  const double above = far(1000.0 + 0.01, engine::TProducts::Equilibrium);
  EXPECT_NEAR((above - below) / (0.02 * slope), 1.0, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    FromTheAirTemperatureUp, CoolBurner,
    testing::Values(Burner{"kerosene_air_at_200K_0p5bar", true, 200.0, 0.5e5},
                    Burner{"kerosene_air_at_400K_0p5bar", true, 400.0, 0.5e5},
                    Burner{"natural_gas_air_at_300K_30bar", false, 300.0, 30e5}),
    [](const testing::TestParamInfo<Burner>& i) { return std::string(i.param.name); });

}  // namespace
}  // namespace vyr
