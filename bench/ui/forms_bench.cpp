// Field forms: creating a form of 200 fields (with its create-form state),
// and writing its fields to and reading them from XML.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>

#include <QGridLayout>
#include <QString>

#include "Fldform.h"
#include "QtBenchApp.h"

namespace {

constexpr int kFields = 200;

// A form as component forms are: mostly numeric fields, some text, check,
// radio-group and combo fields, laid out in a grid.
class BenchForm : public vyr::TFieldForm {
 public:
  explicit BenchForm(double offset = 0) {
    auto* body = new QWidget(this);
    auto* grid = new QGridLayout(body);
    for (int i = 0; i < kFields; ++i) {
      QWidget* w = nullptr;
      switch (i % 10) {
        case 7: {
          auto* f = new vyr::TStringFld(body);
          f->SetText("text " + std::to_string(i + offset));
          w = f;
          break;
        }
        case 8:
          w = new vyr::TCheckFld(body);
          static_cast<vyr::TCheckFld*>(w)->SetChecked(offset != 0);
          break;
        case 9:
          if (i % 20 == 9) {
            auto* f = new vyr::TRadioGrpFld(body);
            f->SetItems({"One", "Two", "Three"});
            f->SetItemIndex(offset != 0 ? 2 : 1);
            w = f;
          } else {
            auto* f = new vyr::TComboBoxFld(body);
            f->SetItems({"Jet-A", "Diesel", "Natural gas"});
            f->SetValueText(offset != 0 ? "Jet-A" : "Diesel");
            w = f;
          }
          break;
        default: {
          auto* f = new vyr::TNumFld(body);
          f->SetParType(vyr::ptPressure);
          f->SetLabelCaption("P" + std::to_string(i));
          f->SetValue(101325.0 + i / 7.0 + offset);
          w = f;
        }
      }
      w->setObjectName(QStringLiteral("F%1").arg(i));
      grid->addWidget(w, i / 4, i % 4);
    }
    AddClientWidget(body, 1);
  }
};

void BM_CreateForm200(benchmark::State& state) {
  vyr::bench::EnsureQtApp();
  for (auto _ : state) {
    std::unique_ptr<BenchForm> form(vyr::TFieldForm::Create<BenchForm>());
    benchmark::DoNotOptimize(form.get());
    state.PauseTiming();
    form.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CreateForm200)->Unit(benchmark::kMillisecond);

void BM_WriteXml200(benchmark::State& state) {
  vyr::bench::EnsureQtApp();
  std::unique_ptr<BenchForm> form(vyr::TFieldForm::Create<BenchForm>());
  for (auto _ : state) {
    pugi::xml_document doc;
    form->WriteToXML(doc.append_child("TVYRcomp"));
    benchmark::DoNotOptimize(doc.first_child());
  }
}
BENCHMARK(BM_WriteXml200)->Unit(benchmark::kMicrosecond);

// Reads alternate between two sets of values, so that every field changes.
void BM_ReadXml200(benchmark::State& state) {
  vyr::bench::EnsureQtApp();
  std::unique_ptr<BenchForm> form(vyr::TFieldForm::Create<BenchForm>());
  std::unique_ptr<BenchForm> other(vyr::TFieldForm::Create<BenchForm>(1.5));
  pugi::xml_document doc;
  form->WriteToXML(doc.append_child("TVYRcomp"));
  other->WriteToXML(doc.append_child("TVYRcomp"));
  pugi::xml_node nodes[2] = {doc.first_child(), doc.last_child()};
  int k = 0;
  for (auto _ : state)
    benchmark::DoNotOptimize(form->ReadFromXML(nodes[++k & 1]));
}
BENCHMARK(BM_ReadXml200)->Unit(benchmark::kMicrosecond);

void BM_WriteReadXml200(benchmark::State& state) {
  vyr::bench::EnsureQtApp();
  std::unique_ptr<BenchForm> forms[2] = {std::unique_ptr<BenchForm>(vyr::TFieldForm::Create<BenchForm>()),
                                         std::unique_ptr<BenchForm>(vyr::TFieldForm::Create<BenchForm>(1.5))};
  std::unique_ptr<BenchForm> b(vyr::TFieldForm::Create<BenchForm>());
  int k = 0;
  for (auto _ : state) {
    pugi::xml_document doc;
    forms[++k & 1]->WriteToXML(doc.append_child("TVYRcomp"));
    benchmark::DoNotOptimize(b->ReadFromXML(doc.first_child()));
  }
}
BENCHMARK(BM_WriteReadXml200)->Unit(benchmark::kMicrosecond);

void BM_StreamRoundTrip200(benchmark::State& state) {
  vyr::bench::EnsureQtApp();
  std::unique_ptr<BenchForm> a(vyr::TFieldForm::Create<BenchForm>());
  std::unique_ptr<BenchForm> b(vyr::TFieldForm::Create<BenchForm>());
  for (auto _ : state) {
    std::stringstream s;
    a->WritetoStream(s);
    benchmark::DoNotOptimize(b->ReadfromStream(s));
  }
}
BENCHMARK(BM_StreamRoundTrip200)->Unit(benchmark::kMicrosecond);

}  // namespace
