// The component library loaded, unloaded and loaded again in one process, as
// a host does when it reloads its component libraries: its classes are
// registered while it is loaded, gone after it is unloaded, and a form made
// after the second load works.
#include <dlfcn.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QWidget>

#include "ClassRegistry.h"
#include "vyrcompf.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

const char* const kClasses[] = {"TAmbientComp",  "TAmbientForm",  "TInletComp",      "TInletForm",
                                "TDuctComp",     "TDuctForm",     "TCompressorComp", "TCompressorForm",
                                "TSplitterComp", "TSplitterForm", "TBurnerComp",     "TBurnerForm",
                                "TTurbineComp",  "TTurbineForm",  "TNozzleComp",     "TNozzleForm",
                                "TShaftComp",    "TShaftForm"};

bool Loaded() {
  void* h = dlopen(VYR_GASPATH_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  if (h != nullptr) dlclose(h);
  return h != nullptr;
}

int RegisteredCount() {
  int n = 0;
  for (const char* c : kClasses) n += FindClass(c) != nullptr ? 1 : 0;
  return n;
}

// A compressor icon made by class name, with its form, as a model file makes it.
void MakeAndUseCompressor() {
  QWidget canvas;
  auto* icon = CreateRegisteredClass<TVYRcomp>("TCompressorComp", &canvas);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->Formclassname(), "TCompressorForm");
  ASSERT_NE(icon->GetLink(ltIn1), nullptr);
  ASSERT_NE(icon->GetLink(ltOut1), nullptr);
  ASSERT_TRUE(icon->CompformCreate());
  TVYRcompform* form = icon->Compform;
  form->SetPropertyValue("PRdes", 4.5);
  EXPECT_EQ(form->GetPropertyValue("PRdes : Double"), 4.5);
  EXPECT_TRUE(form->ValidateInputData());
}

TEST(GaspathLibrary, LoadUnloadLoad) {
  ASSERT_FALSE(Loaded()) << "the test program must not link the library";
  ASSERT_EQ(RegisteredCount(), 0);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE("load " + std::to_string(round + 1));
    void* lib = dlopen(VYR_GASPATH_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    EXPECT_EQ(RegisteredCount(), static_cast<int>(std::size(kClasses)));
    MakeAndUseCompressor();
    ASSERT_EQ(dlclose(lib), 0);
    EXPECT_FALSE(Loaded()) << "unloaded";
    EXPECT_EQ(RegisteredCount(), 0) << "every class unregistered";
    EXPECT_EQ(FindClass("TVYRcompform") != nullptr, true) << "the base classes stay";
  }
}

}  // namespace
}  // namespace vyr
