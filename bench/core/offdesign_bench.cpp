// Off-design points of the reference turbojet on its maps (AXI5, LPT2269),
// solved by Newton-Broyden on the engine layer: one point from the last
// converged one, and a 50-point operating line from 100 % to 40 % thrust.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "OffDesign.h"
#include "engine/TurbojetMaps.h"

namespace {

using namespace vyr::engine;
using vyr::test::kLbf;
using vyr::test::TurbojetOnMaps;

struct Sized {
  TurbojetOnMaps t{VYR_EXAMPLES_DIR "/maps"};
  TEngineModel model{t.e};
  TOffDesign od{model};
  TEngineState s;
  Sized() {
    if (!t.error.empty() || !t.e.RunForThrust(s, 11800 * kLbf)) std::abort();
  }
};

TOffDesignPoint Thrust(double lbf) { return {0, 0, 0, TOffDesignControl::Thrust, lbf * kLbf}; }

// A point next to the last converged one (1 % thrust apart), as a sweep meets it.
void BM_OffDesignPointFromLast(benchmark::State& st) {
  Sized e;
  TOffDesignResult r;
  e.od.Run(e.s, Thrust(11000), r);
  bool high = false;
  int iterations = 0;
  for (auto _ : st) {
    high = !high;
    if (!e.od.Run(e.s, Thrust(high ? 11110 : 11000), r)) st.SkipWithError(r.error.c_str());
    iterations += r.iterations;
  }
  st.counters["iterations"] = benchmark::Counter(iterations, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OffDesignPointFromLast)->Unit(benchmark::kMicrosecond);

// The operating line: 50 points from 11,800 lbf down to 40 %, from the design point.
void BM_OffDesignOperatingLine50(benchmark::State& st) {
  Sized e;
  std::vector<TOffDesignPoint> line;
  for (int k = 0; k < 50; ++k) line.push_back(Thrust(11800 * (1.0 - 0.6 * k / 49.0)));
  for (auto _ : st) {
    e.od.Restart();
    const std::vector<TOffDesignResult> rs = e.od.Sweep(e.s, line);
    for (const TOffDesignResult& r : rs)
      if (!r.ok) st.SkipWithError(r.error.c_str());
  }
}
BENCHMARK(BM_OffDesignOperatingLine50)->Unit(benchmark::kMillisecond);

}  // namespace
