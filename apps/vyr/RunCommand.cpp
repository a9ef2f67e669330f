#include "RunCommand.h"

#include <dlfcn.h>
#include <unistd.h>

#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "CommandKit.h"
#include "Inputs.h"
#include "RunModule.h"
#include "Turbojet.h"

namespace vyr::cli {
namespace {

// Folder of the running executable ("/opt/vyr/bin"); "." when it cannot be found.
std::string ExecutableDir() {
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= path.size()) return ".";
  path.resize(static_cast<std::size_t>(n));
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// The module's entry point; null, with the reason in why, when it cannot be loaded.
run::TRunEntry LoadRunModule(const std::string& top, std::string& why) {
  const std::string path = top + "/" VYR_MODULE_SUBDIR "/" + run::kRunModuleFile;
  // The module stays loaded until the process ends: Qt is not made to be unloaded.
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    const char* e = dlerror();
    why = "the run module cannot be loaded: " + std::string(e ? e : path);
    return nullptr;
  }
  auto entry = reinterpret_cast<run::TRunEntry>(dlsym(module, run::kRunEntryName));
  if (entry == nullptr) why = "the run module " + path + " has no entry point " + run::kRunEntryName;
  return entry;
}

}  // namespace

void AddRun(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand(
      "run", "Design point of an engine model file: its components' calculation hooks in calculation order");
  auto o = std::make_shared<run::TRunRequest>();
  cmd->add_option("MODEL", o->model, "Model file (XML)")->required();
  cmd->add_option("--config", o->config, "ID of a configuration (\"Config\") below the base configuration");
  cmd->add_option("--case", o->caseID, "ID of a case (\"Case\") of the configuration, or of the base");
  cmd->add_option("--complib", o->complibs, "A further component library, or a folder of them (repeatable)")
      ->allow_extra_args(false);
  cmd->callback([&action, &common, o] {
    action = [&common, o](Report& r) {
      const std::string top = ExecutableDir() + "/..";
      std::string why;
      const run::TRunEntry entry = LoadRunModule(top, why);
      if (entry == nullptr) return Failure(why);
      run::TRunRequest request = *o;
      request.complibDir = top + "/" VYR_COMPLIB_SUBDIR;
      auto result = std::make_unique<run::TRunResult>();
      entry(request, *result);
      if (result->status == run::TRunStatus::Invalid) {
        for (const std::string& w : result->warnings) std::cerr << "vyr: warning: " << w << '\n';
        std::string text;
        for (const std::string& e : result->errors) text += (text.empty() ? "" : "\nvyr: ") + e;
        throw BadArgument(text.empty() ? "the model is not valid" : text);
      }
      if (result->status == run::TRunStatus::Failed) {
        for (const std::string& w : result->warnings) std::cerr << "vyr: warning: " << w << '\n';
        for (const std::string& e : result->errors) Fail(e);
        return Status::Failed;
      }
      for (const std::string& w : result->warnings) MessageDlg(w, mtWarning, {mbOK}, 0);
      r.inputs = {TextEcho("model", o->model), TextEcho("configuration", result->configPath)};
      if (!EngineStateTables(result->state, r, common.UnitSystem())) return Status::Failed;
      return Status::Ok;
    };
  });
}

}  // namespace vyr::cli
