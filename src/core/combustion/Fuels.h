// Fuels, formation and combustion enthalpies, atom ratios and fuel-air ratios.
//
// The variable fuel species gtCxHyOz stands for a fuel unit C1 Hy Oz (y the
// hydrogen-to-carbon, z the oxygen-to-carbon atom ratio) of molar mass
// MolarMass_CxHyOz(y, z). A hydrogen-to-carbon ratio above 1E12 means a
// carbon-free hydrogen fuel. Reference temperature of
// formation enthalpies and heating values: 298.15 K. Enthalpies in J/kg,
// heating values in J/kg of fuel, flows in kg/s.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "GasTypes.h"
#include "VyrExport.h"

namespace vyr {

/// The predefined fuels.
enum TFuelType : std::uint8_t {
  ftAvtur, ftAvtag, ftAvcat, ftDiesel, ftNatGas, ftHydrogen, ftJP10, ftEthanol, ftMethanol, ftAmmonia, ftUserSpec
};

inline constexpr int FuelTypeCount = 11;

/// Data of one fuel.
struct TFuelProps {
  double HC_ratio;     ///< hydrogen-to-carbon atom ratio y [-]
  double OC_ratio;     ///< oxygen-to-carbon atom ratio z [-]
  double LHV;          ///< lower heating value [J/kg]
  double Cp;           ///< fuel specific heat [J/(kg K)]
  double Cp_mixed;     ///< second specific heat value [J/(kg K)]
  double AvgMoleMass;  ///< average molar mass [kg/kmol]
  std::string_view FuelName;  ///< display name
};

/// Fuel data indexed by TFuelType.
using TFuelPropsArray = std::array<TFuelProps, FuelTypeCount>;

/// Emission kinds.
enum TEmission : std::uint8_t { etCO, etNOx, etUHC, etSmoke };

/// Set of fuel types.
class TFuelTypeSet {
 public:
  constexpr TFuelTypeSet() = default;
  constexpr TFuelTypeSet(std::initializer_list<TFuelType> types) {
    for (TFuelType t : types) bits_ |= static_cast<std::uint16_t>(1u << t);
  }
  constexpr bool contains(TFuelType t) const { return t < FuelTypeCount && ((bits_ >> t) & 1u); }

 private:
  std::uint16_t bits_ = 0;
};

/// The fuel table.
extern VYR_API const TFuelPropsArray FuelDataArray;

/// Fuels that are liquid at the reference state (their property record is JetAliquid-like).
inline constexpr TFuelTypeSet LiquidFuelTypes{ftAvtur, ftAvtag, ftAvcat, ftDiesel, ftJP10, ftEthanol, ftMethanol};

/// Molar mass of the variable fuel unit C1 Hy Oz, per carbon atom [kg/kmol]:
/// hydrogen 1.0079832, carbon 12.010914 and oxygen 15.9994 kg/kmol per atom.
constexpr double MolarMass_CxHyOz(double HC_ratio, double OC_ratio) {
  return 1.0079832 * HC_ratio + 12.010914 + 15.9994 * OC_ratio;
}

/// Formation enthalpy of a mixture without the variable fuel species [J/kg].
VYR_API double FormationEnthalpy(const TGasComposition& x);
/// Heat released by two streams burning to the products [W].
VYR_API double CombustionEnthalpy(double W1, double W2, const TGasComposition& x1, const TGasComposition& x2,
                                  const TGasComposition& xp);
/// Fuel formation enthalpy [J/kg], reactant (sensible) enthalpy of the fuel at Tf [J/kg]
/// and the heating value at 298.15 K [J/kg] from a heating value given at Tref; always true.
/// P is the fuel's property record: JetAliquid (one twelfth of per-kilogram values)
/// for the types in LiquidFuelTypes, a per-kilogram species of GasProperties otherwise.
VYR_API bool StdFuelFormationandReactantEnthalpy(double Cpf, double HC_ratio, double OC_ratio, double Tref,
                                                 double Tf, double LHVref, const TGasProperties& P, TFuelType type,
                                                 double& Hf, double& Hr, double& LHVstd);
/// Sensible enthalpy relative to 298.15 K, without the variable fuel species [J/kg].
VYR_API double RH(const TGasComposition& x, double T);
/// Enthalpy on the zero-at-0-K scale [J/kg].
VYR_API double FH0(const TGasComposition& x, double T);
/// Sensible enthalpy flow of two reactant streams [W].
VYR_API double ReactantEnthalpy(double W1, double T1, double W2, double T2, const TGasComposition& x1,
                                const TGasComposition& x2);
/// Formation enthalpy of a fuel from its heating value [J/kg].
VYR_API double FormEnthFromHeatValue(double HC_ratio, double OC_ratio, double LHV);
/// Mole fraction of hydrocarbons (unburned fuel) [-].
VYR_API double MolarHCRatio(double MolemassCxHyOz, const TGasComposition& x);
/// Hydrogen-to-carbon atom ratio of a mixture; 1E30 without carbon.
VYR_API double FHCRatio(const TGasComposition& x, double HC_ratio);
/// Oxygen-to-carbon atom ratio of a mixture; 1E30 without carbon.
VYR_API double FOCRatio(const TGasComposition& x, double OC_ratio);
/// Stoichiometric fuel-to-oxidant mass ratio [kg fuel mixture / kg oxidant].
VYR_API double StoichFuelOxidGasMassRatio(double HC_ratio, double OC_ratio, const TGasComposition& x,
                                          double wO2);
/// Equivalence ratio (C + H/4) / (O/2); 0 without oxygen.
VYR_API double ChemicalEqRatio(const TGasComposition& x, double HC_ratio, double OC_ratio);
/// Fuel-air ratio after adding the fuel flow Wf [kg/s] to the station flow.
VYR_API double FARout(const TGasconditions& g, double Wf);
/// Fuel flow [kg/s] that brings the station flow to the fuel-air ratio FAR.
VYR_API double Wf_from_FAR(const TGasconditions& g, double FAR);

}  // namespace vyr
