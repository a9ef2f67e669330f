// The high-bypass turbofan built from the engine layer's components: its
// design point obeys the conservation laws to the gas iterations' tolerance.
#include <gtest/gtest.h>

#include "Turbofan.h"
#include "common/RecordingHandler.h"

namespace vyr::test {
namespace {

using engine::TEngineState;

constexpr double kTol = 1e-6;  // relative; the gas iterations' tolerance factor

class TurbofanDesign : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    RecordingHandler rec;
    state_ = new TEngineState;
    ran_ = Turbofan().Run(*state_);
    messages_ = rec.messages.size();
  }
  static void TearDownTestSuite() {
    delete state_;
    state_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(ran_) << state_->failedComponent << ": " << state_->error;
    ASSERT_EQ(messages_, 0u);
  }
  static const TGasconditions& G(int station) { return state_->stations.at(station).gas; }
  static double W(int station) { return G(station).W; }
  static double Wf() { return state_->performance.Wf; }
  // Enthalpy flux W H of a station [W].
  static double Flux(int station) { return G(station).W * G(station).H; }

  static TEngineState* state_;
  static bool ran_;
  static std::size_t messages_;
};
TEngineState* TurbofanDesign::state_ = nullptr;
bool TurbofanDesign::ran_ = false;
std::size_t TurbofanDesign::messages_ = 0;

TEST_F(TurbofanDesign, MassIsConservedAtEveryStation) {
  const double W25 = W(kHpcIn);
  struct Balance {
    const char* what;
    double in, out;
  };
  const Balance balances[] = {
      {"ambient to engine face", W(kAmb), W(kFace)},
      {"split into bypass and core", W(kFace), W(kBypass) + W(kCore)},
      {"bypass ratio", kBPR * W(kCore), W(kBypass)},
      {"booster", W(kCore), W(kBoosterOut)},
      {"HP compressor inlet", W(kBoosterOut), W25},
      {"HP compressor less its cooling air", W25 * (1 - kStatorCooling - kExitCooling), W(kHpcOut)},
      {"burner adds the fuel", W(kHpcOut) + Wf(), W(kBurnerOut)},
      {"stator cooling joins", W(kBurnerOut) + kStatorCooling * W25, W(kRotorIn)},
      {"HP rotor", W(kRotorIn), W(kHptRotorOut)},
      {"exit cooling joins", W(kHptRotorOut) + kExitCooling * W25, W(kHptOut)},
      {"LP turbine", W(kLptIn), W(kLptOut)},
      {"core nozzle", W(kCoreNozzleIn), W(kCoreExit)},
      {"bypass nozzle", W(kBypass), W(kBypassExit)},
      {"air and fuel leave", W(kFace) + Wf(), W(kCoreExit) + W(kBypassExit)},
      {"fuel at the core exit", Wf(), W(kCoreExit) * G(kCoreExit).FARat / (1 + G(kCoreExit).FARat)},
  };
  for (const Balance& b : balances) EXPECT_NEAR(b.out / b.in, 1.0, 1e-12) << b.what;
  EXPECT_NEAR(W(kFace), kW2, 1e-9 * kW2);
}

// Each shaft: what its turbine takes from the gas (station enthalpies) drives
// what its compressors give to it, cooling air taken at the HP exit included.
TEST_F(TurbofanDesign, ShaftsAreBalanced) {
  const double hpTurbine = W(kRotorIn) * (G(kRotorIn).H - G(kHptRotorOut).H);
  const double hpCompressor = W(kHpcIn) * (G(kHpcOut).H - G(kHpcIn).H);
  EXPECT_NEAR(hpTurbine / hpCompressor, 1.0, kTol);
  const double lpTurbine = W(kLptIn) * (G(kLptIn).H - G(kLptOut).H);
  const double fanAndBooster =
      W(kFace) * (G(kBypass).H - G(kFace).H) + W(kBoosterIn) * (G(kBoosterOut).H - G(kBoosterIn).H);
  EXPECT_NEAR(lpTurbine / fanAndBooster, 1.0, kTol);
  for (const auto& [n, shaft] : state_->shafts) EXPECT_NEAR(shaft.Excess() / shaft.absorbed, 0.0, kTol) << n;
}

// Energy: the burner turns the fuel's heat (less the unburnt part) into gas
// enthalpy; the engine as a whole is adiabatic with balanced shafts, so what the
// nozzles carry out is what air and fuel bring in.
TEST_F(TurbofanDesign, EnergyIsConserved) {
  const engine::TFuel fuel = engine::UserFuel(1.94, 0.0, 18400 * kBtuPerLbm);
  const double fuelIn = Wf() * (engine::FuelEnthalpy(fuel, 298.15) - (1 - 0.994) * fuel.LHV);
  const double heat = Wf() * fuel.LHV;
  EXPECT_NEAR((Flux(kHpcOut) + fuelIn - Flux(kBurnerOut)) / heat, 0.0, kTol);
  EXPECT_NEAR((Flux(kFace) + fuelIn - Flux(kCoreExit) - Flux(kBypassExit)) / heat, 0.0, kTol);
  // Mixing the cooling air conserves enthalpy: cooler at 41 than at 4, and
  // the exit cooling lowers 43 to 44.
  EXPECT_LT(G(kRotorIn).Tt, G(kBurnerOut).Tt);
  EXPECT_LT(G(kHptOut).Tt, G(kHptRotorOut).Tt);
}

// Thrust: each nozzle's momentum and pressure thrust, less the ram drag (none
// at static conditions), and the fuel consumption that goes with it.
TEST_F(TurbofanDesign, ThrustFromTheJets) {
  const engine::TPerformance& p = state_->performance;
  ASSERT_EQ(p.nozzles.size(), 2u);
  double FG = 0.0;
  for (const engine::TNozzleResult& z : p.nozzles) {
    const TGasconditions& exit = G(z.exitStation);
    FG += exit.W * exit.V + (exit.Ps - state_->ambient.Ps) * exit.A;
  }
  EXPECT_NEAR(p.FG / FG, 1.0, 1e-12);
  EXPECT_EQ(p.ramDrag, 0.0);
  EXPECT_EQ(p.FN, p.FG);
  EXPECT_NEAR(p.TSFC * p.FN / Wf(), 1.0, 1e-12);
  EXPECT_EQ(p.machines.size(), 5u);
}

}  // namespace
}  // namespace vyr::test
