// Field form of this library: the modal field form with the OK, Cancel and
// Help buttons in BottomButtonsPanel, captioned "VYRFieldForm". It adds no data
// and no operations; the component form (vyrcompf.h) derives from it.
#pragma once

#include "Fldform.h"
#include "VyrUiExport.h"

namespace vyr {

class VYR_UI_API TVYRFieldForm : public TFieldForm {
  Q_OBJECT

 public:
  Q_INVOKABLE explicit TVYRFieldForm(QWidget* owner = nullptr);
  ~TVYRFieldForm() override;
};

}  // namespace vyr
