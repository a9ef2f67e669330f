// The model canvas at scale: 500 icons and 250 connector lines in 25 rows,
// each row a chain of icons and connectors, each icon's control outlet on the
// control inlet of the icon below (about 1,200 connections in all).
//
// Measured: relinking every icon after a load (LinkAllComps), SetModelLinks on
// every icon, a full offscreen render of the canvas, the repaint after moving
// one icon off its neighbours and back, and loading one icon with thousands
// of links.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QWidget>

#include "QtBenchApp.h"
#include "SampleEngine.h"
#include "vyrcompl.h"

namespace {

using namespace vyr;

constexpr int kRows = 25;
constexpr int kPatterns = 10;  // per row: icon, icon, connector

// An icon with a gas inlet and outlet and control ports top and bottom, its
// picture and station labels, as the sample types have them.
TVYRcomp* BenchIcon(QWidget* canvas, int nr, QPoint pos, double station) {
  auto* c = new TVYRcomp(canvas);
  c->setObjectName(QStringLiteral("C%1").arg(nr));
  c->move(pos);
  auto* pic = new QLabel(c);
  pic->setScaledContents(true);
  pic->setGeometry(10, 10, 50, 50);
  static const QPixmap art = sample::DrawPicture(sample::TPicture::Compressor, 50, 50);
  pic->setPixmap(art);
  const struct {
    TLinktype type;
    int left, top;
    const char* name;
  } ports[] = {{ltIn1, 0, 30, "In1"}, {ltOut1, 60, 30, "Out1"}, {ltCtrlin, 30, 0, "CtrlIn"}, {ltCtrlout, 30, 60, "CtrlOut"}};
  for (const auto& p : ports) {
    auto* l = new TVYRLink(c);
    l->setObjectName(QString::fromUtf8(p.name));
    l->SetLtype(p.type);
    l->move(p.left, p.top);
    l->SetStation(p.type == ltIn1 ? station : p.type == ltOut1 ? station + 1 : -1);
    l->SetColor();
  }
  c->CreateStationLabs();
  c->show();
  return c;
}

struct Canvas {
  std::unique_ptr<QWidget> widget;
  std::vector<TVYRcomp*> comps;
};

Canvas BuildCanvas() {
  sample::RegisterSampleIcons();
  Canvas cv;
  cv.widget = std::make_unique<QWidget>();
  cv.widget->resize(kPatterns * 180 + 100, kRows * 60 + 100);
  int nr = 0;
  for (int r = 0; r < kRows; ++r) {
    const int y = 20 + r * 60;
    double station = 1;
    for (int p = 0; p < kPatterns; ++p) {
      const int x = 20 + p * 180;
      cv.comps.push_back(BenchIcon(cv.widget.get(), nr++, {x, y}, station));
      cv.comps.push_back(BenchIcon(cv.widget.get(), nr++, {x + 60, y}, station + 1));
      auto* line = new sample::TConnectorIcon(cv.widget.get());
      line->setObjectName(QStringLiteral("L%1").arg(nr++));
      line->move(x + 120, y + 30);
      line->CreateStationLabs();
      line->show();
      cv.comps.push_back(line);
      station += 2;
    }
  }
  return cv;
}

int Connections(const std::vector<TVYRcomp*>& comps) {
  int n = 0;
  for (TVYRcomp* c : comps)
    for (TVYRLink* l : c->Links()) n += l->Linked ? 1 : 0;
  return n / 2;
}

// A canvas saved to a model file and loaded back, not yet linked.
Canvas LoadedCanvas() {
  Canvas built = BuildCanvas();
  pugi::xml_document doc;
  TVyrXmlNode cfg = doc.append_child("VYRmodel").append_child("BaseCfg");
  WriteCompsToXML(built.comps, cfg);
  Canvas cv;
  cv.widget = std::make_unique<QWidget>();
  cv.widget->resize(built.widget->size());
  cv.comps = ReadCompsFromXML(cfg, cv.widget.get());
  for (TVYRcomp* c : cv.comps) c->CreateStationLabs();
  return cv;
}

void BM_RelinkAfterLoad(benchmark::State& state) {
  bench::EnsureQtApp();
  Canvas cv = LoadedCanvas();
  for (auto _ : state) {
    state.PauseTiming();
    for (TVYRcomp* c : cv.comps) c->Unlink();
    state.ResumeTiming();
    benchmark::DoNotOptimize(LinkAllComps(cv.comps));
  }
  state.counters["icons"] = static_cast<double>(cv.comps.size());
  state.counters["connections"] = Connections(cv.comps);
}
BENCHMARK(BM_RelinkAfterLoad)->Unit(benchmark::kMillisecond);

void BM_LoadFromModelFile(benchmark::State& state) {
  bench::EnsureQtApp();
  Canvas built = BuildCanvas();
  pugi::xml_document doc;
  TVyrXmlNode cfg = doc.append_child("VYRmodel").append_child("BaseCfg");
  WriteCompsToXML(built.comps, cfg);
  for (auto _ : state) {
    QWidget canvas;
    benchmark::DoNotOptimize(ReadCompsFromXML(cfg, &canvas));
  }
}
BENCHMARK(BM_LoadFromModelFile)->Unit(benchmark::kMillisecond);

// One icon with state.range(0) Link elements, as a file may hold them: the
// load reads each element once, so its time grows linearly with the count.
void BM_LoadIconWithManyLinks(benchmark::State& state) {
  bench::EnsureQtApp();
  const int links = static_cast<int>(state.range(0));
  pugi::xml_document doc;
  TVyrXmlNode cfg = doc.append_child("VYRmodel").append_child("BaseCfg");
  {
    QWidget canvas;
    auto* c = new TVYRcomp(&canvas);
    c->setObjectName(QStringLiteral("Many"));
    for (int i = 0; i < links; ++i) {
      auto* l = new TVYRLink(c);
      l->setObjectName(QStringLiteral("L%1").arg(i));
      l->SetLtype(i % 2 == 0 ? ltIn1 : ltOut1);
      l->move((i % 7) * 10, (i / 7) % 7 * 10);
      l->SetStation(i);
    }
    WriteCompsToXML({c}, cfg);
  }
  for (auto _ : state) {
    auto canvas = std::make_unique<QWidget>();
    benchmark::DoNotOptimize(ReadCompsFromXML(cfg, canvas.get()));
    // Not measured: the events Qt posts to every new widget, which a host's
    // event loop delivers (undelivered, each one is searched for when its
    // widget goes), and taking the canvas down.
    state.PauseTiming();
    QCoreApplication::sendPostedEvents();
    canvas.reset();
    state.ResumeTiming();
  }
  state.SetComplexityN(links);
}
BENCHMARK(BM_LoadIconWithManyLinks)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4000)->Complexity()->Unit(benchmark::kMillisecond);

void BM_SetModelLinksAll(benchmark::State& state) {
  bench::EnsureQtApp();
  Canvas cv = BuildCanvas();
  LinkAllComps(cv.comps);
  int resolved = 0;
  for (auto _ : state) {
    resolved = 0;
    for (TVYRcomp* c : cv.comps) resolved += c->SetModelLinks(false) ? 1 : 0;
  }
  state.counters["icons"] = resolved;
}
BENCHMARK(BM_SetModelLinksAll)->Unit(benchmark::kMillisecond);

void BM_FullRender(benchmark::State& state) {
  bench::EnsureQtApp();
  Canvas cv = BuildCanvas();
  LinkAllComps(cv.comps);
  QImage img(cv.widget->size(), QImage::Format_ARGB32_Premultiplied);
  cv.widget->render(&img);  // places the station labels
  for (auto _ : state) {
    cv.widget->render(&img);
    benchmark::DoNotOptimize(img.bits());
  }
  state.counters["pixels"] = static_cast<double>(img.width()) * img.height();
}
BENCHMARK(BM_FullRender)->Unit(benchmark::kMillisecond);

// One iteration: the icon in the middle of the canvas moves 20 pixels down
// (unlinking from its neighbours) or back (linking again), and the shown
// canvas repaints what changed.
void BM_RepaintAfterMove(benchmark::State& state) {
  QApplication& app = bench::EnsureQtApp();
  Canvas cv = BuildCanvas();
  LinkAllComps(cv.comps);
  cv.widget->show();
  app.processEvents();
  TVYRcomp* moved = cv.comps[cv.comps.size() / 2 + 1];
  const QPoint home = moved->pos();
  bool away = false;
  for (auto _ : state) {
    away = !away;
    moved->move(home + (away ? QPoint(0, 20) : QPoint(0, 0)));
    RelinkComp(moved, cv.comps);
    app.processEvents();
  }
  state.counters["linked"] = moved->AllLinked() ? 1 : 0;
}
BENCHMARK(BM_RepaintAfterMove)->Unit(benchmark::kMillisecond);

}  // namespace
