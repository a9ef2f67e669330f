#include "DemoMain.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include "VyrMessageBox.h"

namespace vyr::demo {

int RunDemo(int argc, char** argv, const TBuildWindow& build) {
  std::string screenshot;
  std::vector<char*> rest{argv[0]};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "--screenshot needs a file name (FILE.png)\n");
        return 2;
      }
      screenshot = argv[++i];
    } else {
      rest.push_back(argv[i]);
    }
  }
  if (!screenshot.empty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  int qtArgc = static_cast<int>(rest.size());
  rest.push_back(nullptr);
  QApplication app(qtArgc, rest.data());
  InstallMessageBoxHandler();
  std::unique_ptr<QWidget> window = build();
  window->show();
  if (screenshot.empty()) return app.exec();

  QApplication::processEvents();
  const QPixmap image = window->grab();
  if (!image.save(QString::fromStdString(screenshot), "PNG")) {
    std::fprintf(stderr, "Cannot write the screenshot %s\n", screenshot.c_str());
    return 1;
  }
  return 0;
}

}  // namespace vyr::demo
