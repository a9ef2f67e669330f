// A 1970s high-bypass separate-flow turbofan at sea-level static, ISA + 15 K,
// built from the engine layer's components (imperial design data converted to SI).
#pragma once

#include "Engine.h"

namespace vyr::test {

inline constexpr double kLbm = 0.45359237;        // [kg]
inline constexpr double kRankine = 5.0 / 9.0;     // [K]
inline constexpr double kBtuPerLbm = 2326.0;      // [J/kg]

/// Station numbers (SAE ARP755).
enum TurbofanStation : int {
  kAmb = 0, kFace = 2, kBypass = 13, kCore = 21, kBoosterIn = 22, kBoosterOut = 24, kHpcIn = 25, kHpcOut = 3,
  kBurnerOut = 4, kRotorIn = 41, kHptRotorOut = 43, kHptOut = 44, kLptIn = 45, kLptOut = 5, kCoreNozzleIn = 7,
  kCoreThroat = 8, kCoreExit = 9, kBypassNozzleIn = 17, kBypassThroat = 18, kBypassExit = 19
};
inline constexpr int kLP = 1, kHP = 2;
inline constexpr double kW2 = 1539.2 * kLbm;  // [kg/s]
inline constexpr double kBPR = 5.27511;
inline constexpr double kStatorCooling = 0.055, kExitCooling = 0.035;  // of the HP compressor's inlet flow

inline engine::TEngine Turbofan() {
  using namespace engine;
  TEngine e;
  auto& amb = e.Add<TAmbient>("ambient");
  amb.dT = 15.0;
  auto& hp = e.Add<TShaftComponent>("HP shaft");
  hp.number = kHP;
  hp.rpm = 8000;
  auto& lp = e.Add<TShaftComponent>("LP shaft");
  lp.number = kLP;
  lp.rpm = 3750;
  auto& inlet = e.Add<TInlet>("inlet");
  inlet.W = kW2;
  inlet.recovery = 0.992;
  auto& fan = e.Add<TCompressor>("fan");
  fan.inStation = kFace, fan.outStation = kBypass, fan.shaft = kLP, fan.PR = 1.60306, fan.eff = 0.90380;
  auto& split = e.Add<TSplitter>("splitter");
  split.inStation = kBypass, split.bypassStation = kBypass, split.coreStation = kCore, split.BPR = kBPR;
  auto& d1 = e.Add<TDuct>("booster duct");
  d1.inStation = kCore, d1.outStation = kBoosterIn, d1.loss = 0.0025;
  auto& booster = e.Add<TCompressor>("booster");
  booster.inStation = kBoosterIn, booster.outStation = kBoosterOut, booster.shaft = kLP, booster.PR = 2.25,
  booster.eff = 0.86575;
  auto& d2 = e.Add<TDuct>("HP compressor duct");
  d2.inStation = kBoosterOut, d2.outStation = kHpcIn, d2.loss = 0.0025;
  auto& hpc = e.Add<TCompressor>("HP compressor");
  hpc.inStation = kHpcIn, hpc.outStation = kHpcOut, hpc.shaft = kHP, hpc.PR = 5.67905, hpc.eff = 0.862469;
  hpc.bleeds = {{"stator cooling", kStatorCooling, 1.0}, {"exit cooling", kExitCooling, 1.0}};
  auto& burner = e.Add<TBurner>("burner");
  burner.fuel = UserFuel(1.94, 0.0, 18400 * kBtuPerLbm);
  burner.Tt = 2730 * kRankine;
  burner.eff = 0.994;
  burner.loss = 0.055;
  auto& hpt = e.Add<TTurbine>("HP turbine");
  hpt.inStation = kBurnerOut, hpt.rotorInStation = kRotorIn, hpt.rotorExitStation = kHptRotorOut,
  hpt.outStation = kHptOut, hpt.shaft = kHP, hpt.eff = 0.91445;
  hpt.cooling = {{"stator cooling", true}, {"exit cooling", false}};
  auto& d3 = e.Add<TDuct>("turbine duct");
  d3.inStation = kHptOut, d3.outStation = kLptIn, d3.loss = 0.005;
  auto& lpt = e.Add<TTurbine>("LP turbine");
  lpt.inStation = kLptIn, lpt.outStation = kLptOut, lpt.shaft = kLP, lpt.eff = 0.92880;
  auto& d4 = e.Add<TDuct>("exit duct");
  d4.inStation = kLptOut, d4.outStation = kCoreNozzleIn, d4.loss = 0.01;
  auto& cn = e.Add<TNozzle>("core nozzle");
  cn.inStation = kCoreNozzleIn, cn.throatStation = kCoreThroat, cn.exitStation = kCoreExit, cn.CV = 0.9999;
  auto& d5 = e.Add<TDuct>("bypass duct");
  d5.inStation = kBypass, d5.outStation = kBypassNozzleIn, d5.loss = 0.0075;
  auto& bn = e.Add<TNozzle>("bypass nozzle");
  bn.inStation = kBypassNozzleIn, bn.throatStation = kBypassThroat, bn.exitStation = kBypassExit, bn.CV = 0.9975;
  return e;
}

}  // namespace vyr::test
