// vyr-flight: a flight-condition form. Choose the atmosphere model, which
// speed is given and the unit system; type the given values and the rest of
// the ambient record follows. Save XML writes the form's fields to a file,
// Load XML reads them back. --imperial starts in imperial units.
#include <cstring>
#include <memory>

#include "DemoMain.h"
#include "FlightForm.h"

int main(int argc, char** argv) {
  bool imperial = false;
  for (int i = 1; i < argc; ++i)
    imperial = imperial || std::strcmp(argv[i], "--imperial") == 0;
  return vyr::demo::RunDemo(argc, argv, [imperial] {
    auto* flight = vyr::TFieldForm::Create<vyr::demo::TFlightForm>();
    if (imperial) flight->Units()->SetItemIndex(1);
    std::unique_ptr<QWidget> form(flight);
    form->resize(720, 360);
    return form;
  });
}
