// vyr-flight: a flight-condition form. Choose the atmosphere model, which
// speed is given and the unit system; type the given values and the rest of
// the ambient record follows. Save XML writes the form's fields to a file,
// Load XML reads them back.
#include <memory>

#include "DemoMain.h"
#include "FlightForm.h"

int main(int argc, char** argv) {
  return vyr::demo::RunDemo(argc, argv, [] {
    std::unique_ptr<QWidget> form(vyr::TFieldForm::Create<vyr::demo::TFlightForm>());
    form->resize(720, 360);
    return form;
  });
}
