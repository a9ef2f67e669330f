// Static state of a station from its total state and one more quantity (the
// flow area, the Mach number or the velocity), choked flow, convergent ducts
// and the additional station quantities.
//
// Failures show an error message naming CallerID and return false; outputs
// keep whatever was written before the failing step.
#pragma once

#include <cstdint>
#include <string_view>

#include "GasTypes.h"
#include "VYRtypes.h"
#include "VyrExport.h"

namespace vyr {

/// The quantity that fixes the static state of a station.
enum TStaticSpecOption : std::uint8_t { ssoArea, ssoMach, ssoVelocity, ssoNone };

/// Static state for flow W [kg/s] through area A [m^2] from Pt [Pa], Tt [K]:
/// Ps [Pa], Ts [K], Mach [-], V [m/s]. An area too small for the flow gives the
/// sonic temperature and Mach >= 1. No flow gives static = total. An area not
/// above 0, or a state that does not balance energy (a sonic temperature below
/// the 200 K floor of the choke search), is a failure with a message.
VYR_API bool GetStatic(double W, double Pt, double Tt, double A, const TGasComposition& y, double tol, double& Ps,
                       double& Ts, double& Mach, double& V, std::string_view CallerID);
/// Static state at a given Mach number: Ps [Pa], Ts [K], V [m/s], A [m^2]; tol in K.
VYR_API bool GetStaticfromM(double Mach, double Pt, double Tt, double W, const TGasComposition& y, double tol,
                            double& Ps, double& Ts, double& V, double& A, std::string_view CallerID);
/// Static state at a given velocity V [m/s]: Ps [Pa], Ts [K], Mach [-], A [m^2]; tol in K.
VYR_API bool GetStaticfromV(double V, double Pt, double Tt, double W, const TGasComposition& y, double tol,
                            double& Ps, double& Ts, double& Mach, double& A, std::string_view CallerID);
/// Static state of a station record from the quantity that Option names; with
/// MachWarning a supersonic result is refused with a message.
VYR_API bool GetStaticfromOption(TGasconditions& GC, TStaticSpecOption Option, double tol, std::string_view CallerID,
                                 bool MachWarning);
/// Static state of a station: at design SpecValue fixes the quantity that Option
/// names (a negative or NaN SpecValue is refused with a message; without flow
/// the static state is the total one and the given value stays in the record);
/// in every other mode the stored area governs.
VYR_API bool CalcStaticProps(TCalcMode CalcMode, TStaticSpecOption Option, double SpecValue, double tol,
                             std::string_view CallerID, TGasconditions& GC);
/// Flow through a convergent duct of exit area A [m^2] discharging to Ps [Pa] with
/// velocity coefficient CV: exit pressure PsOut [Pa] (the throat pressure when
/// choked), Ts [K], Hs [J/kg], Mach [-], V [m/s], W [kg/s], Rho [kg/m^3].
VYR_API bool ConvDuct(double Ht, double Pt, double Tt, double Ps, double A, double CV, const TGasComposition& y,
                      double tol, double& PsOut, double& Ts, double& Hs, double& Mach, double& V, double& W,
                      double& Rho, std::string_view CallerID);
/// Entropy, specific heat and Reynolds number index of a station at its total state.
VYR_API void SetAddStationpars(TGasconditions& GC);

}  // namespace vyr
