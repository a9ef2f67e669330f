#include "HandlesKQ.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QResizeEvent>
#include <QScrollBar>

#include "VYRutils.h"

namespace vyr {

namespace {

/// Side of a selection square [px].
constexpr int kSquare = 5;
/// Margin of the handle around its controls: left and top, right and bottom [px].
constexpr int kLead = 2;
constexpr int kTrail = 3;
/// Handle size while detached [px].
constexpr int kDetachedSize = 24;
/// Arrow-key step with Shift and Ctrl held [px].
constexpr int kBigStep = 10;

/// Handle bounds h extended over one more control c.
QRect ExtendOver(const QRect& h, const QRect& c) {
  const int left = std::min(h.x(), c.x() - kLead);
  const int top = std::min(h.y(), c.y() - kLead);
  const int width = std::max(h.x() + h.width() - kTrail, c.x() + c.width()) - left + kTrail;
  const int height = std::max(h.y() + h.height() - kTrail, c.y() + c.height()) - top + kTrail;
  return {left, top, width, height};
}

/// Handle bounds around one control.
QRect AroundOne(const QRect& c) {
  return {c.x() - kLead, c.y() - kLead, c.width() + kLead + kTrail, c.height() + kLead + kTrail};
}

/// The scroll area whose viewport is p, or null. Children of a viewport move
/// when it scrolls, so their coordinates are relative to the visible area.
const QAbstractScrollArea* ScrollingParent(const QWidget* p) {
  if (p == nullptr) return nullptr;
  const auto* area = qobject_cast<const QAbstractScrollArea*>(p->parentWidget());
  return (area != nullptr && area->viewport() == p) ? area : nullptr;
}

/// Snaps v to a spacing g; offset aligns the grid with the scrolled content.
int Snap(int v, int g, int offset) {
  // Truncating division, as the grid has always rounded: half a spacing up.
  return ((v + g / 2) / g) * g - offset;
}

Qt::CursorShape CursorOf(TDragStyle style) {
  switch (style) {
    case dsSizeTopLeft:
    case dsSizeBottomRight:
      return Qt::SizeFDiagCursor;
    case dsSizeTopRight:
    case dsSizeBottomLeft:
      return Qt::SizeBDiagCursor;
    case dsSizeTop:
    case dsSizeBottom:
      return Qt::SizeVerCursor;
    case dsSizeLeft:
    case dsSizeRight:
      return Qt::SizeHorCursor;
    case dsMove:
      break;
  }
  return Qt::ArrowCursor;
}

bool IsCorner(TDragStyle s) {
  return s == dsSizeTopLeft || s == dsSizeTopRight || s == dsSizeBottomLeft || s == dsSizeBottomRight;
}

/// Whether the grip of style s works in resize mode m.
bool GripActive(TDragStyle s, TResizeMode m) {
  switch (m) {
    case rmBoth:
      return s != dsMove;
    case rmVert:
      return s == dsSizeTop || s == dsSizeBottom;
    case rmHorz:
      return s == dsSizeLeft || s == dsSizeRight;
    case rmNone:
      break;
  }
  return false;
}

/// The zone of grip s around the handle's client rectangle (0, 0, w, h): within
/// 5 px of a corner, or within 5 px of an edge and 3 px of its middle (the
/// middle is an exact half, hence the doubled coordinates).
bool InZone(TDragStyle s, int x, int y, int w, int h) {
  const bool left = std::abs(x) < 5, right = std::abs(x - w) < 5;
  const bool top = std::abs(y) < 5, bottom = std::abs(y - h) < 5;
  const bool midX = std::abs(2 * x - w) < 6, midY = std::abs(2 * y - h) < 6;
  switch (s) {
    case dsSizeTopLeft: return left && top;
    case dsSizeBottomRight: return right && bottom;
    case dsSizeTopRight: return right && top;
    case dsSizeBottomLeft: return left && bottom;
    case dsSizeTop: return midX && top;
    case dsSizeBottom: return midX && bottom;
    case dsSizeLeft: return midY && left;
    case dsSizeRight: return midY && right;
    case dsMove: break;
  }
  return false;
}

void SendMouse(QWidget* to, QEvent::Type type, const QPoint& local, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  const QPointF global = to->mapToGlobal(QPointF(local));
  QMouseEvent ev(type, QPointF(local), to->window()->mapFromGlobal(global), global, button, buttons, modifiers);
  QCoreApplication::sendEvent(to, &ev);
}

/// The drag outline: a dotted one-pixel frame on the handle's parent, above the
/// controls. Only the frame belongs to the widget (a mask), so that moving it
/// repaints two thin strips of the surface, not everything inside it.
class TDragOutline : public QWidget {
 public:
  explicit TDragOutline(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("DragOutline"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
  }

 protected:
  void resizeEvent(QResizeEvent*) override {
    const QRegion all(rect());
    setMask(width() > 2 && height() > 2 ? all.subtracted(QRegion(rect().adjusted(1, 1, -1, -1))) : all);
  }
  void paintEvent(QPaintEvent*) override {
    // Black dots on white stay visible on any background, as the exclusive-or
    // focus rectangle of old did. The frame is filled, one logical pixel wide,
    // with whole-pixel rectangles: at any device pixel ratio it covers whole
    // device pixels (two at a ratio of 2), where a cosmetic pen would draw one
    // device pixel and a one-pixel pen on a fractional ratio half-covered ones.
    QPainter p(this);
    FillPixelFrame(p, rect(), Qt::white);
    // Every other logical pixel of the frame black, counted from its corner.
    const int w = width(), h = height();
    const auto dot = [&p](int x, int y) {
      if ((x + y) % 2 == 0) p.fillRect(x, y, 1, 1, Qt::black);
    };
    for (int x = 0; x < w; ++x) {
      dot(x, 0);
      dot(x, h - 1);
    }
    for (int y = 1; y < h - 1; ++y) {
      dot(0, y);
      dot(w - 1, y);
    }
  }
};

}  // namespace

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons, bool doubleClick) {
  TShiftState s;
  if (modifiers & Qt::ShiftModifier) s.insert(ssShift);
  if (modifiers & Qt::AltModifier) s.insert(ssAlt);
  if (modifiers & Qt::ControlModifier) s.insert(ssCtrl);
  if (buttons & Qt::LeftButton) s.insert(ssLeft);
  if (buttons & Qt::RightButton) s.insert(ssRight);
  if (buttons & Qt::MiddleButton) s.insert(ssMiddle);
  if (doubleClick) s.insert(ssDouble);
  return s;
}

Qt::KeyboardModifiers ModifiersOf(TShiftState shift) {
  Qt::KeyboardModifiers m;
  if (shift.contains(ssShift)) m |= Qt::ShiftModifier;
  if (shift.contains(ssAlt)) m |= Qt::AltModifier;
  if (shift.contains(ssCtrl)) m |= Qt::ControlModifier;
  return m;
}

namespace {

Qt::MouseButtons ButtonsOf(TShiftState shift) {
  Qt::MouseButtons b;
  if (shift.contains(ssLeft)) b |= Qt::LeftButton;
  if (shift.contains(ssRight)) b |= Qt::RightButton;
  if (shift.contains(ssMiddle)) b |= Qt::MiddleButton;
  return b;
}

}  // namespace

TStretchHandle::TStretchHandle(QWidget* AOwner)
    : QWidget(AOwner), FPrimaryColor(Qt::black), FSecondaryColor(QColor(0x80, 0x80, 0x80)), FOwner(AOwner) {
  // The owner frees the handle also while it sits on another surface.
  if (AOwner != nullptr) connect(AOwner, &QObject::destroyed, this, [this] { delete this; });
  // Only the squares are painted: the controls beneath show through.
  setAttribute(Qt::WA_NoSystemBackground);
  setAutoFillBackground(false);
  setMouseTracking(true);  // the grips change the cursor while hovering
  setFocusPolicy(Qt::StrongFocus);
  setAcceptDrops(true);
  resize(kDetachedSize, kDetachedSize);
  setEnabled(false);
  hide();
}

TStretchHandle::~TStretchHandle() { delete FOutline.data(); }

void TStretchHandle::Attach(QWidget* ChildControl) {
  if (ChildControl != nullptr && ChildControl->isWindow()) throw EBadChild("Handles can not be attached to a Form!");
  if (ChildControl == nullptr || qobject_cast<TStretchHandle*>(ChildControl) != nullptr || ChildAttached(ChildControl))
    return;
  if (!FChildList.empty() && ChildControl->parentWidget() != parentWidget()) Detach();

  const QRect c = ChildControl->geometry();
  if (FChildList.empty()) {
    if (parentWidget() != ChildControl->parentWidget()) MoveTo(ChildControl->parentWidget());
    FDragRect = QRect();
    setEnabled(true);
    setVisible(true);
    setGeometry(AroundOne(c));
  } else {
    setGeometry(ExtendOver(geometry(), c));
  }
  FChildList.push_back(ChildControl);
  connect(ChildControl, &QObject::destroyed, this, &TStretchHandle::ChildDestroyed);
  FDragStyle = dsMove;
  // A press that the handle passed on and that the host answers by attaching
  // a control becomes the handle's own: its moves drag the new selection.
  FForwardTarget = nullptr;

  raise();
  // The press that led here (on a control beneath) continues as a drag of the
  // handle: take the mouse while a button is held. Without a button held a grab
  // would only swallow the next click elsewhere.
  if (isVisible() && QGuiApplication::mouseButtons() != Qt::NoButton) grabMouse();
  if (isVisible() && isEnabled()) setFocus();
  update();
}

void TStretchHandle::Detach() {
  for (QWidget* c : FChildList) disconnect(c, &QObject::destroyed, this, &TStretchHandle::ChildDestroyed);
  FChildList.clear();
  resize(kDetachedSize, kDetachedSize);
  EndSelection();
}

void TStretchHandle::EndSelection() {
  FLocked = false;
  FDragging = false;
  HideOutline();
  FDragRect = QRect();
  setEnabled(false);
  hide();
  ReleaseCapture();
}

void TStretchHandle::ReleaseChild(QWidget* ChildControl) {
  const auto it = std::find(FChildList.begin(), FChildList.end(), ChildControl);
  if (it == FChildList.end()) return;
  FChildList.erase(it);
  disconnect(ChildControl, &QObject::destroyed, this, &TStretchHandle::ChildDestroyed);
  QWidget* surface = parentWidget();
  if (FChildList.empty()) {
    EndSelection();
    ReturnToOwner();
  } else {
    setGeometry(BoundsAroundChildren());
  }
  if (surface != nullptr) surface->update();
  if (ChildControl->parentWidget() != nullptr) ChildControl->update();
  update();
}

void TStretchHandle::ChildDestroyed(QObject* child) {
  const auto it = std::find_if(FChildList.begin(), FChildList.end(),
                               [child](QWidget* w) { return static_cast<QObject*>(w) == child; });
  if (it == FChildList.end()) return;
  FChildList.erase(it);
  if (FChildList.empty()) {
    EndSelection();
    ReturnToOwner();
  } else {
    setGeometry(BoundsAroundChildren());
  }
  update();
}

void TStretchHandle::MoveTo(QWidget* surface) {
  delete FOutline.data();
  if (FSurface != nullptr) disconnect(FSurface, &QObject::destroyed, this, &TStretchHandle::SurfaceDestroyed);
  FSurface = nullptr;
  const bool hidden = isHidden();
  setParent(surface);
  setVisible(!hidden);
  // A surface other than the owner would take the handle along when it is
  // freed (Qt frees a widget's children): leave it just before. A widget
  // announces its destruction before it frees its children.
  if (surface != nullptr && surface != FOwner) {
    FSurface = surface;
    connect(surface, &QObject::destroyed, this, &TStretchHandle::SurfaceDestroyed);
  }
}

void TStretchHandle::ReturnToOwner() {
  if (parentWidget() != FOwner) MoveTo(FOwner);
}

void TStretchHandle::SurfaceDestroyed() {
  for (QWidget* c : FChildList) disconnect(c, &QObject::destroyed, this, &TStretchHandle::ChildDestroyed);
  FChildList.clear();
  EndSelection();
  ReturnToOwner();
}

int TStretchHandle::IndexOf(const QWidget* ChildControl) const {
  const auto it = std::find(FChildList.begin(), FChildList.end(), ChildControl);
  return it == FChildList.end() ? -1 : static_cast<int>(it - FChildList.begin());
}

bool TStretchHandle::ChildAttached(const QWidget* ChildControl) const { return IndexOf(ChildControl) >= 0; }

QWidget* TStretchHandle::GetChildControl(int idx) const {
  if (FChildList.empty() || idx < 0) return nullptr;
  if (idx >= ChildCount())
    throw std::out_of_range("List index out of bounds (" + std::to_string(idx) + ")");
  return FChildList[static_cast<std::size_t>(idx)];
}

QRect TStretchHandle::BoundsAroundChildren() const {
  QRect r = AroundOne(FChildList.front()->geometry());
  for (const QWidget* c : FChildList) r = ExtendOver(r, c->geometry());
  return r;
}

void TStretchHandle::BringToFront() {
  if (!Attached() || FLocked) return;
  for (QWidget* c : FChildList) c->raise();
  raise();
  if (isVisible() && isEnabled()) setFocus();
}

void TStretchHandle::SendToBack() {
  if (!Attached() || FLocked) return;
  for (QWidget* c : FChildList) c->lower();
  raise();
  if (isVisible() && isEnabled()) setFocus();
}

void TStretchHandle::SetColors(const QColor& Color1, const QColor& Color2) {
  FPrimaryColor = Color1;
  FSecondaryColor = Color2;
  update();
}

void TStretchHandle::SetColor(const QColor& value) {
  FPrimaryColor = value;
  update();
}

void TStretchHandle::SetSecondaryColor(const QColor& value) {
  FSecondaryColor = value;
  update();
}

void TStretchHandle::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FLocked) return;
  const QRect old = geometry();
  if (!FChildList.empty()) {
    // Every control changes size by the same amount as the handle; the
    // narrowest and the lowest one bound how far the handle may shrink.
    int minWidth = 0, minHeight = 0;
    for (const QWidget* c : FChildList) {
      minWidth = std::max(minWidth, old.width() - c->width());
      minHeight = std::max(minHeight, old.height() - c->height());
    }
    AWidth = std::max(AWidth, minWidth);
    AHeight = std::max(AHeight, minHeight);
    for (QWidget* c : FChildList) {
      const QRect g = c->geometry();
      c->setGeometry(g.x() - old.x() + ALeft, g.y() - old.y() + ATop, g.width() - old.width() + AWidth,
                     g.height() - old.height() + AHeight);
    }
  }
  setGeometry(ALeft, ATop, AWidth, AHeight);
}

void TStretchHandle::SetGridX(int value) {
  if (value < GridValuesMin || value > GridValuesMax)
    throw std::out_of_range("GridX must lie between 1 and 32, not " + std::to_string(value));
  FGridX = static_cast<GridValues>(value);
}

void TStretchHandle::SetGridY(int value) {
  if (value < GridValuesMin || value > GridValuesMax)
    throw std::out_of_range("GridY must lie between 1 and 32, not " + std::to_string(value));
  FGridY = static_cast<GridValues>(value);
}

void TStretchHandle::SetSnapToGrid(bool value) {
  constexpr GridValues kDefaultGrid = 8;
  if (value) {
    if (FGridX == 1) FGridX = kDefaultGrid;
    if (FGridY == 1) FGridY = kDefaultGrid;
  } else {
    FGridX = 1;
    FGridY = 1;
  }
}

void TStretchHandle::SetResizeMode(TResizeMode value) {
  FResizeMode = value;
  update();  // the edge squares follow the active grips
}

void TStretchHandle::SetHint(const QString& value) {
  FHint = value;
  ApplyHint();
}

void TStretchHandle::SetShowHint(bool value) {
  FShowHint = value;
  FParentShowHint = false;
  ApplyHint();
}

void TStretchHandle::SetParentShowHint(bool value) {
  FParentShowHint = value;
  ApplyHint();
}

QMenu* TStretchHandle::PopupMenu() const { return FPopupMenu; }

void TStretchHandle::SetPopupMenu(QMenu* value) { FPopupMenu = value; }

void TStretchHandle::ApplyHint() { setToolTip((FShowHint || FParentShowHint) ? FHint : QString()); }

int TStretchHandle::XGridAdjust(int X) const {
  const QAbstractScrollArea* area = ScrollingParent(parentWidget());
  return Snap(X, FGridX, area != nullptr ? area->horizontalScrollBar()->value() % FGridX : 0);
}

int TStretchHandle::YGridAdjust(int Y) const {
  const QAbstractScrollArea* area = ScrollingParent(parentWidget());
  return Snap(Y, FGridY, area != nullptr ? area->verticalScrollBar()->value() % FGridY : 0);
}

QRect TStretchHandle::GetModifiedRect(int X, int Y) const {
  const int dx = X - FDragOffset.x(), dy = Y - FDragOffset.y();
  const int L = x(), T = y(), W = width(), H = height();
  // The grid applies to the controls' own rectangle, which lies inside the
  // handle's margins; the handle follows it.
  const int left = XGridAdjust(L + kLead + dx) - kLead;
  const int top = YGridAdjust(T + kLead + dy) - kLead;
  const int width = XGridAdjust(W - kLead - kTrail + dx) + kLead + kTrail;
  const int height = YGridAdjust(H - kLead - kTrail + dy) + kLead + kTrail;

  QRect r(L, T, W, H);
  const auto moveLeft = [&] { r.setRect(left, r.y(), W - (left - L), r.height()); };
  const auto moveTop = [&] { r.setRect(r.x(), top, r.width(), H - (top - T)); };
  switch (FDragStyle) {
    case dsMove: r.setRect(left, top, W, H); break;
    case dsSizeTopLeft: moveLeft(); moveTop(); break;
    case dsSizeTopRight: moveTop(); r.setWidth(width); break;
    case dsSizeBottomLeft: moveLeft(); r.setHeight(height); break;
    case dsSizeBottomRight: r.setWidth(width); r.setHeight(height); break;
    case dsSizeTop: moveTop(); break;
    case dsSizeLeft: moveLeft(); break;
    case dsSizeBottom: r.setHeight(height); break;
    case dsSizeRight: r.setWidth(width); break;
  }
  // A control shrinks to nothing, never below.
  constexpr int kMinimum = kLead + kTrail;
  r.setWidth(std::max(r.width(), kMinimum));
  r.setHeight(std::max(r.height(), kMinimum));
  return r;
}

void TStretchHandle::Rubberband(int X, int Y, bool Show) {
  if (!FDragRect.isNull()) {
    HideOutline();
    FDragRect = QRect();
  }
  QWidget* p = parentWidget();
  if (Show) {
    const QRect r = GetModifiedRect(X, Y);
    if (p != nullptr) {
      if (FOutline == nullptr || FOutline->parentWidget() != p) {
        delete FOutline.data();
        FOutline = new TDragOutline(p);
      }
      // The outline of the controls at the new bounds, inside the margins.
      FOutline->setGeometry(r.x() + kLead, r.y() + kLead, r.width() - kLead - kTrail, r.height() - kLead - kTrail);
      FOutline->raise();
      FOutline->show();
    }
    FDragRect = r;
  } else {
    if (p != nullptr) p->update();
    update();
  }
}

void TStretchHandle::HideOutline() {
  if (FOutline != nullptr) FOutline->hide();
}

bool TStretchHandle::PointOverChild(const QPoint& P) const {
  return std::any_of(FChildList.begin(), FChildList.end(), [&P](const QWidget* c) {
    return c->geometry().adjusted(-kLead, -kLead, kLead, kLead).contains(P);
  });
}

QWidget* TStretchHandle::ControlAt(const QPoint& P) const {
  const QWidget* p = parentWidget();
  if (p == nullptr) return nullptr;
  // Siblings are listed bottom to top: the last one under the point is the
  // one the user sees.
  const QObjectList& siblings = p->children();
  for (auto it = siblings.rbegin(); it != siblings.rend(); ++it) {
    if (!(*it)->isWidgetType()) continue;
    auto* w = static_cast<QWidget*>(*it);
    if (w->isWindow() || w->isHidden() || qobject_cast<TStretchHandle*>(w) != nullptr ||
        w->testAttribute(Qt::WA_TransparentForMouseEvents))
      continue;
    if (w->geometry().contains(P)) return w;
  }
  return nullptr;
}

void TStretchHandle::ForwardMessage(TForwardMessage kind, Qt::MouseButton Button, TShiftState Shift, int X, int Y) {
  QWidget* p = parentWidget();
  if (p == nullptr || Button == Qt::NoButton) return;
  const QPoint at(X, Y);
  QWidget* target = ControlAt(at);
  const bool down = kind == fmMouseDown;
  SendMouse(target != nullptr ? target : p, down ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease,
            target != nullptr ? at - target->pos() : at, Button, down ? Qt::MouseButtons(Button) : Qt::NoButton,
            ModifiersOf(Shift));
}

std::vector<TStretchHandle::TGrip> TStretchHandle::Squares(const QRect& control, bool withEdges) const {
  const int l = control.x() - kLead, t = control.y() - kLead;
  const int r = control.x() + control.width() + kLead, b = control.y() + control.height() + kLead;
  std::vector<TGrip> squares{{dsSizeTopLeft, {l, t, kSquare, kSquare}},
                             {dsSizeTopRight, {r - kSquare, t, kSquare, kSquare}},
                             {dsSizeBottomRight, {r - kSquare, b - kSquare, kSquare, kSquare}},
                             {dsSizeBottomLeft, {l, b - kSquare, kSquare, kSquare}}};
  if (withEdges) {
    const int m = l + (r - l) / 2, n = t + (b - t) / 2;
    const TGrip edges[] = {{dsSizeTop, {m - 2, t, kSquare, kSquare}},
                           {dsSizeBottom, {m - 2, b - kSquare, kSquare, kSquare}},
                           {dsSizeLeft, {l, n - 2, kSquare, kSquare}},
                           {dsSizeRight, {r - kSquare, n - 2, kSquare, kSquare}}};
    for (const TGrip& e : edges)
      if (GripActive(e.Style, FResizeMode)) squares.push_back(e);
  }
  return squares;
}

TDragStyle TStretchHandle::GripAt(int X, int Y, Qt::CursorShape* cursor) const {
  TDragStyle style = dsMove;
  if (ChildCount() == 1) {
    const QRect control = FChildList.front()->geometry().translated(-pos());
    const std::vector<TGrip> grips = Squares(control, true);
    // A grip answers in its zone and on its painted square. Edges first, so
    // that a corner wins where the two meet on a small control.
    for (const bool corners : {false, true})
      for (const TGrip& g : grips)
        if (IsCorner(g.Style) == corners && GripActive(g.Style, FResizeMode) &&
            (InZone(g.Style, X, Y, width(), height()) || g.Square.contains(X, Y)))
          style = g.Style;
  }
  if (cursor != nullptr) *cursor = FLocked ? Qt::ForbiddenCursor : CursorOf(style);
  return style;
}

QPoint TStretchHandle::ClampDragPoint(QPoint P) const {
  // The controls stop at the parent's left and top edges; the pointer stays
  // inside its right and bottom edges.
  if (x() + kLead + P.x() - FDragOffset.x() < 0) P.setX(FDragOffset.x() - x() - kLead);
  if (y() + kLead + P.y() - FDragOffset.y() < 0) P.setY(FDragOffset.y() - y() - kLead);
  if (const QWidget* p = parentWidget()) {
    if (p->width() < x() + P.x()) P.setX(p->width() - x());
    if (p->height() < y() + P.y()) P.setY(p->height() - y());
  }
  return P;
}

void TStretchHandle::ReleaseCapture() {
  if (QWidget::mouseGrabber() == this) releaseMouse();
}

void TStretchHandle::MouseDown(Qt::MouseButton Button, TShiftState Shift, int X, int Y) {
  DragShiftState = Shift;
  if (Shift.contains(ssDouble)) return;
  const TDragStyle grip = GripAt(X, Y);
  // The grip under the press decides, also when no hover move came first (touch).
  if (!FDragging) FDragStyle = grip;
  const QPoint at = pos() + QPoint(X, Y);
  if (PointOverChild(at) || grip != dsMove) {
    if (Button == Qt::LeftButton) {
      if (!FDragging) emit OnStartDrag(this);
      if (!FLocked) FDragging = true;
      FDragOffset = QPoint(X, Y);
      FClickPending = true;
    }
    emit OnMouseDown(Button, Shift, X, Y);
    return;
  }
  setCursor(Qt::ArrowCursor);
  QWidget* target = ControlAt(at);
  FForwardTarget = target != nullptr ? target : parentWidget();
  ForwardMessage(fmMouseDown, Button, Shift, at.x(), at.y());
}

void TStretchHandle::MouseMove(TShiftState Shift, int X, int Y) {
  const bool left = Shift.contains(ssLeft);
  if (FForwardTarget != nullptr && ButtonsOf(Shift) != Qt::NoButton) {
    // The press went to a control beneath; its moves follow it there.
    SendMouse(FForwardTarget, QEvent::MouseMove, FForwardTarget->mapFromGlobal(mapToGlobal(QPoint(X, Y))), Qt::NoButton,
              ButtonsOf(Shift), ModifiersOf(Shift));
    return;
  }
  if (left && !FDragging && !FLocked) {
    emit OnStartDrag(this);
    FDragging = true;
    FDragOffset = QPoint(X, Y);
    FClickPending = false;
  } else {
    if (!left) ReleaseCapture();
    Qt::CursorShape cursor = Qt::ArrowCursor;
    const TDragStyle zone = GripAt(X, Y, &cursor);
    if (FDragging) {
      const QPoint p = ClampDragPoint({X, Y});
      X = p.x();
      Y = p.y();
      setCursor(FDragStyle == dsMove ? FDragCursor : CursorOf(FDragStyle));
      Rubberband(X, Y, true);
    } else {
      FDragStyle = zone;
      setCursor(cursor);
    }
  }
  emit OnMouseMove(Shift, X, Y);
}

void TStretchHandle::MouseUp(Qt::MouseButton Button, TShiftState Shift, int X, int Y) {
  const bool click = FClickPending && Button == Qt::LeftButton;
  if (Button == Qt::LeftButton) FClickPending = false;
  if (FDragging && Button == Qt::LeftButton) {
    const QPoint p = ClampDragPoint({X, Y});
    X = p.x();
    Y = p.y();
    const bool moved = p != FDragOffset;
    if (moved) {
      update();
      const QRect r = GetModifiedRect(X, Y);
      SetBounds(r.x(), r.y(), r.width(), r.height());
      emit OnEndDrag(this, parentWidget(), X, Y);
    }
    Rubberband(X, Y, false);
    if (isVisible() && isEnabled()) setFocus();
    FDragging = false;
    setCursor(Qt::ArrowCursor);
    ReleaseCapture();
    emit OnMouseUp(Button, Shift, X, Y);
    if (click && !moved) emit OnClick();
    return;
  }
  if (FForwardTarget != nullptr) {
    QWidget* target = FForwardTarget;
    if (ButtonsOf(Shift) == Qt::NoButton) FForwardTarget = nullptr;
    SendMouse(target, QEvent::MouseButtonRelease, target->mapFromGlobal(mapToGlobal(QPoint(X, Y))), Button,
              ButtonsOf(Shift), ModifiersOf(Shift));
    return;
  }
  const QPointer<TStretchHandle> alive(this);  // the control may answer by freeing the handle
  ForwardMessage(fmMouseUp, Button, Shift, x() + X, y() + Y);
  if (alive != nullptr && click && rect().contains(X, Y)) emit OnClick();
}

void TStretchHandle::KeyDown(int Key, TShiftState Shift) {
  const int step = (Shift.contains(ssShift) && Shift.contains(ssCtrl)) ? kBigStep : 1;
  switch (Key) {
    case Qt::Key_Left: update(); SetBounds(x() - step, y(), width(), height()); break;
    case Qt::Key_Up: update(); SetBounds(x(), y() - step, width(), height()); break;
    case Qt::Key_Right: update(); SetBounds(x() + step, y(), width(), height()); break;
    case Qt::Key_Down: update(); SetBounds(x(), y() + step, width(), height()); break;
    default: break;
  }
  emit OnKeyDown(Key, Shift);
}

void TStretchHandle::paintEvent(QPaintEvent*) {
  if (FChildList.empty()) return;
  QPainter painter(this);
  const bool one = ChildCount() == 1;
  const QColor colour = one ? FPrimaryColor : FSecondaryColor;
  for (const QWidget* c : FChildList)
    for (const TGrip& g : Squares(c->geometry().translated(-pos()), one)) painter.fillRect(g.Square, colour);
}

void TStretchHandle::mousePressEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  MouseDown(event->button(), ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
  event->accept();
}

void TStretchHandle::mouseDoubleClickEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  MouseDown(event->button(), ShiftStateOf(event->modifiers(), event->buttons(), true), p.x(), p.y());
  emit OnDblClick();
  event->accept();
}

void TStretchHandle::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  MouseMove(ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
  event->accept();
}

void TStretchHandle::mouseReleaseEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  const QPointer<TStretchHandle> alive(this);
  MouseUp(event->button(), ShiftStateOf(event->modifiers(), event->buttons()), p.x(), p.y());
  if (alive != nullptr && event->buttons() == Qt::NoButton) ReleaseCapture();
  event->accept();
}

void TStretchHandle::keyPressEvent(QKeyEvent* event) {
  KeyDown(event->key(), ShiftStateOf(event->modifiers()));
  if (!event->text().isEmpty()) emit OnKeyPress(event->text());
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Right:
    case Qt::Key_Down:
      event->accept();
      break;
    default:
      QWidget::keyPressEvent(event);
  }
}

void TStretchHandle::keyReleaseEvent(QKeyEvent* event) {
  emit OnKeyUp(event->key(), ShiftStateOf(event->modifiers()));
  QWidget::keyReleaseEvent(event);
}

void TStretchHandle::contextMenuEvent(QContextMenuEvent* event) {
  if (FPopupMenu == nullptr) {
    event->ignore();
    return;
  }
  FPopupMenu->popup(event->globalPos());
  event->accept();
}

void TStretchHandle::dragEnterEvent(QDragEnterEvent* event) { dragMoveEvent(event); }

void TStretchHandle::dragMoveEvent(QDragMoveEvent* event) {
  // Drops are accepted only when a slot says so, as with no handler at all.
  bool accept = isSignalConnected(QMetaMethod::fromSignal(&TStretchHandle::OnDragOver));
  const QPoint p = event->position().toPoint();
  if (accept) emit OnDragOver(event->source(), p.x(), p.y(), &accept);
  if (accept)
    event->acceptProposedAction();
  else
    event->ignore();
}

void TStretchHandle::dropEvent(QDropEvent* event) {
  const QPoint p = event->position().toPoint();
  emit OnDragDrop(event->source(), p.x(), p.y());
  event->acceptProposedAction();
}

}  // namespace vyr
