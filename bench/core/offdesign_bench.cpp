// Off-design points of the reference turbojet on its maps (AXI5, LPT2269),
// solved by Newton-Broyden on the engine layer: one point from the last
// converged one, and a 50-point operating line from 100 % to 40 % thrust.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

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

// A single point with nothing before it: the design state moved to the
// point's flight condition in corrected terms, at 8 km and 60 % speed.
void BM_OffDesignColdPoint(benchmark::State& st) {
  Sized e;
  TOffDesignResult r;
  int iterations = 0;
  for (auto _ : st) {
    e.od.Restart();
    if (!e.od.Run(e.s, {8000, 0, 0, TOffDesignControl::Speed, 0.6}, r)) st.SkipWithError(r.error.c_str());
    iterations += r.iterations;
  }
  st.counters["iterations"] = benchmark::Counter(iterations, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_OffDesignColdPoint)->Unit(benchmark::kMillisecond);

// A maximum-climb rating table: 14 altitudes (0 to 13 km) by 10 Mach numbers
// (0 to 0.9) at a burner-exit demand of 1500 K under five limits.
void BM_RatingTable14x10(benchmark::State& st) {
  Sized e;
  std::vector<TOffDesignLimit> limits;
  for (const char* text : {"T4<=1400K", "N1<=1.02", "Nc1<=1.05", "SM1>=0.10", "Pt3<=1.6MPa"}) {
    TOffDesignLimit l;
    std::string why;
    if (!ParseLimit(text, false, l, why)) std::abort();
    limits.push_back(l);
  }
  std::vector<TOffDesignPoint> table;
  for (int z = 0; z < 14; ++z)
    for (int m = 0; m < 10; ++m) {
      TOffDesignPoint p{1000.0 * z, 0.1 * m, 0, TOffDesignControl::ExitTemperature, 1500};
      p.limits = limits;
      table.push_back(p);
    }
  int failed = 0;
  for (auto _ : st) {
    e.od.Restart();
    for (const TOffDesignResult& r : e.od.Sweep(e.s, table)) failed += r.ok ? 0 : 1;
  }
  st.counters["failed"] = benchmark::Counter(failed, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RatingTable14x10)->Unit(benchmark::kMillisecond);

}  // namespace
