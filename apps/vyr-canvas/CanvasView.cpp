#include "CanvasView.h"

#include <filesystem>

#include <QMouseEvent>
#include <QPainter>

#include "HandlesKQ.h"
#include "SampleEngine.h"
#include "VyrNativeXml.h"

namespace vyr::demo {

TCanvasView::TCanvasView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(560, 320);
  setAttribute(Qt::WA_OpaquePaintEvent);
  sample::RegisterSampleIcons();
  handle_ = new TStretchHandle(this);
  handle_->SetGridX(10);
  handle_->SetGridY(10);
  // A drag ends on the mouse release; arrow keys move at once.
  connect(handle_, &TStretchHandle::OnEndDrag, this, [this] { Relink(SelectedIcons()); });
  connect(handle_, &TStretchHandle::OnKeyDown, this, [this](int key, TShiftState) {
    if (key == Qt::Key_R) RotateSelection();
    if (key == Qt::Key_Escape) Select(nullptr);
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down)
      Relink(SelectedIcons());
  });
}

TCanvasView::~TCanvasView() = default;

void TCanvasView::Clear() {
  handle_->Detach();
  for (TVYRcomp* c : comps_) delete c;
  comps_.clear();
}

void TCanvasView::BuildSampleEngine() {
  Clear();
  doc_.reset();  // a new model
  comps_ = sample::BuildEngine(this, {40, 120});
  LinkAllComps(comps_);
  RefreshStationLabels();
  emit SelectionChanged();
}

void TCanvasView::RefreshStationLabels() {
  for (TVYRcomp* c : comps_)
    for (TVYRLink* l : c->Links()) l->UpdateStationLab();
  handle_->raise();
}

void TCanvasView::Select(TVYRcomp* icon) {
  handle_->Detach();
  if (icon != nullptr) {
    handle_->Attach(icon);
    handle_->setFocus();
  }
  emit SelectionChanged();
}

TVYRcomp* TCanvasView::SelectedIcon() const {
  return handle_->ChildCount() == 1 ? qobject_cast<TVYRcomp*>(handle_->Children(0)) : nullptr;
}

void TCanvasView::Relink(const std::vector<TVYRcomp*>& moved) {
  // Station questions that linking raises are asked once this event is done.
  for (TVYRcomp* c : moved) RelinkComp(c, comps_);
  for (TVYRcomp* c : comps_) c->update();
  RefreshStationLabels();
  emit SelectionChanged();
}

std::vector<TVYRcomp*> TCanvasView::SelectedIcons() const {
  std::vector<TVYRcomp*> icons;
  for (int i = 0; i < handle_->ChildCount(); ++i)
    if (auto* c = qobject_cast<TVYRcomp*>(handle_->Children(i))) icons.push_back(c);
  return icons;
}

void TCanvasView::RotateSelection() {
  const std::vector<TVYRcomp*> turned = SelectedIcons();
  handle_->Detach();
  for (TVYRcomp* c : turned) {
    c->Unlink();
    c->Rotate();
  }
  for (TVYRcomp* c : turned) handle_->Attach(c);
  Relink(turned);
}

bool TCanvasView::SaveToFile(const std::string& fileName) {
  if (!doc_) {
    auto doc = std::make_unique<TVyrXmlDocument>();
    std::error_code ec;
    // A model file that is already there keeps what it holds besides the
    // canvas; a file that cannot be read as one is not overwritten.
    if (std::filesystem::exists(fileName, ec)) {
      if (!doc->LoadFromFile(fileName)) return false;
    } else {
      doc->Document().append_child("VYRmodel").append_child("BaseCfg");
    }
    doc_ = std::move(doc);
  }
  TVyrXmlNode cfg = doc_->Root().RefModelRoot();
  if (!cfg) cfg = TVyrXmlNode(doc_->Root().append_child("BaseCfg"));
  WriteCompsToXML(comps_, cfg);
  return doc_->SaveToFile(fileName);
}

bool TCanvasView::LoadFromFile(const std::string& fileName) {
  auto doc = std::make_unique<TVyrXmlDocument>();
  if (!doc->LoadFromFile(fileName)) return false;
  Clear();
  doc_ = std::move(doc);
  comps_ = ReadCompsFromXML(doc_->Root().RefModelRoot(), this);
  sample::DecorateLoaded(comps_);
  LinkAllComps(comps_);
  RefreshStationLabels();
  emit SelectionChanged();
  return true;
}

void TCanvasView::mousePressEvent(QMouseEvent* event) {
  // Icons and their parts leave presses to the canvas: find the icon under the press.
  QWidget* w = childAt(event->position().toPoint());
  while (w != nullptr && qobject_cast<TVYRcomp*>(w) == nullptr) w = w->parentWidget();
  Select(qobject_cast<TVYRcomp*>(w));
}

void TCanvasView::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  p.fillRect(event->rect(), Qt::white);
  p.setPen(QColor(225, 225, 225));
  for (int x = 0; x < width(); x += 10)
    for (int y = 0; y < height(); y += 10) p.drawPoint(x, y);
}

}  // namespace vyr::demo
