// Save, load and run: a shipped model opened in the editor, saved, opened
// again and run gives the results of the shipped file itself, as "vyr run"
// calculates them (the same model host), station by station.
#include <gtest/gtest.h>

#include <QFile>
#include <QPlainTextEdit>

#include "EditorFixture.h"
#include "EngineState.h"
#include "ModelHost.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr::editor::test {
namespace {

struct TRunCase {
  const char* name;
  const char* model;
  const char* caseID;
};

void PrintTo(const TRunCase& c, std::ostream* os) { *os << c.name; }

// The design point of a model file, run as "vyr run" runs it.
bool RunHost(const std::string& file, const char* caseID, engine::TEngineState& state, std::string& why) {
  run::TModelHost host;
  if (!host.Load(file, "", caseID)) {
    for (const std::string& e : host.Errors()) why += e + "\n";
    return false;
  }
  const bool ok = host.Run(state) == run::TRunStatus::Ok;
  for (const std::string& e : host.Errors()) why += e + "\n";
  return ok;
}

// The answer of a burner's form: a design exit temperature of 500 K, below the
// compressor exit temperature, so that the design point fails in the burner.
int BurnerBelowCompressorExit(TFieldForm& form) {
  for (TNumFld* f : form.NumFields())
    if (f->objectName() == QStringLiteral("Texitdes")) f->SetValue(500.0);
  form.done(mrOk);
  return form.ModalResult();
}

class SaveLoadRun : public EditorFixture, public ::testing::WithParamInterface<TRunCase> {};

TEST_P(SaveLoadRun, GivesTheShippedModelsResults) {
  const TRunCase& c = GetParam();
  engine::TEngineState shipped;
  std::string why;
  ASSERT_TRUE(RunHost(Example(c.model), c.caseID, shipped, why)) << why;

  OpenExample(c.model);
  const QString saved = TempFile("saved.xml");
  ASSERT_TRUE(window_->SaveTo(saved));
  ASSERT_TRUE(window_->OpenFile(saved));
  engine::TEngineState edited;
  ASSERT_TRUE(RunHost(saved.toStdString(), c.caseID, edited, why)) << why;

  ASSERT_EQ(edited.stations.size(), shipped.stations.size());
  ASSERT_FALSE(shipped.stations.empty());
  for (const auto& [nr, s] : shipped.stations) {
    const engine::TStation& e = edited.stations.at(nr);
    EXPECT_DOUBLE_EQ(e.gas.W, s.gas.W) << "station " << nr;
    EXPECT_DOUBLE_EQ(e.gas.Tt, s.gas.Tt) << "station " << nr;
    EXPECT_DOUBLE_EQ(e.gas.Pt, s.gas.Pt) << "station " << nr;
  }
  EXPECT_DOUBLE_EQ(edited.performance.FN, shipped.performance.FN);
  EXPECT_DOUBLE_EQ(edited.performance.Wf, shipped.performance.Wf);
  EXPECT_GT(shipped.performance.FN, 0.0);

  // The window runs the same model through its results pane.
  if (c.caseID[0] != '\0')
    window_->CaseBox()->setCurrentIndex(window_->CaseBox()->findText(QString::fromUtf8(c.caseID)));
  EXPECT_EQ(window_->ChosenCase(), c.caseID);
  EXPECT_TRUE(window_->RunDesign()) << window_->MessagePane()->toPlainText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Models, SaveLoadRun,
                         ::testing::Values(TRunCase{"Turbojet", "turbojet.xml", ""},
                                           TRunCase{"TurbojetCruise", "turbojet.xml", "Cruise"},
                                           TRunCase{"TurbojetOnMaps", "turbojet-maps.xml", ""},
                                           TRunCase{"Turbofan", "turbofan.xml", ""}),
                         [](const ::testing::TestParamInfo<TRunCase>& info) { return std::string(info.param.name); });

TEST_F(EditorFixture, FailedRunMarksTheFailingComponent) {
  OpenExample("turbojet.xml");
  TVYRcomp* burner = canvas->FindIcon(QStringLiteral("Burner"));
  ASSERT_TRUE(burner && burner->Compform);
  TNumFld* t4 = nullptr;
  for (TNumFld* f : burner->Compform->NumFields())
    if (f->objectName() == QStringLiteral("Texitdes")) t4 = f;
  ASSERT_TRUE(t4);
  formAnswer = BurnerBelowCompressorExit;
  ASSERT_EQ(canvas->EditComponent(burner), mrOk);
  EXPECT_FALSE(window_->RunDesign());
  EXPECT_EQ(canvas->MarkedID(), QStringLiteral("Burner"));
}

// A model cut and pasted whole: the pasted icons' forms are made only when
// needed, from the pasted elements; the saved model runs as the shipped one,
// and a value typed into a pasted icon's form is the one the run finds.
TEST_F(EditorFixture, PastedModelRunsAsTheCopiedOne) {
  engine::TEngineState shipped;
  std::string why;
  ASSERT_TRUE(RunHost(Example("turbojet.xml"), "", shipped, why)) << why;

  OpenExample("turbojet.xml");
  const std::size_t icons = canvas->Comps().size();
  canvas->SelectAll();
  canvas->CutSelection();
  ASSERT_TRUE(canvas->Comps().empty());
  ASSERT_EQ(canvas->Paste().size(), icons);

  const QString saved = TempFile("pasted.xml");
  ASSERT_TRUE(window_->SaveTo(saved));
  engine::TEngineState pasted;
  ASSERT_TRUE(RunHost(saved.toStdString(), "", pasted, why)) << why;
  ASSERT_EQ(pasted.stations.size(), shipped.stations.size());
  for (const auto& [nr, s] : shipped.stations) EXPECT_DOUBLE_EQ(pasted.stations.at(nr).gas.Tt, s.gas.Tt) << "station " << nr;
  EXPECT_DOUBLE_EQ(pasted.performance.FN, shipped.performance.FN);

  // Cut and pasted again: the burner's form is made for its edit.
  canvas->SelectAll();
  canvas->CutSelection();
  ASSERT_EQ(canvas->Paste().size(), icons);
  TVYRcomp* burner = canvas->FindIcon(QStringLiteral("Burner"));
  ASSERT_TRUE(burner);
  formAnswer = BurnerBelowCompressorExit;
  ASSERT_EQ(canvas->EditComponent(burner), mrOk);
  EXPECT_FALSE(window_->RunDesign());
  EXPECT_EQ(canvas->MarkedID(), QStringLiteral("Burner"));
}

}  // namespace
}  // namespace vyr::editor::test
