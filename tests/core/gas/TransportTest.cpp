#include <gtest/gtest.h>

#include <cmath>

#include "VYRglobal.h"
#include "gas/GasTestCompositions.h"

namespace vyr {
namespace {

TEST(Transport, StandardAirIsTheReferenceOfTheIndex) {
  EXPECT_NEAR(DynViscosity_Mu(288.15, Air), 1.7977237926E-5, 1e-15);
  EXPECT_NEAR(ReynoldsNumberIndex(101325.0, 288.15, Air), 1.0, 1e-6);
  // Density doubles with pressure at the same temperature, viscosity does not.
  for (double T : {288.15, 700.0, 1600.0}) {
    const double rni = ReynoldsNumberIndex(4e5, T, Air);
    EXPECT_NEAR(ReynoldsNumberIndex(8e5, T, Air), 2.0 * rni, 1e-12 * rni) << T;
  }
}

TEST(Transport, FitIntervalsAt1000K) {
  // Exactly 1000 K takes the upper fits; just below, the lower ones give nearly the same.
  EXPECT_NEAR(DynViscosity_Mu(1000.0, Air), 4.33153E-5, 1e-10);
  EXPECT_NEAR(DynViscosity_Mu(999.999, Air), DynViscosity_Mu(1000.0, Air), 1e-3 * 4.33e-5);
}

TEST(Transport, PureSpeciesHasItsOwnViscosity) {
  // Without partners Wilke's sum reduces to the species value (micropoise to Pa s).
  TGasComposition n2{};
  n2[gtN2] = 1.0;
  for (double T : {300.0, 1500.0}) {
    const TVisCoefArray& c = T < 1000 ? GasProperties[gtN2].VisCoefs_below1000 : GasProperties[gtN2].VisCoefs_above1000;
    EXPECT_DOUBLE_EQ(DynViscosity_Mu(T, n2), 1e-7 * ViscosityPerSpecie(T, c));
  }
  EXPECT_DOUBLE_EQ(PhiIJ(28.0, 28.0, 170.0, 170.0), 1.0);
  EXPECT_EQ(ViscosityPerSpecie(500.0, TVisCoefArray{0, 0, 0, 0}), 1.0);
}

TEST(Transport, MixturesAndDegenerateInput) {
  // Combustion products are more viscous than cold air and less than their oxygen-rich share alone suggests.
  const double mu = DynViscosity_Mu(1800.0, test::KeroseneProducts());
  EXPECT_GT(mu, 5e-5);
  EXPECT_LT(mu, 7e-5);
  EXPECT_EQ(DynViscosity_Mu(300.0, Waterliquid), 0.0);
  EXPECT_EQ(ReynoldsNumberIndex(1e5, 300.0, Waterliquid), 0.0);
  EXPECT_EQ(ReynoldsNumberIndex(1e5, 300.0, EmptyComposition), 0.0);
  // Wet air: the liquid share takes part, and the result stays finite and positive.
  const double wet = DynViscosity_Mu(300.0, test::WetAir());
  EXPECT_GT(wet, 0.0);
  EXPECT_TRUE(std::isfinite(wet));
}

}  // namespace
}  // namespace vyr
