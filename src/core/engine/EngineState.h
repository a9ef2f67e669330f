// State of an engine calculation: the stations of the gas path by number
// (SAE ARP755: 0 ambient, 2 engine face, 3 compressor exit, 4 burner exit,
// ...), the ambient and flight record, the shafts with their power balance,
// the secondary air flows taken from compressors, and the performance summary.
// SI units throughout: Pa, K, kg/s, W, N, m^2, m/s.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "FlightConditions.h"
#include "GasTypes.h"
#include "Messages.h"
#include "NewtonSolver.h"
#include "VyrExport.h"

namespace vyr::engine {

/// One station of the gas path; statics (Ps, Ts, V, Mach, A) only where a
/// component fixes them (hasStatic).
struct TStation {
  int number = 0;
  TGasconditions gas{};
  bool hasStatic = false;
};

/// A shaft: its data, and its power balance as the components fill it in.
/// Balanced when delivered * effMech = absorbed + offtake.
struct TShaft {
  int number = 0;
  std::string name;
  double rpm = 0.0;              ///< design speed [rpm]
  double N = 0.0;                ///< speed of the point [rpm]; the design speed at design
  double effMech = 1.0;          ///< mechanical efficiency [-]
  double offtake = 0.0;          ///< power taken off the shaft [W]
  double absorbed = 0.0;         ///< power the compressors on it absorb [W]
  double delivered = 0.0;        ///< power the turbines on it deliver [W]
  std::vector<std::string> loads;    ///< names of the compressors it drives, in calculation order
  std::vector<std::string> drivers;  ///< names of the turbines driving it
  /// delivered * effMech - absorbed - offtake [W]; zero when the shaft is balanced.
  double Excess() const { return delivered * effMech - absorbed - offtake; }
};

/// Secondary air taken from a compressor (turbine cooling, customer bleed).
struct TBleed {
  std::string name;
  std::string source;        ///< name of the compressor it comes from
  int fromStation = 0;       ///< inlet station of that compressor
  TGasconditions gas{};      ///< W, Pt, Tt, H, composition and FAR of the bleed
  std::string usedBy;        ///< component that takes it in; empty while unused (overboard)
};

/// Design data of one turbomachine, for the tables.
struct TMachineResult {
  std::string name;
  bool turbine = false;
  int shaft = 0;
  int inStation = 0, outStation = 0;
  double PR = 0.0;       ///< pressure ratio, always above 1 (Pin/Pout for a turbine) [-]
  double effIs = 0.0;    ///< isentropic efficiency [-]
  double effPoly = 0.0;  ///< polytropic efficiency [-]
  double power = 0.0;    ///< absorbed (compressor) or delivered (turbine) power [W]
  double Wc = 0.0;       ///< corrected inlet flow W sqrt(Tt/288.15 K)/(Pt/101325 Pa) (compressor) [kg/s]
};

/// Data of one nozzle at a point. The throat is sonic when the nozzle is
/// choked; the effective throat area is the flow's (isentropic) area there,
/// the geometric one that divided by the discharge coefficient CD. Gross thrust
/// FG = W V + (Ps9 - Pamb) Aeff9: the jet's momentum at the velocity the
/// velocity coefficient leaves, and the pressure term of an underexpanded
/// jet (zero when the jet leaves at the ambient pressure).
struct TNozzleResult {
  std::string name;
  int inStation = 0, throatStation = 0, exitStation = 0;
  double A8 = 0.0;  ///< geometric throat area [m^2]
  double A9 = 0.0;  ///< geometric exit area [m^2]
  double FG = 0.0;  ///< gross thrust [N]
  double V = 0.0;   ///< jet velocity [m/s]
  double W = 0.0;   ///< mass flow [kg/s]
  bool choked = false;     ///< sonic throat: the ambient lies below the throat's sonic static pressure
  double FGpressure = 0.0; ///< pressure part of the gross thrust (Ps9 - Pamb) Aeff9 [N]
  double Aeff8 = 0.0;      ///< effective throat area, CD A8 [m^2]
  double CD = 1.0;         ///< discharge coefficient [-]
};

/// A turbomachine on its map at one point: map coordinates, corrected
/// quantities and margins.
struct TMapResult {
  std::string name;
  bool turbine = false;
  int shaft = 0;
  double N = 0.0;      ///< shaft speed [rpm]
  double Nmap = 0.0;   ///< map speed coordinate (fraction or percent of the map's design)
  double beta = 0.0;   ///< second map coordinate: R-line (compressor) or map pressure ratio (turbine)
  double Nc = 0.0;     ///< corrected speed: N/sqrt(Tt/288.15 K) (compressor), N/sqrt(Tt) (turbine) [rpm, rpm/sqrt(K)]
  double Wc = 0.0;     ///< corrected flow: W sqrt(Tt/288.15 K)/(Pt/101325 Pa) [kg/s] (compressor), W sqrt(Tt)/Pt (turbine)
  double PR = 0.0;     ///< pressure ratio [-]
  double eff = 0.0;    ///< isentropic efficiency [-]
  double surgeMargin = 0.0;  ///< PR_surge/PR - 1 at the same corrected speed (compressor) [-]
  bool outside = false;      ///< the point lies outside the map's grid (extrapolated)
  /// PR_surge/PR - 1 with the surge point at the same corrected flow (compressor; NaN where the
  /// surge line does not reach that flow) [-]
  double surgeMarginFlow = 0.0;
  /// Corrected speed as a fraction of the design's (compressor: Nc/Nc_design; turbine: the
  /// speed parameter N/sqrt(Tt) over its design value) [-]
  double NcFrac = 0.0;
};

/// Performance summary of a point.
///
/// Efficiencies: the kinetic energy the engine adds to its streams is
/// dKE = sum over the nozzles of W9 Veff^2/2 - W0 V0^2/2, with each nozzle's
/// effective jet velocity Veff = FG/W9 (its jet velocity when fully
/// expanded). Thermal efficiency = dKE / (Wf LHV); propulsive efficiency =
/// FN V0 / dKE (the thrust power); overall efficiency = their product =
/// FN V0 / (Wf LHV). At zero flight speed the thrust does no work: propulsive
/// and overall efficiency are 0.
struct TPerformance {
  double FN = 0.0;              ///< net thrust [N]
  double FG = 0.0;              ///< gross thrust, all nozzles [N]
  double ramDrag = 0.0;         ///< ram drag W0 V0 [N]
  double Wf = 0.0;              ///< fuel flow, all burners [kg/s]
  double TSFC = 0.0;            ///< Wf / FN [kg/(N s)]
  double specificThrust = 0.0;  ///< FN / W [N s/kg]
  double W = 0.0;               ///< engine air flow [kg/s]
  double V0 = 0.0;              ///< flight velocity [m/s]
  double FGpressure = 0.0;      ///< pressure part of the gross thrust, all nozzles [N]
  double heatInput = 0.0;       ///< fuel flow times the fuel's lower heating value, all burners [W]
  double effThermal = 0.0;      ///< dKE / (Wf LHV) [-]
  double effPropulsive = 0.0;   ///< FN V0 / dKE; 0 at zero flight speed [-]
  double effOverall = 0.0;      ///< thermal times propulsive [-]
  double Wc2 = 0.0;             ///< corrected flow at the engine face (the first compressor's inlet) [kg/s]
  std::vector<TMachineResult> machines;  ///< compressors and turbines in calculation order
  std::vector<TNozzleResult> nozzles;    ///< nozzles in calculation order
  std::vector<TMapResult> maps;          ///< machines on maps, in calculation order
};

/// What holds the engine at an off-design point.
enum class TOffDesignControl {
  Thrust,            ///< net thrust [N]; the burners' exit temperature is an unknown
  ExitTemperature,   ///< burner exit temperature [K]
  FuelFlow,          ///< fuel flow [kg/s]
  Speed,             ///< speed of shaft 1 as a fraction of its design speed; exit temperature unknown
  /// net thrust as a fraction of the full-power net thrust at the same flight condition (the
  /// full power: the design burner exit temperature, or the limits) [-]; the solver turns it into
  /// a thrust target, so components never see it
  ThrustFraction
};

/// Quantity a rating limit bounds.
enum class TLimitQuantity {
  StationTt,        ///< total temperature of station `index` [K] ("T4", "Tt45")
  StationPt,        ///< total pressure of station `index` [Pa] ("Pt3")
  ShaftSpeed,       ///< speed of shaft `index` as a fraction of its design speed [-] ("N1")
  CorrectedSpeed,   ///< corrected speed of compressor `index` (1: the first in calculation order) as a
                    ///< fraction of its design corrected speed [-] ("Nc1")
  SurgeMargin,      ///< surge margin at constant corrected speed of compressor `index` [-] ("SM1")
  SurgeMarginFlow,  ///< surge margin at constant corrected flow of compressor `index` [-] ("SMW1")
  FuelFlow,         ///< fuel flow, all burners [kg/s] ("Wf")
  NetThrust         ///< net thrust [N] ("FN")
};

/// A limit of a rating: the quantity may not exceed (upper) or fall below (lower) its value.
struct TOffDesignLimit {
  std::string name;  ///< as in tables and messages ("T4", "N1", "Nc1", "SM1", "Pt3")
  TLimitQuantity quantity = TLimitQuantity::StationTt;
  int index = 0;     ///< station, shaft or compressor number as the quantity says
  bool upper = true; ///< quantity <= value; else quantity >= value
  double value = 0.0;  ///< in SI; speeds as fractions of the design speed
};

/// One off-design point: flight condition (standard atmosphere) and control.
/// With limits, the control is the demand: the point runs at the demand
/// unless a limit would be exceeded, then at the most restrictive limit.
struct TOffDesignPoint {
  double altitude = 0.0;  ///< pressure altitude [m]
  double mach = 0.0;      ///< flight Mach number [-]
  double dT = 0.0;        ///< offset from the standard temperature [K]
  TOffDesignControl control = TOffDesignControl::ExitTemperature;
  double value = 0.0;     ///< of the control, in its unit above
  std::vector<TOffDesignLimit> limits{};
};

/// Everything one design-point calculation produces.
class VYR_API TEngineState {
 public:
  std::map<int, TStation> stations;  ///< by station number, ascending
  TAmbConditions ambient{};          ///< ambient and flight record (Ps, Ts, Vt, Mach, ...)
  bool hasAmbient = false;           ///< ambient set by an ambient component
  double V0 = 0.0;                   ///< flight velocity [m/s]
  std::map<int, TShaft> shafts;      ///< by shaft number
  std::map<std::string, TBleed> bleeds;  ///< by name
  double tolerance = 1e-6;           ///< tolerance factor of the gas property iterations
  TPerformance performance;

  /// Off design: the unknowns and errors the components register (kept by
  /// ClearResults), and whether the components calculate off design.
  std::vector<TSolverState> solverStates;
  std::vector<TSolverError> solverErrors;
  bool offDesign = false;
  TOffDesignPoint point;  ///< the off-design point being solved
  /// Free-stream record of the design point, which an ambient component
  /// registers with its off-design unknowns: a cold off-design start moves the
  /// design state to the point's flight condition in corrected terms.
  TAmbConditions designAmbient{};
  bool hasDesignAmbient = false;
  /// Off design: the last map edge a pass ran into ("the Turbine map's
  /// pressure ratio 2.8 lies below its range 3 to 8 at speed 50"), kept by
  /// ClearResults so that a failed solution can name the edge that stopped it.
  std::string mapEdge;
  std::string mapEdgeComponent;  ///< the component whose map mapEdge names
  std::string modelDir;   ///< folder of the model file, for the files it names (maps); empty: the working folder
  /// Registers an unknown or an error; its index.
  int AddState(const TSolverState& x);
  int AddError(const TSolverError& e);
  /// Index of a component's unknown or error of that name; -1 when none.
  int FindState(const std::string& component, const std::string& name) const;
  int FindError(const std::string& component, const std::string& name) const;

  /// Failure of the last calculation: the component's name, its text (the
  /// library's messages during its step first, then its own), and those
  /// messages as the message handler would have received them.
  std::string failedComponent;
  std::string error;
  std::vector<TMessage> messages;
  /// The failure is a point outside the calculation's domain rather than a
  /// calculation that went wrong: a station temperature beyond the property
  /// tables, a burner asked for an exit temperature below its inlet's.
  bool outOfDomain = false;

  /// Station by number, or null when no component has set it.
  TStation* Find(int number);
  const TStation* Find(int number) const;
  /// Sets (or replaces) a station.
  TStation& Set(int number, const TGasconditions& gas, bool hasStatic = false);
  /// Shaft by number, created with default data (effMech 1, no offtake) when new.
  TShaft& Shaft(int number);
  /// Clears the results of a run (stations, ambient, balances, bleeds,
  /// performance, failure); keeps the tolerance and the shafts' data.
  void ClearResults();
};

/// State of the calculation in progress on this thread; null outside a run.
VYR_API TEngineState* ActiveEngineState();

/// Makes a state the active one for its lifetime (restoring the previous on exit).
class VYR_API TActiveEngineState {
 public:
  explicit TActiveEngineState(TEngineState& state);
  ~TActiveEngineState();
  TActiveEngineState(const TActiveEngineState&) = delete;
  TActiveEngineState& operator=(const TActiveEngineState&) = delete;

 private:
  TEngineState* previous_;
};

}  // namespace vyr::engine
