// Design point of a turbojet, as the vyr program computes it.
#include <benchmark/benchmark.h>

#include "Turbojet.h"

namespace {

using namespace vyr::cli;

void BM_TurbojetDesignPoint(benchmark::State& st) {
  TurbojetInput in;
  in.altitude = 11000;
  in.mach = 0.8;
  in.PR = 15;
  if (st.range(0) == 1) in.thrust = 40000.0;
  st.SetLabel(st.range(0) == 1 ? "thrust target" : "air flow given");
  const Fuel fuel = MakeFuel("avtur", {}, {}, {}, {});
  TurbojetResult r;
  for (auto _ : st) {
    benchmark::DoNotOptimize(DesignTurbojet(in, fuel, r));
    benchmark::DoNotOptimize(r.FN);
  }
}
BENCHMARK(BM_TurbojetDesignPoint)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
