// Loads the shared library at run time, unloads it and loads it again: the
// start-up runs at every load, before anything of the library is used.
#include <dlfcn.h>

#include <algorithm>
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

#ifdef VYR_UI_LIBRARY
#include <string>
#include <vector>

// The UI library starts at load in a process without a QApplication: its units
// only register classes, so loading must not need one (a widget made at load
// would abort the process). The library stays mapped after dlclose: Qt, which
// it brings in, is not made to be unloaded and keeps its globals to the end.
TEST(LoadUnload, UiLibraryStartsWithoutQApplication) {
  void* lib = dlopen(VYR_UI_LIBRARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  ASSERT_NE(lib, nullptr) << dlerror();
  using Flag = bool (*)();
  using Names = std::vector<std::string> (*)();
  auto initialized = reinterpret_cast<Flag>(dlsym(lib, "_ZN3vyr20UiPackageInitializedEv"));
  auto coreInitialized = reinterpret_cast<Flag>(dlsym(lib, "_ZN3vyr18PackageInitializedEv"));
  auto names = reinterpret_cast<Names>(dlsym(lib, "_ZN3vyr20RegisteredClassNamesB5cxx11Ev"));
  ASSERT_NE(initialized, nullptr);
  ASSERT_NE(coreInitialized, nullptr);
  ASSERT_NE(names, nullptr);
  EXPECT_TRUE(initialized());
  EXPECT_TRUE(coreInitialized()) << "the core starts before the UI units";
  std::vector<std::string> registered = names();
  for (const char* cls : VYR_UI_REGISTERED_CLASSES)
    EXPECT_NE(std::find(registered.begin(), registered.end(), cls), registered.end()) << cls;
  EXPECT_EQ(dlclose(lib), 0);
}
#endif
