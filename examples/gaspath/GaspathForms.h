// Data forms of the gas-path components. Each holds its design inputs as
// fields on its Design page and as properties named "__<input>des", its
// results as properties named "_<result>", and computes in its calculation
// hooks on the engine state of the run in progress, at the stations of its
// icon's links.
//
// Off design (mode cmSteadyState, the state's offDesign set) the forms run
// their components' off-design calculations at the point in the state:
// DefineStatesAndErrors registers each component's unknowns and errors, and
// every pass of the solver runs CalcStart, Calc and CalcFinish as at design.
// What off design needs of the design point (map scalars, the throat area,
// the shaft's power) the design run writes into the forms' fields; a model
// host runs the design point before every off-design run, so that off design
// follows the design inputs. A compressor or turbine whose map scalars are
// marked fixed (a calibrated map) keeps the scalars it was given.
//
// Order of a design-point run: every form's CalcStart (the ambient form sets
// the flight condition and station 0, the shaft forms their shafts), then
// Calc in calculation order along the gas path (compressors before the
// turbines that drive them), then CalcFinish (the nozzles' thrust is summed
// into the performance summary by the ambient form, which finishes last).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "GaspathForm.h"

namespace vyr::engine {
class TAmbient;
class TBurner;
class TCompressor;
class TCompressorMap;
class TDuct;
class TInlet;
class TNozzle;
class TShaftComponent;
class TSplitter;
class TTurbine;
class TTurbineMap;
}  // namespace vyr::engine

namespace vyr::gaspath {

/// Ambient and flight condition: standard atmosphere with a temperature
/// offset, flight Mach number; free-stream station 0 at its Out1 link.
class TAmbientForm : public TGasPathForm {
  Q_OBJECT
  Q_PROPERTY(double __Altdes READ GetAltdes WRITE SetAltdes)
  Q_PROPERTY(double __Machdes READ GetMachdes WRITE SetMachdes)
  Q_PROPERTY(double __dTdes READ GetdTdes WRITE SetdTdes)
  Q_PROPERTY(double _Ps0 READ Ps0)
  Q_PROPERTY(double _Ts0 READ Ts0)
  Q_PROPERTY(double _V0 READ V0)
  Q_PROPERTY(double _FN READ FN)
 public:
  Q_INVOKABLE explicit TAmbientForm(QWidget* owner = nullptr);
  GP_FIELD_ACCESS(Altdes)
  GP_FIELD_ACCESS(Machdes)
  GP_FIELD_ACCESS(dTdes)
  double Ps0() const { return Ps0_; }
  double Ts0() const { return Ts0_; }
  double V0() const { return V0_; }
  double FN() const { return FN_; }

  bool CalcStart(TCalcMode mode) override;
  bool CalcFinish(TCalcMode mode) override;
  /// Off design: records the design point's flight condition in the state.
  bool DefineStatesAndErrors(TCalcMode mode) override;
  std::vector<TResult> Results() const override;

  TNumFld* Altdes;  ///< pressure altitude [m]
  TNumFld* Machdes; ///< flight Mach number [-]
  TNumFld* dTdes;   ///< offset from the standard temperature [K]

 private:
  /// The component from the fields and the stations.
  bool Build(engine::TAmbient& c, const engine::TEngineState& s);
  double Ps0_ = 0, Ts0_ = 0, V0_ = 0, FN_ = 0;
};

/// Inlet: the engine's air flow and its total-pressure recovery Pt_out/Pt_in.
class TInletForm : public TGasPathForm {
  Q_OBJECT
  Q_PROPERTY(double __Wdes READ GetWdes WRITE SetWdes)
  Q_PROPERTY(double __PRdes READ GetPRdes WRITE SetPRdes)
  Q_PROPERTY(double _W READ W)
  Q_PROPERTY(double _Pt READ Pt)
  Q_PROPERTY(double _Tt READ Tt)
 public:
  Q_INVOKABLE explicit TInletForm(QWidget* owner = nullptr);
  GP_FIELD_ACCESS(Wdes)
  GP_FIELD_ACCESS(PRdes)
  double W() const { return W_; }
  double Pt() const { return Pt_; }
  double Tt() const { return Tt_; }
  bool Calc(TCalcMode mode) override;
  bool DefineStatesAndErrors(TCalcMode mode) override;
  std::vector<TResult> Results() const override;

  TNumFld* Wdes;   ///< air mass flow [kg/s]
  TNumFld* PRdes;  ///< pressure recovery [-]

 private:
  /// The component from the fields and the stations.
  bool Build(engine::TInlet& c, const engine::TEngineState& s);
  double W_ = 0, Pt_ = 0, Tt_ = 0;
};

/// Duct: a relative total-pressure loss at constant total enthalpy.
class TDuctForm : public TGasPathForm {
  Q_OBJECT
  Q_PROPERTY(double __dPdes READ GetdPdes WRITE SetdPdes)
  Q_PROPERTY(double _PR READ PR)
  Q_PROPERTY(double _Pt READ Pt)
 public:
  Q_INVOKABLE explicit TDuctForm(QWidget* owner = nullptr);
  GP_FIELD_ACCESS(dPdes)
  double PR() const { return PR_; }
  double Pt() const { return Pt_; }
  bool Calc(TCalcMode mode) override;
  bool DefineStatesAndErrors(TCalcMode mode) override;
  std::vector<TResult> Results() const override;

  TNumFld* dPdes;  ///< relative total-pressure loss [-]

 private:
  /// The component from the fields and the stations.
  bool Build(engine::TDuct& c, const engine::TEngineState& s);
  double PR_ = 0, Pt_ = 0;
};

/// Compressor or fan on a shaft, with up to three bleeds taken at its exit.
class TCompressorForm : public TGasPathForm {
  Q_OBJECT
  Q_PROPERTY(double __PRdes READ GetPRdes WRITE SetPRdes)
  Q_PROPERTY(double __Effdes READ GetEffdes WRITE SetEffdes)
  Q_PROPERTY(double __ShaftNrdes READ GetShaftNrdes WRITE SetShaftNrdes)
  Q_PROPERTY(double __Bleed1des READ GetBleed1des WRITE SetBleed1des)
  Q_PROPERTY(double __Bleed2des READ GetBleed2des WRITE SetBleed2des)
  Q_PROPERTY(double __Bleed3des READ GetBleed3des WRITE SetBleed3des)
  Q_PROPERTY(double __Bleed1dHdes READ GetBleed1dHdes WRITE SetBleed1dHdes)
  Q_PROPERTY(double __Bleed2dHdes READ GetBleed2dHdes WRITE SetBleed2dHdes)
  Q_PROPERTY(double __Bleed3dHdes READ GetBleed3dHdes WRITE SetBleed3dHdes)
  Q_PROPERTY(double __InMachdes READ GetInMachdes WRITE SetInMachdes)
  Q_PROPERTY(double __OutMachdes READ GetOutMachdes WRITE SetOutMachdes)
  Q_PROPERTY(double _Eff READ Eff)
  Q_PROPERTY(double _EffPoly READ EffPoly)
  Q_PROPERTY(double _PW READ PW)
  Q_PROPERTY(double _Tt READ Tt)
  Q_PROPERTY(double _Pt READ Pt)
 public:
  Q_INVOKABLE explicit TCompressorForm(QWidget* owner = nullptr);
  GP_FIELD_ACCESS(PRdes)
  GP_FIELD_ACCESS(Effdes)
  GP_FIELD_ACCESS(ShaftNrdes)
  GP_FIELD_ACCESS(Bleed1des)
  GP_FIELD_ACCESS(Bleed2des)
  GP_FIELD_ACCESS(Bleed3des)
  GP_FIELD_ACCESS(Bleed1dHdes)
  GP_FIELD_ACCESS(Bleed2dHdes)
  GP_FIELD_ACCESS(Bleed3dHdes)
  GP_FIELD_ACCESS(InMachdes)
  GP_FIELD_ACCESS(OutMachdes)
  double Eff() const { return Eff_; }
  double EffPoly() const { return EffPoly_; }
  double PW() const { return PW_; }
  double Tt() const { return Tt_; }
  double Pt() const { return Pt_; }
  bool Calc(TCalcMode mode) override;
  bool DefineStatesAndErrors(TCalcMode mode) override;
  std::vector<TResult> Results() const override;
  std::string InputProblem() const override;
  /// A bleed's enthalpy fraction only while the bleed takes flow; the map's
  /// scalars only with a map.
  bool InputActive(const TNumFld* field) const override;
  /// The map's scalars can be typed only while they are fixed.
  void InitializeControlStates() override;
  /// The map's scalars are the calibrated ones given, not the design point's.
  bool ScalarsFixed() const { return MapScalars->ItemIndex() == 1; }

  TNumFld* PRdes;        ///< pressure ratio Pt_out/Pt_in [-]
  TNumFld* Effdes;       ///< efficiency [-]
  TRadioGrpFld* EffType; ///< "Isentropic", "Polytropic"
  TNumFld* ShaftNrdes;   ///< number of the driving shaft [-]
  TNumFld* Bleed1des;    ///< bleed flows, fractions of the inlet flow [-]
  TNumFld* Bleed2des;
  TNumFld* Bleed3des;
  TNumFld* Bleed1dHdes;  ///< where the bleeds leave: fractions of the enthalpy rise (1: exit) [-]
  TNumFld* Bleed2dHdes;
  TNumFld* Bleed3dHdes;
  TStringFld* Bleed1Name;  ///< names by which turbines take the bleeds as cooling air
  TStringFld* Bleed2Name;
  TStringFld* Bleed3Name;
  TStringFld* MapFile;   ///< map file, relative to the model file ("" no map: no off design)
  TRadioGrpFld* MapScalars;  ///< "From the design point", "Fixed (calibrated map)"
  TNumFld* MapsN;        ///< map scalars: speed, flow, pressure ratio, efficiency [-]
  TNumFld* MapsW;
  TNumFld* MapsPR;
  TNumFld* MapsEff;
  TNumFld* MapWc;        ///< corrected flow at design [kg/s]
  TNumFld* InMachdes;    ///< Mach number at the face, which sizes its area (0: no statics) [-]
  TNumFld* OutMachdes;   ///< Mach number at the exit, which sizes its area (0: no statics) [-]
  TNumFld* AinDesign;    ///< face and exit areas of the design point, kept off design [m^2]
  TNumFld* AoutDesign;

  /// The map of MapFile, read once; null (failure recorded) when it cannot be read.
  std::shared_ptr<const engine::TCompressorMap> Map(const engine::TEngineState& state);

 private:
  /// The component from the fields, the stations and the map.
  bool Build(engine::TCompressor& c, const engine::TEngineState& s);
  double Eff_ = 0, EffPoly_ = 0, PW_ = 0, Tt_ = 0, Pt_ = 0;
  std::shared_ptr<const engine::TCompressorMap> map_;
  std::string mapPath_;
};

/// Splitter: divides its inlet flow into core (Out1) and bypass (Out2) by the
/// bypass ratio W_Out2/W_Out1, at the same total state.
class TSplitterForm : public TGasPathForm {
  Q_OBJECT
  Q_PROPERTY(double __BPRdes READ GetBPRdes WRITE SetBPRdes)
  Q_PROPERTY(double _Wcore READ Wcore)
  Q_PROPERTY(double _Wbypass READ Wbypass)
 public:
  Q_INVOKABLE explicit TSplitterForm(QWidget* owner = nullptr);
  GP_FIELD_ACCESS(BPRdes)
  double Wcore() const { return Wcore_; }
  double Wbypass() const { return Wbypass_; }
  bool Calc(TCalcMode mode) override;
  bool DefineStatesAndErrors(TCalcMode mode) override;
  std::vector<TResult> Results() const override;

  TNumFld* BPRdes;  ///< bypass ratio [-]

 private:
  /// The component from the fields and the stations.
  bool Build(engine::TSplitter& c, const engine::TEngineState& s);
  double Wcore_ = 0, Wbypass_ = 0;
};

/// Burner: burns a fuel to an exit temperature, with an efficiency and a
/// relative pressure loss; equilibrium products.
class TBurnerForm : public TGasPathForm {
  Q_OBJECT
  Q_PROPERTY(double __Texitdes READ GetTexitdes WRITE SetTexitdes)
  Q_PROPERTY(double __Effdes READ GetEffdes WRITE SetEffdes)
  Q_PROPERTY(double __dPdes READ GetdPdes WRITE SetdPdes)
  Q_PROPERTY(double __Tfueldes READ GetTfueldes WRITE SetTfueldes)
  Q_PROPERTY(double __HCdes READ GetHCdes WRITE SetHCdes)
  Q_PROPERTY(double __OCdes READ GetOCdes WRITE SetOCdes)
  Q_PROPERTY(double __LHVdes READ GetLHVdes WRITE SetLHVdes)
  Q_PROPERTY(double _FAR READ FAR)
  Q_PROPERTY(double _Wf READ Wf)
  Q_PROPERTY(double _Pt READ Pt)
 public:
  Q_INVOKABLE explicit TBurnerForm(QWidget* owner = nullptr);
  GP_FIELD_ACCESS(Texitdes)
  GP_FIELD_ACCESS(Effdes)
  GP_FIELD_ACCESS(dPdes)
  GP_FIELD_ACCESS(Tfueldes)
  GP_FIELD_ACCESS(HCdes)
  GP_FIELD_ACCESS(OCdes)
  GP_FIELD_ACCESS(LHVdes)
  double FAR() const { return FAR_; }
  double Wf() const { return Wf_; }
  double Pt() const { return Pt_; }
  bool Calc(TCalcMode mode) override;
  bool DefineStatesAndErrors(TCalcMode mode) override;
  std::vector<TResult> Results() const override;
  /// The user fuel's data only while the user fuel is selected.
  bool InputActive(const TNumFld* field) const override;
  /// Enables the user fuel's fields while it is selected.
  void InitializeControlStates() override;

  TNumFld* Texitdes;  ///< exit temperature [K]
  TNumFld* Effdes;    ///< combustion efficiency [-]
  TNumFld* dPdes;     ///< relative total-pressure loss [-]
  TRadioGrpFld* Fuel; ///< the fuel table's fuels and "user"
  TNumFld* Tfueldes;  ///< fuel temperature [K]
  TNumFld* HCdes;     ///< user fuel: H/C atom ratio [-]
  TNumFld* OCdes;     ///< user fuel: O/C atom ratio [-]
  TNumFld* LHVdes;    ///< user fuel: lower heating value [J/kg]

 private:
  /// The component from the fields and the stations.
  bool Build(engine::TBurner& c, const engine::TEngineState& s);
  double FAR_ = 0, Wf_ = 0, Pt_ = 0;
};

/// Turbine on a shaft: expands until it delivers the power of the shaft's
/// compressors (over the mechanical efficiency) and the shaft's offtake.
/// Up to two cooling flows, taken from named compressor bleeds, enter at its
/// inlet (mixed before the rotor, doing work) or at its exit (doing none).
class TTurbineForm : public TGasPathForm {
  Q_OBJECT
  Q_PROPERTY(double __Effdes READ GetEffdes WRITE SetEffdes)
  Q_PROPERTY(double __ShaftNrdes READ GetShaftNrdes WRITE SetShaftNrdes)
  Q_PROPERTY(double _PR READ PR)
  Q_PROPERTY(double _Eff READ Eff)
  Q_PROPERTY(double _EffPoly READ EffPoly)
  Q_PROPERTY(double _PW READ PW)
  Q_PROPERTY(double _Tt READ Tt)
 public:
  Q_INVOKABLE explicit TTurbineForm(QWidget* owner = nullptr);
  GP_FIELD_ACCESS(Effdes)
  GP_FIELD_ACCESS(ShaftNrdes)
  double PR() const { return PR_; }
  double Eff() const { return Eff_; }
  double EffPoly() const { return EffPoly_; }
  double PW() const { return PW_; }
  double Tt() const { return Tt_; }
  bool Calc(TCalcMode mode) override;
  bool DefineStatesAndErrors(TCalcMode mode) override;
  std::vector<TResult> Results() const override;
  /// The map's scalars only with a map.
  bool InputActive(const TNumFld* field) const override;
  /// The map's scalars can be typed only while they are fixed.
  void InitializeControlStates() override;
  /// The map's scalars are the calibrated ones given, not the design point's.
  bool ScalarsFixed() const { return MapScalars->ItemIndex() == 1; }
  std::string InputProblem() const override;

  TNumFld* Effdes;        ///< efficiency [-]
  TRadioGrpFld* EffType;  ///< "Isentropic", "Polytropic"
  TNumFld* ShaftNrdes;    ///< number of the driven shaft [-]
  TNumFld* RotorInStation;    ///< station after the inlet cooling mix (0: not recorded) [-]
  TNumFld* RotorExitStation;  ///< station before the exit cooling mix (0: not recorded) [-]
  TStringFld* Cool1Name;  ///< bleed that supplies cooling flow 1 ("" none)
  TRadioGrpFld* Cool1At;  ///< "Inlet (does work)", "Exit (no work)"
  TStringFld* Cool2Name;
  TRadioGrpFld* Cool2At;
  TStringFld* MapFile;   ///< map file, relative to the model file ("" no map: no off design)
  TRadioGrpFld* MapScalars;  ///< "From the design point", "Fixed (calibrated map)"
  TNumFld* MapsN;        ///< map scalars: speed, flow, pressure ratio, efficiency [-]
  TNumFld* MapsW;
  TNumFld* MapsPR;
  TNumFld* MapsEff;
  TNumFld* MapWp;        ///< flow parameter W sqrt(Tt)/Pt at design [kg sqrt(K)/(s Pa)]

  /// The map of MapFile, read once; null (failure recorded) when it cannot be read.
  std::shared_ptr<const engine::TTurbineMap> Map(const engine::TEngineState& state);

 private:
  /// The component from the fields, the stations and the map.
  bool Build(engine::TTurbine& c, const engine::TEngineState& s);
  double PR_ = 0, Eff_ = 0, EffPoly_ = 0, PW_ = 0, Tt_ = 0;
  std::shared_ptr<const engine::TTurbineMap> map_;
  std::string mapPath_;
};

/// Exhaust nozzle to ambient: convergent, or convergent-divergent fully
/// expanded; its gross thrust goes into the performance summary.
class TNozzleForm : public TGasPathForm {
  Q_OBJECT
  Q_PROPERTY(double __CVdes READ GetCVdes WRITE SetCVdes)
  Q_PROPERTY(double __CDdes READ GetCDdes WRITE SetCDdes)
  Q_PROPERTY(double _FG READ FG)
  Q_PROPERTY(double _FGp READ FGp)
  Q_PROPERTY(double _A8 READ A8)
  Q_PROPERTY(double _A9 READ A9)
  Q_PROPERTY(double _V9 READ V9)
 public:
  Q_INVOKABLE explicit TNozzleForm(QWidget* owner = nullptr);
  GP_FIELD_ACCESS(CVdes)
  GP_FIELD_ACCESS(CDdes)
  double FG() const { return FG_; }
  double FGp() const { return FGp_; }
  double A8() const { return A8_; }
  double A9() const { return A9_; }
  double V9() const { return V9_; }
  bool Calc(TCalcMode mode) override;
  bool DefineStatesAndErrors(TCalcMode mode) override;
  std::vector<TResult> Results() const override;
  std::string InputProblem() const override;

  TNumFld* CVdes;          ///< velocity coefficient [-]
  TNumFld* CDdes;          ///< discharge coefficient: effective / geometric throat area [-]
  TRadioGrpFld* NozzleType;  ///< "Convergent", "Convergent-divergent"
  TNumFld* ThroatStation;  ///< station number of the throat [-]
  TNumFld* ExitStation;    ///< station number of the exit [-]
  TNumFld* A8Design;       ///< throat area of the design point, kept off design [m^2]
  TNumFld* W8Design;       ///< flow of the design point [kg/s]

 private:
  /// The component from the fields and the stations.
  bool Build(engine::TNozzle& c, const engine::TEngineState& s);
  double FG_ = 0, FGp_ = 0, A8_ = 0, A9_ = 0, V9_ = 0;
};

/// Shaft: its number (named by its compressors and turbines), speed,
/// mechanical efficiency and power offtake.
class TShaftForm : public TGasPathForm {
  Q_OBJECT
  Q_PROPERTY(double __ShaftNrdes READ GetShaftNrdes WRITE SetShaftNrdes)
  Q_PROPERTY(double __Ndes READ GetNdes WRITE SetNdes)
  Q_PROPERTY(double __EffMechdes READ GetEffMechdes WRITE SetEffMechdes)
  Q_PROPERTY(double __PWoffdes READ GetPWoffdes WRITE SetPWoffdes)
  Q_PROPERTY(double _PWc READ PWc)
  Q_PROPERTY(double _PWt READ PWt)
 public:
  Q_INVOKABLE explicit TShaftForm(QWidget* owner = nullptr);
  GP_FIELD_ACCESS(ShaftNrdes)
  GP_FIELD_ACCESS(Ndes)
  GP_FIELD_ACCESS(EffMechdes)
  GP_FIELD_ACCESS(PWoffdes)
  double PWc() const { return PWc_; }
  double PWt() const { return PWt_; }
  bool CalcStart(TCalcMode mode) override;
  bool CalcFinish(TCalcMode mode) override;
  bool DefineStatesAndErrors(TCalcMode mode) override;
  std::vector<TResult> Results() const override;

  TNumFld* ShaftNrdes;  ///< shaft number [-]
  TNumFld* Ndes;        ///< speed [rpm]
  TNumFld* EffMechdes;  ///< mechanical efficiency [-]
  TNumFld* PWoffdes;    ///< power offtake [W]
  TNumFld* PWDesign;    ///< power the shaft carried at the design point [W]

 private:
  /// The component from the fields.
  bool Build(engine::TShaftComponent& c, const engine::TEngineState& s);
  double PWc_ = 0, PWt_ = 0;
};

}  // namespace vyr::gaspath
