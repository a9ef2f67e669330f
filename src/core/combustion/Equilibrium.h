// Chemical equilibrium of combustion products and the dissociation of carbon
// dioxide and water at a station.
//
// Equilibrium constants are fits of log10 K over T (partial pressures in bar);
// the Pol1 tables hold at T <= 1000 K, the Pol2 tables above.
#pragma once

#include <string>

#include "GasTypes.h"
#include "VYRtypes.h"
#include "VyrExport.h"

namespace vyr {

/// CO2 = CO + 1/2 O2; K = p(CO) p(O2)^1/2 / p(CO2)
extern VYR_API const Carray9 Pol1CO2, Pol2CO2;
/// H2O = H2 + 1/2 O2; K = p(H2) p(O2)^1/2 / p(H2O)
extern VYR_API const Carray9 Pol1H2O, Pol2H2O;
/// 1/2 O2 = O; K = p(O) / p(O2)^1/2
extern VYR_API const Carray9 Pol1O, Pol2O;
/// 1/2 H2 = H; K = p(H) / p(H2)^1/2
extern VYR_API const Carray9 Pol1H, Pol2H;
/// O + H = OH; K = p(OH) / (p(O) p(H))
extern VYR_API const Carray9 Pol1OH, Pol2OH;
/// O + 1/2 N2 = NO; K = p(NO) / (p(O) p(N2)^1/2)
extern VYR_API const Carray9 Pol1NO, Pol2NO;
/// N2 + O = N2O; K = p(N2O) / (p(N2) p(O))
extern VYR_API const Carray9 Pol1N2O, Pol2N2O;

/// K = 10^(c0/T^2 + c1/T + c2 ln(T)/T + c3 ln T + c4 + c5 T + c6 T^2 + c7 T^3 + c8 T^4) at T [K].
VYR_API double CalcEqConst(double T, const Carray9& C);

/// Equilibrium products of the reactant mass fractions at T [K] and P [Pa]: mole
/// fractions MoleFr and mass fractions MassFr of CO2, CO, O2, Ar, H2O, H2, O, H,
/// OH, NO, N2O and N2. y and z are the H/C and O/C ratios of the variable fuel
/// species; Tol scales the convergence limits. Lean and stoichiometric
/// mixtures have a solution from 200 K (the start of the species tables) to
/// T_tablemax; where dissociation is negligible it is complete combustion with
/// traces of CO, H2, radicals and nitrogen oxides at their equilibrium amounts.
/// A rich mixture whose equilibrium O2 lies below 1e-15 mol per mol of
/// reactants fails ("O2 concentration too small"). On failure ErrMsg and ErrCode
/// tell why, the outputs are left as they were, and with ShowMessages the
/// message is shown (warning, OK and Help, help context ErrCode).
VYR_API bool CombEquilibrium(double T, double P, double y, double z, const TGasComposition& Reactants, double Tol,
                             TGasComposition& MoleFr, TGasComposition& MassFr, bool ShowMessages,
                             std::string& ErrMsg, int& ErrCode);

/// Brings the composition of Gas into equilibrium with respect to CO2 and H2O
/// dissociation at its static state (Ts, Ps); radicals recombine, hydrocarbons
/// are dropped, nitrogen species and argon keep their moles. On failure the
/// composition is unchanged; messages as for CombEquilibrium.
VYR_API bool Dissociation(TGasconditions& Gas, double Tol, bool ShowMessages, std::string& ErrMsg, int& ErrCode);

}  // namespace vyr
