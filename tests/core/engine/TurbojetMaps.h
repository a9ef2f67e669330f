// The reference single-spool turbojet on the AXI5 compressor and LPT2269
// turbine maps, sized at sea-level static ISA: net thrust 11,800 lbf, burner
// exit 2370 degR, compressor PR 13.5 at 0.83, turbine 0.86, 8070 rpm,
// convergent-divergent nozzle (CV 0.99), fuel CH2.0022 of formation enthalpy 0.
#pragma once

#include <memory>
#include <string>

#include "Engine.h"
#include "Fuels.h"
#include "Maps.h"

namespace vyr::test {

inline constexpr double kLbf = 4.4482216152605;  // [N]
inline constexpr double kRankine = 5.0 / 9.0;    // [K]

struct TurbojetOnMaps {
  engine::TEngine e;
  engine::TAmbient* amb;
  engine::TShaftComponent* shaft;
  engine::TInlet* inlet;
  engine::TCompressor* comp;
  engine::TBurner* burner;
  engine::TTurbine* turbine;
  engine::TNozzle* nozzle;
  std::string error;  ///< why the maps could not be read

  /// Maps from the folder (examples/maps).
  explicit TurbojetOnMaps(const std::string& mapDir) {
    using namespace engine;
    amb = &e.Add<TAmbient>("ambient");
    shaft = &e.Add<TShaftComponent>("shaft");
    shaft->rpm = 8070.0;
    inlet = &e.Add<TInlet>("inlet");
    inlet->recovery = 1.0;
    inlet->W = 170.0;
    comp = &e.Add<TCompressor>("compressor");
    comp->PR = 13.5;
    comp->eff = 0.83;
    burner = &e.Add<TBurner>("burner");
    burner->fuel = UserFuel(4.0044 / 2.0, 0.0, -FormEnthFromHeatValue(4.0044 / 2.0, 0.0, 0.0));
    burner->Tt = 2370.0 * kRankine;
    burner->loss = 0.03;
    burner->eff = 1.0;
    burner->Tfuel = 298.15;
    turbine = &e.Add<TTurbine>("turbine");
    turbine->eff = 0.86;
    nozzle = &e.Add<TNozzle>("nozzle");
    nozzle->kind = TNozzle::TKind::ConvergentDivergent;
    nozzle->CV = 0.99;
    auto cm = std::make_shared<TCompressorMap>();
    auto tm = std::make_shared<TTurbineMap>();
    if (!TCompressorMap::Read(mapDir + "/AXI5.map", *cm, error) || !TTurbineMap::Read(mapDir + "/LPT2269.map", *tm, error))
      return;
    comp->map = cm;
    turbine->map = tm;
  }
};

}  // namespace vyr::test
