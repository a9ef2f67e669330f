// The stretch handle: attaching and releasing controls, the geometry invariant,
// SetBounds and its clamps, the grid, drags by every grip through mouse events,
// arrow keys, the lock, forwarding of clicks to the control beneath, the
// squares as rendered, and the drag signals.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QImage>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include "HandlesKQ.h"

namespace vyr::test {
namespace {

/// A control that records the mouse events it receives; filled with a colour.
class TMouseProbe : public QWidget {
 public:
  struct TRecord {
    QEvent::Type Type;
    QPoint Pos;
    Qt::MouseButton Button;
    Qt::KeyboardModifiers Modifiers;
  };

  TMouseProbe(QWidget* parent, const QColor& fill) : QWidget(parent) {
    QPalette p = palette();
    p.setColor(QPalette::Window, fill);
    setPalette(p);
    setAutoFillBackground(true);
  }

  std::vector<TRecord> Events;
  std::function<void()> OnPress;  ///< runs after a press is recorded

 protected:
  void mousePressEvent(QMouseEvent* e) override {
    Record(e);
    if (OnPress) OnPress();
  }
  void mouseMoveEvent(QMouseEvent* e) override { Record(e); }
  void mouseReleaseEvent(QMouseEvent* e) override { Record(e); }

 private:
  void Record(QMouseEvent* e) {
    Events.push_back({e->type(), e->position().toPoint(), e->button(), e->modifiers()});
  }
};

const QColor kSurfaceColour(255, 255, 255);
const QColor kControlColour(200, 220, 255);

/// Handle bounds that the invariant requires around the attached controls.
QRect ExpectedBounds(const TStretchHandle& h) {
  QRect r;
  for (int i = 0; i < h.ChildCount(); ++i) {
    const QRect c = h.Children(i)->geometry();
    const QRect around(c.x() - 2, c.y() - 2, c.width() + 5, c.height() + 5);
    r = i == 0 ? around
               : QRect(QPoint(std::min(r.left(), around.left()), std::min(r.top(), around.top())),
                       QPoint(std::max(r.right(), around.right()), std::max(r.bottom(), around.bottom())));
  }
  return r;
}

class StretchHandle : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<QWidget>();
    window_->resize(400, 300);
    surface_ = new TMouseProbe(window_.get(), kSurfaceColour);
    surface_->setGeometry(0, 0, 400, 300);
    handle_ = new TStretchHandle(window_.get());
  }

  TMouseProbe* AddControl(const QRect& r, QWidget* parent = nullptr) {
    auto* c = new TMouseProbe(parent != nullptr ? parent : surface_, kControlColour);
    c->setGeometry(r);
    return c;
  }

  void ShowWindow() {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  /// The drag outline shown on the surface, or null.
  QWidget* Outline() const { return surface_->findChild<QWidget*>(QStringLiteral("DragOutline")); }

  std::unique_ptr<QWidget> window_;
  TMouseProbe* surface_ = nullptr;
  TStretchHandle* handle_ = nullptr;
};

TEST_F(StretchHandle, StartsDetached) {
  EXPECT_EQ(handle_->size(), QSize(24, 24));
  EXPECT_EQ(handle_->Color(), QColor(Qt::black));
  EXPECT_EQ(handle_->SecondaryColor(), QColor(0x80, 0x80, 0x80));
  EXPECT_EQ(handle_->GridX(), 1);
  EXPECT_EQ(handle_->GridY(), 1);
  EXPECT_FALSE(handle_->SnapToGrid());
  EXPECT_EQ(handle_->ResizeMode(), rmBoth);
  EXPECT_FALSE(handle_->Locked());
  EXPECT_FALSE(handle_->isEnabled());
  EXPECT_TRUE(handle_->isHidden());
  EXPECT_FALSE(handle_->Attached());
  EXPECT_EQ(handle_->ChildCount(), 0);
  EXPECT_TRUE(handle_->DragShiftState.empty());
  EXPECT_EQ(handle_->Children(0), nullptr) << "an empty list answers nil at any index";
  EXPECT_EQ(handle_->Children(5), nullptr);
}

TEST_F(StretchHandle, AttachExtendsOverEachControl) {
  QWidget* a = AddControl({40, 30, 100, 50});
  QWidget* b = AddControl({200, 10, 20, 20});
  handle_->Attach(a);
  EXPECT_EQ(handle_->parentWidget(), surface_) << "the handle joins the controls' parent";
  EXPECT_EQ(handle_->geometry(), QRect(38, 28, 105, 55));
  EXPECT_FALSE(handle_->isHidden());
  EXPECT_TRUE(handle_->isEnabled());

  handle_->Attach(b);
  EXPECT_EQ(handle_->geometry(), QRect(38, 8, 185, 75));
  EXPECT_EQ(a->geometry(), QRect(40, 30, 100, 50)) << "attaching moves no control";

  handle_->Attach(a);
  handle_->Attach(nullptr);
  handle_->Attach(handle_);
  EXPECT_EQ(handle_->ChildCount(), 2) << "a control attached twice, nil or a handle change nothing";

  EXPECT_EQ(handle_->Children(0), a);
  EXPECT_EQ(handle_->Children(1), b);
  EXPECT_EQ(handle_->Children(-1), nullptr);
  EXPECT_THROW(handle_->Children(2), std::out_of_range);
  EXPECT_EQ(handle_->IndexOf(b), 1);
  EXPECT_EQ(handle_->IndexOf(surface_), -1);
  EXPECT_TRUE(handle_->ChildAttached(a));
  EXPECT_FALSE(handle_->ChildAttached(surface_));
}

TEST_F(StretchHandle, ControlOfAnotherParentReplacesTheSelection) {
  auto* other = new QWidget(window_.get());
  other->setGeometry(0, 0, 400, 300);
  handle_->Attach(AddControl({10, 10, 30, 30}));
  handle_->Attach(AddControl({100, 10, 30, 30}));
  handle_->SetLocked(true);
  QWidget* stranger = AddControl({50, 60, 10, 20}, other);
  handle_->Attach(stranger);
  EXPECT_EQ(handle_->ChildCount(), 1);
  EXPECT_EQ(handle_->Children(0), stranger);
  EXPECT_EQ(handle_->parentWidget(), other);
  EXPECT_FALSE(handle_->Locked()) << "the old selection was detached";
  EXPECT_EQ(handle_->geometry(), QRect(48, 58, 15, 25));
}

TEST_F(StretchHandle, FormsAreRefused) {
  QWidget* a = AddControl({40, 30, 100, 50});
  handle_->Attach(a);
  QWidget floating;
  for (QWidget* form : {window_.get(), &floating}) {
    try {
      handle_->Attach(form);
      ADD_FAILURE() << "a top-level window was attached";
    } catch (const EBadChild& e) {
      EXPECT_STREQ(e.what(), "Handles can not be attached to a Form!");
    }
  }
  EXPECT_EQ(handle_->ChildCount(), 1) << "the selection is unchanged";
  EXPECT_EQ(handle_->geometry(), QRect(38, 28, 105, 55));
}

TEST_F(StretchHandle, ReleaseAndDetach) {
  QWidget* a = AddControl({40, 30, 100, 50});
  QWidget* b = AddControl({200, 10, 20, 20});
  QWidget* c = AddControl({10, 200, 30, 30});
  for (QWidget* w : {a, b, c}) handle_->Attach(w);
  handle_->SetLocked(true);

  handle_->ReleaseChild(a);
  EXPECT_EQ(handle_->geometry(), ExpectedBounds(*handle_));
  EXPECT_EQ(handle_->geometry(), QRect(8, 8, 215, 225));
  handle_->ReleaseChild(a);
  EXPECT_EQ(handle_->ChildCount(), 2) << "releasing a control not attached changes nothing";
  EXPECT_TRUE(handle_->Locked());

  handle_->ReleaseChild(b);
  handle_->ReleaseChild(c);
  EXPECT_FALSE(handle_->Attached());
  EXPECT_FALSE(handle_->Locked()) << "releasing the last control unlocks";
  EXPECT_TRUE(handle_->isHidden());
  EXPECT_FALSE(handle_->isEnabled());

  handle_->Attach(a);
  handle_->Attach(b);
  handle_->SetLocked(true);
  handle_->Detach();
  EXPECT_FALSE(handle_->Attached());
  EXPECT_FALSE(handle_->Locked());
  EXPECT_EQ(handle_->size(), QSize(24, 24));
  EXPECT_TRUE(handle_->isHidden());
  EXPECT_FALSE(handle_->isEnabled());
  EXPECT_EQ(handle_->parentWidget(), surface_) << "the parent stays";
  EXPECT_EQ(a->geometry(), QRect(40, 30, 100, 50));
}

TEST_F(StretchHandle, DestroyedControlsLeaveTheSelection) {
  QWidget* a = AddControl({40, 30, 100, 50});
  QWidget* b = AddControl({200, 10, 20, 20});
  handle_->Attach(a);
  handle_->Attach(b);
  delete b;
  EXPECT_EQ(handle_->ChildCount(), 1);
  EXPECT_EQ(handle_->geometry(), QRect(38, 28, 105, 55));
  delete a;
  EXPECT_FALSE(handle_->Attached());
  EXPECT_TRUE(handle_->isHidden());

}

// The owner frees the handle, not the surface it sits on: freeing the surface
// of the selection leaves a detached handle with its owner, ready for the
// next Attach; freeing the owner frees the handle wherever it sits.
TEST_F(StretchHandle, OwnerStaysTheOwner) {
  const QPointer<TStretchHandle> alive(handle_);
  handle_->Attach(AddControl({5, 5, 10, 10}));
  handle_->Attach(AddControl({50, 5, 10, 10}));
  delete surface_;
  surface_ = nullptr;
  ASSERT_FALSE(alive.isNull()) << "freed with the surface";
  EXPECT_EQ(handle_->parentWidget(), window_.get());
  EXPECT_FALSE(handle_->Attached());
  EXPECT_TRUE(handle_->isHidden());

  auto elsewhere = std::make_unique<QWidget>();
  QWidget* c = AddControl({40, 30, 100, 50}, elsewhere.get());
  handle_->Attach(c);
  EXPECT_EQ(handle_->parentWidget(), elsewhere.get());
  EXPECT_EQ(handle_->geometry(), QRect(38, 28, 105, 55));

  handle_->ReleaseChild(c);
  EXPECT_EQ(handle_->parentWidget(), window_.get()) << "releasing the last control returns it to the owner";
  handle_->Attach(c);
  window_.reset();
  EXPECT_TRUE(alive.isNull()) << "the owner frees it on any surface";
  elsewhere.reset();
}

TEST_F(StretchHandle, SetBoundsCarriesTheSelection) {
  QWidget* a = AddControl({40, 30, 100, 50});
  QWidget* b = AddControl({200, 10, 20, 20});
  handle_->Attach(a);
  handle_->Attach(b);
  handle_->SetBounds(48, 18, 195, 85);  // 10 right, 10 down, 10 wider and taller
  EXPECT_EQ(a->geometry(), QRect(50, 40, 110, 60));
  EXPECT_EQ(b->geometry(), QRect(210, 20, 30, 30));
  EXPECT_EQ(handle_->geometry(), QRect(48, 18, 195, 85));
  EXPECT_EQ(handle_->geometry(), ExpectedBounds(*handle_));

  // No control shrinks below nothing: b, the narrowest, stops at size 0.
  handle_->SetBounds(0, 0, 1, 1);
  EXPECT_EQ(b->size(), QSize(0, 0));
  EXPECT_EQ(a->size(), QSize(80, 30));
  EXPECT_EQ(handle_->geometry(), ExpectedBounds(*handle_));

  handle_->SetLocked(true);
  const QRect before = handle_->geometry();
  handle_->SetBounds(100, 100, 300, 300);
  EXPECT_EQ(handle_->geometry(), before) << "a locked handle stays";
  EXPECT_EQ(b->geometry(), QRect(162, 2, 0, 0));

  handle_->Detach();
  handle_->SetBounds(5, 6, 30, 40);
  EXPECT_EQ(handle_->geometry(), QRect(5, 6, 30, 40));
  EXPECT_TRUE(handle_->isHidden()) << "SetBounds leaves the visibility alone";
}

TEST_F(StretchHandle, OneControlShrinksToNothing) {
  QWidget* a = AddControl({40, 30, 100, 50});
  handle_->Attach(a);
  handle_->SetBounds(10, 10, 2, -4);
  EXPECT_EQ(handle_->geometry(), QRect(10, 10, 5, 5));
  EXPECT_EQ(a->geometry(), QRect(12, 12, 0, 0));
}

struct TGridCase {
  const char* Name;
  int Grid;
  int ScrollX;  ///< horizontal scroll position of a scrolling parent; -1: plain parent
  int X;
  int Expected;
};

void PrintTo(const TGridCase& c, std::ostream* os) { *os << c.Name; }

class GridAdjust : public StretchHandle, public ::testing::WithParamInterface<TGridCase> {};

TEST_P(GridAdjust, SnapsToTheGrid) {
  const TGridCase& c = GetParam();
  QWidget* parent = surface_;
  QScrollArea* area = nullptr;
  if (c.ScrollX >= 0) {
    area = new QScrollArea(window_.get());
    area->resize(200, 200);
    area->horizontalScrollBar()->setRange(0, 100);
    area->horizontalScrollBar()->setValue(c.ScrollX);
    parent = area->viewport();
  }
  handle_->Attach(AddControl({20, 20, 10, 10}, parent));
  handle_->SetGridX(c.Grid);
  handle_->SetGridY(c.Grid);
  EXPECT_EQ(handle_->XGridAdjust(c.X), c.Expected);
  if (area != nullptr) {
    area->verticalScrollBar()->setRange(0, 100);
    area->verticalScrollBar()->setValue(c.ScrollX);
  }
  EXPECT_EQ(handle_->YGridAdjust(c.X), c.Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridAdjust,
    ::testing::Values(TGridCase{"NoGrid", 1, -1, 13, 13}, TGridCase{"HalfRoundsUp", 8, -1, 13, 16},
                      TGridCase{"BelowHalfRoundsDown", 8, -1, 11, 8}, TGridCase{"OnGrid", 8, -1, 24, 24},
                      TGridCase{"Widest", 32, -1, 47, 32}, TGridCase{"TruncatesTowardsZero", 8, -1, -13, -8},
                      TGridCase{"ScrolledBy3", 8, 3, 13, 13}, TGridCase{"ScrolledBy19", 8, 19, 11, 5}),
    [](const ::testing::TestParamInfo<TGridCase>& info) { return std::string(info.param.Name); });

TEST_F(StretchHandle, SnapToGridAndGridLimits) {
  handle_->SetGridX(16);
  handle_->SetSnapToGrid(true);
  EXPECT_EQ(handle_->GridX(), 16);
  EXPECT_EQ(handle_->GridY(), 8);
  EXPECT_TRUE(handle_->SnapToGrid());
  handle_->SetSnapToGrid(false);
  EXPECT_EQ(handle_->GridX(), 1);
  EXPECT_EQ(handle_->GridY(), 1);
  EXPECT_FALSE(handle_->SnapToGrid());

  handle_->SetGridX(32);
  EXPECT_THROW(handle_->SetGridX(0), std::out_of_range);
  EXPECT_THROW(handle_->SetGridY(33), std::out_of_range);
  EXPECT_EQ(handle_->GridX(), 32) << "a refused spacing keeps the old one";
  EXPECT_EQ(handle_->GridY(), 1);
}

// ---- Drags through mouse events -------------------------------------------

/// Points of the grips of a 64 x 64 control in its 69 x 69 handle.
const QPoint kTopLeft(2, 2), kTopRight(66, 2), kBottomRight(66, 66), kBottomLeft(2, 66), kTop(34, 2),
    kBottom(34, 66), kLeft(2, 34), kRight(66, 34), kCentre(34, 34);

struct TDragCase {
  const char* Name;
  QPoint Grip;     ///< press point [handle coordinates]
  QPoint Path;     ///< how far the mouse goes [px]
  int Grid;
  TResizeMode Mode;
  TDragStyle Style;  ///< drag style the press selects
  QRect Expected;    ///< the control afterwards (it starts at 104, 96, 64, 64)
};

void PrintTo(const TDragCase& c, std::ostream* os) { *os << c.Name; }

class Drag : public StretchHandle, public ::testing::WithParamInterface<TDragCase> {};

TEST_P(Drag, MovesOrResizesTheControl) {
  const TDragCase& c = GetParam();
  QWidget* control = AddControl({104, 96, 64, 64});
  handle_->Attach(control);
  handle_->SetGridX(c.Grid);
  handle_->SetGridY(c.Grid);
  handle_->SetResizeMode(c.Mode);
  QSignalSpy ends(handle_, &TStretchHandle::OnEndDrag);

  QTest::mousePress(handle_, Qt::LeftButton, {}, c.Grip);
  EXPECT_EQ(handle_->DragStyle(), c.Style);
  EXPECT_TRUE(handle_->Dragging());
  QTest::mouseMove(handle_, c.Grip + c.Path / 2);
  QTest::mouseMove(handle_, c.Grip + c.Path);
  EXPECT_EQ(control->geometry(), QRect(104, 96, 64, 64)) << "nothing moves before the release";
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, c.Grip + c.Path);

  EXPECT_FALSE(handle_->Dragging());
  EXPECT_EQ(control->geometry(), c.Expected);
  EXPECT_EQ(handle_->geometry(), ExpectedBounds(*handle_));
  EXPECT_EQ(ends.count(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Drag,
    ::testing::Values(
        TDragCase{"Move", kCentre, {10, 7}, 1, rmBoth, dsMove, {114, 103, 64, 64}},
        TDragCase{"MoveOnGrid8", kCentre, {13, 3}, 8, rmBoth, dsMove, {120, 96, 64, 64}},
        TDragCase{"BottomRight", kBottomRight, {8, 5}, 1, rmBoth, dsSizeBottomRight, {104, 96, 72, 69}},
        TDragCase{"BottomRightOnGrid8", kBottomRight, {8, 8}, 8, rmBoth, dsSizeBottomRight, {104, 96, 72, 72}},
        TDragCase{"TopLeft", kTopLeft, {-10, -6}, 1, rmBoth, dsSizeTopLeft, {94, 90, 74, 70}},
        TDragCase{"TopLeftOnGrid8", kTopLeft, {-5, -5}, 8, rmBoth, dsSizeTopLeft, {96, 88, 72, 72}},
        TDragCase{"TopRight", kTopRight, {6, -4}, 1, rmBoth, dsSizeTopRight, {104, 92, 70, 68}},
        TDragCase{"BottomLeft", kBottomLeft, {-5, 9}, 1, rmBoth, dsSizeBottomLeft, {99, 96, 69, 73}},
        TDragCase{"TopEdgeWithBoth", kTop, {0, -8}, 1, rmBoth, dsSizeTop, {104, 88, 64, 72}},
        TDragCase{"RightEdgeWithBoth", kRight, {20, 0}, 1, rmBoth, dsSizeRight, {104, 96, 84, 64}},
        TDragCase{"BottomEdgeVertical", kBottom, {0, 12}, 1, rmVert, dsSizeBottom, {104, 96, 64, 76}},
        TDragCase{"LeftEdgeHorizontal", kLeft, {-4, 0}, 1, rmHorz, dsSizeLeft, {100, 96, 68, 64}},
        TDragCase{"CornerMovesWhenVertical", kBottomRight, {5, 5}, 1, rmVert, dsMove, {109, 101, 64, 64}},
        TDragCase{"EdgeMovesWithNone", kRight, {20, 0}, 1, rmNone, dsMove, {124, 96, 64, 64}},
        TDragCase{"ShortPullSnapsBack", kRight, {3, 0}, 8, rmBoth, dsSizeRight, {104, 96, 64, 64}},
        TDragCase{"ShrinksToNothing", kBottomRight, {-90, -80}, 1, rmBoth, dsSizeBottomRight, {104, 96, 0, 0}},
        TDragCase{"TopLeftPastTheOtherCorner", kTopLeft, {100, 100}, 1, rmBoth, dsSizeTopLeft, {204, 196, 0, 0}},
        TDragCase{"StopsAtTheLeftAndTopEdges", kCentre, {-150, -150}, 1, rmBoth, dsMove, {0, 0, 64, 64}},
        TDragCase{"PointerStaysInsideTheParent", kCentre, {400, 0}, 1, rmBoth, dsMove, {368, 96, 64, 64}}),
    [](const ::testing::TestParamInfo<TDragCase>& info) { return std::string(info.param.Name); });

TEST_F(StretchHandle, OutlineFollowsTheDrag) {
  QWidget* control = AddControl({104, 96, 64, 64});
  handle_->Attach(control);
  QTest::mousePress(handle_, Qt::LeftButton, {}, kBottomRight);
  QTest::mouseMove(handle_, kBottomRight + QPoint(10, 20));
  EXPECT_EQ(handle_->DragRect(), QRect(102, 94, 79, 89));
  EXPECT_EQ(handle_->DragRect(), handle_->GetModifiedRect(76, 86));
  ASSERT_NE(Outline(), nullptr);
  EXPECT_FALSE(Outline()->isHidden());
  EXPECT_EQ(Outline()->geometry(), QRect(104, 96, 74, 84)) << "the outline is the control's new rectangle";
  const QImage img = surface_->grab().toImage();
  EXPECT_NE(img.pixelColor(104, 120), kControlColour) << "the outline's left side is drawn";
  EXPECT_EQ(img.pixelColor(140, 140), kControlColour) << "inside the outline the control shows";

  QTest::mouseMove(handle_, kBottomRight + QPoint(-4, 2));
  EXPECT_EQ(Outline()->geometry(), QRect(104, 96, 60, 66));
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, kBottomRight + QPoint(-4, 2));
  EXPECT_TRUE(handle_->DragRect().isNull());
  EXPECT_TRUE(Outline()->isHidden());
  EXPECT_EQ(control->geometry(), QRect(104, 96, 60, 66));
}

TEST_F(StretchHandle, DragSignals) {
  QWidget* control = AddControl({104, 96, 64, 64});
  handle_->Attach(control);
  QSignalSpy starts(handle_, &TStretchHandle::OnStartDrag);
  QSignalSpy ends(handle_, &TStretchHandle::OnEndDrag);
  QSignalSpy clicks(handle_, &TStretchHandle::OnClick);

  // A release at the press point is a click: no bounds change, no end of drag.
  QTest::mousePress(handle_, Qt::LeftButton, {}, kCentre);
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, kCentre);
  EXPECT_EQ(starts.count(), 1);
  EXPECT_EQ(ends.count(), 0);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(control->geometry(), QRect(104, 96, 64, 64));

  QTest::mousePress(handle_, Qt::LeftButton, {}, kCentre);
  QTest::mouseMove(handle_, kCentre + QPoint(3, 4));
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, kCentre + QPoint(3, 4));
  ASSERT_EQ(starts.count(), 2);
  EXPECT_EQ(starts.at(1).at(0).value<QObject*>(), handle_);
  ASSERT_EQ(ends.count(), 1);
  const QList<QVariant> end = ends.at(0);
  EXPECT_EQ(end.at(0).value<QObject*>(), handle_);
  EXPECT_EQ(end.at(1).value<QObject*>(), surface_) << "the target is the parent";
  EXPECT_EQ(end.at(2).toInt(), 37);
  EXPECT_EQ(end.at(3).toInt(), 38);
  EXPECT_EQ(clicks.count(), 1) << "a drag is no click";

  // A left-button move without a press on the selection starts a drag too.
  QTest::mousePress(surface_, Qt::LeftButton, {}, {5, 5});
  QTest::mouseMove(handle_, kCentre);
  EXPECT_TRUE(handle_->Dragging());
  EXPECT_EQ(starts.count(), 3);
  QTest::mouseMove(handle_, kCentre + QPoint(1, 1));
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, kCentre + QPoint(1, 1));
  EXPECT_EQ(control->geometry(), QRect(108, 101, 64, 64));
}

TEST_F(StretchHandle, DoubleClickOnlyRecordsTheShiftState) {
  handle_->Attach(AddControl({104, 96, 64, 64}));
  QSignalSpy doubles(handle_, &TStretchHandle::OnDblClick);
  QTest::mouseDClick(handle_, Qt::LeftButton, Qt::ShiftModifier, kCentre);
  EXPECT_TRUE(handle_->DragShiftState.contains(ssDouble));
  EXPECT_TRUE(handle_->DragShiftState.contains(ssShift));
  EXPECT_FALSE(handle_->Dragging());
  EXPECT_EQ(doubles.count(), 1);
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, kCentre);
}

TEST_F(StretchHandle, LockFreezesTheSelection) {
  QWidget* a = AddControl({104, 96, 64, 64});
  QWidget* b = AddControl({10, 10, 20, 20});
  handle_->Attach(a);
  handle_->SetLocked(true);
  QTest::mousePress(handle_, Qt::LeftButton, {}, kBottomRight);
  EXPECT_FALSE(handle_->Dragging());
  QTest::mouseMove(handle_, kBottomRight + QPoint(20, 20));
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, kBottomRight + QPoint(20, 20));
  QTest::keyClick(handle_, Qt::Key_Right);
  EXPECT_EQ(a->geometry(), QRect(104, 96, 64, 64));
  EXPECT_EQ(handle_->cursor().shape(), Qt::ForbiddenCursor);

  handle_->Attach(b);
  const QObjectList before = surface_->children();
  handle_->SendToBack();
  EXPECT_EQ(surface_->children(), before) << "a locked selection keeps its order";
  handle_->SetLocked(false);
  handle_->SendToBack();
  const QObjectList& after = surface_->children();
  EXPECT_EQ(after.at(0), b);
  EXPECT_EQ(after.at(1), a);
  EXPECT_EQ(after.last(), handle_) << "the handle stays on top";
  handle_->BringToFront();
  EXPECT_EQ(surface_->children().last(), handle_);
  EXPECT_EQ(surface_->children().at(surface_->children().size() - 2), b);
}

struct TKeyCase {
  const char* Name;
  Qt::Key Key;
  Qt::KeyboardModifiers Modifiers;
  QPoint Shift;  ///< expected move [px]
};

void PrintTo(const TKeyCase& c, std::ostream* os) { *os << c.Name; }

class ArrowKeys : public StretchHandle, public ::testing::WithParamInterface<TKeyCase> {};

TEST_P(ArrowKeys, MoveTheSelection) {
  const TKeyCase& c = GetParam();
  QWidget* a = AddControl({104, 96, 64, 64});
  QWidget* b = AddControl({10, 10, 20, 20});
  handle_->Attach(a);
  handle_->Attach(b);
  QTest::keyClick(handle_, c.Key, c.Modifiers);
  EXPECT_EQ(a->geometry(), QRect(QPoint(104, 96) + c.Shift, QSize(64, 64)));
  EXPECT_EQ(b->geometry(), QRect(QPoint(10, 10) + c.Shift, QSize(20, 20)));
  EXPECT_EQ(handle_->geometry(), ExpectedBounds(*handle_));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArrowKeys,
    ::testing::Values(TKeyCase{"Right", Qt::Key_Right, {}, {1, 0}}, TKeyCase{"Left", Qt::Key_Left, {}, {-1, 0}},
                      TKeyCase{"Up", Qt::Key_Up, {}, {0, -1}}, TKeyCase{"Down", Qt::Key_Down, {}, {0, 1}},
                      TKeyCase{"ShiftRight", Qt::Key_Right, Qt::ShiftModifier, {1, 0}},
                      TKeyCase{"CtrlDown", Qt::Key_Down, Qt::ControlModifier, {0, 1}},
                      TKeyCase{"ShiftCtrlRight", Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier, {10, 0}},
                      TKeyCase{"ShiftCtrlUp", Qt::Key_Up, Qt::ShiftModifier | Qt::ControlModifier, {0, -10}},
                      TKeyCase{"OtherKey", Qt::Key_A, {}, {0, 0}}),
    [](const ::testing::TestParamInfo<TKeyCase>& info) { return std::string(info.param.Name); });

// ---- Grips -----------------------------------------------------------------

struct TGripCase {
  const char* Name;
  TResizeMode Mode;
  bool Locked;
  QPoint At;  ///< [handle coordinates]
  TDragStyle Style;
  Qt::CursorShape Cursor;
};

void PrintTo(const TGripCase& c, std::ostream* os) { *os << c.Name; }

class Grips : public StretchHandle, public ::testing::WithParamInterface<TGripCase> {};

TEST_P(Grips, HoverSetsStyleAndCursor) {
  const TGripCase& c = GetParam();
  handle_->Attach(AddControl({104, 96, 64, 64}));
  handle_->SetResizeMode(c.Mode);
  handle_->SetLocked(c.Locked);
  ShowWindow();
  // From elsewhere: a cursor already at the point would send no move.
  QTest::mouseMove(window_.get(), {390, 290});
  QSignalSpy moves(handle_, &TStretchHandle::OnMouseMove);
  QTest::mouseMove(handle_, c.At);
  ASSERT_EQ(moves.count(), 1) << "the hover reached the handle";
  EXPECT_EQ(moves.at(0).at(1).toInt(), c.At.x());
  EXPECT_EQ(handle_->DragStyle(), c.Style);
  EXPECT_EQ(handle_->cursor().shape(), c.Cursor);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Grips,
    ::testing::Values(TGripCase{"TopLeft", rmBoth, false, kTopLeft, dsSizeTopLeft, Qt::SizeFDiagCursor},
                      TGripCase{"BottomRight", rmBoth, false, kBottomRight, dsSizeBottomRight, Qt::SizeFDiagCursor},
                      TGripCase{"TopRight", rmBoth, false, kTopRight, dsSizeTopRight, Qt::SizeBDiagCursor},
                      TGripCase{"BottomLeft", rmBoth, false, kBottomLeft, dsSizeBottomLeft, Qt::SizeBDiagCursor},
                      TGripCase{"TopWithBoth", rmBoth, false, kTop, dsSizeTop, Qt::SizeVerCursor},
                      TGripCase{"LeftWithBoth", rmBoth, false, kLeft, dsSizeLeft, Qt::SizeHorCursor},
                      TGripCase{"InnerColumnOfTheCornerSquare", rmBoth, false, {63, 63}, dsSizeBottomRight,
                                Qt::SizeFDiagCursor},
                      TGripCase{"Centre", rmBoth, false, kCentre, dsMove, Qt::ArrowCursor},
                      TGripCase{"TopVertical", rmVert, false, kTop, dsSizeTop, Qt::SizeVerCursor},
                      TGripCase{"CornerVertical", rmVert, false, kTopLeft, dsMove, Qt::ArrowCursor},
                      TGripCase{"LeftVertical", rmVert, false, kLeft, dsMove, Qt::ArrowCursor},
                      TGripCase{"RightHorizontal", rmHorz, false, kRight, dsSizeRight, Qt::SizeHorCursor},
                      TGripCase{"BottomHorizontal", rmHorz, false, kBottom, dsMove, Qt::ArrowCursor},
                      TGripCase{"CornerWithNone", rmNone, false, kBottomRight, dsMove, Qt::ArrowCursor},
                      TGripCase{"Locked", rmBoth, true, kTopLeft, dsSizeTopLeft, Qt::ForbiddenCursor}),
    [](const ::testing::TestParamInfo<TGripCase>& info) { return std::string(info.param.Name); });

// On a control too small for separate zones the corners win: a 4 x 4 control
// (a 9 x 9 handle) resizes from every point of its top row by a corner.
TEST_F(StretchHandle, CornersWinOnATinyControl) {
  handle_->Attach(AddControl({104, 96, 4, 4}));
  for (int x = 0; x < 9; ++x) {
    const TDragStyle s = handle_->GripAt(x, 1);
    EXPECT_TRUE(s == dsSizeTopLeft || s == dsSizeTopRight) << "x = " << x << ": " << int(s);
  }
}

TEST_F(StretchHandle, SeveralControlsHaveNoGrips) {
  handle_->Attach(AddControl({104, 96, 64, 64}));
  handle_->Attach(AddControl({200, 200, 20, 20}));
  EXPECT_EQ(handle_->GripAt(2, 2), dsMove);
  QTest::mousePress(handle_, Qt::LeftButton, {}, {2, 2});
  EXPECT_EQ(handle_->DragStyle(), dsMove);
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, {2, 2});
}

// ---- Rendering ---------------------------------------------------------------

/// Pixels of the surface as rendered.
QImage Render(QWidget* surface) { return surface->grab().toImage().convertToFormat(QImage::Format_RGB32); }

TEST_F(StretchHandle, SquaresInBothColours) {
  QWidget* a = AddControl({104, 96, 64, 64});
  handle_->Attach(a);
  ShowWindow();
  // The handle lies at (102, 94, 69, 69); the squares span 5 px inward from
  // (102, 94) to (170, 162) exclusive.
  QImage img = Render(surface_);
  const QColor black(Qt::black);
  for (const QPoint& p : {QPoint(102, 94), QPoint(106, 98), QPoint(169, 94), QPoint(169, 161), QPoint(102, 161),
                          QPoint(136, 94), QPoint(136, 161), QPoint(102, 128), QPoint(169, 128)})
    EXPECT_EQ(img.pixelColor(p), black) << "square at " << p.x() << "," << p.y();
  EXPECT_EQ(img.pixelColor(107, 98), kControlColour) << "squares are 5 px wide";
  EXPECT_EQ(img.pixelColor(120, 94), kSurfaceColour) << "between the squares the surface shows";
  EXPECT_EQ(img.pixelColor(136, 120), kControlColour) << "the control shows through the handle";
  EXPECT_EQ(img.pixelColor(170, 161), kSurfaceColour) << "the handle's last column is not painted";

  handle_->Attach(AddControl({200, 200, 20, 20}));
  img = Render(surface_);
  const QColor grey(0x80, 0x80, 0x80);
  EXPECT_EQ(img.pixelColor(102, 94), grey);
  EXPECT_EQ(img.pixelColor(169, 161), grey);
  EXPECT_EQ(img.pixelColor(198, 198), grey) << "each control has its corners";
  EXPECT_EQ(img.pixelColor(221, 221), grey);
  EXPECT_EQ(img.pixelColor(136, 94), kSurfaceColour) << "no edge squares with several controls";

  handle_->SetColors(Qt::red, Qt::green);
  img = Render(surface_);
  EXPECT_EQ(img.pixelColor(102, 94), QColor(Qt::green));
  handle_->ReleaseChild(handle_->Children(1));
  img = Render(surface_);
  EXPECT_EQ(img.pixelColor(102, 94), QColor(Qt::red));
  EXPECT_EQ(img.pixelColor(198, 198), kSurfaceColour);
}

TEST_F(StretchHandle, EveryPaintedSquareIsAGrip) {
  handle_->Attach(AddControl({104, 96, 64, 64}));
  ShowWindow();
  for (const TResizeMode mode : {rmBoth, rmHorz, rmVert, rmNone}) {
    handle_->SetResizeMode(mode);
    const QImage img = Render(surface_);
    int painted = 0;
    for (int y = 0; y < handle_->height(); ++y)
      for (int x = 0; x < handle_->width(); ++x) {
        if (img.pixelColor(handle_->pos() + QPoint(x, y)) != QColor(Qt::black)) continue;
        ++painted;
        // Corners mark the selection in every mode; they resize with rmBoth.
        const bool corner = (x < 5 || x >= 63) && (y < 5 || y >= 63);
        if (mode == rmBoth || !corner) {
          EXPECT_NE(handle_->GripAt(x, y), dsMove) << "mode " << int(mode) << " at " << x << "," << y;
        }
      }
    const int edges = mode == rmBoth ? 4 : mode == rmNone ? 0 : 2;
    EXPECT_EQ(painted, (4 + edges) * 25) << "mode " << int(mode);
  }
}

// ---- Device pixel ratios -------------------------------------------------------

/// The surface rendered at a device pixel ratio: one image pixel per device pixel.
QImage RenderAt(QWidget* surface, double dpr) {
  QImage img((QSizeF(surface->size()) * dpr).toSize(), QImage::Format_RGB32);
  img.setDevicePixelRatio(dpr);
  img.fill(Qt::magenta);
  surface->render(&img);
  return img;
}

class PixelRatio : public StretchHandle, public ::testing::WithParamInterface<double> {};

// Every device pixel is a square's colour or what lies beneath, never a blend
// of the two; a pixel whose centre lies half a device pixel or more inside a
// square is painted, one as far outside every square is not.
TEST_P(PixelRatio, SquaresAreCrispAndInPlace) {
  const double dpr = GetParam();
  handle_->Attach(AddControl({104, 96, 64, 64}));
  ShowWindow();
  const QImage img = RenderAt(surface_, dpr);
  // The control (104, 96, 64, 64) extended by 2 px: (l, t)-(r, b) exclusive.
  const int l = 102, t = 94, r = 170, b = 162, m = l + (r - l) / 2, n = t + (b - t) / 2;
  const QRectF squares[] = {{double(l), double(t), 5, 5},         {double(r - 5), double(t), 5, 5},
                            {double(r - 5), double(b - 5), 5, 5}, {double(l), double(b - 5), 5, 5},
                            {double(m - 2), double(t), 5, 5},     {double(m - 2), double(b - 5), 5, 5},
                            {double(l), double(n - 2), 5, 5},     {double(r - 5), double(n - 2), 5, 5}};
  const double half = 0.5 / dpr;  // half a device pixel [logical px]
  int blends = 0, missing = 0, stray = 0;
  for (int py = int((t - 2) * dpr); py < int((b + 2) * dpr); ++py)
    for (int px = int((l - 2) * dpr); px < int((r + 2) * dpr); ++px) {
      const QColor c = img.pixelColor(px, py);
      const bool black = c == QColor(Qt::black);
      if (!black && c != kControlColour && c != kSurfaceColour) ++blends;
      const QPointF centre((px + 0.5) / dpr, (py + 0.5) / dpr);
      bool surelyIn = false, maybeIn = false;
      for (const QRectF& q : squares) {
        surelyIn = surelyIn || q.adjusted(half, half, -half, -half).contains(centre);
        maybeIn = maybeIn || q.adjusted(-half, -half, half, half).contains(centre);
      }
      if (surelyIn && !black) ++missing;
      if (!maybeIn && black) ++stray;
    }
  EXPECT_EQ(blends, 0) << "half-covered pixels smear the squares' borders";
  EXPECT_EQ(missing, 0) << "device pixels inside a square left unpainted";
  EXPECT_EQ(stray, 0) << "device pixels outside every square painted";
}

// The drag outline is one device-independent pixel wide: as many device pixels
// as the ratio (rounded either way when it is fractional), all of them black
// or white, none a blend with the control beneath.
TEST_P(PixelRatio, OutlineIsOneLogicalPixelWide) {
  const double dpr = GetParam();
  handle_->Attach(AddControl({104, 96, 64, 64}));
  ShowWindow();
  QTest::mousePress(handle_, Qt::LeftButton, {}, kBottomRight);
  QTest::mouseMove(handle_, kBottomRight + QPoint(10, 20));
  ASSERT_NE(Outline(), nullptr);
  ASSERT_EQ(Outline()->geometry(), QRect(104, 96, 74, 84));
  const QImage img = RenderAt(surface_, dpr);
  // Across the outline's left side (x = 104, at y = 140) and its top side
  // (y = 96, at x = 120), from the side's first logical pixel 6 px inward:
  // beneath lies the control, away from the squares.
  for (const bool top : {false, true}) {
    int frame = 0, blends = 0;
    for (int k = int(std::lround((top ? 96 : 104) * dpr)); k < int((top ? 102 : 110) * dpr); ++k) {
      const int across = int(std::lround((top ? 120 : 140) * dpr));
      const QColor c = top ? img.pixelColor(across, k) : img.pixelColor(k, across);
      if (c == QColor(Qt::black) || c == QColor(Qt::white))
        ++frame;
      else if (c != kControlColour)
        ++blends;
    }
    EXPECT_EQ(blends, 0) << (top ? "top" : "left") << " side";
    EXPECT_GE(frame, int(std::floor(dpr))) << (top ? "top" : "left") << " side";
    EXPECT_LE(frame, int(std::ceil(dpr))) << (top ? "top" : "left") << " side";
  }
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, kBottomRight + QPoint(10, 20));
}

INSTANTIATE_TEST_SUITE_P(Ratios, PixelRatio, ::testing::Values(1.0, 1.5, 2.0),
                         [](const ::testing::TestParamInfo<double>& info) {
                           return info.param == 1.0 ? std::string("One")
                                  : info.param == 1.5 ? std::string("OneAndAHalf")
                                                      : std::string("Two");
                         });

// ---- Forwarding ---------------------------------------------------------------

class Forwarding : public StretchHandle {
 protected:
  void SetUp() override {
    StretchHandle::SetUp();
    bottom_ = AddControl({150, 130, 60, 60});
    top_ = AddControl({170, 150, 60, 60});
    handle_->Attach(AddControl({100, 100, 20, 20}));
    handle_->Attach(AddControl({260, 200, 20, 20}));
    ASSERT_EQ(handle_->geometry(), QRect(98, 98, 185, 125));
  }
  /// Handle coordinates of a surface point.
  QPoint At(int x, int y) const { return QPoint(x, y) - handle_->pos(); }

  TMouseProbe* bottom_ = nullptr;
  TMouseProbe* top_ = nullptr;
};

TEST_F(Forwarding, PressAndReleaseReachTheTopmostControl) {
  QTest::mousePress(handle_, Qt::LeftButton, Qt::ShiftModifier, At(180, 160));
  QTest::mouseMove(handle_, At(185, 162));
  QTest::mouseRelease(handle_, Qt::LeftButton, Qt::ShiftModifier, At(185, 162));
  EXPECT_TRUE(bottom_->Events.empty()) << "the control below the top one gets nothing";
  ASSERT_EQ(top_->Events.size(), 3u);
  EXPECT_EQ(top_->Events[0].Type, QEvent::MouseButtonPress);
  EXPECT_EQ(top_->Events[0].Pos, QPoint(10, 10)) << "in the control's own coordinates";
  EXPECT_EQ(top_->Events[0].Button, Qt::LeftButton);
  EXPECT_EQ(top_->Events[0].Modifiers, Qt::ShiftModifier);
  EXPECT_EQ(top_->Events[1].Type, QEvent::MouseMove) << "the press's moves follow it";
  EXPECT_EQ(top_->Events[1].Pos, QPoint(15, 12));
  EXPECT_EQ(top_->Events[2].Type, QEvent::MouseButtonRelease);
  EXPECT_EQ(top_->Events[2].Pos, QPoint(15, 12));
  EXPECT_EQ(top_->Events[2].Modifiers, Qt::ShiftModifier);
  EXPECT_TRUE(handle_->DragShiftState.contains(ssShift));
  EXPECT_FALSE(handle_->Dragging()) << "a forwarded press starts no drag";
  EXPECT_EQ(handle_->geometry(), QRect(98, 98, 185, 125));
}

TEST_F(Forwarding, EachPointFindsItsControl) {
  QTest::mouseClick(handle_, Qt::RightButton, Qt::ControlModifier, At(155, 135));
  ASSERT_EQ(bottom_->Events.size(), 2u);
  EXPECT_EQ(bottom_->Events[0].Pos, QPoint(5, 5));
  EXPECT_EQ(bottom_->Events[0].Button, Qt::RightButton);
  EXPECT_EQ(bottom_->Events[0].Modifiers, Qt::ControlModifier);

  QTest::mouseClick(handle_, Qt::LeftButton, {}, At(240, 110));
  ASSERT_EQ(surface_->Events.size(), 2u) << "no control there: the parent gets it";
  EXPECT_EQ(surface_->Events[0].Pos, QPoint(240, 110));

  top_->hide();
  QTest::mouseClick(handle_, Qt::LeftButton, {}, At(180, 160));
  EXPECT_EQ(bottom_->Events.size(), 4u) << "a hidden control takes no clicks";
  EXPECT_TRUE(top_->Events.empty());

  // Within 2 px of a selected control the handle keeps the press.
  const auto before = surface_->Events.size();
  QTest::mouseClick(handle_, Qt::LeftButton, {}, At(98, 98));
  EXPECT_EQ(surface_->Events.size(), before);
}

TEST_F(Forwarding, ForwardMessageDirectly) {
  handle_->ForwardMessage(fmMouseUp, Qt::MiddleButton, TShiftState{ssAlt}, 200, 180);
  ASSERT_EQ(top_->Events.size(), 1u);
  EXPECT_EQ(top_->Events[0].Type, QEvent::MouseButtonRelease);
  EXPECT_EQ(top_->Events[0].Button, Qt::MiddleButton);
  EXPECT_EQ(top_->Events[0].Pos, QPoint(30, 30));
  EXPECT_EQ(top_->Events[0].Modifiers, Qt::AltModifier);
}

TEST_F(Forwarding, AttachingOnTheForwardedPressDragsTheNewControl) {
  top_->OnPress = [this] {
    handle_->Detach();
    handle_->Attach(top_);
  };
  QTest::mousePress(handle_, Qt::LeftButton, {}, At(180, 160));
  ASSERT_EQ(handle_->ChildCount(), 1);
  // The handle now lies around the pressed control; the moves are its own.
  QTest::mouseMove(handle_, handle_->mapFrom(surface_, QPoint(182, 161)));
  QTest::mouseMove(handle_, handle_->mapFrom(surface_, QPoint(192, 171)));
  QTest::mouseRelease(handle_, Qt::LeftButton, {}, handle_->mapFrom(surface_, QPoint(192, 171)));
  EXPECT_EQ(top_->geometry(), QRect(180, 160, 60, 60)) << "dragged from the first move on";
  EXPECT_EQ(top_->Events.size(), 1u);
}

TEST_F(StretchHandle, HostHooks) {
  handle_->Attach(AddControl({104, 96, 64, 64}));
  ShowWindow();

  // A slot decides whether a drop is welcome.
  QObject::connect(handle_, &TStretchHandle::OnDragOver, handle_,
                   [](QObject*, int x, int, bool* accept) { *accept = x < 10; });
  QSignalSpy drops(handle_, &TStretchHandle::OnDragDrop);
  QMimeData mime;
  QDragEnterEvent far(QPoint(20, 5), Qt::MoveAction, &mime, Qt::LeftButton, {});
  QCoreApplication::sendEvent(handle_, &far);
  EXPECT_FALSE(far.isAccepted());
  QDragEnterEvent near(QPoint(5, 5), Qt::MoveAction, &mime, Qt::LeftButton, {});
  QCoreApplication::sendEvent(handle_, &near);
  EXPECT_TRUE(near.isAccepted());
  QDropEvent drop(QPointF(5, 6), Qt::MoveAction, &mime, Qt::LeftButton, {});
  QCoreApplication::sendEvent(handle_, &drop);
  ASSERT_EQ(drops.count(), 1);
  EXPECT_EQ(drops.at(0).at(2).toInt(), 6);

  QMenu menu;
  menu.addAction(QStringLiteral("Bring to front"));
  handle_->SetPopupMenu(&menu);
  QContextMenuEvent request(QContextMenuEvent::Mouse, kCentre, handle_->mapToGlobal(kCentre));
  QCoreApplication::sendEvent(handle_, &request);
  EXPECT_TRUE(menu.isVisible());
  menu.hide();

  handle_->SetHint(QStringLiteral("Selection"));
  EXPECT_EQ(handle_->toolTip(), QStringLiteral("Selection")) << "ParentShowHint shows it";
  handle_->SetShowHint(false);
  EXPECT_FALSE(handle_->ParentShowHint());
  EXPECT_TRUE(handle_->toolTip().isEmpty());
}

TEST_F(StretchHandle, PointOverChildIncludesTwoPixels) {
  handle_->Attach(AddControl({104, 96, 64, 64}));
  EXPECT_TRUE(handle_->PointOverChild({102, 94}));
  EXPECT_TRUE(handle_->PointOverChild({169, 161}));
  EXPECT_FALSE(handle_->PointOverChild({170, 120}));
  EXPECT_FALSE(handle_->PointOverChild({120, 162}));
  EXPECT_FALSE(handle_->PointOverChild({101, 120}));
}

}  // namespace
}  // namespace vyr::test
