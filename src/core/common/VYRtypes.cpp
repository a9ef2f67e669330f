#include "VYRtypes.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace vyr {

// ---------------------------------------------------------------------------
// Owned-object list

TObject::~TObject() = default;

TObjectList::~TObjectList() { Clear(); }

int TObjectList::Add(std::unique_ptr<TObject> item) {
  items_.push_back(std::move(item));
  return static_cast<int>(items_.size()) - 1;
}

int TObjectList::Count() const { return static_cast<int>(items_.size()); }

TObject* TObjectList::Items(int index) const {
  if (index < 0 || index >= Count()) throw std::out_of_range("TObjectList index out of range");
  return items_[static_cast<std::size_t>(index)].get();
}

void TObjectList::Clear() {
  // Take the items out first: a destructor that looks at the list then sees
  // it empty instead of half freed.
  std::vector<std::unique_ptr<TObject>> items = std::move(items_);
  items_.clear();
  items.clear();
}

// ---------------------------------------------------------------------------
// Output-parameter descriptor

TParameter::TParameter(std::string name, double& value, TParType partype, TUnitSystem unitSystem,
                       std::string customUnit, std::string customFormat)
    : Name(std::move(name)),
      Pvalue(&value),
      Partype(partype),
      UnitSystem(unitSystem),
      CustomUnit(std::move(customUnit)),
      CustomFormat(std::move(customFormat)) {}

std::string TParameter::ValueString() const {
  if (Pvalue == nullptr) return {};
  return ParToStr(Partype, UnitSystem, "", true, *Pvalue);
}

std::string TParameter::UnitString() const {
  if (Partype >= ParTypeCount || UnitSystem >= UnitSystemCount) return {};
  return std::string(ParUnitStr[Partype][UnitSystem]);
}

std::string TParameter::PartypeString() const { return std::string(ParTypeName(Partype)); }

std::string TParameter::UnitSystemString() const { return std::string(UnitSystemName(UnitSystem)); }

// ---------------------------------------------------------------------------
// Tables

constexpr std::array<std::string_view, CaseTypeCount> CaseSelectStrings = {
    "Select case...", "Design", "Design Series", "Steady-State", "St.St. Series", "Transient"};

constexpr std::array<std::string_view, VYRParameterNameCount> defaultVYRParameterNames = {
    "Mach", "Rho", "Zp", "Vt", "Vc", "Hum.Rel", "Mliquid", "TSFC"};

constexpr std::array<std::string_view, VYRParameterNameCount> alternativeVYRParameterNames = {
    "MN", "rho", "alt", "VTAS", "VCAS", "humRel", "WliqPct", "SFC"};

constexpr std::array<std::string_view, SwitchModeCount> SwitchModeNamesArray = {
    "ALDTMN", "ALDTVC", "ALDTVT", "ALTSMN", "PSTSMN", "PSTSTT"};

// ---------------------------------------------------------------------------
// Configuration and case functions

std::string CfgTypeName(TCfgType cfgType) {
  switch (cfgType) {
    case ctCfgProject: return "Project";
    case ctCfgOptions: return "Options";
    case ctCfgBaseCfg: return "BaseCfg";
    case ctCfgConfig: return "Config";
    case ctCfgCase: return "Case";
    default: return "Unknown";
  }
}

TCfgType CfgTypefromIDname(std::string_view idName) {
  // A reference model is stored like a base configuration.
  if (idName == "Project") return ctCfgProject;
  if (idName == "Options") return ctCfgOptions;
  if (idName == "BaseCfg") return ctCfgBaseCfg;
  if (idName == "ReferenceModel") return ctCfgBaseCfg;
  if (idName == "Config") return ctCfgConfig;
  if (idName == "Case") return ctCfgCase;
  return ctCfgNone;
}

TCalcMode GetCalcModeFromCaseType(TCaseType caseType) {
  switch (caseType) {
    case ctpDesign: return cmDesign;
    case ctpDesSeries: return cmDesSeries;
    case ctpSteadyState: return cmSteadyState;
    case ctpStStSeries: return cmStStSeries;
    case ctpTransient: return cmTransient;
    default: return cmNone;
  }
}

int CaseTagID(TSimulationType simType) {
  switch (simType) {
    case stDP: return 11;
    case stOD: return 22;
    default: return 0;
  }
}

TColor CaseFontColor(TSimulationType simType) { return simType == stDP ? clNavy : clWindowText; }

// ---------------------------------------------------------------------------
// Globals. Constant-initialised, so the library's start-up code may fill
// them before any dynamic initialiser of this file has run.

constinit TObjectList* VYRCompClipboardList = nullptr;
constinit TObject* ClipBoardCompsSource = nullptr;

constinit std::string AppDir;
constinit std::string MyAppDirName;
constinit std::string USerAppDir;
constinit std::string UserAppPath;
constinit std::string AppTempPath;
constinit std::string DefaultMdlPath;
constinit std::string MyVYRDocPath;
constinit std::string MyVYRDocTablesPath;
constinit std::string MyVYRDocProjectsPath;
constinit std::string MainDockingLayoutXmlFile;
constinit std::string ApplicTitle_and_Version;
constinit std::string TempDockingLayoutXmlFile;
constinit std::string StdProjectDockingLayoutXmlFile;
constinit std::string LEProjectDockingLayoutXmlFile;
constinit std::string VYRpath;
constinit std::string OutputTableTempPath;
constinit std::string VYRUserIDstr;

namespace {

// At a normal process exit the static destructors of this file run before
// the library's unload hook, which must then leave the destroyed strings
// alone. The guard is declared after the strings, so its destructor runs
// before theirs (and after the unload hook when the library is unloaded
// early, by dlclose).
bool gStaticsDestroyed = false;
struct StaticsGuard {
  ~StaticsGuard() { gStaticsDestroyed = true; }
};
constinit StaticsGuard gStaticsGuard;

// Every global string of the vocabulary, for the shut-down.
std::string* const kGlobalStrings[] = {
    &AppDir,         &MyAppDirName,           &USerAppDir,
    &UserAppPath,    &AppTempPath,            &DefaultMdlPath,
    &MyVYRDocPath,   &MyVYRDocTablesPath,     &MyVYRDocProjectsPath,
    &MainDockingLayoutXmlFile, &ApplicTitle_and_Version, &TempDockingLayoutXmlFile,
    &StdProjectDockingLayoutXmlFile, &LEProjectDockingLayoutXmlFile, &VYRpath,
    &OutputTableTempPath, &VYRUserIDstr,
};

// Full path of the running program; empty when the system does not tell.
std::filesystem::path ExecutablePath() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe;
}

// Folder with a trailing "/": the program's folder, else the working folder.
std::string ProgramFolder(const std::filesystem::path& exe) {
  std::filesystem::path folder = exe.parent_path();
  if (folder.empty()) {
    std::error_code ec;
    folder = std::filesystem::current_path(ec);
    if (ec) folder = std::filesystem::path(".");
  }
  std::string dir = folder.string();
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

// The user's application-data folder without a trailing "/": $XDG_DATA_HOME
// when it is an absolute path, else $HOME/.local/share, else the fallback.
std::string UserDataFolder(const std::string& fallback) {
  std::string dir;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
    dir = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    dir = std::string(home);
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    dir += "/.local/share";
  } else {
    dir = fallback;
  }
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

}  // namespace

void InitVYRglobalVocabulary() {
  if (gStaticsDestroyed) return;
  delete std::exchange(VYRCompClipboardList, new TObjectList);
  ClipBoardCompsSource = nullptr;

  MyAppDirName = "VYR";

  const std::filesystem::path exe = ExecutablePath();
  AppDir = ProgramFolder(exe);

  // The program's own folder under the user's data folder is named after the
  // program file, so that several programs of the family keep apart.
  std::string dir = UserDataFolder(AppDir);
  if (dir != "/") dir += '/';
  if (const std::string program = exe.stem().string(); !program.empty()) dir += program + '/';
  USerAppDir = dir + MyAppDirName + '/';
}

void DoneVYRglobalVocabulary() {
  // Unhook the list before freeing it, so item destructors see no list.
  delete std::exchange(VYRCompClipboardList, nullptr);
  ClipBoardCompsSource = nullptr;
  if (gStaticsDestroyed) return;
  for (std::string* s : kGlobalStrings) std::string().swap(*s);
}

}  // namespace vyr
