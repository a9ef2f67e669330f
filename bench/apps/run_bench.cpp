// The host of "vyr run": the hook calls of one design point over a model of
// components whose hooks do nothing (the base component form), so that what is
// measured is the host's own cost per point; loading such a model; the
// off-design operating line of the reference turbojet on maps through the
// host's forms beside the same line on the engine layer alone (the host's
// cost per point is their ratio, measured in one run); and the whole program
// on the example turbojets when those models exist.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "EngineState.h"
#include "ModelHost.h"
#include "OffDesign.h"
#include "QtBenchApp.h"
#include "engine/TurbojetMaps.h"

namespace {

// A chain of n base-form components linked outlet to inlet, stations 1, 2, ...
std::string ChainModel(int n) {
  std::string comps;
  for (int i = 0; i < n; ++i) {
    const std::string id = "C" + std::to_string(i + 1);
    std::string links;
    if (i > 0)
      links += "<Link ID=\"In1\"><Ltype>ltIn1</Ltype><Left>0</Left><Top>30</Top><Station>" + std::to_string(i) +
               "</Station></Link>";
    if (i + 1 < n)
      links += "<Link ID=\"Out1\"><Ltype>ltOut1</Ltype><Left>60</Left><Top>30</Top><Station>" +
               std::to_string(i + 1) + "</Station></Link>";
    comps += "<TVYRcomp ID=\"" + id + "\" FormClassName=\"TVYRcompform\" Name=\"" + id + "\" Nr=\"" +
             std::to_string(i + 1) + "\"><Icon><Left>" + std::to_string(60 * i) +
             "</Left><Top>0</Top><Width>70</Width><Height>70</Height>" + links + "</Icon></TVYRcomp>";
  }
  return "<Model><BaseCfg><Components>" + comps + "</Components></BaseCfg></Model>";
}

// The design-point hooks (CalculationReset to OutputDataToArraysEnd) of a loaded model.
void BM_DesignPointHooks(benchmark::State& st) {
  vyr::bench::EnsureQtApp();
  vyr::run::TModelHost host;
  if (!host.LoadFromString(ChainModel(static_cast<int>(st.range(0))), "chain", "", "")) {
    st.SkipWithError("the model does not load");
    return;
  }
  vyr::engine::TEngineState state;
  vyr::engine::TActiveEngineState scope(state);
  if (host.StartSimulation() != vyr::run::TRunStatus::Ok) {
    st.SkipWithError("the simulation does not start");
    return;
  }
  for (auto _ : st) benchmark::DoNotOptimize(host.RunPoint());
  st.counters["components"] = static_cast<double>(st.range(0));
}
BENCHMARK(BM_DesignPointHooks)->Arg(8)->Arg(30)->Unit(benchmark::kMicrosecond);

// Load, link, check and order a model, then run all its hooks once.
void BM_LoadAndRun(benchmark::State& st) {
  vyr::bench::EnsureQtApp();
  const std::string model = ChainModel(static_cast<int>(st.range(0)));
  for (auto _ : st) {
    vyr::run::TModelHost host;
    vyr::engine::TEngineState state;
    if (!host.LoadFromString(model, "chain", "", "") || host.Run(state) != vyr::run::TRunStatus::Ok) {
      st.SkipWithError("the model does not run");
      return;
    }
  }
}
BENCHMARK(BM_LoadAndRun)->Arg(8)->Unit(benchmark::kMillisecond);

// The operating line of the reference turbojet: 50 thrust points from 11,800 lbf
// down to 40 %, each from the last converged one.
std::vector<vyr::engine::TOffDesignPoint> OperatingLine() {
  std::vector<vyr::engine::TOffDesignPoint> line;
  for (int k = 0; k < 50; ++k)
    line.push_back({0, 0, 0, vyr::engine::TOffDesignControl::Thrust, 11800 * vyr::test::kLbf * (1.0 - 0.6 * k / 49.0)});
  return line;
}

// Solver iterations of a sweep, all points.
int Iterations(const std::vector<vyr::engine::TOffDesignResult>& rs) {
  int n = 0;
  for (const auto& r : rs) n += r.iterations;
  return n;
}

// The line on the engine layer alone, from its design point (as bench_offdesign).
void BM_CoreOperatingLine50(benchmark::State& st) {
  using namespace vyr::engine;
  vyr::test::TurbojetOnMaps t(VYR_EXAMPLES_DIR "/maps");
  TEngineState s;
  if (!t.error.empty() || !t.e.RunForThrust(s, 11800 * vyr::test::kLbf)) {
    st.SkipWithError("the engine layer's turbojet does not size");
    return;
  }
  TEngineModel model(t.e);
  TOffDesign od(model);
  const std::vector<TOffDesignPoint> line = OperatingLine();
  int iterations = 0;
  for (auto _ : st) {
    od.Restart();
    const std::vector<TOffDesignResult> rs = od.Sweep(s, line);
    for (const TOffDesignResult& r : rs)
      if (!r.ok) st.SkipWithError(r.error.c_str());
    iterations = Iterations(rs);
  }
  st.counters["iterations"] = iterations;
  st.counters["per_point"] = benchmark::Counter(50.0 * st.iterations(), benchmark::Counter::kIsRate |
                                                                            benchmark::Counter::kInvert);
}
BENCHMARK(BM_CoreOperatingLine50)->Unit(benchmark::kMillisecond);

// The model file's forms, through the model host, in process: the gas-path
// component library loaded once, the model once; a run is the simulation
// start, the design point and the points (run 0: the design point alone; 1:
// the operating line; 2: one cold point far from the design, 8 km at 60 %
// speed).
void BM_HostOffDesign(benchmark::State& st) {
  vyr::bench::EnsureQtApp();
  static void* library = *VYR_GASPATH_LIBRARY ? dlopen(VYR_GASPATH_LIBRARY, RTLD_NOW | RTLD_LOCAL) : nullptr;
  if (library == nullptr) {
    st.SkipWithError("the gas-path component library does not load");
    return;
  }
  vyr::run::TModelHost host;
  if (!host.Load(VYR_MAPS_MODEL, "", "")) {
    st.SkipWithError("the model on maps does not load");
    return;
  }
  const bool line = st.range(0) != 0;
  const std::vector<vyr::engine::TOffDesignPoint> points =
      st.range(0) == 2 ? std::vector<vyr::engine::TOffDesignPoint>{{8000, 0, 0, vyr::engine::TOffDesignControl::Speed, 0.6}}
                       : OperatingLine();
  int iterations = 0;
  for (auto _ : st) {
    vyr::engine::TEngineState s;
    std::vector<vyr::engine::TOffDesignResult> rs;
    const vyr::run::TRunStatus status = line ? host.RunOffDesign(s, points, rs) : host.Run(s);
    if (status != vyr::run::TRunStatus::Ok) {
      st.SkipWithError(host.Errors().empty() ? "the run failed" : host.Errors().back().c_str());
      return;
    }
    iterations = Iterations(rs);
  }
  if (line) {
    st.counters["iterations"] = iterations;
    st.counters["per_point"] = benchmark::Counter(static_cast<double>(points.size()) * st.iterations(),
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  }
}
BENCHMARK(BM_HostOffDesign)->ArgName("run")->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The whole program on the example turbojet: start, Qt, libraries, model, tables.
void BM_WholeProcessTurbojet(benchmark::State& st) {
  if (!std::ifstream(VYR_EXAMPLE_MODEL)) {
    st.SkipWithError("no example model");
    return;
  }
  const std::string cmd = std::string(VYR_EXE) + " run " + VYR_EXAMPLE_MODEL + " >/dev/null 2>&1";
  for (auto _ : st)
    if (const int status = std::system(cmd.c_str()); status != 0) {
      st.SkipWithError(("vyr run failed: status " + std::to_string(status)).c_str());
      return;
    }
}
BENCHMARK(BM_WholeProcessTurbojet)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The whole program off design on the reference turbojet on maps: one point,
// and the 50 points of its operating line from 100 % to 40 % thrust; the
// difference is the host's cost of 49 more points.
void BM_WholeProcessOffDesign(benchmark::State& st) {
  if (!std::ifstream(VYR_MAPS_MODEL)) {
    st.SkipWithError("no reference model on maps");
    return;
  }
  const std::string thrust = st.range(0) == 1 ? "11000lbf" : "11800:4720:-144.4897959lbf";
  const std::string cmd =
      std::string(VYR_EXE) + " run " + VYR_MAPS_MODEL + " --off-design --thrust " + thrust + " >/dev/null 2>&1";
  for (auto _ : st)
    if (const int status = std::system(cmd.c_str()); status != 0) {
      st.SkipWithError(("vyr run --off-design failed: status " + std::to_string(status)).c_str());
      return;
    }
  st.counters["points"] = static_cast<double>(st.range(0));
}
BENCHMARK(BM_WholeProcessOffDesign)->Arg(1)->Arg(50)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
