#include "RunCommand.h"

#include <dlfcn.h>
#include <unistd.h>

#include <iostream>
#include <iterator>
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

// A limit as the inputs echo it, in the unit system: "T4 <= 2880 R".
std::string LimitEcho(const engine::TOffDesignLimit& l, TUnitSystem u) {
  TParType type = ptNone;
  switch (l.quantity) {
    case engine::TLimitQuantity::StationTt: type = ptTemperature; break;
    case engine::TLimitQuantity::StationPt: type = ptPressure; break;
    case engine::TLimitQuantity::FuelFlow: type = ptFuelFlow; break;
    case engine::TLimitQuantity::NetThrust: type = ptForce; break;
    default: break;
  }
  return l.name + (l.upper ? " <= " : " >= ") + Quantity(l.value, type, u);
}

// The off-design options: flight condition, one control (each a value or a
// range) and the limits of a rating.
struct OffDesignOptions {
  bool on = false;
  Numbers n;
  Number *z = nullptr, *mach = nullptr, *dT = nullptr;
  Number *thrust = nullptr, *T4 = nullptr, *wf = nullptr, *speed = nullptr, *fraction = nullptr;
  std::vector<std::string> limitTexts;
  std::vector<engine::TOffDesignLimit> limits;

  void Add(CLI::App* cmd) {
    auto* flag = cmd->add_flag("--off-design", on,
                               "Off-design points of the model (its maps scaled at the design point the file keeps) "
                               "instead of its design point");
    z = &n.Add(cmd, "-z,--altitude", "pressure altitude", ptAltitude, 0.0,
               Domain::Between(-5000.0, 80000.0, "the standard atmosphere"), true);
    mach = &n.Add(cmd, "-m,--mach", "flight Mach number", ptNone, 0.0, Domain::Between(0.0, 3.0), true);
    dT = &n.Add(cmd, "--dt", "offset from the standard temperature", ptTempDiff, 0.0, Domain::Any(), true);
    // Off design a target may be zero or negative: ram drag above gross thrust.
    thrust = &n.Add(cmd, "--thrust", "net thrust", ptForce, {},
                    Domain::Between(-kThrustMax, kThrustMax, "what the highest air flow gives"), true);
    T4 = &n.Add(cmd, "--T4", "burner exit temperature", ptTemperature, {}, Domain::Between(300.0, 2500.0), true);
    wf = &n.Add(cmd, "--wf", "fuel flow", ptFuelFlow, {}, Domain::Positive(), true);
    speed = &n.Add(cmd, "--speed", "speed of shaft 1, fraction of its design speed", ptNone, {},
                   Domain::Between(0.05, 2.0), true);
    fraction = &n.Add(cmd, "--thrust-fraction",
                      "net thrust as a fraction of the full-power net thrust at the flight condition", ptNone, {},
                      Domain::Above(0.0, 1.5), true);
    auto* limit = cmd->add_option("--limit", limitTexts,
                                  "A limit of a rating, NAME<=VALUE or NAME>=VALUE with an optional unit (T4<=1600K, "
                                  "N1<=1.02, Nc1<=1.05, SM1>=0.10, Pt3<=2.5MPa; repeatable): the control is the "
                                  "demand, held back by the most restrictive limit")
                      ->type_name("EXPR")
                      ->allow_extra_args(false);
    limit->needs(flag);
    for (Number* x : {z, mach, dT, thrust, T4, wf, speed, fraction}) x->option->needs(flag);
    for (Number* a : Controls())
      for (Number* b : Controls())
        if (a != b) a->option->excludes(b->option);
  }

  std::vector<Number*> Controls() const { return {thrust, T4, wf, speed, fraction}; }

  /// Reads the numbers and the limits in the unit system; throws BadArgument.
  void Read(TUnitSystem u) {
    n.Read(u);
    limits.clear();
    for (const std::string& text : limitTexts) {
      engine::TOffDesignLimit l;
      std::string why;
      if (!engine::ParseLimit(text, u == usImperial, l, why)) throw BadArgument("--limit: " + why);
      limits.push_back(l);
    }
  }

  std::vector<Echo> Echoes(TUnitSystem u) const {
    std::vector<Echo> echoes = n.Echoes();
    if (limits.empty()) return echoes;
    Echo e{Text("limit", "limits"), {}};
    for (const engine::TOffDesignLimit& l : limits) e.values.emplace_back(LimitEcho(l, u));
    echoes.push_back(std::move(e));
    return echoes;
  }

  // The points: every combination of the ranges, the control fastest.
  std::vector<engine::TOffDesignPoint> Points() const {
    using C = engine::TOffDesignControl;
    const Number* control = nullptr;
    C kind = C::Thrust;
    const C kinds[] = {C::Thrust, C::ExitTemperature, C::FuelFlow, C::Speed, C::ThrustFraction};
    for (std::size_t k = 0; k < std::size(kinds); ++k)
      if (Controls()[k]->Has()) {
        control = Controls()[k];
        kind = kinds[k];
      }
    if (control == nullptr)
      throw BadArgument("--off-design needs one control: --thrust, --T4, --wf, --speed or --thrust-fraction");
    const std::vector<const Number*> axes{z, mach, dT, control};
    std::vector<engine::TOffDesignPoint> points;
    const std::size_t total = n.Rows(axes);
    std::vector<std::size_t> index(axes.size(), 0);
    for (std::size_t done = 0; done < total; ++done) {
      points.push_back({axes[0]->values[index[0]], axes[1]->values[index[1]], axes[2]->values[index[2]], kind,
                        axes[3]->values[index[3]], limits});
      for (std::size_t k = axes.size(); k-- > 0;) {
        if (++index[k] < axes[k]->values.size()) break;
        index[k] = 0;
      }
    }
    return points;
  }
};

}  // namespace

void AddRun(CLI::App& app, Common& common, Action& action) {
  auto* cmd = app.add_subcommand(
      "run",
      "Design point of an engine model file (or, with --off-design, its off-design points): its components' "
      "calculation hooks in calculation order");
  auto o = std::make_shared<run::TRunRequest>();
  cmd->add_option("MODEL", o->model, "Model file (XML)")->required();
  cmd->add_option("--config", o->config, "ID of a configuration (\"Config\") below the base configuration");
  cmd->add_option("--case", o->caseID, "ID of a case (\"Case\") of the configuration, or of the base");
  cmd->add_option("--complib", o->complibs, "A further component library, or a folder of them (repeatable)")
      ->allow_extra_args(false);
  cmd->add_option("--save-design", o->saveDesign,
                  "Writes the model with the data of its design point (map scalars, design areas and powers) to "
                  "this file, for other programs; with --off-design too")
      ->type_name("FILE");
  auto od = std::make_shared<OffDesignOptions>();
  od->Add(cmd);
  cmd->callback([&action, &common, o, od] {
    action = [&common, o, od](Report& r) {
      if (od->on) od->Read(common.UnitSystem());
      const std::string top = ExecutableDir() + "/..";
      std::string why;
      const run::TRunEntry entry = LoadRunModule(top, why);
      if (entry == nullptr) return Failure(why);
      run::TRunRequest request = *o;
      request.complibDir = top + "/" VYR_COMPLIB_SUBDIR;
      if (od->on) request.offDesign = od->Points();
      auto result = std::make_unique<run::TRunResult>();
      entry(request, *result);
      if (result->status == run::TRunStatus::Invalid) {
        for (const std::string& w : result->warnings) std::cerr << "vyr: warning: " << w << '\n';
        std::string text;
        for (const std::string& e : result->errors) text += (text.empty() ? "" : "\nvyr: ") + e;
        throw BadArgument(text.empty() ? "the model is not valid" : text);
      }
      if (!result->saveError.empty()) {
        for (const std::string& w : result->warnings) std::cerr << "vyr: warning: " << w << '\n';
        return Failure(result->saveError);
      }
      if (od->on && !result->points.empty()) {
        // A failed point is a row with its reason; the status says that points failed.
        for (const std::string& w : result->warnings) std::cerr << "vyr: warning: " << w << '\n';
        r.inputs = {TextEcho("model", o->model), TextEcho("configuration", result->configPath)};
        for (Echo& e : od->Echoes(common.UnitSystem())) r.inputs.push_back(std::move(e));
        const std::size_t failed = OffDesignTable(result->points, r, common.UnitSystem());
        if (failed == 0) return Status::Ok;
        ShowMessage(std::to_string(failed) + " of " + std::to_string(result->points.size()) + " points failed");
        return Status::PointsFailed;
      }
      if (result->status == run::TRunStatus::Failed) {
        for (const std::string& w : result->warnings) std::cerr << "vyr: warning: " << w << '\n';
        // A station beyond the property tables, a burner asked to cool: the
        // model's point lies outside the calculation's domain.
        if (result->state.outOfDomain) {
          std::string text;
          for (const std::string& e : result->errors) text += (text.empty() ? "" : "\nvyr: ") + e;
          throw PointOutOfDomain(text.empty() ? result->state.error : text);
        }
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
