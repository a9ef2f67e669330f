// Map lookups, the inner loop of an off-design point (hundreds per point), and
// reading a map file.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Maps.h"

namespace {

using namespace vyr::engine;

const std::string kAxi5 = std::string(VYR_MAPS_DIR) + "/AXI5.map";
const std::string kLpt = std::string(VYR_MAPS_DIR) + "/LPT2269.map";

// Points spread over [lo, hi] in both coordinates, so the interval search does
// not see the same cell every time.
std::vector<std::pair<double, double>> Points(double n0, double n1, double x0, double x1) {
  std::vector<std::pair<double, double>> pts;
  for (int i = 0; i < 37; ++i)
    for (int j = 0; j < 29; ++j) pts.emplace_back(n0 + (n1 - n0) * i / 36.0, x0 + (x1 - x0) * j / 28.0);
  return pts;
}

template <class Map>
void Lookups(benchmark::State& st, const Map& map, const std::vector<std::pair<double, double>>& pts) {
  TMapPoint p;
  std::string error;
  std::size_t k = 0;
  for (auto _ : st) {
    const auto& [N, x] = pts[k];
    if (++k == pts.size()) k = 0;
    if (!map.Lookup(N, x, p, error)) st.SkipWithError(error.c_str());
    benchmark::DoNotOptimize(p);
  }
}

void BM_MapCompressorLookup(benchmark::State& st) {
  TCompressorMap m;
  std::string error;
  if (!TCompressorMap::Read(kAxi5, m, error)) return st.SkipWithError(error.c_str());
  m.alpha = st.range(0);  // 0: one plane; 45: blend of the two planes
  Lookups(st, m, Points(0.4, 1.1, 1.0, 2.6));
}
BENCHMARK(BM_MapCompressorLookup)->Arg(0)->Arg(45);

void BM_MapCompressorExtrapolated(benchmark::State& st) {
  TCompressorMap m;
  std::string error;
  if (!TCompressorMap::Read(kAxi5, m, error)) return st.SkipWithError(error.c_str());
  Lookups(st, m, Points(1.1, 1.15, 2.6, 2.8));
}
BENCHMARK(BM_MapCompressorExtrapolated);

void BM_MapTurbineLookup(benchmark::State& st) {
  TTurbineMap m;
  std::string error;
  if (!TTurbineMap::Read(kLpt, m, error)) return st.SkipWithError(error.c_str());
  Lookups(st, m, Points(60.0, 120.0, 3.0, 8.0));
}
BENCHMARK(BM_MapTurbineLookup);

void BM_MapReadCompressor(benchmark::State& st) {
  TCompressorMap m;
  std::string error;
  for (auto _ : st)
    if (!TCompressorMap::Read(kAxi5, m, error)) st.SkipWithError(error.c_str());
}
BENCHMARK(BM_MapReadCompressor);

}  // namespace
