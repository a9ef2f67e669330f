// A single-spool turbojet of the engine layer's default components (stations
// 0, 2, 3, 4, 5, 8, 9, avtur) that a test changes before it runs.
#pragma once

#include "Engine.h"

namespace vyr::test {

struct Turbojet {
  engine::TEngine e;
  engine::TAmbient* amb;
  engine::TInlet* inlet;
  engine::TCompressor* comp;
  engine::TBurner* burner;
  engine::TTurbine* turbine;
  engine::TNozzle* nozzle;
  Turbojet() {
    using namespace engine;
    amb = &e.Add<TAmbient>("ambient");
    e.Add<TShaftComponent>("shaft");
    inlet = &e.Add<TInlet>("inlet");
    comp = &e.Add<TCompressor>("compressor");
    burner = &e.Add<TBurner>("burner");
    burner->fuel = TableFuel(ftAvtur);
    turbine = &e.Add<TTurbine>("turbine");
    nozzle = &e.Add<TNozzle>("nozzle");
  }
};

}  // namespace vyr::test
