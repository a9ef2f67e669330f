// The design surface of the stretch-handle demo: 200 panels on a canvas, one
// stretch handle that selects, moves and resizes them.
//
// A click selects a panel, Shift-click adds or removes one, a drag on the
// empty canvas selects every panel it touches. The handle moves and resizes
// the selection with the mouse and the arrow keys, on the chosen grid.
#pragma once

#include <vector>

#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QRubberBand;

namespace vyr {
class TStretchHandle;
}

namespace vyr::demo {

class THandlesCanvas : public QWidget {
  Q_OBJECT

 public:
  /// A canvas with panelCount panels in rows, no selection.
  explicit THandlesCanvas(int panelCount = 200, QWidget* parent = nullptr);

  TStretchHandle* Handle() const { return handle_; }
  const std::vector<QWidget*>& Panels() const { return panels_; }

  /// Grid spacing [px] of the handle and of the dots drawn; 1 draws none.
  void SetGrid(int spacing);
  int Grid() const { return grid_; }
  /// Selects exactly the given panels (an empty list clears the selection).
  void Select(const std::vector<QWidget*>& panels);
  /// One line about the selection for the status bar.
  QString SelectionText() const;

 signals:
  /// The selection or the bounds of a selected panel changed.
  void SelectionChanged();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PanelPressed(QWidget* panel, Qt::KeyboardModifiers modifiers);
  void HandleClicked();

  std::vector<QWidget*> panels_;
  TStretchHandle* handle_ = nullptr;
  QRubberBand* band_ = nullptr;  ///< selection rectangle while dragging on the empty canvas
  QPoint bandStart_;
  bool bandAdds_ = false;        ///< Shift held: the band adds to the selection
  bool banding_ = false;
  QPoint handlePress_;           ///< last press on the handle [px, handle coordinates]
  int grid_ = 1;
  QPixmap gridTile_;             ///< one grid cell with its dot
};

}  // namespace vyr::demo
