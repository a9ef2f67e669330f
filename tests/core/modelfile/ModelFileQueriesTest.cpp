#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "VyrNativeXml.h"
#include "common/RecordingHandler.h"
#include "modelfile/ModelFileTestUtil.h"

namespace vyr {
namespace {

using test::Select;

class ModelFileQueries : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(model.LoadFromFile(test::DataFile("model.xml"))) << model.LastError(); }

  TVyrXmlNode At(const char* xpath) { return Select(model.Document(), xpath); }

  test::RecordingHandler rec;
  TVyrXmlDocument model;
};

TEST(ModelFileNames, ModelLevelElementsInOptionOrder) {
  EXPECT_EQ(CfgReadComponent_ids[crcNotes], "Notes");
  EXPECT_EQ(CfgReadComponent_ids[crcAmbConditions], "AmbConditions");
  EXPECT_EQ(CfgReadComponent_ids[crcThermoDynOptions], "ThermoDynOptions");
  EXPECT_EQ(CfgReadComponent_ids[crcXYGraphSets], "XYGraphSets");
}

TEST_F(ModelFileQueries, ConfigurationNodesAreNamedExactly) {
  struct Row {
    const char* xpath;
    bool isCase, isConfig, isCfg;
  };
  const Row rows[] = {
      {"//Case[@ID='HotDay']", true, false, true},
      {"//Config[@ID='Cruise']", false, true, true},
      {"/VYRmodel/BaseCfg", false, false, true},
      {"//case[@ID='lower']", false, false, false},
      {"/VYRmodel/BaseCfg/Components", false, false, false},
      {"/VYRmodel", false, false, false},
  };
  for (const Row& r : rows) {
    const TVyrXmlNode n = At(r.xpath);
    EXPECT_EQ(n.IsCaseNode(), r.isCase) << r.xpath;
    EXPECT_EQ(n.IsConfigNode(), r.isConfig) << r.xpath;
    EXPECT_EQ(n.IsCfgNode(), r.isCfg) << r.xpath;
  }
  const TVyrXmlNode null;
  EXPECT_FALSE(null.IsCaseNode() || null.IsConfigNode() || null.IsCfgNode());
}

TEST_F(ModelFileQueries, CfgRootNodeIsTheNearestConfigurationNode) {
  struct Row {
    const char* xpath;
    const char* cfg;  // nullptr: no configuration node
  };
  const Row rows[] = {
      {"//Case[@ID='HotDay']/Components/TVYRcomp[@ID='Inlet']/Data/PRdes", "//Case[@ID='HotDay']"},
      {"//Case[@ID='HotDay']", "//Case[@ID='HotDay']"},
      {"//Config[@ID='Cruise']/AmbConditions", "//Config[@ID='Cruise']"},
      {"/VYRmodel/BaseCfg/Components/TVYRcomp[@ID='Link1']", "/VYRmodel/BaseCfg"},
      {"//case[@ID='lower']/Components", "//Config[@ID='TakeOff']"},  // "case" is no configuration
      {"/VYRmodel/Notes", nullptr},
      {"/VYRmodel", nullptr},
  };
  for (const Row& r : rows) {
    const TVyrXmlNode expected = r.cfg ? At(r.cfg) : TVyrXmlNode();
    EXPECT_EQ(At(r.xpath).CfgRootNode(), expected) << r.xpath;
  }
  EXPECT_FALSE(model.DocumentNode().CfgRootNode());
  EXPECT_FALSE(TVyrXmlNode().CfgRootNode());
}

TEST(ModelFileRefModel, BaseCfgBeforeReferenceModel) {
  struct Row {
    const char* xml;
    const char* found;  // name of the element found, "" for none
  };
  const Row rows[] = {
      {"<m><BaseCfg/></m>", "BaseCfg"},
      {"<m><ReferenceModel/></m>", "ReferenceModel"},
      {"<m><ReferenceModel/><BaseCfg/></m>", "BaseCfg"},
      {"<m><basecfg/><Config/></m>", ""},
      {"<m><x><BaseCfg/></x></m>", ""},  // only children of the root element count
  };
  for (const Row& r : rows) {
    pugi::xml_document doc;
    test::ParseXml(doc, r.xml);
    // Any node of the document finds the same element.
    for (const TVyrXmlNode n : test::AllElements(doc)) EXPECT_STREQ(n.RefModelRoot().name(), r.found) << r.xml;
  }
  EXPECT_FALSE(TVyrXmlNode().RefModelRoot());
}

TEST_F(ModelFileQueries, ChildConfigurationsAndComponents) {
  EXPECT_TRUE(At("//Config[@ID='Cruise']").HasChildCaseNode());
  EXPECT_FALSE(At("//Config[@ID='Cruise']").HasChildConfigNode());
  EXPECT_TRUE(At("/VYRmodel/BaseCfg").HasChildConfigNode());
  EXPECT_FALSE(At("/VYRmodel/BaseCfg").HasChildCaseNode());
  pugi::xml_document doc;
  test::ParseXml(doc, "<m><BaseCfg><Config><case/><Components><Case/></Components></Config></BaseCfg></m>");
  EXPECT_FALSE(Select(doc, "//Config").HasChildCaseNode());  // "case" is not "Case"; grandchildren do not count

  const TVyrXmlNode base = At("/VYRmodel/BaseCfg");
  const TVyrXmlNode cruise = At("//Config[@ID='Cruise']");
  EXPECT_TRUE(base.HasChildVYRComponent("compressor"));
  EXPECT_TRUE(base.HasChildVYRComponent("\xC3\xB6LK\xC3\x9CHLER"));  // öLKÜHLER
  EXPECT_TRUE(base.HasChildVYRComponent("Nozzle"));                  // anywhere below
  EXPECT_FALSE(base.HasChildVYRComponent("Missing"));
  EXPECT_TRUE(cruise.HasChildVYRComponent("Inlet"));  // in its case HotDay
  EXPECT_FALSE(cruise.HasChildVYRComponent("Burner"));
  EXPECT_FALSE(TVyrXmlNode().HasChildVYRComponent("Inlet"));
}

TEST_F(ModelFileQueries, HasParentVYRComponentTestsEveryEnclosingLevel) {
  const TVyrXmlNode hotDay = At("//Case[@ID='HotDay']");
  EXPECT_TRUE(hotDay.HasParentVYRComponent("Compressor", ctModelComp));  // in Cruise
  EXPECT_TRUE(hotDay.HasParentVYRComponent("inlet", ctModelComp));       // in BaseCfg only
  EXPECT_TRUE(hotDay.HasParentVYRComponent("Link1", ctLineLink));
  EXPECT_FALSE(hotDay.HasParentVYRComponent("Link1", ctModelComp));
  EXPECT_FALSE(hotDay.HasParentVYRComponent("Compressor", ctLineLink));  // found on every level, other type
  EXPECT_FALSE(hotDay.HasParentVYRComponent("Burner", ctModelComp));     // in another configuration
  EXPECT_FALSE(At("/VYRmodel").HasParentVYRComponent("Inlet", ctModelComp));
  EXPECT_FALSE(model.DocumentNode().HasParentVYRComponent("Inlet", ctModelComp));
  EXPECT_FALSE(TVyrXmlNode().HasParentVYRComponent("Inlet", ctModelComp));

  pugi::xml_document doc;
  test::ParseXml(doc,
                 "<m><BaseCfg><Components><TVYRcomp ID='a' CompType='ctNoGpLink'/><TVYRcomp ID='b' CompType='bogus'/>"
                 "</Components><Config/></BaseCfg></m>");
  EXPECT_TRUE(Select(doc, "//Config").HasParentVYRComponent("A", ctNoGpLink));
  EXPECT_FALSE(Select(doc, "//Config").HasParentVYRComponent("b", ctModelComp));  // unknown type name
}

class ModelFileSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ParseXml(doc,
                   "<r><a ID='1'>one</a><!-- not counted --><b/><a>no id</a><a ID='2' K='x'><c ID='9'/></a>"
                   "<d><a ID='3' K='y'/></d></r>");
    r = Select(doc, "/r");
  }
  pugi::xml_document doc;
  TVyrXmlNode r;
};

TEST_F(ModelFileSearch, NodeByNameAndAttributeValue) {
  struct Row {
    const char *name, *attr, *value;
    bool recursive, acceptMissing;
    const char* expected;  // XPath of the result, nullptr for none
  };
  const Row rows[] = {
      {"a", "", "", false, false, "/r/a[1]"},     // no attribute: the first of the name
      {"A", "ID", "2", false, false, "/r/a[3]"},  // names fold case
      {"a", "ID", "3", false, false, nullptr},    {"a", "ID", "3", true, false, "/r/d/a"},
      {"a", "ID", "7", false, false, nullptr},    {"a", "ID", "7", false, true, "/r/a[2]"},  // the one without ID
      {"c", "ID", "9", true, false, "/r/a[3]/c"},  // inside a child that does not match
      {"c", "id", "9", true, false, nullptr},      // attribute names are exact
      {"x", "", "", true, true, nullptr},
  };
  for (const Row& row : rows) {
    const TVyrXmlNode expected = row.expected ? Select(doc, row.expected) : TVyrXmlNode();
    EXPECT_EQ(r.NodeByName_and_AttributeValue(row.name, row.attr, row.value, row.recursive, row.acceptMissing),
              expected)
        << row.name << ' ' << row.attr << '=' << row.value;
  }
  EXPECT_FALSE(TVyrXmlNode().NodeByName_and_AttributeValue("a", "", "", true, true));
}

TEST_F(ModelFileSearch, NodeBy2AttributesAnd2Values) {
  EXPECT_EQ(r.NodeBy2AttributesAnd2Values("a", "ID", "2", "K", "X", false), Select(doc, "/r/a[3]"));
  EXPECT_FALSE(r.NodeBy2AttributesAnd2Values("a", "ID", "3", "K", "y", false));
  EXPECT_EQ(r.NodeBy2AttributesAnd2Values("a", "ID", "3", "K", "y", true), Select(doc, "/r/d/a"));
  EXPECT_FALSE(r.NodeBy2AttributesAnd2Values("a", "ID", "1", "K", "", true));  // both attributes must exist
}

TEST_F(ModelFileSearch, NodeIndexCountsElementsAndAcceptsAMissingAttribute) {
  EXPECT_EQ(r.NodeIndexByName_and_Attribute("a", "", ""), 0);
  EXPECT_EQ(r.NodeIndexByName_and_Attribute("a", "ID", "2"), 2);  // the a without ID comes first
  EXPECT_EQ(r.NodeIndexByName_and_Attribute("A", "ID", "1"), 0);
  EXPECT_EQ(r.NodeIndexByName_and_Attribute("d", "ID", "1"), 4);
  EXPECT_EQ(r.NodeIndexByName_and_Attribute("zz", "", ""), -1);
  EXPECT_EQ(TVyrXmlNode().NodeIndexByName_and_Attribute("a", "", ""), -1);
}

TEST_F(ModelFileQueries, FindNodesCollectsDescendantsInDocumentOrder) {
  TXmlNodeList list;
  At("/VYRmodel/BaseCfg").FindNodes_by_Name_and_AttributeValue("tvyrcomp", "ID", "COMPRESSOR", list);
  const TXmlNodeList expected{At("/VYRmodel/BaseCfg/Components/TVYRcomp[@ID='Compressor']"),
                              At("//Config[@ID='Cruise']/Components/TVYRcomp"),
                              At("//Case[@ID='HotDay']/Components/TVYRcomp[@ID='Compressor']")};
  EXPECT_EQ(list, expected);

  // The element itself is not tested; a list is emptied even when nothing matches.
  const TVyrXmlNode compressor = expected[0];
  compressor.FindNodes_by_Name_and_AttributeValue("TVYRcomp", "ID", "Compressor", list);
  EXPECT_TRUE(list.empty());
  list = expected;
  TVyrXmlNode().FindNodes_by_Name_and_AttributeValue("TVYRcomp", "ID", "Compressor", list);
  EXPECT_TRUE(list.empty());
  // Elements without the attribute do not match.
  At("/VYRmodel/BaseCfg").FindNodes_by_Name_and_AttributeValue("TVYRcomp", "ID", "", list);
  EXPECT_TRUE(list.empty());
}

TEST_F(ModelFileQueries, ComponentByFormClassName) {
  const TVyrXmlNode base = At("/VYRmodel/BaseCfg");
  EXPECT_EQ(base.VYRcompXmlNodeByFormClassNameFromCfg("tcompressorform", false),
            At("/VYRmodel/BaseCfg/Components/TVYRcomp[@ID='Compressor']"));
  EXPECT_FALSE(base.VYRcompXmlNodeByFormClassNameFromCfg("TBurnerForm", false));
  EXPECT_EQ(base.VYRcompXmlNodeByFormClassNameFromCfg("TBurnerForm", true), At("//TVYRcomp[@ID='Burner']"));
  EXPECT_FALSE(base.VYRcompXmlNodeByFormClassNameFromCfg("TNozzleForm", true));  // below "case" only
  // Depth first: Cruise's own case before the next configuration.
  EXPECT_EQ(At("//Config[@ID='Cruise']").VYRcompXmlNodeByFormClassNameFromCfg("TInletForm", true),
            At("//Case[@ID='HotDay']/Components/TVYRcomp[@ID='Inlet']"));
  EXPECT_FALSE(TVyrXmlNode().VYRcompXmlNodeByFormClassNameFromCfg("TInletForm", true));
  try {
    At("/VYRmodel/BaseCfg/Components").VYRcompXmlNodeByFormClassNameFromCfg("TInletForm", true);
    ADD_FAILURE() << "no exception";
  } catch (const VYRexception& e) {
    EXPECT_STREQ(e.what(), "VYRcompByFormClassNameFromCfg called fron invalid Xml node");
  }
  EXPECT_THROW(At("//case").VYRcompXmlNodeByFormClassNameFromCfg("TNozzleForm", false), VYRexception);
}

TEST_F(ModelFileQueries, ValuesWithDefaults) {
  const TVyrXmlNode amb = At("/VYRmodel/BaseCfg/AmbConditions");
  EXPECT_EQ(amb.ValueFromNodeAsFloatDef("Altitude", -1.0), 0.0);
  EXPECT_EQ(amb.ValueFromNodeAsFloatDef("dTisa", 7.5), 7.5);  // no number
  EXPECT_EQ(amb.ValueFromNodeAsFloatDef("Missing", 3.0), 3.0);
  EXPECT_EQ(amb.ValueFromNodeAsFloatDef("altitude", 3.0), 3.0);  // child names are exact
  EXPECT_EQ(amb.ValueFromNodeAsStringDef("dTisa", "x"), "warm");
  EXPECT_EQ(amb.ValueFromNodeAsStringDef("Missing", "default"), "default");
  EXPECT_TRUE(amb.ValueFromNodeAsBoolDef("ISA", false));
  EXPECT_TRUE(amb.ValueFromNodeAsBoolDef("Missing", true));
  EXPECT_EQ(At("//TVYRcomp[not(@ID)]").ValueFromNodeAsStringDef("Text", ""), "Free note <not markup>");  // CDATA
  EXPECT_EQ(TVyrXmlNode().ValueFromNodeAsFloatDef("Altitude", 2.0), 2.0);
}

TEST(ModelFileValues, TextConversions) {
  struct Row {
    const char* text;
    std::optional<double> number;  // nothing: the default
    std::optional<bool> boolean;   // nothing: the default
  };
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Row rows[] = {
      {"1.5", 1.5, true}, {" 1.5\n", 1.5, true}, {"+2", 2.0, true},  {"-3e2", -300.0, true}, {".25", 0.25, true},
      {"0", 0.0, false},  {"0.0", 0.0, false},   {"1,5", {}, {}},    {"", {}, {}},           {"1.5x", {}, {}},
      {"0x10", {}, {}},   {"+-1", {}, {}},       {"INF", inf, true}, {"-INF", -inf, true},   {"NAN", nan, {}},
      {"TRUE", {}, true}, {"False", {}, false},  {"yes", {}, true},  {"NO", {}, false},      {"maybe", {}, {}},
  };
  for (const Row& row : rows) {
    pugi::xml_document doc;
    pugi::xml_node v = doc.append_child("r").append_child("v");
    if (*row.text) v.text().set(row.text);
    const TVyrXmlNode r = doc.child("r");
    const double n = r.ValueFromNodeAsFloatDef("v", 42.0);
    if (row.number && std::isnan(*row.number))
      EXPECT_TRUE(std::isnan(n)) << row.text;
    else
      EXPECT_EQ(n, row.number.value_or(42.0)) << '"' << row.text << '"';
    for (bool d : {false, true})
      EXPECT_EQ(r.ValueFromNodeAsBoolDef("v", d), row.boolean.value_or(d)) << '"' << row.text << '"';
    EXPECT_EQ(r.ValueFromNodeAsStringDef("v", "def"), row.text);
  }
}

TEST_F(ModelFileQueries, CreateAndDelete) {
  TVyrXmlNode comps = At("/VYRmodel/BaseCfg/Components");
  const TVyrXmlNode added = comps.NodeNew_withIDattr("TVYRcomp", "Nozzle");
  ASSERT_TRUE(added);
  EXPECT_EQ(added.parent(), comps);
  EXPECT_EQ(test::Xml(added), "<TVYRcomp ID=\"Nozzle\"/>");
  EXPECT_EQ(comps.last_child(), added);
  EXPECT_FALSE(TVyrXmlNode().NodeNew_withIDattr("x", "1"));

  TVyrXmlNode base = At("/VYRmodel/BaseCfg");
  base.TryDeleteNodeByName("genoptions");  // exact names: nothing happens
  EXPECT_TRUE(base.child("GenOptions"));
  base.TryDeleteNodeByName("GenOptions");
  EXPECT_FALSE(base.child("GenOptions"));
  const std::string before = test::Xml(base);
  base.TryDeleteNodeByName("Missing");
  EXPECT_EQ(test::Xml(base), before);
  TVyrXmlNode().TryDeleteNodeByName("GenOptions");
}

TEST_F(ModelFileQueries, ConfigCaseAttributeDeleteEntersConfigsAndCasesOnly) {
  auto selected = [&] {
    std::string names;
    for (const pugi::xpath_node& x : model.Document().select_nodes("//*[@Selected]")) {
      names += x.node().name();
      names += ' ';
    }
    return names;
  };
  ASSERT_EQ(selected(), "BaseCfg Config Case Config Case case ");
  TVyrXmlNode base = At("/VYRmodel/BaseCfg");
  base.ConfigCaseAttributeDelete("Selected", false);
  EXPECT_EQ(selected(), "Config Case Config Case case ");
  base.ConfigCaseAttributeDelete("Selected", true);
  EXPECT_EQ(selected(), "case ");  // "case" is neither "Config" nor "Case"

  pugi::xml_document doc;
  test::ParseXml(doc, "<m><BaseCfg x='1'><Components><Config x='2'/></Components><Config x='3' x='4'/></BaseCfg></m>");
  const std::string before = test::Xml(doc);
  Select(doc, "/m").ConfigCaseAttributeDelete("x", true);  // BaseCfg is not entered
  EXPECT_EQ(test::Xml(doc), before);
  Select(doc, "/m/BaseCfg").ConfigCaseAttributeDelete("x", true);  // every x of a Config, none inside Components
  EXPECT_EQ(test::Xml(doc), "<m><BaseCfg><Components><Config x=\"2\"/></Components><Config/></BaseCfg></m>");
}

}  // namespace
}  // namespace vyr
