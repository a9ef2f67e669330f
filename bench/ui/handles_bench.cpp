// Stretch handle with 100 of the demo canvas's 200 panels attached: one step
// of the drag outline, SetBounds over the whole selection, and a full repaint
// of the canvas offscreen. The "Painted" variants also let Qt paint what the
// step made dirty.
#include <benchmark/benchmark.h>

#include <vector>

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "HandlesCanvas.h"
#include "HandlesKQ.h"
#include "QtBenchApp.h"

namespace {

using vyr::TStretchHandle;
using vyr::demo::THandlesCanvas;

/// The demo canvas, shown offscreen, on the 8 px grid, with its first 100 panels selected.
struct TSelectedCanvas {
  TSelectedCanvas() {
    canvas.SetGrid(8);
    canvas.Select(std::vector<QWidget*>(canvas.Panels().begin(), canvas.Panels().begin() + 100));
    canvas.show();
    QApplication::processEvents();
  }
  ~TSelectedCanvas() { QApplication::processEvents(); }
  TStretchHandle& Handle() { return *canvas.Handle(); }

  QApplication& app = vyr::bench::EnsureQtApp();  // before the first widget
  THandlesCanvas canvas{200};
};

void Send(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent ev(type, QPointF(at), to->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(to, &ev);
}

/// One mouse move of a running drag: the handle clamps it, computes the new
/// bounds and moves the outline.
void RubberbandStep(benchmark::State& state, bool painted) {
  TSelectedCanvas s;
  TStretchHandle& h = s.Handle();
  const QPoint press = h.Children(0)->geometry().center() - h.pos();
  Send(&h, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
  int i = 0;
  for (auto _ : state) {
    ++i;
    Send(&h, QEvent::MouseMove, press + QPoint(i % 40, i % 30), Qt::NoButton, Qt::LeftButton);
    if (painted) QApplication::processEvents();
  }
  benchmark::DoNotOptimize(h.DragRect());
  Send(&h, QEvent::MouseButtonRelease, press, Qt::LeftButton, Qt::NoButton);
}

void BM_RubberbandStep(benchmark::State& state) { RubberbandStep(state, false); }
void BM_RubberbandStepPainted(benchmark::State& state) { RubberbandStep(state, true); }

/// SetBounds over 100 attached panels, one pixel to and fro.
void SetBounds100(benchmark::State& state, bool painted) {
  TSelectedCanvas s;
  TStretchHandle& h = s.Handle();
  const QRect start = h.geometry();
  int i = 0;
  for (auto _ : state) {
    const int d = ++i % 2;
    h.SetBounds(start.x() + d, start.y() + d, start.width() + d, start.height());
    if (painted) QApplication::processEvents();
  }
  state.counters["controls"] = h.ChildCount();
}

void BM_SetBounds100(benchmark::State& state) { SetBounds100(state, false); }
void BM_SetBounds100Painted(benchmark::State& state) { SetBounds100(state, true); }

/// The whole canvas with its 200 panels, the grid and the handle's 400 squares,
/// rendered into an image.
void BM_CanvasRepaint200(benchmark::State& state) {
  TSelectedCanvas s;
  QImage image(s.canvas.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    s.canvas.render(&image);
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["pixels"] = image.width() * image.height();
}

}  // namespace

BENCHMARK(BM_RubberbandStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RubberbandStepPainted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetBounds100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SetBounds100Painted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CanvasRepaint200)->Unit(benchmark::kMicrosecond);
