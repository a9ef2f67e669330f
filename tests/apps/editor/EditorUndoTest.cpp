// Undo and redo of every kind of edit, made with real events where a user
// makes them: each undo gives back the model file exactly, each redo the
// edited one. Copy and paste through the clipboard.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUndoStack>
#include <functional>
#include <set>
#include <sstream>

#include "EditorFixture.h"
#include "HandlesKQ.h"
#include "ModelClipboard.h"
#include "VyrNativeXml.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr::editor::test {
namespace {

class EditorUndo : public EditorFixture {
 public:
  TVYRcomp* Icon(const char* id) const { return canvas->FindIcon(QString::fromUtf8(id)); }
  void Click(TVYRcomp* icon, Qt::KeyboardModifiers m = {}) {
    ASSERT_TRUE(icon);
    QTest::mouseClick(canvas, Qt::LeftButton, m, icon->geometry().center());
  }
  // Drags the handle from a point of the canvas by delta, as the mouse does.
  void DragHandle(QPoint from, QPoint delta) {
    TStretchHandle* h = canvas->Handle();
    const QPoint p = h->mapFrom(canvas, from);
    QTest::mousePress(h, Qt::LeftButton, {}, p);
    QTest::mouseMove(h, p + delta / 2);
    QTest::mouseMove(h, p + delta);
    QTest::mouseRelease(h, Qt::LeftButton, {}, p + delta);
  }
};

// Equal model texts; otherwise the first line that differs, not the whole files.
::testing::AssertionResult SameModel(const std::string& a, const std::string& b) {
  if (a == b) return ::testing::AssertionSuccess();
  std::istringstream sa(a), sb(b);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool ga = static_cast<bool>(std::getline(sa, la));
    const bool gb = static_cast<bool>(std::getline(sb, lb));
    if (!ga || !gb || la != lb)
      return ::testing::AssertionFailure() << "line " << line << ": \"" << (ga ? la : "<end>") << "\" vs \""
                                           << (gb ? lb : "<end>") << "\"";
  }
}

struct TUndoCase {
  const char* name;
  std::function<void(EditorUndo&)> edit;
};

void PrintTo(const TUndoCase& c, std::ostream* os) { *os << c.name; }

class UndoEachEdit : public EditorUndo, public ::testing::WithParamInterface<TUndoCase> {};

TEST_P(UndoEachEdit, UndoGivesBackTheModelAndRedoTheEdit) {
  OpenExample("turbojet.xml");
  const std::string original = canvas->SaveToString();
  GetParam().edit(*this);
  const std::string edited = canvas->SaveToString();
  ASSERT_NE(edited, original) << "the edit changed the model";
  EXPECT_EQ(canvas->UndoStack()->count(), 1) << "one edit, one step";

  canvas->UndoStack()->undo();
  EXPECT_TRUE(SameModel(canvas->SaveToString(), original));
  canvas->UndoStack()->redo();
  EXPECT_TRUE(SameModel(canvas->SaveToString(), edited));
  canvas->UndoStack()->undo();
  EXPECT_TRUE(SameModel(canvas->SaveToString(), original)) << "undo after redo";
  EXPECT_TRUE(canvas->UndoStack()->isClean());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, UndoEachEdit,
    ::testing::Values(
        TUndoCase{"DropLinkedToANeighbour",
                  [](EditorUndo& t) { t.canvas->DropComponent(QStringLiteral("TDuctComp"), {440, 40}); }},
        TUndoCase{"MoveByHandleDrag",
                  [](EditorUndo& t) {
                    TVYRcomp* c = t.Icon("Compressor");
                    t.Click(c);
                    t.DragHandle(c->geometry().center(), {40, 120});
                  }},
        TUndoCase{"MoveOfTwoByHandleDrag",
                  [](EditorUndo& t) {
                    t.Click(t.Icon("Burner"));
                    t.Click(t.Icon("Turbine"), Qt::ShiftModifier);
                    t.DragHandle(t.Icon("Burner")->geometry().center(), {0, 150});
                  }},
        TUndoCase{"MoveByArrowKey",
                  [](EditorUndo& t) {
                    t.Click(t.Icon("Shaft"));
                    QTest::keyClick(t.canvas->Handle(), Qt::Key_Down);
                  }},
        TUndoCase{"ResizeByHandleGrip",
                  [](EditorUndo& t) {
                    TVYRcomp* c = t.Icon("Shaft");
                    t.Click(c);
                    // The bottom right grip of the handle around the icon.
                    TStretchHandle* h = t.canvas->Handle();
                    QPoint grip;
                    for (int x = h->width() - 1; x >= 0 && grip.isNull(); --x)
                      for (int y = h->height() - 1; y >= 0 && grip.isNull(); --y)
                        if (h->GripAt(x, y) == dsSizeBottomRight) grip = {x, y};
                    ASSERT_FALSE(grip.isNull());
                    t.DragHandle(h->mapTo(t.canvas, grip), {30, 20});
                  }},
        TUndoCase{"RotateByKey",
                  [](EditorUndo& t) {
                    t.Click(t.Icon("Burner"));
                    QTest::keyClick(t.canvas->Handle(), Qt::Key_R);
                  }},
        TUndoCase{"DeleteByKey",
                  [](EditorUndo& t) {
                    t.Click(t.Icon("Compressor"));
                    QTest::keyClick(t.canvas->Handle(), Qt::Key_Delete);
                  }},
        TUndoCase{"CutOfALinkedPair",
                  [](EditorUndo& t) {
                    t.Click(t.Icon("Inlet"));
                    t.Click(t.Icon("Compressor"), Qt::ShiftModifier);
                    t.canvas->CutSelection();
                  }},
        TUndoCase{"PasteOfALinkedPair",
                  [](EditorUndo& t) {
                    t.Click(t.Icon("Inlet"));
                    t.Click(t.Icon("Compressor"), Qt::ShiftModifier);
                    t.canvas->CopySelection();
                    t.canvas->Paste();
                  }},
        TUndoCase{"FormEditAccepted",
                  [](EditorUndo& t) {
                    t.formAnswer = [](TFieldForm& form) {
                      auto& f = static_cast<TVYRcompform&>(form);
                      f.Remarks->SetText("checked on the test bed");
                      f.OKbtn()->click();
                      return f.ModalResult();
                    };
                    TVYRcomp* c = t.Icon("Nozzle");
                    t.Click(c);
                    QTest::mouseDClick(t.canvas->Handle(), Qt::LeftButton, {},
                                       t.canvas->Handle()->mapFrom(t.canvas, c->geometry().center()));
                  }}),
    [](const ::testing::TestParamInfo<TUndoCase>& info) { return std::string(info.param.name); });

TEST_F(EditorUndo, CancelledFormEditIsNoStep) {
  OpenExample("turbojet.xml");
  const std::string original = canvas->SaveToString();
  formAnswer = [](TFieldForm& form) {
    static_cast<TVYRcompform&>(form).Remarks->SetText("typed, then cancelled");
    form.Cancelbtn()->click();
    return form.ModalResult();
  };
  EXPECT_EQ(canvas->EditComponent(Icon("Nozzle")), mrCancel);
  EXPECT_EQ(canvas->UndoStack()->count(), 0);
  EXPECT_TRUE(SameModel(canvas->SaveToString(), original)) << "the form shows the model's values again";
}

TEST_F(EditorUndo, PastedLinkedPairKeepsItsLinkUnderNewNames) {
  OpenExample("turbojet.xml");
  Click(Icon("Inlet"));
  Click(Icon("Compressor"), Qt::ShiftModifier);
  const std::string fragment = canvas->CopySelection();

  // On the clipboard under the editor's type and as plain text.
  const QMimeData* data = QApplication::clipboard()->mimeData();
  ASSERT_TRUE(data);
  EXPECT_TRUE(data->hasFormat(QString::fromLatin1(kModelFragmentMime)));
  EXPECT_EQ(data->text().toStdString(), fragment);

  // Pasted from the plain text alone, as from another program.
  QApplication::clipboard()->setText(QString::fromStdString(fragment));
  const std::vector<TVYRcomp*> pasted = canvas->Paste();
  ASSERT_EQ(pasted.size(), 2u);
  TVYRcomp* inlet = pasted[0];
  TVYRcomp* comp = pasted[1];
  EXPECT_EQ(inlet->objectName(), QStringLiteral("Inlet2"));
  EXPECT_EQ(comp->objectName(), QStringLiteral("Compressor2"));
  EXPECT_GT(comp->CalcNr(), Icon("Shaft")->CalcNr()) << "new calculation numbers after the last one";
  EXPECT_NE(inlet->CalcNr(), comp->CalcNr());
  // The form, made when first needed from the pasted element, holds the new name and number.
  const int nr = comp->CalcNr();
  TVYRcompform* form = canvas->Form(comp);
  ASSERT_TRUE(form);
  EXPECT_EQ(form->ComponentName(), "Compressor2");
  EXPECT_EQ(form->CalcNumber(), nr);

  TVYRLink* out = inlet->GetLink(ltOut1);
  ASSERT_TRUE(out);
  EXPECT_TRUE(out->Linked);
  EXPECT_EQ(out->OtherComp.data(), comp) << "the pair keeps its link";
  EXPECT_EQ(out->Station(), Icon("Inlet")->GetLink(ltOut1)->Station());
  EXPECT_FALSE(inlet->GetLink(ltIn1)->Linked) << "nothing else is linked: the pair lies apart";
  EXPECT_EQ(inlet->pos(), Icon("Inlet")->pos() + QPoint(kPasteOffsetX, kPasteOffsetY));

  // Every ID of the base configuration once.
  TVyrXmlDocument saved;
  ASSERT_TRUE(saved.LoadFromString(canvas->SaveToString(), "saved"));
  std::set<std::string> ids;
  int n = 0;
  for (pugi::xml_node c : saved.Root().RefModelRoot().child("Components").children("TVYRcomp")) {
    ids.insert(c.attribute("ID").value());
    ++n;
  }
  EXPECT_EQ(static_cast<int>(ids.size()), n);
  EXPECT_EQ(n, 9);
}

TEST_F(EditorUndo, ClipboardWithoutComponentsPastesNothing) {
  OpenExample("turbojet.xml");
  QApplication::clipboard()->setText(QStringLiteral("<VYRmodel/> is no fragment"));
  EXPECT_TRUE(canvas->Paste().empty());
  EXPECT_EQ(canvas->UndoStack()->count(), 0);
  EXPECT_TRUE(canvas->PasteFragment("<VYRmodelFragment><Components/></VYRmodelFragment>").empty());
}

}  // namespace
}  // namespace vyr::editor::test
