// Compression and expansion of a station state, and the corrected-flow and
// corrected-speed factors of a station.
//
// The routines show no message of their own: a false result means that an
// inverse iteration failed and has shown its message naming CallerID.
#pragma once

#include <string_view>

#include "GasTypes.h"
#include "VyrExport.h"

namespace vyr {

/// Compression by PR = Pt,out / Pt,in. With Polytropic the polytropic efficiency
/// EffPoly is the input and the isentropic Eff is computed, else the reverse.
/// GCin.S is refreshed; GCout gets Pt, FARat, Composition, Ttis, His, H, Tt and S.
/// Without a pressure change (|PR - 1| < 1E-15) the outlet is the inlet state and
/// the computed efficiency equals the given one. Within |ln PR| < 1E-2 the computed
/// efficiency follows from the given one by the constant-cp relation (cp at the
/// mean temperature), as the end states' differences are too small to carry it;
/// it is continuous down to PR = 1 and, for a given efficiency in (0, 1], in (0, 1].
VYR_API bool Compression(TGasconditions& GCin, double PR, double tol, bool Polytropic, std::string_view CallerID,
                         double& Eff, double& EffPoly, TGasconditions& GCout);
/// Turbine expansion by PR = Pt,in / Pt,out, efficiencies as for Compression.
VYR_API bool TurbineExpansion_PR(TGasconditions& GCin, double PR, double tol, bool Polytropic,
                                 std::string_view CallerID, double& Eff, double& EffPoly, TGasconditions& GCout);
/// Isentropic expansion from total state (Ht [J/kg], Pt [Pa], Tt [K]) to Ps [Pa]:
/// static Ts [K], Hs [J/kg], Mach [-] and velocity V [m/s] (negative when Hs > Ht).
VYR_API bool Expansion(double Ht, double Pt, double Tt, double Ps, const TGasComposition& y, double tol, double& Ts,
                       double& Hs, double& Mach, double& V, std::string_view CallerID);
/// Isentropic expansion to the static temperature Ts [K]: Ps [Pa], Hs [J/kg], V [m/s]
/// and the mass flow W [kg/s] through area A [m^2] with gas constant R [J/(kg K)].
VYR_API bool Expansion_to_Ts(double Ht, double Pt, double Tt, double R, double A, double Ts,
                             const TGasComposition& y, double tol, double& Ps, double& Hs, double& V, double& W,
                             std::string_view CallerID);
/// RTtheta, Delta, flow and rotor-speed correction factors and RNI of a station.
VYR_API void CalcCorrectionFactors(TGasconditions& GC, bool GammaCorrection);
/// CalcCorrectionFactors, then Wgas, Wc and Wgasc.
VYR_API void CalcCorrectionParameters(TGasconditions& GC, bool GammaCorrection);

}  // namespace vyr
