// vyr-handles: the stretch handle on a canvas of 200 panels. Select with a
// click, Shift-click or a drag on the empty canvas; move and resize with the
// mouse or the arrow keys (Shift+Ctrl for 10 px steps); choose a grid, lock
// the selection, choose which grips work. Escape clears the selection.
#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <QWidget>

#include "DemoMain.h"
#include "HandlesCanvas.h"
#include "HandlesKQ.h"

namespace {

std::unique_ptr<QWidget> BuildWindow() {
  using vyr::demo::THandlesCanvas;
  auto window = std::make_unique<QWidget>();
  window->setWindowTitle(QStringLiteral("Stretch handle"));

  auto* canvas = new THandlesCanvas(200);
  vyr::TStretchHandle* handle = canvas->Handle();

  auto* grid = new QComboBox;
  for (const int g : {1, 4, 8, 16}) grid->addItem(g == 1 ? QStringLiteral("No grid") : QStringLiteral("Grid %1 px").arg(g), g);
  auto* lock = new QCheckBox(QStringLiteral("Locked"));
  auto* resize = new QComboBox;
  resize->addItem(QStringLiteral("Resize both ways"), vyr::rmBoth);
  resize->addItem(QStringLiteral("Resize horizontally"), vyr::rmHorz);
  resize->addItem(QStringLiteral("Resize vertically"), vyr::rmVert);
  resize->addItem(QStringLiteral("Move only"), vyr::rmNone);
  auto* status = new QLabel;

  auto* tools = new QHBoxLayout;
  tools->addWidget(grid);
  tools->addWidget(resize);
  tools->addWidget(lock);
  tools->addSpacing(16);
  tools->addWidget(status, 1);

  auto* scroll = new QScrollArea;
  scroll->setWidget(canvas);
  auto* layout = new QVBoxLayout(window.get());
  layout->addLayout(tools);
  layout->addWidget(scroll, 1);

  QObject::connect(grid, &QComboBox::currentIndexChanged, canvas,
                   [canvas, grid](int i) { canvas->SetGrid(grid->itemData(i).toInt()); });
  QObject::connect(resize, &QComboBox::currentIndexChanged, canvas, [handle, resize](int i) {
    handle->SetResizeMode(static_cast<vyr::TResizeMode>(resize->itemData(i).toInt()));
  });
  QObject::connect(lock, &QCheckBox::toggled, canvas, [canvas, handle](bool on) {
    handle->SetLocked(on);
    emit canvas->SelectionChanged();
  });
  QObject::connect(canvas, &THandlesCanvas::SelectionChanged, status, [canvas, handle, lock, status] {
    const QSignalBlocker quiet(lock);
    lock->setChecked(handle->Locked());
    lock->setEnabled(handle->Attached());
    status->setText(canvas->SelectionText());
  });

  grid->setCurrentIndex(2);  // 8 px
  canvas->Select({canvas->Panels().at(22)});
  window->resize(canvas->width() + 40, canvas->height() + 70);
  return window;
}

}  // namespace

int main(int argc, char** argv) { return vyr::demo::RunDemo(argc, argv, BuildWindow); }
