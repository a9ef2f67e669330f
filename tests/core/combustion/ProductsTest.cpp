#include <gtest/gtest.h>

#include "VYRglobal.h"
#include "combustion/AtomBalance.h"
#include "common/RecordingHandler.h"

namespace vyr {
namespace {

TEST(Products, LeanMethaneBurnsCompletely) {
  test::RecordingHandler rec;
  TGasComposition xp;
  const double W1 = 1.0, W2 = 30.0;
  ASSERT_TRUE(ProdfromReact(W1, W2, 0, 0, CH4, Air, xp));
  EXPECT_NEAR(xp[gtCO2] * (W1 + W2) / W1 - 0.00048469 * W2 / W1, 44.0098 / 16.04276, 1e-12);
  for (int s = 0; s < GasCount; ++s) {
    if (s == gtCO2 || s == gtH2Og || s == gtO2 || s == gtAr || s == gtN2) continue;
    EXPECT_EQ(xp[s], 0.0) << GasNames[s];
  }
  EXPECT_GT(xp[gtO2], 0.0);
  EXPECT_TRUE(rec.messages.empty());
}

TEST(Products, AtomsAreConservedFromLeanToRich) {
  // Kerosene (variable species, H/C 1.9167) in stream 1, air with a trace of NO in stream 2.
  TGasComposition air = Air;
  air[gtNO] = 0.001;
  air[gtN2] -= 0.001;
  for (double far : {0.01, 0.04, 0.0677, 0.09, 0.2}) {
    TGasComposition xp;
    ASSERT_TRUE(ProdfromReact(far, 1.0, 1.9167, 0, CxHyOz, air, xp)) << far;
    EXPECT_LT(test::WorstImbalance(MixGasComposition(CxHyOz, air, far, 1.0), 1.9167, 0, xp), 1e-12) << far;
    EXPECT_EQ(xp[gtNO], 0.0);
    if (far > 0.07) {
      EXPECT_EQ(xp[gtO2], 0.0) << far;
    }
  }
}

TEST(Products, StoichiometricMixtureHasNeitherOxygenNorUnburnt) {
  // CH4 + 2 O2 exactly: the rich branch gives the lean products.
  TGasComposition o2{};
  o2[gtO2] = 1.0;
  TGasComposition xp;
  ASSERT_TRUE(ProdfromReact(16.04276, 2 * 31.9988, 0, 0, CH4, o2, xp));
  EXPECT_NEAR(xp[gtO2], 0.0, 1e-15);
  EXPECT_NEAR(xp[gtCO], 0.0, 1e-15);
  EXPECT_NEAR(xp[gtH2], 0.0, 1e-15);
  EXPECT_NEAR(xp[gtCO2], 44.0098 / (44.0098 + 2 * 18.01528), 1e-12);
}

TEST(Products, WithoutOxygenCarbonStaysAsMethane) {
  // A hydrogen-rich fuel (H/C 4.5) without any oxygen: methane takes the carbon, the rest is H2.
  TGasComposition n2{};
  n2[gtN2] = 1.0;
  TGasComposition xp;
  ASSERT_TRUE(ProdfromReact(1.0, 1.0, 4.5, 0, CxHyOz, n2, xp));
  EXPECT_EQ(xp[gtCO], 0.0);
  EXPECT_LT(test::WorstImbalance(MixGasComposition(CxHyOz, n2, 1, 1), 4.5, 0, xp), 1e-12);
  EXPECT_GT(xp[gtCH4], 0.0);
  EXPECT_GT(xp[gtH2], 0.0);
  EXPECT_EQ(xp[gtH2Og], 0.0);
  EXPECT_EQ(xp[gtCO2], 0.0);
}

TEST(Products, TooLittleHydrogenForMethaneIsReported) {
  // Kerosene without oxygen would need more hydrogen than it has to bind its carbon as methane.
  test::RecordingHandler rec;
  TGasComposition n2{};
  n2[gtN2] = 1.0;
  TGasComposition xp;
  EXPECT_FALSE(ProdfromReact(1.0, 1.0, 1.9167, 0, CxHyOz, n2, xp));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text.rfind("H2 concentration (-", 0), 0u);
}

TEST(Products, FuelInTheSecondStreamIsLostAndReported) {
  test::RecordingHandler rec;
  TGasComposition xp;
  EXPECT_FALSE(ProdfromReact(1.0, 0.1, 0, 0, Air, CxHyOz, xp));
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text.rfind("Composition sum (", 0), 0u);
  EXPECT_NE(rec.messages[0].Text.find(") in procedure ProdFromReact not 1 !"), std::string::npos);
  // Nothing to burn and no flow at all: a clear report, no crash.
  rec.messages.clear();
  EXPECT_FALSE(ProdfromReact(0.0, 0.0, 0, 0, Air, Air, xp));
  EXPECT_EQ(rec.messages.size(), 1u);
}

}  // namespace
}  // namespace vyr
