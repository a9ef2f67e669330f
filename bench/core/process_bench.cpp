// Transport properties, compression and expansion, static states and ducts.
#include <benchmark/benchmark.h>

#include "VYRglobal.h"
#include "gas/GasTestCompositions.h"

namespace {

using namespace vyr;

const TGasComposition kProducts = test::KeroseneProducts();
const TGasComposition& Mix(const benchmark::State& st) { return st.range(0) == 0 ? Air : kProducts; }
const char* MixName(const benchmark::State& st) { return st.range(0) == 0 ? "Air" : "Products"; }

constexpr double kTemps[] = {250.0, 420.0, 650.0, 900.0, 1100.0, 1400.0, 1750.0, 2100.0};

void BM_DynViscosity_Mu(benchmark::State& st) {
  const TGasComposition& y = Mix(st);
  st.SetLabel(MixName(st));
  std::size_t k = 0;
  for (auto _ : st) benchmark::DoNotOptimize(DynViscosity_Mu(kTemps[k++ & 7], y));
}
BENCHMARK(BM_DynViscosity_Mu)->Arg(0)->Arg(1);

void BM_ReynoldsNumberIndex(benchmark::State& st) {
  const TGasComposition& y = Mix(st);
  st.SetLabel(MixName(st));
  std::size_t k = 0;
  for (auto _ : st) benchmark::DoNotOptimize(ReynoldsNumberIndex(3e5, kTemps[k++ & 7], y));
}
BENCHMARK(BM_ReynoldsNumberIndex)->Arg(0)->Arg(1);

TGasconditions Inlet(double Pt, double Tt, const TGasComposition& y) {
  TGasconditions g{};
  g.Pt = Pt;
  g.Tt = Tt;
  g.Composition = y;
  g.H = FH(Tt, y);
  g.W = 20.0;
  return g;
}

void BM_Compression(benchmark::State& st) {
  const bool polytropic = st.range(0) != 0;
  st.SetLabel(polytropic ? "polytropic" : "isentropic");
  TGasconditions in = Inlet(1e5, 288.15, Air), out;
  const double pr[] = {1.6, 3.0, 8.0, 20.0};
  std::size_t k = 0;
  for (auto _ : st) {
    double eff = 0.86, effPoly = 0.9;
    benchmark::DoNotOptimize(Compression(in, pr[k++ & 3], 1e-5, polytropic, "bench", eff, effPoly, out));
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_Compression)->Arg(0)->Arg(1);

void BM_TurbineExpansion_PR(benchmark::State& st) {
  TGasconditions in = Inlet(20e5, 1500.0, kProducts), out;
  const double pr[] = {1.6, 2.5, 4.0, 6.0};
  std::size_t k = 0;
  for (auto _ : st) {
    double eff = 0.9, effPoly = 0.0;
    benchmark::DoNotOptimize(TurbineExpansion_PR(in, pr[k++ & 3], 1e-5, false, "bench", eff, effPoly, out));
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_TurbineExpansion_PR);

void BM_GetStatic(benchmark::State& st) {
  const bool choked = st.range(0) != 0;
  st.SetLabel(choked ? "choked" : "subsonic");
  double Ps, Ts, V, Astar, Mach;
  GetStaticfromM(1.0, 3e5, 900.0, 30.0, Air, 1e-6, Ps, Ts, V, Astar, "bench");
  const double A = choked ? 0.9 * Astar : 1.5 * Astar;
  for (auto _ : st) {
    benchmark::DoNotOptimize(GetStatic(30.0, 3e5, 900.0, A, Air, 1e-5, Ps, Ts, Mach, V, "bench"));
    benchmark::DoNotOptimize(Mach);
  }
}
BENCHMARK(BM_GetStatic)->Arg(0)->Arg(1);

void BM_GetStaticfromM(benchmark::State& st) {
  double Ps, Ts, V, A;
  const double mach[] = {0.2, 0.45, 0.7, 0.95};
  std::size_t k = 0;
  for (auto _ : st) {
    benchmark::DoNotOptimize(GetStaticfromM(mach[k++ & 3], 3e5, 900.0, 30.0, Air, 1e-5, Ps, Ts, V, A, "bench"));
    benchmark::DoNotOptimize(A);
  }
}
BENCHMARK(BM_GetStaticfromM);

void BM_ConvDuct_choked(benchmark::State& st) {
  const double Ht = FH(900.0, kProducts);
  double PsOut, Ts, Hs, Mach, V, W, Rho;
  for (auto _ : st) {
    benchmark::DoNotOptimize(
        ConvDuct(Ht, 3e5, 900.0, 1e5, 0.2, 0.98, kProducts, 1e-5, PsOut, Ts, Hs, Mach, V, W, Rho, "bench"));
    benchmark::DoNotOptimize(W);
  }
}
BENCHMARK(BM_ConvDuct_choked);

}  // namespace
