// vyr-editor: the model editor.
//
//   vyr-editor [MODEL.xml] [--complib FILE|FOLDER]... [--run] [--screenshot FILE.png]
//              [--new-instance] [--echo-messages]
//
// The component libraries next to the program are loaded, and those named by
// --complib. A second start with a file hands the file to the running editor,
// which opens it and comes forward (unless --new-instance). --run runs the
// model (its operating line when it has maps, else its design point);
// --screenshot renders the window offscreen to FILE.png and exits.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QPixmap>
#include <QStringList>

#include "Complibs.h"
#include "EditorCanvas.h"
#include "EditorWindow.h"
#include "VYRutils.h"

namespace {

struct TOptions {
  std::vector<std::string> complibs;
  QStringList files;
  std::string screenshot;
  bool run = false;
  bool newInstance = false;
  bool echo = false;
};

int Usage(const char* why) {
  std::fprintf(stderr, "vyr-editor: %s\nusage: vyr-editor [MODEL.xml] [--complib FILE|FOLDER]... [--run] "
                       "[--screenshot FILE.png] [--new-instance] [--echo-messages]\n", why);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions o;
  std::vector<char*> qtArgs{argv[0]};
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    if (a == "--complib") {
      std::string v;
      if (!value(v)) return Usage("--complib needs a file or folder");
      o.complibs.push_back(v);
    } else if (a == "--screenshot") {
      if (!value(o.screenshot)) return Usage("--screenshot needs a file name (FILE.png)");
    } else if (a == "--run") {
      o.run = true;
    } else if (a == "--new-instance") {
      o.newInstance = true;
    } else if (a == "--echo-messages") {
      o.echo = true;
    } else if (a == "-h" || a == "--help") {
      Usage("the model editor");
      return 0;
    } else if (a.rfind("-", 0) == 0) {
      qtArgs.push_back(argv[i]);  // Qt's own options (-platform ...)
    } else {
      o.files << QString::fromLocal8Bit(argv[i]);
    }
  }
  if (!o.screenshot.empty()) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    o.newInstance = true;  // a screenshot is never handed over
  }
  int qtArgc = static_cast<int>(qtArgs.size());
  qtArgs.push_back(nullptr);
  QApplication app(qtArgc, qtArgs.data());
  QApplication::setOrganizationName(QStringLiteral("vyr"));
  QApplication::setApplicationName(QStringLiteral("vyr-editor"));

  // A running editor takes the files and comes forward.
  auto server = std::make_unique<vyr::TInstanceServer>();
  if (!o.newInstance && !server->Listen()) {
    const std::string other = vyr::FindDuplicateMainWdw();
    if (!other.empty() && vyr::SwitchToPrevInst(other, o.files)) return 0;
  }

  // The libraries outlive the window, whose icons and forms are of their classes.
  vyr::editor::TComplibs libs;
  std::vector<std::string> problems;
  libs.LoadFolder(vyr::editor::DefaultComplibDir(), problems);
  for (const std::string& l : o.complibs) libs.Load(l, problems);
  int status = 0;
  {
    vyr::editor::TEditorWindow window(libs);
    window.SetEchoMessages(o.echo);
    for (const std::string& p : problems) window.AddMessage(QString::fromStdString(p));
    server->SetMainWindow(&window);
    QObject::connect(server.get(), &vyr::TInstanceServer::ParametersReceived, &window,
                     [&window](const QStringList& params) { window.OpenHandedOver(params); });
    for (const QString& f : o.files) window.OpenFile(f);
    if (o.run) {
      const bool maps = window.Results()->HasMaps(window.Canvas()->SaveToString());
      if (maps ? !window.RunOperatingLine() : !window.RunDesign()) status = 1;
    }
    window.show();
    if (o.screenshot.empty()) {
      window.AddMessage(QStringLiteral("Ready"));
      status = app.exec();
    } else {
      QApplication::processEvents();
      const QPixmap image = window.grab();
      if (!image.save(QString::fromStdString(o.screenshot), "PNG")) {
        std::fprintf(stderr, "vyr-editor: cannot write the screenshot %s\n", o.screenshot.c_str());
        status = 1;
      }
    }
    server.reset();
  }
  return status;
}
