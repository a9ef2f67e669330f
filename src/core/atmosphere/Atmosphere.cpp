#include "Atmosphere.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "GasTypes.h"
#include "Messages.h"
#include "Numinp.h"
#include "SysUtils.h"

namespace vyr {

namespace {

// A profile of up to 25 points, the rest 0.
constexpr TDayTypeDataArray Profile(std::initializer_list<double> points) {
  TDayTypeDataArray a{};
  std::size_t i = 0;
  for (double p : points) a[i++] = p;
  return a;
}

// Pressure altitudes shared by the percentile and record days [m].
constexpr TDayTypeDataArray kGridG = Profile({-610, 0, 1000, 2000, 4000, 6000, 8000, 10000, 12000, 14000, 16000,
                                              18000, 20000, 22000, 24000, 26000, 28000, 30000});

constexpr TDayTypeDataArray kNoProfile{};

}  // namespace

constexpr TDayTypeNamesArray DayTypeNamesArray = {
    "Minimum Recorded", "1 % Cold Day", "5 % Cold Day", "10 % Cold Day", "20 % Cold Day", "Cold Day",
    "Polar Day",        "Standard Day", "Tropical Day", "Hot Day",       "20 % Hot Day",  "10 % Hot Day",
    "5 % Hot Day",      "1 % Hot Day",  "Maximum Recorded", "Custom"};

constexpr TDayTypeNamesArray DayTypeOptionsArray = {
    "MINREC", "COLD1PCT", "COLD5PCT", "COLD10PCT", "COLD20PCT", "COLD",   "POLAR",  "STD",
    "TROP",   "HOT",      "HOT20PCT", "HOT10PCT",  "HOT5PCT",   "HOT1PCT", "MAXREC", "CUSTOM"};

constexpr TDayTypePropertiesArray DayTypeDataArray = {{
    {"Minimum Recorded", "MINREC", -7, kGridG,
     Profile({205.15, 205.15, 217.15, 226.15, 222.15, 213.15, 209.15, 200.15, 196.15, 195.15, 186.15, 188.15,
              190.15, 188.15, 188.15, 188.15, 188.15, 188.15})},
    {"1 % Cold Day", "COLD1PCT", -6, kGridG,
     Profile({212.15, 212.15, 218.15, 231.15, 227.15, 218.15, 209.15, 202.15, 201.15, 196.15, 187.15, 188.15,
              190.15, 188.15, 188.15, 188.15, 188.15, 189.15})},
    {"5 % Cold Day", "COLD5PCT", -5, kGridG,
     Profile({216.15, 216.15, 219.15, 235.15, 230.15, 221.15, 212.15, 204.15, 203.15, 197.15, 188.15, 191.15,
              191.15, 189.15, 189.15, 189.15, 190.15, 190.15})},
    {"10 % Cold Day", "COLD10PCT", -4, kGridG,
     Profile({219.15, 219.15, 220.15, 237.15, 234.15, 222.15, 212.15, 207.15, 206.15, 198.15, 189.15, 193.15,
              192.15, 190.15, 190.15, 190.15, 191.15, 192.15})},
    {"20 % Cold Day", "COLD20PCT", -3, kGridG,
     Profile({222.15, 222.15, 221.15, 240.15, 236.15, 225.15, 214.15, 209.15, 208.15, 200.15, 190.15, 194.15,
              196.15, 194.15, 191.15, 191.15, 192.15, 194.15})},
    {"Cold Day", "COLD", -2,
     Profile({-610,  0,     1009,  3275,  4572,  6096,  7620,  9362,  12917, 13716, 14783, 15240,
              15418, 18619, 19812, 20574, 21336, 22267, 22860, 24384, 25908, 27432, 28956, 30480}),
     Profile({222.05, 222.05, 247.05, 247.05, 239.25, 229.75, 219.85, 208.15, 208.15, 200.55, 190.25, 187.05,
              185.95, 185.95, 192.45, 196.25, 199.55, 203.15, 202.85, 202.05, 201.05, 199.95, 198.85, 197.65})},
    {"Polar Day", "POLAR", -1, Profile({-610, -97, 0, 988, 3012, 6096, 9164, 26241, 30480}),
     Profile({246.15, 246.15, 246.65, 252.15, 250.15, 234.25, 218.15, 210.15, 210.15})},
    {"Standard Day", "STD", 0, kNoProfile, kNoProfile},
    {"Tropical Day", "TROP", 1, Profile({-610, 0, 6096, 10668, 12192, 13716, 15240, 16336, 18288, 21220, 30480}),
     Profile({305.25, 305.25, 262.25, 230.05, 219.45, 209.35, 199.75, 193.15, 200.95, 213.15, 235.65})},
    {"Hot Day", "HOT", 2,
     Profile({-610,  0,     1524,  3048,  4572,  6096,  7620,  9144,  9906,  10668, 12009, 13716, 14478,
              14783, 15240, 15362, 19812, 20239, 21336, 22860, 24384, 25908, 27432, 28956, 30480}),
     Profile({312.55, 312.55, 301.85, 290.85, 280.35, 269.55, 259.15, 248.55, 243.55, 238.65, 230.35, 231.65, 232.35,
              232.65, 233.05, 233.15, 234.75, 234.85, 236.05, 238.05, 240.05, 242.15, 244.35, 246.55, 248.95})},
    {"20 % Hot Day", "HOT20PCT", 3, kGridG,
     Profile({316.15, 316.15, 307.15, 298.15, 283.15, 271.15, 259.15, 247.15, 236.15, 233.15, 233.15, 233.15,
              233.15, 233.15, 234.15, 236.15, 238.15, 241.15})},
    {"10 % Hot Day", "HOT10PCT", 4, kGridG,
     Profile({318.15, 318.15, 310.15, 299.15, 284.15, 272.15, 260.15, 248.15, 240.15, 235.15, 234.15, 234.15,
              234.15, 234.15, 235.15, 236.15, 239.15, 242.15})},
    {"5 % Hot Day", "HOT5PCT", 5, kGridG,
     Profile({319.15, 319.15, 311.15, 300.15, 286.15, 274.15, 262.15, 250.15, 241.15, 236.15, 234.15, 234.15,
              234.15, 235.15, 235.15, 237.15, 239.15, 243.15})},
    {"1 % Hot Day", "HOT1PCT", 6, kGridG,
     Profile({322.15, 322.15, 312.15, 302.15, 289.15, 277.15, 266.15, 255.15, 246.15, 239.15, 236.15, 235.15,
              236.15, 236.15, 237.15, 239.15, 243.15, 243.15})},
    {"Maximum Recorded", "MAXREC", 7, kGridG,
     Profile({331.15, 331.15, 313.15, 304.15, 292.15, 279.15, 269.15, 255.15, 246.15, 239.15, 238.15, 239.15,
              242.15, 242.15, 242.15, 246.15, 251.15, 256.15})},
    {"Customer hook socket", "CUSTOM", 100, kNoProfile, kNoProfile},
}};

namespace {

// Range of the standard atmosphere [m].
constexpr double kZpLowest = -5000.0;
constexpr double kZpHighest = 80000.0;

// Profile of a day type; a value outside TDayType has none.
const TDayTypeDataArray& Altitudes(TDayType DayType) {
  return static_cast<int>(DayType) < DayTypeCount ? DayTypeDataArray[DayType].DayTypePressureAltitude : kNoProfile;
}

// Refuses an altitude outside the day type's range with a message box naming
// the limit in km and in whole feet.
bool InDayTypeRange(double Zp, TDayType DayType) {
  auto refuse = [](const char* side, double limit) {
    const double foot = ParscaleStd[ptLength][usImperial];
    const int feet = static_cast<int>(std::lround(limit / foot));
    const std::string format = std::string("Cannot calculate atmosphere ") + side + " %.1f km / %d ft";
    ShowMessage(Format(format, {limit / 1000.0, feet}));
    return false;
  };
  if (Zp < getMinAltitude(DayType)) return refuse("below", getMinAltitude(DayType));
  if (Zp > getMaxAltitude(DayType)) return refuse("above", getMaxAltitude(DayType));
  return true;
}

// Temperature of the standard layer that holds Zp [K]; -1 when none does.
// Each layer runs from its base up to, not including, the next base; the top
// one includes 80 km.
double LayerTemperature(double Zp) {
  if (Zp >= -5000.0 && Zp < 0.0) return 320.65 - 0.0065 * (Zp + 5000.0);
  if (Zp >= 0.0 && Zp < 11000.0) return T_slst - 0.0065 * Zp;
  if (Zp >= 11000.0 && Zp < 20000.0) return 216.65;
  if (Zp >= 20000.0 && Zp < 32000.0) return 216.65 + 0.001 * (Zp - 20000.0);
  if (Zp >= 32000.0 && Zp < 47000.0) return 228.65 + 0.0028 * (Zp - 32000.0);
  if (Zp >= 47000.0 && Zp < 51000.0) return 270.65;
  if (Zp >= 51000.0 && Zp < 71000.0) return 270.65 - 0.0028 * (Zp - 51000.0);
  if (Zp >= 71000.0 && Zp <= 80000.0) return 214.65 - 0.002 * (Zp - 71000.0);
  return -1.0;
}

// Pressure of the standard layer that holds Zp [Pa]; -1 when none does.
// Gradient layers: P = Pb (T / Tb)^(-g0 M / (R* L)); isothermal layers:
// P = Pb exp(-g0 M (Zp - Zb) / (R* T)), with g0 M / R* = kHydrostatic.
double LayerPressure(double Zp) {
  constexpr double kHydrostatic = 0.034163218783;  // [K/m]
  const double Tl = LayerTemperature(Zp);
  if (Zp >= -5000.0 && Zp < 0.0) return 177687.0 * std::pow(1.0 - 2.02713238734E-5 * (Zp + 5000.0), 5.2558798);
  if (Zp >= 0.0 && Zp < 11000.0) return P_slst * std::pow(1.0 - 2.25576956446E-5 * Zp, 5.2558798);
  if (Zp >= 11000.0 && Zp < 20000.0) return 22632.0 * std::exp(kHydrostatic * (11000.0 - Zp) / Tl);
  if (Zp >= 20000.0 && Zp < 32000.0) return 5474.87 * std::pow(1.0 + 4.61573967228E-6 * (Zp - 20000.0), -34.1632188);
  if (Zp >= 32000.0 && Zp < 47000.0) return 868.014 * std::pow(1.0 + 1.22457905095E-5 * (Zp - 32000.0), -12.2011496);
  if (Zp >= 47000.0 && Zp < 51000.0) return 110.906 * std::exp(kHydrostatic * (47000.0 - Zp) / Tl);
  if (Zp >= 51000.0 && Zp < 71000.0) return 66.9384 * std::pow(1.0 - 1.03454646222E-5 * (Zp - 51000.0), 12.2011496);
  if (Zp >= 71000.0 && Zp <= 80000.0) return 3.95639 * std::pow(1.0 - 9.31749359422E-6 * (Zp - 71000.0), 17.0816094);
  return -1.0;
}

}  // namespace

double getMinAltitude(TDayType DayType) {
  if (DayType == dtStd) return kZpLowest;
  return Altitudes(DayType)[0];
}

double getMaxAltitude(TDayType DayType) {
  if (DayType == dtStd) return kZpHighest;
  const TDayTypeDataArray& z = Altitudes(DayType);
  return *std::max_element(z.begin(), z.end());
}

bool GetSTDTsAmbFromPressureAltitude(double Zp, TDayType DayType, double& Ts) {
  if (!InDayTypeRange(Zp, DayType)) return false;
  Ts = LayerTemperature(Zp);
  return Ts != -1.0;
}

bool GetSTDPsAmbFromPressureAltitude(double Zp, TDayType DayType, double& Ps) {
  if (!InDayTypeRange(Zp, DayType)) return false;
  Ps = LayerPressure(Zp);
  return Ps != -1.0;
}

std::string AtmosModelTypeName(int Model) {
  switch (Model) {
    case 0: return "ISA";
    case 1: return "ISA+C";
    case 2: return "Custom";
    default: return "unknown";
  }
}

}  // namespace vyr
