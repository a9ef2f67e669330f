// Species and mixture property functions.
//
// Temperature in K, pressure in Pa, compositions in mass fractions; results
// per unit mass. Species with a fraction not above 1E-15 are skipped in every
// sum. Liquid water (gtH2Ol) counts in the mass of the mixture but not in the
// gas-phase quantities (FR, FCp_gas, the mixing and pressure terms of FS).
#pragma once

#include <string_view>

#include "GasTypes.h"
#include "VyrExport.h"

namespace vyr {

/// Specific heat of one species [J/(kg K)].
VYR_API double FCpPerSpecie(double T, const TGasProperties& p);
/// Specific enthalpy of one species, formation included [J/kg].
VYR_API double EnthalpyPerSpecie(double T, const TGasProperties& p);
/// EnthalpyPerSpecie(T1) - EnthalpyPerSpecie(T2) [J/kg].
VYR_API double EnthalpyChange(double T1, double T2, const TGasProperties& p);
/// Dimensionless standard entropy S°/R of one interval's polynomial [-].
VYR_API double FSperSpecie(double T, const TGasCoefArray& c);

/// Mixture enthalpy, formation included [J/kg].
VYR_API double FH(double T, const TGasComposition& y);
/// Mixture specific heat, liquid water included [J/(kg K)].
VYR_API double FCp(double T, const TGasComposition& y);
/// Specific heat of the gas phase only [J/(kg K)].
VYR_API double FCp_gas(double T, const TGasComposition& y);
/// Gas constant of the gas phase [J/(kg K)]; 0 for (almost) all liquid water.
VYR_API double FR(const TGasComposition& y);
/// Ratio of specific heats of the gas phase [-]; 0 when the gas specific heat is zero.
VYR_API double FGm(double T, const TGasComposition& y);
/// Speed of sound [m/s].
VYR_API double FCs(double T, const TGasComposition& y);
/// Mixture entropy at (T, P) [J/(kg K)]. The species' standard entropies of the
/// tables are 1-bar values (argon 154.846 J/(mol K) at 298.15 K is its 1-bar
/// Sackur-Tetrode value), while the pressure term is -R ln(P / P_entropy_ref)
/// with P_entropy_ref = 101325 Pa. The scale is therefore referred to 1 bar in
/// effect, offset by the constant R ln(1.01325) (3.78 J/(kg K) for air): FS is
/// that much above the absolute entropy of a consistent 1-bar or 1 atm scale.
/// The constant cancels in every process (only entropy differences count) and
/// is kept so that stored results stay the same.
VYR_API double FS(double T, double P, const TGasComposition& y);
/// Heating-value polynomial [J/kg].
VYR_API double FHv(double T);

/// Mole fractions of a mass composition; MolemassCxHyOz [kg/kmol] stands for the
/// variable fuel species. An empty composition gives all zeros.
VYR_API TGasComposition MoleComposition(const TGasComposition& y, double MolemassCxHyOz);
/// Volume fractions relative to the gas phase (liquid water relative to the gas
/// volume too); all zeros for an empty gas phase.
VYR_API TGasComposition VolumeComposition(const TGasComposition& y, double MolemassCxHyOz);
/// Mass fractions of a mole composition; an empty composition gives all zeros.
VYR_API TGasComposition MassComposition(const TGasComposition& x, double MolemassCxHyOz);
/// (w1 C1 + w2 C2) / (w1 + w2), element by element.
VYR_API TGasComposition MixGasComposition(const TGasComposition& C1, const TGasComposition& C2, double w1,
                                          double w2);
/// GC1 with composition, Tt, Pt and W averaged with GC2 and H recomputed.
VYR_API TGasconditions AvgGasCondition(const TGasconditions& GC1, const TGasconditions& GC2);
/// True when no fraction is below -1E-15 and the sum is 1 within 1E-4;
/// otherwise shows an error message naming CallerID and returns false.
VYR_API bool CheckComposition(const TGasComposition& y, std::string_view CallerID);
/// True when the fractions sum to less than 1E-15.
VYR_API bool Composition_is_Empty(const TGasComposition& y);

}  // namespace vyr
