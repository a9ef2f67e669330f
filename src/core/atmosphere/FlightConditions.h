// Flight conditions: the ambient record from pressure altitude, temperature
// and one speed, and the conversions between Mach number, impact pressure,
// calibrated airspeed and dynamic pressure.
//
// Pitot relations for air with gamma = 1.4, s = M^2:
//   subsonic (isentropic):  Qc / P = (1 + 0.2 s)^3.5 - 1
//   supersonic (Rayleigh):  Qc / P = (1.2 s)^3.5 (2.4 / (2.8 s - 0.4))^2.5 - 1
// The calibrated airspeed is the speed whose pitot relation at sea-level
// standard pressure and speed of sound (P_slst, a_slst) gives the impact
// pressure Qc. Pressures in Pa, temperatures in K, speeds in m/s.
#pragma once

#include "GasTypes.h"
#include "VyrExport.h"

namespace vyr {

/// Ambient and flight state.
struct TAmbConditions {
  double Zp = 0;    ///< pressure altitude [m]
  double dTs = 0;   ///< static temperature offset from standard [K]
  double Ps = 0;    ///< static pressure [Pa]
  double Ts = 0;    ///< static temperature [K]
  double Rho = 0;   ///< density [kg/m^3]
  double Pt = 0;    ///< total pressure [Pa]
  double Tt = 0;    ///< total temperature [K]
  double Vt = 0;    ///< true airspeed [m/s]
  double Vc = 0;    ///< calibrated airspeed [m/s]
  double Mach = 0;  ///< flight Mach number [-]
  TGasComposition Composition{};  ///< composition of the ambient air (mass fractions) [-]
};

/// Impact pressure Qc [Pa] at flight Mach number Mach [-] and static pressure P [Pa].
VYR_API double Qc_at_Mach(double Mach, double P);
/// Mach number [-] from impact pressure Qc [Pa] and static pressure P [Pa]
/// (approximate inverse of Qc_at_Mach, within about 3E-4).
VYR_API double Mach_at_Qc(double Qc, double P);
/// Calibrated airspeed [m/s] at flight Mach number Mach [-] and static pressure P [Pa].
VYR_API double Vc_at_Mach(double Mach, double P);
/// Flight Mach number [-] from calibrated airspeed Vc [m/s] and static pressure P [Pa].
VYR_API double Mach_at_Vc(double Vc, double P);
/// Dynamic pressure 0.5 gamma P M^2 [Pa] of standard air at Mach [-], P [Pa], T [K]; 0 for T not above 1E-15.
VYR_API double q_at_conditions(double Mach, double P, double T);
/// Dynamic pressure 0.5 gamma P M^2 [Pa] of the gas x at Mach [-], P [Pa], T [K]; 0 for T not above 1E-15.
VYR_API double q_at_conditions(double Mach, double P, double T, const TGasComposition& x);

/// Completes the ambient record. AtmosModel: 0 standard day, 1 standard with
/// temperature offset dTs, 2 custom (Ps and Ts given, Zp and dTs set to 0),
/// 3 static temperature Ts given. SpeedOption: 0 Mach given, 1 true airspeed
/// given, 2 calibrated airspeed given, other values leave the speeds alone.
/// An altitude outside -5 km to 80 km shows a message box and returns false
/// with Amb unchanged apart from dTs. Composition is not touched.
VYR_API bool CalcFlyCon(int AtmosModel, int SpeedOption, TAmbConditions& Amb);

}  // namespace vyr
