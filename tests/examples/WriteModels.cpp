// Writes the example model files examples/turbojet.xml, examples/turbofan.xml
// and examples/turbojet-maps.xml (sized by design runs on the maps of the
// source tree's examples/maps) from the engines as EngineModels.cpp builds them:
//   gaspath_models OUTPUT_FOLDER [PICTURE.png]
// The component library is loaded from the build tree. With a picture file,
// the turbofan's canvas is drawn into it, with its station labels.
#include <dlfcn.h>

#include <cstdio>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

#include <QApplication>
#include <QWidget>

#include "EngineModels.h"
#include "vyrcompf.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER [PICTURE.png]\n", argv[0]);
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (dlopen(VYR_GASPATH_LIBRARY, RTLD_NOW | RTLD_LOCAL) == nullptr) {
    std::fprintf(stderr, "%s\n", dlerror());
    return 1;
  }
  const std::string folder = argv[1];
  auto write = [&](const std::string& name, const std::string& text) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
  };
  QWidget jet, fan;
  const std::vector<vyr::TVYRcomp*> fanComps = vyr::examples::BuildTurbofan(&fan);
  bool ok = write("turbojet.xml", vyr::examples::ModelFileText(vyr::examples::BuildTurbojet(&jet),
                                                               vyr::examples::kTurbojetCases)) &&
            write("turbofan.xml", vyr::examples::ModelFileText(fanComps));
  QWidget mapsJet;
  try {
    ok = ok && write("turbojet-maps.xml", vyr::examples::ModelFileText(
                                              vyr::examples::BuildTurbojetOnMaps(&mapsJet, VYR_EXAMPLES_DIR)));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "turbojet-maps.xml: %s\n", e.what());
    return 1;
  }
  if (ok && argc == 3) {
    vyr::LinkAllComps(fanComps);
    for (vyr::TVYRcomp* c : fanComps) {
      c->CreateCompLab();
      c->CreateStationLabs();
      c->Compform->SetDescrLabelCaption();
    }
    fan.setStyleSheet("background: white");
    fan.resize(900, 330);
    fan.show();
    for (vyr::TVYRcomp* c : fanComps)
      for (vyr::TVYRLink* l : c->Links()) l->UpdateStationLab();
    ok = fan.grab().save(QString::fromLocal8Bit(argv[2]));
  }
  return ok ? 0 : 1;
}
