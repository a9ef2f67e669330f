// The vocabulary that the framework and the host share: output-parameter
// descriptors, model-file configuration levels, case types, calculation modes
// and phases, link positions, name tables, the library's exception, the
// clipboard list and the global path strings.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "GasTypes.h"
#include "Numinp.h"
#include "VyrExport.h"

namespace vyr {

/// Position of a link marker on a component icon.
enum TLinktype : std::uint8_t { ltNone, ltLine, ltIn1, ltIn2, ltOut1, ltOut2, ltCtrlin, ltCtrlout };

/// Station quantities that a gas-path link can deliver.
enum TGasioLinkPar : std::uint8_t {
  glpTs, glpTt, glpPs, glpPt, glpW, glpHS, glpCpGmRhoR, glpGC, glpRNIRe, glpRH
};

/// Number of TGasioLinkPar members.
inline constexpr int GasioLinkParCount = 10;

/// Kind of component on the model canvas.
enum TCompType : std::uint8_t { ctModelComp, ctLineLink, ctNoLink, ctNoGpLink };

/// Configuration level of an element in the model file.
enum TCfgType : std::uint8_t { ctCfgNone, ctCfgProject, ctCfgOptions, ctCfgBaseCfg, ctCfgConfig, ctCfgCase };

/// Type of a calculation case.
enum TCaseType : std::uint8_t { ctpNone, ctpDesign, ctpDesSeries, ctpSteadyState, ctpStStSeries, ctpTransient };

/// Number of TCaseType members.
inline constexpr int CaseTypeCount = 6;

/// Calculation mode of the solver.
enum TCalcMode : std::uint8_t {
  cmNone, cmCheck, cmInit, cmDesign, cmDesSeries, cmSteadyState, cmStStSeries, cmTransient, cmTransInitStSt,
  cmGenerateABCD, cmCaseCtrl
};

/// Phase of the calculation of one operating point.
enum TPointCalcPhase : std::uint8_t {
  pcphInit, pcphCalcInitDPnoIter, pcphCalcSteps, pcphCalcJacobian, pcphCalcFinal, pcphOutput
};

/// Part of the options that a configuration or case can carry.
enum TCfgCaseOptionsElement : std::uint8_t {
  crcNotes, crcModelNotes, crcLog, crcDescription, crcAmbConditions, crcGenOptions, crcIterOptions,
  crcThermoDynOptions, crcTransOptions, crcOutpOptions, crcXYGraphSets
};

/// Number of TCfgCaseOptionsElement members.
inline constexpr int CfgCaseOptionsElementCount = 11;

/// Simulation type: design point or off-design.
enum TSimulationType : std::uint8_t { stDP, stOD };

/// State of the design-point iteration.
enum TDPiterationState : std::uint8_t { dpInit, dpFirstIterCalc, dpIterating, dpDPfound };

/// Where output values go: the output arrays or the operating-point report.
enum TOutputTarget : std::uint8_t { otOutpArrays, otOPreport };

/// Pair of quantities that fixes the flight condition.
enum TSwitchMode : std::uint8_t { smALDTMN, smALDTVC, smALDTVT, smALTSMN, smPSTSMN, smPSTSTT };

/// Number of TSwitchMode members.
inline constexpr int SwitchModeCount = 6;

/// Set of the members of a small enumeration E with N members.
template <typename E, int N>
class TEnumSet {
  static_assert(N > 0 && N <= 32, "the set holds up to 32 members");

 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> members) {
    for (E m : members) insert(m);
  }
  /// True when m is in the set (false for a value out of range).
  constexpr bool contains(E m) const { return InRange(m) && ((bits_ >> m) & 1u) != 0; }
  /// Adds m; a value out of range is ignored.
  constexpr void insert(E m) {
    if (InRange(m)) bits_ |= Bit(m);
  }
  /// Removes m.
  constexpr void erase(E m) {
    if (InRange(m)) bits_ &= ~Bit(m);
  }
  /// True when no member is in the set.
  constexpr bool empty() const { return bits_ == 0; }
  /// Bit k set when member k is in the set.
  constexpr std::uint32_t bits() const { return bits_; }
  friend constexpr bool operator==(TEnumSet, TEnumSet) = default;

 private:
  static constexpr bool InRange(E m) { return static_cast<int>(m) >= 0 && static_cast<int>(m) < N; }
  static constexpr std::uint32_t Bit(E m) { return std::uint32_t{1} << static_cast<int>(m); }
  std::uint32_t bits_ = 0;
};

/// Set of configuration levels.
using TCfgTypeSet = TEnumSet<TCfgType, 6>;

/// Set of option parts of a configuration or case.
using TCfgCaseOptionsElementSet = TEnumSet<TCfgCaseOptionsElement, CfgCaseOptionsElementCount>;

/// Which station outputs have been produced, indexed by TGasioLinkPar.
using TGasioLinkOutputsDoneStatus = std::array<bool, GasioLinkParCount>;

/// Station number of a link with its display texts.
struct TStationRef {
  double StationNr = 0;                  ///< station number [-]
  std::string StationString;             ///< station text as shown
  std::string AlternativeStationString;  ///< alternative station text
};

/// Nine doubles of storage for the host.
using Carray9 = std::array<double, 9>;

/// Callback that receives a double by reference; sender is the calling object.
using TSetDoubleprocedure = std::function<void(void* sender, double& d)>;

/// Address of a double owned by someone else.
using TPvalue = double*;

/// Dynamic array of parameter types.
using TOutputParTypeArray = std::vector<TParType>;

/// Colour as a 32-bit value, red in the low byte (blue-green-red order).
using TColor = std::int32_t;

/// Navy: red 0, green 0, blue 128.
inline constexpr TColor clNavy = 0x800000;

/// Marker of the system's window-text colour.
inline constexpr TColor clWindowText = static_cast<TColor>(0xFF000008u);

/// Base of the objects that lists own and free.
class VYR_API TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject();
};

/// List that owns its items and frees them.
class VYR_API TObjectList {
 public:
  TObjectList() = default;
  TObjectList(const TObjectList&) = delete;
  TObjectList& operator=(const TObjectList&) = delete;
  ~TObjectList();

  /// Appends an item and takes ownership; returns its index.
  int Add(std::unique_ptr<TObject> item);
  /// Number of items.
  int Count() const;
  /// Item at index (not owned by the caller); throws std::out_of_range outside [0, Count).
  TObject* Items(int index) const;
  /// Frees every item and empties the list.
  void Clear();

 private:
  std::vector<std::unique_ptr<TObject>> items_;
};

/// Output-parameter descriptor: a name, the address of a value owned by
/// someone else, and how to show that value.
class VYR_API TParameter : public TObject {
 public:
  /// Stores the address of value, not its content.
  TParameter(std::string name, double& value, TParType partype, TUnitSystem unitSystem, std::string customUnit,
             std::string customFormat);

  /// The current value in the unit system, default format; "" without a value address.
  std::string ValueString() const;
  /// Unit text of Partype in UnitSystem.
  std::string UnitString() const;
  /// Member name of Partype ("ptPressure").
  std::string PartypeString() const;
  /// Member name of UnitSystem ("usSI").
  std::string UnitSystemString() const;

  std::string Name;          ///< parameter name as shown in output
  TPvalue Pvalue = nullptr;  ///< address of the current value (stored units)
  TParType Partype = ptNone;        ///< physical quantity of the value
  TUnitSystem UnitSystem = usSI;    ///< unit system in which the value is shown
  std::string CustomUnit;    ///< unit text given by the creator
  std::string CustomFormat;  ///< format text given by the creator
};

/// The library's exception.
class VYR_API VYRexception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

/// Texts of the case selector, indexed by TCaseType.
extern VYR_API const std::array<std::string_view, CaseTypeCount> CaseSelectStrings;

/// Base configuration, configuration and case.
inline constexpr TCfgTypeSet ctCfg_BaseCfg_Config_Case{ctCfgBaseCfg, ctCfgConfig, ctCfgCase};
/// Base configuration and configuration.
inline constexpr TCfgTypeSet ctCfg_BaseCfg_Config{ctCfgBaseCfg, ctCfgConfig};
/// Configuration and case.
inline constexpr TCfgTypeSet ctCfg_Config_Case{ctCfgConfig, ctCfgCase};

/// Number of entries of the parameter-name tables.
inline constexpr int VYRParameterNameCount = 8;

/// Default names of the flight-condition and fuel-consumption parameters.
extern VYR_API const std::array<std::string_view, VYRParameterNameCount> defaultVYRParameterNames;
/// Alternative name of each entry of defaultVYRParameterNames, same index.
extern VYR_API const std::array<std::string_view, VYRParameterNameCount> alternativeVYRParameterNames;

/// Names of the flight-condition switch modes, indexed by TSwitchMode.
extern VYR_API const std::array<std::string_view, SwitchModeCount> SwitchModeNamesArray;

/// Element name of a configuration level ("BaseCfg"); "Unknown" for ctCfgNone.
VYR_API std::string CfgTypeName(TCfgType cfgType);
/// Configuration level of an element name (exact, case-sensitive; "ReferenceModel" is a base configuration).
VYR_API TCfgType CfgTypefromIDname(std::string_view idName);
/// Calculation mode of a case type (cmNone for ctpNone).
VYR_API TCalcMode GetCalcModeFromCaseType(TCaseType caseType);
/// Tag number of a case of the simulation type: 11 design point, 22 off-design.
VYR_API int CaseTagID(TSimulationType simType);
/// Font colour of a case of the simulation type: navy for design point, window text otherwise.
VYR_API TColor CaseFontColor(TSimulationType simType);

/// Components copied to the clipboard; the list owns them. Created at start-up.
extern VYR_API TObjectList* VYRCompClipboardList;
/// Source of the clipboard components (not owned); null at start-up.
extern VYR_API TObject* ClipBoardCompsSource;

/// Folder of the host executable, with a trailing "/".
extern VYR_API std::string AppDir;
/// Name of the application's own folders: "VYR".
extern VYR_API std::string MyAppDirName;
/// The user's application-data folder for this program, with a trailing "/".
extern VYR_API std::string USerAppDir;
// Set by the host; this library only stores them and clears them at shut-down.
/// Host-set: user application path.
extern VYR_API std::string UserAppPath;
/// Host-set: folder for temporary files.
extern VYR_API std::string AppTempPath;
/// Host-set: default folder of model files.
extern VYR_API std::string DefaultMdlPath;
/// Host-set: the user's document folder of the program.
extern VYR_API std::string MyVYRDocPath;
/// Host-set: document folder of tables.
extern VYR_API std::string MyVYRDocTablesPath;
/// Host-set: document folder of projects.
extern VYR_API std::string MyVYRDocProjectsPath;
/// Host-set: file of the main window docking layout.
extern VYR_API std::string MainDockingLayoutXmlFile;
/// Host-set: application title and version text.
extern VYR_API std::string ApplicTitle_and_Version;
/// Host-set: file of the temporary docking layout.
extern VYR_API std::string TempDockingLayoutXmlFile;
/// Host-set: file of the standard project docking layout.
extern VYR_API std::string StdProjectDockingLayoutXmlFile;
/// Host-set: file of the LE project docking layout.
extern VYR_API std::string LEProjectDockingLayoutXmlFile;
/// Host-set: path of the program.
extern VYR_API std::string VYRpath;
/// Host-set: folder for temporary output tables.
extern VYR_API std::string OutputTableTempPath;
/// Host-set: user identification text.
extern VYR_API std::string VYRUserIDstr;

/// Start-up of the vocabulary: a new empty clipboard list, no clipboard source,
/// MyAppDirName, AppDir and USerAppDir. Creates no folders; may be called again.
VYR_API void InitVYRglobalVocabulary();
/// Shut-down of the vocabulary: frees the clipboard items and list and clears
/// every global string. Harmless when already done.
VYR_API void DoneVYRglobalVocabulary();

}  // namespace vyr
