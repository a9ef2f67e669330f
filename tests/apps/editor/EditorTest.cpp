// The editor's window and canvas with real events: the palette, a drop, the
// keys on a selection, a failed point's mark, units, files and the question
// before unsaved work is lost.
#include <gtest/gtest.h>

#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QUndoStack>
#include <algorithm>

#include "ClassRegistry.h"
#include "EditorFixture.h"
#include "HandlesKQ.h"
#include "VyrNativeXml.h"
#include "Palette.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr::editor::test {
namespace {

// Drops a palette entry on the canvas as a drag would end: enter, move, drop.
TVYRcomp* DropFromPalette(TEditorWindow& w, const char* className, QPoint at) {
  TPaletteItem* item = w.Palette()->Item(QString::fromUtf8(className));
  EXPECT_NE(item, nullptr) << className;
  if (item == nullptr) return nullptr;
  std::unique_ptr<QMimeData> data(item->MimeData());
  const std::size_t before = w.Canvas()->Comps().size();
  QDragEnterEvent enter(at, Qt::CopyAction, data.get(), Qt::LeftButton, {});
  QApplication::sendEvent(w.Canvas(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, data.get(), Qt::LeftButton, {});
  QApplication::sendEvent(w.Canvas(), &drop);
  if (w.Canvas()->Comps().size() != before + 1) return nullptr;
  return w.Canvas()->Comps().back();
}

TVYRLink* LinkOf(TVYRcomp* c, TLinktype t) { return c ? c->GetLink(t) : nullptr; }

using EditorWindowTest = EditorFixture;

TEST_F(EditorWindowTest, PaletteListsEveryIconTypeTheLibraryRegisters) {
  // The library registers an icon and a form per component type: the
  // palette holds exactly the icons, in the order they were registered.
  const TComplib& lib = GaspathLibs().Libs().front();
  QStringList icons, forms;
  for (const std::string& n : lib.classes)
    (FindClass(n)->MetaObject->inherits(&TVYRcomp::staticMetaObject) ? icons : forms) << QString::fromStdString(n);
  EXPECT_EQ(window_->Palette()->ClassNames(), icons);
  EXPECT_EQ(icons.size(), 9);
  EXPECT_EQ(icons.size(), forms.size());
  EXPECT_EQ(ComponentTypeCaption(QStringLiteral("TCompressorComp")), QStringLiteral("Compressor"));
}

TEST_F(EditorWindowTest, DropCreatesFormLabelsAndLinksWithUniqueNames) {
  TVYRcomp* inlet = DropFromPalette(*window_, "TInletComp", {135, 135});
  TVYRcomp* comp = DropFromPalette(*window_, "TCompressorComp", {195, 135});
  TVYRcomp* comp2 = DropFromPalette(*window_, "TCompressorComp", {195, 335});
  ASSERT_TRUE(inlet && comp && comp2);

  EXPECT_EQ(comp->objectName(), QStringLiteral("Compressor"));
  EXPECT_EQ(comp2->objectName(), QStringLiteral("Compressor2"));
  ASSERT_TRUE(comp->Compform);
  EXPECT_STREQ(comp->Compform->metaObject()->className(), "vyr::gaspath::TCompressorForm");
  EXPECT_EQ(comp->Compform->ComponentName(), "Compressor");
  EXPECT_EQ(inlet->CalcNr(), 1);
  EXPECT_EQ(comp->CalcNr(), 2);
  EXPECT_EQ(comp2->CalcNr(), 3);
  ASSERT_TRUE(comp->CompLab);
  canvas->repaint();  // the number label takes its number when the icon is painted
  EXPECT_EQ(comp->CompLab->text(), QStringLiteral("2"));
  bool described = false;
  for (auto* l : comp->findChildren<QLabel*>())
    described = described || (l->property("Tag").toInt() == 1 && l->text() == QStringLiteral("Compressor"));
  EXPECT_TRUE(described) << "the description label names the component";

  // Dropped 60 px apart, the inlet's outlet meets the compressor's inlet.
  TVYRLink* out = LinkOf(inlet, ltOut1);
  TVYRLink* in = LinkOf(comp, ltIn1);
  ASSERT_TRUE(out && in);
  EXPECT_TRUE(out->Linked);
  EXPECT_EQ(out->Otherlink.data(), in);
  EXPECT_EQ(out->Station(), in->Station());
  ASSERT_TRUE(in->StationLab);
  EXPECT_FALSE(LinkOf(comp2, ltIn1)->Linked) << "the lone compressor links with nothing";
  EXPECT_EQ(canvas->UndoStack()->count(), 3);
}

TEST_F(EditorWindowTest, DropOfAnUnknownTypeIsRefusedWithAMessage) {
  const std::size_t before = canvas->Comps().size();
  EXPECT_EQ(canvas->DropComponent(QStringLiteral("TNoSuchComp"), {10, 10}), nullptr);
  EXPECT_EQ(canvas->Comps().size(), before);
  EXPECT_TRUE(window_->MessagePane()->toPlainText().contains(QStringLiteral("TNoSuchComp")));
}

TEST_F(EditorWindowTest, DeleteKeyRemovesTheIconAndFreesItsNeighbours) {
  OpenExample("turbojet.xml");
  TVYRcomp* comp = canvas->FindIcon(QStringLiteral("Compressor"));
  ASSERT_TRUE(comp);
  TVYRLink* inletOut = LinkOf(canvas->FindIcon(QStringLiteral("Inlet")), ltOut1);
  ASSERT_TRUE(inletOut && inletOut->Linked);
  QTest::mouseClick(canvas, Qt::LeftButton, {}, comp->geometry().center());
  ASSERT_EQ(canvas->SelectedIcons(), std::vector<TVYRcomp*>{comp});
  QTest::keyClick(canvas->Handle(), Qt::Key_Delete);

  EXPECT_EQ(canvas->FindIcon(QStringLiteral("Compressor")), nullptr);
  EXPECT_FALSE(inletOut->Linked);
  EXPECT_TRUE(inletOut->Otherlink.isNull()) << "no link points at the removed icon";
  for (TVYRcomp* c : canvas->Comps()) {
    for (TVYRLink* l : c->Links()) {
      if (l->Otherlink) {
        EXPECT_NE(l->Otherlink->Icon(), nullptr);
      }
    }
  }
  TVyrXmlDocument saved;
  ASSERT_TRUE(saved.LoadFromString(canvas->SaveToString(), "saved"));
  EXPECT_FALSE(saved.Root().RefModelRoot().child("Components").find_child_by_attribute("TVYRcomp", "ID", "Compressor"))
      << "the base configuration holds the component no more";
}

TEST_F(EditorWindowTest, RKeyRotatesTheSelection) {
  OpenExample("turbojet.xml");
  TVYRcomp* shaft = canvas->FindIcon(QStringLiteral("Shaft"));
  ASSERT_TRUE(shaft);
  QTest::mouseClick(canvas, Qt::LeftButton, {}, shaft->geometry().center());
  QTest::keyClick(canvas->Handle(), Qt::Key_R);
  EXPECT_EQ(shaft->RotAngle(), 90);
}

TEST_F(EditorWindowTest, FailedPointSelectsAndOutlinesTheIcon) {
  OpenExample("turbojet.xml");
  emit window_->Results()->PointFailed(QStringLiteral("Burner"), QStringLiteral("T4 too low"));
  TVYRcomp* burner = canvas->FindIcon(QStringLiteral("Burner"));
  EXPECT_EQ(canvas->MarkedID(), QStringLiteral("Burner"));
  EXPECT_EQ(canvas->SelectedIcons(), std::vector<TVYRcomp*>{burner});
  auto* mark = canvas->findChild<QFrame*>(QStringLiteral("FailedMark"));
  ASSERT_TRUE(mark);
  EXPECT_TRUE(mark->isVisible());
  EXPECT_TRUE(mark->geometry().contains(burner->geometry()));
  EXPECT_TRUE(window_->MessagePane()->toPlainText().contains(QStringLiteral("T4 too low")));
}

TEST_F(EditorWindowTest, UnitsSwitchTheFormsFields) {
  OpenExample("turbojet.xml");
  window_->SetUnits(TUnitSystem::Imperial);
  TVYRcomp* dropped = canvas->DropComponent(QStringLiteral("TDuctComp"), {600, 300});
  for (TVYRcomp* c : {canvas->FindIcon(QStringLiteral("Burner")), dropped}) {
    ASSERT_TRUE(c && c->Compform);
    for (TNumFld* f : c->Compform->NumFields()) EXPECT_EQ(f->UnitSystem(), usImperial) << f->objectName().toStdString();
  }
  window_->SetUnits(TUnitSystem::SI);
  for (TNumFld* f : canvas->FindIcon(QStringLiteral("Burner"))->Compform->NumFields()) EXPECT_EQ(f->UnitSystem(), usSI);
}

TEST_F(EditorWindowTest, UnsavedWorkIsAskedForBeforeItIsLost) {
  OpenExample("turbojet.xml");
  canvas->DropComponent(QStringLiteral("TDuctComp"), {600, 300});
  answer = mrCancel;
  EXPECT_FALSE(window_->NewModel());
  EXPECT_EQ(questions.size(), 1u);
  EXPECT_NE(canvas->FindIcon(QStringLiteral("Duct")), nullptr) << "cancel keeps the work";

  answer = mrYes;  // saved to the model's file first
  EXPECT_TRUE(window_->NewModel());
  EXPECT_TRUE(canvas->Comps().empty());
  const QString saved = TempFile("turbojet.xml");
  EXPECT_EQ(window_->RecentFiles().front(), saved);
  EXPECT_TRUE(window_->OpenFile(saved));
  EXPECT_NE(canvas->FindIcon(QStringLiteral("Duct")), nullptr) << "the saved file holds the work";
  EXPECT_EQ(questions.size(), 2u) << "an unchanged model is not asked for";

  // A new model is saved under the name the user gives.
  window_->NewModel();
  canvas->DropComponent(QStringLiteral("TDuctComp"), {100, 100});
  fileName = TempFile("new.xml");
  EXPECT_TRUE(window_->Save());
  EXPECT_EQ(window_->FileName(), fileName);
  EXPECT_EQ(window_->RecentFiles().front(), fileName);
}

TEST_F(EditorWindowTest, ConfigurationsAndCasesAreListed) {
  OpenExample("turbojet.xml");
  QStringList cases;
  for (int i = 0; i < window_->CaseBox()->count(); ++i) cases << window_->CaseBox()->itemText(i);
  EXPECT_TRUE(cases.contains(QStringLiteral("Cruise"))) << cases.join(QLatin1Char(',')).toStdString();
  window_->CaseBox()->setCurrentIndex(static_cast<int>(cases.indexOf(QStringLiteral("Cruise"))));
  EXPECT_EQ(window_->ChosenCase(), "Cruise");
  EXPECT_EQ(window_->ChosenConfig(), "");
}

}  // namespace
}  // namespace vyr::editor::test
