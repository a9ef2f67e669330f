// Gas species, compositions, property tables and the gas state at a station.
//
// Nineteen species in a fixed order; a composition is the mass fraction of
// each (kg species / kg mixture). Property polynomials are of the NASA
// 9-coefficient form extended by a T^5 term:
//   Cp/R  = a1 T^-2 + a2 T^-1 + a3 + a4 T + a5 T^2 + a6 T^3 + a7 T^4 + a8 T^5
//   H/R   = b1 + integral of Cp/R dT   (absolute scale, formation included)
//   S°/R  = b2 + integral of Cp/(R T) dT
// with R = R_u / M. Viscosity: ln(mu [micropoise]) = A ln T + B/T + C/T^2 + D.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "VyrExport.h"

namespace vyr {

/// The species, in the index order of every composition and of the property table.
enum TGas : std::uint8_t {
  gtCO2,     ///< carbon dioxide
  gtCO,      ///< carbon monoxide
  gtO2,      ///< oxygen
  gtAr,      ///< argon
  gtH2Og,    ///< water vapour
  gtH2Ol,    ///< liquid water carried with the flow (counts in mass, not in the gas phase)
  gtH2,      ///< hydrogen
  gtCH4,     ///< methane
  gtC2H6,    ///< ethane
  gtC2H4,    ///< ethylene
  gtC3H8,    ///< propane
  gtC4H10,   ///< butane
  gtO,       ///< atomic oxygen
  gtH,       ///< atomic hydrogen
  gtOH,      ///< hydroxyl
  gtNO,      ///< nitric oxide
  gtN2O,     ///< nitrous oxide
  gtCxHyOz,  ///< variable fuel species C1HyOz, properties supplied at run time
  gtN2       ///< nitrogen
};

/// Number of species.
inline constexpr int GasCount = 19;

/// Mass fractions [-] indexed by TGas. Elements not above 1E-15 count as absent.
using TGasComposition = std::array<double, GasCount>;

/// Species names indexed by TGas.
using TGasNames = std::array<std::string_view, GasCount>;

/// One temperature interval of the thermodynamic polynomial:
/// [0..7] = a1..a8 of Cp/R [-], [8] = b1 of H/R [K], [9] = b2 of S/R [-].
using TGasCoefArray = std::array<double, 10>;

/// One temperature interval of the viscosity fit: A, B [K], C [K^2], D.
using TVisCoefArray = std::array<double, 4>;

/// Property record of one species.
struct TGasProperties {
  double Molemass;                     ///< molar mass [kg/kmol]
  double Hformation;                   ///< enthalpy of formation at 298.15 K [kJ/kmol]
  TGasCoefArray Coefs_below1000;       ///< polynomial for T <= 1000 K
  TGasCoefArray Coefs_above1000;       ///< polynomial for T > 1000 K
  TVisCoefArray VisCoefs_below1000;    ///< viscosity fit for T < 1000 K
  TVisCoefArray VisCoefs_above1000;    ///< viscosity fit for T >= 1000 K
};

/// Property table indexed by TGas.
using TGasPropertiesArray = std::array<TGasProperties, GasCount>;

/// Eight doubles of storage for the host.
using TArray8 = std::array<double, 8>;

/// Gas state at an engine station (SI units).
struct TGasconditions {
  double Ps = 0;                          ///< static pressure [Pa]
  double Pt = 0;                          ///< total pressure [Pa]
  double Ts = 0;                          ///< static temperature [K]
  double Tt = 0;                          ///< total temperature [K]
  double W = 0;                           ///< total mass flow [kg/s]
  double Wgas = 0;                        ///< gas mass flow W (1 - y[gtH2Ol]) [kg/s]
  double Wgasc = 0;                       ///< corrected gas mass flow [kg/s]
  double H = 0;                           ///< total specific enthalpy at Tt [J/kg]
  double FARat = 0;                       ///< fuel-air ratio carried with the gas [-]
  double RTtheta = 0;                     ///< sqrt(Tt / T_slst) [-]
  double Delta = 0;                       ///< Pt / P_slst [-]
  double Wc = 0;                          ///< corrected mass flow [kg/s]
  double Ttis = 0;                        ///< isentropic end temperature of the last process [K]
  double His = 0;                         ///< enthalpy at Ttis [J/kg]
  double A = 0;                           ///< flow area [m^2]
  double V = 0;                           ///< flow velocity [m/s]
  double Mach = 0;                        ///< Mach number [-]
  double Wliquid = 0;                     ///< liquid mass flow carried with the station [kg/s]
  double FlowCorrectionFactor = 0;        ///< turns W into corrected flow [-]
  double RotorspeedCorrectionFactor = 0;  ///< turns rotor speed into corrected speed [-]
  double RNI = 0;                         ///< Reynolds number index [-]
  double RNIrel = 0;                      ///< relative Reynolds number index [-]
  double S = 0;                           ///< specific entropy at (Tt, Pt) [J/(kg K)]
  double Cp = 0;                          ///< specific heat at Tt [J/(kg K)]
  double Alpha = 0;                       ///< coefficient carried for the components
  double CxHyOz_MoleMass = 0;             ///< molar mass of the variable fuel species [kg/kmol]
  double CxHyOz_Hformation = 0;           ///< formation enthalpy of the variable fuel species
  double CxHyOz_Cp = 0;                   ///< specific heat of the variable fuel species [J/(kg K)]
  TGasComposition Composition{};          ///< mass fractions of the flow [-]
};

/// Pointer to a station state.
using GasconditionsPtr = TGasconditions*;

/// Universal gas constant [J/(kmol K)].
inline constexpr double R_u = 8314.4621;
/// Pressure of the entropy scale's pressure term [Pa]; the tables' standard
/// entropies themselves are 1-bar values (see FS).
inline constexpr double P_entropy_ref = 101325.0;
/// Reference temperature of formation and sensible enthalpy [K].
inline constexpr double T_ref = 298.15;
/// Upper limit of the species property tables [K]: the end of the
/// polynomials' high-temperature interval (1000 K to 6000 K).
inline constexpr double T_tablemax = 6000.0;
/// Temperatures between which the inverse temperature iterations (GetT,
/// GetTfromS, GetTis) search and clamp [K].
inline constexpr double T_itermin = 150.0;
inline constexpr double T_itermax = 3000.0;

/// Sea-level standard temperature [K].
inline constexpr double T_slst = 288.15;
/// Sea-level standard pressure [Pa].
inline constexpr double P_slst = 101325.0;
/// Standard acceleration of gravity [m/s^2].
inline constexpr double g = 9.80665;

/// Species names: "CO2", "CO", ..., "CxHyOz", "N2".
extern VYR_API const TGasNames GasNames;
/// Molar mass, formation enthalpy and polynomials of every species.
extern VYR_API const TGasPropertiesArray GasProperties;
/// Liquid jet fuel; its Cp polynomial gives one twelfth of the per-kilogram value.
extern VYR_API const TGasProperties JetAliquid;

/// Dry air (sums to 0.99999989).
extern VYR_API const TGasComposition Air;
extern VYR_API const TGasComposition Watervapour;
extern VYR_API const TGasComposition Waterliquid;
extern VYR_API const TGasComposition CxHyOz;
extern VYR_API const TGasComposition CH4;
extern VYR_API const TGasComposition H2;
extern VYR_API const TGasComposition EmptyComposition;

/// Specific heat of the variable fuel species, set by the host [J/(kg K)].
extern VYR_API double Cp_CxHyOz;
/// Storage for the host; not used by the library.
extern VYR_API TArray8 Ccps;
extern VYR_API TArray8 Chs;

/// Gas constant of standard air, FR(Air) [J/(kg K)], computed at load.
extern VYR_API double R_st;
/// Ratio of specific heats of air at T_slst [-], computed at load.
extern VYR_API double gamma_st;
/// Sea-level standard density [kg/m^3], computed at load.
extern VYR_API double Rho_slst;
/// Sea-level standard speed of sound [m/s], computed at load.
extern VYR_API double a_slst;
/// Sea-level standard air at rest, filled at load.
extern VYR_API TGasconditions StandardAir;

}  // namespace vyr
