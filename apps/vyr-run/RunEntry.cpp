// Entry point of the run module: a QApplication without display, the component
// libraries, the model host, and nothing left behind but the result.
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <type_traits>
#include <vector>

#include <QApplication>
#include <QtGlobal>

#include "ModelHost.h"
#include "RunModule.h"

namespace vyr::run {
namespace {

// Qt's own notices (fonts and features of the platform without display) are no
// messages of the run; only critical ones reach standard error.
void QuietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) fprintf(stderr, "vyr: Qt: %s\n", qPrintable(text));
}

// The component libraries loaded for one run, unloaded in reverse order.
class TComplibs {
 public:
  TComplibs() = default;
  TComplibs(const TComplibs&) = delete;
  TComplibs& operator=(const TComplibs&) = delete;
  ~TComplibs() {
    for (auto it = handles_.rbegin(); it != handles_.rend(); ++it) dlclose(*it);
  }

  // Loads every *.so in folder, in name order; a missing default folder is no error.
  void LoadFolder(const std::filesystem::path& folder, std::vector<std::string>& problems) {
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
      if (it->path().extension() == ".so" && it->is_regular_file(ec)) files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files) LoadFile(f, problems);
  }

  void LoadFile(const std::filesystem::path& file, std::vector<std::string>& problems) {
    // A relative name without a slash would make dlopen search the library path.
    const std::string name = file.has_parent_path() ? file.string() : "./" + file.string();
    dlerror();
    if (void* h = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
      handles_.push_back(h);
    } else {
      const char* why = dlerror();
      problems.push_back("component library " + file.string() + " not loaded: " + (why ? why : "unknown reason"));
    }
  }

 private:
  std::vector<void*> handles_;
};

void Run(const TRunRequest& request, TRunResult& result) {
  // A platform that needs no display; one the user chose stays. The minimal
  // platform has no font database, so that no font configuration is read and
  // no font loaded for widgets that are never drawn (a tenth of a run's
  // instructions); offscreen where a Qt has no minimal platform.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "minimal;offscreen");
  const QtMessageHandler previousQt = qInstallMessageHandler(QuietQtMessages);
  static int argc = 1;
  static char name[] = "vyr";
  static char* argv[] = {name, nullptr};
  auto app = QApplication::instance() ? nullptr : std::make_unique<QApplication>(argc, argv);

  std::vector<std::string> libProblems;
  {
    TComplibs libs;
    std::error_code ec;
    if (!request.complibDir.empty() && std::filesystem::is_directory(request.complibDir, ec))
      libs.LoadFolder(request.complibDir, libProblems);
    for (const std::string& p : request.complibs) {
      if (std::filesystem::is_directory(p, ec)) {
        libs.LoadFolder(p, libProblems);
      } else if (std::filesystem::exists(p, ec)) {
        libs.LoadFile(p, libProblems);
      } else {
        result.status = TRunStatus::Invalid;
        result.errors.push_back("--complib " + p + ": no such file or folder");
      }
    }
    if (result.errors.empty()) {
      // The host lives inside the libraries' lifetime: their forms die first.
      TModelHost host;
      if (!host.Load(request.model, request.config, request.caseID)) {
        result.status = TRunStatus::Invalid;
      } else if (!request.saveDesign.empty() && (!request.config.empty() || !request.caseID.empty())) {
        // The design data of a configuration or case belong to no element of the file.
        result.status = TRunStatus::Invalid;
        result.errors.push_back("--save-design writes the design data of the base configuration; it cannot be "
                                "combined with --config or --case");
      } else {
        result.status = request.offDesign.empty()
                            ? host.Run(result.state)
                            : host.RunOffDesign(result.state, request.offDesign, result.points);
      }
      std::string saveProblem;
      if (result.status != TRunStatus::Invalid && !request.saveDesign.empty()) {
        if (!host.DesignDone())
          saveProblem = "--save-design: " + request.saveDesign + " not written: the design point failed";
        else if (!host.SaveModel(request.saveDesign, result.saveError))
          result.saveError = "--save-design: " + result.saveError;
      }
      result.configPath = host.ConfigPath();
      result.errors.insert(result.errors.end(), host.Errors().begin(), host.Errors().end());
      result.warnings = host.Warnings();
      if (!saveProblem.empty()) result.warnings.push_back(saveProblem);
    }
  }
  // A library that did not load explains a class the model names and nobody knows.
  auto& into = result.status == TRunStatus::Ok ? result.warnings : result.errors;
  into.insert(into.end(), libProblems.begin(), libProblems.end());
  app.reset();
  qInstallMessageHandler(previousQt);
}

}  // namespace
}  // namespace vyr::run

extern "C" __attribute__((visibility("default"))) void vyr_run_model(const vyr::run::TRunRequest& request,
                                                                    vyr::run::TRunResult& result) {
  try {
    vyr::run::Run(request, result);
  } catch (const std::exception& e) {
    result.status = vyr::run::TRunStatus::Failed;
    result.errors.push_back(std::string("the run stopped: ") + e.what());
  } catch (...) {
    result.status = vyr::run::TRunStatus::Failed;
    result.errors.push_back("the run stopped on an exception of unknown type");
  }
}

static_assert(std::is_same_v<decltype(&vyr_run_model), vyr::run::TRunEntry>, "the entry point has the type vyr calls");
