#include "GaspathIcons.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygon>

namespace vyr::gaspath {

namespace {

// The component name under the icon. Linked icons overlap by a link's width
// (10 px) on each side and the neighbour drawn later covers that strip, so the
// name is fitted between the two strips: a long name ("Compressor") is drawn
// a little smaller rather than cut by the next icon.
class TCaptionLabel : public QLabel {
 public:
  using QLabel::QLabel;

 protected:
  void paintEvent(QPaintEvent*) override {
    constexpr int kCovered = 9;  // a link's width less the label's 1 px inset
    const QRect r = width() > 4 * kCovered ? rect().adjusted(kCovered, 0, -kCovered, 0) : rect();
    QFont f = font();
    while (QFontMetrics(f).horizontalAdvance(text()) > r.width() && f.pointSizeF() > 5.0)
      f.setPointSizeF(f.pointSizeF() - 0.25);
    QPainter p(this);
    p.setFont(f);
    p.setPen(palette().color(foregroundRole()));
    p.drawText(r, int(alignment()), text());
  }
};

}  // namespace

QPixmap DrawShape(TShape shape, int w, int h) {
  // Metal shaded from top to bottom on a light background; hot parts in orange.
  QPixmap pm(w, h);
  pm.fill(QColor(242, 244, 246));
  QLinearGradient metal(0, 0, 0, h);
  metal.setColorAt(0.0, QColor(205, 214, 228));
  metal.setColorAt(1.0, QColor(140, 156, 186));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(25, 35, 70), 1.5));
  p.setBrush(metal);
  const int m = h / 2;
  switch (shape) {
    case TShape::Ambient:  // free stream: three streamlines with arrow heads
      for (int y : {h / 4, m, 3 * h / 4}) {
        p.drawLine(4, y, w - 6, y);
        p.drawLine(w - 6, y, w - 12, y - 4);
        p.drawLine(w - 6, y, w - 12, y + 4);
      }
      break;
    case TShape::Inlet:  // diffuser: widening towards the engine face
      p.drawPolygon(QPolygon({{2, m - 8}, {w - 2, m - 16}, {w - 2, m + 16}, {2, m + 8}}));
      break;
    case TShape::Duct:
      p.drawRect(2, m - 8, w - 4, 16);
      break;
    case TShape::Compressor:  // annulus narrowing with rising pressure
      p.drawPolygon(QPolygon({{2, 2}, {w - 2, m - 10}, {w - 2, m + 10}, {2, h - 2}}));
      break;
    case TShape::Splitter:  // one stream in, bypass out at the top, core at the bottom
      p.drawPolygon(QPolygon({{2, m - 10}, {w / 2, m - 10}, {w - 2, 6}, {w - 2, h / 3},
                              {w / 2 + 4, m}, {w - 2, 2 * h / 3}, {w - 2, h - 6}, {w / 2, m + 10}, {2, m + 10}}));
      break;
    case TShape::Burner:
      p.drawRoundedRect(2, m - 14, w - 4, 28, 8, 8);
      p.setBrush(QColor(240, 150, 40));
      p.drawEllipse(QPoint(w / 2, m), 7, 7);
      break;
    case TShape::Turbine:  // annulus widening with falling pressure
      p.drawPolygon(QPolygon({{2, m - 10}, {w - 2, 2}, {w - 2, h - 2}, {2, m + 10}}));
      break;
    case TShape::Nozzle:  // converging jet pipe
      p.drawPolygon(QPolygon({{2, m - 14}, {w - 2, m - 6}, {w - 2, m + 6}, {2, m + 14}}));
      break;
    case TShape::Shaft:  // a shaft with two discs
      p.drawRect(4, m - 3, w - 8, 6);
      p.drawRect(w / 4 - 3, m - 16, 6, 32);
      p.drawRect(3 * w / 4 - 3, m - 16, 6, 32);
      break;
  }
  return pm;
}

TGasPathComp::TGasPathComp(QWidget* owner, TShape shape, const char* formClass, std::initializer_list<TPort> ports,
                           int width, int height)
    : TVYRcomp(owner), shape_(shape) {
  SetFormclassname(formClass);
  resize(width, height);
  Hold = height;
  Wold = width;
  auto* pic = new QLabel(this);
  pic->setObjectName(QStringLiteral("Picture"));
  pic->setScaledContents(true);
  pic->setGeometry(10, 10, width - 20, height - 20);
  pic->setPixmap(DrawShape(shape, width - 20, height - 20));
  // The description label (tag 1) shows the component name.
  auto* descr = new TCaptionLabel(this);
  descr->setObjectName(QStringLiteral("DescrLab"));
  descr->setProperty("Tag", 1);
  descr->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
  descr->setGeometry(1, height - 13, width - 2, 12);
  QFont f = descr->font();
  f.setPointSize(7);
  descr->setFont(f);
  for (const TPort& port : ports) {
    auto* l = new TVYRLink(this);
    l->setObjectName(QString::fromUtf8(port.name));
    l->SetLtype(port.type);
    l->move(port.left, port.top);
    l->SetStation(-1);
    l->SetColor();
  }
  if (ports.size() == 0) SetCompType(ctNoLink);
}

namespace {
constexpr int kMid = (kIconSize - 10) / 2;    // top of a link at mid height [px]
constexpr int kRight = kIconSize - 10;        // left of a link on the right edge [px]
}  // namespace

TAmbientComp::TAmbientComp(QWidget* owner)
    : TGasPathComp(owner, TShape::Ambient, "TAmbientForm", {{"Out1", ltOut1, kRight, kMid}}) {}
TInletComp::TInletComp(QWidget* owner)
    : TGasPathComp(owner, TShape::Inlet, "TInletForm", {{"In1", ltIn1, 0, kMid}, {"Out1", ltOut1, kRight, kMid}}) {}
TDuctComp::TDuctComp(QWidget* owner)
    : TGasPathComp(owner, TShape::Duct, "TDuctForm", {{"In1", ltIn1, 0, kMid}, {"Out1", ltOut1, kRight, kMid}}) {}
TCompressorComp::TCompressorComp(QWidget* owner)
    : TGasPathComp(owner, TShape::Compressor, "TCompressorForm",
                   {{"In1", ltIn1, 0, kMid}, {"Out1", ltOut1, kRight, kMid}}) {}
TSplitterComp::TSplitterComp(QWidget* owner)
    : TGasPathComp(owner, TShape::Splitter, "TSplitterForm",
                   {{"In1", ltIn1, 0, kSplitterIn - 5},
                    {"Out2", ltOut2, kRight, kSplitterBypassOut - 5},
                    {"Out1", ltOut1, kRight, kSplitterCoreOut - 5}},
                   kIconSize, kSplitterHeight) {}
TBurnerComp::TBurnerComp(QWidget* owner)
    : TGasPathComp(owner, TShape::Burner, "TBurnerForm", {{"In1", ltIn1, 0, kMid}, {"Out1", ltOut1, kRight, kMid}}) {}
TTurbineComp::TTurbineComp(QWidget* owner)
    : TGasPathComp(owner, TShape::Turbine, "TTurbineForm",
                   {{"In1", ltIn1, 0, kMid}, {"Out1", ltOut1, kRight, kMid}}) {}
TNozzleComp::TNozzleComp(QWidget* owner)
    : TGasPathComp(owner, TShape::Nozzle, "TNozzleForm", {{"In1", ltIn1, 0, kMid}}) {}
TShaftComp::TShaftComp(QWidget* owner) : TGasPathComp(owner, TShape::Shaft, "TShaftForm", {}) {}

}  // namespace vyr::gaspath
