#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "VyrNativeXml.h"
#include "common/RecordingHandler.h"
#include "modelfile/ModelFileTestUtil.h"

namespace vyr {
namespace {

using test::Select;
using test::Xml;

// Enough elements named "f" put in front of the root element's children to
// make the operations look children up through hash tables, not one by one.
constexpr int kFillers = 40;

void Widen(pugi::xml_node root) {
  for (int k = 0; k < kFillers; ++k) root.prepend_child("f").append_attribute("ID").set_value(k);
}

void Narrow(pugi::xml_node root) {
  while (root.remove_child("f")) {
  }
}

// Parses target and source, runs op on their root elements and returns the
// target. With wide, the target has the fillers while op runs.
template <typename Op>
std::string Apply(const char* target, const char* source, Op op, bool wide = false) {
  pugi::xml_document t, s;
  test::ParseXml(t, target);
  test::ParseXml(s, source);
  TVyrXmlNode root = t.document_element();
  if (wide) Widen(root);
  op(root, s.document_element());
  if (wide) Narrow(t.document_element());
  return Xml(t);
}

std::string Copy(const char* target, const char* source, bool wide = false) {
  return Apply(target, source, [](TVyrXmlNode& t, pugi::xml_node s) { t.CopyNodesByID(s); }, wide);
}

std::string Merge(const char* target, const char* source, bool wide = false) {
  return Apply(target, source, [](TVyrXmlNode& t, pugi::xml_node s) { t.MergeDataFromByID(s); }, wide);
}

struct OpCase {
  const char* what;
  const char* target;
  const char* source;
  const char* expected;
};

TEST(ModelFileCopy, MatchesChildrenByNameAndID) {
  const OpCase cases[] = {
      {"children in another order are updated in place, new ones appended",
       "<C><T ID='b'><v>1</v></T><T ID='a'><v>2</v></T><Keep/></C>",
       "<C Mode='x'><T ID='A'><v>20</v><w>5</w></T><T ID='c'/><T ID='b' Extra='1'><v>10</v></T></C>",
       "<C Mode=\"x\"><T ID=\"b\" Extra=\"1\"><v>10</v></T><T ID=\"A\"><v>20</v><w>5</w></T><Keep/><T ID=\"c\"/></C>"},
      {"a target child without ID is the counterpart of any ID", "<r><P k='1'>old</P></r>", "<r><P ID='7'>new</P></r>",
       "<r><P k=\"1\" ID=\"7\">new</P></r>"},
      {"name, text and attributes come from the source, the others stay", "<r a='1' b='2'>t</r>",
       "<R b='3' c='4'>s</R>", "<R a=\"1\" b=\"3\" c=\"4\">s</R>"},
      {"text is set in front of the children", "<r><x/></r>", "<r>v<x/></r>", "<r>v<x/></r>"},
      {"text the source lacks becomes empty", "<r>t<x/></r>", "<r><x/></r>", "<r><x/></r>"},
      {"a missing subtree is copied whole", "<r/>", "<r><a ID='1'><b>x</b><!--c--></a></r>",
       "<r><a ID=\"1\"><b>x</b><!--c--></a></r>"},
      {"deeper levels match by name and ID as well", "<r><a><b ID='1'>x</b><b ID='2'>y</b></a></r>",
       "<r><a><b ID='2'>Y</b><b ID='3'>z</b></a></r>",
       "<r><a><b ID=\"1\">x</b><b ID=\"2\">Y</b><b ID=\"3\">z</b></a></r>"},
  };
  for (const OpCase& c : cases) {
    EXPECT_EQ(Copy(c.target, c.source), c.expected) << c.what;
    EXPECT_EQ(Copy(c.target, c.source, true), c.expected) << c.what << ", among many siblings";
  }
}

TEST(ModelFileMerge, AddsWhatTheTargetLacks) {
  const OpCase cases[] = {
      {"a leaf keeps its value and attributes; a missing leaf is added", "<r><a u='1'>1</a><b ID='x' k='t'>old</b></r>",
       "<r><a u='2' v='3'>2</a><c>3</c><b ID='X' k='s' n='m'>new</b></r>",
       "<r><a u=\"1\">1</a><b ID=\"X\" k=\"s\" n=\"m\">old</b><c>3</c></r>"},
      {"a child without ID is merged into the same-named one", "<r><Opt><x>1</x></Opt></r>",
       "<r><Opt m='1'><x>9</x><y>2</y></Opt></r>", "<r><Opt m=\"1\"><x>1</x><y>2</y></Opt></r>"},
      {"an empty target element takes the source's elements", "<r><Components/></r>",
       "<r><Components><T ID='a'/></Components></r>", "<r><Components><T ID=\"a\"/></Components></r>"},
      {"a leaf with text stays as it is", "<r><a u='1'>5</a></r>", "<r><a u='2'><b>9</b></a></r>",
       "<r><a u=\"1\">5</a></r>"},
      {"a leaf with blank text is no empty element", "<r><a> </a></r>", "<r><a><b/></a></r>", "<r><a> </a></r>"},
      {"an empty element with a comment takes the elements", "<r><a><!--c--></a></r>", "<r><a u='2'><b/></a></r>",
       "<r><a><!--c--><b/></a></r>"},
      {"an empty element keeps its attributes while its elements come in", "<r><X a='1'/></r>",
       "<r><X a='2' b='3'><Y k='1'/></X></r>", "<r><X a=\"1\"><Y k=\"1\"/></X></r>"},
      {"the by-name lookup is exact", "<r><opt>1</opt></r>", "<r><Opt>2</Opt></r>", "<r><opt>1</opt><Opt>2</Opt></r>"},
      {"the node's own name and attributes, not its text", "<r a='1'>t</r>", "<R a='2' b='3'>s</R>",
       "<R a=\"2\" b=\"3\">t</R>"},
  };
  for (const OpCase& c : cases) {
    EXPECT_EQ(Merge(c.target, c.source), c.expected) << c.what;
    EXPECT_EQ(Merge(c.target, c.source, true), c.expected) << c.what << ", among many siblings";
  }
}

// Among few siblings and among many, the counterpart is the first match in
// document order at the time it is looked for: a child that the copy gave an
// "ID" or a new name is found by that, not by what it had.
TEST(ModelFileCopy, FirstMatchInDocumentOrderWinsAmongManySiblings) {
  const OpCase copies[] = {
      {"a child given an ID is no longer the counterpart of other IDs", "<r><T ID='a'>1</T><T>2</T></r>",
       "<r><T ID='A'>x</T><T ID='b'>y</T><T ID='c'>z</T></r>",
       "<r><T ID=\"A\">x</T><T ID=\"b\">y</T><T ID=\"c\">z</T></r>"},
      {"the first of two candidates, with ID or without", "<r><T>1</T><T ID='a'>2</T></r>", "<r><T ID='a'>x</T></r>",
       "<r><T ID=\"a\">x</T><T ID=\"a\">2</T></r>"},
      {"names and IDs folded", "<r><t ID='Stra\xC3\x9F\x65'>1</t><t ID='\xE2\x84\xAA'>2</t></r>",
       "<r><T ID='STRASSE'>x</T><T ID='k'>y</T></r>", "<r><T ID=\"STRASSE\">x</T><T ID=\"k\">y</T></r>"},
      {"children renamed out of the middle of their name", "<r><t ID='1'>a</t><t ID='2'>b</t><t>c</t></r>",
       "<r><T ID='2'>B</T><T ID='3'>C</T><t ID='1'>A</t></r>",
       "<r><t ID=\"1\">A</t><T ID=\"2\">B</T><T ID=\"3\">C</T></r>"},
      {"an ID that matches nothing is appended once", "<r><T ID='a'/></r>", "<r><T ID='b'>1</T><T ID='B'>2</T></r>",
       "<r><T ID=\"a\"/><T ID=\"B\">2</T></r>"},
  };
  for (const OpCase& c : copies)
    for (bool wide : {false, true}) EXPECT_EQ(Copy(c.target, c.source, wide), c.expected) << c.what << wide;

  const OpCase merges[] = {
      {"a child renamed by its ID is found by its new name", "<r><a ID='1'/></r>", "<r><A ID='1'/><A>5</A></r>",
       "<r><A ID=\"1\"/></r>"},
      {"a child renamed by its ID leaves its old name to the next", "<r><v ID='1'/><v/><v/></r>",
       "<r><V ID='1'/><v u='1'><x/></v></r>", "<r><V ID=\"1\"/><v><x/></v><v/></r>"},
      {"a child without ID goes into the first of that exact name", "<r><v>1</v><V>2</V><v>3</v></r>",
       "<r><V><x/></V></r>", "<r><v>1</v><V>2</V><v>3</v></r>"},
  };
  for (const OpCase& c : merges)
    for (bool wide : {false, true}) EXPECT_EQ(Merge(c.target, c.source, wide), c.expected) << c.what << wide;

  for (bool wide : {false, true}) {
    pugi::xml_document a, b;
    test::ParseXml(a, "<r><T ID='x'>1</T><T ID='Y'>2</T><U>3</U></r>");
    test::ParseXml(b, "<r><U>3</U><T ID='y'>2</T><T ID='X'>1</T></r>");
    if (wide) {
      Widen(a.document_element());
      Widen(b.document_element());
    }
    const TXmlCompareOptions children{xcoChildNames, xcoChildValues, xcoRecursive};
    EXPECT_TRUE(TVyrXmlNode(a.document_element()).IsEqualToKQ(b.document_element(), children, nullptr)) << wide;
    b.document_element().find_child_by_attribute("ID", "y").text().set("9");
    TXmlNodeList list;
    EXPECT_FALSE(TVyrXmlNode(a.document_element()).IsEqualToKQ(b.document_element(), children, &list)) << wide;
    EXPECT_EQ(list, TXmlNodeList{Select(a, "/r/T[@ID='Y']")}) << wide;
  }
}

// Many siblings of one name without "ID" in the target, each source sibling
// with one: each takes the first target sibling still without "ID", in order,
// and nothing is appended; a second pass finds each by its new "ID".
TEST(ModelFileCopy, IDsGoIntoSiblingsWithoutIDInOrder) {
  constexpr int kSiblings = 3 * kFillers;
  for (bool merge : {false, true}) {
    pugi::xml_document t, s;
    pugi::xml_node tr = t.append_child("r"), sr = s.append_child("r");
    for (int k = 0; k < kSiblings; ++k) {
      tr.append_child("t").text().set(k);
      sr.append_child("T").append_attribute("ID").set_value(kSiblings - 1 - k);
    }
    sr.append_child("T").append_attribute("ID").set_value(0);  // its counterpart is the last one given an ID
    TVyrXmlNode target = tr;
    for (int pass = 0; pass < 2; ++pass) {
      if (merge)
        target.MergeDataFromByID(sr);
      else
        target.CopyNodesByID(sr);
    }
    int k = 0;
    for (pugi::xml_node c = tr.first_child(); c; c = c.next_sibling(), ++k) {
      EXPECT_EQ(c.attribute("ID").as_int(-1), kSiblings - 1 - k) << merge << " at " << k;
      EXPECT_STREQ(c.text().get(), merge ? std::to_string(k).c_str() : "") << merge << " at " << k;
    }
    EXPECT_EQ(k, kSiblings) << merge;
  }
}

// Elements with many attributes: each is found by its exact name, the first
// of that name, whatever the order on the other side.
TEST(ModelFileCopy, ManyAttributesAreMatchedByName) {
  constexpr int kAttributes = 2 * kFillers;
  auto element = [](pugi::xml_document& doc, int from, int to, const char* value) {
    pugi::xml_node r = doc.append_child("r");
    for (int k = from; k != to; k += from < to ? 1 : -1)
      r.append_attribute(("a" + std::to_string(k)).c_str()).set_value(value);
    return r;
  };
  pugi::xml_document t, s, u;
  const pugi::xml_node target = element(t, 0, kAttributes, "t");
  const pugi::xml_node source = element(s, kAttributes, 0, "s");  // a(n)..a1
  TVyrXmlNode(target).CopyNodesByID(source);
  const auto attributes = target.attributes();
  EXPECT_EQ(std::distance(attributes.begin(), attributes.end()), kAttributes + 1);
  int k = 0;
  for (const pugi::xml_attribute a : target.attributes()) {
    EXPECT_EQ(a.name(), "a" + std::to_string(k < kAttributes ? k : kAttributes)) << k;
    EXPECT_STREQ(a.value(), k == 0 ? "t" : "s") << k;
    ++k;
  }

  const pugi::xml_node reversed = element(u, kAttributes, -1, "s");
  TVyrXmlNode(reversed).last_attribute().set_value("t");  // a0 as in target
  const TXmlCompareOptions names{xcoAttrNames}, values{xcoAttrNames, xcoAttrValues};
  EXPECT_TRUE(TVyrXmlNode(target).IsEqualToKQ(reversed, values, nullptr));
  EXPECT_FALSE(TVyrXmlNode(reversed).IsEqualToKQ(source, names, nullptr));  // source lacks a0
  reversed.first_attribute().set_value("x");
  EXPECT_FALSE(TVyrXmlNode(target).IsEqualToKQ(reversed, values, nullptr));
  EXPECT_TRUE(TVyrXmlNode(target).IsEqualToKQ(reversed, names, nullptr));
}

// The element merged into, when still empty, is no different from an empty child.
TEST(ModelFileMerge, EmptyElementKeepsItsAttributes) {
  EXPECT_EQ(Merge("<X a='1'/>", "<x a='2' b='3'><Y k='1'/></x>"), "<x a=\"1\"><Y k=\"1\"/></x>");
  EXPECT_EQ(Merge("<X a='1'/>", "<X a='2' b='3'/>"), "<X a=\"1\"/>");
  EXPECT_EQ(Merge("<X a='1'>t</X>", "<X a='2'><Y/></X>"), "<X a=\"2\">t<Y/></X>");  // a leaf is not empty
}

TEST(ModelFileMerge, MergingTwiceChangesNothingMore) {
  pugi::xml_document t, s;
  test::ParseXml(t, "<r><a>1</a><T ID='1'><v>1</v></T></r>");
  test::ParseXml(s, "<r><a>2</a><b>3</b><T ID='1'><v>2</v><w/></T><T ID='2'/><!--x--></r>");
  TVyrXmlNode root = t.document_element();
  root.MergeDataFromByID(s.document_element());
  const std::string once = Xml(t);
  root.MergeDataFromByID(s.document_element());
  EXPECT_EQ(Xml(t), once);
}

// Source and target that lie in one another are taken from a snapshot of the source.
TEST(ModelFileCopy, OverlappingSourceAndTarget) {
  pugi::xml_document doc;
  test::ParseXml(doc, "<r k='1'><a ID='1'><x>1</x></a><b>t</b></r>");
  const std::string before = Xml(doc);
  TVyrXmlNode r = doc.document_element();
  r.CopyNodesByID(r);
  r.MergeDataFromByID(r);
  EXPECT_EQ(Xml(doc), before);

  TVyrXmlNode a = Select(doc, "/r/a");
  a.CopyNodesByID(r);  // the parent into its child
  EXPECT_EQ(Xml(doc), "<r k=\"1\"><r ID=\"1\" k=\"1\"><x>1</x><a ID=\"1\"><x>1</x></a><b>t</b></r><b>t</b></r>");
  r.CopyNodesByID(Select(doc, "/r/r/a"));  // a child into its parent
  EXPECT_EQ(Xml(doc),
            "<a k=\"1\" ID=\"1\"><r ID=\"1\" k=\"1\"><x>1</x><a ID=\"1\"><x>1</x></a><b>t</b></r><b>t</b><x>1</x></a>");
}

TEST(ModelFileCopy, NullNodesChangeNothing) {
  pugi::xml_document doc;
  test::ParseXml(doc, "<r><a/></r>");
  TVyrXmlNode r = doc.document_element();
  r.CopyNodesByID({});
  r.MergeDataFromByID({});
  TVyrXmlNode().CopyNodesByID(r);
  TVyrXmlNode().MergeDataFromByID(r);
  EXPECT_EQ(Xml(doc), "<r><a/></r>");
}

// What a target had and a source does not mention survives copying and merging.
TEST(ModelFileCopy, NothingTheTargetHadIsLost) {
  test::RecordingHandler rec;
  TVyrXmlDocument model, old;
  ASSERT_TRUE(model.LoadFromFile(test::DataFile("model.xml"))) << model.LastError();
  ASSERT_TRUE(old.LoadFromFile(test::DataFile("refmodel.xml"))) << old.LastError();
  const pugi::xml_node source = old.Root().RefModelRoot();
  for (bool merge : {false, true}) {
    for (const char* xpath : {"//Config[@ID='Cruise']", "/VYRmodel/BaseCfg", "//Case[@ID='HotDay']"}) {
      SCOPED_TRACE(std::string(xpath) + (merge ? " merged" : " copied"));
      pugi::xml_document work;
      work.append_copy(model.Document().select_node(xpath).node());
      TVyrXmlNode target = work.document_element();
      // Each element is marked, its attribute names noted.
      std::vector<std::vector<std::string>> had;
      for (TVyrXmlNode e : test::AllElements(target)) {
        had.emplace_back();
        for (const pugi::xml_attribute a : e.attributes()) had.back().emplace_back(a.name());
        e.append_attribute("_mark").set_value(had.size() - 1);
      }
      if (merge)
        target.MergeDataFromByID(source);
      else
        target.CopyNodesByID(source);
      std::vector<bool> seen(had.size());
      for (const pugi::xpath_node& x : work.select_nodes("//*[@_mark]")) {
        const std::size_t k = x.node().attribute("_mark").as_uint();
        ASSERT_LT(k, had.size());
        seen[k] = true;
        for (const std::string& a : had[k]) EXPECT_TRUE(x.node().attribute(a.c_str())) << Xml(x.node());
      }
      EXPECT_EQ(seen, std::vector<bool>(had.size(), true));
      // And the target now holds the source's elements (and, copied, its values).
      const TXmlCompareOptions held =
          merge ? TXmlCompareOptions{xcoName, xcoAttrNames, xcoChildNames, xcoRecursive}
                : TXmlCompareOptions{xcoName,       xcoValue,       xcoAttrNames, xcoAttrValues,
                                     xcoChildNames, xcoChildValues, xcoRecursive};
      EXPECT_TRUE(TVyrXmlNode(source).IsEqualToKQ(target, held, nullptr)) << Xml(target);
    }
  }
  EXPECT_TRUE(rec.messages.empty());
}

struct CompareCase {
  const char* a;
  const char* b;
  TXmlCompareOptions options;
  bool equal;
};

TEST(ModelFileCompare, EachOptionComparesItsPart) {
  const CompareCase cases[] = {
      {"<Config/>", "<config/>", {xcoName}, true},
      {"<Config/>", "<Case/>", {xcoName}, false},
      {"<a>x</a>", "<A>X</A>", {xcoName, xcoValue}, true},
      {"<a>x</a>", "<a>y</a>", {xcoValue}, false},
      {"<a>x</a>", "<a>y</a>", {xcoName, xcoAttrCount}, true},
      {"<a p='1'/>", "<a p='1' q='2'/>", {xcoAttrNames, xcoAttrValues}, true},  // extra attributes are not seen
      {"<a p='1'/>", "<a p='1' q='2'/>", {xcoAttrCount}, false},
      {"<a p='1' q='2'/>", "<a p='1'/>", {xcoAttrNames}, false},
      {"<a p='1' q='2'/>", "<a p='1'/>", {xcoAttrValues}, true},
      {"<a p='x'/>", "<a p='X'/>", {xcoAttrValues}, true},
      {"<a p='x'/>", "<a p='y'/>", {xcoAttrValues}, false},
      {"<a P='x'/>", "<a p='x'/>", {xcoAttrNames}, false},  // attribute names are exact
      {"<a><b/></a>", "<a><b/><c/></a>", {xcoChildCount}, false},
      {"<a><b/></a>", "<a><b/><c/></a>", {xcoChildNames}, true},
      {"<a><b/><c/></a>", "<a><b/></a>", {xcoChildNames}, false},
      {"<a><b>1</b></a>", "<a><b>2</b></a>", {xcoChildValues}, false},
      {"<a><b>1</b></a>", "<a><b>2</b></a>", {xcoChildNames, xcoRecursive}, true},
      {"<a><b>1</b></a>", "<a><b>2</b></a>", {xcoRecursive, xcoValue}, false},
      {"<a><b ID='1'>1</b></a>", "<a><b ID='2'>1</b></a>", {xcoChildNames}, false},
      {"<a><b ID='1'>1</b></a>", "<a><b>2</b></a>", {xcoChildNames}, true},  // no ID on the other side
      {"<a>1<!--x--></a>", "<a>1</a>", xcoAll, true},                        // comments are no child nodes
      {"<a/>", "<b/>", {}, true},
  };
  for (const CompareCase& c : cases) {
    pugi::xml_document a, b;
    test::ParseXml(a, c.a);
    test::ParseXml(b, c.b);
    EXPECT_EQ(TVyrXmlNode(a.document_element()).IsEqualToKQ(b.document_element(), c.options, nullptr), c.equal)
        << c.a << " vs " << c.b << " options " << c.options.bits();
  }
}

TEST(ModelFileCompare, ListHoldsOwnDifferencesFirstThenChildDifferences) {
  pugi::xml_document a, b;
  test::ParseXml(a, "<r><x ID='1'><v>1</v></x><y>2</y><z/></r>");
  test::ParseXml(b, "<r><x ID='1'><v>9</v></x><y>3</y></r>");
  const TVyrXmlNode ra = a.document_element();
  TXmlNodeList list{ra};  // a list is added to, not emptied
  EXPECT_FALSE(ra.IsEqualToKQ(b.document_element(), {xcoValue, xcoChildNames, xcoChildValues, xcoRecursive}, &list));
  const TVyrXmlNode v = Select(a, "//v"), y = Select(a, "//y"), z = Select(a, "//z");
  // Inserted at the front when their comparison ends: y (later sibling) before
  // v; behind them the child differences in the order met, then the old item.
  EXPECT_EQ(list, (TXmlNodeList{y, v, ra, v, y, z}));

  // Options 7 and 9 report the missing child and descend into the others.
  list.clear();
  EXPECT_FALSE(ra.IsEqualToKQ(b.document_element(), {xcoChildNames, xcoRecursive}, &list));
  EXPECT_EQ(list, (TXmlNodeList{z}));

  list.assign({ra});
  EXPECT_FALSE(ra.IsEqualToKQ(pugi::xml_node(), xcoAll, &list));
  EXPECT_EQ(list, (TXmlNodeList{ra}));  // untouched
  EXPECT_FALSE(TVyrXmlNode().IsEqualToKQ(ra, xcoAll, &list));
  EXPECT_TRUE(ra.IsEqualToKQ(ra, xcoAll, nullptr));
}

TEST(ModelFileCompare, NodeTypesDifferBetweenDocumentAndElement) {
  pugi::xml_document doc;
  test::ParseXml(doc, "<r/>");
  EXPECT_FALSE(TVyrXmlNode(doc).IsEqualToKQ(doc.document_element(), {xcoType}, nullptr));
  EXPECT_TRUE(TVyrXmlNode(doc).IsEqualToKQ(doc, {xcoType}, nullptr));
}

}  // namespace
}  // namespace vyr
