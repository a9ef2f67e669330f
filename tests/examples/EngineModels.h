// The example engines built on a canvas from the gas-path component library,
// as an editor builds them: icons placed so that linked markers lie on each
// other, station numbers on the links, the forms' inputs set. The component
// library must be loaded (its classes registered).
#pragma once

#include <string>
#include <vector>

#include <QWidget>

#include "EngineState.h"
#include "vyrcompl.h"

namespace vyr::examples {

/// Unit conversions of the published turbofan data.
inline constexpr double kKgPerLbm = 0.45359237;
inline constexpr double kJPerKgPerBtuPerLbm = 2326.0;
inline constexpr double kKPerRankine = 1.0 / 1.8;

/// The single-spool turbojet of `vyr cycle turbojet` with its default inputs:
/// stations 0, 2, 3, 4, 5, 8, 9.
std::vector<TVYRcomp*> BuildTurbojet(QWidget* canvas);

/// The reference turbojet on maps (examples/turbojet-maps.xml), sized at
/// sea-level static ISA to a net thrust of 11,800 lbf (the air flow found by
/// design runs), burner exit 2370 degR, compressor PR 13.5 at 0.83 on the
/// AXI5 map, turbine 0.86 on the LPT2269 map, 8070 rpm, fully expanded
/// convergent-divergent nozzle (CV 0.99), fuel CH2.0022 of formation
/// enthalpy 0. Its forms keep the design point's map scalars, throat area and
/// shaft power. The maps are read from mapsModelDir + "/maps"; throws
/// std::runtime_error when the design point fails.
std::vector<TVYRcomp*> BuildTurbojetOnMaps(QWidget* canvas, const std::string& mapsModelDir);
inline constexpr double kReferenceThrustLbf = 11800.0;
inline constexpr double kNPerLbf = 4.4482216152605;

/// The two-spool separate-flow high-bypass turbofan at its design point.
std::vector<TVYRcomp*> BuildTurbofan(QWidget* canvas);

/// The component of that ID (icon name) among comps, or null.
TVYRcomp* FindComp(const std::vector<TVYRcomp*>& comps, const std::string& id);

/// Sets a numeric field of the component's form (by its ID string).
void SetNum(TVYRcomp* comp, const char* field, double value);
/// Sets a text field of the component's form.
void SetText(TVYRcomp* comp, const char* field, const char* text);
/// Selects an item of a radio group of the component's form.
void SetOption(TVYRcomp* comp, const char* field, int index);

/// A model file: the components under "BaseCfg", and the given extra XML
/// (cases, configurations) inside it after the components.
std::string ModelFileText(const std::vector<TVYRcomp*>& comps, const std::string& extraXml = {});

/// Runs a design point as the host does: links the icons, orders them by
/// calculation number and calls ValidateInputData, CalculationReset,
/// CalcStart, Calc and CalcFinish of every form in that order, phase by phase,
/// with state active. False with the first failure ("Nr. 5 Component: HPT: "
/// and the form's ErrorWarningText) in failure.
bool RunDesignPoint(const std::vector<TVYRcomp*>& comps, engine::TEngineState& state, std::string& failure);

/// The turbojet's cases: NozzleCV095 (nozzle velocity coefficient 0.95
/// instead of 0.98), CDNozzle (convergent-divergent nozzle), Polytropic (the
/// efficiencies polytropic), Cruise (11000 m, Mach 0.8), UserFuel (CH1.94 of
/// 18400 Btu/lbm).
extern const char* const kTurbojetCases;

}  // namespace vyr::examples
