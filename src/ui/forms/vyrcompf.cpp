#include "vyrcompf.h"

#include <cmath>

#include <QHBoxLayout>
#include <QLabel>

#include "ClassRegistry.h"
#include "vyrcompl.h"

namespace vyr {

namespace {

const char* const kIDhint = "Component ID string for ouput parameters (if blank, default=Calc.Nr.)";

}  // namespace

TVYRcompform::TVYRcompform(QWidget* owner) : TFieldForm(owner) {
  setObjectName(QStringLiteral("VYRcompform"));
  setWindowTitle(QStringLiteral("VYR component form"));
  resize(513, 379);

  Panel3 = new QWidget(this);
  Panel3->setObjectName(QStringLiteral("Panel3"));
  Panel3->setFixedHeight(36);
  auto* row = new QHBoxLayout(Panel3);
  row->setContentsMargins(4, 2, 4, 2);

  CompName = new TStringFld(Panel3);
  CompName->setObjectName(QStringLiteral("CompName"));
  CompName->SetText("Comp. Name");
  CompName->SetXmlTag(XmlTagAttribute);
  CompName->SetCustomIDstring("Name");

  IDlabel = new QLabel(QStringLiteral("ID string"), Panel3);
  IDlabel->setObjectName(QStringLiteral("IDlabel"));
  IDlabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  IDlabel->setToolTip(QString::fromUtf8(kIDhint));

  ID = new TStringFld(Panel3);
  ID->setObjectName(QStringLiteral("ID"));
  ID->setFixedWidth(49);
  ID->setToolTip(QString::fromUtf8(kIDhint));

  Nr = new TNumFld(Panel3);
  Nr->setObjectName(QStringLiteral("Nr"));
  Nr->SetLabelCaption("Calc.Nr.");
  Nr->SetIntegerOnly(true);
  Nr->SetDecimals(0);
  Nr->SetMin(-32768);
  Nr->SetMax(32767);
  Nr->SetReadOnly(true);
  Nr->SetFontColor(QColor(0, 0, 255));
  Nr->SetXmlTag(XmlTagAttribute);
  Nr->setToolTip(QStringLiteral("Calculation list sequence number"));

  row->addWidget(CompName);
  row->addWidget(IDlabel);
  row->addWidget(ID);
  row->addStretch(1);
  row->addWidget(Nr);
  AddClientWidget(Panel3);
}

TVYRcompform::~TVYRcompform() = default;

std::string TVYRcompform::IDstr() const {
  return "Nr. " + IntToStr(CalcNumber()) + " Component: " + ComponentName();
}

std::string TVYRcompform::ShortIDstr() const {
  if (TVYRcomp* icon = Icon()) return icon->ShortIDstr();
  return ComponentName();
}

TVYRcomp* TVYRcompform::Icon() const { return qobject_cast<TVYRcomp*>(parentWidget()); }

int TVYRcompform::CalcNumber() const { return static_cast<int>(std::lround(Nr->GetValue())); }

void TVYRcompform::SetCalcNumber(int nr) { Nr->SetValue(nr); }

std::string TVYRcompform::ComponentName() const { return CompName->Text(); }

void TVYRcompform::SetComponentName(const std::string& name) { CompName->SetText(name); }

void InitVyrcompf() { RegisterClass<TVYRcompform>(); }

void DoneVyrcompf() { UnRegisterClass("TVYRcompform"); }

}  // namespace vyr
