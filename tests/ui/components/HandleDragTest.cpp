// An icon dragged with the stretch handle onto another: the links connect on
// the mouse release, and the station question comes after the release.
#include <gtest/gtest.h>

#include <memory>

#include <QTest>
#include <QWidget>

#include "HandlesKQ.h"
#include "IconKit.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

using test::AddIcon;
using test::AddLink;
using test::RunPosted;
using test::ScriptedNumInput;

TEST(HandleDrag, LinksOnReleaseAndAsksAfterIt) {
  auto window = std::make_unique<QWidget>();
  window->resize(400, 300);
  TVYRcomp* a = AddIcon(window.get(), "A", {100, 100});
  TVYRcomp* b = AddIcon(window.get(), "B", {250, 100});
  TVYRLink* out = AddLink(a, ltOut1, 60, 30, 3);
  TVYRLink* in = AddLink(b, ltIn1, 0, 30, 4);
  a->CreateStationLabs();
  b->CreateStationLabs();
  auto* handle = new TStretchHandle(window.get());
  handle->SetGridX(1);
  handle->SetGridY(1);
  bool inRelease = false;
  QObject::connect(handle, &TStretchHandle::OnEndDrag, handle, [&] {
    inRelease = true;
    RelinkComp(b, {a, b});
    inRelease = false;
  });
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  handle->Attach(b);

  bool askedDuringRelease = false;
  ScriptedNumInput dialog({{true, 7}});
  TNumInputHandler scripted = SetNumInputHandler(nullptr);
  SetNumInputHandler([&](const TNumInputRequest& r, double& v) {
    askedDuringRelease = askedDuringRelease || inRelease;
    return scripted(r, v);
  });

  const QPoint grip(37, 37);
  QTest::mousePress(handle, Qt::LeftButton, {}, grip);
  QTest::mouseMove(handle, grip + QPoint(-45, 0));
  QTest::mouseMove(handle, grip + QPoint(-90, 0));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, grip + QPoint(-90, 0));
  ASSERT_EQ(b->pos(), QPoint(160, 100));
  EXPECT_TRUE(out->Linked);
  EXPECT_TRUE(in->Linked);
  EXPECT_TRUE(in->StationQuestionPending()) << "the moved icon's inlet asks";
  EXPECT_DOUBLE_EQ(out->Station(), 4) << "both sides hold the number the inlet proposes";
  EXPECT_DOUBLE_EQ(in->Station(), 4);
  EXPECT_FALSE(out->StationLab->isHidden()) << "the label shows without a paint";
  EXPECT_EQ(out->StationLab->text(), "4");

  RunPosted();
  EXPECT_FALSE(askedDuringRelease);
  ASSERT_EQ(dialog.requests.size(), 1u);
  EXPECT_EQ(dialog.requests[0].Prompt, "Enter  In1  station number:");
  EXPECT_DOUBLE_EQ(out->Station(), 7);
  EXPECT_DOUBLE_EQ(in->Station(), 7);
  EXPECT_EQ(out->StationLab->text(), "7");
  SetNumInputHandler(scripted);
}

}  // namespace
}  // namespace vyr
