// Icons and links in the model file: a saved and reloaded engine equals the
// original, and bad elements are reported without losing the rest.
#include <gtest/gtest.h>

#include <ostream>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <QLabel>
#include <QWidget>

#include "SampleEngine.h"
#include "common/RecordingHandler.h"
#include "vyrcompl.h"

namespace vyr {
namespace {

using test::RecordingHandler;

// Every connection as (icon, link) -> (icon, link), every station, and every
// resolved far component of the canvas.
struct CanvasPicture {
  std::map<std::string, std::string> connections;
  std::map<std::string, double> stations;
  std::map<std::string, std::string> modelLinks;
  bool operator==(const CanvasPicture&) const = default;
};

std::string Key(const TVYRLink* l) {
  return (l->Icon() ? l->Icon()->objectName().toStdString() : "?") + "." + l->objectName().toStdString();
}

CanvasPicture Picture(const std::vector<TVYRcomp*>& comps) {
  CanvasPicture p;
  for (TVYRcomp* c : comps) {
    for (TVYRLink* l : c->Links()) {
      p.stations[Key(l)] = l->Station();
      if (l->Linked && l->Otherlink) p.connections[Key(l)] = Key(l->Otherlink);
    }
    c->SetModelLinks(false);
    for (TLinktype t : {ltIn1, ltIn2, ltOut1, ltOut2, ltCtrlin})
      if (TVYRcomp* far = c->GetLinkedVYRcomp(t))
        p.modelLinks[c->objectName().toStdString() + "." + LinktypeName(t)] = far->objectName().toStdString();
  }
  return p;
}

class CanvasXml : public ::testing::Test {
 protected:
  void SetUp() override {
    sample::RegisterSampleIcons();
    root_ = doc_.append_child("VYRmodel");
    cfg_ = root_.append_child("BaseCfg");
  }
  pugi::xml_document doc_;
  TVyrXmlNode root_;
  TVyrXmlNode cfg_;
};

TEST_F(CanvasXml, DemoEngineRoundTrip) {
  RecordingHandler rec;
  QWidget canvas;
  std::vector<TVYRcomp*> comps = sample::BuildEngine(&canvas);
  // Something of everything the file holds: a rotated icon, a station string,
  // priorities at each value, a hidden port and the published flags.
  TVYRcomp* spare = sample::Place(new sample::TCompressorIcon(&canvas), "Spare", {500, 300}, 9, 10, 9);
  spare->SetRotAngle(90);
  spare->GetLink(ltOut1)->SetStationString("10a");
  spare->GetLink(ltOut1)->SetCalcOrderPriority(copNone);
  spare->GetLink(ltIn1)->SetCalcOrderPriority(copFirst);
  spare->GetLink(ltIn1)->hide();
  spare->SetCalcOrderPriority(copFirst);
  spare->SetModelCompGroup("Compressors");
  spare->SetModelConfigType(ctCfgConfig);
  spare->SetDeprecatedComp(true);
  comps.push_back(spare);
  ASSERT_FALSE(LinkAllComps(comps)) << "agreeing stations raise no question";
  const CanvasPicture before = Picture(comps);
  ASSERT_EQ(before.connections.size(), 14u) << "seven connections, seen from both sides";
  WriteCompsToXML(comps, cfg_);

  // Through the file's text, as a host stores it.
  TVyrXmlDocument file;
  ASSERT_TRUE(file.LoadFromString([&] {
    std::ostringstream s;
    doc_.save(s);
    return s.str();
  }(), "engine.mdl"));
  TVyrXmlNode cfg2 = file.Root().child("BaseCfg");

  QWidget canvas2;
  std::vector<TVYRcomp*> loaded = ReadCompsFromXML(cfg2, &canvas2);
  ASSERT_EQ(loaded.size(), comps.size());
  sample::DecorateLoaded(loaded);
  EXPECT_FALSE(LinkAllComps(loaded));
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_TRUE(Picture(loaded) == before);

  pugi::xml_document again;
  TVyrXmlNode cfg3 = again.append_child("VYRmodel").append_child("BaseCfg");
  WriteCompsToXML(loaded, cfg3);
  TXmlNodeList differing;
  EXPECT_TRUE(TVyrXmlNode(cfg_.child("Components")).IsEqualToKQ(cfg3.child("Components"), xcoAll, &differing))
      << differing.size() << " elements differ, first " << (differing.empty() ? "" : differing[0].name());

  TVYRcomp* spare2 = loaded.back();
  EXPECT_EQ(spare2->RotAngle(), 90);
  EXPECT_EQ(spare2->size(), spare->size());
  EXPECT_EQ(spare2->GetLink(ltOut1)->pos(), spare->GetLink(ltOut1)->pos());
  EXPECT_EQ(spare2->GetLink(ltOut1)->CalcOrderPriority(), copNone);
  EXPECT_EQ(spare2->GetLink(ltIn1)->CalcOrderPriority(), copFirst);
  EXPECT_TRUE(spare2->GetLink(ltIn1)->isHidden());
  EXPECT_EQ(spare2->GetLink(ltOut1)->StationString(), "10a");
  EXPECT_EQ(spare2->CalcOrderPriority(), copFirst);
  EXPECT_EQ(spare2->ModelCompGroup(), "Compressors");
  EXPECT_EQ(spare2->ModelConfigType(), ctCfgConfig);
  EXPECT_TRUE(spare2->DeprecatedComp());
  EXPECT_EQ(spare2->CompIDstr(), "Nr. 9 Component: Spare");
  // The picture was turned with the icon, not left upright.
  EXPECT_EQ(spare2->findChild<QLabel*>("Picture")->pixmap().toImage(),
            spare->findChild<QLabel*>("Picture")->pixmap().toImage());
}

TEST_F(CanvasXml, MissingPriorityReadsAsANewLink) {
  QWidget canvas;
  TVYRcomp* c = sample::Place(new sample::TInletIcon(&canvas), "A", {0, 0}, -1, 3);
  c->GetLink(ltOut1)->SetCalcOrderPriority(copFirst);
  WriteCompsToXML({c}, cfg_);
  pugi::xml_node link = cfg_.child("Components").child("TVYRcomp").child("Icon").child("Link");
  ASSERT_EQ(std::string(link.child("CalcOrderPriority").text().get()), "copFirst");
  link.remove_child("CalcOrderPriority");
  QWidget canvas2;
  std::vector<TVYRcomp*> loaded = ReadCompsFromXML(cfg_, &canvas2);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0]->GetLink(ltOut1)->CalcOrderPriority(), copLast);
}

TEST_F(CanvasXml, RewriteKeepsOtherDataAndDropsRemovedIcons) {
  QWidget canvas;
  TVYRcomp* a = sample::Place(new sample::TInletIcon(&canvas), "A", {0, 0}, -1, 3);
  TVYRcomp* b = sample::Place(new sample::TNozzleIcon(&canvas), "B", {60, 0}, 3, 8);
  WriteCompsToXML({a, b}, cfg_);
  TVyrXmlNode list = cfg_.child("Components");
  list.child("TVYRcomp").append_child("HostData").text().set("kept");
  a->move(5, 7);
  WriteCompsToXML({a}, cfg_);
  ASSERT_EQ(std::distance(list.children("TVYRcomp").begin(), list.children("TVYRcomp").end()), 1);
  TVyrXmlNode node = list.child("TVYRcomp");
  EXPECT_EQ(std::string(node.attribute("ID").value()), "A");
  EXPECT_EQ(node.ValueFromNodeAsStringDef("HostData", ""), "kept");
  EXPECT_EQ(TVyrXmlNode(node.child("Icon")).ValueFromNodeAsFloatDef("Left", -1), 5);
  EXPECT_EQ(std::distance(node.children("Icon").begin(), node.children("Icon").end()), 1);
  EXPECT_EQ(std::string(node.attribute("Name").value()), "A") << "the form's fields share the element";
}

struct BadCase {
  const char* name;
  const char* path;   // element below the first TVYRcomp ("@CompType" for the attribute)
  const char* value;
  const char* message;
};

// The row's name, so that test output and ctest names never carry raw bytes.
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class BadElement : public ::testing::TestWithParam<BadCase> {};

// Writes inlet "A" (and nozzle "B" with withNozzle) into cfg.
void WriteSmallModel(TVyrXmlNode cfg, bool withNozzle) {
  sample::RegisterSampleIcons();
  QWidget canvas;
  std::vector<TVYRcomp*> comps = {sample::Place(new sample::TInletIcon(&canvas), "A", {0, 0}, -1, 3)};
  if (withNozzle) comps.push_back(sample::Place(new sample::TNozzleIcon(&canvas), "B", {60, 0}, 3, 8));
  WriteCompsToXML(comps, cfg);
}

TEST_P(BadElement, ReportedOnceAndSkipped) {
  const BadCase& c = GetParam();
  pugi::xml_document doc;
  TVyrXmlNode cfg = doc.append_child("VYRmodel").append_child("BaseCfg");
  WriteSmallModel(cfg, true);
  pugi::xml_node first = cfg.child("Components").child("TVYRcomp");
  const std::string path = c.path;
  if (path[0] == '@') first.attribute(path.substr(1).c_str()).set_value(c.value);
  else first.first_element_by_path(c.path).text().set(c.value);

  std::ostringstream badText;
  first.print(badText);

  RecordingHandler rec;
  QWidget canvas;
  std::vector<TVYRcomp*> loaded = ReadCompsFromXML(cfg, &canvas);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0]->objectName(), "B");
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_EQ(rec.messages[0].Text, std::string("Component \"A\" not loaded: ") + c.message);
  EXPECT_EQ(CanvasComps(&canvas).size(), 1u) << "the skipped icon is not left on the canvas";

  // Saving the canvas back leaves the unreadable element as it was, form data and all.
  loaded[0]->move(20, 20);
  WriteCompsToXML(loaded, cfg);
  pugi::xml_node kept = cfg.child("Components").find_child_by_attribute("TVYRcomp", "ID", "A");
  ASSERT_TRUE(kept) << "the element that could not be read was deleted";
  std::ostringstream keptText;
  kept.print(keptText);
  EXPECT_EQ(keptText.str(), badText.str());
}

INSTANTIATE_TEST_SUITE_P(
    Model, BadElement,
    ::testing::Values(BadCase{"CompType", "@CompType", "ctBogus", "CompType \"ctBogus\" is unknown"},
                      BadCase{"RotAngle", "Icon/RotAngle", "45", "RotAngle 45 is not 0, 90, 180 or 270"},
                      BadCase{"RotAngleText", "Icon/RotAngle", "ninety",
                              "RotAngle \"ninety\" is not a whole number from 0 to 270"},
                      BadCase{"Width", "Icon/Width", "-5", "Width \"-5\" is not a whole number from 1 to 100000"},
                      BadCase{"LinkType", "Icon/Link/Ltype", "ltSideways",
                              "Link \"Out1\": Ltype \"ltSideways\" is unknown"},
                      BadCase{"Station", "Icon/Link/Station", "nan", "Link \"Out1\": Station \"nan\" is not a number"},
                      BadCase{"Visible", "Icon/Link/Visible", "maybe",
                              "Link \"Out1\": Visible \"maybe\" is neither true nor false"},
                      BadCase{"Priority", "Icon/CalcOrderPriority", "copSoon",
                              "CalcOrderPriority \"copSoon\" is unknown"},
                      BadCase{"Deprecated", "Icon/DeprecatedComp", "sometimes",
                              "DeprecatedComp \"sometimes\" is neither true nor false"}),
    [](const ::testing::TestParamInfo<BadCase>& info) { return std::string(info.param.name); });

// Booleans as the model file writes them elsewhere all load.
struct BoolCase {
  const char* name;
  const char* text;
  bool value;
};
void PrintTo(const BoolCase& c, std::ostream* os) { *os << c.name; }

class BoolSpelling : public ::testing::TestWithParam<BoolCase> {};

TEST_P(BoolSpelling, LinkVisibilityAndIconFlagLoad) {
  const BoolCase& c = GetParam();
  pugi::xml_document doc;
  TVyrXmlNode cfg = doc.append_child("VYRmodel").append_child("BaseCfg");
  WriteSmallModel(cfg, false);
  pugi::xml_node icon = cfg.child("Components").child("TVYRcomp").child("Icon");
  icon.child("Link").child("Visible").text().set(c.text);
  icon.child("DeprecatedComp").text().set(c.text);
  RecordingHandler rec;
  QWidget canvas;
  std::vector<TVYRcomp*> loaded = ReadCompsFromXML(cfg, &canvas);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_TRUE(rec.messages.empty());
  EXPECT_EQ(loaded[0]->GetLink(ltOut1)->Visible(), c.value);
  EXPECT_EQ(loaded[0]->DeprecatedComp(), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Model, BoolSpelling,
    ::testing::Values(BoolCase{"TrueCapital", "True", true}, BoolCase{"FalseUpper", "FALSE", false},
                      BoolCase{"Yes", "yes", true}, BoolCase{"One", "1", true}, BoolCase{"Zero", "0", false},
                      BoolCase{"Padded", " true ", true}),
    [](const ::testing::TestParamInfo<BoolCase>& info) { return std::string(info.param.name); });

// Icons that share an ID, or have none, each keep an element of their own;
// loading such a file renames the repeated IDs and says so.
TEST_F(CanvasXml, SharedIDsKeepTheirOwnElements) {
  QWidget canvas;
  std::vector<TVYRcomp*> comps = {
      sample::Place(new sample::TInletIcon(&canvas), "A", {0, 0}, -1, 3),
      sample::Place(new sample::TNozzleIcon(&canvas), "A", {200, 0}, 4, 8),
      sample::Place(new sample::TNozzleIcon(&canvas), "", {0, 200}, 5, 9),
      sample::Place(new sample::TNozzleIcon(&canvas), "", {200, 200}, 6, 10)};
  TVyrXmlNode list = cfg_.append_child("Components");
  list.append_child("TVYRcomp").append_attribute("ID").set_value("A");  // already in the file
  WriteCompsToXML(comps, cfg_);
  WriteCompsToXML(comps, cfg_);  // into the document that now holds them
  ASSERT_EQ(std::distance(list.children("TVYRcomp").begin(), list.children("TVYRcomp").end()), 4);
  std::set<int> lefts;
  for (pugi::xml_node n : list.children("TVYRcomp"))
    lefts.insert(static_cast<int>(TVyrXmlNode(n.child("Icon")).ValueFromNodeAsFloatDef("Left", -1)));
  EXPECT_EQ(lefts, (std::set<int>{0, 200}));
  std::multiset<double> outlets;
  for (pugi::xml_node n : list.children("TVYRcomp"))
    outlets.insert(TVyrXmlNode(n.child("Icon").find_child_by_attribute("Link", "ID", "In1"))
                       .ValueFromNodeAsFloatDef("Station", -99));
  EXPECT_EQ(outlets, (std::multiset<double>{-99, 4, 5, 6})) << "each icon wrote its own element";

  RecordingHandler rec;
  QWidget canvas2;
  std::vector<TVYRcomp*> loaded = ReadCompsFromXML(cfg_, &canvas2);
  ASSERT_EQ(loaded.size(), 4u);
  std::set<QString> names;
  for (TVYRcomp* c : loaded) names.insert(c->objectName());
  EXPECT_EQ(names.size(), 4u) << "renamed, never merged";
  ASSERT_EQ(rec.messages.size(), 1u);
  EXPECT_NE(rec.messages[0].Text.find("\"A\" renamed to"), std::string::npos) << rec.messages[0].Text;
  WriteCompsToXML(loaded, cfg_);
  EXPECT_EQ(std::distance(list.children("TVYRcomp").begin(), list.children("TVYRcomp").end()), 4);
}

// A station number comes back from the file as the same double.
TEST_F(CanvasXml, StationNumbersRoundTripExactly) {
  const double values[] = {0.1 + 0.2, 1.0 / 3.0, 2.5e-7, 4.0, 1234.5678901234567, 1e300, -0.05};
  for (double v : values) {
    const std::string text = StationNrToXmlStr(v);
    EXPECT_EQ(text.find(','), std::string::npos) << text;
    QWidget canvas;
    TVYRcomp* a = sample::Place(new sample::TInletIcon(&canvas), "A", {0, 0}, -1, v);
    pugi::xml_document doc;
    TVyrXmlNode cfg = doc.append_child("VYRmodel").append_child("BaseCfg");
    WriteCompsToXML({a}, cfg);
    QWidget canvas2;
    std::vector<TVYRcomp*> loaded = ReadCompsFromXML(cfg, &canvas2);
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded[0]->GetLink(ltOut1)->Station(), v) << text;
  }
  EXPECT_EQ(StationNrToXmlStr(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(StationNrToXmlStr(4.0), "4");
}

// An icon with many links reads them all, each once, matched by ID.
TEST_F(CanvasXml, ManyLinksLoadOnePerElement) {
  QWidget canvas;
  TVYRcomp* a = sample::Place(new sample::TInletIcon(&canvas), "A", {0, 0}, -1, 3);
  const std::size_t before = a->Links().size();
  pugi::xml_node icon;
  {
    WriteCompsToXML({a}, cfg_);
    icon = cfg_.child("Components").child("TVYRcomp").child("Icon");
    for (int i = 0; i < 300; ++i) {
      pugi::xml_node l = icon.append_child("Link");
      l.append_attribute("ID").set_value(("X" + std::to_string(i)).c_str());
      l.append_child("Station").text().set(i);
    }
  }
  QWidget canvas2;
  std::vector<TVYRcomp*> loaded = ReadCompsFromXML(cfg_, &canvas2);
  ASSERT_EQ(loaded.size(), 1u);
  ASSERT_EQ(loaded[0]->Links().size(), before + 300);
  EXPECT_EQ(loaded[0]->Links()[before + 123]->Station(), 123);
  EXPECT_EQ(loaded[0]->Links()[before + 123]->objectName(), "X123");
}

}  // namespace
}  // namespace vyr
