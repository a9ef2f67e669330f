// Writes the example model files examples/turbojet.xml and
// examples/turbofan.xml from the engines as EngineModels.cpp builds them:
//   gaspath_models OUTPUT_FOLDER
// The component library is loaded from the build tree.
#include <dlfcn.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <QApplication>
#include <QWidget>

#include "EngineModels.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
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
  const bool ok =
      write("turbojet.xml", vyr::examples::ModelFileText(vyr::examples::BuildTurbojet(&jet),
                                                         vyr::examples::kTurbojetCase)) &&
      write("turbofan.xml", vyr::examples::ModelFileText(vyr::examples::BuildTurbofan(&fan)));
  return ok ? 0 : 1;
}
