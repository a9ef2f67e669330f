#include "complibfrm.h"

#include <QScrollArea>
#include <QStatusBar>
#include <QVBoxLayout>

#include "ClassRegistry.h"

namespace vyr {

TComplibform::TComplibform(QWidget* parent)
    : QWidget(parent), scrollBox_(new QScrollArea(this)), statusBar_(new QStatusBar(this)) {
  setObjectName(QStringLiteral("Complibform"));
  setWindowTitle(QStringLiteral("Component library form"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  scrollBox_->setObjectName(QStringLiteral("ScrollBox"));
  scrollBox_->setWidgetResizable(true);
  scrollBox_->setWidget(new QWidget(scrollBox_));
  statusBar_->setObjectName(QStringLiteral("StatusBar"));
  layout->addWidget(scrollBox_, 1);
  layout->addWidget(statusBar_);
}

void TComplibform::SetVersionText(const QString& text) { statusBar_->showMessage(text); }

void InitComplibfrm() { RegisterClass<TComplibform>(); }

void DoneComplibfrm() { UnRegisterClass("TComplibform"); }

}  // namespace vyr
