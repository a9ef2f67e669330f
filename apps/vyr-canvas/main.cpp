// vyr-canvas: the model canvas with a sample engine. Click an icon to select
// it, drag it with the stretch handle (or move it with the arrow keys): when
// its links touch another icon's, they connect, turn blue and show their arrows
// and station labels; when two station numbers differ, the station dialog
// asks. R rotates the selection. The side panel shows what SetModelLinks
// finds for the selected icon. The canvas is saved to and loaded from a model
// file. --screenshot FILE.png renders the linked engine with its stations.
#include <memory>
#include <string>
#include <vector>

#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "CanvasView.h"
#include "DemoMain.h"
#include "Messages.h"
#include "vyrcompl.h"

namespace {

using vyr::TVYRcomp;

// What SetModelLinks with warnings finds for icon, its messages collected
// here rather than shown as boxes.
QString ModelLinksReport(TVYRcomp* icon) {
  if (icon == nullptr) return QStringLiteral("Select an icon to see its model links.");
  std::vector<std::string> messages;
  vyr::TMessageHandler previous = vyr::SetMessageHandler([&](const vyr::TMessage& m) {
    messages.push_back(m.Text);
    return static_cast<int>(vyr::mrOk);
  });
  const bool ok = icon->SetModelLinks(true);
  vyr::SetMessageHandler(previous);

  QStringList lines;
  lines << QString::fromStdString(icon->CompIDstr());
  if (const std::string st = icon->AllStationNrsStr(); !st.empty()) lines << QString::fromStdString(st);
  lines << QString();
  lines << QStringLiteral("SetModelLinks: %1").arg(ok ? QStringLiteral("all ports resolved") : QStringLiteral("failed"));
  for (const std::string& m : messages) {
    QString text = QString::fromStdString(m);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    lines << QStringLiteral("  ") + text.replace(QChar('\n'), QStringLiteral("\n  "));
  }
  const struct {
    const char* port;
    TVYRcomp* far;
    vyr::TLinktype farType;
  } ports[] = {{"In1", icon->Cin1, icon->In1othersidelinktype},
               {"In2", icon->Cin2, icon->In2othersidelinktype},
               {"Out1", icon->Cout1, icon->Out1othersidelinktype},
               {"Out2", icon->Cout2, icon->Out2othersidelinktype},
               {"Control", icon->Cctrl, vyr::ltNone}};
  for (const auto& p : ports)
    if (p.far != nullptr)
      lines << QStringLiteral("%1 -> %2%3")
                   .arg(QString::fromUtf8(p.port), p.far->objectName(),
                        p.farType == vyr::ltNone ? QString()
                                                 : QStringLiteral(" (%1)").arg(QString::fromStdString(
                                                       vyr::LinktypeName(p.farType))));
  return lines.join(QChar('\n'));
}

std::unique_ptr<QWidget> BuildWindow() {
  auto window = std::make_unique<QWidget>();
  window->setWindowTitle(QStringLiteral("Model canvas"));
  auto* canvas = new vyr::demo::TCanvasView;
  auto* report = new QPlainTextEdit;
  report->setReadOnly(true);
  report->setFixedWidth(250);
  auto* sampleBtn = new QPushButton(QStringLiteral("Sample engine"));
  auto* rotateBtn = new QPushButton(QStringLiteral("Rotate (R)"));
  auto* saveBtn = new QPushButton(QStringLiteral("Save..."));
  auto* loadBtn = new QPushButton(QStringLiteral("Load..."));
  auto* hint = new QLabel(QStringLiteral("Click an icon, drag it onto another icon's link; R rotates."));

  auto* tools = new QHBoxLayout;
  for (QWidget* w : std::initializer_list<QWidget*>{sampleBtn, rotateBtn, saveBtn, loadBtn}) tools->addWidget(w);
  tools->addStretch(1);
  auto* side = new QVBoxLayout;
  side->addWidget(new QLabel(QStringLiteral("Model links of the selection")));
  side->addWidget(report, 1);
  auto* body = new QHBoxLayout;
  body->addWidget(canvas, 1);
  body->addLayout(side);
  auto* layout = new QVBoxLayout(window.get());
  layout->addLayout(tools);
  layout->addLayout(body, 1);
  layout->addWidget(hint);

  QObject::connect(canvas, &vyr::demo::TCanvasView::SelectionChanged, report,
                   [canvas, report] { report->setPlainText(ModelLinksReport(canvas->SelectedIcon())); });
  QObject::connect(sampleBtn, &QPushButton::clicked, canvas, &vyr::demo::TCanvasView::BuildSampleEngine);
  QObject::connect(rotateBtn, &QPushButton::clicked, canvas, &vyr::demo::TCanvasView::RotateSelection);
  QObject::connect(saveBtn, &QPushButton::clicked, canvas, [canvas] {
    const QString f = QFileDialog::getSaveFileName(canvas, QStringLiteral("Save model"), QString(),
                                                   QStringLiteral("Model files (*.mxl *.xml)"));
    if (!f.isEmpty()) canvas->SaveToFile(f.toStdString());
  });
  QObject::connect(loadBtn, &QPushButton::clicked, canvas, [canvas] {
    const QString f = QFileDialog::getOpenFileName(canvas, QStringLiteral("Load model"), QString(),
                                                   QStringLiteral("Model files (*.mxl *.xml)"));
    if (!f.isEmpty()) canvas->LoadFromFile(f.toStdString());
  });

  canvas->BuildSampleEngine();
  for (TVYRcomp* c : canvas->Comps())
    if (c->objectName() == QStringLiteral("Burner")) canvas->Select(c);
  window->resize(900, 380);
  return window;
}

}  // namespace

int main(int argc, char** argv) { return vyr::demo::RunDemo(argc, argv, BuildWindow); }
