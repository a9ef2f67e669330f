// Components refuse what physics forbids: each failure names its component,
// says why in its own text, and nothing reaches the message handler (the
// caller decides how to show it).
#include <gtest/gtest.h>

#include <functional>

#include "Engine.h"
#include "common/RecordingHandler.h"
#include "engine/Turbofan.h"
#include "engine/Turbojet.h"

namespace vyr::test {
namespace {

using namespace engine;

struct Failure {
  const char* name;
  std::function<void(Turbojet&)> change;
  const char* component;  ///< the component that fails
  const char* text;       ///< part of its failure text
};
void PrintTo(const Failure& f, std::ostream* os) { *os << f.name; }

class ComponentFailures : public testing::TestWithParam<Failure> {};

TEST_P(ComponentFailures, NameTheComponentAndTheReason) {
  const Failure& f = GetParam();
  Turbojet t;
  f.change(t);
  RecordingHandler rec;
  TEngineState s;
  EXPECT_FALSE(t.e.Run(s));
  EXPECT_EQ(s.failedComponent, f.component);
  EXPECT_NE(s.error.find(f.text), std::string::npos) << s.error;
  ASSERT_FALSE(s.messages.empty());
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(ActiveEngineState(), nullptr);
  // The caller shows them as the library would have.
  ShowMessages(s);
  EXPECT_EQ(rec.messages.size(), s.messages.size());
}

template <class C>
C& Insert(TEngine& e, std::size_t at, const char* name) {
  auto c = std::make_unique<C>(name);
  C& ref = *c;
  e.components.insert(e.components.begin() + static_cast<std::ptrdiff_t>(at), std::move(c));
  return ref;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ComponentFailures,
    testing::Values(
        Failure{"TurbineTooColdForItsCompressor", [](Turbojet& t) { t.burner->Tt = 700; }, "turbine",
                "The turbine cannot drive the compressor at T4 = 700 K"},
        Failure{"OfftakeBeyondTheTurbine", [](Turbojet& t) {
                  static_cast<TShaftComponent&>(*t.e.components[1]).offtake = 7e6;
                }, "turbine", "cannot drive the compressor and the offtake"},
        Failure{"TurbineOnAShaftWithoutCompressor", [](Turbojet& t) { t.turbine->shaft = 3; }, "turbine",
                "drives shaft 3, on which no compressor"},
        Failure{"CompressorAfterItsTurbine",
                [](Turbojet& t) {
                  auto& late = Insert<TCompressor>(t.e, 6, "late compressor");
                  late.inStation = 5, late.outStation = 6, late.PR = 1.2;
                  t.nozzle->inStation = 6;
                },
                "performance", "Shaft 1 is not balanced"},
        Failure{"BurnerTemperatureBelowItsInlet", [](Turbojet& t) { t.comp->PR = 30, t.burner->Tt = 600; }, "burner",
                "exit temperature T4 = 600 K is not above the inlet temperature T3 = 8"},
        Failure{"BurnerAfterABurner",
                [](Turbojet& t) {
                  auto& second = Insert<TBurner>(t.e, 5, "reheat");
                  second.inStation = second.outStation = 4;
                  second.fuel = TableFuel(ftAvtur);
                },
                "reheat", "takes air only"},
        Failure{"AltitudeAboveTheAtmosphere", [](Turbojet& t) { t.amb->altitude = 90000; }, "ambient",
                "Cannot calculate atmosphere above 80 km"},
        Failure{"AmbientBelowTheGasModel", [](Turbojet& t) { t.amb->dT = -300; }, "ambient",
                "The ambient static temperature -11.85 K"},
        Failure{"NoFlowIntoTheNozzle", [](Turbojet& t) { t.nozzle->inStation = 7; }, "nozzle",
                "station 7 has no flow yet"},
        Failure{"NozzleFlowBelowAmbientPressure",
                [](Turbojet& t) {
                  t.e.components.resize(3);  // ambient, shaft, inlet
                  t.e.Add<TNozzle>("nozzle").inStation = 2;
                },
                "nozzle", "cannot pass"},
        Failure{"JetSlowerThanTheFlight",
                [](Turbojet& t) {
                  t.e.components.resize(3);
                  t.amb->mach = 0.8;
                  auto& n = t.e.Add<TNozzle>("nozzle");
                  n.inStation = 2, n.CV = 0.5;
                },
                "performance", "The net thrust is"},
        Failure{"BleedsTakeAllTheFlow", [](Turbojet& t) { t.comp->bleeds = {{"a", 0.6, 1.0}, {"b", 0.4, 1.0}}; },
                "compressor", "nothing would leave the compressor"},
        Failure{"CoolingFromAnUnknownBleed", [](Turbojet& t) { t.turbine->cooling = {{"missing", true}}; },
                "turbine", "no bleed named \"missing\""},
        Failure{"BleedTakenInTwice",
                [](Turbojet& t) {
                  t.comp->bleeds = {{"cooling", 0.05, 1.0}};
                  t.turbine->cooling = {{"cooling", true}, {"cooling", false}};
                },
                "turbine", "is taken in by turbine already"},
        Failure{"EfficiencyAboveOne", [](Turbojet& t) { t.comp->eff = 1.2; }, "compressor",
                "efficiency 1.2 outside 0 to 1"},
        Failure{"GivenStaticPressureNotPositive",
                [](Turbojet& t) { t.amb->givenStatic = true, t.amb->Ps = 0; }, "ambient",
                "ambient static pressure 0 Pa is not positive"},
        Failure{"NoAirFlow", [](Turbojet& t) { t.inlet->W = 0; }, "inlet", "air flow 0 kg/s is not positive"},
        Failure{"FaceStaticBelowTheTables", [](Turbojet& t) { t.amb->altitude = 11000, t.amb->dT = -15; },
                "compressor", "static temperature at station 2, 192.018 K, lies below the 200 K"},
        Failure{"FaceMachAboveOne", [](Turbojet& t) { t.comp->inMach = 1.2; }, "compressor",
                "face and exit Mach numbers 1.2 and 0.3 must lie between 0 and 1"},
        Failure{"DischargeCoefficientAboveOne", [](Turbojet& t) { t.nozzle->CD = 1.2; }, "nozzle",
                "discharge coefficient 1.2 outside 0 to 1"}),
    [](const testing::TestParamInfo<Failure>& i) { return std::string(i.param.name); });

// A thrust target no air flow meets is refused, not approximated.
TEST(EngineRun, ThrustTargetNeedsAPositiveThrust) {
  Turbojet t;
  TEngineState s;
  EXPECT_FALSE(t.e.RunForThrust(s, -1.0));
  EXPECT_NE(s.error.find("No air flow gives a net thrust of -1 N"), std::string::npos) << s.error;
  EXPECT_TRUE(t.e.RunForThrust(s, 25000.0));
  EXPECT_NEAR(s.performance.FN / 25000.0, 1.0, 1e-9);
}

// The run's state is reachable through ActiveEngineState only while it runs.
TEST(EngineRun, StateIsActiveDuringTheRunOnly) {
  struct Probe : TComponent {
    using TComponent::TComponent;
    const TEngineState* seen = nullptr;
    bool Design(TEngineState&) override {
      seen = ActiveEngineState();
      return true;
    }
  };
  Turbojet t;
  auto& probe = t.e.Add<Probe>("probe");
  TEngineState s;
  EXPECT_EQ(ActiveEngineState(), nullptr);
  ASSERT_TRUE(t.e.Run(s));
  EXPECT_EQ(probe.seen, &s);
  EXPECT_EQ(ActiveEngineState(), nullptr);
  // Stations come out by number, as ARP755 orders the gas path.
  std::vector<int> numbers;
  for (const auto& [n, st] : s.stations) numbers.push_back(n);
  EXPECT_EQ(numbers, (std::vector<int>{0, 2, 3, 4, 5, 8, 9}));
}

// A lean burner at 1400 K barely dissociates: complete-combustion products need
// within a few parts per thousand the fuel of equilibrium products, and each
// closes its own energy balance.
TEST(EngineRun, CompleteProductsNearEquilibriumWhenLean) {
  double far[2];
  for (const TProducts p : {TProducts::Equilibrium, TProducts::Complete}) {
    Turbojet t;
    t.burner->products = p;
    TEngineState s;
    ASSERT_TRUE(t.e.Run(s)) << s.error;
    const TGasconditions &in = s.stations.at(3).gas, &out = s.stations.at(4).gas;
    double residual = 0.0;
    ASSERT_TRUE(BurnerResidual(t.burner->fuel, out.FARat, in.Tt, t.burner->Tfuel, t.burner->eff, out.Tt, out.Pt,
                               residual, p));
    EXPECT_NEAR(residual / (out.FARat * t.burner->fuel.LHV), 0.0, 1e-6);
    far[p == TProducts::Complete] = out.FARat;
  }
  EXPECT_NEAR(far[1] / far[0], 1.0, 5e-3);
}

// Ambient from given statics: the standard sea-level day given as Ps and Ts is
// the standard atmosphere at zero altitude.
TEST(EngineRun, GivenStaticsEqualTheStandardDay) {
  TEngineState standard, given;
  Turbojet a, b;
  a.amb->mach = b.amb->mach = 0.6;
  b.amb->givenStatic = true;
  b.amb->Ps = 101325.0;
  b.amb->Ts = 288.15;
  ASSERT_TRUE(a.e.Run(standard)) << standard.error;
  ASSERT_TRUE(b.e.Run(given)) << given.error;
  EXPECT_NEAR(given.V0 / standard.V0, 1.0, 1e-12);
  EXPECT_NEAR(given.performance.FN / standard.performance.FN, 1.0, 1e-12);
}

}  // namespace
}  // namespace vyr::test
