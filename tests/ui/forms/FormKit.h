// Test fixtures of the component form tests: forms as a component library
// derives them, with fields on the pages and values published as properties.
#pragma once

#include <string>

#include <QGroupBox>
#include <QVBoxLayout>

#include "vyrcompf.h"

namespace vyr::test {

/// A compressor form: a speed on General, design values on Design with the
/// downstream group shown, a map grid, an output choice, and two model options.
/// Its properties: _N1 (a member), __PRdes and __Wdes (fields), _Stages, _Bleed,
/// _MapKind (an enumeration), _Label (a text, never listed) and Plain (no prefix).
class TTestCompressorForm : public TVYRcompform {
  Q_OBJECT
  Q_PROPERTY(double _N1 READ N1 WRITE SetN1)
  Q_PROPERTY(double __PRdes READ PRdes WRITE SetPRdes)
  Q_PROPERTY(double __Wdes READ Wdes WRITE SetWdes)
  Q_PROPERTY(int _Stages READ Stages WRITE SetStages)
  Q_PROPERTY(bool _Bleed READ Bleed WRITE SetBleed)
  Q_PROPERTY(TMapKind _MapKind READ MapKind WRITE SetMapKind)
  Q_PROPERTY(QString _Label READ Label WRITE SetLabel)
  Q_PROPERTY(double Plain READ Plain WRITE SetPlain)

 public:
  enum TMapKind { mkBeta, mkRline, mkNone };
  Q_ENUM(TMapKind)

  Q_INVOKABLE explicit TTestCompressorForm(QWidget* owner = nullptr) : TVYRcompform(owner) {
    ModelOpt->SetItems({"Map", "Fixed efficiency"});
    SpeedFld = AddNum(General, "SpeedFld", "Rel. speed", 0, 2);
    PRdesFld = AddNum(Design, "PRdesFld", "PR design", 1, 60);
    WdesFld = AddNum(Design, "WdesFld", "W design", 0, 1000);
    EtadesFld = AddNum(Design, "EtadesFld", "Efficiency", 0, 1);
    DownStrCalcPriorityRGrpFld->show();
    Map = new TNumGrid(Design);
    Map->setObjectName("Map");
    Map->SetSize(2, 3);
    Map->SetFixedRows(1);
    Design->layout()->addWidget(Map);
    auto* box = new QGroupBox("Extra output", OutpTSheet);
    box->setObjectName("ExtraOutput");
    auto* boxLayout = new QVBoxLayout(box);
    ExtraOut = new TCheckFld(box);
    ExtraOut->setObjectName("ExtraOut");
    boxLayout->addWidget(ExtraOut);
    OutpTSheet->layout()->addWidget(box);
  }

  double N1() const { return n1_; }
  void SetN1(double v) { n1_ = v; }
  double PRdes() const { return PRdesFld->GetValue(); }
  void SetPRdes(double v) { PRdesFld->SetValue(v); }
  double Wdes() const { return WdesFld->GetValue(); }
  void SetWdes(double v) { WdesFld->SetValue(v); }
  int Stages() const { return stages_; }
  void SetStages(int v) { stages_ = v; }
  bool Bleed() const { return bleed_; }
  void SetBleed(bool v) { bleed_ = v; }
  TMapKind MapKind() const { return mapKind_; }
  void SetMapKind(TMapKind v) { mapKind_ = v; }
  QString Label() const { return label_; }
  void SetLabel(const QString& v) { label_ = v; }
  double Plain() const { return plain_; }
  void SetPlain(double v) { plain_ = v; }

  /// The bleed is hidden from the list while this is set.
  bool HideBleed = false;
  bool PropActive(const std::string& name) override { return !(HideBleed && name == "_Bleed"); }

  TNumFld* SpeedFld;
  TNumFld* PRdesFld;
  TNumFld* WdesFld;
  TNumFld* EtadesFld;
  TNumGrid* Map;
  TCheckFld* ExtraOut;

 protected:
  static TNumFld* AddNum(QWidget* page, const char* name, const char* caption, double min, double max) {
    auto* f = new TNumFld(page);
    f->setObjectName(name);
    f->SetLabelCaption(caption);
    f->SetMin(min);
    f->SetMax(max);
    page->layout()->addWidget(f);
    return f;
  }

 private:
  double n1_ = 0;
  int stages_ = 0;
  bool bleed_ = false;
  TMapKind mapKind_ = mkBeta;
  QString label_;
  double plain_ = 0;
};

/// A descendant that adds one design property: listed after the inherited ones.
class TTestHPCForm : public TTestCompressorForm {
  Q_OBJECT
  Q_PROPERTY(double __Etades READ Etades WRITE SetEtades)

 public:
  Q_INVOKABLE explicit TTestHPCForm(QWidget* owner = nullptr) : TTestCompressorForm(owner) {}
  double Etades() const { return EtadesFld->GetValue(); }
  void SetEtades(double v) { EtadesFld->SetValue(v); }
};

}  // namespace vyr::test
