#include "FlightConditions.h"

#include <algorithm>
#include <cmath>

#include "Atmosphere.h"
#include "GasProperties.h"
#include "Messages.h"

namespace vyr {

namespace {

// Impact pressure over static pressure for air (gamma = 1.4), s = M^2.
// Below Mach 1 the isentropic compression; above it a normal shock stands
// in front of the pitot and the Rayleigh relation holds.
double SubsonicPitot(double s) { return std::pow(1.0 + 0.2 * s, 3.5) - 1.0; }
double SupersonicPitot(double s) { return std::pow(1.2 * s, 3.5) * std::pow(2.4 / (2.8 * s - 0.4), 2.5) - 1.0; }

// Impact pressures above this take the supersonic calibrated airspeed; close
// to the sonic impact pressure at P_slst, 90476.05 Pa [Pa]. The calibrated
// airspeed depends on the impact pressure alone: below sea level a subsonic
// flight Mach number can give a supersonic calibrated airspeed.
constexpr double kQcSonicSeaLevel = 90475.4844;

// Square of the Mach number whose Rayleigh pitot relation gives 1 + Qc/P = p.
// Newton on ln p = 3.5 ln(1.2 s) + 2.5 ln(2.4 / (2.8 s - 0.4)), a concave and
// increasing function of s above 0.5, started from the closed-form estimate.
double SupersonicMachSquared(double p, double estimate) {
  double s = std::max(estimate, 0.9);
  const double target = std::log(p);
  for (int pass = 0; pass < 50; ++pass) {
    const double f = 3.5 * std::log(1.2 * s) + 2.5 * std::log(2.4 / (2.8 * s - 0.4)) - target;
    const double slope = 3.5 / s - 7.0 / (2.8 * s - 0.4);
    const double step = f / slope;
    s = std::max(s - step, 0.9);
    if (!(std::fabs(step) > 1e-15 * s)) break;  // converged, or not a number
  }
  return s;
}

}  // namespace

double Qc_at_Mach(double Mach, double P) {
  const double s = Mach * Mach;
  return P * (Mach <= 1.0 ? SubsonicPitot(s) : SupersonicPitot(s));
}

double Mach_at_Qc(double Qc, double P) {
  const double r = Qc / P;
  if (r <= 1.0) return std::sqrt(5.0 * (std::pow(1.0 + r, 0.28571) - 1.0));
  // Closed-form fit of the inverse Rayleigh relation.
  const double y = 0.38833 * (1.0 + r) - 0.1747;
  return 0.0774005 * std::sqrt((1.0 + r) * std::pow(7.0 - 1.0 / (std::sqrt(y * y - 0.119) + y), 2.5));
}

double Vc_at_Mach(double Mach, double P) {
  const double Qc = Qc_at_Mach(Mach, P);
  if (Qc <= kQcSonicSeaLevel) {
    return a_slst * std::sqrt(5.0 * (std::pow(Qc / P_slst + 1.0, 0.28571) - 1.0));
  }
  // Supersonic at sea level: the speed whose Rayleigh relation at P_slst
  // gives Qc, so that Mach_at_Vc takes it back to the same impact pressure.
  const double estimate = Mach_at_Qc(Qc, P_slst);
  return a_slst * std::sqrt(SupersonicMachSquared(Qc / P_slst + 1.0, estimate * estimate));
}

double Mach_at_Vc(double Vc, double P) {
  const double s = (Vc / a_slst) * (Vc / a_slst);
  const double Qc = P_slst * (Vc <= a_slst ? SubsonicPitot(s) : SupersonicPitot(s));
  return Mach_at_Qc(Qc, P);
}

double q_at_conditions(double Mach, double P, double T) { return q_at_conditions(Mach, P, T, Air); }

double q_at_conditions(double Mach, double P, double T, const TGasComposition& x) {
  if (!(T > 1.0E-15)) return 0.0;
  return 0.5 * FGm(T, x) * P * Mach * Mach;
}

bool CalcFlyCon(int AtmosModel, int SpeedOption, TAmbConditions& Amb) {
  if (AtmosModel != 1) Amb.dTs = 0.0;

  double Ps = Amb.Ps, Ts = Amb.Ts, dTs = Amb.dTs, Zp = Amb.Zp;
  if (AtmosModel == 2) {  // custom atmosphere: Ps and Ts as the caller set them
    Zp = 0.0;
    dTs = 0.0;
  } else {
    if (Zp > 80000.0) {
      ShowMessage("Cannot calculate atmosphere above 80 km / 262,467 ft");
      return false;
    }
    if (Zp < -5000.0) {
      ShowMessage("Cannot calculate atmosphere below -5 km / -16,404 ft");
      return false;
    }
    // The standard day accepts exactly -5 km to 80 km, so these only fail
    // for an altitude that is not a number.
    double Tstd = 0.0, Pstd = 0.0;
    if (!GetSTDTsAmbFromPressureAltitude(Zp, dtStd, Tstd) || !GetSTDPsAmbFromPressureAltitude(Zp, dtStd, Pstd)) {
      return false;
    }
    if (AtmosModel == 3) {
      dTs = Ts - Tstd;  // static temperature given, offset derived
    } else {
      Ts = Tstd + dTs;
    }
    Ps = Pstd;
  }
  Amb.Zp = Zp;
  Amb.dTs = dTs;
  Amb.Ps = Ps;
  Amb.Ts = Ts;

  Amb.Rho = Amb.Ps / (R_st * Amb.Ts);
  const double a = std::sqrt(gamma_st * R_st * Amb.Ts);  // speed of sound [m/s]
  switch (SpeedOption) {
    case 0:
      Amb.Vt = Amb.Mach * a;
      Amb.Vc = Vc_at_Mach(Amb.Mach, Amb.Ps);
      break;
    case 1:
      Amb.Mach = Amb.Vt / a;
      Amb.Vc = Vc_at_Mach(Amb.Mach, Amb.Ps);
      break;
    case 2:
      Amb.Mach = Mach_at_Vc(Amb.Vc, Amb.Ps);
      Amb.Vt = Amb.Mach * a;
      break;
    default:
      break;
  }
  // Stagnation of the free stream (gamma = 1.4).
  const double m = 1.0 + 0.2 * Amb.Mach * Amb.Mach;
  Amb.Tt = Amb.Ts * m;
  Amb.Pt = Amb.Ps * std::pow(m, 3.5);
  return true;
}

}  // namespace vyr
