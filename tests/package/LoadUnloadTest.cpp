// Loads the shared library at run time, unloads it and loads it again: the
// start-up runs at every load, before anything of the library is used.
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

// Mangled names of vyr::R_st and vyr::a_slst (Itanium C++ ABI).
constexpr const char* kRst = "_ZN3vyr4R_stE";
constexpr const char* kAslst = "_ZN3vyr6a_slstE";

TEST(LoadUnload, StartUpRunsAtEveryLoad) {
  for (int round = 0; round < 2; ++round) {
    void* lib = dlopen(VYR_CORE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    auto* rst = static_cast<const double*>(dlsym(lib, kRst));
    auto* a = static_cast<const double*>(dlsym(lib, kAslst));
    ASSERT_NE(rst, nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_NEAR(*rst, 287.050, 0.001) << "round " << round;
    EXPECT_NEAR(*a, 340.32, 0.01) << "round " << round;
    EXPECT_EQ(dlclose(lib), 0);
    // Really unloaded: the next round loads and starts it afresh.
    void* still = dlopen(VYR_CORE_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
    EXPECT_EQ(still, nullptr);
    if (still) dlclose(still);
  }
}

}  // namespace
