// The canvas demo's model file: saving the canvas keeps everything else the
// file holds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <QDir>

#include "CanvasView.h"
#include "VyrNativeXml.h"
#include "common/RecordingHandler.h"

namespace vyr {
namespace {

using test::RecordingHandler;

// A model file with a second configuration, a form of a class that is not
// loaded on the canvas, and an element no part of this program knows.
const char* const kModel = R"(<?xml version="1.0" encoding="UTF-8"?>
<VYRmodel>
  <BaseCfg>
    <Components>
      <TVYRcomp ID="Unknown1" FormClassName="TNoSuchForm" CompType="ctModelComp">
        <Icon><ClassName>TVYRcomp</ClassName><Left>500</Left><Top>10</Top><Width>70</Width><Height>70</Height></Icon>
        <FormField>kept form data</FormField>
      </TVYRcomp>
    </Components>
    <HostSettings Mode="fast">unknown to the canvas</HostSettings>
    <Config ID="Variant">
      <Components><TVYRcomp ID="OnlyInVariant"/></Components>
    </Config>
  </BaseCfg>
</VYRmodel>
)";

class CanvasViewFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::path(QDir::tempPath().toStdString()) /
           ("vyr_canvasview_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const char* name, const char* text) {
    const std::filesystem::path p = dir_ / name;
    std::ofstream(p) << text;
    return p.string();
  }
  std::filesystem::path dir_;
};

// The other configuration and the unknown element are there after a save.
void ExpectOtherContentKept(const std::string& file) {
  TVyrXmlDocument saved;
  ASSERT_TRUE(saved.LoadFromFile(file));
  TVyrXmlNode base = saved.Root().child("BaseCfg");
  EXPECT_EQ(std::string(base.child("HostSettings").attribute("Mode").value()), "fast");
  EXPECT_TRUE(base.child("Config").child("Components").find_child_by_attribute("TVYRcomp", "ID", "OnlyInVariant"));
}

TEST_F(CanvasViewFile, LoadedModelSavesWithEverythingElse) {
  RecordingHandler rec;  // the unknown form class is reported
  const std::string in = Write("model.mdl", kModel);
  demo::TCanvasView view;
  ASSERT_TRUE(view.LoadFromFile(in));
  ASSERT_EQ(view.Comps().size(), 1u);
  view.Comps()[0]->move(520, 20);
  const std::string out = (dir_ / "copy.mdl").string();
  ASSERT_TRUE(view.SaveToFile(out));
  ExpectOtherContentKept(out);
  TVyrXmlDocument saved;
  ASSERT_TRUE(saved.LoadFromFile(out));
  TVyrXmlNode unknown(
      saved.Root().child("BaseCfg").child("Components").find_child_by_attribute("TVYRcomp", "ID", "Unknown1"));
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown.ValueFromNodeAsStringDef("FormField", ""), "kept form data") << "a form not loaded keeps its data";
  EXPECT_EQ(TVyrXmlNode(unknown.child("Icon")).ValueFromNodeAsFloatDef("Left", -1), 520);
}

// A new canvas saved over a model file replaces that file's canvas only.
TEST_F(CanvasViewFile, NewCanvasSavedIntoAModelFile) {
  RecordingHandler rec;
  const std::string in = Write("model.mdl", kModel);
  demo::TCanvasView view;
  view.BuildSampleEngine();
  ASSERT_TRUE(view.SaveToFile(in));
  ExpectOtherContentKept(in);
  TVyrXmlDocument saved;
  ASSERT_TRUE(saved.LoadFromFile(in));
  pugi::xml_node list = saved.Root().child("BaseCfg").child("Components");
  EXPECT_TRUE(list.find_child_by_attribute("TVYRcomp", "ID", "HPC"));
  EXPECT_FALSE(list.find_child_by_attribute("TVYRcomp", "ID", "Unknown1")) << "not on the canvas that was saved";
}

TEST_F(CanvasViewFile, AFileThatIsNoModelIsNotOverwritten) {
  RecordingHandler rec;
  const std::string notes = Write("notes.txt", "not a model file");
  demo::TCanvasView view;
  view.BuildSampleEngine();
  EXPECT_FALSE(view.SaveToFile(notes));
  std::ifstream f(notes);
  std::stringstream text;
  text << f.rdbuf();
  EXPECT_EQ(text.str(), "not a model file");
}

}  // namespace
}  // namespace vyr
