#include <gtest/gtest.h>

#include <cmath>

#include "VYRglobal.h"
#include "gas/GasTestCompositions.h"

namespace vyr {
namespace {

TEST(Fuels, FormationEnthalpyOfPureSpecies) {
  TGasComposition y{};
  for (TGas gas : {gtN2, gtO2, gtAr, gtH2, gtCxHyOz}) {
    y = {};
    y[gas] = 1.0;
    EXPECT_EQ(FormationEnthalpy(y), 0.0) << GasNames[gas];
  }
  y = {};
  y[gtCO2] = 1.0;
  EXPECT_DOUBLE_EQ(FormationEnthalpy(y), 1000.0 * -393510.0 / 44.0098);
}

TEST(Fuels, CombustionEnthalpyOfMethaneIsItsHeatingValue) {
  // CH4 + 2 O2 -> CO2 + 2 H2O(g): 1 kg/s of methane with 4 kg/s of oxygen
  // (stoichiometric within the molar masses) releases about 50.0 MW.
  const double Wf = 1.0;
  const double nCH4 = Wf / GasProperties[gtCH4].Molemass;
  const double Wox = 2 * nCH4 * GasProperties[gtO2].Molemass;
  TGasComposition ox{};
  ox[gtO2] = 1.0;
  TGasComposition prod{};
  const double mCO2 = nCH4 * GasProperties[gtCO2].Molemass, mH2O = 2 * nCH4 * GasProperties[gtH2Og].Molemass;
  prod[gtCO2] = mCO2 / (mCO2 + mH2O);
  prod[gtH2Og] = mH2O / (mCO2 + mH2O);
  EXPECT_NEAR(CombustionEnthalpy(Wf, Wox, CH4, ox, prod) / Wf, 50.03e6, 0.02e6);
}

TEST(Fuels, FormationEnthalpyFromHeatingValue) {
  EXPECT_DOUBLE_EQ(FormEnthFromHeatValue(2e12, 0, 120000000), 120000000 - 1000.0 * 241826 / 2.01588);
  // Methane from its lower heating value gives its tabulated formation enthalpy (-74.6 MJ/kmol).
  const double hf = FormEnthFromHeatValue(4.0, 0.0, 50.026e6) * 16.04276 / 1000.0;
  EXPECT_NEAR(hf, -74600.0, 50.0);
}

TEST(Fuels, StdFuelEnthalpiesAtTheReferenceTemperature) {
  // With the heating value given at 298.15 K and the fuel at 298.15 K nothing is corrected.
  for (int t = 0; t < FuelTypeCount; ++t) {
    const TFuelType type = static_cast<TFuelType>(t);
    const TFuelProps& f = FuelDataArray[type];
    const TGasProperties& rec = LiquidFuelTypes.contains(type) ? JetAliquid : GasProperties[gtCH4];
    double Hf = -1, Hr = -1, LHVstd = -1;
    EXPECT_TRUE(
        StdFuelFormationandReactantEnthalpy(f.Cp, f.HC_ratio, f.OC_ratio, 298.15, 298.15, f.LHV, rec, type, Hf, Hr, LHVstd));
    EXPECT_EQ(LHVstd, f.LHV) << f.FuelName;
    EXPECT_EQ(Hr, 0.0) << f.FuelName;
    EXPECT_EQ(Hf, FormEnthFromHeatValue(f.HC_ratio, f.OC_ratio, f.LHV)) << f.FuelName;
  }
}

TEST(Fuels, StdFuelReactantEnthalpyOfAWarmLiquidFuel) {
  // Kerosene at 400 K: dcp = Cp - 12 cp(JetAliquid, Tref); Hr = dH(JetAliquid) + (Tf - 298.15) dcp.
  const TFuelProps& f = FuelDataArray[ftAvtur];
  double Hf = 0, Hr = 0, LHVstd = 0;
  StdFuelFormationandReactantEnthalpy(f.Cp, f.HC_ratio, 0, 298.15, 400.0, f.LHV, JetAliquid, ftAvtur, Hf, Hr, LHVstd);
  const double dcp = f.Cp - 12.0 * FCpPerSpecie(298.15, JetAliquid);
  EXPECT_NEAR(dcp, 0.0, 0.02);  // the record reproduces the table's specific heat
  EXPECT_DOUBLE_EQ(Hr, EnthalpyChange(400.0, 298.15, JetAliquid) + (400.0 - 298.15) * dcp);
  EXPECT_EQ(LHVstd, f.LHV);
}

TEST(Fuels, StdFuelHeatingValueCorrectionFollowsKirchhoff) {
  // Hydrogen: LHV given at 500 K, corrected to 298.15 K with the enthalpy
  // changes of product and oxidant (fuel record H2, dcp = 0 by construction).
  const TGasProperties& h2 = GasProperties[gtH2];
  const double Tref = 500.0;
  double Hf = 0, Hr = 0, LHVstd = 0;
  StdFuelFormationandReactantEnthalpy(FCpPerSpecie(Tref, h2), 2e12, 0, Tref, 298.15, 120e6, h2, ftHydrogen, Hf,
                                      Hr, LHVstd);
  const double M = h2.Molemass;
  const double expected = 120e6 + EnthalpyChange(Tref, 298.15, GasProperties[gtH2Og]) * 18.01528 / M -
                          EnthalpyChange(Tref, 298.15, GasProperties[gtO2]) * 31.9988 / M / 2 -
                          12.0 * EnthalpyChange(Tref, 298.15, h2);
  EXPECT_DOUBLE_EQ(LHVstd, expected);
  EXPECT_DOUBLE_EQ(Hf, FormEnthFromHeatValue(2e12, 0, LHVstd));
  EXPECT_EQ(Hr, 0.0);
}

TEST(Fuels, SensibleEnthalpy) {
  const TGasComposition p = test::KeroseneProducts();
  for (double T : {250.0, 298.15, 1200.0, 2400.0}) {
    EXPECT_NEAR(RH(p, T), FH(T, p) - FH(298.15, p), 1e-6) << T;
    EXPECT_NEAR(FH0(p, T), 298.15 * FCp(298.15, p) + RH(p, T), 1e-6) << T;
  }
  EXPECT_NEAR(RH(Air, 298.15), 0.0, 1e-9);
  EXPECT_DOUBLE_EQ(ReactantEnthalpy(2.0, 500.0, 0.1, 400.0, Air, p), 2.0 * RH(Air, 500.0) + 0.1 * RH(p, 400.0));
}

TEST(Fuels, AtomRatios) {
  EXPECT_DOUBLE_EQ(FHCRatio(CH4, 0), 4.0);
  EXPECT_EQ(FHCRatio(H2, 0), 1.0e30);
  EXPECT_EQ(FOCRatio(H2, 0), 1.0e30);
  EXPECT_NEAR(FHCRatio(CxHyOz, 1.9167), 1.9167, 1e-12);
  EXPECT_NEAR(FOCRatio(CxHyOz, 0.5), 0.5, 1e-12);
  TGasComposition co2{};
  co2[gtCO2] = 1.0;
  EXPECT_NEAR(FOCRatio(co2, 0), 2.0, 1e-12);
  EXPECT_EQ(MolarHCRatio(13.9, Air), 0.0);
  EXPECT_NEAR(MolarHCRatio(13.9, CH4), 1.0, 1e-15);
}

TEST(Fuels, StoichiometricRatiosOfKeroseneAndMethaneInAir) {
  const double wO2 = Air[gtO2];
  // Handbook values for air: kerosene about 0.068, methane about 0.0584.
  EXPECT_NEAR(StoichFuelOxidGasMassRatio(1.9167, 0, CxHyOz, wO2), 0.0677, 5e-4);
  const double farCH4 = StoichFuelOxidGasMassRatio(0, 0, CH4, wO2);
  EXPECT_NEAR(farCH4, 0.0583, 3e-4);
  // A stoichiometric mixture has an equivalence ratio of 1 (air's own CO2 adds a trace).
  const TGasComposition mix = MixGasComposition(Air, CH4, 1.0, farCH4);
  EXPECT_NEAR(ChemicalEqRatio(mix, 0, 0), 1.0, 2e-3);
  EXPECT_NEAR(ChemicalEqRatio(Air, 0, 0), 0.0, 2e-3);
  EXPECT_EQ(ChemicalEqRatio(CH4, 0, 0), 0.0);  // no oxygen
}

TEST(Fuels, FuelAirRatioConversionsAreInverse) {
  TGasconditions g = StandardAir;
  g.W = 51.0;
  g.FARat = 0.02;
  for (double Wf : {0.0, 0.4, 1.3}) EXPECT_NEAR(Wf_from_FAR(g, FARout(g, Wf)), Wf, 1e-14);
  g.FARat = 0.0;
  EXPECT_DOUBLE_EQ(FARout(g, 1.02), 0.02);
}

TEST(Fuels, FuelTable) {
  EXPECT_EQ(FuelDataArray[ftAvtur].FuelName, "Jet A/A1, JP-8, Avtur");
  EXPECT_EQ(FuelDataArray[ftUserSpec].FuelName, "User specified composition");
  EXPECT_EQ(FuelDataArray[ftMethanol].OC_ratio, 1.0);
  EXPECT_TRUE(LiquidFuelTypes.contains(ftJP10));
  EXPECT_FALSE(LiquidFuelTypes.contains(ftNatGas));
  EXPECT_FALSE(LiquidFuelTypes.contains(ftHydrogen));
  for (const TFuelProps& f : FuelDataArray) EXPECT_EQ(f.Cp, f.Cp_mixed);
}

}  // namespace
}  // namespace vyr
