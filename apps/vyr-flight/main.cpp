// vyr-flight: a flight-condition form. Choose the atmosphere model, which
// speed is given and the unit system; type the given values and the rest of
// the ambient record follows. Save XML writes the form's fields to a file,
// Load XML reads them back. --imperial starts in imperial units;
// --entry NAME=TEXT types TEXT into the field NAME (Zp, Mach, ...) as a user
// would, so that a screenshot can show how a refused entry looks; --load FILE
// loads a saved flight condition first, its warnings printed to stderr.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DemoMain.h"
#include "FlightForm.h"
#include "Messages.h"

int main(int argc, char** argv) {
  bool imperial = false;
  std::vector<std::pair<std::string, std::string>> entries;
  std::string load;
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--imperial") == 0) {
      imperial = true;
    } else if (std::strcmp(argv[i], "--entry") == 0 && i + 1 < argc) {
      const std::string e = argv[++i];
      const std::size_t eq = e.find('=');
      if (eq != std::string::npos) entries.emplace_back(e.substr(0, eq), e.substr(eq + 1));
    } else if (std::strcmp(argv[i], "--load") == 0 && i + 1 < argc) {
      load = argv[++i];
    } else {
      rest.push_back(argv[i]);
    }
  }
  return vyr::demo::RunDemo(static_cast<int>(rest.size()), rest.data(), [imperial, entries, load] {
    auto* flight = vyr::TFieldForm::Create<vyr::demo::TFlightForm>();
    if (imperial) flight->Units()->SetItemIndex(1);
    if (!load.empty()) {
      // Before the window shows, a message goes to stderr rather than into a box.
      vyr::TMessageHandler previous = vyr::SetMessageHandler([](const vyr::TMessage& m) {
        std::fprintf(stderr, "%s\n", m.Text.c_str());
        return int(vyr::mrOk);
      });
      flight->LoadXml(load);
      vyr::SetMessageHandler(std::move(previous));
    }
    for (const auto& [name, text] : entries) flight->TypeEntry(name, text);
    std::unique_ptr<QWidget> form(flight);
    form->resize(720, 360);
    return form;
  });
}
