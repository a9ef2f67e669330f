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

// Reactant enthalpy of a fuel at Tf with its heating value given at 298.15 K.
double ReactantEnthalpyAt(TFuelType type, const TGasProperties& record, double Tf) {
  const TFuelProps& f = FuelDataArray[type];
  double Hf = 0, Hr = 0, LHVstd = 0;
  EXPECT_TRUE(StdFuelFormationandReactantEnthalpy(f.Cp, f.HC_ratio, f.OC_ratio, 298.15, Tf, f.LHV, record, type, Hf,
                                                  Hr, LHVstd));
  return Hr;
}

TEST(Fuels, ReactantEnthalpyRisesWithTheFuelsSpecificHeat) {
  // Hr is the fuel's sensible enthalpy above 298.15 K: its slope there is the
  // given specific heat, and with a specific heat that rises with temperature
  // it lies between Cp(298.15) dT and Cp(Tf) dT. Liquid fuels carry the
  // JetAliquid record, gaseous ones their species of the table.
  const struct {
    TFuelType type;
    const TGasProperties& record;
  } fuels[] = {{ftAvtur, JetAliquid},  {ftAvtag, JetAliquid},   {ftAvcat, JetAliquid},
               {ftDiesel, JetAliquid}, {ftJP10, JetAliquid},    {ftEthanol, JetAliquid},
               {ftMethanol, JetAliquid}, {ftNatGas, GasProperties[gtCH4]}, {ftHydrogen, GasProperties[gtH2]}};
  for (const auto& fuel : fuels) {
    const TFuelProps& f = FuelDataArray[fuel.type];
    auto slope = [&](double T) {
      const double h = 0.01;
      return (ReactantEnthalpyAt(fuel.type, fuel.record, T + h) - ReactantEnthalpyAt(fuel.type, fuel.record, T - h)) /
             (2 * h);
    };
    const double Tf = 400.0, dT = Tf - 298.15;
    const double Hr = ReactantEnthalpyAt(fuel.type, fuel.record, Tf);
    EXPECT_NEAR(slope(298.15), f.Cp, 1e-6 * f.Cp) << f.FuelName;
    EXPECT_GT(slope(Tf), slope(298.15)) << f.FuelName;
    EXPECT_GT(Hr, f.Cp * dT) << f.FuelName;
    EXPECT_LT(Hr, slope(Tf) * dT) << f.FuelName;
  }
  // Kerosene at 400 K: about 1.12 Cp dT (213 kJ/kg at the 298.15 K specific heat).
  const TFuelProps& avtur = FuelDataArray[ftAvtur];
  EXPECT_NEAR(ReactantEnthalpyAt(ftAvtur, JetAliquid, 400.0) / (avtur.Cp * (400.0 - 298.15)), 1.12, 0.01);
}

// Lower heating value per kilogram of fuel at T from the species table:
// reactants minus products, each species at its absolute enthalpy FH.
// Fuel C1HyOz is given as one table species (methane or hydrogen).
double TableHeatingValue(TGas fuel, double T) {
  auto h = [T](TGas s) {  // J per kmol of s
    TGasComposition x{};
    x[s] = 1.0;
    return FH(T, x) * GasProperties[s].Molemass;
  };
  double nC = 0, nH = 0;  // atoms per fuel molecule
  if (fuel == gtCH4) nC = 1, nH = 4;
  if (fuel == gtH2) nH = 2;
  const double nO2 = nC + nH / 4;
  const double reactants = h(fuel) + nO2 * h(gtO2);
  const double products = nC * h(gtCO2) + nH / 2 * h(gtH2Og);
  return (reactants - products) / GasProperties[fuel].Molemass;
}

TEST(Fuels, HeatingValueAtTrefAgreesWithTheSpeciesTable) {
  // The heating value given at Tref, carried to 298.15 K, is the table's own
  // heating value at 298.15 K, for a fuel that is exactly the table species.
  const struct {
    TGas species;
    TFuelType type;
    double HC_ratio;
  } fuels[] = {{gtCH4, ftNatGas, 4.0}, {gtH2, ftHydrogen, 2e12}};
  for (const auto& fuel : fuels) {
    const TGasProperties& rec = GasProperties[fuel.species];
    for (double Tref : {400.0, 500.0, 800.0}) {
      double Hf = 0, Hr = -1, LHVstd = 0;
      ASSERT_TRUE(StdFuelFormationandReactantEnthalpy(FCpPerSpecie(Tref, rec), fuel.HC_ratio, 0, Tref, 298.15,
                                                      TableHeatingValue(fuel.species, Tref), rec, fuel.type, Hf, Hr,
                                                      LHVstd));
      EXPECT_NEAR(LHVstd, TableHeatingValue(fuel.species, 298.15), 50.0) << GasNames[fuel.species] << " " << Tref;
      EXPECT_EQ(Hf, FormEnthFromHeatValue(fuel.HC_ratio, 0, LHVstd));
      EXPECT_NEAR(Hr, 0.0, 1e-9);
    }
  }
  // The table's heating values themselves: methane about 50.0 MJ/kg, hydrogen about 120 MJ/kg.
  EXPECT_NEAR(TableHeatingValue(gtCH4, 298.15), 50.0e6, 0.1e6);
  EXPECT_NEAR(TableHeatingValue(gtH2, 298.15), 120.0e6, 0.1e6);
}

TEST(Fuels, MolarMassOfTheFuelUnit) {
  // Per carbon atom: the atoms of the species table, and the table's molar
  // masses of the species that are such units (CH4, CO, CO2).
  EXPECT_EQ(MolarMass_CxHyOz(0, 0), 12.010914);
  EXPECT_DOUBLE_EQ(MolarMass_CxHyOz(2, 1) - MolarMass_CxHyOz(0, 0),
                   2 * GasProperties[gtH].Molemass + GasProperties[gtO].Molemass);
  EXPECT_NEAR(MolarMass_CxHyOz(4, 0), GasProperties[gtCH4].Molemass, 1e-5 * 16);
  EXPECT_NEAR(MolarMass_CxHyOz(0, 1), GasProperties[gtCO].Molemass, 1e-5 * 28);
  EXPECT_NEAR(MolarMass_CxHyOz(0, 2), GasProperties[gtCO2].Molemass, 1e-5 * 44);
  static_assert(MolarMass_CxHyOz(3, 0.5) > 23.0 && MolarMass_CxHyOz(3, 0.5) < 23.1);  // ethanol, per carbon
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
