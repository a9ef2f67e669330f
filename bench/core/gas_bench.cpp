// Gas model hot paths on dry air and on kerosene combustion products.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "VYRglobal.h"
#include "gas/GasTestCompositions.h"

namespace {

using namespace vyr;

const TGasComposition kProducts = test::KeroseneProducts();

const TGasComposition& Mix(int which) { return which == 0 ? Air : kProducts; }
const char* MixName(int which) { return which == 0 ? "Air" : "Products"; }

// Temperatures spread over both polynomial intervals.
constexpr double kTemps[] = {250.0, 420.0, 650.0, 900.0, 1100.0, 1400.0, 1750.0, 2100.0};

void BM_FH(benchmark::State& st) {
  const TGasComposition& y = Mix(static_cast<int>(st.range(0)));
  st.SetLabel(MixName(static_cast<int>(st.range(0))));
  std::size_t k = 0;
  for (auto _ : st) benchmark::DoNotOptimize(FH(kTemps[k++ & 7], y));
}
BENCHMARK(BM_FH)->Arg(0)->Arg(1);

void BM_FCp(benchmark::State& st) {
  const TGasComposition& y = Mix(static_cast<int>(st.range(0)));
  st.SetLabel(MixName(static_cast<int>(st.range(0))));
  std::size_t k = 0;
  for (auto _ : st) benchmark::DoNotOptimize(FCp(kTemps[k++ & 7], y));
}
BENCHMARK(BM_FCp)->Arg(0)->Arg(1);

void BM_FS(benchmark::State& st) {
  const TGasComposition& y = Mix(static_cast<int>(st.range(0)));
  st.SetLabel(MixName(static_cast<int>(st.range(0))));
  std::size_t k = 0;
  for (auto _ : st) benchmark::DoNotOptimize(FS(kTemps[k++ & 7], 5.0e5, y));
}
BENCHMARK(BM_FS)->Arg(0)->Arg(1);

// The loop of vyrcomp.gas.H over an array: air enthalpy for 1,000,000
// temperatures from 200 K to 2000 K (bench/python/bench_gas.py times the
// Python call on the same temperatures).
void BM_FH_Air1e6(benchmark::State& st) {
  constexpr std::size_t n = 1000000;
  std::vector<double> T(n), H(n);
  for (std::size_t i = 0; i < n; ++i) T[i] = 200.0 + 1800.0 * static_cast<double>(i) / (n - 1);
  for (auto _ : st) {
    for (std::size_t i = 0; i < n; ++i) H[i] = FH(T[i], Air);
    benchmark::DoNotOptimize(H.data());
    benchmark::ClobberMemory();
  }
  st.SetItemsProcessed(static_cast<std::int64_t>(st.iterations() * n));
}
BENCHMARK(BM_FH_Air1e6)->Unit(benchmark::kMillisecond);

void BM_GetT(benchmark::State& st) {
  const TGasComposition& y = Mix(static_cast<int>(st.range(0)));
  st.SetLabel(MixName(static_cast<int>(st.range(0))));
  double H[8];
  for (int i = 0; i < 8; ++i) H[i] = FH(kTemps[i], y);
  std::size_t k = 0;
  double T = 0;
  for (auto _ : st) {
    benchmark::DoNotOptimize(GetT(H[k++ & 7], y, 1e-5, T, "bench"));
    benchmark::DoNotOptimize(T);
  }
}
BENCHMARK(BM_GetT)->Arg(0)->Arg(1);

void BM_GetTis(benchmark::State& st) {
  const TGasComposition& y = Mix(static_cast<int>(st.range(0)));
  st.SetLabel(MixName(static_cast<int>(st.range(0))));
  std::size_t k = 0;
  double Tis = 0;
  for (auto _ : st) {
    // Compression by 4 from a range of inlet states.
    benchmark::DoNotOptimize(GetTis(1.0e5, kTemps[k++ & 7], 4.0e5, y, 1e-5, Tis, "bench"));
    benchmark::DoNotOptimize(Tis);
  }
}
BENCHMARK(BM_GetTis)->Arg(0)->Arg(1);

void BM_GetPis(benchmark::State& st) {
  const TGasComposition& y = Mix(static_cast<int>(st.range(0)));
  st.SetLabel(MixName(static_cast<int>(st.range(0))));
  std::size_t k = 0;
  double P2 = 0;
  for (auto _ : st) {
    const double T1 = kTemps[k++ & 7];
    benchmark::DoNotOptimize(GetPis(1.0e5, T1, 1.5 * T1, y, 1e-5, P2, "bench"));
    benchmark::DoNotOptimize(P2);
  }
}
BENCHMARK(BM_GetPis)->Arg(0)->Arg(1);

}  // namespace
