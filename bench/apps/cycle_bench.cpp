// Design point of a turbojet, as the vyr program computes it, and a sweep of them.
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

// The sweep "--pr 4:40:4 --T4 1200:1600:100": 10 x 5 = 50 design points at sea level.
void BM_TurbojetSweep50(benchmark::State& st) {
  const Fuel fuel = MakeFuel("avtur", {}, {}, {}, {});
  TurbojetResult r;
  for (auto _ : st) {
    int ok = 0;
    for (int pr = 4; pr <= 40; pr += 4)
      for (int T4 = 1200; T4 <= 1600; T4 += 100) {
        TurbojetInput in;
        in.PR = pr;
        in.T4 = T4;
        ok += DesignTurbojet(in, fuel, r);
      }
    benchmark::DoNotOptimize(ok);
  }
  st.SetLabel("50 points");
}
BENCHMARK(BM_TurbojetSweep50)->Unit(benchmark::kMillisecond);

}  // namespace
