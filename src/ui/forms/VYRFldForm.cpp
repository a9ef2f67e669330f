#include "VYRFldForm.h"

namespace vyr {

TVYRFieldForm::TVYRFieldForm(QWidget* owner) : TFieldForm(owner) {
  setObjectName(QStringLiteral("VYRFieldForm"));
  setWindowTitle(QStringLiteral("VYRFieldForm"));
}

TVYRFieldForm::~TVYRFieldForm() = default;

}  // namespace vyr
