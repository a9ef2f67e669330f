// The host of "vyr run": the hook calls of one design point over a model of
// components whose hooks do nothing (the base component form), so that what is
// measured is the host's own cost per point; loading such a model; and the
// whole program on the example turbojet when that model exists.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "EngineState.h"
#include "ModelHost.h"
#include "QtBenchApp.h"

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
