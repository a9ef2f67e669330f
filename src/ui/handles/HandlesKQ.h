// Stretch handle: selects controls on a design surface and moves and resizes
// them with the mouse and the arrow keys.
//
// The handle is a transparent widget laid over its attached controls, which
// stay children of their own parent. It marks them with 5 x 5 squares, shows
// the outline of the new bounds while a drag runs, snaps to a grid and passes
// the presses that miss the selection on to the control beneath.
//
// Geometry, in logical pixels of the parent's client area: with one control at
// (l, t, w, h) the handle lies at (l - 2, t - 2, w + 5, h + 5); with several it
// covers the smallest rectangle around them, 2 pixels wider on the left and top
// and 3 on the right and bottom. Every operation keeps the attached controls at
// the same offsets inside the handle.
//
// Ownership: the widget given to the constructor is the owner and frees the
// handle. While controls are attached the handle is a child widget of their
// parent (the surface), so that it lies over them; when the surface is freed
// the handle leaves it first and returns, detached, to its owner, and when the
// owner is freed it frees the handle on whatever surface it lies.
//
// Where this handle differs from the rules it was built to, and why:
// - Grid snapping of a drag snaps the controls' own rectangle, which lies 2 px
//   inside the handle: a move puts the control's left at X(l + dx) for a
//   control at l, a resize gives it the width X(w + dx) (X the grid rounding).
//   Snapping the handle's coordinates instead (left X(L + dx) - 2, width
//   X(W + dx) + 5 with L = l - 2, W = w + 5) moves every drag 2 px up and left
//   and makes every resize 5 px larger than the pointer went, even without a
//   grid. The clamp at the parent's left and top edges is taken on the
//   control's rectangle too, so that it still stops the control at 0.
// - Hit zones: corners are tested after the edge middles, so a corner wins
//   where the zones overlap (controls narrower or lower than 11 px). A corner
//   does all an edge does, an edge not all a corner does; with edges winning,
//   the corners of a tiny control could not be reached at all. A grip also
//   answers anywhere on its painted square, which on the right and bottom
//   reaches 2 px further in than the 5 px zone around the handle's edge.
// - Squares: the corner squares mark each attached control in every resize
//   mode (as they do with several controls, where they are no grips); the
//   edge-middle squares are painted only where their grip works (top and
//   bottom for rmVert, left and right for rmHorz, none for rmNone), so that no
//   painted square offers a resize that does not happen.
// - Releasing the last control does not leave the handle without a parent (a
//   parentless widget is a top-level window and has lost its owner): it
//   returns, hidden and disabled, to its owner.
// - Forwarding a press that misses the selection goes to the topmost visible
//   sibling under the point that takes mouse events (the last in index
//   order), not the first in index order, which would be the lowest of a
//   stack of controls rather than the one the user sees and clicks. The
//   forwarded event carries the keyboard modifiers, so that the control or
//   the host can tell a Shift-click (extend the selection) from a click.
//
// Drawing holds at any device pixel ratio: the squares and the one-pixel drag
// outline are filled with whole logical-pixel rectangles without antialiasing,
// so they cover whole device pixels, never half-covered ones.
#pragma once

#include <cstdint>
#include <vector>

#include <QColor>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

#include "VYRtypes.h"
#include "VyrUiExport.h"

class QMenu;

namespace vyr {

/// What a drag does: move, or which edge or corner it resizes.
enum TDragStyle : std::uint8_t {
  dsMove,
  dsSizeTopLeft,
  dsSizeTopRight,
  dsSizeBottomLeft,
  dsSizeBottomRight,
  dsSizeTop,
  dsSizeLeft,
  dsSizeBottom,
  dsSizeRight
};

/// Number of TDragStyle members.
inline constexpr int DragStyleCount = 9;

/// Kind of a forwarded mouse message.
enum TForwardMessage : std::uint8_t { fmMouseDown, fmMouseUp };

/// Which resize grips are active.
enum TResizeMode : std::uint8_t { rmBoth, rmHorz, rmVert, rmNone };

/// Grid spacing [px], 1..32; 1 means no snapping.
using GridValues = std::uint8_t;
inline constexpr int GridValuesMin = 1;
inline constexpr int GridValuesMax = 32;

/// Whether a left press starts the toolkit's drag-and-drop (kept for the host).
enum TDragMode : std::uint8_t { dmManual, dmAutomatic };

/// Keys and buttons held with a mouse or key event.
enum TShiftStateElement : std::uint8_t { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TEnumSet<TShiftStateElement, 7>;

/// The shift state of Qt's modifiers and buttons (ssDouble for a double click).
VYR_UI_API TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = {},
                                    bool doubleClick = false);
/// Qt's keyboard modifiers of a shift state.
VYR_UI_API Qt::KeyboardModifiers ModifiersOf(TShiftState shift);

/// Raised by TStretchHandle::Attach for a top-level window.
class VYR_UI_API EBadChild : public VYRexception {
 public:
  using VYRexception::VYRexception;
};

/// Selection, move and resize handle over sibling controls.
class VYR_UI_API TStretchHandle : public QWidget {
  Q_OBJECT

 public:
  /// A detached handle: 24 x 24, hidden and disabled. AOwner is its owner and
  /// its parent while nothing is attached; Attach moves it onto the controls'
  /// parent, and AOwner still frees it there.
  explicit TStretchHandle(QWidget* AOwner = nullptr);
  ~TStretchHandle() override;

  /// Adds a control to the selection. Raises EBadChild for a top-level window;
  /// a null control, a stretch handle or one already attached changes nothing.
  /// A control of another parent than the current selection's replaces it.
  void Attach(QWidget* ChildControl);
  /// Empties the selection and hides the handle (it keeps its parent).
  void Detach();
  /// Removes one control; the handle shrinks around the others, or hides and
  /// returns to its owner after the last one.
  void ReleaseChild(QWidget* ChildControl);
  /// Index of the control in the selection, -1 if absent.
  int IndexOf(const QWidget* ChildControl) const;
  /// Whether the control is attached.
  bool ChildAttached(const QWidget* ChildControl) const;
  /// The attached control at idx; null for an empty list or a negative idx;
  /// throws std::out_of_range beyond the end of a non-empty list.
  QWidget* GetChildControl(int idx) const;
  /// Same as GetChildControl.
  QWidget* Children(int idx) const { return GetChildControl(idx); }
  /// At least one control is attached.
  bool Attached() const { return !FChildList.empty(); }
  /// Number of attached controls.
  int ChildCount() const { return static_cast<int>(FChildList.size()); }

  /// Raises the attached controls in list order, then the handle (not when locked).
  void BringToFront();
  /// Lowers the attached controls in list order; the handle stays on top (not when locked).
  void SendToBack();

  /// Square colours for one attached control (Color1) and for several (Color2).
  void SetColors(const QColor& Color1, const QColor& Color2);
  /// Moves and resizes the handle [px, parent coordinates] and the attached
  /// controls with it. Nothing happens when locked. The size is raised so that
  /// no attached control would get a negative width or height (5 x 5 for one).
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

  /// X snapped to the horizontal grid [px, parent coordinates].
  int XGridAdjust(int X) const;
  /// Y snapped to the vertical grid [px, parent coordinates].
  int YGridAdjust(int Y) const;
  /// Handle bounds (left, top, width, height) that a drag from the press point
  /// to (X, Y) [px, handle coordinates] gives with the current drag style.
  QRect GetModifiedRect(int X, int Y) const;
  /// Erases the drag outline and, with Show, draws it for a drag to (X, Y).
  void Rubberband(int X, int Y, bool Show);
  /// Whether P [px, parent coordinates] lies on an attached control or within
  /// 2 pixels of one (right and bottom edges exclusive).
  bool PointOverChild(const QPoint& P) const;
  /// Sends a press (fmMouseDown) or release of Button with the keys of Shift to
  /// the topmost control of the parent under (X, Y) [px, parent coordinates],
  /// in that control's coordinates; to the parent itself when none is there.
  void ForwardMessage(TForwardMessage kind, Qt::MouseButton Button, TShiftState Shift, int X, int Y);

  /// Square colour with one attached control; setting it repaints.
  QColor Color() const { return FPrimaryColor; }
  void SetColor(const QColor& value);
  /// Square colour with several attached controls; setting it repaints.
  QColor SecondaryColor() const { return FSecondaryColor; }
  void SetSecondaryColor(const QColor& value);
  /// A locked selection is not moved, resized or reordered.
  bool Locked() const { return FLocked; }
  void SetLocked(bool value) { FLocked = value; }
  /// Grid spacings [px]; setting a value outside 1..32 throws std::out_of_range.
  int GridX() const { return FGridX; }
  void SetGridX(int value);
  int GridY() const { return FGridY; }
  void SetGridY(int value);
  /// True when either spacing is above 1. Setting true turns each spacing of 1
  /// into 8; setting false sets both to 1.
  bool SnapToGrid() const { return FGridX > 1 || FGridY > 1; }
  void SetSnapToGrid(bool value);
  /// Which resize grips work.
  TResizeMode ResizeMode() const { return FResizeMode; }
  void SetResizeMode(TResizeMode value);
  /// Cursor shown while the selection is moved.
  Qt::CursorShape DragCursor() const { return FDragCursor; }
  void SetDragCursor(Qt::CursorShape value) { FDragCursor = value; }
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode value) { FDragMode = value; }
  /// Tool-tip text, shown when ShowHint or ParentShowHint is true.
  QString Hint() const { return FHint; }
  void SetHint(const QString& value);
  bool ShowHint() const { return FShowHint; }
  /// Setting ShowHint clears ParentShowHint.
  void SetShowHint(bool value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool value);
  /// Menu shown on a context-menu request (not owned).
  QMenu* PopupMenu() const;
  void SetPopupMenu(QMenu* value);

  /// What the running or next drag does.
  TDragStyle DragStyle() const { return FDragStyle; }
  /// A drag is in progress.
  bool Dragging() const { return FDragging; }
  /// Bounds last drawn as drag outline (left, top, width, height); null when none.
  QRect DragRect() const { return FDragRect; }
  /// Press point of the running drag [px, handle coordinates].
  QPoint DragOffset() const { return FDragOffset; }
  /// The drag style and cursor of the grip at (X, Y) [px, handle coordinates]:
  /// dsMove away from every grip, and always unless exactly one control is attached.
  TDragStyle GripAt(int X, int Y, Qt::CursorShape* cursor = nullptr) const;

  /// Shift state of the last mouse press.
  TShiftState DragShiftState;

 signals:
  void OnClick();
  void OnDblClick();
  /// Position in handle coordinates [px].
  void OnMouseDown(Qt::MouseButton Button, vyr::TShiftState Shift, int X, int Y);
  void OnMouseMove(vyr::TShiftState Shift, int X, int Y);
  void OnMouseUp(Qt::MouseButton Button, vyr::TShiftState Shift, int X, int Y);
  void OnKeyDown(int Key, vyr::TShiftState Shift);
  void OnKeyUp(int Key, vyr::TShiftState Shift);
  void OnKeyPress(QString Key);
  /// A drag begins (Sender is the handle).
  void OnStartDrag(QObject* Sender);
  /// A drag changed the bounds: Sender the handle, Target its parent, the
  /// release point [px, handle coordinates].
  void OnEndDrag(QObject* Sender, QObject* Target, int X, int Y);
  /// Something is dragged over the handle; a connected slot sets *Accept.
  void OnDragOver(QObject* Source, int X, int Y, bool* Accept);
  void OnDragDrop(QObject* Source, int X, int Y);

 protected:
  /// Press, move, release and key hooks; the Qt events call them.
  virtual void MouseDown(Qt::MouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(Qt::MouseButton Button, TShiftState Shift, int X, int Y);
  virtual void KeyDown(int Key, TShiftState Shift);

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  struct TGrip {
    TDragStyle Style;
    QRect Square;  ///< painted square [px, handle coordinates]
  };
  /// The squares that mark one attached control, edge grips last.
  std::vector<TGrip> Squares(const QRect& control, bool withEdges) const;
  /// Bounds around the attached controls by the rule of the invariant.
  QRect BoundsAroundChildren() const;
  /// The topmost sibling control under P [px, parent coordinates], or null.
  QWidget* ControlAt(const QPoint& P) const;
  /// Clamps a drag point so that the selection stays inside the parent.
  QPoint ClampDragPoint(QPoint P) const;
  /// Back to detached: unlocked, hidden, disabled, no drag and no outline.
  void EndSelection();
  void ApplyHint();
  void HideOutline();
  void ReleaseCapture();
  void ChildDestroyed(QObject* child);
  /// Makes surface the handle's parent widget (hidden or shown as before).
  void MoveTo(QWidget* surface);
  /// Back under the owner, off the surface of the last selection.
  void ReturnToOwner();
  /// The surface of the selection is being freed: detach and return to the owner.
  void SurfaceDestroyed();

  TDragStyle FDragStyle = dsMove;
  bool FDragging = false;
  QRect FDragRect;
  bool FLocked = false;
  QColor FPrimaryColor;
  QColor FSecondaryColor;
  GridValues FGridX = 1;
  GridValues FGridY = 1;
  TResizeMode FResizeMode = rmBoth;
  std::vector<QWidget*> FChildList;
  QPoint FDragOffset;

  Qt::CursorShape FDragCursor = Qt::DragMoveCursor;
  TDragMode FDragMode = dmManual;
  QString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  QPointer<QMenu> FPopupMenu;
  QPointer<QWidget> FOutline;           ///< drag outline, a child of the parent
  QPointer<QWidget> FForwardTarget;     ///< control that took the running press
  bool FClickPending = false;           ///< a left press on the selection may become a click
  QPointer<QWidget> FOwner;             ///< frees the handle; its parent while nothing is attached
  QPointer<QWidget> FSurface;           ///< parent of the attached controls when not the owner
};

}  // namespace vyr
