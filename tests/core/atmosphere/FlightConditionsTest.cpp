#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "VYRglobal.h"
#include "common/RecordingHandler.h"

namespace vyr {
namespace {

constexpr double kGamma = 1.4;

// Pitot pressure over static pressure minus one, written in the textbook
// forms: isentropic compression, and the Rayleigh pitot formula (normal
// shock followed by isentropic compression).
double IsentropicQcRatio(double M) {
  return std::pow(1 + (kGamma - 1) / 2 * M * M, kGamma / (kGamma - 1)) - 1;
}
double RayleighQcRatio(double M) {
  const double M2 = M * M;
  return std::pow((kGamma + 1) * (kGamma + 1) * M2 / (4 * kGamma * M2 - 2 * (kGamma - 1)), kGamma / (kGamma - 1)) *
             (1 - kGamma + 2 * kGamma * M2) / (kGamma + 1) -
         1;
}

double StdPressure(double Zp) {
  double Ps = 0;
  EXPECT_TRUE(GetSTDPsAmbFromPressureAltitude(Zp, dtStd, Ps));
  return Ps;
}

TEST(FlightConditions, ImpactPressureFollowsThePitotRelations) {
  for (double P : {P_slst, 177687.0, 26500.0, 1200.0}) {
    for (double M : {0.0, 0.05, 0.3, 0.7, 0.95, 1.0}) {
      EXPECT_NEAR(Qc_at_Mach(M, P), P * IsentropicQcRatio(M), 1e-9 * P * IsentropicQcRatio(M)) << M;
    }
    for (double M : {1.0, 1.0001, 1.2, 1.6, 2.2, 3.0, 5.0, 8.0}) {
      EXPECT_NEAR(Qc_at_Mach(M, P), P * RayleighQcRatio(M), 1e-9 * P * RayleighQcRatio(M)) << M;
    }
    // Both relations meet at Mach 1.
    EXPECT_NEAR(Qc_at_Mach(1.0, P) / P, std::pow(1.2, 3.5) - 1, 1e-14);
    EXPECT_NEAR(Qc_at_Mach(std::nextafter(1.0, 2.0), P) / P, std::pow(1.2, 3.5) - 1, 1e-14);
  }
}

TEST(FlightConditions, MachFromImpactPressure) {
  for (double P : {P_slst, 40000.0}) {
    for (double M : {0.0, 0.1, 0.5, 0.8, 1.0}) EXPECT_NEAR(Mach_at_Qc(Qc_at_Mach(M, P), P), M, 1e-5) << M;
    // Above Qc/P = 1 a fit of the inverse Rayleigh relation.
    for (double M : {1.1, 1.2, 1.5, 2.0, 3.0, 5.0}) EXPECT_NEAR(Mach_at_Qc(Qc_at_Mach(M, P), P), M, 5e-4) << M;
  }
  // Up to Qc/P = 1 (a little above the sonic 0.8929) the subsonic inverse holds.
  EXPECT_DOUBLE_EQ(Mach_at_Qc(50000, 50000), std::sqrt(5 * (std::pow(2.0, 0.28571) - 1)));
}

TEST(FlightConditions, CalibratedAirspeedIsTheSeaLevelSpeedOfTheImpactPressure) {
  // At sea-level pressure the calibrated airspeed is the true airspeed at
  // sea-level temperature.
  for (double M : {0.1, 0.4, 0.8, 0.99}) EXPECT_NEAR(Vc_at_Mach(M, P_slst), M * a_slst, 1e-4 * M * a_slst) << M;
  for (double M : {1.05, 1.3, 2.0, 3.0}) EXPECT_NEAR(Vc_at_Mach(M, P_slst), M * a_slst, 1e-12 * M * a_slst) << M;

  // Elsewhere it is the speed whose pitot relation at sea level gives the same
  // impact pressure.
  for (double Zp : {-5000.0, 3000.0, 11000.0, 25000.0}) {
    const double P = StdPressure(Zp);
    for (double M : {1.3, 2.0, 3.0}) {
      const double Vc = Vc_at_Mach(M, P), Qc = Qc_at_Mach(M, P);
      if (Qc > 90476.1) {
        EXPECT_NEAR(Qc_at_Mach(Vc / a_slst, P_slst), Qc, 1e-12 * Qc) << Zp << " " << M;
      }
      EXPECT_NEAR(Mach_at_Vc(Vc, P), M, 5e-4) << Zp << " " << M;
    }
  }
}

TEST(FlightConditions, CalibratedAirspeedRoundTripsThroughMach) {
  // Over the whole altitude range, below sea level included: there a
  // subsonic flight Mach number gives a supersonic calibrated airspeed.
  for (double Zp : {-5000.0, -2000.0, 0.0, 5000.0, 11000.0, 20000.0, 50000.0}) {
    const double P = StdPressure(Zp);
    for (double M : {0.05, 0.3, 0.6, 0.85, 0.9, 0.95, 0.999}) {
      EXPECT_NEAR(Mach_at_Vc(Vc_at_Mach(M, P), P), M, 2e-5) << "Zp " << Zp << " Mach " << M;
    }
  }
  EXPECT_GT(Vc_at_Mach(0.95, StdPressure(-5000)), a_slst);
  // Calibrated airspeed is continuous where it changes to the supersonic
  // relation, at an impact pressure of 90475.4844 Pa.
  const double Pswitch = 90475.4844 / (std::pow(1.2, 3.5) - 1);
  const double below = Vc_at_Mach(1.0, Pswitch * (1 - 1e-9)), above = Vc_at_Mach(1.0, Pswitch * (1 + 1e-9));
  EXPECT_NEAR(below, a_slst, 0.01);
  EXPECT_NEAR(above, below, 0.01);
  EXPECT_EQ(Vc_at_Mach(0.0, 50000), 0.0);
  EXPECT_EQ(Mach_at_Vc(0.0, 50000), 0.0);
}

TEST(FlightConditions, DynamicPressure) {
  TGasComposition co2{};
  co2[gtCO2] = 1.0;
  for (double T : {220.0, 288.15, 400.0}) {
    EXPECT_DOUBLE_EQ(q_at_conditions(0.8, 60000, T), 0.5 * FGm(T, Air) * 60000 * 0.64);
    EXPECT_DOUBLE_EQ(q_at_conditions(0.8, 60000, T, Air), q_at_conditions(0.8, 60000, T));
    EXPECT_DOUBLE_EQ(q_at_conditions(2.0, 1e4, T, co2), 0.5 * FGm(T, co2) * 1e4 * 4.0);
  }
  EXPECT_NEAR(q_at_conditions(0.5, P_slst, T_slst), 0.5 * gamma_st * P_slst * 0.25, 1e-9);
  for (double T : {0.0, 1e-15, -10.0, std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(q_at_conditions(0.8, 60000, T), 0.0) << T;
    EXPECT_EQ(q_at_conditions(0.8, 60000, T, co2), 0.0) << T;
  }
}

TAmbConditions Ambient(double Zp, double dTs = 0, double Mach = 0) {
  TAmbConditions a;
  a.Zp = Zp;
  a.dTs = dTs;
  a.Mach = Mach;
  a.Composition = Air;
  return a;
}

TEST(FlightConditions, StandardDayAtRest) {
  test::RecordingHandler rec;
  TAmbConditions a = Ambient(0, 0, 0);
  ASSERT_TRUE(CalcFlyCon(0, 0, a));
  EXPECT_EQ(a.Ps, 101325);
  EXPECT_EQ(a.Ts, 288.15);
  EXPECT_EQ(a.Pt, a.Ps);
  EXPECT_EQ(a.Tt, a.Ts);
  EXPECT_EQ(a.Vt, 0);
  EXPECT_EQ(a.Vc, 0);
  EXPECT_DOUBLE_EQ(a.Rho, Rho_slst);
  EXPECT_EQ(a.Composition, Air);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(FlightConditions, AtmosphereModels) {
  const double Ps15 = StdPressure(15000);
  // Model 1: offset given.
  TAmbConditions a = Ambient(15000, 10);
  ASSERT_TRUE(CalcFlyCon(1, 0, a));
  EXPECT_DOUBLE_EQ(a.Ts, 226.65);
  EXPECT_EQ(a.Ps, Ps15);
  EXPECT_EQ(a.dTs, 10);
  // Model 0: the offset is forced to zero.
  a = Ambient(15000, 10);
  ASSERT_TRUE(CalcFlyCon(0, 0, a));
  EXPECT_EQ(a.dTs, 0);
  EXPECT_DOUBLE_EQ(a.Ts, 216.65);
  // Model 3: static temperature given, offset derived.
  a = Ambient(0, 99);
  a.Ts = 300;
  ASSERT_TRUE(CalcFlyCon(3, 0, a));
  EXPECT_NEAR(a.dTs, 11.85, 1e-12);
  EXPECT_EQ(a.Ts, 300);
  EXPECT_EQ(a.Ps, P_slst);
  // Model 2: custom pressure and temperature, altitude and offset cleared;
  // any altitude is accepted.
  a = Ambient(123456, 5, 0.5);
  a.Ps = 90000;
  a.Ts = 270;
  ASSERT_TRUE(CalcFlyCon(2, 0, a));
  EXPECT_EQ(a.Zp, 0);
  EXPECT_EQ(a.dTs, 0);
  EXPECT_EQ(a.Ps, 90000);
  EXPECT_EQ(a.Ts, 270);
  EXPECT_DOUBLE_EQ(a.Rho, 90000 / (R_st * 270));
  EXPECT_DOUBLE_EQ(a.Vt, 0.5 * std::sqrt(gamma_st * R_st * 270));
}

TEST(FlightConditions, SpeedOptionsAgree) {
  TAmbConditions byMach = Ambient(8000, -5, 0.8);
  ASSERT_TRUE(CalcFlyCon(1, 0, byMach));
  const double a = std::sqrt(gamma_st * R_st * byMach.Ts);
  EXPECT_DOUBLE_EQ(byMach.Vt, 0.8 * a);
  EXPECT_DOUBLE_EQ(byMach.Vc, Vc_at_Mach(0.8, byMach.Ps));
  EXPECT_DOUBLE_EQ(byMach.Tt, byMach.Ts * (1 + 0.2 * 0.64));
  EXPECT_DOUBLE_EQ(byMach.Pt, byMach.Ps * std::pow(1 + 0.2 * 0.64, 3.5));

  TAmbConditions byVt = Ambient(8000, -5);
  byVt.Vt = byMach.Vt;
  ASSERT_TRUE(CalcFlyCon(1, 1, byVt));
  EXPECT_DOUBLE_EQ(byVt.Mach, 0.8);
  EXPECT_DOUBLE_EQ(byVt.Vc, byMach.Vc);

  TAmbConditions byVc = Ambient(8000, -5);
  byVc.Vc = byMach.Vc;
  ASSERT_TRUE(CalcFlyCon(1, 2, byVc));
  EXPECT_NEAR(byVc.Mach, 0.8, 2e-5);
  EXPECT_NEAR(byVc.Vt, byMach.Vt, 2e-5 * a);
  EXPECT_EQ(byVc.Vc, byMach.Vc);

  // Any other option leaves the speeds; the totals follow the stored Mach.
  TAmbConditions asIs = Ambient(8000, -5, 1.5);
  asIs.Vt = 1;
  asIs.Vc = 2;
  ASSERT_TRUE(CalcFlyCon(1, 7, asIs));
  EXPECT_EQ(asIs.Mach, 1.5);
  EXPECT_EQ(asIs.Vt, 1);
  EXPECT_EQ(asIs.Vc, 2);
  EXPECT_DOUBLE_EQ(asIs.Tt, asIs.Ts * (1 + 0.2 * 2.25));
}

TEST(FlightConditions, RefusesAltitudesOutsideTheStandardAtmosphere) {
  const struct {
    int model;
    double Zp;
    const char* text;
  } cases[] = {
      {0, 80000.01, "Cannot calculate atmosphere above 80 km / 262,467 ft"},
      {1, 80001, "Cannot calculate atmosphere above 80 km / 262,467 ft"},
      {3, -5000.01, "Cannot calculate atmosphere below -5 km / -16,404 ft"},
      {1, -6000, "Cannot calculate atmosphere below -5 km / -16,404 ft"},
  };
  for (const auto& c : cases) {
    test::RecordingHandler rec;
    TAmbConditions a = Ambient(c.Zp, 7, 0.5);
    a.Ps = 1;
    a.Ts = 2;
    a.Vc = 3;
    TAmbConditions before = a;
    EXPECT_FALSE(CalcFlyCon(c.model, 0, a));
    ASSERT_EQ(rec.messages.size(), 1u);
    EXPECT_EQ(rec.messages[0].Text, c.text);
    EXPECT_TRUE(rec.messages[0].Plain);
    // Unchanged apart from the offset, which only model 1 keeps.
    before.dTs = c.model == 1 ? 7 : 0;
    EXPECT_EQ(a.dTs, before.dTs);
    EXPECT_EQ(a.Zp, before.Zp);
    EXPECT_EQ(a.Ps, before.Ps);
    EXPECT_EQ(a.Ts, before.Ts);
    EXPECT_EQ(a.Mach, before.Mach);
    EXPECT_EQ(a.Vc, before.Vc);
    EXPECT_EQ(a.Pt, before.Pt);
  }
  // The ends of the range are accepted.
  test::RecordingHandler rec;
  for (double Zp : {-5000.0, 80000.0}) {
    TAmbConditions a = Ambient(Zp);
    EXPECT_TRUE(CalcFlyCon(0, 0, a)) << Zp;
  }
  // An altitude that is not a number is refused without touching the record.
  TAmbConditions a = Ambient(std::numeric_limits<double>::quiet_NaN(), 0, 0.5);
  a.Ps = 1;
  EXPECT_FALSE(CalcFlyCon(1, 0, a));
  EXPECT_EQ(a.Ps, 1);
  EXPECT_TRUE(rec.messages.empty());
}

}  // namespace
}  // namespace vyr
