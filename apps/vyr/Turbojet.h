// Design point of a single-spool turbojet: inlet, compressor, burner,
// turbine driving the compressor, and a convergent or fully expanded
// convergent-divergent nozzle.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Engine.h"
#include "Fuel.h"
#include "OffDesign.h"
#include "Output.h"
#include "VYRglobal.h"

namespace vyr::cli {

enum class Nozzle { Convergent, ConvergentDivergent };

struct TurbojetInput {
  double altitude = 0.0;        ///< pressure altitude [m]
  double mach = 0.0;            ///< flight Mach number [-]
  double dT = 0.0;              ///< offset from the standard temperature [K]
  double inletRecovery = 0.99;  ///< Pt2 / Pt0 [-]; with the supersonic schedule its subsonic value
  bool milRecovery = false;     ///< the recovery falls above Mach 1 by 1 - 0.075 (M - 1)^1.35
  double mach2 = 0.5;           ///< Mach number at the compressor face, which sizes A2 [-]
  double mach3 = 0.3;           ///< Mach number at the compressor exit (burner inlet), which sizes A3 [-]
  double W = 20.0;              ///< air mass flow [kg/s] (ignored with a thrust target)
  std::optional<double> thrust; ///< net-thrust target [N]
  double PR = 10.0;             ///< compressor pressure ratio [-]
  double effC = 0.85;           ///< compressor efficiency [-]
  bool polytropicC = false;     ///< effC is polytropic
  double T4 = 1400.0;           ///< burner exit temperature [K] (ignored with a fuel-air ratio)
  std::optional<double> far;    ///< burner fuel-air ratio [-]
  double burnerLoss = 0.05;     ///< burner total-pressure loss, relative [-]
  double effB = 0.995;          ///< burner efficiency [-]
  double Tfuel = 298.15;        ///< fuel temperature [K]
  double effT = 0.88;           ///< turbine efficiency [-]
  bool polytropicT = false;     ///< effT is polytropic
  double effMech = 0.99;        ///< shaft mechanical efficiency [-]
  double offtake = 0.0;         ///< shaft power offtake [W]
  Nozzle nozzle = Nozzle::Convergent;
  double CV = 0.98;             ///< nozzle velocity coefficient [-]
  double CD = 1.0;              ///< nozzle discharge coefficient [-]
  double tol = 1e-6;            ///< tolerance factor of the gas iterations
};

/// One station of the gas path; statics only where the design fixes them.
using Station = engine::TStation;

struct TurbojetResult {
  std::vector<Station> stations;  ///< 0, 2, 3, 4, 5, 8, 9
  double V0 = 0;        ///< flight velocity [m/s]
  double FG = 0;        ///< gross thrust [N]
  double ramDrag = 0;   ///< ram drag [N]
  double FN = 0;        ///< net thrust [N]
  double Wf = 0;        ///< fuel flow [kg/s]
  double TSFC = 0;      ///< [kg/(N s)]
  double specificThrust = 0;  ///< FN / W [N s/kg]
  double powerC = 0;    ///< compressor power [W]
  double powerT = 0;    ///< turbine power [W]
  double effC = 0, effCpoly = 0, effT = 0, effTpoly = 0;  ///< both efficiencies of each machine
  double turbinePR = 0; ///< Pt4 / Pt5 [-]
  double A8 = 0, A9 = 0;  ///< nozzle throat and exit areas [m^2]
  double Vjet = 0;      ///< jet velocity [m/s]
  bool choked = false;  ///< the nozzle's throat is sonic
  double FGpressure = 0;  ///< pressure part of the gross thrust [N]
  double effThermal = 0, effPropulsive = 0, effOverall = 0;  ///< see engine::TPerformance
  double Wc2 = 0;       ///< corrected flow at the compressor face [kg/s]
};

/// The turbojet as components of the engine layer: ambient 0, shaft 1, inlet
/// 0-2, compressor 2-3, burner 3-4, turbine 4-5, nozzle 5-8-9.
engine::TEngine TurbojetEngine(const TurbojetInput& in, const Fuel& fuel);

/// Design point (at the air flow, or at the flow that meets the thrust
/// target); false when it failed, its messages shown. The state, when given,
/// receives the engine state of the design point (outOfDomain says whether a
/// failure is a point outside the calculation's domain).
bool DesignTurbojet(const TurbojetInput& in, const Fuel& fuel, TurbojetResult& out,
                    engine::TEngineState* state = nullptr);

/// The tables of an engine's design point, as "cycle turbojet" shows them:
/// `stations` (by station number, with area and Mach number where the
/// station has statics), `performance` (the main one: thrusts, fuel,
/// efficiencies, corrected face flow), `turbomachines` (a row per compressor
/// and turbine, by name, with its power) and `nozzle` (a row per nozzle, named
/// when there are several: areas, jet velocity, choked, pressure thrust). False when a value is
/// one physics forbids (its message shown).
bool EngineStateTables(const engine::TEngineState& s, Report& report, TUnitSystem units);

/// The flat `points` table of an off-design run: a row per point with its
/// flight condition, control, status and `limiter` (the active limit, else the
/// control's name); then, as "cycle turbojet" sweeps show them, the
/// performance (a negative net thrust is a valid point, its TSFC empty; the
/// full-power thrust of a thrust-fraction point), the burner's fuel-air ratio
/// and the stations 2 to 5 with the burner's exit flow; then each shaft's
/// speed (rpm and fraction of design), each compressor's map coordinates,
/// corrected speed and flow and both surge margins (`_SM` at constant
/// corrected speed, `_SMW` at constant corrected flow), each turbine's map
/// coordinates, and the solver's iterations; a failed point has its reason in
/// `message`. The number of failed points.
std::size_t OffDesignTable(const std::vector<engine::TOffDesignResult>& points, Report& report, TUnitSystem units);

}  // namespace vyr::cli
