// The stretch handle on the demo canvas, driven through the window as a user
// would: Qt routes every event by position, mouse grab and pressed button, so
// these cases check the handle's forwarding and its capture together with
// Qt's own delivery.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include <QImage>

#include <QTest>
#include <QWindow>

#include "HandlesCanvas.h"
#include "HandlesKQ.h"

namespace vyr::test {
namespace {

using vyr::demo::THandlesCanvas;

class HandlesCanvas : public ::testing::Test {
 protected:
  void SetUp() override {
    canvas_ = std::make_unique<THandlesCanvas>(40);  // two rows of 20 panels
    canvas_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(canvas_.get()));
    window_ = canvas_->windowHandle();
    handle_ = canvas_->Handle();
  }

  QWidget* Panel(int i) const { return canvas_->Panels().at(static_cast<std::size_t>(i)); }
  QPoint CentreOf(int i) const { return Panel(i)->geometry().center(); }

  void Press(QPoint p, Qt::KeyboardModifiers m = {}) { QTest::mousePress(window_, Qt::LeftButton, m, p); }
  void Move(QPoint p) { QTest::mouseMove(window_, p); }
  void Release(QPoint p, Qt::KeyboardModifiers m = {}) { QTest::mouseRelease(window_, Qt::LeftButton, m, p); }
  void Click(QPoint p, Qt::KeyboardModifiers m = {}) {
    Press(p, m);
    Release(p, m);
  }

  std::unique_ptr<THandlesCanvas> canvas_;
  QWindow* window_ = nullptr;
  TStretchHandle* handle_ = nullptr;
};

TEST_F(HandlesCanvas, ClickAndShiftClickSelect) {
  Click(CentreOf(0));
  ASSERT_EQ(handle_->ChildCount(), 1);
  EXPECT_EQ(handle_->Children(0), Panel(0));

  Click(CentreOf(1), Qt::ShiftModifier);
  Click(CentreOf(21), Qt::ShiftModifier);
  EXPECT_EQ(handle_->ChildCount(), 3);

  // Panel 1 now lies under the handle: the handle takes the Shift-click and
  // the canvas releases the panel.
  Click(CentreOf(1), Qt::ShiftModifier);
  EXPECT_EQ(handle_->ChildCount(), 2);
  EXPECT_FALSE(handle_->ChildAttached(Panel(1)));
  EXPECT_EQ(Panel(1)->pos(), QPoint(72, 16)) << "a click moves nothing";

  // Panel 20 lies inside the handle but is not selected: the press reaches it.
  Click(CentreOf(20));
  ASSERT_EQ(handle_->ChildCount(), 1);
  EXPECT_EQ(handle_->Children(0), Panel(20));
}

TEST_F(HandlesCanvas, PressOnAPanelAndDragIt) {
  const QPoint start = Panel(3)->pos();
  Press(CentreOf(3));
  Move(CentreOf(3) + QPoint(1, 1));  // the first move starts the drag
  Move(CentreOf(3) + QPoint(9, 17));
  Release(CentreOf(3) + QPoint(9, 17));
  EXPECT_EQ(handle_->Children(0), Panel(3));
  // 8 and 16 px on, on the canvas's 1 px grid.
  EXPECT_EQ(Panel(3)->pos(), start + QPoint(8, 16));
  EXPECT_EQ(handle_->geometry().topLeft(), Panel(3)->pos() - QPoint(2, 2));
}

TEST_F(HandlesCanvas, BandSelectsWhatItTouches) {
  // From the empty canvas left of panel 0 over panels 0, 1, 20 and 21.
  Press({6, 6});
  Move({60, 40});
  Move({Panel(21)->x() + 2, Panel(21)->y() + 2});
  Release({Panel(21)->x() + 2, Panel(21)->y() + 2});
  EXPECT_EQ(handle_->ChildCount(), 4);
  for (const int i : {0, 1, 20, 21}) EXPECT_TRUE(handle_->ChildAttached(Panel(i))) << "panel " << i + 1;

  // A band that starts on empty canvas inside the handle is passed on to the
  // canvas and selects, rather than dragging the selection.
  const QPoint gap(Panel(0)->geometry().right() + 4, Panel(20)->y() - 4);
  ASSERT_TRUE(handle_->geometry().contains(gap));
  const QPoint before = Panel(0)->pos();
  Press(gap);
  Move(gap + QPoint(5, 5));
  Move(CentreOf(21));
  Release(CentreOf(21));
  EXPECT_EQ(handle_->ChildCount(), 2);
  EXPECT_TRUE(handle_->ChildAttached(Panel(20)));
  EXPECT_TRUE(handle_->ChildAttached(Panel(21)));
  EXPECT_EQ(Panel(0)->pos(), before);

  // A click on the empty canvas clears the selection.
  Click({6, 6});
  EXPECT_FALSE(handle_->Attached());
}

TEST_F(HandlesCanvas, ArrowKeysMoveTheSelection) {
  canvas_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(canvas_.get()));
  Click(CentreOf(5));
  const QPoint start = Panel(5)->pos();
  QTest::keyClick(window_, Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
  QTest::keyClick(window_, Qt::Key_Down);
  EXPECT_EQ(Panel(5)->pos(), start + QPoint(10, 1)) << "the handle has the keyboard focus";
  QTest::keyClick(window_, Qt::Key_Escape);
  EXPECT_FALSE(handle_->Attached());
}

// A panel's frame is one logical pixel on every side at every device pixel
// ratio: whole black device pixels (as many as the ratio, rounded either way),
// never blended with the fill, and no sliver of fill beyond the right and
// bottom sides.
class PanelFrame : public HandlesCanvas, public ::testing::WithParamInterface<double> {};

TEST_P(PanelFrame, IsCrispOnEverySide) {
  const double dpr = GetParam();
  QWidget* panel = Panel(0);
  QImage img((QSizeF(panel->size()) * dpr).toSize(), QImage::Format_RGB32);
  img.setDevicePixelRatio(dpr);
  panel->render(&img);
  const QColor black(Qt::black), fill = img.pixelColor(img.width() / 2, int(std::lround(4 * dpr)));
  ASSERT_NE(fill, black);
  // A row and a column 3 logical px in from the top and left, clear of the number.
  for (const bool column : {false, true}) {
    const int n = column ? img.height() : img.width();
    const int at = int(std::lround(3.5 * dpr));
    int frame = 0, blends = 0;
    for (int k = 0; k < n; ++k) {
      const QColor c = column ? img.pixelColor(at, k) : img.pixelColor(k, at);
      if (c == black)
        ++frame;
      else if (c != fill)
        ++blends;
    }
    const QColor first = column ? img.pixelColor(at, 0) : img.pixelColor(0, at);
    const QColor last = column ? img.pixelColor(at, n - 1) : img.pixelColor(n - 1, at);
    const char* what = column ? "top and bottom" : "left and right";
    EXPECT_EQ(first, black) << what;
    EXPECT_EQ(last, black) << what << ": no fill beyond the frame";
    EXPECT_EQ(blends, 0) << what;
    EXPECT_GE(frame, 2 * int(std::floor(dpr))) << what;
    EXPECT_LE(frame, 2 * int(std::ceil(dpr))) << what;
  }
}

INSTANTIATE_TEST_SUITE_P(Ratios, PanelFrame, ::testing::Values(1.0, 1.5, 2.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                           return info.param == 1.0   ? std::string("One")
                                  : info.param == 1.5 ? std::string("OneAndAHalf")
                                                      : std::string("Two");
                         });

}  // namespace
}  // namespace vyr::test
