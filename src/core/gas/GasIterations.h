// Inverse property iterations: temperature from enthalpy, sensible enthalpy
// or entropy, isentropic end temperature and end pressure.
//
// Each returns true when its result is usable and writes it to the output
// parameter. On failure it shows "No convergence in <name> iteration in",
// CR LF and CallerID (error box, OK and Help, help context 81401) and returns
// false. tol is a dimensionless factor that scales the fixed convergence limits.
#pragma once

#include <string_view>

#include "GasTypes.h"
#include "VyrExport.h"

namespace vyr {

/// T [K] with FH(T, y) = H [J/kg]; H outside [FH(150), FH(3000)] gives 150 or 3000 K.
/// A composition whose enthalpy does not rise from 150 to 3000 K (no species
/// present) fails with the message and leaves T unchanged.
VYR_API bool GetT(double H, const TGasComposition& y, double tol, double& T, std::string_view CallerID);
/// T [K] with RH(y, T) = RH [J/kg] (sensible enthalpy above 298.15 K); clamped, and
/// failing without species, like GetT.
VYR_API bool GetTfromRH(double RH, const TGasComposition& y, double tol, double& T, std::string_view CallerID);
/// T [K] with FS(T, P, y) = S [J/(kg K)] at P [Pa]; not clamped.
VYR_API bool GetTfromS(double S, double P, const TGasComposition& y, double tol, double& T,
                       std::string_view CallerID);
/// Isentropic temperature Tis [K] at P2 [Pa] from (T1 [K], P1 [Pa]); Tis is left unchanged on failure.
VYR_API bool GetTis(double P1, double T1, double P2, const TGasComposition& y, double tol, double& Tis,
                    std::string_view CallerID);
/// Isentropic pressure P2 [Pa] at T2 [K] from (T1 [K], P1 [Pa]).
VYR_API bool GetPis(double P1, double T1, double T2, const TGasComposition& y, double tol, double& P2,
                    std::string_view CallerID);

}  // namespace vyr
