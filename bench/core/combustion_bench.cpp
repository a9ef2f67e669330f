// Equilibrium combustion, dissociation and equilibrium station conditions.
#include <benchmark/benchmark.h>

#include <string>

#include "VYRglobal.h"

namespace {

using namespace vyr;

// Kerosene (CH1.9167) in air at a fuel-air ratio of 0.03.
TGasComposition KeroseneAir() { return MixGasComposition(Air, CxHyOz, 1.0, 0.03); }

TGasComposition KeroseneProducts() {
  TGasComposition p;
  ProdfromReact(0.03, 1.0, 1.9167, 0, CxHyOz, Air, p);
  return p;
}

void BM_CombEquilibrium(benchmark::State& st) {
  const double tol = st.range(0) == 0 ? 1e-4 : 1e-6;
  st.SetLabel(st.range(0) == 0 ? "Tol 1e-4" : "Tol 1e-6");
  const TGasComposition r = KeroseneAir();
  TGasComposition mole, mass;
  std::string msg;
  int code;
  for (auto _ : st) {
    benchmark::DoNotOptimize(CombEquilibrium(2000.0, 20e5, 1.9167, 0, r, tol, mole, mass, false, msg, code));
    benchmark::DoNotOptimize(mass);
  }
}
BENCHMARK(BM_CombEquilibrium)->Arg(0)->Arg(1);

// A cool lean burner at altitude and low power: fuel-air ratio 0.003 at 530 K
// and 0.5 bar, where next to nothing dissociates.
void BM_CombEquilibriumCool(benchmark::State& st) {
  const TGasComposition r = MixGasComposition(Air, CxHyOz, 1.0, 0.003);
  TGasComposition mole, mass;
  std::string msg;
  int code;
  for (auto _ : st) {
    benchmark::DoNotOptimize(CombEquilibrium(530.0, 0.5e5, 1.9167, 0, r, 1e-6, mole, mass, false, msg, code));
    benchmark::DoNotOptimize(mass);
  }
}
BENCHMARK(BM_CombEquilibriumCool);

void BM_Dissociation(benchmark::State& st) {
  TGasconditions g = StandardAir;
  g.Ts = 2000.0;
  g.Ps = 20e5;
  const TGasComposition p = KeroseneProducts();
  std::string msg;
  int code;
  for (auto _ : st) {
    g.Composition = p;
    benchmark::DoNotOptimize(Dissociation(g, 1e-6, false, msg, code));
    benchmark::DoNotOptimize(g.Composition);
  }
}
BENCHMARK(BM_Dissociation);

void BM_SetEquilibriumConditions(benchmark::State& st) {
  TGasconditions g0 = StandardAir;
  g0.Composition = KeroseneProducts();
  g0.Tt = 2200.0;
  g0.Pt = 20e5;
  g0.W = 50.0;
  std::string msg;
  int code;
  for (auto _ : st) {
    TGasconditions g = g0;
    benchmark::DoNotOptimize(SetEquilibriumConditions("bench", cmDesign, 1e-4, ssoMach, 0.2, g, false, msg, code));
    benchmark::DoNotOptimize(g);
  }
}
BENCHMARK(BM_SetEquilibriumConditions);

}  // namespace
