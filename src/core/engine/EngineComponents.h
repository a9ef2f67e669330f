// Components of an engine's gas path. Each takes its inlet station(s) from
// the engine state and sets its outlet station(s); Calc returns false with the
// failure in the state (failedComponent, error, messages) and shows nothing:
// the library's messages during the step are collected into that text.
// Station numbers follow SAE ARP755; SI units.
#pragma once

#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "EngineFuel.h"
#include "EngineState.h"
#include "Maps.h"
#include "VyrExport.h"

namespace vyr::engine {

/// Base of the components.
class VYR_API TComponent {
 public:
  explicit TComponent(std::string name) : name(std::move(name)) {}
  virtual ~TComponent() = default;

  std::string name;      ///< shown in tables and failure texts
  std::string callerId;  ///< passed to the library's routines (their messages name it); the name when empty

  /// Design-point calculation of the component on the state: true, or false
  /// with the failure recorded in the state (no message shown).
  bool Calc(TEngineState& s);
  /// Off-design calculation at the current values of the states it
  /// registered; failures as for Calc.
  bool CalcOffDesign(TEngineState& s);

  /// Keeps what the off-design calculation needs of a converged design point
  /// (map scalars, throat area, design power); called once the design point
  /// has succeeded.
  virtual void KeepDesign(const TEngineState&) {}
  /// Empty when the component has what an off-design run needs, else why not.
  virtual std::string MissingDesign() const { return {}; }
  /// Registers the component's off-design unknowns and errors in the state;
  /// starting values from the design point (or the last converged point).
  virtual bool DefineStatesAndErrors(TEngineState&) { return true; }
  /// After every component of an off-design pass: the errors that need the
  /// whole pass (a shaft's power balance).
  virtual bool OffDesignEnd(TEngineState&) { return true; }

 protected:
  /// The component's own calculation; reports failures through Fail (or
  /// through the library's routines, whose messages Calc collects).
  virtual bool Design(TEngineState& s) = 0;
  /// Records a failure text of this component in the state; false.
  bool Fail(TEngineState& s, const std::string& text) const;
  /// The inlet station, or a failure naming it when no component has set it.
  const TStation* Inlet(TEngineState& s, int number) const;
  /// Identification for the library's routines.
  const std::string& Id() const { return callerId.empty() ? name : callerId; }
  /// Off design: the design calculation unless the component has its own.
  virtual bool OffDesign(TEngineState& s) { return Design(s); }
  /// The value of this component's unknown of that name; false (failure
  /// recorded) when it has not been registered.
  bool Unknown(TEngineState& s, const char* what, double& value) const;
  /// Sets this component's error of that name; false as Unknown.
  bool SetError(TEngineState& s, const char* what, double value) const;

 private:
  bool Collected(TEngineState& s, bool offDesign);
  bool StationsInTables(TEngineState& s) const;
};

/// Ambient and flight condition: station 0, dry air. Standard atmosphere at a
/// pressure altitude with a temperature offset, or given static Ps and Ts.
class VYR_API TAmbient : public TComponent {
 public:
  using TComponent::TComponent;
  int outStation = 0;
  double altitude = 0.0;  ///< pressure altitude [m]
  double mach = 0.0;      ///< flight Mach number [-]
  double dT = 0.0;        ///< offset from the standard temperature [K]
  bool givenStatic = false;  ///< Ps and Ts given instead of the standard atmosphere
  double Ps = 101325.0;   ///< static pressure when given [Pa]
  double Ts = 288.15;     ///< static temperature when given [K]

  /// Registers no unknown: records the design's free stream in the state.
  bool DefineStatesAndErrors(TEngineState& s) override;

 protected:
  bool Design(TEngineState& s) override;
  bool OffDesign(TEngineState& s) override;
};

/// Total-pressure recovery of an inlet over the flight Mach number.
enum class TRecoverySchedule {
  Fixed,     ///< the recovery as given, at every flight Mach number
  MilE5008B  ///< the given (subsonic) recovery times 1 - 0.075 (M - 1)^1.35 above Mach 1
};

/// Factor of the supersonic schedule on the subsonic recovery at flight Mach
/// number M: 1 up to Mach 1, then 1 - 0.075 (M - 1)^1.35.
VYR_API double MilRecoveryFactor(double M);

/// Inlet: the engine's air flow and its total-pressure recovery; sets the ram drag.
class VYR_API TInlet : public TComponent {
 public:
  using TComponent::TComponent;
  int inStation = 0, outStation = 2;
  double W = 20.0;          ///< air mass flow [kg/s]
  double recovery = 0.99;   ///< Pt_out / Pt_in [-]; with a schedule, its subsonic value
  TRecoverySchedule schedule = TRecoverySchedule::Fixed;

  bool DefineStatesAndErrors(TEngineState& s) override;

 protected:
  bool Design(TEngineState& s) override;
  bool OffDesign(TEngineState& s) override;
};

/// Duct: a relative total-pressure loss, adiabatic.
class VYR_API TDuct : public TComponent {
 public:
  using TComponent::TComponent;
  int inStation = 0, outStation = 0;
  double loss = 0.0;  ///< (Pt_in - Pt_out) / Pt_in [-]

 protected:
  bool Design(TEngineState& s) override;
};

/// Air taken from a compressor: a fraction of its inlet flow at a fraction of
/// its enthalpy rise (1 at the exit, 0 at the inlet). Between the ends its
/// pressure is Pt_in PR^fraction (equal stage pressure ratios).
struct TBleedOfftake {
  std::string name;            ///< key of the bleed in the state
  double flowFraction = 0.0;   ///< of the compressor's inlet flow [-]
  double enthalpyFraction = 1.0;  ///< of the compressor's enthalpy rise [-]
};

/// Compressor on a shaft: pressure ratio and isentropic or polytropic
/// efficiency; bleeds leave it where their enthalpy fraction says and take no
/// further work. At design its face and exit areas are sized from their Mach
/// numbers (the statics of both stations); off design those areas stay and
/// give the Mach numbers.
class VYR_API TCompressor : public TComponent {
 public:
  using TComponent::TComponent;
  int inStation = 2, outStation = 3;
  int shaft = 1;
  double PR = 10.0;
  double eff = 0.85;
  bool polytropic = false;  ///< eff is polytropic
  double inMach = 0.5;      ///< Mach number at the face, which sizes its area; 0: no statics [-]
  double outMach = 0.3;     ///< Mach number at the exit (burner inlet), which sizes its area; 0: no statics [-]
  double AinDesign = 0.0, AoutDesign = 0.0;  ///< areas of the design point [m^2]
  std::vector<TBleedOfftake> bleeds;
  /// Off design: the map, scaled at the design point to its design node; the
  /// scalars kept from the design point (or read from a model file).
  std::shared_ptr<const TCompressorMap> map;
  TMapScalars scalars;
  bool scaled = false;
  double WcDesign = 0.0;  ///< corrected flow at design [kg/s]

  void KeepDesign(const TEngineState& s) override;
  std::string MissingDesign() const override;
  bool DefineStatesAndErrors(TEngineState& s) override;

 protected:
  bool Design(TEngineState& s) override;
  bool OffDesign(TEngineState& s) override;

 private:
  bool Compress(TEngineState& s, double pr, double effIn, bool poly, double& effIs);
  /// Statics of the face and exit: from the Mach numbers at design, from the
  /// design areas off design (left out where the area cannot pass the flow).
  bool FaceAndExitStatics(TEngineState& s, bool offDesign);
};

/// Splitter: core and bypass flows at the inlet's total state. An outlet may
/// carry the inlet's number (fan exit 13 split into bypass 13 and core 21).
class VYR_API TSplitter : public TComponent {
 public:
  using TComponent::TComponent;
  int inStation = 2, coreStation = 21, bypassStation = 13;
  double BPR = 1.0;  ///< bypass flow / core flow [-]

 protected:
  bool Design(TEngineState& s) override;
};

/// Burner: exit temperature or fuel-air ratio, efficiency, pressure loss,
/// equilibrium or complete products, fuel and its temperature.
class VYR_API TBurner : public TComponent {
 public:
  using TComponent::TComponent;
  int inStation = 3, outStation = 4;
  TFuel fuel;
  bool givenFar = false;  ///< the fuel-air ratio is given, not the exit temperature
  double Tt = 1400.0;     ///< exit temperature [K]
  double FAR = 0.02;      ///< fuel-air ratio (fuel / burner inlet flow) [-]
  double eff = 0.995;     ///< combustion efficiency [-]
  double loss = 0.05;     ///< (Pt_in - Pt_out) / Pt_in [-]
  double Tfuel = 298.15;  ///< fuel temperature [K]
  TProducts products = TProducts::Equilibrium;
  /// Off design the point's control sets the exit temperature or the fuel
  /// flow, or leaves the exit temperature an unknown, starting from this.
  double T4Design = 0.0;  ///< exit temperature of the design point [K]

  void KeepDesign(const TEngineState& s) override;
  bool DefineStatesAndErrors(TEngineState& s) override;

 protected:
  bool Design(TEngineState& s) override;
  bool OffDesign(TEngineState& s) override;

 private:
  bool Burn(TEngineState& s, bool byFar, double T4, double far);
};

/// A bleed a turbine takes in: at its inlet (mixed before the rotor, doing
/// work in it) or at its exit (doing none).
struct TCoolingFlow {
  std::string bleed;  ///< name of the bleed in the state
  bool atInlet = true;
};

/// Turbine driving a shaft: the shaft's power balance (its compressors, its
/// offtake and mechanical efficiency) fixes the exit enthalpy and so the
/// pressure ratio.
class VYR_API TTurbine : public TComponent {
 public:
  using TComponent::TComponent;
  int inStation = 4, outStation = 5;
  int rotorInStation = 0;    ///< after the inlet cooling mix (e.g. 41); 0: not recorded
  int rotorExitStation = 0;  ///< before the exit cooling mix (e.g. 44); 0: not recorded
  int shaft = 1;
  double eff = 0.88;
  bool polytropic = false;  ///< eff is polytropic
  std::vector<TCoolingFlow> cooling;
  double maxPR = 100.0;  ///< highest pressure ratio searched [-]
  /// Off design: the map and its scalars, as for the compressor.
  std::shared_ptr<const TTurbineMap> map;
  TMapScalars scalars;
  bool scaled = false;
  double WpDesign = 0.0;  ///< flow parameter W sqrt(Tt)/Pt at design [kg sqrt(K)/(s Pa)]

  std::string MissingDesign() const override;
  bool DefineStatesAndErrors(TEngineState& s) override;

 protected:
  bool Design(TEngineState& s) override;
  bool OffDesign(TEngineState& s) override;

 private:
  /// The shaft it drives, with a compressor on it; null with the failure recorded.
  TShaft* DrivenShaft(TEngineState& s) const;
};

/// Separate-flow nozzle exhausting to ambient: convergent, or
/// convergent-divergent fully expanded.
///
/// Throat (station 8): the isentropic state at the throat; sonic when the
/// ambient pressure lies below its sonic static pressure (choked), else at the
/// ambient pressure. Its effective area is the flow's area there, the
/// geometric area that divided by the discharge coefficient CD.
/// Exit (station 9): the jet as it leaves, its velocity the isentropic one
/// times the velocity coefficient CV (the loss leaves it hotter, at the same
/// static pressure): a choked convergent nozzle leaves at the throat's
/// pressure, above ambient; a convergent-divergent nozzle expands fully to the
/// ambient pressure. Below its critical pressure ratio (unchoked) a
/// convergent-divergent nozzle works as a convergent one. The exit's geometric
/// area: the throat's for a convergent nozzle, the jet's area at the ambient
/// pressure for a convergent-divergent one.
class VYR_API TNozzle : public TComponent {
 public:
  using TComponent::TComponent;
  enum class TKind { Convergent, ConvergentDivergent };
  int inStation = 5, throatStation = 8, exitStation = 9;
  TKind kind = TKind::Convergent;
  double CV = 0.98;  ///< velocity coefficient: jet velocity / isentropic velocity [-]
  double CD = 1.0;   ///< discharge coefficient: effective / geometric throat area [-]
  /// Off design: the (geometric) throat area stays that of the design point.
  double A8Design = 0.0;  ///< [m^2]
  double WDesign = 0.0;   ///< flow at design, the scale of the area's error [kg/s]

  void KeepDesign(const TEngineState& s) override;
  std::string MissingDesign() const override;
  bool DefineStatesAndErrors(TEngineState& s) override;

 protected:
  bool Design(TEngineState& s) override;
  bool OffDesign(TEngineState& s) override;

 private:
  bool Exhaust(TEngineState& s, bool offDesign);
};

/// Shaft data: number, speed, mechanical efficiency, power offtake. Placed
/// before the components on it.
class VYR_API TShaftComponent : public TComponent {
 public:
  using TComponent::TComponent;
  int number = 1;
  double rpm = 0.0;
  double effMech = 1.0;
  double offtake = 0.0;  ///< [W]
  /// Off design the speed is an unknown, unless the point's control fixes
  /// the speed of shaft 1.
  double powerDesign = 0.0;  ///< power the shaft carried at design, the scale of its balance [W]

  void KeepDesign(const TEngineState& s) override;
  std::string MissingDesign() const override;
  bool DefineStatesAndErrors(TEngineState& s) override;
  bool OffDesignEnd(TEngineState& s) override;

 protected:
  bool Design(TEngineState& s) override;
  bool OffDesign(TEngineState& s) override;
};

}  // namespace vyr::engine
