// The example model files are real model files: they are what the engines
// built on a canvas save, they load with every icon linked to its neighbours
// at equal station numbers, and they save back unchanged.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <QWidget>

#include "EngineModels.h"
#include "GaspathTestEnv.h"
#include "VyrNativeXml.h"
#include "common/RecordingHandler.h"
#include "vyrcompf.h"

namespace vyr {
namespace {

struct TModelCase {
  const char* name;
  const char* file;
  std::vector<TVYRcomp*> (*build)(QWidget*);
  std::string extra;
  int components;
};

void PrintTo(const TModelCase& c, std::ostream* os) { *os << c.name; }

std::vector<TVYRcomp*> BuildTurbojetOnMaps(QWidget* canvas) {
  return examples::BuildTurbojetOnMaps(canvas, VYR_EXAMPLES_DIR);
}

const TModelCase kModels[] = {
    {"Turbojet", "turbojet.xml", &examples::BuildTurbojet, examples::kTurbojetCases, 7},
    {"Turbofan", "turbofan.xml", &examples::BuildTurbofan, "", 18},
    {"TurbojetOnMaps", "turbojet-maps.xml", &BuildTurbojetOnMaps, "", 7},
};

std::string FileText(const std::string& name) {
  std::ifstream in(std::string(VYR_EXAMPLES_DIR) + "/" + name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class ExampleModel : public ::testing::TestWithParam<TModelCase> {};

TEST_P(ExampleModel, IsWhatTheBuiltEngineSaves) {
  QWidget canvas;
  EXPECT_EQ(FileText(GetParam().file), examples::ModelFileText(GetParam().build(&canvas), GetParam().extra))
      << "regenerate with gaspath_models examples";
}

TEST_P(ExampleModel, LoadsLinkedAndSavesBackEqual) {
  const std::string text = FileText(GetParam().file);
  TVyrXmlDocument doc;
  ASSERT_TRUE(doc.LoadFromString(text, GetParam().file));
  test::RecordingHandler rec;
  QWidget canvas;
  const std::vector<TVYRcomp*> comps = ReadCompsFromXML(doc.Root().RefModelRoot(), &canvas);
  ASSERT_EQ(static_cast<int>(comps.size()), GetParam().components);
  EXPECT_FALSE(LinkAllComps(comps)) << "linked numbers agree: nothing asked";
  std::map<int, int> outlets;  // station number -> gas outlets that carry it
  for (TVYRcomp* c : comps) {
    ASSERT_NE(c->Compform, nullptr) << c->objectName().toStdString();
    EXPECT_TRUE(c->AllLinked()) << c->objectName().toStdString();
    EXPECT_TRUE(c->SetModelLinks(true)) << c->objectName().toStdString();
    for (TVYRLink* l : c->Links()) {
      TVYRLink* far = nullptr;
      ASSERT_NE(l->OtherModelComp(far), nullptr);
      EXPECT_EQ(far->Station(), l->Station()) << c->objectName().toStdString();
      if (l->Ltype() == ltOut1 || l->Ltype() == ltOut2) ++outlets[static_cast<int>(l->Station())];
    }
  }
  for (auto [station, n] : outlets) EXPECT_EQ(n, 1) << "station " << station << " is the outlet of one component";
  EXPECT_TRUE(rec.messages.empty());
  WriteCompsToXML(comps, doc.Root().RefModelRoot());
  EXPECT_EQ(doc.SaveToString(), text);
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleModel, ::testing::ValuesIn(kModels),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vyr
