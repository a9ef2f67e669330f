#include <gtest/gtest.h>

#include <string>

#include "VyrNativeXml.h"
#include "common/RecordingHandler.h"
#include "modelfile/ModelFileTestUtil.h"

namespace vyr {
namespace {

using test::Select;

class ModelFilePaths : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(model.LoadFromFile(test::DataFile("model.xml"))) << model.LastError(); }

  TVyrXmlNode At(const char* xpath) { return Select(model.Document(), xpath); }

  test::RecordingHandler rec;
  TVyrXmlDocument model;
};

TEST_F(ModelFilePaths, IDPathNamesEachLevelByNameAndID) {
  const TVyrXmlNode comp = At("//Case[@ID='HotDay']/Components/TVYRcomp[@ID='Compressor']");
  const TVyrXmlNode hotDay = At("//Case[@ID='HotDay']");
  EXPECT_EQ(comp.GetIDPath(hotDay), "/Components/TVYRcomp:Compressor");
  EXPECT_EQ(comp.GetCfgIDPath(), "/Components/TVYRcomp:Compressor");
  EXPECT_EQ(comp.GetIDPath(model.DocumentNode()),
            "/VYRmodel/BaseCfg/Config:Cruise/Case:HotDay/Components/TVYRcomp:Compressor");
  // A root node that is no ancestor: the path starts at the root element.
  EXPECT_EQ(comp.GetIDPath(At("//Config[@ID='TakeOff']")), comp.GetIDPath(model.DocumentNode()));
  EXPECT_EQ(comp.GetIDPath(pugi::xml_node()), comp.GetIDPath(model.DocumentNode()));
  EXPECT_EQ(At("//TVYRcomp[not(@ID)]").GetCfgIDPath(), "/Components/TVYRcomp");
  EXPECT_EQ(hotDay.GetIDPath(hotDay), "");
  EXPECT_EQ(hotDay.GetCfgIDPath(), "");
  EXPECT_EQ(At("/VYRmodel/Notes").GetCfgIDPath(), "/VYRmodel/Notes");                       // no configuration node
  EXPECT_EQ(TVyrXmlNode(model.Document().first_child().next_sibling()).GetIDPath({}), "");  // a comment
  EXPECT_EQ(TVyrXmlNode().GetIDPath({}), "");
}

TEST_F(ModelFilePaths, FindNodebyIDPath) {
  const TVyrXmlNode cruise = At("//Config[@ID='Cruise']");
  const TVyrXmlNode comp = At("//Config[@ID='Cruise']/Components/TVYRcomp");
  EXPECT_EQ(cruise.FindNodebyIDPath("", cruise, {}), cruise);
  EXPECT_EQ(cruise.FindNodebyIDPath("/Components/TVYRcomp:Compressor", cruise, {}), comp);
  EXPECT_FALSE(cruise.FindNodebyIDPath("/Components/TVYRcomp:compressor", cruise, {}));             // paths are exact
  EXPECT_FALSE(cruise.FindNodebyIDPath("/Components/TVYRcomp:Compressor", cruise, comp.parent()));  // excluded
  EXPECT_FALSE(cruise.FindNodebyIDPath("/Components/TVYRcomp:Compressor/", cruise, {}));
  EXPECT_FALSE(cruise.FindNodebyIDPath("/Components/TVYRcomp", cruise, {}));
  EXPECT_FALSE(cruise.FindNodebyIDPath("Components", cruise, {}));
  // Paths relative to a root node above the element searched in.
  EXPECT_EQ(cruise.FindNodebyIDPath("/Config:Cruise/Components/TVYRcomp:Compressor", At("/VYRmodel/BaseCfg"), {}),
            comp);
  EXPECT_FALSE(TVyrXmlNode().FindNodebyIDPath("", {}, {}));
}

TEST_F(ModelFilePaths, IndexPathCountsElementsFromTheRootElement) {
  EXPECT_EQ(At("/VYRmodel").GetIndexPath(), ".0");
  EXPECT_EQ(At("/VYRmodel/BaseCfg").GetIndexPath(), ".0.1");
  EXPECT_EQ(At("/VYRmodel/BaseCfg/Components").GetIndexPath(), ".0.1.3");
  // The comment in front of the first component is no child element.
  EXPECT_EQ(At("/VYRmodel/BaseCfg/Components/TVYRcomp[@ID='Compressor']").GetIndexPath(), ".0.1.3.1");
  EXPECT_EQ(model.DocumentNode().GetIndexPath(), "");
  EXPECT_EQ(TVyrXmlNode().GetIndexPath(), "");

  const TVyrXmlNode doc = model.DocumentNode();
  EXPECT_EQ(doc.FindNodeByIndexPath(".0.1.3.1"), At("/VYRmodel/BaseCfg/Components/TVYRcomp[@ID='Compressor']"));
  for (const char* bad : {"", "0.1", ".0.1.99", ".00", ".0.", "..0", ".-1", ".+1", ".0x1", ".0.1 ", "/0"})
    EXPECT_FALSE(doc.FindNodeByIndexPath(bad)) << '"' << bad << '"';
  // Only elements below the one searched are found.
  EXPECT_FALSE(At("/VYRmodel/BaseCfg/Components").FindNodeByIndexPath(".0.1"));
  EXPECT_FALSE(TVyrXmlNode().FindNodeByIndexPath(".0"));
}

// GetIDPath/FindNodebyIDPath and GetIndexPath/FindNodeByIndexPath are inverse
// over every element of the fixtures.
TEST(ModelFilePathsInverse, OverEveryElementOfTheFixtures) {
  test::RecordingHandler rec;
  for (const char* file : {"model.xml", "refmodel.xml"}) {
    TVyrXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromFile(test::DataFile(file))) << doc.LastError();
    const TVyrXmlNode top = doc.DocumentNode();
    const auto all = test::AllElements(doc.Document());
    ASSERT_GT(all.size(), 10u);
    for (const TVyrXmlNode e : all) {
      const std::string id = e.GetIDPath(top);
      EXPECT_EQ(top.FindNodebyIDPath(id, top, {}), e) << file << ' ' << id;
      EXPECT_EQ(doc.Root().FindNodebyIDPath(e.GetIDPath(doc.Root()), doc.Root(), {}), e) << file << ' ' << id;
      if (const TVyrXmlNode cfg = e.CfgRootNode()) {
        EXPECT_EQ(cfg.FindNodebyIDPath(e.GetCfgIDPath(), cfg, {}), e) << file << ' ' << id;
      }
      const std::string index = e.GetIndexPath();
      EXPECT_EQ(top.FindNodeByIndexPath(index), e) << file << ' ' << index;
      if (e != doc.Root()) {
        EXPECT_EQ(doc.Root().FindNodeByIndexPath(index), e) << file << ' ' << index;
      }
    }
  }
  EXPECT_TRUE(rec.messages.empty());
}

TEST_F(ModelFilePaths, AncestorSubNodeLooksInTheEnclosingConfigurations) {
  struct Row {
    const char* xpath;
    const char* expected;  // nullptr: none
  };
  const Row rows[] = {
      // The enclosing configuration has the component.
      {"//Case[@ID='HotDay']/Components/TVYRcomp[@ID='Compressor']",
       "//Config[@ID='Cruise']/Components/TVYRcomp[@ID='Compressor']"},
      // It lacks it: the base configuration.
      {"//Case[@ID='HotDay']/Components/TVYRcomp[@ID='Inlet']", "/VYRmodel/BaseCfg/Components/TVYRcomp[@ID='Inlet']"},
      {"//Case[@ID='HotDay']/Components/TVYRcomp[@ID='Compressor']/Data/Eta",
       "/VYRmodel/BaseCfg/Components/TVYRcomp[@ID='Compressor']/Data/Eta"},
      {"//Case[@ID='HotDay']/AmbConditions/dTisa", "/VYRmodel/BaseCfg/AmbConditions/dTisa"},
      {"//Config[@ID='Cruise']/AmbConditions/Mach", "/VYRmodel/BaseCfg/AmbConditions/Mach"},
      {"//Case[@ID='Design']/Components/TVYRcomp[@ID='Burner']", nullptr},  // nowhere above
      {"/VYRmodel/BaseCfg/Components/TVYRcomp[@ID='Inlet']", nullptr},      // nothing encloses the base
      {"//case/Components/TVYRcomp", nullptr},                              // "case" is no configuration
      {"/VYRmodel/Notes", nullptr},
      {"//Case[@ID='HotDay']", "//Config[@ID='Cruise']"},  // a configuration: the enclosing one
      {"/VYRmodel/BaseCfg", "/VYRmodel"},                   // the base: the element enclosing it
  };
  for (const Row& r : rows) {
    const TVyrXmlNode expected = r.expected ? At(r.expected) : TVyrXmlNode();
    EXPECT_EQ(At(r.xpath).AncestorSubNode(), expected) << r.xpath;
  }
  EXPECT_FALSE(TVyrXmlNode().AncestorSubNode());

  TVyrXmlDocument old;
  ASSERT_TRUE(old.LoadFromFile(test::DataFile("refmodel.xml"))) << old.LastError();
  EXPECT_EQ(Select(old.Document(), "//Config/Components/TVYRcomp[@ID='Inlet']/Data/PRdes").AncestorSubNode(),
            Select(old.Document(), "/VYRmodel/ReferenceModel/Components/TVYRcomp[@ID='Inlet']/Data/PRdes"));
}

// IDs and names of the configuration's elements match those of the enclosing
// configurations as every lookup by ID matches them: without regard to case,
// with Unicode case folding.
TEST_F(ModelFilePaths, AncestorSubNodeIgnoresCase) {
  pugi::xml_document doc;
  test::ParseXml(doc,
                 "<m><BaseCfg><Components>"
                 "<TVYRcomp ID='Fan'><Data><PR>1.6</PR></Data></TVYRcomp>"
                 "<TVYRcomp ID='\xC3\x96lk\xC3\xBChler'><Data ID='Main'><T>300</T></Data></TVYRcomp>"
                 "<TVYRcomp ID='Stra\xC3\x9F' />"
                 "<TVYRcomp><Data><PR>2</PR></Data></TVYRcomp>"
                 "</Components>"
                 "<Config ID='c'><components>"
                 "<TVYRcomp ID='fan'><data><PR>1.7</PR></data></TVYRcomp>"
                 "<TVYRcomp ID='\xC3\xB6LK\xC3\x9CHLER'><Data ID='MAIN'><t>310</t></Data></TVYRcomp>"
                 "<TVYRcomp ID='STRASS' />"
                 "<TVYRcomp ID=''><Data><PR>3</PR></Data></TVYRcomp>"
                 "</components></Config></BaseCfg></m>");
  const struct {
    const char* xpath;
    const char* expected;  // nullptr: none
  } rows[] = {
      {"//Config//TVYRcomp[@ID='fan']/data/PR", "/m/BaseCfg/Components/TVYRcomp[@ID='Fan']/Data/PR"},
      {"//Config//TVYRcomp[@ID='fan']", "/m/BaseCfg/Components/TVYRcomp[@ID='Fan']"},
      {"//Config//Data[@ID='MAIN']/t", "/m/BaseCfg/Components/TVYRcomp[2]/Data/T"},
      {"//Config//TVYRcomp[@ID='STRASS']", "/m/BaseCfg/Components/TVYRcomp[3]"},  // ß folds to ss
      // An "ID", even an empty one, is no match for an element without one.
      {"//Config//TVYRcomp[@ID='']/Data/PR", nullptr},
  };
  for (const auto& r : rows) {
    const TVyrXmlNode expected = r.expected ? Select(doc, r.expected) : TVyrXmlNode();
    EXPECT_EQ(Select(doc, r.xpath).AncestorSubNode(), expected) << r.xpath;
  }
}

}  // namespace
}  // namespace vyr
