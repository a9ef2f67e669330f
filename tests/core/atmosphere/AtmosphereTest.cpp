#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "VYRglobal.h"
#include "common/RecordingHandler.h"

namespace vyr {
namespace {

// The 1976 standard atmosphere from its defining constants: sea-level state,
// layer bases in geopotential altitude and the temperature gradient of each
// layer. The first layer continues the troposphere gradient below sea level.
struct StandardAtmosphere1976 {
  static constexpr double g0 = 9.80665;      // [m/s^2]
  static constexpr double M0 = 28.9644;      // molar mass of air [kg/kmol]
  static constexpr double Rstar = 8314.32;   // gas constant of the standard [J/(kmol K)]
  static constexpr double T0 = 288.15;       // [K]
  static constexpr double P0 = 101325.0;     // [Pa]
  static constexpr double kBase[] = {-5000, 0, 11000, 20000, 32000, 47000, 51000, 71000, 80000};  // [m]
  static constexpr double kGradient[] = {-6.5e-3, -6.5e-3, 0.0, 1.0e-3, 2.8e-3, 0.0, -2.8e-3, -2.0e-3};  // [K/m]

  // Temperature from the gradients, summed up from sea level [K].
  static double T(double H) {
    double t = T0;
    if (H < 0.0) return t + kGradient[0] * H;
    for (int i = 1; i < 8; ++i) {
      const double top = kBase[i + 1];
      if (H <= top) return t + kGradient[i] * (H - kBase[i]);
      t += kGradient[i] * (top - kBase[i]);
    }
    return t;
  }

  // Hydrostatic equation with the ideal gas: d(ln P)/dH = -g0 M0 / (R* T(H)).
  static double dlnP(double H) { return -g0 * M0 / (Rstar * T(H)); }
};

// ln P on a 10 m grid from -5 km to 80 km, by fourth-order Runge-Kutta from
// sea level outwards. The layer bases lie on the grid, so every step sees a
// smooth temperature.
class ReferencePressure {
 public:
  static constexpr double kStep = 10.0;     // [m]
  static constexpr double kLowest = -5000;  // [m]

  ReferencePressure() {
    const int nBelow = static_cast<int>(-kLowest / kStep);
    const int nAbove = static_cast<int>(80000 / kStep);
    lnP_.assign(nBelow + nAbove + 1, 0.0);
    lnP_[nBelow] = std::log(StandardAtmosphere1976::P0);
    for (int i = nBelow; i < nBelow + nAbove; ++i) lnP_[i + 1] = lnP_[i] + Step(Altitude(i), kStep);
    for (int i = nBelow; i > 0; --i) lnP_[i - 1] = lnP_[i] + Step(Altitude(i), -kStep);
  }

  // Reference pressure at a grid altitude [Pa].
  double P(double H) const { return std::exp(lnP_[static_cast<std::size_t>(std::lround((H - kLowest) / kStep))]); }

 private:
  static double Altitude(int i) { return kLowest + i * kStep; }
  static double Step(double H, double h) {
    using A = StandardAtmosphere1976;
    const double k1 = A::dlnP(H), k2 = A::dlnP(H + h / 2), k4 = A::dlnP(H + h);
    return h / 6 * (k1 + 4 * k2 + k4);  // k2 = k3: the slope depends on H only
  }
  std::vector<double> lnP_;
};

TEST(Atmosphere, AgreesWithTheIntegratedStandardAtmosphere) {
  test::RecordingHandler rec;
  const ReferencePressure ref;
  for (double Zp = -5000; Zp <= 80000; Zp += 50) {
    double Ts = 0, Ps = 0;
    ASSERT_TRUE(GetSTDTsAmbFromPressureAltitude(Zp, dtStd, Ts)) << Zp;
    ASSERT_TRUE(GetSTDPsAmbFromPressureAltitude(Zp, dtStd, Ps)) << Zp;
    const double Tref = StandardAtmosphere1976::T(Zp), Pref = ref.P(Zp);
    EXPECT_NEAR(Ts / Tref, 1.0, 2e-5) << "Zp = " << Zp;
    EXPECT_NEAR(Ps / Pref, 1.0, 2e-5) << "Zp = " << Zp << ": " << Ps << " Pa, reference " << Pref;
  }
  EXPECT_TRUE(rec.messages.empty());
}

TEST(Atmosphere, KnownPointsAndLayerBoundaries) {
  const struct {
    double Zp, Ts, Ps;
  } points[] = {
      {-5000, 320.65, 177687}, {0, 288.15, 101325}, {11000, 216.65, 22632}, {20000, 216.65, 5474.87},
      {47000, 270.65, 110.906}, {80000, 196.65, 0.886},
  };
  for (const auto& pt : points) {
    double Ts = 0, Ps = 0;
    ASSERT_TRUE(GetSTDTsAmbFromPressureAltitude(pt.Zp, dtStd, Ts));
    ASSERT_TRUE(GetSTDPsAmbFromPressureAltitude(pt.Zp, dtStd, Ps));
    EXPECT_NEAR(Ts, pt.Ts, 1e-9) << pt.Zp;
    EXPECT_NEAR(Ps, pt.Ps, 1e-3 * pt.Ps) << pt.Zp;
  }
  // Each layer takes over where the one below ends.
  for (double base : {0.0, 11000.0, 20000.0, 32000.0, 47000.0, 51000.0, 71000.0}) {
    double Tbelow = 0, Tat = 0, Pbelow = 0, Pat = 0;
    ASSERT_TRUE(GetSTDTsAmbFromPressureAltitude(std::nextafter(base, -1e9), dtStd, Tbelow));
    ASSERT_TRUE(GetSTDTsAmbFromPressureAltitude(base, dtStd, Tat));
    ASSERT_TRUE(GetSTDPsAmbFromPressureAltitude(std::nextafter(base, -1e9), dtStd, Pbelow));
    ASSERT_TRUE(GetSTDPsAmbFromPressureAltitude(base, dtStd, Pat));
    EXPECT_NEAR(Tbelow, Tat, 1e-9) << base;
    EXPECT_NEAR(Pbelow / Pat, 1.0, 1e-5) << base;
  }
}

TEST(Atmosphere, AltitudeRangeOfTheDayTypes) {
  const struct {
    TDayType type;
    double min, max;
  } cases[] = {
      {dtStd, -5000, 80000}, {dtPolar, -610, 30480},  {dtHot, -610, 30480}, {dtMinRec, -610, 30000},
      {dtCold, -610, 30480}, {dtTrop, -610, 30480},   {dtCustom, 0, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(getMinAltitude(c.type), c.min) << DayTypeOptionsArray[c.type];
    EXPECT_EQ(getMaxAltitude(c.type), c.max) << DayTypeOptionsArray[c.type];
  }
}

TEST(Atmosphere, RefusesAltitudesOutsideTheDayTypeRange) {
  const struct {
    TDayType type;
    double Zp;
    const char* text;
  } cases[] = {
      {dtHot, 31000, "Cannot calculate atmosphere above 30.5 km / 100000 ft"},
      {dtHot, -700, "Cannot calculate atmosphere below -0.6 km / -2001 ft"},
      {dtMinRec, 30001, "Cannot calculate atmosphere above 30.0 km / 98425 ft"},
      {dtStd, 80000.5, "Cannot calculate atmosphere above 80.0 km / 262467 ft"},
      {dtStd, -5000.5, "Cannot calculate atmosphere below -5.0 km / -16404 ft"},
      {dtCustom, 1, "Cannot calculate atmosphere above 0.0 km / 0 ft"},
      {dtCustom, -1, "Cannot calculate atmosphere below 0.0 km / 0 ft"},
  };
  for (const auto& c : cases) {
    test::RecordingHandler rec;
    double Ts = 123, Ps = 456;
    EXPECT_FALSE(GetSTDTsAmbFromPressureAltitude(c.Zp, c.type, Ts));
    EXPECT_FALSE(GetSTDPsAmbFromPressureAltitude(c.Zp, c.type, Ps));
    EXPECT_EQ(Ts, 123);  // outputs unchanged
    EXPECT_EQ(Ps, 456);
    ASSERT_EQ(rec.messages.size(), 2u);
    for (const TMessage& m : rec.messages) {
      EXPECT_EQ(m.Text, c.text);
      EXPECT_TRUE(m.Plain);
    }
  }
  // The range ends themselves are accepted.
  test::RecordingHandler rec;
  double Ts = 0, Ps = 0;
  EXPECT_TRUE(GetSTDTsAmbFromPressureAltitude(30480, dtHot, Ts));
  EXPECT_TRUE(GetSTDPsAmbFromPressureAltitude(-610, dtHot, Ps));
  EXPECT_TRUE(GetSTDTsAmbFromPressureAltitude(0, dtCustom, Ts));
  EXPECT_EQ(Ts, 288.15);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(Atmosphere, AltitudeThatIsNotANumber) {
  test::RecordingHandler rec;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  double Ts = 0, Ps = 0;
  EXPECT_FALSE(GetSTDTsAmbFromPressureAltitude(nan, dtStd, Ts));
  EXPECT_FALSE(GetSTDPsAmbFromPressureAltitude(nan, dtStd, Ps));
  EXPECT_EQ(Ts, -1);
  EXPECT_EQ(Ps, -1);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(Atmosphere, ModelTypeNames) {
  EXPECT_EQ(AtmosModelTypeName(0), "ISA");
  EXPECT_EQ(AtmosModelTypeName(1), "ISA+C");
  EXPECT_EQ(AtmosModelTypeName(2), "Custom");
  EXPECT_EQ(AtmosModelTypeName(3), "unknown");
  EXPECT_EQ(AtmosModelTypeName(-1), "unknown");
}

TEST(AtmosphereDayTypes, TablesAgreeAndProfilesAreWellFormed) {
  const struct {
    TDayType type;
    int value, points;
    double lastZp, lastT;
  } cases[] = {
      {dtMinRec, -7, 18, 30000, 188.15},   {dtCold1Pct, -6, 18, 30000, 189.15}, {dtCold5Pct, -5, 18, 30000, 190.15},
      {dtCold10Pct, -4, 18, 30000, 192.15}, {dtCold20Pct, -3, 18, 30000, 194.15}, {dtCold, -2, 24, 30480, 197.65},
      {dtPolar, -1, 9, 30480, 210.15},      {dtStd, 0, 0, 0, 0},                 {dtTrop, 1, 11, 30480, 235.65},
      {dtHot, 2, 25, 30480, 248.95},        {dtHot20Pct, 3, 18, 30000, 241.15},  {dtHot10Pct, 4, 18, 30000, 242.15},
      {dtHot5Pct, 5, 18, 30000, 243.15},    {dtHot1Pct, 6, 18, 30000, 243.15},   {dtMaxRec, 7, 18, 30000, 256.15},
      {dtCustom, 100, 0, 0, 0},
  };
  ASSERT_EQ(std::size(cases), static_cast<std::size_t>(DayTypeCount));
  for (const auto& c : cases) {
    const TDayProperties& d = DayTypeDataArray[c.type];
    SCOPED_TRACE(DayTypeOptionsArray[c.type]);
    EXPECT_EQ(d.DayTypeOption, DayTypeOptionsArray[c.type]);
    EXPECT_EQ(d.DayTypeName, c.type == dtCustom ? "Customer hook socket" : DayTypeNamesArray[c.type]);
    EXPECT_EQ(d.DayTypeOptionValue, c.value);
    for (int i = 0; i < DayTypeDataCount; ++i) {
      if (i < c.points) {
        EXPECT_GT(d.DayTypeTemperature[i], 180.0);
        EXPECT_LT(d.DayTypeTemperature[i], 335.0);
        if (i > 0) {
          EXPECT_GT(d.DayTypePressureAltitude[i], d.DayTypePressureAltitude[i - 1]) << i;
        }
      } else {
        EXPECT_EQ(d.DayTypePressureAltitude[i], 0.0) << i;
        EXPECT_EQ(d.DayTypeTemperature[i], 0.0) << i;
      }
    }
    if (c.points > 0) {
      EXPECT_EQ(d.DayTypePressureAltitude[0], -610.0);
      EXPECT_EQ(d.DayTypePressureAltitude[c.points - 1], c.lastZp);
      EXPECT_EQ(d.DayTypeTemperature[c.points - 1], c.lastT);
      EXPECT_EQ(getMaxAltitude(c.type), c.lastZp);
    }
  }
  EXPECT_EQ(DayTypeNamesArray[dtCold5Pct], "5 % Cold Day");
  EXPECT_EQ(DayTypeNamesArray[dtMaxRec], "Maximum Recorded");
  EXPECT_EQ(DayTypeNamesArray[dtCustom], "Custom");
  EXPECT_EQ(DayTypeOptionsArray[dtHot10Pct], "HOT10PCT");
}

}  // namespace
}  // namespace vyr
