#include "SampleEngine.h"

#include <QLabel>
#include <QPainter>
#include <QPolygon>

#include "ClassRegistry.h"
#include "vyrcompf.h"

namespace vyr::sample {

QPixmap DrawPicture(TPicture kind, int w, int h) {
  QPixmap pm(w, h);
  pm.fill(QColor(236, 236, 236));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(30, 30, 90), 2));
  p.setBrush(QColor(170, 185, 215));
  const int m = h / 2;
  switch (kind) {
    case TPicture::Inlet:
      p.drawPolygon(QPolygon({{2, 4}, {w - 2, m - 8}, {w - 2, m + 8}, {2, h - 4}}));
      break;
    case TPicture::Compressor:
      p.drawPolygon(QPolygon({{2, 2}, {w - 2, m - 10}, {w - 2, m + 10}, {2, h - 2}}));
      break;
    case TPicture::Turbine:
      p.drawPolygon(QPolygon({{2, m - 10}, {w - 2, 2}, {w - 2, h - 2}, {2, m + 10}}));
      break;
    case TPicture::Burner:
      p.drawRoundedRect(2, m - 14, w - 4, 28, 8, 8);
      p.setBrush(QColor(240, 150, 40));
      p.drawEllipse(QPoint(w / 2, m), 7, 7);
      break;
    case TPicture::Duct:
      p.drawRect(2, m - 8, w - 4, 16);
      break;
    case TPicture::Nozzle:
      p.drawPolygon(QPolygon({{2, m - 14}, {w - 2, m - 6}, {w - 2, m + 6}, {2, m + 14}}));
      break;
    case TPicture::Control:
      p.drawRect(6, 6, w - 12, h - 12);
      p.drawLine(10, h - 12, w - 10, 12);
      break;
  }
  return pm;
}

namespace {

void AddPicture(TVYRcomp* icon, TPicture picture) {
  auto* pic = new QLabel(icon);
  pic->setObjectName(QStringLiteral("Picture"));
  pic->setScaledContents(true);
  pic->setGeometry(10, 10, icon->width() - 20, icon->height() - 20);
  pic->setPixmap(DrawPicture(picture, icon->width() - 20, icon->height() - 20));
}

void AddPort(TVYRcomp* icon, const char* name, TLinktype type, int left, int top) {
  auto* l = new TVYRLink(icon);
  l->setObjectName(QString::fromUtf8(name));
  l->SetLtype(type);
  l->move(left, top);
  l->SetStation(-1);
  l->SetColor();
}

}  // namespace

TGasPathIcon::TGasPathIcon(QWidget* owner, TPicture picture, bool inlet, bool outlet, bool controlIn)
    : TVYRcomp(owner) {
  SetFormclassname("TVYRcompform");
  AddPicture(this, picture);
  if (inlet) AddPort(this, "In1", ltIn1, 0, 30);
  if (outlet) AddPort(this, "Out1", ltOut1, 60, 30);
  if (controlIn) AddPort(this, "CtrlIn", ltCtrlin, 30, 0);
}

TInletIcon::TInletIcon(QWidget* owner) : TGasPathIcon(owner, TPicture::Inlet, false, true, false) {}
TCompressorIcon::TCompressorIcon(QWidget* owner) : TGasPathIcon(owner, TPicture::Compressor, true, true, false) {}
TBurnerIcon::TBurnerIcon(QWidget* owner) : TGasPathIcon(owner, TPicture::Burner, true, true, true) {}
TTurbineIcon::TTurbineIcon(QWidget* owner) : TGasPathIcon(owner, TPicture::Turbine, true, true, false) {}
TDuctIcon::TDuctIcon(QWidget* owner) : TGasPathIcon(owner, TPicture::Duct, true, true, false) {}
TNozzleIcon::TNozzleIcon(QWidget* owner) : TGasPathIcon(owner, TPicture::Nozzle, true, true, false) {}

TControlIcon::TControlIcon(QWidget* owner) : TVYRcomp(owner) {
  SetFormclassname("TVYRcompform");
  SetCompType(ctNoGpLink);
  AddPicture(this, TPicture::Control);
  AddPort(this, "CtrlOut", ltCtrlout, 30, 60);
}

TConnectorIcon::TConnectorIcon(QWidget* owner) : TVYRcomp(owner) {
  SetCompType(ctLineLink);
  resize(kIconSize, 10);
  AddPort(this, "End1", ltLine, 0, 0);
  AddPort(this, "End2", ltLine, kIconSize - 10, 0);
}

void RegisterSampleIcons() {
  RegisterClass<TInletIcon>();
  RegisterClass<TCompressorIcon>();
  RegisterClass<TBurnerIcon>();
  RegisterClass<TTurbineIcon>();
  RegisterClass<TDuctIcon>();
  RegisterClass<TNozzleIcon>();
  RegisterClass<TControlIcon>();
  RegisterClass<TConnectorIcon>();
}

TVYRcomp* Place(TVYRcomp* icon, const std::string& name, QPoint pos, double in1, double out1, int calcNr) {
  icon->setObjectName(QString::fromStdString(name));
  icon->move(pos);
  if (TVYRLink* l = icon->GetLink(ltIn1)) l->SetStation(in1);
  if (TVYRLink* l = icon->GetLink(ltOut1)) l->SetStation(out1);
  if (icon->CompType() != ctLineLink && icon->CompformCreate()) {
    icon->Compform->SetComponentName(name);
    icon->Compform->SetCalcNumber(calcNr);
  }
  DecorateLoaded({icon});
  return icon;
}

void DecorateLoaded(const std::vector<TVYRcomp*>& comps) {
  for (TVYRcomp* c : comps) {
    if (c->CompType() != ctLineLink) c->CreateCompLab();
    c->CreateStationLabs();
    c->show();
  }
}

std::vector<TVYRcomp*> BuildEngine(QWidget* canvas, QPoint origin) {
  RegisterSampleIcons();
  const int x = origin.x();
  const int y = origin.y();
  return {
      Place(new TInletIcon(canvas), "Inlet", {x, y}, -1, 2, 1),
      Place(new TCompressorIcon(canvas), "HPC", {x + 60, y}, 2, 3, 2),
      Place(new TBurnerIcon(canvas), "Burner", {x + 120, y}, 3, 4, 4),
      Place(new TControlIcon(canvas), "FuelCtrl", {x + 120, y - 70}, -1, -1, 3),
      Place(new TTurbineIcon(canvas), "HPT", {x + 180, y}, 4, 5, 5),
      Place(new TConnectorIcon(canvas), "Line1", {x + 240, y + 30}),
      Place(new TDuctIcon(canvas), "Jetpipe", {x + 300, y}, 5, 7, 6),
      Place(new TNozzleIcon(canvas), "Nozzle", {x + 360, y}, 7, 8, 7),
  };
}

}  // namespace vyr::sample
