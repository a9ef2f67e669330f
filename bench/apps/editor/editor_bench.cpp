// The editor on large models, offscreen: a canvas of rows of linked gas-path
// icons (inlet, compressor, burner, turbine, nozzle), 500 icons unless noted.
//   Drop500          one drop from the palette (its undo untimed)
//   UndoMove50       undo of one move of 50 icons (its redo untimed)
//   Paste100         paste of 100 copied icons (its undo untimed)
//   Open500, Open5000  a model file of that many components, from its bytes
//   RepaintAfterMove move of one icon and the canvas's repaint of what changed
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QUndoStack>

#include "Complibs.h"
#include "EditorCanvas.h"
#include "Messages.h"
#include "vyrcompl.h"

namespace {

using vyr::TVYRcomp;
using vyr::editor::TEditorCanvas;

const char* const kRow[] = {"TInletComp", "TCompressorComp", "TBurnerComp", "TTurbineComp", "TNozzleComp"};

// A canvas holding n icons in rows of five, each row linked.
std::unique_ptr<TEditorCanvas> BuildCanvas(int n) {
  auto canvas = std::make_unique<TEditorCanvas>();
  canvas->resize(1600, 1200);
  canvas->show();
  for (int i = 0; i < n; ++i) {
    const int row = i / 5;
    const int col = i % 5;
    // 30 rows per column of rows, so that the canvas stays a few screens wide.
    const QPoint at(40 + (row / 30) * 400 + col * 60, 40 + (row % 30) * 100);
    canvas->DropComponent(QString::fromLatin1(kRow[col]), at);
  }
  canvas->UndoStack()->clear();
  return canvas;
}

// The model file of n icons, built once per size.
const std::string& ModelOf(int n) {
  static std::map<int, std::string> models;
  auto it = models.find(n);
  if (it == models.end()) it = models.emplace(n, BuildCanvas(n)->SaveToString()).first;
  return it->second;
}

void Drop500(benchmark::State& state) {
  auto canvas = BuildCanvas(500);
  for (auto _ : state) {
    benchmark::DoNotOptimize(canvas->DropComponent(QStringLiteral("TDuctComp"), {1400, 1000}));
    state.PauseTiming();
    canvas->UndoStack()->undo();
    state.ResumeTiming();
  }
}
BENCHMARK(Drop500)->Unit(benchmark::kMillisecond);

void UndoMove50(benchmark::State& state) {
  auto canvas = BuildCanvas(500);
  std::vector<TVYRcomp*> fifty(canvas->Comps().begin(), canvas->Comps().begin() + 50);
  canvas->MoveIcons(fifty, {0, 3000});
  for (auto _ : state) {
    canvas->UndoStack()->undo();
    state.PauseTiming();
    canvas->UndoStack()->redo();
    state.ResumeTiming();
  }
}
BENCHMARK(UndoMove50)->Unit(benchmark::kMillisecond);

void Paste100(benchmark::State& state) {
  auto canvas = BuildCanvas(500);
  canvas->Select(std::vector<TVYRcomp*>(canvas->Comps().begin(), canvas->Comps().begin() + 100));
  const std::string fragment = canvas->CopySelection();
  for (auto _ : state) {
    benchmark::DoNotOptimize(canvas->PasteFragment(fragment));
    state.PauseTiming();
    canvas->UndoStack()->undo();
    state.ResumeTiming();
  }
}
BENCHMARK(Paste100)->Unit(benchmark::kMillisecond);

void Open(benchmark::State& state) {
  const std::string& model = ModelOf(static_cast<int>(state.range(0)));
  TEditorCanvas canvas;
  for (auto _ : state) benchmark::DoNotOptimize(canvas.LoadFromString(model, "bench"));
  state.counters["icons"] = static_cast<double>(canvas.Comps().size());
}
BENCHMARK(Open)->Arg(500)->Unit(benchmark::kMillisecond);
BENCHMARK(Open)->Arg(5000)->Iterations(1)->Unit(benchmark::kMillisecond);

void RepaintAfterMove(benchmark::State& state) {
  auto canvas = BuildCanvas(500);
  TVYRcomp* icon = canvas->Comps().back();
  int step = 10;
  for (auto _ : state) {
    const QRect before = icon->geometry();
    canvas->MoveIcons({icon}, {0, step});
    canvas->repaint(before.united(icon->geometry()).adjusted(-20, -20, 20, 20));
    step = -step;
  }
}
BENCHMARK(RepaintAfterMove)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Messages of the library (none expected) go to standard error, not to dialogs.
  vyr::editor::TComplibs libs;
  std::vector<std::string> problems;
  if (!libs.LoadFile(VYR_GASPATH_LIB, problems)) {
    for (const std::string& p : problems) std::fprintf(stderr, "%s\n", p.c_str());
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
