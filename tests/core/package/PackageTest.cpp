#include <gtest/gtest.h>

#include "Package.h"
#include "VYRglobal.h"

namespace vyr {
namespace {

TEST(Package, StartedAtLoadAndStartsAgainAfterShutDown) {
  EXPECT_TRUE(PackageInitialized());
  const TGasconditions loaded = StandardAir;
  EXPECT_EQ(loaded.H, FH(T_slst, Air));

  PackageInitialize();  // a second start-up changes nothing
  EXPECT_TRUE(PackageInitialized());

  PackageFinalize();
  EXPECT_FALSE(PackageInitialized());
  PackageFinalize();  // nothing to shut down
  StandardAir.Tt = 1.0;
  R_st = 0.0;

  PackageInitialize();
  EXPECT_TRUE(PackageInitialized());
  EXPECT_EQ(StandardAir.Tt, T_slst);
  EXPECT_EQ(StandardAir.H, loaded.H);
  EXPECT_EQ(R_st, FR(Air));
}

}  // namespace
}  // namespace vyr
