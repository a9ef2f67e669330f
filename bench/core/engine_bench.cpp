// Design points on the engine layer: a single-spool turbojet at cruise with
// the air flow given, and the two-spool separate-flow turbofan.
#include <benchmark/benchmark.h>

#include "Engine.h"
#include "engine/Turbofan.h"

namespace {

using namespace vyr::engine;

// Turbojet at 11 km, Mach 0.8, pressure ratio 15, burner exit 1400 K.
TEngine Turbojet() {
  TEngine e;
  auto& amb = e.Add<TAmbient>("ambient");
  amb.altitude = 11000;
  amb.mach = 0.8;
  e.Add<TShaftComponent>("shaft").effMech = 0.99;
  e.Add<TInlet>("inlet");
  e.Add<TCompressor>("compressor").PR = 15;
  e.Add<TBurner>("burner").fuel = TableFuel(vyr::ftAvtur);
  e.Add<TTurbine>("turbine");
  e.Add<TNozzle>("nozzle");
  return e;
}

void BM_EngineTurbojet(benchmark::State& st) {
  const TEngine e = Turbojet();
  TEngineState s;
  for (auto _ : st) {
    benchmark::DoNotOptimize(e.Run(s));
    benchmark::DoNotOptimize(s.performance.FN);
  }
  st.SetLabel("air flow given");
}
BENCHMARK(BM_EngineTurbojet)->Unit(benchmark::kMicrosecond);

// Building the engine's components as well, as a command does per point.
void BM_EngineTurbojetBuilt(benchmark::State& st) {
  TEngineState s;
  for (auto _ : st) {
    const TEngine e = Turbojet();
    benchmark::DoNotOptimize(e.Run(s));
  }
}
BENCHMARK(BM_EngineTurbojetBuilt)->Unit(benchmark::kMicrosecond);

void BM_EngineTurbofan(benchmark::State& st) {
  const TEngine e = vyr::test::Turbofan();
  TEngineState s;
  for (auto _ : st) benchmark::DoNotOptimize(e.Run(s));
  st.SetLabel("two shafts, cooling air, two nozzles");
}
BENCHMARK(BM_EngineTurbofan)->Unit(benchmark::kMicrosecond);

}  // namespace
