// Balances that every design point must satisfy.
#include <gtest/gtest.h>

#include <cmath>

#include "Turbojet.h"
#include "common/RecordingHandler.h"
#include "engine/Turbofan.h"

namespace vyr::cli {
namespace {

struct Case {
  const char* name;
  TurbojetInput in;
  const char* fuel;
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

TurbojetInput Input(double alt, double mach, double pr, Nozzle n, bool poly, double offtake) {
  TurbojetInput in;
  in.altitude = alt;
  in.mach = mach;
  in.PR = pr;
  in.nozzle = n;
  in.polytropicC = in.polytropicT = poly;
  in.effC = poly ? 0.9 : 0.85;
  in.offtake = offtake;
  return in;
}

class TurbojetBalances : public testing::TestWithParam<Case> {};

TEST_P(TurbojetBalances, Hold) {
  const Case& c = GetParam();
  test::RecordingHandler rec;
  const Fuel fuel = MakeFuel(c.fuel, {}, {}, {}, {});
  TurbojetResult r;
  ASSERT_TRUE(DesignTurbojet(c.in, fuel, r));
  ASSERT_EQ(r.stations.size(), 7u);
  const TGasconditions &s0 = r.stations[0].gas, &s2 = r.stations[1].gas, &s3 = r.stations[2].gas,
                       &s4 = r.stations[3].gas, &s5 = r.stations[4].gas, &s9 = r.stations[6].gas;
  const double W = s0.W, far = s4.FARat;
  // Mass: the fuel joins the air in the burner.
  EXPECT_DOUBLE_EQ(s4.W, W * (1 + far));
  EXPECT_DOUBLE_EQ(r.Wf, W * far);
  EXPECT_EQ(s9.W, s4.W);
  // Shaft: turbine power times the mechanical efficiency drives compressor and offtake.
  const double drive = s4.W * (s4.H - s5.H) * c.in.effMech;
  EXPECT_NEAR(drive / (W * (s3.H - s2.H) + c.in.offtake), 1.0, 1e-6);
  // Burner energy: air and fuel in, equilibrium products out.
  double residual = 0;
  ASSERT_TRUE(BurnerResidual(fuel, far, s3.Tt, c.in.Tfuel, c.in.effB, s4.Tt, s4.Pt, residual));
  EXPECT_NEAR(residual / s4.H, 0.0, 1e-6);
  EXPECT_NEAR(s4.Tt, c.in.T4, 1e-6);
  // Thrust.
  EXPECT_DOUBLE_EQ(r.FN, r.FG - r.ramDrag);
  EXPECT_DOUBLE_EQ(r.ramDrag, W * r.V0);
  EXPECT_GT(r.FN, 0);
  if (c.in.nozzle == Nozzle::ConvergentDivergent) {
    EXPECT_DOUBLE_EQ(s9.Ps, s0.Ps);
    EXPECT_GE(r.A9, r.A8);
  }
  // Pressures fall along the path behind the compressor.
  EXPECT_NEAR(s4.Pt, s3.Pt * (1 - c.in.burnerLoss), 1e-9 * s4.Pt);
  EXPECT_NEAR(r.turbinePR, s4.Pt / s5.Pt, 1e-9);
  EXPECT_TRUE(rec.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Points, TurbojetBalances,
    testing::Values(Case{"static_sea_level", Input(0, 0, 10, Nozzle::Convergent, false, 0), "avtur"},
                    Case{"cruise_cd_nozzle", Input(11000, 0.8, 15, Nozzle::ConvergentDivergent, false, 0), "avtur"},
                    Case{"polytropic_offtake", Input(3000, 0.5, 8, Nozzle::Convergent, true, 2e5), "avtur"},
                    Case{"natural_gas", Input(0, 0.2, 12, Nozzle::Convergent, false, 0), "natgas"},
                    Case{"hydrogen", Input(8000, 0.9, 20, Nozzle::ConvergentDivergent, false, 1e5), "hydrogen"}),
    [](const testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

TEST(Turbojet, ThrustTargetSetsTheFlow) {
  for (double offtake : {0.0, 3e5}) {
    TurbojetInput in = Input(6000, 0.6, 12, Nozzle::Convergent, false, offtake);
    in.thrust = 25000.0;
    TurbojetResult r;
    ASSERT_TRUE(DesignTurbojet(in, MakeFuel("avtur", {}, {}, {}, {}), r));
    EXPECT_NEAR(r.FN / 25000.0, 1.0, 1e-6);
  }
}

// A turbine that cannot drive the compressor fails with a message that says so,
// never a design point with negative thrust.
TEST(Turbojet, ATurbineThatCannotDriveFails) {
  struct Weak {
    double T4, far, offtake;
  };
  for (const Weak w : {Weak{700, 0, 0}, Weak{0, 1e-4, 0}, Weak{1400, 0, 7e6}}) {
    test::RecordingHandler rec;
    TurbojetInput in;
    if (w.far > 0)
      in.far = w.far;
    else
      in.T4 = w.T4;
    in.offtake = w.offtake;
    TurbojetResult r;
    EXPECT_FALSE(DesignTurbojet(in, MakeFuel("avtur", {}, {}, {}, {}), r));
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text.rfind("The turbine cannot drive the compressor", 0), 0u) << rec.messages[0].Text;
  }
}

TEST(Turbojet, FuelAirRatioGivenInsteadOfTemperature) {
  const Fuel fuel = MakeFuel("avtur", {}, {}, {}, {});
  TurbojetInput in;
  TurbojetResult byT;
  ASSERT_TRUE(DesignTurbojet(in, fuel, byT));
  in.far = byT.stations[3].gas.FARat;
  TurbojetResult byFar;
  ASSERT_TRUE(DesignTurbojet(in, fuel, byFar));
  EXPECT_NEAR(byFar.stations[3].gas.Tt, in.T4, 1e-4);
  EXPECT_NEAR(byFar.FN / byT.FN, 1.0, 1e-7);
}

TEST(Turbojet, UserFuelFromFormationEnthalpyMatchesTheTable) {
  // Kerosene described by its formation enthalpy gives the table fuel's heating value.
  const Fuel table = MakeFuel("avtur", {}, {}, {}, {});
  const Fuel user = MakeFuel("user", 1.9167, 0.0, {}, table.formation);
  EXPECT_NEAR(user.LHV, table.LHV, 1e-6);
  EXPECT_THROW(MakeFuel("user", {}, {}, 43e6, {}), std::invalid_argument);
  EXPECT_THROW(MakeFuel("kerosine", {}, {}, {}, {}), std::invalid_argument);
}

// The fuel's sensible enthalpy follows the specific heat of its own record: a
// liquid's rises with temperature, a gas's is that of its species.
TEST(Turbojet, FuelSensibleEnthalpyFollowsItsRecord) {
  const double dT = 400.0 - 298.15;
  const Fuel avtur = MakeFuel("avtur", {}, {}, {}, {});
  EXPECT_EQ(FuelSensibleEnthalpy(avtur, 298.15), 0.0);
  const double liquid = FuelSensibleEnthalpy(avtur, 400.0);
  EXPECT_GT(liquid, avtur.Cp * dT);
  EXPECT_LT(liquid, 1.15 * avtur.Cp * dT);
  const Fuel methane = MakeFuel("natgas", {}, {}, {}, {});
  TGasComposition ch4{};
  ch4[gtCH4] = 1.0;
  EXPECT_NEAR(FuelSensibleEnthalpy(methane, 400.0) / (FH(400.0, ch4) - FH(298.15, ch4)), 1.0, 1e-3);
  // A user fuel keeps its constant specific heat.
  const Fuel user = MakeFuel("user", 2.0, 0.0, 43e6, {});
  EXPECT_NEAR(FuelSensibleEnthalpy(user, 400.0), user.Cp * dT, 1e-9);
}

// Preheated fuel brings its sensible enthalpy into the burner: at the same exit
// temperature the fuel flow falls by that enthalpy over the heat the fuel releases.
TEST(Turbojet, PreheatedFuelSavesItsSensibleEnthalpy) {
  const Fuel fuel = MakeFuel("avtur", {}, {}, {}, {});
  TurbojetInput in;
  TurbojetResult cold, hot;
  ASSERT_TRUE(DesignTurbojet(in, fuel, cold));
  in.Tfuel = 400.0;
  ASSERT_TRUE(DesignTurbojet(in, fuel, hot));
  const double saving = 1.0 - hot.Wf / cold.Wf;
  EXPECT_NEAR(saving / (FuelSensibleEnthalpy(fuel, 400.0) / fuel.LHV), 1.0, 0.1);
}

TEST(Turbojet, AnUnreachableTemperatureFailsWithAMessage) {
  // Burner exit below the compressor exit temperature: no fuel-air ratio reaches it.
  test::RecordingHandler rec;
  TurbojetInput in;
  in.PR = 30;
  in.T4 = 600;
  TurbojetResult r;
  EXPECT_FALSE(DesignTurbojet(in, MakeFuel("avtur", {}, {}, {}, {}), r));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_NE(rec.messages[0].Text.find("T4 = 600 K is not above the inlet temperature T3 = 819.285 K"),
            std::string::npos)
      << rec.messages[0].Text;
}

// Recorded design points (values of `vyr cycle turbojet --json`): the layer
// gives them again to 1E-12. Recorded again when the nozzle's throat became the
// isentropic (sonic when choked) state, the velocity coefficient acting on the
// jet alone: the pressure term of a choked convergent nozzle acts over the
// sonic throat's area, and A8 is that area.
struct Recorded {
  const char* name;
  TurbojetInput in;
  const char* fuel;
  double FN, Wf, W, Pt5, Tt5, powerT, A8, A9;
};
void PrintTo(const Recorded& c, std::ostream* os) { *os << c.name; }

TurbojetInput Modified(void (*change)(TurbojetInput&)) {
  TurbojetInput in;
  change(in);
  return in;
}

class TurbojetRecorded : public testing::TestWithParam<Recorded> {};

TEST_P(TurbojetRecorded, Reproduced) {
  const Recorded& c = GetParam();
  test::RecordingHandler rec;
  const bool user = std::string(c.fuel) == "user";
  const Fuel fuel = user ? MakeFuel("user", 1.94, {}, 42.8e6, {}) : MakeFuel(c.fuel, {}, {}, {}, {});
  TurbojetResult r;
  ASSERT_TRUE(DesignTurbojet(c.in, fuel, r));
  const TGasconditions& s5 = r.stations[4].gas;
  const std::pair<double, double> pairs[] = {{r.FN, c.FN},          {r.Wf, c.Wf},         {r.stations[0].gas.W, c.W},
                                             {s5.Pt, c.Pt5},        {s5.Tt, c.Tt5},       {r.powerT, c.powerT},
                                             {r.A8, c.A8},          {r.A9, c.A9}};
  for (const auto& [got, recorded] : pairs) EXPECT_NEAR(got / recorded, 1.0, 1e-12) << got << " vs " << recorded;
}

INSTANTIATE_TEST_SUITE_P(
    Points, TurbojetRecorded,
    testing::Values(
        Recorded{"defaults", TurbojetInput{}, "avtur", 16769.879415158146, 0.4594757293915691, 20.0,
                 354734.9251321044, 1146.7124727051716, 6388926.2617393425, 0.049375373451366306,
                 0.049375373451366306},
        Recorded{"thrust_target",
                 Modified([](TurbojetInput& i) { i.thrust = 30000.0, i.altitude = 5000, i.mach = 0.5; }), "avtur",
                 30000.0, 0.9720039008133011, 40.485235252850124, 241984.42267298538, 1164.7490850462611,
                 12059084.494193368, 0.14788875664574086, 0.14788875664574086},
        Recorded{"polytropic",
                 Modified([](TurbojetInput& i) {
                   i.polytropicC = i.polytropicT = true;
                   i.effC = i.effT = 0.9;
                 }),
                 "avtur", 17071.50092927966, 0.46220542225918837, 20.0, 374573.74836726143, 1151.2218380456952,
                 6279307.802461383, 0.046863165496335644, 0.046863165496335644},
        Recorded{"cd_nozzle_cruise",
                 Modified([](TurbojetInput& i) {
                   i.nozzle = Nozzle::ConvergentDivergent, i.altitude = 11000, i.mach = 0.8, i.PR = 15;
                 }),
                 "avtur", 15638.183455954484, 0.47113563915635426, 20.0, 168482.00889154276, 1130.2572955210376,
                 6807088.240307712, 0.1032493570103625, 0.1841807041127987},
        Recorded{"far_given", Modified([](TurbojetInput& i) { i.far = 0.02, i.PR = 12; }), "avtur",
                 15913.269190081744, 0.4, 20.0, 350802.92775716004, 1048.0948390471021, 7093266.324898058,
                 0.047482364634202634, 0.047482364634202634},
        Recorded{"offtake_altitude",
                 Modified([](TurbojetInput& i) {
                   i.offtake = 2e5, i.altitude = 3000, i.mach = 0.5, i.effMech = 0.97;
                 }),
                 "avtur", 14063.18417778558, 0.46583391360988324, 20.0, 281141.38942249777, 1138.7589376249894,
                 6591645.637702273, 0.06209784022389533, 0.06209784022389533},
        Recorded{"hydrogen_cd_offtake",
                 Modified([](TurbojetInput& i) {
                   i.altitude = 8000, i.mach = 0.9, i.PR = 20, i.nozzle = Nozzle::ConvergentDivergent,
                   i.offtake = 1e5;
                 }),
                 "hydrogen", 14306.65172072315, 0.15069692570250948, 20.0, 276879.5403062168, 1049.7052057936928,
                 8934873.22814799, 0.060764885760130206, 0.11029061099017518},
        Recorded{"user_fuel_preheated", Modified([](TurbojetInput& i) { i.T4 = 1500, i.Tfuel = 350; }), "user",
                 18003.421133677715, 0.5273706680698494, 20.0, 383832.79047274997, 1252.0930119633092,
                 6388926.261739394, 0.04795804013502077, 0.04795804013502077}),
    [](const testing::TestParamInfo<Recorded>& i) { return std::string(i.param.name); });

// The tables of a two-spool, two-nozzle engine: a row per station, machine and
// nozzle, named; the turbojet's keep their single unnamed nozzle row.
TEST(EngineTables, ARowPerComponentWithItsName) {
  test::RecordingHandler rec;
  engine::TEngineState s;
  ASSERT_TRUE(test::Turbofan().Run(s)) << s.error;
  Report report;
  ASSERT_TRUE(EngineStateTables(s, report, usSI));
  ASSERT_EQ(report.tables.size(), 4u);
  const Table &stations = report.tables[0], &machines = report.tables[2], &nozzles = report.tables[3];
  EXPECT_EQ(stations.rows.size(), s.stations.size());
  EXPECT_EQ(std::get<std::string>(stations.rows.front()[0]), "0");
  EXPECT_EQ(std::get<std::string>(stations.rows.back()[0]), "45");
  std::vector<std::string> names;
  for (const Row& r : machines.rows) names.push_back(std::get<std::string>(r[0]));
  EXPECT_EQ(names, (std::vector<std::string>{"fan", "booster", "HP compressor", "HP turbine", "LP turbine"}));
  ASSERT_EQ(nozzles.rows.size(), 2u);
  EXPECT_EQ(nozzles.columns[0].key, "nozzle");
  EXPECT_EQ(std::get<std::string>(nozzles.rows[1][0]), "bypass nozzle");
  EXPECT_TRUE(rec.messages.empty());

  TurbojetResult r;
  engine::TEngineState jet;
  ASSERT_TRUE(DesignTurbojet(TurbojetInput{}, MakeFuel("avtur", {}, {}, {}, {}), r, &jet));
  ASSERT_TRUE(EngineStateTables(jet, report, usSI));
  EXPECT_EQ(report.tables[3].columns[0].key, "A8");
  EXPECT_EQ(report.tables[3].rows.size(), 1u);
}

}  // namespace
}  // namespace vyr::cli
