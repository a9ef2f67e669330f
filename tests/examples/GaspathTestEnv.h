// Test programs of the component library load it once, as a host does, before
// their first test; it stays loaded to the end of the process.
#pragma once

#include <dlfcn.h>

#include <gtest/gtest.h>

namespace vyr::test {

class GaspathLibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    handle_ = dlopen(VYR_GASPATH_LIBRARY, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    ASSERT_NE(handle_, nullptr) << dlerror();
  }

 private:
  void* handle_ = nullptr;
};

// Registered before main runs.
inline ::testing::Environment* const kGaspathLibrary =
    ::testing::AddGlobalTestEnvironment(new GaspathLibraryEnvironment);

}  // namespace vyr::test
