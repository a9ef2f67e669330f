#include "HandlesCanvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QStaticText>

#include "HandlesKQ.h"
#include "VYRutils.h"

namespace vyr::demo {

namespace {

constexpr int kColumns = 20;
constexpr int kCellWidth = 56;   // [px], a multiple of the 8 px grid
constexpr int kCellHeight = 48;  // [px]
constexpr int kMargin = 16;      // [px]

/// A coloured box with its number: paints itself whole, its text laid out once.
class TPanel : public QWidget {
 public:
  TPanel(int number, const QColor& fill, QWidget* parent)
      : QWidget(parent), text_(QString::number(number)), fill_(fill) {
    setObjectName(QStringLiteral("Panel %1").arg(number));
    setAttribute(Qt::WA_OpaquePaintEvent);
    text_.setPerformanceHint(QStaticText::AggressiveCaching);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), fill_);
    FillPixelFrame(p, rect(), Qt::black);  // crisp at any device pixel ratio
    p.setPen(Qt::black);
    const QSizeF t = text_.size();
    p.drawStaticText(QPointF((width() - t.width()) / 2, (height() - t.height()) / 2), text_);
  }

 private:
  QStaticText text_;
  QColor fill_;
};

}  // namespace

THandlesCanvas::THandlesCanvas(int panelCount, QWidget* parent) : QWidget(parent) {
  const int rows = (panelCount + kColumns - 1) / kColumns;
  setFixedSize(2 * kMargin + kColumns * kCellWidth - 8, 2 * kMargin + rows * kCellHeight - 8);
  setAttribute(Qt::WA_OpaquePaintEvent);  // paintEvent fills every pixel

  for (int i = 0; i < panelCount; ++i) {
    auto* panel = new TPanel(i + 1, QColor::fromHsv((i * 37) % 360, 70, 240), this);
    // Three widths and two heights, on the 8 px grid.
    panel->setGeometry(kMargin + (i % kColumns) * kCellWidth, kMargin + (i / kColumns) * kCellHeight,
                       32 + 8 * (i * 7 % 3), 24 + 8 * (i * 5 % 2));
    panel->installEventFilter(this);
    panels_.push_back(panel);
  }

  band_ = new QRubberBand(QRubberBand::Rectangle, this);
  handle_ = new TStretchHandle(this);
  connect(handle_, &TStretchHandle::OnMouseDown, this,
          [this](Qt::MouseButton, TShiftState, int x, int y) { handlePress_ = QPoint(x, y); });
  connect(handle_, &TStretchHandle::OnClick, this, &THandlesCanvas::HandleClicked);
  connect(handle_, &TStretchHandle::OnEndDrag, this, &THandlesCanvas::SelectionChanged);
  connect(handle_, &TStretchHandle::OnKeyDown, this, [this](int key, TShiftState) {
    if (key == Qt::Key_Escape) Select({});
    emit SelectionChanged();
  });
}

void THandlesCanvas::SetGrid(int spacing) {
  handle_->SetGridX(spacing);
  handle_->SetGridY(spacing);
  grid_ = spacing;
  gridTile_ = QPixmap();
  if (spacing > 1) {
    // One cell with its dot; the canvas is tiled with it.
    gridTile_ = QPixmap(spacing, spacing);
    gridTile_.fill(Qt::white);
    QPainter p(&gridTile_);
    p.setPen(QColor(150, 150, 150));
    p.drawPoint(0, 0);
  }
  update();
}

void THandlesCanvas::Select(const std::vector<QWidget*>& panels) {
  handle_->Detach();
  for (QWidget* p : panels) handle_->Attach(p);
  emit SelectionChanged();
}

QString THandlesCanvas::SelectionText() const {
  const int n = handle_->ChildCount();
  QString text;
  if (n == 0) {
    text = tr("No selection");
  } else if (n == 1) {
    const QWidget* p = handle_->Children(0);
    text = tr("%1 at %2, %3, size %4 x %5")
               .arg(p->objectName())
               .arg(p->x())
               .arg(p->y())
               .arg(p->width())
               .arg(p->height());
  } else {
    text = tr("%1 panels selected").arg(n);
  }
  if (handle_->Locked()) text += tr(" (locked)");
  return text;
}

bool THandlesCanvas::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress && watched->parent() == this) {
    auto* me = static_cast<QMouseEvent*>(event);
    if (me->button() == Qt::LeftButton) {
      PanelPressed(static_cast<QWidget*>(watched), me->modifiers());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void THandlesCanvas::PanelPressed(QWidget* panel, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::ShiftModifier) {
    if (handle_->ChildAttached(panel))
      handle_->ReleaseChild(panel);
    else
      handle_->Attach(panel);
  } else if (!handle_->ChildAttached(panel)) {
    // A new selection; the press goes on as a drag of the handle.
    handle_->Detach();
    handle_->Attach(panel);
  }
  emit SelectionChanged();
}

void THandlesCanvas::HandleClicked() {
  // Shift-click on a selected panel takes it out of the selection.
  if (!handle_->DragShiftState.contains(ssShift)) return;
  const QPoint at = handle_->pos() + handlePress_;
  for (int i = handle_->ChildCount() - 1; i >= 0; --i) {
    QWidget* p = handle_->Children(i);
    if (p->geometry().contains(at)) {
      handle_->ReleaseChild(p);
      emit SelectionChanged();
      return;
    }
  }
}

void THandlesCanvas::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  if (grid_ > 1)
    p.fillRect(event->rect(), QBrush(gridTile_));
  else
    p.fillRect(event->rect(), Qt::white);
}

void THandlesCanvas::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  banding_ = true;
  bandAdds_ = (event->modifiers() & Qt::ShiftModifier) != 0;
  bandStart_ = event->position().toPoint();
  band_->setGeometry(QRect(bandStart_, QSize()));
  band_->raise();
  band_->show();
}

void THandlesCanvas::mouseMoveEvent(QMouseEvent* event) {
  if (banding_) band_->setGeometry(QRect(bandStart_, event->position().toPoint()).normalized());
}

void THandlesCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (!banding_ || event->button() != Qt::LeftButton) return;
  banding_ = false;
  band_->hide();
  const QRect r = QRect(bandStart_, event->position().toPoint()).normalized();
  std::vector<QWidget*> chosen;
  if (bandAdds_)
    for (int i = 0; i < handle_->ChildCount(); ++i) chosen.push_back(handle_->Children(i));
  for (QWidget* p : panels_)
    if (p->geometry().intersects(r)) chosen.push_back(p);
  Select(chosen);
}

}  // namespace vyr::demo
