// A model of 500 components with data forms: loading it (icons, links and
// forms from the model file) and saving it (to the file's text).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QVBoxLayout>
#include <QWidget>

#include "ClassRegistry.h"
#include "QtBenchApp.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr::bench {

// A component form as component libraries write them: ten numeric fields on
// General and Design and the base pages.
class TBenchCompForm : public TVYRcompform {
  Q_OBJECT
  Q_PROPERTY(double __PRdes READ PRdes WRITE SetPRdes)

 public:
  Q_INVOKABLE explicit TBenchCompForm(QWidget* owner = nullptr) : TVYRcompform(owner) {
    for (int i = 0; i < kFields; ++i) {
      QWidget* page = i < 3 ? General : Design;
      auto* f = new TNumFld(page);
      f->setObjectName(QStringLiteral("Value%1").arg(i));
      f->SetLabelCaption("Value " + std::to_string(i));
      f->SetParType(i % 2 == 0 ? ptPressure : ptTemperature);
      f->SetValue(1000.0 + i);
      page->layout()->addWidget(f);
      fields_[i] = f;
    }
  }
  double PRdes() const { return fields_[3]->GetValue(); }
  void SetPRdes(double v) { fields_[3]->SetValue(v); }

  static constexpr int kFields = 10;

 private:
  TNumFld* fields_[kFields] = {};
};

namespace {

constexpr int kComps = 500;
constexpr int kPerRow = 25;

// The model's file text: a chain of components in rows, each linked to the next.
std::string ModelText() {
  EnsureQtApp();
  RegisterClass<TBenchCompForm>();
  QWidget canvas;
  std::vector<TVYRcomp*> comps;
  for (int i = 0; i < kComps; ++i) {
    auto* c = new TVYRcomp(&canvas);
    c->setObjectName(QStringLiteral("C%1").arg(i));
    c->move((i % kPerRow) * 60, (i / kPerRow) * 100);
    c->SetFormclassname("TBenchCompForm");
    for (TLinktype t : {ltIn1, ltOut1}) {
      auto* l = new TVYRLink(c);
      l->setObjectName(QString::fromStdString(LinktypeName(t)));
      l->SetLtype(t);
      l->move(t == ltIn1 ? 0 : 60, 30);
      l->SetStation(t == ltIn1 ? i : i + 1);
    }
    c->CompformCreate();
    c->Compform->SetComponentName("Comp" + std::to_string(i));
    c->Compform->SetCalcNumber(i + 1);
    c->Compform->Remarks->SetLines({"Component " + std::to_string(i)});
    static_cast<TBenchCompForm*>(c->Compform.data())->SetPRdes(2 + i / 100.0);
    comps.push_back(c);
  }
  LinkAllComps(comps);
  TVyrXmlDocument file;
  WriteCompsToXML(comps, TVyrXmlNode(file.Document().append_child("VYRmodel").append_child("BaseCfg")));
  return file.SaveToString();
}

const std::string& Model() {
  static const std::string text = ModelText();
  return text;
}

void BM_LoadModel500(benchmark::State& state) {
  TVyrXmlDocument file;
  file.LoadFromString(Model(), "bench.mdl");
  const TVyrXmlNode cfg = file.Root().child("BaseCfg");
  for (auto _ : state) {
    auto canvas = std::make_unique<QWidget>();
    std::vector<TVYRcomp*> comps = ReadCompsFromXML(cfg, canvas.get());
    LinkAllComps(comps);
    benchmark::DoNotOptimize(comps.data());
    state.PauseTiming();
    if (comps.size() != kComps) state.SkipWithError("model not loaded");
    canvas.reset();
    // What the host's event loop does between two loads.
    QCoreApplication::sendPostedEvents();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_LoadModel500)->Unit(benchmark::kMillisecond);

void BM_SaveModel500(benchmark::State& state) {
  TVyrXmlDocument file;
  file.LoadFromString(Model(), "bench.mdl");
  QWidget canvas;
  std::vector<TVYRcomp*> comps = ReadCompsFromXML(file.Root().child("BaseCfg"), &canvas);
  LinkAllComps(comps);
  for (auto _ : state) {
    TVyrXmlDocument out;
    WriteCompsToXML(comps, TVyrXmlNode(out.Document().append_child("VYRmodel").append_child("BaseCfg")));
    std::string text = out.SaveToString();
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_SaveModel500)->Unit(benchmark::kMillisecond);

// Saving again into the model's own tree, as a host saves an opened model.
void BM_ResaveModel500(benchmark::State& state) {
  TVyrXmlDocument file;
  file.LoadFromString(Model(), "bench.mdl");
  QWidget canvas;
  const TVyrXmlNode cfg = file.Root().child("BaseCfg");
  std::vector<TVYRcomp*> comps = ReadCompsFromXML(cfg, &canvas);
  LinkAllComps(comps);
  for (auto _ : state) {
    WriteCompsToXML(comps, cfg);
    std::string text = file.SaveToString();
    benchmark::DoNotOptimize(text.data());
  }
}
BENCHMARK(BM_ResaveModel500)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vyr::bench

#include "compforms_bench.moc"
